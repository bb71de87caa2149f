#include "tools/make_assets/draw.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gfx/gfx.h"
#include "platform/display.h"
#include "platform/text.h"

namespace assets {

namespace {

// While alive, the library's clip rectangle is the whole canvas, so its clipped
// primitives never write outside it.
class ClipToCanvas {
public:
    explicit ClipToCanvas(const Canvas& canvas)
        : min_x_(min_clip_x), max_x_(max_clip_x), min_y_(min_clip_y), max_y_(max_clip_y)
    {
        min_clip_x = 0;
        max_clip_x = canvas.width - 1;
        min_clip_y = 0;
        max_clip_y = canvas.height - 1;
    }
    ClipToCanvas(const ClipToCanvas&) = delete;
    ClipToCanvas& operator=(const ClipToCanvas&) = delete;
    ~ClipToCanvas()
    {
        min_clip_x = min_x_;
        max_clip_x = max_x_;
        min_clip_y = min_y_;
        max_clip_y = max_y_;
    }

private:
    int32_t min_x_;
    int32_t max_x_;
    int32_t min_y_;
    int32_t max_y_;
};

int round_to_int(float value)
{
    return static_cast<int>(std::lround(value));
}

// Library calls take the canvas as memory and a pitch.
int pitch_of(const Canvas& canvas)
{
    return canvas.width;
}

} // namespace

Canvas::Canvas(int w, int h, uint8_t fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill)
{
}

uint32_t Random::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

float Random::unit()
{
    return static_cast<float>(next() >> 8) / 16777216.0f;
}

float Random::range(float low, float high)
{
    return low + (high - low) * unit();
}

float smooth_step(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float value_noise(float x, uint32_t seed)
{
    auto lattice = [seed](int i) {
        uint32_t h = static_cast<uint32_t>(i & 255) * 374761393u + seed * 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        h ^= h >> 16;
        return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
    };
    const float cell = std::floor(x);
    const int i = static_cast<int>(cell);
    const float f = x - cell;
    const float s = f * f * (3.0f - 2.0f * f);
    return lattice(i) + (lattice(i + 1) - lattice(i)) * s;
}

float value_noise_2d(float x, float y, uint32_t seed)
{
    auto lattice = [seed](int i, int j) {
        uint32_t h = static_cast<uint32_t>(i & 255) * 374761393u + static_cast<uint32_t>(j & 255) * 668265263u +
                     seed * 2246822519u;
        h = (h ^ (h >> 13)) * 1274126177u;
        h ^= h >> 16;
        return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
    };
    const float cx = std::floor(x);
    const float cy = std::floor(y);
    const int i = static_cast<int>(cx);
    const int j = static_cast<int>(cy);
    const float fx = x - cx;
    const float fy = y - cy;
    const float sx = fx * fx * (3.0f - 2.0f * fx);
    const float sy = fy * fy * (3.0f - 2.0f * fy);
    const float top = lattice(i, j) + (lattice(i + 1, j) - lattice(i, j)) * sx;
    const float bottom = lattice(i, j + 1) + (lattice(i + 1, j + 1) - lattice(i, j + 1)) * sx;
    return top + (bottom - top) * sy;
}

void fill_polygon(Canvas& canvas, const std::vector<Vec>& convex_outline, uint8_t c)
{
    if (convex_outline.size() < 3) {
        return;
    }
    std::vector<VERTEX2D_TYP> vertices;
    vertices.reserve(convex_outline.size());
    for (const Vec& v : convex_outline) {
        vertices.push_back({static_cast<float>(round_to_int(v.x)), static_cast<float>(round_to_int(v.y))});
    }
    POLYGON2D_TYP polygon = {};
    polygon.state = 1;
    polygon.num_vertices = static_cast<int32_t>(vertices.size());
    polygon.color = c;
    polygon.vertices = vertices.data();
    const ClipToCanvas clip(canvas);
    Draw_Filled_Polygon2D(&polygon, canvas.data(), pitch_of(canvas));
}

void fill_triangle(Canvas& canvas, Vec a, Vec b, Vec c, uint8_t colour_index)
{
    const ClipToCanvas clip(canvas);
    Draw_Triangle_2D(round_to_int(a.x), round_to_int(a.y), round_to_int(b.x), round_to_int(b.y), round_to_int(c.x),
                     round_to_int(c.y), colour_index, canvas.data(), pitch_of(canvas));
}

void draw_line(Canvas& canvas, Vec a, Vec b, uint8_t c)
{
    const ClipToCanvas clip(canvas);
    Draw_Clip_Line(round_to_int(a.x), round_to_int(a.y), round_to_int(b.x), round_to_int(b.y), c, canvas.data(),
                   pitch_of(canvas));
}

void draw_thick_line(Canvas& canvas, Vec a, Vec b, float width, uint8_t c)
{
    const Vec d = b - a;
    const float length = std::sqrt(d.x * d.x + d.y * d.y);
    if (length < 0.01f || width <= 1.0f) {
        draw_line(canvas, a, b, c);
        return;
    }
    const Vec side = Vec{-d.y / length, d.x / length} * (width * 0.5f);
    fill_polygon(canvas, {a + side, b + side, b - side, a - side}, c);
    draw_line(canvas, a, b, c);
}

void fill_rect(Canvas& canvas, int left, int top, int right, int bottom, uint8_t c)
{
    const ClipToCanvas clip(canvas);
    for (int y = std::max(top, 0); y < std::min(bottom, canvas.height); ++y) {
        HLine(left, right - 1, y, c, canvas.data(), pitch_of(canvas));
    }
}

void frame_rect(Canvas& canvas, int left, int top, int right, int bottom, uint8_t c)
{
    const ClipToCanvas clip(canvas);
    HLine(left, right - 1, top, c, canvas.data(), pitch_of(canvas));
    HLine(left, right - 1, bottom - 1, c, canvas.data(), pitch_of(canvas));
    VLine(top, bottom - 1, left, c, canvas.data(), pitch_of(canvas));
    VLine(top, bottom - 1, right - 1, c, canvas.data(), pitch_of(canvas));
}

void library_text(Canvas& canvas, int x, int y, const std::string& text, uint8_t c)
{
    // The text service picks the nearest entry of the palette the surface is shown
    // through, so the shared palette must be the one installed.
    Set_Palette(shared_palette().data());
    platform::Surface* surface = DDraw_Create_Surface(canvas.width, canvas.height, DDSCAPS_SYSTEMMEMORY, 0);
    if (surface == nullptr) {
        std::fprintf(stderr, "make_assets: no surface for the text \"%s\"\n", text.c_str());
        return;
    }
    auto copy = [&canvas, surface](bool into_surface) {
        int pitch = 0;
        uint8_t* memory = DDraw_Lock_Surface(surface, &pitch);
        if (memory == nullptr) {
            return false;
        }
        for (int row = 0; row < canvas.height; ++row) {
            uint8_t* surface_row = memory + static_cast<std::ptrdiff_t>(row) * pitch;
            uint8_t* canvas_row = canvas.data() + static_cast<std::ptrdiff_t>(row) * canvas.width;
            if (into_surface) {
                std::memcpy(surface_row, canvas_row, static_cast<size_t>(canvas.width));
            } else {
                std::memcpy(canvas_row, surface_row, static_cast<size_t>(canvas.width));
            }
        }
        DDraw_Unlock_Surface(surface);
        return true;
    };
    if (copy(true) && Draw_Text_GDI(text.c_str(), x, y, static_cast<int>(c), surface) == 1) {
        copy(false);
    } else {
        std::fprintf(stderr, "make_assets: cannot draw the text \"%s\"\n", text.c_str());
    }
    platform::surface_release(surface);
}

int library_text_width(const std::string& text)
{
    int width = 0;
    int height = 0;
    return platform::text_extent(text.c_str(), static_cast<int>(text.size()), width, height) ? width : 0;
}

float light_level(float nx, float ny, float nz)
{
    // Light from the upper left, in front of the picture; a soft highlight toward it.
    constexpr float lx = -0.45f;
    constexpr float ly = -0.60f;
    constexpr float lz = 0.66f;
    const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    const float hx = lx;
    const float hy = ly;
    const float hz = lz + 1.0f;
    const float h_length = std::sqrt(hx * hx + hy * hy + hz * hz);
    const float facing = std::max(0.0f, (nx * hx + ny * hy + nz * hz) / h_length);
    const float highlight = std::pow(facing, 24.0f);
    return 0.14f + 0.72f * diffuse + 0.45f * highlight;
}

void shade_capsule(Canvas& canvas, Vec a, Vec b, float ra, float rb, Ramp ramp, float lift)
{
    const float r = std::max(ra, rb);
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - r)));
    const int x1 = std::min(canvas.width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + r)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - r)));
    const int y1 = std::min(canvas.height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + r)));
    const Vec d = b - a;
    const float length_squared = d.x * d.x + d.y * d.y;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const Vec p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            const Vec ap = p - a;
            const float t =
                length_squared > 0.0f ? std::clamp((ap.x * d.x + ap.y * d.y) / length_squared, 0.0f, 1.0f) : 0.0f;
            const Vec nearest = a + d * t;
            const float radius = ra + (rb - ra) * t;
            const Vec n = (p - nearest) * (1.0f / radius);
            const float n_squared = n.x * n.x + n.y * n.y;
            if (n_squared > 1.0f) {
                continue;
            }
            const float nz = std::sqrt(1.0f - n_squared);
            canvas.set(x, y, ramp_shade(ramp, light_level(n.x, n.y, nz) + lift, x, y));
        }
    }
}

