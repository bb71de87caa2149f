// The display: start-up and its failure paths, locks, flips, fills, clippers and the
// colour packers, on the headless backend (whose pitch is wider than a row).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
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

namespace {

TEST_F(DisplayTest, EachStartUpStepThatCanFailMakesInitReturnZero)
{
    const char* steps[] = {"display.create",    "display.cooperative_level", "display.set_mode",
                           "surface.create_primary", "surface.back_buffer", "palette.create",
                           "surface.attach_palette"};
    for (const char* step : steps) {
        platform::fault_inject(step, 1);
        EXPECT_EQ(0, DDraw_Init(640, 480, 8, 0)) << step;
        DDraw_Shutdown();
        platform::fault_clear();
    }
    // What a failed start leaves behind is released by the shutdown that follows.
    platform::fault_inject("palette.create", 1);
    ASSERT_EQ(0, DDraw_Init(640, 480, 8, 0));
    EXPECT_NE(nullptr, lpddsprimary);
    EXPECT_NE(nullptr, lpddsback);
    EXPECT_EQ(nullptr, lpddpal);
    EXPECT_EQ(1, DDraw_Shutdown());
}

TEST_F(DisplayTest, WindowedStartFailsOnEachWindowClipperStep)
{
    struct Case {
        const char* step;
        int skip;  // the back surface's own clipper takes the first create and attach
    };
    const Case cases[] = {{"clipper.create", 1}, {"clipper.set_window", 0}, {"surface.attach_clipper", 1}};
    for (const Case& c : cases) {
        platform::fault_inject(c.step, 1, c.skip);
        EXPECT_EQ(0, DDraw_Init(640, 480, 8, 1)) << c.step;
        EXPECT_NE(nullptr, lpddclipper) << c.step;
        DDraw_Shutdown();
        platform::fault_clear();
    }
}

TEST_F(DisplayTest, SurfacePitchIsWiderThanARowOnTheHeadlessBackend)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    ASSERT_NE(nullptr, DDraw_Lock_Back_Surface());
    EXPECT_GT(back_lpitch, 640);
    EXPECT_EQ(640, ddsd.width);
    EXPECT_EQ(480, ddsd.height);
    DDraw_Unlock_Back_Surface();
}

TEST_F(DisplayTest, PaletteFileIsTheFirstPaletteAndWindowedEdgesAreExplicit)
{
    PALETTEENTRY written[256];
    for (int i = 0; i < 256; ++i) {
        written[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0};
    }
    ASSERT_EQ(1, Save_Palette_To_File("PALDATA2.PAL", written));
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 1));
    for (int i = 0; i < 256; ++i) {
        const bool edge = i < 10 || i >= 246;
        EXPECT_EQ(i, palette[i].peRed);
        EXPECT_EQ(255 - i, palette[i].peGreen);
        EXPECT_EQ(edge ? PC_EXPLICIT : 0, palette[i].peFlags) << i;
    }
    PALETTEENTRY device[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, device));
    EXPECT_EQ(0, std::memcmp(device, palette, sizeof device));
    std::remove("PALDATA2.PAL");
}

TEST_F(DisplayTest, PairLocksDoNotNest)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    uint8_t* first = DDraw_Lock_Back_Surface();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, DDraw_Lock_Back_Surface());
    EXPECT_EQ(1, DDraw_Unlock_Back_Surface());
    EXPECT_EQ(nullptr, back_buffer);
    EXPECT_EQ(0, back_lpitch);
    EXPECT_EQ(0, DDraw_Unlock_Back_Surface());

    uint8_t* primary = DDraw_Lock_Primary_Surface();
    ASSERT_NE(nullptr, primary);
    EXPECT_EQ(primary, DDraw_Lock_Primary_Surface());
    EXPECT_EQ(1, DDraw_Unlock_Primary_Surface());
    EXPECT_EQ(0, DDraw_Unlock_Primary_Surface());
    EXPECT_EQ(0, primary_lpitch);
}

TEST_F(DisplayTest, FailedLockLeavesTheSurfaceCountedAsUnlocked)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::fault_inject("surface.lock", 1);
    EXPECT_EQ(nullptr, DDraw_Lock_Back_Surface());
    EXPECT_EQ(0, back_lpitch);
    EXPECT_EQ(1, DDraw_Flip());
    int pitch = 99;
    platform::fault_inject("surface.lock", 1);
    EXPECT_EQ(nullptr, DDraw_Lock_Surface(lpddsback, &pitch));
    EXPECT_EQ(0, pitch);
}

