// Text on surfaces: one exact colour (the nearest palette entry on 8 bits, packed on
// 16), a transparent background, the top-left corner at the given point, clipping at
// the surface's edges, and the failures: no drawing context, no font, bad arguments.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "gfx/gfx.h"
#include "platform/fault.h"
#include "platform/headless/headless.h"
#include "platform/text.h"
#include "tests/support/display_fixture.h"

namespace {

// The surface's pixels row by row (8 or 16 bits each, as 16-bit values).
std::vector<uint16_t> read_surface(platform::Surface* surface, int bpp)
{
    int width = 0;
    int height = 0;
    platform::surface_size(surface, width, height);
    int pitch = 0;
    std::vector<uint16_t> out;
    const uint8_t* memory = DDraw_Lock_Surface(surface, &pitch);
    for (int y = 0; memory != nullptr && y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = memory + y * pitch + x * (bpp / 8);
            out.push_back(bpp == 8 ? p[0] : static_cast<uint16_t>(p[0] | p[1] << 8));
        }
    }
    DDraw_Unlock_Surface(surface);
    return out;
}

struct Changes {
    std::set<uint16_t> values;
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Changes changes(const std::vector<uint16_t>& before, const std::vector<uint16_t>& after, int width)
{
    Changes c;
    for (size_t i = 0; i < after.size(); ++i) {
        if (before[i] != after[i]) {
            const int x = static_cast<int>(i) % width;
            const int y = static_cast<int>(i) / width;
            c.values.insert(after[i]);
            ++c.count;
            c.left = std::min(c.left, x);
            c.right = std::max(c.right, x);
            c.top = std::min(c.top, y);
            c.bottom = std::max(c.bottom, y);
        }
    }
    return c;
}

class TextTest : public reef_test::DisplayFixture {
protected:
    void start(int bpp)
    {
        ASSERT_EQ(1, DDraw_Init(640, 480, bpp, 0));
        surface = DDraw_Create_Surface(120, 40, 0, 0);
        ASSERT_NE(nullptr, surface);
        if (bpp == 8) {
            // Shades of grey, with pure green at 200 and a dark red at 29.
            PALETTEENTRY entries[256];
            for (int i = 0; i < 256; ++i) {
                const uint8_t v = static_cast<uint8_t>(i / 2);
                entries[i] = PALETTEENTRY{v, v, v, PC_NOCOLLAPSE};
            }
            entries[200] = PALETTEENTRY{0, 255, 0, PC_NOCOLLAPSE};
            entries[29] = PALETTEENTRY{180, 20, 20, PC_NOCOLLAPSE};
            Set_Palette(entries);
        }
        DDraw_Fill_Surface(surface, 5);
    }

    void TearDown() override
    {
        platform::surface_release(surface);
        platform::text_set_font_path(nullptr);
        reef_test::DisplayFixture::TearDown();
    }

    platform::Surface* surface = nullptr;
};

TEST_F(TextTest, ColourFormDrawsOnlyGlyphPixelsInTheNearestPaletteEntry)
{
    start(8);
    const std::vector<uint16_t> before = read_surface(surface, 8);
    ASSERT_EQ(1, Draw_Text_GDI("Score : 12345", 10, 8, COLORREF{0x00ff00}, surface));
    const Changes c = changes(before, read_surface(surface, 8), 120);
    EXPECT_EQ(std::set<uint16_t>({200}), c.values);
    // Enough ink for thirteen characters, and the background left as it was.
    EXPECT_GT(c.count, 100);
    EXPECT_LT(c.count, 120 * 16 / 2);
    // The point given is the top-left corner of the text.
    EXPECT_GE(c.left, 10);
    EXPECT_LE(c.left, 12);
    EXPECT_GE(c.top, 8);
    EXPECT_LE(c.bottom, 8 + 16);
    EXPECT_GT(c.right, 10 + 60);
    // Nothing is left locked: a flip still works.
    EXPECT_EQ(1, DDraw_Flip());
}

TEST_F(TextTest, AColourNotInThePaletteTakesTheNearestEntry)
{
    start(8);
    const std::vector<uint16_t> before = read_surface(surface, 8);
    ASSERT_EQ(1, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x141EAA}, surface));  // red 170, green 30, blue 20
    EXPECT_EQ(std::set<uint16_t>({29}), changes(before, read_surface(surface, 8), 120).values);
}

TEST_F(TextTest, PaletteFormUsesTheWorkingPaletteColourAtTheMomentOfTheCall)
{
    start(8);
    const std::vector<uint16_t> before = read_surface(surface, 8);
    ASSERT_EQ(1, Draw_Text_GDI("Reef", 0, 0, 29, surface));
    EXPECT_EQ(std::set<uint16_t>({29}), changes(before, read_surface(surface, 8), 120).values);

    // Only the working copy says green now: the text is drawn in the entry showing green.
    palette[29] = PALETTEENTRY{0, 255, 0, PC_NOCOLLAPSE};
    DDraw_Fill_Surface(surface, 5);
    ASSERT_EQ(1, Draw_Text_GDI("Reef", 0, 0, 29, surface));
    EXPECT_EQ(std::set<uint16_t>({200}), changes(before, read_surface(surface, 8), 120).values);

    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, 256, surface));
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, -1, surface));
}

