// What the benchmark programs share: the library's display on the headless backend,
// a sprite-like frame, and SDL2's 8-bit surfaces to measure the same pixels against.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "app/shell.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace reef_bench {

constexpr int frame_width = 72;
constexpr int frame_height = 84;

// A barrel-like frame: an ellipse of colours on key 0, about 40 % key pixels.
inline void draw_frame(uint8_t* pixels, int pitch)
{
    for (int y = 0; y < frame_height; ++y) {
        for (int x = 0; x < frame_width; ++x) {
            const double dx = (x + 0.5 - 36.0) / (36.0 * 0.874);
            const double dy = (y + 0.5 - 42.0) / (42.0 * 0.874);
            pixels[y * pitch + x] = dx * dx + dy * dy <= 1.0 ? static_cast<uint8_t>(1 + (x * 7 + y * 3) % 200) : 0;
        }
    }
}

// The library's 640x480x8 display on the headless backend (whose rows are padded),
// brought up once per program.
inline void start_display()
{
    static const bool started = [] {
        platform::platform_init("headless");
        platform::WindowClass window_class{"BENCH", WindowProc, 0};
        platform::window_register_class(window_class);
        main_window_handle = platform::window_create("BENCH", "bench", 0, 0, 640, 480);
        return DDraw_Init(640, 480, 8, 0) == 1;
    }();
    (void)started;
}

// SDL2's side: 8-bit surfaces sharing one palette (blits between surfaces with
// different palettes remap every pixel, which would measure something else).
struct SdlSurfaces8 {
    SdlSurfaces8()
    {
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i) {
            colours[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(255 - i), static_cast<Uint8>(i * 3), 255};
        }
        SDL_SetPaletteColors(shared, colours, 0, 256);
    }
    SDL_Surface* make(int width, int height) const
    {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8);
        SDL_SetSurfacePalette(s, shared);
        return s;
    }
    // The frame on a surface with colour key 0, RLE-accelerated when asked.
    SDL_Surface* keyed_frame(bool rle) const
    {
        SDL_Surface* s = make(frame_width, frame_height);
        draw_frame(static_cast<uint8_t*>(s->pixels), s->pitch);
        SDL_SetColorKey(s, SDL_TRUE, 0);
        SDL_SetSurfaceRLE(s, rle ? 1 : 0);
        return s;
    }
    SDL_Palette* shared = SDL_AllocPalette(256);
};

} // namespace reef_bench
