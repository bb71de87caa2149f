// Triangles: the worked examples as exact rows in the three forms (8-bit float, 16-bit
// float, 8-bit fixed point), the clipped path, degenerate triangles, the flat fillers
// called directly, and a sweep that no triangle writes outside the clip rectangle.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/gfx.h"
#include "tests/support/guarded_buffer.h"

namespace {

using reef_test::add_span;
using reef_test::count_outside;
using reef_test::GuardedBuffer;
using reef_test::PixelSet;
using reef_test::ScopedClip;

constexpr int color8 = 0x1C5;    // stored as 0xC5
constexpr int color16 = 0x3A5C3;  // stored as 0xA5C3

struct Drawn {
    PixelSet pixels;
    bool guards_intact;
    int wrong_colour;
};

// Runs `draw(memory, lpitch, color)` on a fresh guarded buffer of the pixel type.
template <typename Pixel, typename Draw>
Drawn draw_into(Draw draw)
{
    GuardedBuffer<Pixel> buffer;
    const int color = sizeof(Pixel) == 1 ? color8 : color16;
    draw(buffer.memory(), buffer.lpitch(), color);
    return Drawn{buffer.changed(), buffer.guards_intact(),
                 buffer.changed_to_other_than(static_cast<Pixel>(color))};
}

enum class Form { float8, float16, fixed8 };

const char* name(Form form)
{
    return form == Form::float8 ? "Draw_Triangle_2D" : form == Form::float16 ? "Draw_Triangle_2D16" : "Draw_TriangleFP_2D";
}

Drawn draw_triangle(Form form, const int v[6])
{
    auto draw = [form, v](uint8_t* memory, int lpitch, int color) {
        if (form == Form::float8) {
            Draw_Triangle_2D(v[0], v[1], v[2], v[3], v[4], v[5], color, memory, lpitch);
        } else if (form == Form::float16) {
            Draw_Triangle_2D16(v[0], v[1], v[2], v[3], v[4], v[5], color, memory, lpitch);
        } else {
            Draw_TriangleFP_2D(v[0], v[1], v[2], v[3], v[4], v[5], color, memory, lpitch);
        }
    };
    return form == Form::float16 ? draw_into<uint16_t>(draw) : draw_into<uint8_t>(draw);
}

struct Row {
    int y, x1, x2;
};

PixelSet rows_to_pixels(const std::vector<Row>& rows)
{
    PixelSet pixels;
    for (const Row& r : rows) {
        add_span(pixels, r.x1, r.x2, r.y);
    }
    return pixels;
}

struct TriangleCase {
    std::string what;
    int v[6];
    std::vector<Row> float_rows;
    std::vector<Row> fixed_rows;  // the same as float_rows where equal
    bool fixed_differs;
};

TEST(Triangle, WorkedExamplesFillTheirExactRowsInEveryForm)
{
    const std::vector<Row> flat_top = {{10, 10, 20}, {11, 11, 19}, {12, 12, 18},
                                       {13, 13, 17}, {14, 14, 16}, {15, 15, 15}};
    const std::vector<Row> flat_bottom = {{10, 15, 15}, {11, 14, 16}, {12, 13, 17},
                                          {13, 12, 18}, {14, 11, 19}, {15, 10, 20}};
    const TriangleCase cases[] = {
        {"flat top", {10, 10, 20, 10, 15, 15}, flat_top, {}, false},
        {"flat top, corners listed in another order", {15, 15, 20, 10, 10, 10}, flat_top, {}, false},
        {"flat bottom", {15, 10, 10, 15, 20, 15}, flat_bottom, {}, false},
        // Split at row 14 with new_x 11; row 14 is filled by both halves. The float
        // edges lose a column on row 15 to rounding; the fixed-point ones round to nearest.
        {"split",
         {10, 10, 20, 14, 12, 20},
         {{10, 10, 10}, {11, 10, 12}, {12, 10, 14}, {13, 10, 16}, {14, 11, 20}, {15, 11, 18},
          {16, 11, 17}, {17, 11, 15}, {18, 11, 14}, {19, 11, 12}, {20, 12, 12}},
         {{10, 10, 10}, {11, 10, 12}, {12, 11, 16}, {13, 11, 18}, {14, 11, 20}, {15, 11, 19},
          {16, 11, 17}, {17, 11, 16}, {18, 12, 15}, {19, 12, 14}, {20, 12, 12}},
         true},
        {"clipped on the left",
         {-10, 10, 20, 10, 5, 15},
         {{10, 0, 20}, {11, 0, 17}, {12, 0, 14}, {13, 0, 11}, {14, 2, 8}, {15, 5, 5}},
         {},
         false},
        {"collinear, not rejected", {0, 0, 1, 1, 2, 2}, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {}, false},
        {"all x equal", {5, 5, 5, 9, 5, 20}, {}, {}, false},
        {"all y equal", {1, 7, 9, 7, 30, 7}, {}, {}, false},
        {"wholly left of column 0", {-30, 10, -5, 20, -20, 40}, {}, {}, false},
        {"wholly above row 0", {10, -30, 50, -5, 30, -1}, {}, {}, false},
        {"wholly right", {640, 10, 700, 20, 650, 40}, {}, {}, false},
        {"wholly below", {10, 480, 50, 500, 30, 490}, {}, {}, false},
    };
    for (const TriangleCase& c : cases) {
        for (Form form : {Form::float8, Form::float16, Form::fixed8}) {
            const Drawn drawn = draw_triangle(form, c.v);
            const std::vector<Row>& rows = form == Form::fixed8 && c.fixed_differs ? c.fixed_rows : c.float_rows;
            EXPECT_EQ(rows_to_pixels(rows), drawn.pixels) << c.what << " with " << name(form);
            EXPECT_TRUE(drawn.guards_intact) << c.what << " with " << name(form);
            EXPECT_EQ(0, drawn.wrong_colour) << c.what << " with " << name(form);
        }
    }
}

TEST(Triangle, ATriangleOverTheBottomRightCornerStaysInTheBuffer)
{
    const int v[6] = {600, 440, 700, 470, 630, 530};
    for (Form form : {Form::float8, Form::float16, Form::fixed8}) {
        const Drawn drawn = draw_triangle(form, v);
        EXPECT_TRUE(drawn.guards_intact) << name(form);
        EXPECT_EQ(0, count_outside(drawn.pixels, 0, 639, 0, 479)) << name(form);
        EXPECT_EQ(1u, drawn.pixels.count({639, 479})) << name(form);
    }
}

// The flat fillers called directly, for the edge rules the dispatchers never reach.
struct FlatCase {
    std::string what;
    void (*fill8)(int, int, int, int, int, int, int, uint8_t*, int);
    void (*fill16)(int, int, int, int, int, int, int, uint8_t*, int);  // null: no 16-bit form
    int v[6];
    std::vector<Row> rows;
};

TEST(Triangle, FlatFillersCalledDirectly)
{
    const FlatCase cases[] = {
        // Zero height: the float fillers fill the one row, the fixed-point ones nothing.
        {"flat top, zero height", Draw_Top_Tri, Draw_Top_Tri16, {5, 10, 9, 10, 7, 10}, {{10, 5, 9}}},
        {"flat top FP, zero height", Draw_Top_TriFP, nullptr, {5, 10, 9, 10, 7, 10}, {}},
        {"flat bottom, zero height", Draw_Bottom_Tri, Draw_Bottom_Tri16, {7, 10, 5, 10, 9, 10}, {{10, 7, 7}}},
        {"flat bottom FP, zero height", Draw_Bottom_TriFP, nullptr, {7, 10, 5, 10, 9, 10}, {}},
        // Rows running upward: an empty loop.
        {"flat top upward", Draw_Top_Tri, Draw_Top_Tri16, {5, 10, 9, 10, 7, 5}, {}},
        {"flat top FP upward", Draw_Top_TriFP, nullptr, {5, 10, 9, 10, 7, 5}, {}},
        {"flat bottom upward", Draw_Bottom_Tri, Draw_Bottom_Tri16, {7, 10, 5, 5, 9, 5}, {}},
        {"flat bottom FP upward", Draw_Bottom_TriFP, nullptr, {7, 10, 5, 5, 9, 5}, {}},
        // The float fillers never read y2; the fixed-point guard does.
        {"flat top, odd y2",
         Draw_Top_Tri,
         Draw_Top_Tri16,
         {10, 10, 20, 99, 15, 15},
         {{10, 10, 20}, {11, 11, 19}, {12, 12, 18}, {13, 13, 17}, {14, 14, 16}, {15, 15, 15}}},
        {"flat top FP, y2 on the apex row", Draw_Top_TriFP, nullptr, {10, 10, 20, 15, 15, 15}, {}},
        {"flat bottom FP, y2 on the apex row", Draw_Bottom_TriFP, nullptr, {15, 10, 10, 10, 20, 15}, {}},
        // Fixed point rounds the left edge and the width separately: a span can end one
        // column right of its edge. Inside the clip rectangle that is kept as it is.
        {"flat top FP, rounding past the edge",
         Draw_Top_TriFP,
         nullptr,
         {298, 0, 299, 0, 299, 2},
         {{0, 298, 299}, {1, 299, 300}, {2, 299, 299}}},
        // At the clip rectangle's right edge the same rounding would write column 640,
        // past the row; the span is cut at the clip edge instead.
        {"flat top FP, rounding at the right clip edge",
         Draw_Top_TriFP,
         nullptr,
         {638, 477, 639, 477, 639, 479},
         {{477, 638, 639}, {478, 639, 639}, {479, 639, 639}}},
    };
    for (const FlatCase& c : cases) {
        const PixelSet expected = rows_to_pixels(c.rows);
        const int* v = c.v;
        const Drawn drawn8 = draw_into<uint8_t>([&](uint8_t* memory, int lpitch, int color) {
            c.fill8(v[0], v[1], v[2], v[3], v[4], v[5], color, memory, lpitch);
        });
        EXPECT_EQ(expected, drawn8.pixels) << c.what;
        EXPECT_TRUE(drawn8.guards_intact) << c.what;
        if (c.fill16 != nullptr) {
            const Drawn drawn16 = draw_into<uint16_t>([&](uint8_t* memory, int lpitch, int color) {
                c.fill16(v[0], v[1], v[2], v[3], v[4], v[5], color, memory, lpitch);
            });
            EXPECT_EQ(expected, drawn16.pixels) << c.what << " (16-bit)";
            EXPECT_EQ(0, drawn16.wrong_colour) << c.what << " (16-bit)";
            EXPECT_TRUE(drawn16.guards_intact) << c.what << " (16-bit)";
        }
    }
}

TEST(Triangle, NoFormWritesOutsideTheClipRectangle)
{
    const ScopedClip clip(100, 199, 50, 149);
    // Triangles over and around the clip rectangle, from a fixed pseudo-random sequence;
    // many fall wholly inside its columns and take the unclipped fast path.
    uint32_t seed = 12345;
    auto next = [&seed](int low, int high) {
        seed = seed * 1103515245u + 12345u;
        return low + static_cast<int>((seed >> 8) % static_cast<uint32_t>(high - low + 1));
    };
    for (int i = 0; i < 100; ++i) {
        const bool narrow = i % 2 == 0;
        int v[6];
        for (int k = 0; k < 6; k += 2) {
            v[k] = narrow ? next(100, 199) : next(-200, 500);
            v[k + 1] = next(-100, 300);
        }
        for (Form form : {Form::float8, Form::float16, Form::fixed8}) {
            const Drawn drawn = draw_triangle(form, v);
            ASSERT_EQ(0, count_outside(drawn.pixels, 100, 199, 50, 149))
                << name(form) << " (" << v[0] << "," << v[1] << ") (" << v[2] << "," << v[3] << ") (" << v[4]
                << "," << v[5] << ")";
            ASSERT_TRUE(drawn.guards_intact);
        }
    }
}

} // namespace