TEST_F(TextTest, SixteenBitSurfacesTakeThePackedColourOfTheirFormat)
{
    struct Case {
        int format;
        uint16_t green, orange;
    };
    const Case cases[] = {{16, 0x07E0, 0xFC00}, {15, 0x03E0, 0x7E00}};
    for (const Case& c : cases) {
        platform::headless::set_16bit_format(c.format);
        start(16);
        const std::vector<uint16_t> before = read_surface(surface, 16);
        ASSERT_EQ(1, Draw_Text_GDI("Hi", 2, 2, COLORREF{0x00ff00}, surface));
        ASSERT_EQ(1, Draw_Text_GDI("Hi", 40, 2, COLORREF{0x0080ff}, surface));  // red 255, green 128
        EXPECT_EQ(std::set<uint16_t>({c.green, c.orange}), changes(before, read_surface(surface, 16), 120).values)
            << c.format;
        platform::surface_release(surface);
        surface = nullptr;
        DDraw_Shutdown();
    }
}

TEST_F(TextTest, TextReachingPastAnyEdgeIsClippedToTheSurface)
{
    start(8);
    struct Case {
        int x, y;
    };
    const Case cases[] = {{-30, -6}, {100, 30}, {-2000000000, 5}, {5, 2000000000}, {2147483000, 0}, {110, -2147483000}};
    for (const Case& c : cases) {
        EXPECT_EQ(1, Draw_Text_GDI("Shield WWWWWW", c.x, c.y, COLORREF{0x00ff00}, surface)) << c.x << "," << c.y;
    }
    // Partly inside: the part inside is drawn.
    DDraw_Fill_Surface(surface, 5);
    const std::vector<uint16_t> before = read_surface(surface, 8);
    Draw_Text_GDI("WWWW", -10, -5, COLORREF{0x00ff00}, surface);
    const Changes c = changes(before, read_surface(surface, 8), 120);
    EXPECT_GT(c.count, 0);
    EXPECT_EQ(0, c.left);
    EXPECT_EQ(0, c.top);
}

TEST_F(TextTest, NoDrawingContextOrBadArgumentsDrawNothing)
{
    start(8);
    const std::vector<uint16_t> before = read_surface(surface, 8);
    platform::fault_inject("surface.get_dc", 1);
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x00ff00}, surface));
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x00ff00}, nullptr));
    EXPECT_EQ(0, Draw_Text_GDI(nullptr, 0, 0, COLORREF{0x00ff00}, surface));
    EXPECT_EQ(1, Draw_Text_GDI("", 0, 0, COLORREF{0x00ff00}, surface));
    EXPECT_EQ(before, read_surface(surface, 8));

    platform::Surface* gone = DDraw_Create_Surface(8, 8, 0, 0);
    platform::surface_release(gone);
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, 7, gone));
}

TEST_F(TextTest, AMissingFontFailsWithOneClearLine)
{
    start(8);
    platform::text_set_font_path("/nonexistent/NoSuchFont.ttf");
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x00ff00}, surface));
    EXPECT_EQ(0, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x00ff00}, surface));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("/nonexistent/NoSuchFont.ttf")) << said;
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;

    platform::text_set_font_path(nullptr);
    EXPECT_EQ(1, Draw_Text_GDI("Reef", 0, 0, COLORREF{0x00ff00}, surface));
}

TEST(TextService, ContextsFollowTheirSettingsAndAreCheckedHandles)
{
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::text_extent("Score : 12345", 13, width, height));
    EXPECT_GT(width, 60);
    EXPECT_LT(width, 130);
    EXPECT_GE(height, 14);
    EXPECT_LE(height, 18);
    EXPECT_FALSE(platform::text_extent(nullptr, 3, width, height));

    EXPECT_EQ(nullptr, platform::surface_get_dc(nullptr));
    EXPECT_FALSE(platform::dc_text_out(nullptr, 0, 0, "x", 1));
    EXPECT_EQ(0u, platform::dc_set_text_color(nullptr, 5));
    EXPECT_EQ(0, platform::dc_set_background_mode(nullptr, platform::BACKGROUND_TRANSPARENT));
    EXPECT_FALSE(platform::surface_release_dc(nullptr, nullptr));
}

TEST_F(TextTest, AnOpaqueBackgroundFillsTheTextCell)
{
    start(8);
    platform::DeviceContext* dc = platform::surface_get_dc(surface);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(0u, platform::dc_set_text_color(dc, 0x00ff00));
    EXPECT_EQ(0xFFFFFFu, platform::dc_set_background_color(dc, 0x000000));
    EXPECT_EQ(platform::BACKGROUND_OPAQUE, platform::dc_set_background_mode(dc, platform::BACKGROUND_OPAQUE));
    EXPECT_EQ(0, platform::dc_set_background_mode(dc, 7));
    EXPECT_TRUE(platform::dc_text_out(dc, 4, 4, "Reef", 4));
    EXPECT_FALSE(platform::surface_release_dc(nullptr, dc));
    EXPECT_TRUE(platform::surface_release_dc(surface, dc));
    EXPECT_FALSE(platform::surface_release_dc(surface, dc));  // already gone

    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::text_extent("Reef", 4, width, height));
    const std::vector<uint16_t> after = read_surface(surface, 8);
    std::set<uint16_t> inside;
    for (int y = 4; y < 4 + height; ++y) {
        for (int x = 4; x < 4 + width; ++x) {
            inside.insert(after[static_cast<size_t>(y * 120 + x)]);
        }
    }
    EXPECT_EQ(std::set<uint16_t>({0, 200}), inside);  // black paper, green ink
    EXPECT_EQ(5, after[static_cast<size_t>(3 * 120 + 3)]);
}

} // namespace
