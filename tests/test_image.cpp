// Bitmap images: creation and release, opaque and transparent drawing in both depths,
// cutting cells and pixel rectangles out of pictures (inside and outside them),
// scrolling, copying between images and cutting a cell straight into a surface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/gfx.h"
#include "platform/fault.h"
#include "tests/support/display_fixture.h"

namespace {

// An image created with the given pixels (row by row) and marked loaded.
BITMAP_IMAGE_TYP loaded_image(int width, int height, const std::vector<uint8_t>& pixels, int bpp = 8)
{
    BITMAP_IMAGE_TYP image = {};
    EXPECT_EQ(1, Create_Bitmap(&image, 0, 0, width, height, bpp));
    if (!pixels.empty()) {
        std::memcpy(image.buffer, pixels.data(), std::min(pixels.size(), static_cast<size_t>(image.num_bytes)));
    }
    image.attr |= BITMAP_LOADED;
    return image;
}

std::vector<uint8_t> pixels_of(const BITMAP_IMAGE_TYP& image)
{
    return std::vector<uint8_t>(image.buffer, image.buffer + image.num_bytes);
}

// A picture record of the given size whose pixel (x, y) is pattern(x, y).
struct Picture {
    BITMAP_FILE_TAG record = {};

    Picture(int width, int height, int bpp)
    {
        record.info_header.biWidth = width;
        record.info_header.biHeight = height;
        record.info_header.biBitCount = static_cast<uint16_t>(bpp);
        const size_t b = static_cast<size_t>(bpp / 8);
        record.buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width * height) * b));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint16_t v = pattern(x, y);
                std::memcpy(record.buffer + (static_cast<size_t>(y * width + x)) * b, &v, b);
            }
        }
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { Unload_Bitmap_File(&record); }

    // Never 0 inside the picture, so zeros in a cut mean "outside".
    static uint16_t pattern(int x, int y) { return static_cast<uint16_t>(1 + (x * 7 + y * 13) % 250 + 256 * (y % 5)); }
};

// --- Creating and destroying --------------------------------------------------

TEST(CreateBitmap, FillsTheRecordAndZeroesThePixels)
{
    BITMAP_IMAGE_TYP image = {};
    ASSERT_EQ(1, Create_Bitmap(&image, 5, 6, 7, 3, 16));
    EXPECT_EQ(1, image.state);
    EXPECT_EQ(0, image.attr);
    EXPECT_EQ(5, image.x);
    EXPECT_EQ(6, image.y);
    EXPECT_EQ(7, image.width);
    EXPECT_EQ(3, image.height);
    EXPECT_EQ(16, image.bpp);
    EXPECT_EQ(42, image.num_bytes);
    EXPECT_EQ(std::vector<uint8_t>(42, 0), pixels_of(image));
    EXPECT_EQ(1, Destroy_Bitmap(&image));
    const BITMAP_IMAGE_TYP empty = {};
    EXPECT_EQ(0, std::memcmp(&empty, &image, sizeof image));
    EXPECT_EQ(0, Destroy_Bitmap(&image));
    EXPECT_EQ(0, Destroy_Bitmap(nullptr));
}

TEST(CreateBitmap, RefusesSizesItCannotHoldAndLeavesTheRecordAlone)
{
    struct Case {
        int width, height, bpp;
    };
    const Case cases[] = {{0, 5, 8}, {5, 0, 8}, {-4, 5, 8}, {5, -4, 16}, {65536, 65536, 8}, {40000, 30000, 16},
                          {4, 4, 24}, {4, 4, 0}};
    for (const Case& c : cases) {
        BITMAP_IMAGE_TYP image = {};
        image.x = 99;
        EXPECT_EQ(0, Create_Bitmap(&image, 0, 0, c.width, c.height, c.bpp)) << c.width << "x" << c.height;
        EXPECT_EQ(nullptr, image.buffer);
        EXPECT_EQ(99, image.x);
    }
    EXPECT_EQ(0, Create_Bitmap(nullptr, 0, 0, 4, 4, 8));
}

