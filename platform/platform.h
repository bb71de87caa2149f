// The platform layer: the services the libraries stand on, each provided by one
// backend chosen at start-up.
//
//   sdl       a real window, display, input and audio device (what players get)
//   headless  no window; virtual clock, injected input, audio pulled by the clock
//
// The choice comes from platform_init's argument, else REEF_PLATFORM, else SDL when a
// display can be opened. Every service works before platform_init: the first use
// starts the default backend, so callers never test for "no backend".
#pragma once

namespace platform {

// Presentation choices of the SDL backend for a full-screen display.
struct PresentOptions {
    bool windowed;  // a window instead of desktop full screen
    int scale;      // window size as a multiple of the picture (0: choose)
};

// Starts the named backend ("sdl", "headless"; null: the default). False with a message
// on stderr when it cannot start. A running backend is shut down first.
bool platform_init(const char* backend_name);
void platform_shutdown();
// Name of the running backend (starting the default one if none runs).
const char* platform_backend_name();
// Must be set before the display comes up.
void platform_set_present_options(const PresentOptions& options);
PresentOptions platform_present_options();

} // namespace platform
