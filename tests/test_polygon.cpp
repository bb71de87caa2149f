// The convex polygon fill: the worked examples in both windings as exact rows, in 8
// and 16 bits; the top-vertex rule; records it must refuse; and clipping of polygons
// partly outside the clip rectangle (spans and the edge pixels of x-major edges).
#include <gtest/gtest.h>

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

struct Row {
    int y, x1, x2;
};

struct PolygonCase {
    std::string what;
    int origin_x, origin_y;
    std::vector<VERTEX2D_TYP> vertices;
    std::vector<Row> rows;
};

POLYGON2D_TYP make_polygon(int origin_x, int origin_y, std::vector<VERTEX2D_TYP>& vertices, int color)
{
    POLYGON2D_TYP poly{};
    poly.state = 1;
    poly.num_vertices = static_cast<int32_t>(vertices.size());
    poly.origin_x = origin_x;
    poly.origin_y = origin_y;
    poly.color = color;
    poly.vertices = vertices.empty() ? nullptr : vertices.data();
    return poly;
}

struct Drawn {
    PixelSet pixels;
    bool guards_intact;
    int wrong_colour;
};

Drawn fill8(POLYGON2D_TYP* poly)
{
    GuardedBuffer<uint8_t> buffer;
    Draw_Filled_Polygon2D(poly, buffer.memory(), buffer.lpitch());
    return Drawn{buffer.changed(), buffer.guards_intact(), buffer.changed_to_other_than(0xC3)};
}

Drawn fill16(POLYGON2D_TYP* poly)
{
    GuardedBuffer<uint16_t> buffer;
    Draw_Filled_Polygon2D16(poly, buffer.memory(), buffer.lpitch());
    return Drawn{buffer.changed(), buffer.guards_intact(), buffer.changed_to_other_than(0xA5C3)};
}

// 0x3A5C3: the 8-bit fill stores 0xC3, the 16-bit fill 0xA5C3.
constexpr int test_color = 0x3A5C3;

void expect_rows(const PolygonCase& c)
{
    PixelSet expected;
    for (const Row& r : c.rows) {
        add_span(expected, r.x1, r.x2, r.y);
    }
    std::vector<VERTEX2D_TYP> vertices = c.vertices;
    POLYGON2D_TYP poly = make_polygon(c.origin_x, c.origin_y, vertices, test_color);
    const Drawn drawn8 = fill8(&poly);
    EXPECT_EQ(expected, drawn8.pixels) << c.what;
    EXPECT_TRUE(drawn8.guards_intact) << c.what;
    EXPECT_EQ(0, drawn8.wrong_colour) << c.what;
    const Drawn drawn16 = fill16(&poly);
    EXPECT_EQ(expected, drawn16.pixels) << c.what << " (16-bit)";
    EXPECT_TRUE(drawn16.guards_intact) << c.what << " (16-bit)";
    EXPECT_EQ(0, drawn16.wrong_colour) << c.what << " (16-bit)";
}

TEST(FilledPolygon, WorkedExamplesFillTheirExactRows)
{
    const std::vector<Row> wedge = {{10, 20, 20}, {11, 19, 21}, {12, 18, 22}, {13, 17, 23},
                                    {14, 17, 23}, {15, 16, 24}, {16, 15, 25}, {17, 14, 26}};
    const std::vector<Row> flat_wedge = {{10, 15, 25}, {11, 11, 29}};
    const PolygonCase cases[] = {
        // The bottom vertex's row stays empty: both walkers finish in the same pass.
        {"square", 10, 10, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{10, 10, 13}, {11, 10, 13}, {12, 10, 13}, {13, 10, 14}}},
        // Listed from (4, 0), the top vertex is the other top corner.
        {"square from another corner",
         10,
         10,
         {{4, 0}, {4, 4}, {0, 4}, {0, 0}},
         {{10, 11, 14}, {11, 11, 14}, {12, 11, 14}, {13, 10, 14}}},
        {"wedge", 20, 10, {{0, 0}, {6, 8}, {-6, 8}}, wedge},
        {"wedge, other winding", 20, 10, {{0, 0}, {-6, 8}, {6, 8}}, wedge},
        // Both edges from the top are x-major and stop one pixel short of the corners.
        {"flat wedge", 20, 10, {{0, 0}, {10, 2}, {-10, 2}}, flat_wedge},
        {"flat wedge, other winding", 20, 10, {{0, 0}, {-10, 2}, {10, 2}}, flat_wedge},
        {"one vertex", 20, 10, {{0, 0}}, {}},
        {"two vertices", 20, 10, {{0, 0}, {3, 5}}, {{10, 20, 20}, {11, 21, 21}, {12, 21, 21}, {13, 22, 22}, {14, 23, 23}}},
        // The top is chosen against the truncated running y: 5.3 < 5 is false, so vertex 0
        // (y 5.7) stays the top and the square fills like the first one.
        {"top by truncated y",
         10,
         10,
         {{0, 5.7f}, {4, 5.3f}, {4, 9}, {0, 9}},
         {{15, 10, 13}, {16, 10, 13}, {17, 10, 13}, {18, 10, 14}}},
        // Screen positions are truncated after adding the origin.
        {"fractional vertices", 10, 10, {{0.9f, 0.2f}, {4.7f, 0.9f}, {4.1f, 4.5f}, {0.3f, 4.99f}},
         {{10, 10, 13}, {11, 10, 13}, {12, 10, 13}, {13, 10, 14}}},
    };
    for (const PolygonCase& c : cases) {
        expect_rows(c);
    }
}

