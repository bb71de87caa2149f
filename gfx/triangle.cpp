// Solid triangles: the dispatchers sort a triangle by y and split it into a flat-bottomed
// and a flat-topped half; the span fillers walk the two edges row by row, in single
// precision (8 and 16 bits) or 16.16 fixed point (8 bits), clipped to the clip rectangle.
#include <cstddef>
#include <cstring>

#include "gfx/gfx.h"

namespace {

// One span of a row: bytes by memset, 16-bit words by Mem_Set_WORD.
void fill_span(uint8_t* row, int x, int count, uint8_t color)
{
    std::memset(row + x, color, static_cast<size_t>(count));
}

void fill_span(uint16_t* row, int x, int count, uint16_t color)
{
    Mem_Set_WORD(row + x, color, count);
}

// b - a in single precision; the difference itself is formed without overflow.
float difference(int b, int a)
{
    return static_cast<float>(static_cast<int64_t>(b) - a);
}

bool within_clip_columns(int x)
{
    return x >= min_clip_x && x <= max_clip_x;
}

// The clip columns, read once per triangle half: held in locals they are not reloaded
// after every span's memset (which may, for all the compiler knows, write them).
struct Columns {
    int left;
    int right;
};

Columns clip_columns()
{
    return Columns{min_clip_x, max_clip_x};
}

// Fills columns l..r of a row, limited to the clip columns. Both span rules round, and
// the fixed-point one can reach a column past its right edge; the limit keeps every
// write inside the clip rectangle, which is all the unclipped fast paths rely on.
template <typename Pixel>
void fill_clipped_span(Pixel* row, int l, int r, Columns clip, Pixel color)
{
    l = l < clip.left ? clip.left : l;
    r = r > clip.right ? clip.right : r;
    if (l <= r) {
        fill_span(row, l, r - l + 1, color);
    }
}

// The rows of a flat triangle from y_top to y_bottom (both clipped already), edges given
// at y_top. The fast path fills trunc(right - left + 1) pixels from trunc(left); the
// clipped path fills trunc(left)..trunc(right).
template <typename Pixel>
void fill_float_rows(float left, float right, float left_step, float right_step, int y_top, int y_bottom,
                     bool fast, Pixel color, Pixel* buffer, std::ptrdiff_t pitch)
{
    const Columns clip = clip_columns();
    Pixel* row = buffer + static_cast<std::ptrdiff_t>(y_top) * pitch;
    for (int y = y_top; y <= y_bottom; ++y) {
        const int l = static_cast<int>(left);
        const int r = fast ? l + static_cast<int>(right - left + 1.0f) - 1 : static_cast<int>(right);
        fill_clipped_span(row, l, r, clip, color);
        left += left_step;
        right += right_step;
        row += pitch;
    }
}

// Flat top: (x1, y1) and (x2, y2) on the top row, (x3, y3) the apex below.
template <typename Pixel>
void top_tri(int x1, int y1, int x2, int x3, int y3, Pixel color, Pixel* buffer, std::ptrdiff_t pitch)
{
    if (x2 < x1) {
        const int swap = x1;
        x1 = x2;
        x2 = swap;
    }
    if (y3 < y1 || y3 < min_clip_y || y1 > max_clip_y) {
        return;
    }
    const float height = difference(y3, y1);
    // A single row never uses its slopes; keeping them 0 avoids dividing by zero.
    const float left_step = height != 0.0f ? difference(x3, x1) / height : 0.0f;
    const float right_step = height != 0.0f ? difference(x3, x2) / height : 0.0f;
    float left = static_cast<float>(x1);
    float right = static_cast<float>(x2) + 0.5f;
    if (y1 < min_clip_y) {
        const float skipped = difference(min_clip_y, y1);
        left += left_step * skipped;
        right += right_step * skipped;
        y1 = min_clip_y;
    }
    if (y3 > max_clip_y) {
        y3 = max_clip_y;
    }
    const bool fast = within_clip_columns(x1) && within_clip_columns(x2) && within_clip_columns(x3);
    fill_float_rows(left, right, left_step, right_step, y1, y3, fast, color, buffer, pitch);
}

// Flat bottom: (x1, y1) the apex on top, (x2, y2) and (x3, y3) on the bottom row.
template <typename Pixel>
void bottom_tri(int x1, int y1, int x2, int x3, int y3, Pixel color, Pixel* buffer, std::ptrdiff_t pitch)
{
    if (x3 < x2) {
        const int swap = x2;
        x2 = x3;
        x3 = swap;
    }
    if (y3 < y1 || y3 < min_clip_y || y1 > max_clip_y) {
        return;
    }
    const float height = difference(y3, y1);
    const float left_step = height != 0.0f ? difference(x2, x1) / height : 0.0f;
    const float right_step = height != 0.0f ? difference(x3, x1) / height : 0.0f;
    float left = static_cast<float>(x1);
    float right = static_cast<float>(x1);
    if (y1 < min_clip_y) {
        const float skipped = difference(min_clip_y, y1);
        left += left_step * skipped;
        right += right_step * skipped;
        y1 = min_clip_y;
    }
    if (y3 > max_clip_y) {
        y3 = max_clip_y;
    }
    const bool fast = within_clip_columns(x1) && within_clip_columns(x2) && within_clip_columns(x3);
    fill_float_rows(left, right, left_step, right_step, y1, y3, fast, color, buffer, pitch);
}

// 16.16 arithmetic wraps like the 32-bit registers it was made for: extents beyond
// 32767 pixels give wrong spans (still clipped), never undefined behaviour.
int32_t fixed(int value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) << 16);
}

