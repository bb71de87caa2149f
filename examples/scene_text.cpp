// Bitmaps, images and text: an underwater picture cut out of a picture record, fish cut
// from a framed template and drawn with 0 as transparent, a strip of kelp that scrolls
// with wrap-around, text in several colours, a blinker and shimmering water made by
// rotating palette entries.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "examples/demo.h"
#include "gfx/gfx.h"

namespace {

// Palette layout of the scene.
constexpr int shallow_first = 1;    // upper water, cycled
constexpr int shallow_last = 48;
constexpr int deep_first = 49;      // lower water, cycled
constexpr int deep_last = 96;
constexpr int sand_first = 100;     // 32 shades of sand and rock
constexpr int fish_first = 140;     // 16 shades of orange
constexpr int kelp_first = 160;     // 16 shades of green
constexpr int frame_line = 180;     // the template's framing lines
constexpr int lamp = 250;           // driven by the blinker
constexpr int white = 251;
constexpr int coral = 254;

constexpr int fish_width = 40;
constexpr int fish_height = 24;
constexpr int fish_count = 5;

BITMAP_IMAGE_TYP background = {};
BITMAP_IMAGE_TYP kelp = {};
BITMAP_IMAGE_TYP fish[3] = {};
platform::Surface* sign = nullptr;
int lamp_blinker = -1;

uint8_t noise(int x, int y)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<uint8_t>(h >> 24);
}

// A picture record made in memory, as Load_Bitmap_File would leave it.
void make_picture(BITMAP_FILE_TAG& picture, int width, int height)
{
    picture.info_header.biWidth = width;
    picture.info_header.biHeight = height;
    picture.info_header.biBitCount = 8;
    picture.buffer = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 1));
}

void paint_seabed(BITMAP_FILE_TAG& picture)
{
    uint8_t* pixels = picture.buffer;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const double ground = 400 + 25 * std::sin(x / 70.0) + 12 * std::sin(x / 23.0 + 1.0);
            uint8_t value = 0;
            if (y >= ground) {
                const double rock = std::sin(x / 9.0) * std::cos(y / 7.0) + noise(x, y) / 400.0;
                value = static_cast<uint8_t>(sand_first + (rock > 0.6 ? 24 : 4) + noise(x, y) % 8);
            } else {
                // Ripples: bands of the cycled entries that lean with depth.
                const int ripple = static_cast<int>(y / 5.0 + 6 * std::sin(x / 45.0 + y / 30.0));
                const bool deep = y > 200 + 25 * std::sin(x / 80.0);
                const int span = shallow_last - shallow_first + 1;
                value = static_cast<uint8_t>((deep ? deep_first : shallow_first) + ((ripple % span) + span) % span);
            }
            pixels[y * 640 + x] = value;
        }
    }
}

// Three fish in a framed template: each cell sits inside one-pixel lines.
void paint_fish_template(BITMAP_FILE_TAG& picture)
{
    const int width = picture.info_header.biWidth;
    uint8_t* pixels = picture.buffer;
    for (int y = 0; y < picture.info_header.biHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool line = x % (fish_width + 1) == 0 || y % (fish_height + 1) == 0;
            if (line) {
                pixels[y * width + x] = frame_line;
                continue;
            }
            const int cell = x / (fish_width + 1);
            const double fx = (x % (fish_width + 1) - 1 - 15.0) / 14.0;
            const double fy = (y - 1 - 12.0) / (8.0 + cell);
            const bool body = fx * fx + fy * fy <= 1.0;
            const double tail_x = (x % (fish_width + 1) - 1) - 29.0;
            const bool tail = tail_x >= 0 && tail_x < 10 && std::fabs(y - 13.0) <= tail_x * 0.8;
            const bool eye = std::fabs(fx + 0.6) < 0.1 && std::fabs(fy + 0.15) < 0.15;
            if (body || tail) {
                pixels[y * width + x] = static_cast<uint8_t>(eye ? white : fish_first + (cell * 5 + (y % 6)) % 16);
            }
        }
    }
}

void paint_kelp(BITMAP_IMAGE_TYP& strip)
{
    for (int stalk = 0; stalk < 14; ++stalk) {
        const int base = 20 + stalk * 44 + noise(stalk, 1) % 16;  // stalks stay inside the strip
        const int height = 40 + noise(stalk, 2) % 50;
        for (int y = 0; y < height; ++y) {
            const int row = strip.height - 1 - y;
            const int x = base + static_cast<int>(4 * std::sin(y / 9.0 + stalk));
            for (int dx = -2; dx <= 2; ++dx) {
                strip.buffer[row * strip.width + x + dx] = static_cast<uint8_t>(kelp_first + (y + dx + 2) % 16);
            }
        }
    }
}

