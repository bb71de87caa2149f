// Palette cycling over a plasma picture, with an off-screen surface drawn colour-keyed
// and stretched on top: the display's surfaces, blits and palette at work.
#include <cmath>
#include <cstring>

#include "examples/demo.h"
#include "gfx/gfx.h"

namespace {

platform::Surface* plasma = nullptr;
platform::Surface* star = nullptr;

void draw_plasma(uint8_t* pixels, int pitch)
{
    for (int y = 0; y < screen_height; ++y) {
        uint8_t* row = pixels + y * pitch;
        for (int x = 0; x < screen_width; ++x) {
            const double v = std::sin(x / 37.0) + std::sin(y / 23.0) + std::sin((x + y) / 51.0) +
                             std::sin(std::sqrt(static_cast<double>((x - 320) * (x - 320) + (y - 240) * (y - 240))) / 29.0);
            row[x] = static_cast<uint8_t>(1 + static_cast<int>((v + 4.0) * 31.7) % 240);
        }
    }
}

void draw_star(uint8_t* pixels, int pitch, int size)
{
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int dx = std::abs(2 * x - size + 1);
            const int dy = std::abs(2 * y - size + 1);
            // A four-pointed star: index 0 (the key) outside it, white and gold inside.
            const bool inside = dx * dy < size * 6 && dx + dy < size * 2 - 4;
            pixels[y * pitch + x] = inside ? static_cast<uint8_t>(dx + dy < size / 2 ? 255 : 250) : 0;
        }
    }
}

void enter()
{
    PALETTEENTRY colours[256] = {};
    for (int i = 1; i < 241; ++i) {
        const double t = (i - 1) / 240.0 * 6.2831853;
        colours[i].peRed = static_cast<uint8_t>(127 + 120 * std::sin(t));
        colours[i].peGreen = static_cast<uint8_t>(127 + 120 * std::sin(t + 2.1));
        colours[i].peBlue = static_cast<uint8_t>(127 + 120 * std::sin(t + 4.2));
        colours[i].peFlags = PC_NOCOLLAPSE;
    }
    colours[250] = PALETTEENTRY{255, 200, 40, PC_NOCOLLAPSE};
    colours[255] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};
    Set_Palette(colours);

    plasma = DDraw_Create_Surface(screen_width, screen_height, 0, 0);
    int pitch = 0;
    if (uint8_t* pixels = DDraw_Lock_Surface(plasma, &pitch)) {
        draw_plasma(pixels, pitch);
        DDraw_Unlock_Surface(plasma);
    }
    star = DDraw_Create_Surface(48, 48, DDSCAPS_SYSTEMMEMORY, 0);
    if (uint8_t* pixels = DDraw_Lock_Surface(star, &pitch)) {
        draw_star(pixels, pitch, 48);
        DDraw_Unlock_Surface(star);
    }
}

void frame(int frame_number)
{
    platform::surface_blt(lpddsback, nullptr, plasma, nullptr, false);
    for (int i = 0; i < 6; ++i) {
        const double t = frame_number / 40.0 + i * 1.047;
        const int size = 48 + static_cast<int>(40 * (1 + std::sin(t * 1.7)));
        const int x = 320 + static_cast<int>(250 * std::cos(t)) - size / 2;
        const int y = 240 + static_cast<int>(180 * std::sin(t * 1.3)) - size / 2;
        const RECT where{x, y, x + size, y + size};
        platform::surface_blt(lpddsback, &where, star, nullptr, true);
    }
    // Colour cycling: the picture moves without a pixel being redrawn.
    Rotate_Colors(1, 240);
}

void leave()
{
    platform::surface_release(star);
    platform::surface_release(plasma);
    star = nullptr;
    plasma = nullptr;
}

} // namespace

const DemoScene palette_scene = {"Palette cycling and colour-keyed, stretched blits", enter, frame, leave};