void shade_ellipse(Canvas& canvas, Vec centre, float rx, float ry, Ramp ramp, float lift)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(centre.x - rx)));
    const int x1 = std::min(canvas.width - 1, static_cast<int>(std::ceil(centre.x + rx)));
    const int y0 = std::max(0, static_cast<int>(std::floor(centre.y - ry)));
    const int y1 = std::min(canvas.height - 1, static_cast<int>(std::ceil(centre.y + ry)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float nx = (static_cast<float>(x) + 0.5f - centre.x) / rx;
            const float ny = (static_cast<float>(y) + 0.5f - centre.y) / ry;
            const float n_squared = nx * nx + ny * ny;
            if (n_squared > 1.0f) {
                continue;
            }
            canvas.set(x, y, ramp_shade(ramp, light_level(nx, ny, std::sqrt(1.0f - n_squared)) + lift, x, y));
        }
    }
}

void outline_art(Canvas& canvas, uint8_t c)
{
    const std::vector<uint8_t> before = canvas.pixels;
    auto drawn = [&canvas, &before](int x, int y) {
        return canvas.inside(x, y) && before[static_cast<size_t>(y * canvas.width + x)] != colour::transparent;
    };
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            if (!drawn(x, y) && (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1))) {
                canvas.set(x, y, c);
            }
        }
    }
}

