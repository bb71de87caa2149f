// The SDL2 backend: a real window, display, input devices and audio device.
#include <cstdio>

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