// --- Drawing ------------------------------------------------------------------

TEST(DrawBitmap, OnlyLoadedImagesAreDrawn)
{
    BITMAP_IMAGE_TYP image = {};
    ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 2, 1, 8));
    uint8_t dest[2] = {9, 9};
    EXPECT_EQ(0, Draw_Bitmap(&image, dest, 2, 0));
    EXPECT_EQ(9, dest[0]);
    Picture picture(4, 4, 8);
    ASSERT_EQ(1, Load_Image_Bitmap(&image, &picture.record, 0, 0, 1));
    EXPECT_EQ(BITMAP_LOADED, image.attr);
    EXPECT_EQ(1, Draw_Bitmap(&image, dest, 2, 0));
    EXPECT_EQ(Picture::pattern(0, 0) & 0xFF, dest[0]);
    EXPECT_EQ(0, Draw_Bitmap(nullptr, dest, 2, 0));
    EXPECT_EQ(0, Draw_Bitmap(&image, nullptr, 2, 0));
    EXPECT_EQ(0, Draw_Bitmap16(&image, dest, 4, 0));  // an 8-bit image is not drawn as 16-bit
    Destroy_Bitmap(&image);
}

TEST(DrawBitmap, TransparentDrawingSkipsZeroAndOpaqueDrawingCopiesIt)
{
    BITMAP_IMAGE_TYP image = loaded_image(3, 1, {3, 0, 7});
    for (int transparent : {0, 1}) {
        std::vector<uint8_t> dest = {1, 1, 1};
        ASSERT_EQ(1, Draw_Bitmap(&image, dest.data(), 3, transparent));
        EXPECT_EQ(transparent ? std::vector<uint8_t>({3, 1, 7}) : std::vector<uint8_t>({3, 0, 7}), dest);
    }
    Destroy_Bitmap(&image);
}

// Rows long enough for the word-at-a-time paths, with runs of every kind, drawn at an
// offset into memory whose pitch exceeds the row; compared with a plain loop.
TEST(DrawBitmap, MatchesAPixelByPixelDrawingAtAnyPositionAndDepth)
{
    constexpr int width = 45;  // whole vectors, a word and a tail in both depths
    constexpr int height = 3;
    constexpr int pitch = 100;  // bytes; room for 16-bit rows too
    constexpr int x = 3;
    constexpr int y = 2;
    for (int bpp : {8, 16}) {
        const int b = bpp / 8;
        std::vector<uint8_t> source(static_cast<size_t>(width * height * b));
        for (size_t i = 0; i < source.size(); ++i) {
            // Zero runs, full runs and isolated zeros (including zero low bytes of
            // non-zero 16-bit pixels, which are not transparent).
            const size_t run = i / 11;
            source[i] = run % 3 == 0 ? 0 : static_cast<uint8_t>(i % 5 == 0 && run % 3 == 1 ? 0 : i * 7 + 1);
        }
        BITMAP_IMAGE_TYP image = loaded_image(width, height, source, bpp);
        image.x = x;
        image.y = y;
        for (int transparent : {0, 1}) {
            std::vector<uint8_t> dest(static_cast<size_t>(pitch * 8), 0xEE);
            std::vector<uint8_t> expected = dest;
            for (int row = 0; row < height; ++row) {
                for (int col = 0; col < width; ++col) {
                    const uint8_t* s = &source[static_cast<size_t>((row * width + col) * b)];
                    const bool clear = b == 1 ? s[0] == 0 : (s[0] | s[1]) == 0;
                    if (!transparent || !clear) {
                        std::memcpy(&expected[static_cast<size_t>((y + row) * pitch + (x + col) * b)], s,
                                    static_cast<size_t>(b));
                    }
                }
            }
            const int result = bpp == 8 ? Draw_Bitmap(&image, dest.data(), pitch, transparent)
                                        : Draw_Bitmap16(&image, dest.data(), pitch, transparent);
            ASSERT_EQ(1, result);
            EXPECT_EQ(expected, dest) << bpp << " bits, transparent " << transparent;
        }
        Destroy_Bitmap(&image);
    }
}

