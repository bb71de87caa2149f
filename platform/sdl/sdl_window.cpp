#include <algorithm>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {
namespace {

struct NativeWindow {
    SDL_Window* sdl;
    Window* window;
};

std::vector<NativeWindow> native_windows;
int windowed_width = 640;  // the size the window takes when it leaves full screen
int windowed_height = 480;

Window* window_of(Uint32 sdl_id)
{
    for (const NativeWindow& native : native_windows) {
        if (SDL_GetWindowID(native.sdl) == sdl_id) {
            return native.window;
        }
    }
    return nullptr;
}

// A window a little smaller than the desktop, in whole multiples of the picture.
int choose_scale(int width, int height)
{
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return 1;
    }
    const int fit = std::min((desktop.w * 9 / 10) / std::max(width, 1), (desktop.h * 9 / 10) / std::max(height, 1));
    return std::max(fit, 1);
}

bool create(Window* window)
{
    const int width = window->rect.right - window->rect.left;
    const int height = window->rect.bottom - window->rect.top;
    const PresentOptions options = platform_present_options();
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
    const int scale = options.scale > 0 ? options.scale : choose_scale(width, height);
    int shown_width = width * scale;
    int shown_height = height * scale;
    SDL_DisplayMode desktop{};
    if (!options.windowed && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        // Made at the desktop's size, the window covers the screen even where no window
        // manager carries out the full-screen request.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        shown_width = desktop.w;
        shown_height = desktop.h;
    }
    windowed_width = width * scale;
    windowed_height = height * scale;
    SDL_Window* sdl = SDL_CreateWindow(window->title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                       shown_width, shown_height, flags);
    if (sdl == nullptr) {
        SDL_Log("reef: cannot create the window: %s", SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(sdl, std::max(width / 2, 1), std::max(height / 2, 1));
    window->native = sdl;
    native_windows.push_back(NativeWindow{sdl, window});
    return true;
}

void destroy(Window* window)
{
    for (auto it = native_windows.begin(); it != native_windows.end(); ++it) {
        if (it->window == window) {
            if (native_windows.size() == 1) {
                display_shutdown();
            }
            SDL_DestroyWindow(it->sdl);
            native_windows.erase(it);
            break;
        }
    }
}

void pump()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_QUIT:
            for (const NativeWindow& native : native_windows) {
                message_post(native.window, MSG_CLOSE, 0, 0);
            }
            break;
        case SDL_WINDOWEVENT: {
            Window* window = window_of(event.window.windowID);
            if (event.window.event == SDL_WINDOWEVENT_CLOSE && window != nullptr) {
                message_post(window, MSG_CLOSE, 0, 0);
            } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                       event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                if (window != nullptr) {
                    message_post(window, MSG_PAINT, 0, 0);
                }
                display_exposed();
            }
            input_event(event);
            break;
        }
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0 &&
                event.key.repeat == 0) {
                toggle_fullscreen();
            }
            input_event(event);
            break;
        default:
            input_event(event);
            break;
        }
    }
}

void show_cursor(bool show)
{
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void move(Window*, int, int)
{
    // The program's window rectangle places it on the pretend desktop; the real
    // window stays where the user put it.
}

} // namespace

SDL_Window* main_window()
{
    return native_windows.empty() ? nullptr : native_windows.front().sdl;
}

void toggle_fullscreen()
{
    SDL_Window* sdl = main_window();
    if (sdl == nullptr) {
        return;
    }
    const bool fullscreen = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(sdl, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (fullscreen) {
        SDL_SetWindowSize(sdl, windowed_width, windowed_height);
        SDL_SetWindowPosition(sdl, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    display_exposed();
}

void fill_window_driver(WindowDriver& driver)
{
    driver.create = create;
    driver.destroy = destroy;
    driver.pump = pump;
    driver.show_cursor = show_cursor;
    driver.move = move;
}

} // namespace sdl
} // namespace platform
