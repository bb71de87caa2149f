// Drawing on 8-bit canvases in memory: the library's own primitives (polygons,
// triangles, lines, runs, text) with the clip rectangle set to the canvas, plus the
// shading, outlining and lettering that the pictures and sprites need beyond them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/make_assets/palette.h"

namespace assets {

struct Vec {
    float x;
    float y;
};

inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(Vec a, float s) { return {a.x * s, a.y * s}; }

// An 8-bit picture, top row first, pitch = width.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    Canvas(int w, int h, uint8_t fill = colour::transparent);
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    void set(int x, int y, uint8_t c)
    {
        if (inside(x, y)) {
            pixels[static_cast<size_t>(y * width + x)] = c;
        }
    }
    uint8_t* data() { return pixels.data(); }
};

// A small fixed-seed generator (xorshift), so every run draws the same picture.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed != 0 ? seed : 1u) {}
    uint32_t next();
    float unit();                      // 0 <= value < 1
    float range(float low, float high);

private:
    uint32_t state_;
};

// Smooth 1D value noise in about -1..1, period 256 in x.
float value_noise(float x, uint32_t seed);
// Smooth 2D value noise in about -1..1, period 256 in both directions.
float value_noise_2d(float x, float y, uint32_t seed);
float smooth_step(float edge0, float edge1, float x);

// --- The library's primitives on a canvas ------------------------------------------

void fill_polygon(Canvas& canvas, const std::vector<Vec>& convex_outline, uint8_t c);
void fill_triangle(Canvas& canvas, Vec a, Vec b, Vec c, uint8_t colour_index);
void draw_line(Canvas& canvas, Vec a, Vec b, uint8_t c);
void draw_thick_line(Canvas& canvas, Vec a, Vec b, float width, uint8_t c);
void fill_rect(Canvas& canvas, int left, int top, int right, int bottom, uint8_t c);  // right, bottom exclusive
void frame_rect(Canvas& canvas, int left, int top, int right, int bottom, uint8_t c);

// Text in the library's UI font (Draw_Text_GDI), top-left corner at (x, y).
void library_text(Canvas& canvas, int x, int y, const std::string& text, uint8_t c);
int library_text_width(const std::string& text);

// --- Shading ---------------------------------------------------------------------

// Lambert light from the upper left and in front, for a surface normal (nx, ny, nz).
float light_level(float nx, float ny, float nz);

// A round-ended tube from a (radius ra) to b (radius rb), lit as a 3D body.
// `lift` brightens (or darkens, negative) the whole shape.
void shade_capsule(Canvas& canvas, Vec a, Vec b, float ra, float rb, Ramp ramp, float lift = 0.0f);
// An ellipse with axes along x and y, lit as half a spheroid.
void shade_ellipse(Canvas& canvas, Vec centre, float rx, float ry, Ramp ramp, float lift = 0.0f);

// Every transparent pixel that touches a drawn one (4 neighbours) gets colour c.
void outline_art(Canvas& canvas, uint8_t c);

// For each palette index, the entry that shows its colour scaled by `scale` and mixed
// toward (r, g, b) by `mix`; 0 and 29 map to themselves.
std::array<uint8_t, 256> tint_map(float scale, int r, int g, int b, float mix);
// Applies `map` to every pixel of the rectangle (exclusive right and bottom).
void remap_rect(Canvas& canvas, int left, int top, int right, int bottom, const std::array<uint8_t, 256>& map);

// Copies the drawn (non-zero) pixels of `source`, each as a factor x factor block.
void blit_keyed(Canvas& target, const Canvas& source, int x, int y, int factor = 1);

// --- Lettering beyond the UI font ----------------------------------------------------

constexpr const char* sans_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* sans_bold_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Coverage (0..255) of a line of text set in a TrueType font at `pixel_size`, trimmed
// at the sides to the ink; rows span the font's whole line, baseline at `ascent`.
struct TextMask {
    int width = 0;
    int height = 0;
    int ascent = 0;
    int ink_left = 0;  // where the ink starts, from the pen position
    int advance = 0;   // how far the pen moves over the whole text
    std::vector<uint8_t> coverage;
    uint8_t at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : coverage[static_cast<size_t>(y * width + x)];
    }
};

// False (after one line on stderr) when the font cannot be loaded.
bool render_text(const char* font_file, int pixel_size, const std::string& text, TextMask& mask);

struct LetterStyle {
    Ramp fill;               // top of the letters light, bottom dark
    float fill_top;          // ramp brightness at the top
    float fill_bottom;       // ... and at the bottom
    uint8_t outline;
    int outline_width;       // 0 for none
    uint8_t shadow;
    int shadow_offset;       // 0 for none
    float wave = 0.0f;       // rows sway up and down by this many pixels along the line
};

// Letters with their top-left corner at (x, y).
void draw_letters(Canvas& canvas, const TextMask& mask, int x, int y, const LetterStyle& style);
// Plain letters in one colour, with a one-pixel shadow if `shadow` is not 0.
void draw_plain_letters(Canvas& canvas, const TextMask& mask, int x, int y, uint8_t c, uint8_t shadow);

// A piece of a line of text: its own font, size and colour.
struct TextRun {
    std::string text;
    const char* font;
    int size;
    uint8_t colour;
};

// Sets the runs one after another from the pen position (x, top of the line y), in
// plain letters with a shadow; returns the pen position after the last run.
int draw_text_runs(Canvas& canvas, int x, int y, const std::vector<TextRun>& runs, uint8_t shadow);
// The width the runs take.
int text_runs_width(const std::vector<TextRun>& runs);

} // namespace assets