// --- Cutting images out of pictures -------------------------------------------

TEST(LoadImageBitmap, CellAddressingSkipsTheFramingLines)
{
    Picture picture(230, 180, 8);
    struct Case {
        int cx, cy, px, py;
    };
    const Case cases[] = {{0, 0, 1, 1}, {1, 0, 74, 1}, {2, 1, 147, 86}};
    for (const Case& c : cases) {
        BITMAP_IMAGE_TYP image = {};
        ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 72, 84, 8));
        ASSERT_EQ(1, Load_Image_Bitmap(&image, &picture.record, c.cx, c.cy, 0));
        int wrong = 0;
        for (int y = 0; y < 84; ++y) {
            for (int x = 0; x < 72; ++x) {
                wrong += image.buffer[y * 72 + x] != (Picture::pattern(c.px + x, c.py + y) & 0xFF) ? 1 : 0;
            }
        }
        EXPECT_EQ(0, wrong) << "cell " << c.cx << "," << c.cy;
        Destroy_Bitmap(&image);
    }
}

TEST(LoadImageBitmap, PixelAddressingCopiesAWholeScreenPicture)
{
    Picture picture(640, 480, 8);
    BITMAP_IMAGE_TYP image = {};
    ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 640, 480, 8));
    ASSERT_EQ(1, Load_Image_Bitmap(&image, &picture.record, 0, 0, 1));
    EXPECT_EQ(0, std::memcmp(image.buffer, picture.record.buffer, 640 * 480));
    Destroy_Bitmap(&image);
}

TEST(LoadImageBitmap, SixteenBitCellsUseTwoBytesPerPixel)
{
    Picture picture(20, 12, 16);
    BITMAP_IMAGE_TYP image = {};
    ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 4, 3, 16));
    ASSERT_EQ(1, Load_Image_Bitmap16(&image, &picture.record, 2, 1, 0));  // at (11, 5)
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            uint16_t v = 0;
            std::memcpy(&v, image.buffer + (y * 4 + x) * 2, 2);
            EXPECT_EQ(Picture::pattern(11 + x, 5 + y), v) << x << "," << y;
        }
    }
    EXPECT_EQ(BITMAP_LOADED, image.attr);
    EXPECT_EQ(0, Load_Image_Bitmap(&image, &picture.record, 0, 0, 1));  // wrong form for the image
    Destroy_Bitmap(&image);
}