int32_t wrap_add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t wrap_mul(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

int32_t wrap_sub(int a, int b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// (dx << 16) / (y_bottom - y_top), truncating toward zero; y_bottom > y_top. The height
// is taken in 64 bits so that no pair of rows can make the division trap.
int32_t fixed_slope(int32_t dx, int y_top, int y_bottom)
{
    const int64_t height = static_cast<int64_t>(y_bottom) - y_top;
    return static_cast<int32_t>(fixed(dx) / height);
}

// Nearest whole pixel of a 16.16 value, halves upward.
int round_fixed(int32_t value)
{
    return wrap_add(value, 0x8000) >> 16;
}

// As fill_float_rows in 16.16: the fast path fills round(right - left) + 1 pixels from
// round(left), the clipped path round(left)..round(right).
void fill_fixed_rows(int32_t left, int32_t right, int32_t left_step, int32_t right_step, int y_top, int y_bottom,
                     bool fast, uint8_t color, uint8_t* buffer, int pitch)
{
    const Columns clip = clip_columns();
    uint8_t* row = buffer + static_cast<std::ptrdiff_t>(y_top) * pitch;
    for (int y = y_top; y <= y_bottom; ++y) {
        const int l = round_fixed(left);
        const int r = fast ? l + round_fixed(wrap_sub(right, left)) : round_fixed(right);
        fill_clipped_span(row, l, r, clip, color);
        left = wrap_add(left, left_step);
        right = wrap_add(right, right_step);
        row += pitch;
    }
}

// The common part of the two fixed-point fillers once their edges are set up at y1.
void fixed_rows(int32_t left, int32_t right, int32_t left_step, int32_t right_step, int y1, int y3, bool fast,
                int color, uint8_t* buffer, int pitch)
{
    if (y3 < min_clip_y || y1 > max_clip_y) {
        return;
    }
    if (y1 < min_clip_y) {
        const int32_t skipped = wrap_sub(min_clip_y, y1);
        left = wrap_add(left, wrap_mul(left_step, skipped));
        right = wrap_add(right, wrap_mul(right_step, skipped));
        y1 = min_clip_y;
    }
    if (y3 > max_clip_y) {
        y3 = max_clip_y;
    }
    fill_fixed_rows(left, right, left_step, right_step, y1, y3, fast, static_cast<uint8_t>(color), buffer, pitch);
}

// Sorts the three vertices by y, decides what to draw and splits a general triangle.
// `flat_top` and `flat_bottom` take (x1, y1, x2, y2, x3, y3, color, buffer, pitch).
template <typename FlatTop, typename FlatBottom>
void triangle(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* buffer, int pitch,
              FlatTop flat_top, FlatBottom flat_bottom)
{
    if ((x1 == x2 && x2 == x3) || (y1 == y2 && y2 == y3)) {
        return;
    }
    if (y2 < y1) {
        int swap = x1;
        x1 = x2;
        x2 = swap;
        swap = y1;
        y1 = y2;
        y2 = swap;
    }
    if (y3 < y1) {
        int swap = x1;
        x1 = x3;
        x3 = swap;
        swap = y1;
        y1 = y3;
        y3 = swap;
    }
    if (y3 < y2) {
        int swap = x2;
        x2 = x3;
        x3 = swap;
        swap = y2;
        y2 = y3;
        y3 = swap;
    }
    if (y3 < min_clip_y || y1 > max_clip_y || (x1 < min_clip_x && x2 < min_clip_x && x3 < min_clip_x) ||
        (x1 > max_clip_x && x2 > max_clip_x && x3 > max_clip_x)) {
        return;
    }
    if (y1 == y2) {
        flat_top(x1, y1, x2, y2, x3, y3, color, buffer, pitch);
    } else if (y2 == y3) {
        flat_bottom(x1, y1, x2, y2, x3, y3, color, buffer, pitch);
    } else {
        const float q = difference(y2, y1) * difference(x3, x1) / difference(y3, y1);
        const int new_x = x1 + static_cast<int>(0.5 + static_cast<double>(q));
        flat_bottom(x1, y1, new_x, y2, x2, y2, color, buffer, pitch);
        flat_top(x2, y2, new_x, y2, x3, y3, color, buffer, pitch);
    }
}

uint16_t* words(uint8_t* buffer)
{
    return reinterpret_cast<uint16_t*>(buffer);
}

} // namespace

void Draw_Top_Tri(int x1, int y1, int x2, int /*y2*/, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch)
{
    top_tri<uint8_t>(x1, y1, x2, x3, y3, static_cast<uint8_t>(color), dest_buffer, mempitch);
}

void Draw_Bottom_Tri(int x1, int y1, int x2, int /*y2*/, int x3, int y3, int color, uint8_t* dest_buffer,
                     int mempitch)
{
    bottom_tri<uint8_t>(x1, y1, x2, x3, y3, static_cast<uint8_t>(color), dest_buffer, mempitch);
}

void Draw_Top_Tri16(int x1, int y1, int x2, int /*y2*/, int x3, int y3, int color, uint8_t* _dest_buffer,
                    int mempitch)
{
    top_tri<uint16_t>(x1, y1, x2, x3, y3, static_cast<uint16_t>(color), words(_dest_buffer), mempitch >> 1);
}

void Draw_Bottom_Tri16(int x1, int y1, int x2, int /*y2*/, int x3, int y3, int color, uint8_t* _dest_buffer,
                       int mempitch)
{
    bottom_tri<uint16_t>(x1, y1, x2, x3, y3, static_cast<uint16_t>(color), words(_dest_buffer), mempitch >> 1);
}

void Draw_Top_TriFP(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch)
{
    // A zero-height triangle, or one whose rows run upward, has nothing to fill.
    if (y1 == y3 || y2 == y3 || y3 < y1) {
        return;
    }
    if (x2 < x1) {
        const int swap = x1;
        x1 = x2;
        x2 = swap;
    }
    const int32_t left_step = fixed_slope(wrap_sub(x3, x1), y1, y3);
    const int32_t right_step = fixed_slope(wrap_sub(x3, x2), y1, y3);
    const bool fast = within_clip_columns(x1) && within_clip_columns(x2) && within_clip_columns(x3);
    fixed_rows(fixed(x1), fixed(x2), left_step, right_step, y1, y3, fast, color, dest_buffer, mempitch);
}

void Draw_Bottom_TriFP(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                       int mempitch)
{
    if (y1 == y2 || y1 == y3 || y3 < y1) {
        return;
    }
    if (x3 < x2) {
        const int swap = x2;
        x2 = x3;
        x3 = swap;
    }
    const int32_t left_step = fixed_slope(wrap_sub(x2, x1), y1, y3);
    const int32_t right_step = fixed_slope(wrap_sub(x3, x1), y1, y3);
    const bool fast = within_clip_columns(x1) && within_clip_columns(x2) && within_clip_columns(x3);
    fixed_rows(fixed(x1), fixed(x1), left_step, right_step, y1, y3, fast, color, dest_buffer, mempitch);
}

void Draw_Triangle_2D(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer, int mempitch)
{
    triangle(x1, y1, x2, y2, x3, y3, color, dest_buffer, mempitch, Draw_Top_Tri, Draw_Bottom_Tri);
}

void Draw_Triangle_2D16(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                        int mempitch)
{
    triangle(x1, y1, x2, y2, x3, y3, color, dest_buffer, mempitch, Draw_Top_Tri16, Draw_Bottom_Tri16);
}

void Draw_TriangleFP_2D(int x1, int y1, int x2, int y2, int x3, int y3, int color, uint8_t* dest_buffer,
                        int mempitch)
{
    triangle(x1, y1, x2, y2, x3, y3, color, dest_buffer, mempitch, Draw_Top_TriFP, Draw_Bottom_TriFP);
}