TEST_F(DisplayTest, FlipSwapsContentsAndRefusesWhileLocked)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    DDraw_Fill_Surface(lpddsprimary, 1);
    DDraw_Fill_Surface(lpddsback, 2);
    platform::Surface* primary = lpddsprimary;
    platform::Surface* back = lpddsback;

    DDraw_Lock_Back_Surface();
    EXPECT_EQ(0, DDraw_Flip());
    DDraw_Unlock_Back_Surface();
    DDraw_Lock_Primary_Surface();
    EXPECT_EQ(0, DDraw_Flip());
    EXPECT_EQ(1, primary_buffer[0]);
    DDraw_Unlock_Primary_Surface();

    EXPECT_EQ(1, DDraw_Flip());
    EXPECT_EQ(primary, lpddsprimary);
    EXPECT_EQ(back, lpddsback);
    EXPECT_EQ(2, DDraw_Lock_Primary_Surface()[0]);
    EXPECT_EQ(1, DDraw_Lock_Back_Surface()[0]);
}

TEST_F(DisplayTest, FullScreenFlipIsAskedAgainWhileTheDeviceRefuses)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::fault_inject("surface.flip", 3);
    EXPECT_EQ(1, DDraw_Flip());
    // A flip that can never happen gives up instead of spinning for ever.
    platform::fault_inject("surface.flip", 100000);
    EXPECT_EQ(0, DDraw_Flip());
}

TEST_F(DisplayTest, WindowedFlipCopiesTheBackSurfaceOntoTheWindowsRectangle)
{
    platform::headless::set_desktop_size(1024, 768);
    ASSERT_TRUE(platform::window_move(main_window_handle, 100, 50));
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 1));
    EXPECT_EQ(1, screen_windowed);
    EXPECT_NE(nullptr, lpddclipperwin);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::surface_size(lpddsprimary, width, height));
    EXPECT_EQ(1024, width);
    EXPECT_EQ(768, height);

    DDraw_Fill_Surface(lpddsback, 9);
    ASSERT_EQ(1, DDraw_Flip());
    uint8_t* desktop = DDraw_Lock_Primary_Surface();
    ASSERT_NE(nullptr, desktop);
    const int pitch = primary_lpitch;
    auto at = [&](int x, int y) { return desktop[y * pitch + x]; };
    EXPECT_EQ(9, at(100, 50));
    EXPECT_EQ(9, at(739, 529));
    EXPECT_EQ(0, at(99, 50));
    EXPECT_EQ(0, at(100, 49));
    EXPECT_EQ(0, at(740, 529));
    EXPECT_EQ(0, at(739, 530));
    DDraw_Unlock_Primary_Surface();
}

TEST_F(DisplayTest, WindowedFlipIsLimitedToTheVisibleWindow)
{
    platform::headless::set_desktop_size(800, 600);
    ASSERT_TRUE(platform::window_move(main_window_handle, 500, 400));
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 1));
    DDraw_Fill_Surface(lpddsback, 5);
    EXPECT_EQ(1, DDraw_Flip());
    uint8_t* desktop = DDraw_Lock_Primary_Surface();
    EXPECT_EQ(5, desktop[599 * primary_lpitch + 799]);
    EXPECT_EQ(0, desktop[399 * primary_lpitch + 799]);
    DDraw_Unlock_Primary_Surface();
}

TEST_F(DisplayTest, ClipperRegionBoundsWidenStrictlyOverTheList)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    struct Case {
        std::vector<RECT> rects;
        RECT bounds;
    };
    const Case cases[] = {
        {{{0, 0, 640, 480}}, {0, 0, 640, 480}},
        {{}, {64000, 64000, -64000, -64000}},
        {{{10, 20, 30, 40}, {5, 25, 35, 38}, {12, 2, 13, 90}}, {5, 2, 35, 90}},
    };
    for (const Case& c : cases) {
        platform::Surface* surface = DDraw_Create_Surface(64, 64, 0, 0);
        platform::Clipper* clipper =
            DDraw_Attach_Clipper(surface, static_cast<int>(c.rects.size()), c.rects.data());
        ASSERT_NE(nullptr, clipper);
        RECT list[4] = {};
        RECT bounds{};
        ASSERT_EQ(static_cast<int>(c.rects.size()), platform::clipper_get_clip_list(clipper, list, 4, &bounds));
        EXPECT_EQ(c.bounds.left, bounds.left);
        EXPECT_EQ(c.bounds.top, bounds.top);
        EXPECT_EQ(c.bounds.right, bounds.right);
        EXPECT_EQ(c.bounds.bottom, bounds.bottom);
        for (size_t i = 0; i < c.rects.size(); ++i) {
            EXPECT_EQ(0, std::memcmp(&list[i], &c.rects[i], sizeof(RECT)));
        }
        platform::clipper_release(clipper);
        platform::surface_release(surface);
    }
}

TEST_F(DisplayTest, AttachClipperFailuresReturnNull)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    const RECT r{0, 0, 10, 10};
    for (const char* step : {"clipper.create", "clipper.set_clip_list", "surface.attach_clipper"}) {
        platform::fault_inject(step, 1);
        EXPECT_EQ(nullptr, DDraw_Attach_Clipper(lpddsback, 1, &r)) << step;
        platform::fault_clear();
    }
    EXPECT_EQ(nullptr, DDraw_Attach_Clipper(lpddsback, -1, &r));
    EXPECT_EQ(nullptr, DDraw_Attach_Clipper(nullptr, 1, &r));
}

