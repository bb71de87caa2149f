// Lines, pixels and clipping: the lowest raster layer. Writes single pixels, runs and
// Bresenham lines into locked surface memory (8-bit bytes or 16-bit words), clips
// segments against the clip rectangle and fills rectangles through the platform.
#include <cstddef>
#include <cstring>

#include "gfx/gfx.h"

namespace {

constexpr int code_above = 8;
constexpr int code_below = 4;
constexpr int code_left = 1;
constexpr int code_right = 2;

int region_code(int x, int y)
{
    int code = 0;
    if (y < min_clip_y) {
        code |= code_above;
    } else if (y > max_clip_y) {
        code |= code_below;
    }
    if (x < min_clip_x) {
        code |= code_left;
    } else if (x > max_clip_x) {
        code |= code_right;
    }
    return code;
}

// p + (edge - p) * (o_along - p_along) / (o - p), the division truncating toward zero.
// The product is exact here for any int inputs (128 bits), so far-off coordinates
// clip correctly instead of overflowing; within 32 bits it is the plain product.
int64_t edge_offset(int64_t edge_minus_p, int64_t o_along_minus_p_along, int64_t o_minus_p)
{
    const __int128 product = static_cast<__int128>(edge_minus_p) * o_along_minus_p_along;
    return static_cast<int64_t>(product / o_minus_p);
}

// The sum p + q formed as p + 0.5 + q and truncated toward zero: equal to p + q when
// that is 0 or more, one more when it is negative.
int64_t half_biased(int64_t sum)
{
    return sum >= 0 ? sum : sum + 1;
}

// A run at `across` (a row for a horizontal run, a column for a vertical one) from
// `from` to `to`, either way round: false when it misses the clip rectangle, else put in
// order and cut to it.
bool clip_run(int across, int min_across, int max_across, int& from, int& to, int min_along, int max_along)
{
    if (across > max_across || across < min_across) {
        return false;
    }
    if (from > to) {
        const int swap = from;
        from = to;
        to = swap;
    }
    if (from > max_along || to < min_along) {
        return false;
    }
    from = from < min_along ? min_along : from;
    to = to > max_along ? max_along : to;
    return true;
}

struct Point {
    int64_t x;
    int64_t y;
};

Point onto_horizontal(int px, int py, int ox, int oy, int edge_y, bool biased)
{
    const int64_t sum = px + edge_offset(static_cast<int64_t>(edge_y) - py, static_cast<int64_t>(ox) - px,
                                         static_cast<int64_t>(oy) - py);
    return Point{biased ? half_biased(sum) : sum, edge_y};
}

Point onto_vertical(int px, int py, int ox, int oy, int edge_x, bool biased)
{
    const int64_t sum = py + edge_offset(static_cast<int64_t>(edge_x) - px, static_cast<int64_t>(oy) - py,
                                         static_cast<int64_t>(ox) - px);
    return Point{edge_x, biased ? half_biased(sum) : sum};
}

// Moves endpoint P (region `code`) onto the clip edge toward O. The first endpoint always
// uses the half-biased sum; the second only for the corner regions.
Point move_endpoint(int code, int px, int py, int ox, int oy, bool first)
{
    const bool corner = (code & (code_above | code_below)) != 0 && (code & (code_left | code_right)) != 0;
    const bool biased = first || corner;
    const int edge_y = (code & code_above) != 0 ? min_clip_y : max_clip_y;
    const int edge_x = (code & code_left) != 0 ? min_clip_x : max_clip_x;
    if ((code & (code_above | code_below)) != 0) {
        const Point moved = onto_horizontal(px, py, ox, oy, edge_y, biased);
        if (!corner || (moved.x >= min_clip_x && moved.x <= max_clip_x)) {
            return moved;
        }
    }
    return onto_vertical(px, py, ox, oy, edge_x, biased);
}

bool inside_clip(const Point& p)
{
    return p.x >= min_clip_x && p.x <= max_clip_x && p.y >= min_clip_y && p.y <= max_clip_y;
}

template <typename Pixel>
void draw_line(int x0, int y0, int x1, int y1, Pixel color, Pixel* first_row, std::ptrdiff_t pitch)
{
    Pixel* pixel = first_row + x0 + static_cast<std::ptrdiff_t>(y0) * pitch;
    int dx = x1 - x0;
    int dy = y1 - y0;
    const int x_step = dx >= 0 ? 1 : -1;
    const std::ptrdiff_t y_step = dy >= 0 ? pitch : -pitch;
    dx = dx >= 0 ? dx : -dx;
    dy = dy >= 0 ? dy : -dy;
    const int dx2 = dx * 2;
    const int dy2 = dy * 2;
    if (dx > dy) {
        int error = dy2 - dx;
        for (int i = 0; i <= dx; ++i) {
            *pixel = color;
            if (error >= 0) {
                error -= dx2;
                pixel += y_step;
            }
            error += dy2;
            pixel += x_step;
        }
    } else {
        int error = dx2 - dy;
        for (int i = 0; i <= dy; ++i) {
            *pixel = color;
            if (error >= 0) {
                error -= dy2;
                pixel += x_step;
            }
            error += dx2;
            pixel += y_step;
        }
    }
}

uint16_t* words(uint8_t* buffer)
{
    return reinterpret_cast<uint16_t*>(buffer);
}

// 16-bit surfaces count their pitch in whole pixels; an odd byte pitch loses its low bit.
std::ptrdiff_t word_pitch(int lpitch)
{
    return lpitch >> 1;
}

} // namespace

