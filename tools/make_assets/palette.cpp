#include "tools/make_assets/palette.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace assets {

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

// Fills the ramp by running evenly through its key colours, dark to light.
void fill_ramp(std::array<PALETTEENTRY, 256>& entries, Ramp ramp, std::initializer_list<Rgb> keys)
{
    const std::vector<Rgb> key(keys);
    const int segments = static_cast<int>(key.size()) - 1;
    for (int i = 0; i < ramp.count; ++i) {
        const float position = ramp.count > 1 ? static_cast<float>(i) / static_cast<float>(ramp.count - 1) : 0.0f;
        const float scaled = position * static_cast<float>(segments);
        const int segment = std::min(static_cast<int>(scaled), segments - 1);
        const float f = scaled - static_cast<float>(segment);
        const Rgb& a = key[static_cast<size_t>(segment)];
        const Rgb& b = key[static_cast<size_t>(segment + 1)];
        PALETTEENTRY& entry = entries[static_cast<size_t>(ramp.first + i)];
        entry.peRed = static_cast<uint8_t>(std::lround(static_cast<float>(a.r) + f * static_cast<float>(b.r - a.r)));
        entry.peGreen = static_cast<uint8_t>(std::lround(static_cast<float>(a.g) + f * static_cast<float>(b.g - a.g)));
        entry.peBlue = static_cast<uint8_t>(std::lround(static_cast<float>(a.b) + f * static_cast<float>(b.b - a.b)));
        entry.peFlags = 0;
    }
}

void set(std::array<PALETTEENTRY, 256>& entries, uint8_t index, int r, int g, int b)
{
    entries[index] = PALETTEENTRY{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0};
}

std::array<PALETTEENTRY, 256> build_palette()
{
    std::array<PALETTEENTRY, 256> entries{};
    set(entries, colour::transparent, 0, 0, 0);
    set(entries, colour::white, 255, 255, 255);
    set(entries, colour::ink, 10, 12, 30);
    set(entries, colour::grid, 255, 0, 255);
    set(entries, colour::gold, 255, 204, 40);
    set(entries, colour::orange, 250, 132, 24);
    set(entries, colour::red, 218, 36, 36);
    set(entries, colour::pale_cyan, 182, 240, 255);
    set(entries, colour::light_grey, 202, 206, 216);
    set(entries, colour::grey, 126, 130, 146);
    set(entries, colour::pure_green, 0, 255, 0);
    set(entries, colour::dark_grey, 56, 58, 70);
    set(entries, colour::yellow, 255, 240, 92);
    set(entries, colour::dark_red, 120, 16, 22);
    set(entries, colour::navy, 20, 30, 70);
    set(entries, colour::sky, 92, 172, 232);
    set(entries, colour::deep_navy, 6, 14, 36);
    set(entries, colour::panel, 16, 36, 72);
    set(entries, colour::panel_edge, 72, 132, 192);
    set(entries, colour::mint, 124, 232, 192);
    // Spare single entries, kept distinct from each other.
    for (int i = 20; i < 29; ++i) {
        set(entries, static_cast<uint8_t>(i), 40 + 8 * (i - 20), 44 + 8 * (i - 20), 60 + 8 * (i - 20));
    }
    set(entries, colour::obstacle, 40, 150, 84);

    fill_ramp(entries, water_ramp, {{3, 12, 40}, {8, 36, 92}, {18, 76, 146}, {52, 138, 196}, {132, 210, 240}});
    fill_ramp(entries, sand_ramp, {{52, 44, 42}, {124, 100, 72}, {198, 168, 112}, {246, 226, 172}});
    fill_ramp(entries, rock_ramp, {{16, 18, 32}, {50, 52, 70}, {98, 96, 104}, {170, 164, 158}});
    fill_ramp(entries, coral_pink_ramp, {{64, 8, 38}, {168, 36, 84}, {236, 96, 136}, {255, 196, 212}});
    fill_ramp(entries, coral_orange_ramp, {{76, 22, 8}, {186, 70, 16}, {248, 142, 40}, {255, 220, 150}});
    fill_ramp(entries, coral_purple_ramp, {{30, 12, 56}, {88, 42, 140}, {156, 96, 210}, {226, 190, 255}});
    fill_ramp(entries, kelp_ramp, {{12, 36, 26}, {40, 92, 44}, {96, 150, 56}, {190, 222, 112}});
    fill_ramp(entries, reef_shadow_ramp, {{4, 22, 22}, {14, 58, 48}, {44, 108, 84}});
    fill_ramp(entries, skin_ramp, {{72, 34, 22}, {162, 98, 66}, {226, 164, 120}, {255, 222, 190}});
    fill_ramp(entries, suit_ramp, {{6, 8, 20}, {18, 26, 56}, {38, 56, 104}, {96, 124, 184}});
    fill_ramp(entries, yellow_metal_ramp, {{62, 38, 4}, {160, 112, 6}, {232, 188, 20}, {255, 236, 96}, {255, 252, 214}});
    fill_ramp(entries, glass_ramp, {{14, 44, 70}, {46, 120, 160}, {120, 208, 236}, {232, 252, 255}});
    fill_ramp(entries, steel_ramp, {{12, 14, 22}, {30, 40, 62}, {64, 84, 118}, {132, 156, 196}, {224, 234, 250}});
    fill_ramp(entries, oil_ramp, {{14, 10, 6}, {46, 32, 16}, {118, 86, 44}, {200, 170, 110}});
    fill_ramp(entries, bubble_ramp, {{60, 140, 190}, {140, 212, 240}, {210, 244, 255}, {250, 255, 255}});
    fill_ramp(entries, gold_ramp, {{86, 36, 4}, {176, 96, 8}, {236, 164, 24}, {255, 222, 90}, {255, 250, 220}});
    fill_ramp(entries, electric_ramp, {{30, 16, 100}, {60, 90, 220}, {110, 180, 255}, {226, 244, 255}});
    fill_ramp(entries, red_ramp, {{56, 2, 8}, {150, 16, 20}, {228, 56, 40}, {255, 160, 128}});
    fill_ramp(entries, grey_ramp, {{24, 26, 32}, {90, 94, 104}, {170, 174, 182}, {242, 244, 248}});
    return entries;
}

