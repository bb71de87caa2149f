// Each screen transition in turn: a picture is shown, the effect plays on the visible
// (primary) surface, and its end state stays on screen for a moment before the picture
// and its palette come back for the next one.
#include <cmath>
#include <cstdio>

#include "examples/demo.h"
#include "gfx/gfx.h"

namespace {

constexpr int frames_shown = 10;        // the picture before the effect
constexpr int frames_per_effect = 22;   // picture, effect, end state
constexpr int effect_count = 9;

const char* const effect_names[effect_count] = {
    "Fade to black", "Fade to white", "Wipe from the sides", "Wipe from top and bottom", "Dissolve",
    "Wipe from every edge", "Tint to blue", "Tint to red", "Tint to green",
};

PALETTEENTRY colours[256] = {};
platform::Surface* picture = nullptr;

void make_palette()
{
    for (int i = 1; i < 128; ++i) {
        const double t = i / 128.0;
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(10 + 60 * t), static_cast<uint8_t>(60 + 120 * t),
                                  static_cast<uint8_t>(120 + 130 * t), 0};
    }
    for (int i = 128; i < 250; ++i) {
        const double t = (i - 128) / 122.0 * 6.2831853;
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(128 + 127 * std::sin(t)),
                                  static_cast<uint8_t>(128 + 127 * std::sin(t + 2.094)),
                                  static_cast<uint8_t>(128 + 127 * std::sin(t + 4.189)), 0};
    }
    colours[255] = PALETTEENTRY{255, 255, 255, 0};
}

// Bands of water with rings of coloured triangles: something for every effect to eat.
void paint_picture(uint8_t* pixels, int pitch)
{
    for (int y = 0; y < screen_height; ++y) {
        HLine(0, screen_width - 1, y, 1 + y * 126 / screen_height, pixels, pitch);
    }
    for (int ring = 0; ring < 3; ++ring) {
        const int count = 8 + ring * 6;
        const int radius = 70 + ring * 65;
        for (int i = 0; i < count; ++i) {
            const double a = i * 6.2831853 / count + ring;
            const int cx = 320 + static_cast<int>(radius * std::cos(a));
            const int cy = 240 + static_cast<int>(radius * 0.8 * std::sin(a));
            const int size = 18 + ring * 6;
            Draw_Triangle_2D(cx, cy - size, cx + size, cy + size, cx - size, cy + size, 128 + (i * 11 + ring * 40) % 122,
                             pixels, pitch);
        }
    }
}

void enter()
{
    make_palette();
    Set_Palette(colours);
    picture = DDraw_Create_Surface(screen_width, screen_height, 0, 0);
    int pitch = 0;
    if (uint8_t* pixels = DDraw_Lock_Surface(picture, &pitch)) {
        paint_picture(pixels, pitch);
        DDraw_Unlock_Surface(picture);
    }
}

void frame(int frame_number)
{
    const int effect = (frame_number / frames_per_effect) % effect_count;
    const int phase = frame_number % frames_per_effect;
    if (phase == 0) {
        Set_Palette(colours);
    }
    if (phase < frames_shown) {
        platform::surface_blt(lpddsback, nullptr, picture, nullptr, false);
        char title[64];
        std::snprintf(title, sizeof title, "Next: %s", effect_names[effect]);
        Draw_Text_GDI(title, 20, 20, 255, lpddsback);
        return;
    }
    if (phase == frames_shown) {
        // The picture is on the screen now: the effect plays there, step by step.
        if (uint8_t* pixels = DDraw_Lock_Primary_Surface()) {
            Screen_Transitions(effect, pixels, primary_lpitch);
            DDraw_Unlock_Primary_Surface();
        }
        // The demo flips after each frame; the end state goes to the back surface too.
        platform::surface_blt(lpddsback, nullptr, lpddsprimary, nullptr, false);
    }
}

void leave()
{
    platform::surface_release(picture);
    picture = nullptr;
}

} // namespace

const DemoScene transitions_scene = {"Screen transitions: fades, tints, wipes and the dissolve", enter, frame, leave};