std::array<uint8_t, 256> tint_map(float scale, int r, int g, int b, float mix)
{
    const std::array<PALETTEENTRY, 256>& entries = shared_palette();
    std::array<uint8_t, 256> map{};
    for (int i = 0; i < 256; ++i) {
        if (i == colour::transparent || i == colour::obstacle) {
            map[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
            continue;
        }
        const PALETTEENTRY& e = entries[static_cast<size_t>(i)];
        auto channel = [scale, mix](int value, int toward) {
            const float scaled = static_cast<float>(value) * scale;
            return static_cast<int>(std::lround(scaled + (static_cast<float>(toward) - scaled) * mix));
        };
        map[static_cast<size_t>(i)] = nearest_entry(channel(e.peRed, r), channel(e.peGreen, g), channel(e.peBlue, b));
    }
    return map;
}

void remap_rect(Canvas& canvas, int left, int top, int right, int bottom, const std::array<uint8_t, 256>& map)
{
    for (int y = std::max(top, 0); y < std::min(bottom, canvas.height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, canvas.width); ++x) {
            canvas.set(x, y, map[canvas.at(x, y)]);
        }
    }
}

void blit_keyed(Canvas& target, const Canvas& source, int x, int y, int factor)
{
    for (int sy = 0; sy < source.height; ++sy) {
        for (int sx = 0; sx < source.width; ++sx) {
            const uint8_t c = source.at(sx, sy);
            if (c == colour::transparent) {
                continue;
            }
            for (int dy = 0; dy < factor; ++dy) {
                for (int dx = 0; dx < factor; ++dx) {
                    target.set(x + sx * factor + dx, y + sy * factor + dy, c);
                }
            }
        }
    }
}

