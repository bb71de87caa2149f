// Lines, pixels and clipping: Clip_Line's endpoint rules, the Bresenham pixel lists in
// both directions, runs clamped to the clip rectangle, colour and pitch handling in 8 and
// 16 bits, and Draw_Rectangle through the platform's fill. Drawing goes into a guarded
// buffer whose pitch is wider than a row.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "gfx/gfx.h"
#include "tests/support/display_fixture.h"
#include "tests/support/guarded_buffer.h"

namespace {

using reef_test::add_span;
using reef_test::GuardedBuffer;
using reef_test::PixelSet;
using reef_test::ScopedClip;

struct ClipCase {
    int x1, y1, x2, y2;
    int result;
    int cx1, cy1, cx2, cy2;  // the references afterwards
};

TEST(ClipLine, MovesEachEndpointByItsOwnRule)
{
    const ClipCase cases[] = {
        {-10, 240, 10, 240, 1, 0, 240, 10, 240},
        // Passes the top-left corner outside: nothing, inputs untouched.
        {-10, 5, 5, -10, 0, -10, 5, 5, -10},
        // First endpoint: -0.5 truncates to 0; second: plain sum.
        {-1, 1, 1, -1, 1, 0, 0, 0, 0},
        // Second endpoint (below and right) lands on the bottom edge inside.
        {100, -50, 700, 550, 1, 150, 0, 629, 479},
        // Second endpoint would land at x 671, so it goes onto the right edge instead.
        {-5, -5, 700, 500, 1, 1, 0, 639, 457},
        // The second endpoint's plain sum gives y -1, outside: nothing is drawn.
        {630, -10, 650, 10, 0, 630, -10, 650, 10},
        {3, 4, 600, 470, 1, 3, 4, 600, 470},
        {-5, -5, -1, 100, 0, -5, -5, -1, 100},
        {700, 10, 650, 400, 0, 700, 10, 650, 400},
        // Coordinates far beyond 32-bit products still clip exactly.
        {-2000000000, -2000000000, 2000000000, 2000000000, 1, 0, 0, 479, 479},
        {INT_MIN, 240, INT_MAX, 240, 1, 0, 240, 639, 240},
    };
    for (const ClipCase& c : cases) {
        int x1 = c.x1;
        int y1 = c.y1;
        int x2 = c.x2;
        int y2 = c.y2;
        EXPECT_EQ(c.result, Clip_Line(x1, y1, x2, y2)) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        EXPECT_EQ(c.cx1, x1) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        EXPECT_EQ(c.cy1, y1) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        EXPECT_EQ(c.cx2, x2) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        EXPECT_EQ(c.cy2, y2) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST(ClipLine, ReadsTheCurrentClipRectangle)
{
    const ScopedClip clip(100, 199, 50, 149);
    int x1 = 0;
    int y1 = 0;
    int x2 = 300;
    int y2 = 300;
    ASSERT_EQ(1, Clip_Line(x1, y1, x2, y2));
    EXPECT_EQ(100, x1);
    EXPECT_EQ(100, y1);
    EXPECT_EQ(149, x2);
    EXPECT_EQ(149, y2);
}

// The 8- and 16-bit forms of the family, so one test body checks both.
struct Depth8 {
    using Pixel = uint8_t;
    static constexpr int (*line)(int, int, int, int, int, uint8_t*, int) = Draw_Line;
    static constexpr int (*clip_line)(int, int, int, int, int, uint8_t*, int) = Draw_Clip_Line;
    static constexpr int (*pixel)(int, int, int, uint8_t*, int) = Draw_Pixel;
    static constexpr void (*hline)(int, int, int, int, uint8_t*, int) = HLine;
    static constexpr void (*vline)(int, int, int, int, uint8_t*, int) = VLine;
    static constexpr int color = 0x1FF;  // stored as its low 8 bits
    static constexpr Pixel stored = 0xFF;
};

struct Depth16 {
    using Pixel = uint16_t;
    static constexpr int (*line)(int, int, int, int, int, uint8_t*, int) = Draw_Line16;
    static constexpr int (*clip_line)(int, int, int, int, int, uint8_t*, int) = Draw_Clip_Line16;
    static constexpr int (*pixel)(int, int, int, uint8_t*, int) = Draw_Pixel16;
    static constexpr void (*hline)(int, int, int, int, uint8_t*, int) = HLine16;
    static constexpr void (*vline)(int, int, int, int, uint8_t*, int) = VLine16;
    static constexpr int color = 0x7A5C3;  // stored as its low 16 bits
    static constexpr Pixel stored = 0xA5C3;
};

template <typename Depth>
class RasterDepth : public ::testing::Test {
protected:
    GuardedBuffer<typename Depth::Pixel> buffer;
};

using Depths = ::testing::Types<Depth8, Depth16>;
TYPED_TEST_SUITE(RasterDepth, Depths);

struct LineCase {
    int x0, y0, x1, y1;
    std::vector<std::pair<int, int>> pixels;
};

TYPED_TEST(RasterDepth, LinesWriteTheBresenhamPixelsInEitherDirection)
{
    const LineCase cases[] = {
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {5, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        // Ties always step, so the reverse direction picks other pixels.
        {4, 2, 0, 0, {{4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {0, 3, 3, 0, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
        {2, 2, 2, 2, {{2, 2}}},
        {0, 1, 4, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {1, 4, 1, 0, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}},
    };
    // At the top-left corner and pressed against the bottom-right one.
    const std::pair<int, int> offsets[] = {{0, 0}, {634, 474}};
    for (const auto& offset : offsets) {
        for (const LineCase& c : cases) {
            this->buffer.clear();
            const int dx = offset.first;
            const int dy = offset.second;
            EXPECT_EQ(1, TypeParam::line(c.x0 + dx, c.y0 + dy, c.x1 + dx, c.y1 + dy, TypeParam::color,
                                         this->buffer.memory(), this->buffer.lpitch()));
            PixelSet expected;
            for (const auto& p : c.pixels) {
                expected.insert({p.first + dx, p.second + dy});
            }
            EXPECT_EQ(expected, this->buffer.changed()) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
            EXPECT_EQ(0, this->buffer.changed_to_other_than(TypeParam::stored));
            EXPECT_TRUE(this->buffer.guards_intact());
        }
    }
}

TYPED_TEST(RasterDepth, ClippedLinesDrawOnlyTheClippedPart)
{
    EXPECT_EQ(1, TypeParam::clip_line(-10, 240, 10, 240, TypeParam::color, this->buffer.memory(),
                                      this->buffer.lpitch()));
    PixelSet expected;
    add_span(expected, 0, 10, 240);
    EXPECT_EQ(expected, this->buffer.changed());

    // Nothing to draw still reports 1.
    this->buffer.clear();
    EXPECT_EQ(1, TypeParam::clip_line(-10, 5, 5, -10, TypeParam::color, this->buffer.memory(),
                                      this->buffer.lpitch()));
    EXPECT_TRUE(this->buffer.changed().empty());

    // Lines far outside in every direction stay inside the buffer.
    const int far[][4] = {{-5000, -300, 7000, 900}, {320, -100000, 320, 100000}, {-1, -1, 640, 480},
                          {639, 0, 0, 479}, {-700, 200, -1, 250}};
    for (const auto& l : far) {
        TypeParam::clip_line(l[0], l[1], l[2], l[3], TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
    }
    EXPECT_TRUE(this->buffer.guards_intact());
    EXPECT_EQ(0, this->buffer.changed_to_other_than(TypeParam::stored));
}

struct RunCase {
    bool horizontal;
    int a, b, at;           // HLine(x1 = a, x2 = b, y = at) or VLine(y1 = a, y2 = b, x = at)
    int x1, x2, y1, y2;     // the filled rectangle, or x1 > x2 for none
};

TYPED_TEST(RasterDepth, RunsAreClampedToTheClipRectangle)
{
    const RunCase cases[] = {
        {true, 700, -20, 10, 0, 639, 10, 10},
        {true, 5, 9, 479, 5, 9, 479, 479},
        {true, 9, 5, 0, 5, 9, 0, 0},
        {true, 0, 639, 480, 1, 0, 0, 0},
        {true, 0, 639, -1, 1, 0, 0, 0},
        {true, 640, 900, 7, 1, 0, 0, 0},
        {true, -50, -1, 7, 1, 0, 0, 0},
        {true, 639, 639, 3, 639, 639, 3, 3},
        {false, 500, 470, 5, 5, 5, 470, 479},
        {false, -30, 3, 639, 639, 639, 0, 3},
        {false, 0, 479, 640, 1, 0, 0, 0},
        {false, 0, 479, -1, 1, 0, 0, 0},
        {false, 480, 600, 4, 1, 0, 0, 0},
    };
    for (const RunCase& c : cases) {
        this->buffer.clear();
        if (c.horizontal) {
            TypeParam::hline(c.a, c.b, c.at, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
        } else {
            TypeParam::vline(c.a, c.b, c.at, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
        }
        PixelSet expected;
        for (int y = c.y1; c.x1 <= c.x2 && y <= c.y2; ++y) {
            add_span(expected, c.x1, c.x2, y);
        }
        EXPECT_EQ(expected, this->buffer.changed()) << (c.horizontal ? "HLine " : "VLine ") << c.a << "," << c.b
                                                    << " at " << c.at;
        EXPECT_EQ(0, this->buffer.changed_to_other_than(TypeParam::stored));
        EXPECT_TRUE(this->buffer.guards_intact());
    }
}

TYPED_TEST(RasterDepth, RunsHonourASmallerClipRectangle)
{
    const ScopedClip clip(100, 199, 50, 149);
    TypeParam::hline(0, 639, 60, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
    TypeParam::hline(0, 639, 49, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
    TypeParam::vline(0, 479, 150, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
    TypeParam::vline(0, 479, 200, TypeParam::color, this->buffer.memory(), this->buffer.lpitch());
    PixelSet expected;
    add_span(expected, 100, 199, 60);
    for (int y = 50; y <= 149; ++y) {
        expected.insert({150, y});
    }
    EXPECT_EQ(expected, this->buffer.changed());
}

TYPED_TEST(RasterDepth, PixelsAreWrittenUnclippedAtTheirAddress)
{
    const ScopedClip clip(100, 199, 50, 149);
    EXPECT_EQ(1, TypeParam::pixel(0, 0, TypeParam::color, this->buffer.memory(), this->buffer.lpitch()));
    EXPECT_EQ(1, TypeParam::pixel(639, 479, TypeParam::color, this->buffer.memory(), this->buffer.lpitch()));
    EXPECT_EQ((PixelSet{{0, 0}, {639, 479}}), this->buffer.changed());
    EXPECT_EQ(TypeParam::stored, this->buffer.at(639, 479));
    EXPECT_TRUE(this->buffer.guards_intact());
}

TEST(Raster16, AnOddPitchLosesItsLowBit)
{
    // 1281 bytes per row is 640 pixels per row.
    constexpr int row = 640;
    std::vector<uint16_t> words(row * 8, 0);
    auto* memory = reinterpret_cast<uint8_t*>(words.data());
    Draw_Pixel16(3, 2, 0x1111, memory, 1281);
    Draw_Line16(0, 4, 2, 4, 0x2222, memory, 1281);
    Draw_Line16(600, 0, 600, 1, 0x3333, memory, 1281);
    HLine16(10, 12, 5, 0x4444, memory, 1281);
    VLine16(6, 7, 20, 0x5555, memory, 1281);
    EXPECT_EQ(0x1111, words[2 * row + 3]);
    EXPECT_EQ(0x2222, words[4 * row + 0]);
    EXPECT_EQ(0x2222, words[4 * row + 2]);
    EXPECT_EQ(0x3333, words[0 * row + 600]);
    EXPECT_EQ(0x3333, words[1 * row + 600]);
    EXPECT_EQ(0x4444, words[5 * row + 10]);
    EXPECT_EQ(0x4444, words[5 * row + 12]);
    EXPECT_EQ(0x5555, words[6 * row + 20]);
    EXPECT_EQ(0x5555, words[7 * row + 20]);
    int written = 0;
    for (uint16_t w : words) {
        written += w != 0 ? 1 : 0;
    }
    EXPECT_EQ(1 + 3 + 2 + 3 + 2, written);
}

using RectangleTest = reef_test::DisplayFixture;

TEST_F(RectangleTest, FillsRightAndBottomExclusiveThroughThePlatform)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::Surface* surface = DDraw_Create_Surface(64, 32, 0, 0);
    ASSERT_NE(nullptr, surface);
    DDraw_Fill_Surface(surface, 1);
    EXPECT_EQ(1, Draw_Rectangle(10, 5, 20, 8, 0x1FF, surface));
    // Empty, inverted and overhanging rectangles and a missing surface are harmless.
    EXPECT_EQ(1, Draw_Rectangle(30, 30, 30, 31, 7, surface));
    EXPECT_EQ(1, Draw_Rectangle(50, 20, 40, 10, 7, surface));
    EXPECT_EQ(1, Draw_Rectangle(60, 28, 100, 100, 3, surface));
    EXPECT_EQ(1, Draw_Rectangle(0, 0, 10, 10, 7, nullptr));

    int pitch = 0;
    uint8_t* pixels = DDraw_Lock_Surface(surface, &pitch);
    ASSERT_NE(nullptr, pixels);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            int expected = 1;
            if (x >= 10 && x < 20 && y >= 5 && y < 8) {
                expected = 0xFF;
            } else if (x >= 60 && y >= 28) {
                expected = 3;
            }
            ASSERT_EQ(expected, pixels[y * pitch + x]) << x << "," << y;
        }
    }
    DDraw_Unlock_Surface(surface);
    platform::surface_release(surface);
}

} // namespace
