// The presenter: the primary surface goes through the palette straight into a locked
// RGB888 streaming texture, which is drawn nearest-neighbour with its aspect kept
// (whole multiples where they fit) and letterboxed in black.
#include <cstddef>
#include <algorithm>
#include <cstring>

#include "platform/blit.h"
#include "platform/internal.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {
namespace {

SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
int texture_width = 0;
int texture_height = 0;
Uint64 last_present = 0;
Uint64 refresh_period = 0;  // performance-counter ticks per display refresh

bool make_renderer(SDL_Window* window)
{
    if (renderer != nullptr) {
        return true;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (renderer == nullptr) {
        SDL_Log("reef: cannot draw into the window: %s", SDL_GetError());
        return false;
    }
    int refresh_hz = 60;
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) {
        refresh_hz = mode.refresh_rate;
    }
    refresh_period = SDL_GetPerformanceFrequency() / static_cast<Uint64>(refresh_hz);
    return true;
}

bool open()
{
    // Without a window the device opens, and fails when it is given one it cannot use.
    SDL_Window* window = main_window();
    return window == nullptr || make_renderer(window);
}

void close()
{
    display_shutdown();
}

bool make_texture(int width, int height)
{
    if (texture != nullptr && texture_width == width && texture_height == height) {
        return true;
    }
    if (texture != nullptr) {
        SDL_DestroyTexture(texture);
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture == nullptr) {
        SDL_Log("reef: cannot make the picture texture: %s", SDL_GetError());
        return false;
    }
    texture_width = width;
    texture_height = height;
    return true;
}

bool set_mode(Window* window, int width, int height, int bpp, bool fullscreen)
{
    (void)bpp;
    (void)fullscreen;
    SDL_Window* sdl = window != nullptr ? static_cast<SDL_Window*>(window->native) : main_window();
    return sdl != nullptr && make_renderer(sdl) && make_texture(width, height);
}

void desktop_size(int& width, int& height)
{
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        width = mode.w;
        height = mode.h;
    } else {
        width = 1024;
        height = 768;
    }
}

int pitch_for_row(int row_bytes)
{
    return (row_bytes + 15) & ~15;
}

int reported_16bit_format()
{
    return 16;
}

// At most one picture per display refresh; the rest wait for the next service call.
bool ready_to_present()
{
    return renderer != nullptr && SDL_GetPerformanceCounter() - last_present >= refresh_period * 9 / 10;
}

SDL_Rect fit(int picture_width, int picture_height)
{
    int out_width = 0;
    int out_height = 0;
    SDL_GetRendererOutputSize(renderer, &out_width, &out_height);
    SDL_Rect rect{0, 0, out_width, out_height};
    if (picture_width <= 0 || picture_height <= 0 || out_width <= 0 || out_height <= 0) {
        return rect;
    }
    const int whole = std::min(out_width / picture_width, out_height / picture_height);
    if (whole >= 1) {
        rect.w = picture_width * whole;
        rect.h = picture_height * whole;
    } else if (static_cast<int64_t>(out_width) * picture_height < static_cast<int64_t>(out_height) * picture_width) {
        rect.w = out_width;
        rect.h = static_cast<int>(static_cast<int64_t>(out_width) * picture_height / picture_width);
    } else {
        rect.h = out_height;
        rect.w = static_cast<int>(static_cast<int64_t>(out_height) * picture_width / picture_height);
    }
    rect.x = (out_width - rect.w) / 2;
    rect.y = (out_height - rect.h) / 2;
    return rect;
}

void present(const Frame& frame)
{
    if (renderer == nullptr || !make_texture(frame.area_width, frame.area_height)) {
        return;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) {
        return;
    }
    auto* out = static_cast<uint8_t*>(pixels);
    if (frame.width != frame.area_width || frame.height != frame.area_height) {
        std::memset(out, 0, static_cast<size_t>(pitch) * static_cast<size_t>(frame.area_height));
    }
    auto* first = reinterpret_cast<uint32_t*>(out + static_cast<std::ptrdiff_t>(frame.y) * pitch + frame.x * 4);
    if (frame.bpp == 8) {
        blit::indexed_to_xrgb(first, pitch, frame.pixels, frame.pitch, frame.width, frame.height, frame.palette_rgb);
    } else {
        blit::rgb16_to_xrgb(first, pitch, frame.pixels, frame.pitch, frame.width, frame.height, frame.format_555);
    }
    SDL_UnlockTexture(texture);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    const SDL_Rect target = fit(frame.area_width, frame.area_height);
    SDL_RenderCopy(renderer, texture, nullptr, &target);
    SDL_RenderPresent(renderer);
    last_present = SDL_GetPerformanceCounter();
}

void wait_vblank()
{
    // No portable way to wait for the blank itself: wait for the next refresh boundary.
    if (refresh_period == 0) {
        return;
    }
    const Uint64 now = SDL_GetPerformanceCounter();
    const Uint64 next = (now / refresh_period + 1) * refresh_period;
    const Uint64 ms = (next - now) * 1000 / SDL_GetPerformanceFrequency();
    SDL_Delay(static_cast<Uint32>(ms));
}

} // namespace

void display_exposed()
{
    display_invalidate();
    last_present = 0;
}

void display_shutdown()
{
    if (texture != nullptr) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    texture_width = 0;
    texture_height = 0;
}

void fill_display_driver(DisplayDriver& driver)
{
    driver.open = open;
    driver.close = close;
    driver.set_mode = set_mode;
    driver.desktop_size = desktop_size;
    driver.pitch_for_row = pitch_for_row;
    driver.reported_16bit_format = reported_16bit_format;
    driver.ready_to_present = ready_to_present;
    driver.present = present;
    driver.wait_vblank = wait_vblank;
}

} // namespace sdl
} // namespace platform