bool render_text(const char* font_file, int pixel_size, const std::string& text, TextMask& mask)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "make_assets: FreeType cannot start\n");
        return false;
    }
    if (FT_New_Face(library, font_file, 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size)) != 0) {
        std::fprintf(stderr, "make_assets: cannot load the font %s\n", font_file);
        FT_Done_FreeType(library);
        return false;
    }
    const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    const int pad = pixel_size / 4 + 2;

    int total_advance = 0;
    for (char ch : text) {
        if (FT_Load_Char(face, static_cast<uint8_t>(ch), FT_LOAD_DEFAULT) == 0) {
            total_advance += static_cast<int>((face->glyph->advance.x + 32) >> 6);
        }
    }
    TextMask wide;
    wide.width = total_advance + 2 * pad;
    wide.height = ascent + descent;
    wide.coverage.assign(static_cast<size_t>(wide.width) * static_cast<size_t>(wide.height), 0);
    int pen = pad;
    for (char ch : text) {
        if (FT_Load_Char(face, static_cast<uint8_t>(ch), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            for (int col = 0; col < static_cast<int>(bitmap.width); ++col) {
                const int x = pen + slot->bitmap_left + col;
                const int y = ascent - slot->bitmap_top + row;
                if (x < 0 || y < 0 || x >= wide.width || y >= wide.height) {
                    continue;
                }
                uint8_t& cell = wide.coverage[static_cast<size_t>(y * wide.width + x)];
                cell = std::max(cell, bitmap.buffer[row * bitmap.pitch + col]);
            }
        }
        pen += static_cast<int>((slot->advance.x + 32) >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // Trim the sides to the ink, so centring uses what is seen.
    int first = wide.width;
    int last = -1;
    for (int x = 0; x < wide.width; ++x) {
        for (int y = 0; y < wide.height; ++y) {
            if (wide.at(x, y) != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    mask.height = wide.height;
    mask.ascent = ascent;
    mask.advance = total_advance;
    mask.ink_left = last >= first ? first - pad : 0;
    mask.width = last >= first ? last - first + 1 : 0;
    mask.coverage.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            mask.coverage[static_cast<size_t>(y * mask.width + x)] = wide.at(first + x, y);
        }
    }
    return true;
}

void draw_letters(Canvas& canvas, const TextMask& mask, int x, int y, const LetterStyle& style)
{
    int ink_top = mask.height;
    int ink_bottom = 0;
    for (int my = 0; my < mask.height; ++my) {
        for (int mx = 0; mx < mask.width; ++mx) {
            if (mask.at(mx, my) >= 128) {
                ink_top = std::min(ink_top, my);
                ink_bottom = std::max(ink_bottom, my);
            }
        }
    }
    const int grow = style.outline_width;
    // With a wave, every column of the mask is read shifted up or down.
    auto sway = [&style, &mask](int mx) {
        return style.wave == 0.0f ? 0
                                  : static_cast<int>(std::lround(style.wave * std::sin(static_cast<float>(mx) * 6.2831853f /
                                                                                      static_cast<float>(std::max(mask.height * 3, 1)))));
    };
    auto cover_at = [&mask, &sway](int mx, int my) { return mask.at(mx, my - sway(mx)); };
    auto near_ink = [&cover_at, grow](int mx, int my) {
        for (int dy = -grow; dy <= grow; ++dy) {
            for (int dx = -grow; dx <= grow; ++dx) {
                if (dx * dx + dy * dy <= grow * grow + grow && cover_at(mx + dx, my + dy) >= 96) {
                    return true;
                }
            }
        }
        return false;
    };
    // Shadow and outline cover the letters grown by the outline width.
    const int reach = grow + static_cast<int>(std::ceil(std::fabs(style.wave)));
    for (int my = -reach; my < mask.height + reach; ++my) {
        for (int mx = -grow; mx < mask.width + grow; ++mx) {
            if (near_ink(mx, my)) {
                if (style.shadow_offset > 0) {
                    canvas.set(x + mx + style.shadow_offset, y + my + style.shadow_offset, style.shadow);
                }
            }
        }
    }
    for (int my = -reach; my < mask.height + reach; ++my) {
        for (int mx = -grow; mx < mask.width + grow; ++mx) {
            const int px = x + mx;
            const int py = y + my;
            const float cover = static_cast<float>(cover_at(mx, my)) / 255.0f;
            // Edge pixels fall to the fill or the outline by an ordered dither, which
            // keeps the curves of large letters smooth.
            if (cover > 0.25f + 0.5f * dither_threshold(px, py)) {
                const float down = ink_bottom > ink_top
                                       ? static_cast<float>(my - sway(mx) - ink_top) / static_cast<float>(ink_bottom - ink_top)
                                       : 0.0f;
                const float t = style.fill_top + (style.fill_bottom - style.fill_top) * std::clamp(down, 0.0f, 1.0f);
                canvas.set(px, py, ramp_shade(style.fill, t, px, py));
            } else if (grow > 0 && near_ink(mx, my)) {
                canvas.set(px, py, style.outline);
            }
        }
    }
}

void draw_plain_letters(Canvas& canvas, const TextMask& mask, int x, int y, uint8_t c, uint8_t shadow)
{
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0 && shadow == colour::transparent) {
            continue;
        }
        const int offset = pass == 0 ? 1 : 0;
        const uint8_t ink = pass == 0 ? shadow : c;
        for (int my = 0; my < mask.height; ++my) {
            for (int mx = 0; mx < mask.width; ++mx) {
                if (mask.at(mx, my) >= 112) {
                    canvas.set(x + mx + offset, y + my + offset, ink);
                }
            }
        }
    }
}

int draw_text_runs(Canvas& canvas, int x, int y, const std::vector<TextRun>& runs, uint8_t shadow)
{
    int pen = x;
    for (const TextRun& run : runs) {
        TextMask mask;
        if (render_text(run.font, run.size, run.text, mask)) {
            draw_plain_letters(canvas, mask, pen + mask.ink_left, y, run.colour, shadow);
            pen += mask.advance;
        }
    }
    return pen;
}

int text_runs_width(const std::vector<TextRun>& runs)
{
    int width = 0;
    for (const TextRun& run : runs) {
        TextMask mask;
        if (render_text(run.font, run.size, run.text, mask)) {
            width += mask.advance;
        }
    }
    return width;
}

} // namespace assets
