// The SDL2 backend: a real window, display, input devices and audio device.
#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace {

bool start(Drivers& drivers)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "reef: no display could be opened: %s\n", SDL_GetError());
        return false;
    }
    // Without a screen SDL falls back to drawing nowhere; unless that was asked for, a
    // window nobody can see is no display at all.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool invisible = driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (invisible && (asked == nullptr || std::strcmp(asked, driver) != 0)) {
        SDL_Quit();
        std::fprintf(stderr, "reef: no display could be opened (no X11 or Wayland display here)\n");
        return false;
    }
    sdl::fill_window_driver(drivers.window);
    sdl::fill_clock_driver(drivers.clock);
    sdl::fill_display_driver(drivers.display);
    sdl::fill_input_driver(drivers.input);
    sdl::fill_audio_driver(drivers.audio);
    return true;
}

void stop()
{
    sdl::display_shutdown();
    SDL_Quit();
}

} // namespace

const Backend sdl_backend = {"sdl", "SDL2 window, display, input and audio", start, stop};

} // namespace platform