TEST_F(DisplayTest, FillHonoursTheClipperAndItsRectangle)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::Surface* surface = DDraw_Create_Surface(20, 10, 0, 0);
    const RECT clip[2] = {{0, 0, 5, 10}, {15, 0, 20, 10}};
    platform::Clipper* clipper = DDraw_Attach_Clipper(surface, 2, clip);
    ASSERT_NE(nullptr, clipper);
    const RECT area{2, 3, 18, 5};
    EXPECT_EQ(1, DDraw_Fill_Surface(surface, 7, &area));
    int pitch = 0;
    uint8_t* pixels = DDraw_Lock_Surface(surface, &pitch);
    ASSERT_NE(nullptr, pixels);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool filled = y >= 3 && y < 5 && ((x >= 2 && x < 5) || (x >= 15 && x < 18));
            EXPECT_EQ(filled ? 7 : 0, pixels[y * pitch + x]) << x << "," << y;
        }
    }
    DDraw_Unlock_Surface(surface);
    platform::clipper_release(clipper);
    platform::surface_release(surface);
}

TEST_F(DisplayTest, NullAndReleasedSurfacesAreHarmless)
{
    int pitch = 1234;
    EXPECT_EQ(nullptr, DDraw_Lock_Surface(nullptr, &pitch));
    EXPECT_EQ(1234, pitch);
    EXPECT_EQ(0, DDraw_Unlock_Surface(nullptr));
    EXPECT_EQ(1, DDraw_Fill_Surface(nullptr, 3));
    EXPECT_EQ(nullptr, DDraw_Lock_Primary_Surface());

    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::Surface* surface = DDraw_Create_Surface(8, 8, 0, 0);
    platform::surface_release(surface);
    EXPECT_EQ(nullptr, DDraw_Lock_Surface(surface, &pitch));
    EXPECT_EQ(1, DDraw_Unlock_Surface(surface));
    EXPECT_EQ(1, DDraw_Fill_Surface(surface, 3));

    DDraw_Shutdown();
    EXPECT_EQ(nullptr, DDraw_Lock_Back_Surface());
    EXPECT_EQ(1, DDraw_Fill_Surface(lpddsback, 3));
    EXPECT_EQ(0, DDraw_Flip());
}

TEST_F(DisplayTest, SixteenBitDisplayPicksThePackerItReports)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 16, 0));
    EXPECT_EQ(16, dd_pixel_format);
    EXPECT_EQ(RGB16Bit565, RGB16Bit);
    EXPECT_EQ(nullptr, lpddpal);
    DDraw_Fill_Surface(lpddsback, 0xF800);
    uint8_t* pixels = DDraw_Lock_Back_Surface();
    EXPECT_EQ(0xF800, reinterpret_cast<uint16_t*>(pixels)[639]);
    DDraw_Unlock_Back_Surface();
    DDraw_Shutdown();

    platform::headless::set_16bit_format(15);
    ASSERT_EQ(1, DDraw_Init(640, 480, 16, 0));
    EXPECT_EQ(15, dd_pixel_format);
    EXPECT_EQ(RGB16Bit555, RGB16Bit);
}

TEST_F(DisplayTest, StartUpWritesThePixelFormatToAnOpenLog)
{
    ASSERT_EQ(1, Open_Error_File("display.log"));
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    Close_Error_File();
    std::FILE* file = std::fopen("display.log", "r");
    ASSERT_NE(nullptr, file);
    std::string text;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, file) != nullptr) {
        text += chunk;
    }
    std::fclose(file);
    EXPECT_NE(std::string::npos, text.find("\npixel format = 8\npixel format = 5.6.5\nClosing Error Output File."));
    std::remove("display.log");
}

TEST_F(DisplayTest, VisiblePictureGoesThroughThePalette)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    PALETTEENTRY colours[256] = {};
    colours[3] = PALETTEENTRY{10, 20, 30, 0};
    Set_Palette(colours);
    DDraw_Fill_Surface(lpddsback, 3);
    DDraw_Flip();
    std::vector<uint8_t> rgb(640 * 480 * 3);
    ASSERT_TRUE(platform::display_capture(rgb.data(), 640, 480));
    EXPECT_EQ(10, rgb[0]);
    EXPECT_EQ(20, rgb[1]);
    EXPECT_EQ(30, rgb[2]);
    Set_Palette_Entry(3, &colours[0]);
    ASSERT_TRUE(platform::display_capture(rgb.data(), 640, 480));
    EXPECT_EQ(0, rgb[0] | rgb[1] | rgb[2]);
}

} // namespace
