// The one 256-colour palette that every picture and sprite sheet of the game carries.
//
// Index 0 is black and the sprites' transparent key; index 29 is the obstacle colour,
// used only by the obstacles of the play background (the game pulses its green while
// playing). Low entries are single colours for text and lines, pure green among them
// below 29 so the status texts find it first; the rest are ramps from dark to light
// that the shading code picks from with ordered dithering.
#pragma once

#include <array>
#include <cstdint>

#include "platform/types.h"

namespace assets {

namespace colour {
constexpr uint8_t transparent = 0;   // black in pictures, see-through in sprites
constexpr uint8_t white = 1;
constexpr uint8_t ink = 2;           // near-black outlines and text shadows
constexpr uint8_t grid = 3;          // the lines between sprite cells
constexpr uint8_t gold = 4;
constexpr uint8_t orange = 5;
constexpr uint8_t red = 6;
constexpr uint8_t pale_cyan = 7;
constexpr uint8_t light_grey = 8;
constexpr uint8_t grey = 9;
constexpr uint8_t pure_green = 10;   // (0, 255, 0): the status texts
constexpr uint8_t dark_grey = 11;
constexpr uint8_t yellow = 12;
constexpr uint8_t dark_red = 13;
constexpr uint8_t navy = 14;
constexpr uint8_t sky = 15;
constexpr uint8_t deep_navy = 16;
constexpr uint8_t panel = 17;
constexpr uint8_t panel_edge = 18;
constexpr uint8_t mint = 19;
constexpr uint8_t obstacle = 29;     // reef green on file; the game makes it glow
} // namespace colour

// A run of palette entries from dark (first) to light (first + count - 1).
struct Ramp {
    uint8_t first;
    uint8_t count;
};

constexpr Ramp water_ramp{30, 48};
constexpr Ramp sand_ramp{78, 14};
constexpr Ramp rock_ramp{92, 14};
constexpr Ramp coral_pink_ramp{106, 10};
constexpr Ramp coral_orange_ramp{116, 10};
constexpr Ramp coral_purple_ramp{126, 10};
constexpr Ramp kelp_ramp{136, 10};
constexpr Ramp reef_shadow_ramp{146, 8};
constexpr Ramp skin_ramp{154, 8};
constexpr Ramp suit_ramp{162, 10};
constexpr Ramp yellow_metal_ramp{172, 12};
constexpr Ramp glass_ramp{184, 8};
constexpr Ramp steel_ramp{192, 12};
constexpr Ramp oil_ramp{204, 6};
constexpr Ramp bubble_ramp{210, 8};
constexpr Ramp gold_ramp{218, 12};
constexpr Ramp electric_ramp{230, 8};
constexpr Ramp red_ramp{238, 8};
constexpr Ramp grey_ramp{246, 10};

// The palette, built once.
const std::array<PALETTEENTRY, 256>& shared_palette();

// Step `step` of `ramp`, clamped to the ramp.
uint8_t ramp_step(Ramp ramp, int step);

// The entry of `ramp` for brightness `t` (0 darkest .. 1 lightest) at pixel (x, y):
// values between two entries are spread over both with a 4x4 ordered dither.
uint8_t ramp_shade(Ramp ramp, float t, int x, int y);

// The 4x4 ordered-dither threshold of pixel (x, y), in 0..1.
float dither_threshold(int x, int y);

// The entry nearest to (r, g, b); never 0 (transparent in sprites), 29 (obstacles) or
// the grid colour of the sprite sheets.
uint8_t nearest_entry(int r, int g, int b);

} // namespace assets