void make_palette()
{
    PALETTEENTRY colours[256] = {};
    for (int i = shallow_first; i <= deep_last; ++i) {
        const bool deep = i >= deep_first;
        const int k = i - (deep ? deep_first : shallow_first);
        const double glint = 0.5 + 0.5 * std::sin(k * 6.2831853 / 48.0 * 3);
        const double base = deep ? 0.55 : 0.85;
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(10 + 40 * glint * base),
                                  static_cast<uint8_t>((90 + 80 * glint) * base),
                                  static_cast<uint8_t>((150 + 90 * glint) * base), PC_NOCOLLAPSE};
    }
    for (int i = 0; i < 32; ++i) {
        const int v = i < 20 ? 150 + i * 4 : 70 + (i - 20) * 6;
        colours[sand_first + i] = PALETTEENTRY{static_cast<uint8_t>(v), static_cast<uint8_t>(v * 85 / 100),
                                               static_cast<uint8_t>(v * 60 / 100), PC_NOCOLLAPSE};
    }
    for (int i = 0; i < 16; ++i) {
        colours[fish_first + i] = PALETTEENTRY{255, static_cast<uint8_t>(100 + i * 8), static_cast<uint8_t>(i * 4), PC_NOCOLLAPSE};
        colours[kelp_first + i] = PALETTEENTRY{static_cast<uint8_t>(20 + i * 2), static_cast<uint8_t>(90 + i * 6),
                                               static_cast<uint8_t>(40 + i), PC_NOCOLLAPSE};
    }
    colours[frame_line] = PALETTEENTRY{255, 0, 255, PC_NOCOLLAPSE};
    colours[lamp] = PALETTEENTRY{90, 10, 10, PC_NOCOLLAPSE};
    colours[white] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};
    colours[252] = PALETTEENTRY{255, 230, 60, PC_NOCOLLAPSE};
    colours[253] = PALETTEENTRY{0, 255, 0, PC_NOCOLLAPSE};
    colours[coral] = PALETTEENTRY{255, 120, 140, PC_NOCOLLAPSE};
    Set_Palette(colours);
}

void enter()
{
    make_palette();

    BITMAP_FILE_TAG picture = {};
    make_picture(picture, 640, 480);
    paint_seabed(picture);
    Create_Bitmap(&background, 0, 0, 640, 480, 8);
    Load_Image_Bitmap(&background, &picture, 0, 0, 1);
    Unload_Bitmap_File(&picture);

    make_picture(picture, 3 * (fish_width + 1) + 1, fish_height + 2);
    paint_fish_template(picture);
    for (int i = 0; i < 3; ++i) {
        Create_Bitmap(&fish[i], 0, 0, fish_width, fish_height, 8);
        Load_Image_Bitmap(&fish[i], &picture, i, 0, 0);
    }
    Unload_Bitmap_File(&picture);

    Create_Bitmap(&kelp, 0, 300, 640, 100, 8);
    paint_kelp(kelp);
    kelp.attr |= BITMAP_LOADED;

    // The sign is drawn once, in the lamp entry: the blinker recolours it from then on.
    sign = DDraw_Create_Surface(220, 24, DDSCAPS_SYSTEMMEMORY, 0);
    DDraw_Fill_Surface(sign, 0);
    Draw_Text_GDI("Blinker: one palette entry", 4, 4, lamp, sign);
    platform::surface_set_color_key(sign, 0);

    BLINKER_TYP light = {};
    light.color_index = lamp;
    light.on_color = PALETTEENTRY{255, 240, 40, PC_NOCOLLAPSE};
    light.off_color = PALETTEENTRY{90, 10, 10, PC_NOCOLLAPSE};
    light.on_ticks = 12;
    light.off_ticks = 8;
    lamp_blinker = Blink_Colors(BLINK_ADD, &light, 0);
}

void frame(int frame_number)
{
    if (DDraw_Lock_Back_Surface() != nullptr) {
        Draw_Bitmap(&background, back_buffer, back_lpitch, 0);
        Draw_Bitmap(&kelp, back_buffer, back_lpitch, 1);
        for (int i = 0; i < fish_count; ++i) {
            BITMAP_IMAGE_TYP& one = fish[i % 3];
            const int span = 640 + fish_width;
            one.x = span - 1 - (frame_number * (2 + i) + i * 150) % span;
            one.y = 60 + i * 55 + static_cast<int>(10 * std::sin((frame_number + i * 20) / 15.0));
            if (one.x >= 0 && one.x + fish_width <= 640) {
                Draw_Bitmap(&one, back_buffer, back_lpitch, 1);
            }
        }
        DDraw_Unlock_Back_Surface();
    }
    if (frame_number % 2 == 0) {
        Scroll_Bitmap(&kelp, 1, 0);
    }

    // The score line where the game has it, then a title and the clock.
    Draw_Text_GDI("Score : 12345", 35, 0, COLORREF{0x00ff00}, lpddsback);
    Draw_Text_GDI("Shield : 87", 300, 0, COLORREF{0x3CE6FF}, lpddsback);
    Draw_Text_GDI("High : 90210", 450, 0, coral, lpddsback);
    Draw_Text_GDI("Bitmaps, images, text", 20, 28, COLORREF{0xFFFFFF}, lpddsback);
    char clock_line[64];
    std::snprintf(clock_line, sizeof clock_line, "frame %d   clock %u ms", frame_number,
                  static_cast<unsigned>(Get_Clock()));
    Draw_Text_GDI(clock_line, 20, 46, white, lpddsback);
    const RECT where{400, 28, 620, 52};
    platform::surface_blt(lpddsback, &where, sign, nullptr, true);

    // Palette effects: the water shimmers and the lamp blinks without a pixel redrawn.
    Rotate_Colors(shallow_first, shallow_last);
    Rotate_Colors(deep_first, deep_last);
    Blink_Colors(BLINK_RUN, nullptr, 0);
}

void leave()
{
    Blink_Colors(BLINK_DELETE, nullptr, lamp_blinker);
    lamp_blinker = -1;
    platform::surface_release(sign);
    sign = nullptr;
    Destroy_Bitmap(&kelp);
    for (BITMAP_IMAGE_TYP& one : fish) {
        Destroy_Bitmap(&one);
    }
    Destroy_Bitmap(&background);
}

} // namespace

const DemoScene text_scene = {"Bitmaps, images, text, a blinker and shimmering water", enter, frame, leave};