int Clip_Line(int& x1, int& y1, int& x2, int& y2)
{
    const int code1 = region_code(x1, y1);
    const int code2 = region_code(x2, y2);
    if ((code1 & code2) != 0) {
        return 0;
    }
    if (code1 == 0 && code2 == 0) {
        return 1;
    }
    Point p1{x1, y1};
    Point p2{x2, y2};
    if (code1 != 0) {
        p1 = move_endpoint(code1, x1, y1, x2, y2, true);
    }
    if (code2 != 0) {
        p2 = move_endpoint(code2, x2, y2, x1, y1, false);
    }
    if (!inside_clip(p1) || !inside_clip(p2)) {
        return 0;
    }
    x1 = static_cast<int>(p1.x);
    y1 = static_cast<int>(p1.y);
    x2 = static_cast<int>(p2.x);
    y2 = static_cast<int>(p2.y);
    return 1;
}

int Draw_Clip_Line(int x0, int y0, int x1, int y1, int color, uint8_t* dest_buffer, int lpitch)
{
    if (Clip_Line(x0, y0, x1, y1) != 0) {
        Draw_Line(x0, y0, x1, y1, color, dest_buffer, lpitch);
    }
    return 1;
}

int Draw_Clip_Line16(int x0, int y0, int x1, int y1, int color, uint8_t* dest_buffer, int lpitch)
{
    if (Clip_Line(x0, y0, x1, y1) != 0) {
        Draw_Line16(x0, y0, x1, y1, color, dest_buffer, lpitch);
    }
    return 1;
}

int Draw_Line(int x0, int y0, int x1, int y1, int color, uint8_t* vb_start, int lpitch)
{
    draw_line<uint8_t>(x0, y0, x1, y1, static_cast<uint8_t>(color), vb_start, lpitch);
    return 1;
}

int Draw_Line16(int x0, int y0, int x1, int y1, int color, uint8_t* vb_start, int lpitch)
{
    draw_line<uint16_t>(x0, y0, x1, y1, static_cast<uint16_t>(color), words(vb_start), word_pitch(lpitch));
    return 1;
}

int Draw_Pixel(int x, int y, int color, uint8_t* video_buffer, int lpitch)
{
    video_buffer[x + static_cast<std::ptrdiff_t>(y) * lpitch] = static_cast<uint8_t>(color);
    return 1;
}

int Draw_Pixel16(int x, int y, int color, uint8_t* video_buffer, int lpitch)
{
    words(video_buffer)[x + static_cast<std::ptrdiff_t>(y) * word_pitch(lpitch)] = static_cast<uint16_t>(color);
    return 1;
}

void HLine(int x1, int x2, int y, int color, uint8_t* vbuffer, int lpitch)
{
    if (!clip_run(y, min_clip_y, max_clip_y, x1, x2, min_clip_x, max_clip_x)) {
        return;
    }
    std::memset(vbuffer + x1 + static_cast<std::ptrdiff_t>(y) * lpitch, color & 0xFF,
                static_cast<size_t>(x2 - x1 + 1));
}

void HLine16(int x1, int x2, int y, int color, uint8_t* vbuffer, int lpitch)
{
    if (!clip_run(y, min_clip_y, max_clip_y, x1, x2, min_clip_x, max_clip_x)) {
        return;
    }
    Mem_Set_WORD(words(vbuffer) + x1 + static_cast<std::ptrdiff_t>(y) * word_pitch(lpitch),
                 static_cast<uint16_t>(color), x2 - x1 + 1);
}

void VLine(int y1, int y2, int x, int color, uint8_t* vbuffer, int lpitch)
{
    if (!clip_run(x, min_clip_x, max_clip_x, y1, y2, min_clip_y, max_clip_y)) {
        return;
    }
    uint8_t* pixel = vbuffer + x + static_cast<std::ptrdiff_t>(y1) * lpitch;
    const auto value = static_cast<uint8_t>(color);
    for (int y = y1; y <= y2; ++y) {
        *pixel = value;
        pixel += lpitch;
    }
}

void VLine16(int y1, int y2, int x, int color, uint8_t* vbuffer, int lpitch)
{
    if (!clip_run(x, min_clip_x, max_clip_x, y1, y2, min_clip_y, max_clip_y)) {
        return;
    }
    const std::ptrdiff_t pitch = word_pitch(lpitch);
    uint16_t* pixel = words(vbuffer) + x + static_cast<std::ptrdiff_t>(y1) * pitch;
    const auto value = static_cast<uint16_t>(color);
    for (int y = y1; y <= y2; ++y) {
        *pixel = value;
        pixel += pitch;
    }
}

int Draw_Rectangle(int x1, int y1, int x2, int y2, int color, platform::Surface* lpdds)
{
    // Right and bottom are exclusive, as the platform takes rectangles; the fill's
    // result is not examined.
    const RECT rect{x1, y1, x2, y2};
    platform::surface_fill(lpdds, &rect, static_cast<uint32_t>(color));
    return 1;
}