TEST(FilledPolygon, RecordsWithoutVerticesDrawNothing)
{
    GuardedBuffer<uint8_t> buffer;
    Draw_Filled_Polygon2D(nullptr, buffer.memory(), buffer.lpitch());
    Draw_Filled_Polygon2D16(nullptr, buffer.memory(), buffer.lpitch());
    std::vector<VERTEX2D_TYP> vertices = {{0, 0}, {4, 0}, {4, 4}};
    POLYGON2D_TYP poly = make_polygon(10, 10, vertices, 7);
    for (int count : {0, -1, -1000}) {
        poly.num_vertices = count;
        Draw_Filled_Polygon2D(&poly, buffer.memory(), buffer.lpitch());
        Draw_Filled_Polygon2D16(&poly, buffer.memory(), buffer.lpitch());
    }
    poly.num_vertices = 3;
    poly.vertices = nullptr;
    Draw_Filled_Polygon2D(&poly, buffer.memory(), buffer.lpitch());
    Draw_Filled_Polygon2D16(&poly, buffer.memory(), buffer.lpitch());
    EXPECT_TRUE(buffer.changed().empty());
    EXPECT_TRUE(buffer.guards_intact());
}

TEST(FilledPolygon, InsideASmallerClipRectangleTheExactRowsStay)
{
    const ScopedClip clip(100, 199, 50, 149);
    expect_rows({"square inside the clip rectangle",
                 110,
                 60,
                 {{0, 0}, {4, 0}, {4, 4}, {0, 4}},
                 {{60, 110, 113}, {61, 110, 113}, {62, 110, 113}, {63, 110, 114}}});
}

struct ClippedCase {
    std::string what;
    int origin_x, origin_y;
    std::vector<VERTEX2D_TYP> vertices;
};

TEST(FilledPolygon, PolygonsPartlyOutsideAreCutToTheClipRectangle)
{
    const ScopedClip clip(100, 199, 50, 149);
    const ClippedCase cases[] = {
        {"octagon over the whole rectangle", 150, 100,
         {{-30, -90}, {30, -90}, {90, -30}, {90, 30}, {30, 90}, {-30, 90}, {-90, 30}, {-90, -30}}},
        {"over the top-left corner", 100, 50, {{0, -40}, {40, 0}, {0, 40}, {-40, 0}}},
        {"over the bottom-right corner", 199, 149, {{0, -40}, {40, 0}, {0, 40}, {-40, 0}}},
        // x-major edges whose own pixels run far past both sides.
        {"flat wedge wider than the rectangle", 150, 100, {{0, 0}, {300, 2}, {-300, 2}}},
        {"wholly left", 20, 100, {{0, 0}, {30, 10}, {-10, 10}}},
        {"wholly below", 150, 300, {{0, 0}, {30, 10}, {-10, 10}}},
        // Outside the contract (not convex, an outline that rises again, vertices far
        // away): whatever is drawn stays inside, and the walk ends.
        {"bow tie", 150, 100, {{-60, -60}, {60, 60}, {60, -60}, {-60, 60}}},
        {"rising outline", 150, 60, {{0, 0}, {40, 80}, {10, 20}, {-40, 90}}},
        {"far-off vertex", 150, 100, {{0, 0}, {1.0e9f, 2.0e9f}, {-20, 40}}},
        {"vertex far above", 150, 100, {{0, -3.0e9f}, {30, 40}, {-30, 40}}},
    };
    for (const ClippedCase& c : cases) {
        std::vector<VERTEX2D_TYP> vertices = c.vertices;
        POLYGON2D_TYP poly = make_polygon(c.origin_x, c.origin_y, vertices, test_color);
        const Drawn drawn8 = fill8(&poly);
        EXPECT_EQ(0, count_outside(drawn8.pixels, 100, 199, 50, 149)) << c.what;
        EXPECT_TRUE(drawn8.guards_intact) << c.what;
        const Drawn drawn16 = fill16(&poly);
        EXPECT_EQ(0, count_outside(drawn16.pixels, 100, 199, 50, 149)) << c.what << " (16-bit)";
        EXPECT_TRUE(drawn16.guards_intact) << c.what << " (16-bit)";
        EXPECT_EQ(drawn8.pixels, drawn16.pixels) << c.what;
    }
}

TEST(FilledPolygon, TheOctagonFillsTheWholeClipRectangle)
{
    // The clipped spans reach every edge of the rectangle, not just stay inside it.
    const ScopedClip clip(100, 199, 50, 149);
    std::vector<VERTEX2D_TYP> vertices = {{-30, -90}, {30, -90}, {90, -30}, {90, 30},
                                          {30, 90},   {-30, 90}, {-90, 30}, {-90, -30}};
    POLYGON2D_TYP poly = make_polygon(150, 100, vertices, test_color);
    PixelSet expected;
    for (int y = 50; y <= 149; ++y) {
        add_span(expected, 100, 199, y);
    }
    EXPECT_EQ(expected, fill8(&poly).pixels);
}

} // namespace
