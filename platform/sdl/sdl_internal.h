// State shared by the SDL backend's files.
#pragma once

#include <SDL.h>

#include "platform/backend.h"

namespace platform {
namespace sdl {

// The window the picture is shown in (the first window the program made).
SDL_Window* main_window();

void fill_window_driver(WindowDriver& driver);
void fill_clock_driver(ClockDriver& driver);
void fill_display_driver(DisplayDriver& driver);
void fill_input_driver(InputDriver& driver);
void fill_audio_driver(AudioDriver& driver);

// Events the window's pump does not handle itself go to the input service.
void input_event(const SDL_Event& event);

// Full screen or a window, switched with Alt+Enter.
void toggle_fullscreen();
// The display must be drawn again (the window was resized or exposed).
void display_exposed();
void display_shutdown();

} // namespace sdl
} // namespace platform
