// The display: start-up and its failure paths, locks, flips, fills, clippers and the
// colour packers, on the headless backend (whose pitch is wider than a row).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/gfx.h"
#include "platform/fault.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "tests/support/display_fixture.h"

namespace {

using DisplayTest = reef_test::DisplayFixture;

TEST(ColourPackers, GiveTheDocumentedPixels)
{
    struct Case {
        int r, g, b;
        uint16_t p565, p555;
    };
    const Case cases[] = {
        {255, 255, 255, 0xFFFF, 0x7FFF}, {255, 0, 0, 0xF800, 0x7C00}, {0, 255, 0, 0x07E0, 0x03E0},
        {0, 0, 255, 0x001F, 0x001F},     {8, 4, 8, 0x0821, 0x0401},   {128, 128, 128, 0x8410, 0x4210},
        {7, 7, 7, 0x0020, 0x0000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RGB16Bit565(c.r, c.g, c.b), c.p565) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(RGB16Bit555(c.r, c.g, c.b), c.p555) << c.r << "," << c.g << "," << c.b;
    }
}

TEST(MemSetWord, WritesLittleEndianWordsAndNothingMore)
{
    uint8_t bytes[10];
    std::memset(bytes, 0xEE, sizeof bytes);
    Mem_Set_WORD(bytes + 1, 0xABCD, 3);
    const uint8_t expected[10] = {0xEE, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof bytes));
    Mem_Set_WORD(bytes, 0x1234, 0);
    Mem_Set_WORD(bytes, 0x1234, -5);
    EXPECT_EQ(0xEE, bytes[0]);
}

TEST_F(DisplayTest, StartsFullScreenWithZeroPaletteAndWholeScreenClip)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    EXPECT_EQ(640, screen_width);
    EXPECT_EQ(480, screen_height);
    EXPECT_EQ(8, screen_bpp);
    EXPECT_EQ(0, screen_windowed);
    EXPECT_EQ(8, dd_pixel_format);
    EXPECT_EQ(RGB16Bit565, RGB16Bit);
    EXPECT_EQ(0, min_clip_x);
    EXPECT_EQ(639, max_clip_x);
    EXPECT_EQ(0, min_clip_y);
    EXPECT_EQ(479, max_clip_y);
    for (const PALETTEENTRY& e : palette) {
        EXPECT_EQ(0, e.peRed | e.peGreen | e.peBlue | e.peFlags);
    }
    EXPECT_NE(nullptr, lpdd);
    EXPECT_NE(nullptr, lpddsprimary);
    EXPECT_NE(nullptr, lpddsback);
    EXPECT_NE(nullptr, lpddpal);
    EXPECT_NE(nullptr, lpddclipper);
    EXPECT_EQ(nullptr, lpddclipperwin);
}

} // namespace