// Cells reaching past any edge, cells wholly outside, an empty picture record and a
// picture of the other depth: what lies inside is copied, the rest is 0, and nothing
// outside the picture is read (the address sanitizer watches).
TEST(LoadImageBitmap, CellsOutsideThePictureCopyWhatLiesInsideAndZeroTheRest)
{
    Picture picture(10, 8, 8);
    struct Case {
        const char* name;
        int cx, cy, mode;
    };
    const Case cases[] = {
        {"past the right and bottom", 7, 6, 1},  {"before the left and top", -2, -3, 1},
        {"wholly right", 50, 0, 1},               {"wholly above", 0, -20, 1},
        {"cell beyond the picture", 3, 3, 0},     {"far away", 2000000000, -2000000000, 1},
        {"cell counted far away", 1000000000, 1000000000, 0},
    };
    for (const Case& c : cases) {
        BITMAP_IMAGE_TYP image = {};
        ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 5, 4, 8));
        std::memset(image.buffer, 0xAA, 20);
        ASSERT_EQ(1, Load_Image_Bitmap(&image, &picture.record, c.cx, c.cy, c.mode)) << c.name;
        const int64_t x0 = c.mode == 0 ? static_cast<int64_t>(c.cx) * 6 + 1 : c.cx;
        const int64_t y0 = c.mode == 0 ? static_cast<int64_t>(c.cy) * 5 + 1 : c.cy;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const int64_t px = x0 + x;
                const int64_t py = y0 + y;
                const bool inside = px >= 0 && px < 10 && py >= 0 && py < 8;
                const int want = inside ? Picture::pattern(static_cast<int>(px), static_cast<int>(py)) & 0xFF : 0;
                EXPECT_EQ(want, image.buffer[y * 5 + x]) << c.name << " at " << x << "," << y;
            }
        }
        Destroy_Bitmap(&image);
    }

    BITMAP_FILE_TAG empty = {};
    Picture narrow(3, 2, 8);  // 6 bytes: only 3 two-byte pixels
    BITMAP_IMAGE_TYP image = {};
    ASSERT_EQ(1, Create_Bitmap(&image, 0, 0, 3, 2, 16));
    std::memset(image.buffer, 0xAA, 12);
    ASSERT_EQ(1, Load_Image_Bitmap16(&image, &empty, 0, 0, 1));
    EXPECT_EQ(std::vector<uint8_t>(12, 0), pixels_of(image));
    ASSERT_EQ(1, Load_Image_Bitmap16(&image, &narrow.record, 0, 0, 1));
    EXPECT_EQ(0, std::memcmp(image.buffer, narrow.record.buffer, 6));  // the one whole row there is
    EXPECT_EQ(std::vector<uint8_t>(6, 0), std::vector<uint8_t>(image.buffer + 6, image.buffer + 12));
    EXPECT_EQ(1, Load_Image_Bitmap16(&image, nullptr, 0, 0, 1));
    EXPECT_EQ(0, Load_Image_Bitmap16(nullptr, &narrow.record, 0, 0, 1));
    Destroy_Bitmap(&image);
}

// --- Scrolling and copying ----------------------------------------------------

