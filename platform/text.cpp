#include "platform/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/display.h"
#include "platform/fault.h"

namespace platform {

struct DeviceContext {
    Surface* surface;
    LockInfo lock;
    int bpp;  // 8, 15 (5.5.5) or 16 (5.6.5)
    COLORREF text_color;
    COLORREF background_color;
    int background_mode;
};

namespace {

constexpr const char* default_font_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// About the height of a desktop's default UI font: 16-pixel lines.
constexpr int font_pixel_size = 13;

// One character rendered once: a mask of set pixels, placed relative to the pen.
struct Glyph {
    bool rendered;
    int left;     // first column, from the pen position
    int top;      // first row, from the top of the text line
    int width;
    int height;
    int advance;  // pen movement in pixels
    std::vector<uint8_t> mask;  // width * height bytes, 1 = draw
};

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int ascent = 0;
    int line_height = 0;
    std::array<Glyph, 256> glyphs{};

    Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font()
    {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

std::string font_path = default_font_path;
std::unique_ptr<Font> font;
std::string reported_path;  // the missing font already told about, so it is said once
std::unordered_set<const DeviceContext*> live_contexts;

Font* open_font()
{
    if (font != nullptr) {
        return font.get();
    }
    auto opened = std::make_unique<Font>();
    if (FT_Init_FreeType(&opened->library) != 0 ||
        FT_New_Face(opened->library, font_path.c_str(), 0, &opened->face) != 0 ||
        FT_Set_Pixel_Sizes(opened->face, 0, font_pixel_size) != 0) {
        if (reported_path != font_path) {
            std::fprintf(stderr, "text: cannot load the font %s (install fonts-dejavu-core); no text is drawn\n",
                         font_path.c_str());
            reported_path = font_path;
        }
        return nullptr;
    }
    const FT_Size_Metrics& metrics = opened->face->size->metrics;
    opened->ascent = static_cast<int>((metrics.ascender + 63) >> 6);
    opened->line_height = static_cast<int>((metrics.height + 63) >> 6);
    font = std::move(opened);
    return font.get();
}

// Characters are 8-bit Latin-1, whose codes are the first 256 of Unicode.
const Glyph& glyph_for(Font& f, uint8_t code)
{
    Glyph& glyph = f.glyphs[code];
    if (glyph.rendered) {
        return glyph;
    }
    glyph.rendered = true;
    const FT_UInt index = FT_Get_Char_Index(f.face, code);
    if (FT_Load_Glyph(f.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
        return glyph;  // drawn as nothing, with no advance
    }
    const FT_GlyphSlot slot = f.face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    glyph.left = slot->bitmap_left;
    glyph.top = f.ascent - slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.mask.assign(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height), 0);
    for (int row = 0; row < glyph.height; ++row) {
        const uint8_t* bits = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        for (int col = 0; col < glyph.width; ++col) {
            const bool set = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((bits[col >> 3] >> (7 - (col & 7))) & 1) != 0
                                                                      : bits[col] >= 128;
            glyph.mask[static_cast<size_t>(row * glyph.width + col)] = set ? 1 : 0;
        }
    }
    return glyph;
}

DeviceContext* live(DeviceContext* context)
{
    return context != nullptr && live_contexts.count(context) != 0 ? context : nullptr;
}

int distance(const PALETTEENTRY& e, int r, int g, int b)
{
    const int dr = e.peRed - r;
    const int dg = e.peGreen - g;
    const int db = e.peBlue - b;
    return dr * dr + dg * dg + db * db;
}

// The surface pixel that shows `color`.
uint32_t pixel_for(const DeviceContext& context, COLORREF color)
{
    const int r = static_cast<int>(color & 0xFF);
    const int g = static_cast<int>((color >> 8) & 0xFF);
    const int b = static_cast<int>((color >> 16) & 0xFF);
    if (context.bpp == 16) {
        return static_cast<uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    }
    if (context.bpp == 15) {
        return static_cast<uint32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
    // A surface shown through no palette shows everything black: index 0 is as near as any.
    PALETTEENTRY entries[256] = {};
    surface_palette_entries(context.surface, entries);
    int best = 0;
    int best_distance = distance(entries[0], r, g, b);
    for (int i = 1; i < 256 && best_distance != 0; ++i) {
        const int d = distance(entries[i], r, g, b);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return static_cast<uint32_t>(best);
}

void put_pixel(const DeviceContext& context, int x, int y, uint32_t pixel)
{
    uint8_t* row = context.lock.pixels + static_cast<ptrdiff_t>(y) * context.lock.pitch;
    if (context.bpp == 8) {
        row[x] = static_cast<uint8_t>(pixel);
    } else {
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(pixel);
    }
}

} // namespace

DeviceContext* surface_get_dc(Surface* surface)
{
    int width = 0;
    int height = 0;
    if (!surface_size(surface, width, height) || fault_should_fail("surface.get_dc") || open_font() == nullptr) {
        return nullptr;
    }
    const int bpp = surface_pixel_format(surface);
    if (bpp != 8 && bpp != 15 && bpp != 16) {
        return nullptr;
    }
    auto context = std::make_unique<DeviceContext>();
    if (!surface_lock(surface, context->lock)) {
        return nullptr;
    }
    context->surface = surface;
    context->bpp = bpp;
    context->text_color = 0;                   // black
    context->background_color = 0xFFFFFF;      // white
    context->background_mode = BACKGROUND_OPAQUE;
    live_contexts.insert(context.get());
    return context.release();
}

bool surface_release_dc(Surface* surface, DeviceContext* context)
{
    if (live(context) == nullptr || context->surface != surface) {
        return false;
    }
    live_contexts.erase(context);
    surface_unlock(surface);
    delete context;
    return true;
}

COLORREF dc_set_text_color(DeviceContext* context, COLORREF color)
{
    if (live(context) == nullptr) {
        return 0;
    }
    return std::exchange(context->text_color, color & 0xFFFFFF);
}

COLORREF dc_set_background_color(DeviceContext* context, COLORREF color)
{
    if (live(context) == nullptr) {
        return 0;
    }
    return std::exchange(context->background_color, color & 0xFFFFFF);
}

int dc_set_background_mode(DeviceContext* context, int mode)
{
    if (live(context) == nullptr || (mode != BACKGROUND_TRANSPARENT && mode != BACKGROUND_OPAQUE)) {
        return 0;
    }
    return std::exchange(context->background_mode, mode);
}

bool dc_text_out(DeviceContext* context, int x, int y, const char* text, int length)
{
    if (live(context) == nullptr || text == nullptr || length < 0) {
        return false;
    }
    Font* f = open_font();
    if (f == nullptr) {
        return false;
    }
    const DeviceContext& dc = *context;
    const int surface_width = dc.lock.width;
    const int surface_height = dc.lock.height;
    const uint32_t ink = pixel_for(dc, dc.text_color);
    // The pen runs in 64-bit so that far-off positions cannot wrap back onto the surface.
    int64_t pen = x;
    if (dc.background_mode == BACKGROUND_OPAQUE) {
        int width = 0;
        int height = 0;
        text_extent(text, length, width, height);
        const uint32_t paper = pixel_for(dc, dc.background_color);
        const int64_t x0 = std::max<int64_t>(x, 0);
        const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(x) + width, surface_width);
        const int64_t y0 = std::max<int64_t>(y, 0);
        const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(y) + height, surface_height);
        for (int64_t py = y0; py < y1; ++py) {
            for (int64_t px = x0; px < x1; ++px) {
                put_pixel(dc, static_cast<int>(px), static_cast<int>(py), paper);
            }
        }
    }
    for (int i = 0; i < length && pen < surface_width; ++i) {
        const Glyph& glyph = glyph_for(*f, static_cast<uint8_t>(text[i]));
        const int64_t gx = pen + glyph.left;
        const int64_t gy = static_cast<int64_t>(y) + glyph.top;
        pen += glyph.advance;
        if (gx >= surface_width || gx + glyph.width <= 0 || gy >= surface_height || gy + glyph.height <= 0) {
            continue;
        }
        const int col0 = static_cast<int>(std::max<int64_t>(0, -gx));
        const int col1 = static_cast<int>(std::min<int64_t>(glyph.width, surface_width - gx));
        const int row0 = static_cast<int>(std::max<int64_t>(0, -gy));
        const int row1 = static_cast<int>(std::min<int64_t>(glyph.height, surface_height - gy));
        for (int row = row0; row < row1; ++row) {
            const uint8_t* mask = glyph.mask.data() + static_cast<ptrdiff_t>(row) * glyph.width;
            for (int col = col0; col < col1; ++col) {
                if (mask[col] != 0) {
                    put_pixel(dc, static_cast<int>(gx + col), static_cast<int>(gy + row), ink);
                }
            }
        }
    }
    return true;
}

bool text_extent(const char* text, int length, int& width, int& height)
{
    Font* f = text == nullptr || length < 0 ? nullptr : open_font();
    if (f == nullptr) {
        return false;
    }
    int64_t total = 0;
    for (int i = 0; i < length; ++i) {
        total += glyph_for(*f, static_cast<uint8_t>(text[i])).advance;
    }
    width = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
    height = f->line_height;
    return true;
}

void text_set_font_path(const char* path)
{
    font_path = path != nullptr ? path : default_font_path;
    font.reset();
}

const char* text_font_path()
{
    return font_path.c_str();
}

} // namespace platform