constexpr float bayer4[4][4] = {
    {0.0f / 16, 8.0f / 16, 2.0f / 16, 10.0f / 16},
    {12.0f / 16, 4.0f / 16, 14.0f / 16, 6.0f / 16},
    {3.0f / 16, 11.0f / 16, 1.0f / 16, 9.0f / 16},
    {15.0f / 16, 7.0f / 16, 13.0f / 16, 5.0f / 16},
};

} // namespace

const std::array<PALETTEENTRY, 256>& shared_palette()
{
    static const std::array<PALETTEENTRY, 256> entries = build_palette();
    return entries;
}

uint8_t ramp_step(Ramp ramp, int step)
{
    return static_cast<uint8_t>(ramp.first + std::clamp(step, 0, ramp.count - 1));
}

float dither_threshold(int x, int y)
{
    return bayer4[y & 3][x & 3] + 1.0f / 32.0f;
}

uint8_t ramp_shade(Ramp ramp, float t, int x, int y)
{
    const float position = std::clamp(t, 0.0f, 1.0f) * static_cast<float>(ramp.count - 1);
    const int below = static_cast<int>(position);
    const int step = position - static_cast<float>(below) > dither_threshold(x, y) ? below + 1 : below;
    return ramp_step(ramp, step);
}

uint8_t nearest_entry(int r, int g, int b)
{
    const std::array<PALETTEENTRY, 256>& entries = shared_palette();
    int best = colour::white;
    int best_distance = 1 << 30;
    for (int i = 1; i < 256; ++i) {
        if (i == colour::obstacle || i == colour::grid) {
            continue;
        }
        const int dr = entries[static_cast<size_t>(i)].peRed - r;
        const int dg = entries[static_cast<size_t>(i)].peGreen - g;
        const int db = entries[static_cast<size_t>(i)].peBlue - b;
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return static_cast<uint8_t>(best);
}

} // namespace assets