TEST(ScrollBitmap, RotatesEachRowHorizontallyWithWrapAround)
{
    struct Case {
        int dx, dy, result;
        std::vector<uint8_t> row;
    };
    const Case cases[] = {
        {2, 0, 1, {4, 5, 1, 2, 3}},  {-2, 0, 1, {3, 4, 5, 1, 2}}, {7, 0, 1, {4, 5, 1, 2, 3}},
        {-7, 0, 1, {3, 4, 5, 1, 2}}, {5, 0, 1, {1, 2, 3, 4, 5}},  {-5, 0, 1, {1, 2, 3, 4, 5}},
        {0, 3, 1, {1, 2, 3, 4, 5}},  {0, 0, 0, {1, 2, 3, 4, 5}},  {1, 9, 1, {5, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        BITMAP_IMAGE_TYP image = loaded_image(5, 1, {1, 2, 3, 4, 5});
        EXPECT_EQ(c.result, Scroll_Bitmap(&image, c.dx, c.dy)) << c.dx << "," << c.dy;
        EXPECT_EQ(c.row, pixels_of(image)) << c.dx << "," << c.dy;
        Destroy_Bitmap(&image);
    }

    // Two rows of 16-bit pixels: pixels move whole and rows stay apart.
    BITMAP_IMAGE_TYP wide = loaded_image(3, 2, {1, 10, 2, 20, 3, 30, 4, 40, 5, 50, 6, 60}, 16);
    EXPECT_EQ(1, Scroll_Bitmap(&wide, 1, 0));
    EXPECT_EQ(std::vector<uint8_t>({3, 30, 1, 10, 2, 20, 6, 60, 4, 40, 5, 50}), pixels_of(wide));
    Destroy_Bitmap(&wide);

    BITMAP_IMAGE_TYP empty = {};
    EXPECT_EQ(0, Scroll_Bitmap(&empty, 3, 0));  // nothing to scroll, and no division by a width of 0
    EXPECT_EQ(0, Scroll_Bitmap(nullptr, 3, 0));
}

TEST(CopyBitmap, StepsEachImageByItsOwnWidthAndStaysInsideBoth)
{
    std::vector<uint8_t> source_pixels(6 * 4);
    for (size_t i = 0; i < source_pixels.size(); ++i) {
        source_pixels[i] = static_cast<uint8_t>(i + 1);
    }
    BITMAP_IMAGE_TYP source = loaded_image(6, 4, source_pixels);
    BITMAP_IMAGE_TYP dest = loaded_image(4, 3, {});

    ASSERT_EQ(1, Copy_Bitmap(&dest, 1, 1, &source, 2, 1, 2, 2));
    EXPECT_EQ(std::vector<uint8_t>({0, 0, 0, 0, 0, 9, 10, 0, 0, 15, 16, 0}), pixels_of(dest));

    // A rectangle reaching past the destination (and before the source) is cut to fit.
    std::memset(dest.buffer, 0, 12);
    ASSERT_EQ(1, Copy_Bitmap(&dest, 2, 1, &source, -1, 0, 5, 9));
    EXPECT_EQ(std::vector<uint8_t>({0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 7}), pixels_of(dest));
    EXPECT_EQ(1, Copy_Bitmap(&dest, 100, 100, &source, 0, 0, 4, 4));
    EXPECT_EQ(1, Copy_Bitmap(&dest, 0, 0, &source, 0, 0, -3, 2));

    BITMAP_IMAGE_TYP deep = loaded_image(2, 2, {}, 16);
    EXPECT_EQ(0, Copy_Bitmap(&deep, 0, 0, &source, 0, 0, 2, 2));  // depths differ
    EXPECT_EQ(0, Copy_Bitmap(nullptr, 0, 0, &source, 0, 0, 1, 1));
    EXPECT_EQ(0, Copy_Bitmap(&dest, 0, 0, nullptr, 0, 0, 1, 1));
    Destroy_Bitmap(&deep);
    Destroy_Bitmap(&dest);
    Destroy_Bitmap(&source);
}

// --- Cutting a cell into a surface --------------------------------------------

using ScanImageTest = reef_test::DisplayFixture;

std::vector<uint8_t> surface_pixels(platform::Surface* surface)
{
    int pitch = 0;
    std::vector<uint8_t> out;
    uint8_t* memory = DDraw_Lock_Surface(surface, &pitch);
    int width = 0;
    int height = 0;
    platform::surface_size(surface, width, height);
    for (int y = 0; memory != nullptr && y < height; ++y) {
        out.insert(out.end(), memory + y * pitch, memory + y * pitch + width);
    }
    DDraw_Unlock_Surface(surface);
    return out;
}

TEST_F(ScanImageTest, CopiesTheCellOfTheSurfacesSizeAndZeroesWhatLiesOutside)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    platform::Surface* cell = DDraw_Create_Surface(8, 6, 0, 0);
    ASSERT_NE(nullptr, cell);
    Picture picture(30, 20, 8);

    ASSERT_EQ(1, Scan_Image_Bitmap(&picture.record, cell, 1, 2));  // at (10, 15): rows 15..19 inside
    const std::vector<uint8_t> got = surface_pixels(cell);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int want = 15 + y < 20 ? Picture::pattern(10 + x, 15 + y) & 0xFF : 0;
            EXPECT_EQ(want, got[static_cast<size_t>(y * 8 + x)]) << x << "," << y;
        }
    }

    // A failed lock copies nothing and still answers 1.
    DDraw_Fill_Surface(cell, 3);
    platform::fault_inject("surface.lock", 1);
    EXPECT_EQ(1, Scan_Image_Bitmap(&picture.record, cell, 0, 0));
    EXPECT_EQ(std::vector<uint8_t>(48, 3), surface_pixels(cell));

    BITMAP_FILE_TAG empty = {};
    EXPECT_EQ(1, Scan_Image_Bitmap(&empty, cell, 0, 0));
    EXPECT_EQ(std::vector<uint8_t>(48, 0), surface_pixels(cell));
    EXPECT_EQ(1, Scan_Image_Bitmap(&picture.record, nullptr, 0, 0));
    platform::surface_release(cell);
}

} // namespace
