// BMP files: the classic layout byte for byte, the variants image editors write, every
// refusal of a damaged file (each with a small file written here), and round trips
// through ImageMagick's convert.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gfx/gfx.h"

namespace {

// --- Writing fixture files ----------------------------------------------------

void put16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// What a fixture file looks like; the defaults make the classic layout.
struct BmpFile {
    int32_t width = 8;
    int32_t height = 2;          // negative: rows stored top row first
    uint16_t bits = 8;
    uint32_t info_size = 40;
    uint32_t colours = 256;      // colour-table entries written (8-bit)
    uint32_t clr_used = 0;       // the header field
    uint32_t compression = 0;
    bool pad_rows = true;        // rows stored as multiples of 4 bytes
    bool zero_size_image = false;
    bool zero_offset = false;    // bfOffBits left 0
    uint16_t type = 0x4D42;
    std::vector<uint8_t> table;  // colours * 4 bytes (blue, green, red, reserved)
    std::vector<uint8_t> rows;   // pixel rows as stored, in file order, unpadded
    std::vector<uint8_t> raw_pixels;  // when set, written as the pixel block instead of rows

    size_t stored_row() const
    {
        const size_t bytes = static_cast<size_t>(width) * (bits / 8);
        return pad_rows ? (bytes + 3) & ~size_t{3} : bytes;
    }

    std::vector<uint8_t> bytes() const
    {
        const size_t row = static_cast<size_t>(width) * (bits / 8);
        const size_t row_count = static_cast<size_t>(height < 0 ? -static_cast<int64_t>(height) : height);
        std::vector<uint8_t> pixels = raw_pixels;
        if (pixels.empty()) {
            pixels.assign(stored_row() * row_count, 0);
            for (size_t r = 0; row > 0 && r < row_count && (r + 1) * row <= rows.size(); ++r) {
                std::memcpy(&pixels[r * stored_row()], &rows[r * row], row);
            }
        }
        const size_t table_bytes = bits == 8 ? colours * 4 : 0;
        const size_t offset = 14 + info_size + table_bytes;
        std::vector<uint8_t> out(offset + pixels.size(), 0);
        put16(out, 0, type);
        put32(out, 2, static_cast<uint32_t>(out.size()));
        put32(out, 10, zero_offset ? 0 : static_cast<uint32_t>(offset));
        put32(out, 14, info_size);
        put32(out, 18, static_cast<uint32_t>(width));
        put32(out, 22, static_cast<uint32_t>(height));
        put16(out, 26, 1);
        put16(out, 28, bits);
        put32(out, 30, compression);
        put32(out, 34, zero_size_image ? 0 : static_cast<uint32_t>(pixels.size()));
        put32(out, 46, clr_used);
        for (size_t i = 0; i < table_bytes && i < table.size(); ++i) {
            out[14 + info_size + i] = table[i];
        }
        std::copy(pixels.begin(), pixels.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
        return out;
    }
};

std::string write_file(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    EXPECT_NE(nullptr, f) << name;
    if (f != nullptr) {
        if (!bytes.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        }
        std::fclose(f);
    }
    return name;
}

std::vector<uint8_t> sequence(size_t count, int start = 1)
{
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(start + static_cast<int>(i));
    }
    return out;
}

// A record that owns a buffer, released at the end of each test.
class BitmapFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Unload_Bitmap_File(&record);
        dd_pixel_format = 16;
    }

    BITMAP_FILE_TAG record = {};
};

// --- The classic layout -------------------------------------------------------

TEST_F(BitmapFileTest, EightBitPaletteIsReorderedAndFlaggedAndRowsComeTopFirst)
{
    BmpFile file;
    file.table.assign(1024, 0);
    const uint8_t entry5[4] = {10, 20, 30, 99};
    std::memcpy(&file.table[5 * 4], entry5, 4);
    file.rows = sequence(16);  // bottom row 1..8, top row 9..16
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("classic.bmp", file.bytes()).c_str()));

    EXPECT_EQ(30, record.palette[5].peRed);
    EXPECT_EQ(20, record.palette[5].peGreen);
    EXPECT_EQ(10, record.palette[5].peBlue);
    EXPECT_EQ(PC_NOCOLLAPSE, record.palette[5].peFlags);
    EXPECT_EQ(PC_NOCOLLAPSE, record.palette[200].peFlags);
    EXPECT_EQ(0x4D42, record.file_header.bfType);
    const uint32_t offset = record.file_header.bfOffBits;  // a packed field: read it by value
    EXPECT_EQ(1078u, offset);
    EXPECT_EQ(8, record.info_header.biWidth);
    EXPECT_EQ(2, record.info_header.biHeight);
    EXPECT_EQ(8, record.info_header.biBitCount);
    EXPECT_EQ(16u, record.info_header.biSizeImage);
    const std::vector<uint8_t> expected = {9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(expected, std::vector<uint8_t>(record.buffer, record.buffer + 16));
}

TEST_F(BitmapFileTest, SixteenBitPixelsKeepTheirValuesAndOnlyTheRowOrderChanges)
{
    BmpFile file;
    file.width = 2;
    file.height = 3;
    file.bits = 16;
    // Rows bottom first: (0x0001, 0xF800), (0x07E0, 0x001F), (0xFFFF, 0x1234).
    file.rows = {0x01, 0x00, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF, 0x34, 0x12};
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("sixteen.bmp", file.bytes()).c_str()));
    EXPECT_EQ(16, record.info_header.biBitCount);
    uint16_t pixels[6] = {};
    std::memcpy(pixels, record.buffer, sizeof pixels);
    const uint16_t expected[6] = {0xFFFF, 0x1234, 0x07E0, 0x001F, 0x0001, 0xF800};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i], pixels[i]) << i;
    }
}

TEST_F(BitmapFileTest, TwentyFourBitPixelsArePackedForTheDisplayFormatOfTheMoment)
{
    struct Case {
        int format;
        uint16_t white, red, mixed;
    };
    // mixed: blue 0x18, green 0x2C, red 0x48
    const Case cases[] = {
        {16, 0xFFFF, 0xF800, (0x18 >> 3) | ((0x2C >> 2) << 5) | ((0x48 >> 3) << 11)},
        {15, 0x7FFF, 0x7C00, (0x18 >> 3) | ((0x2C >> 3) << 5) | ((0x48 >> 3) << 10)},
        {8, 0, 0, 0},
    };
    BmpFile file;
    file.width = 4;
    file.height = 1;
    file.bits = 24;
    file.rows = {255, 255, 255, 0, 0, 255, 0x18, 0x2C, 0x48, 255, 255, 255};
    const std::string name = write_file("true_colour.bmp", file.bytes());
    for (const Case& c : cases) {
        dd_pixel_format = c.format;
        ASSERT_EQ(1, Load_Bitmap_File(&record, name.c_str())) << c.format;
        EXPECT_EQ(16, record.info_header.biBitCount);
        uint16_t pixels[4] = {};
        std::memcpy(pixels, record.buffer, sizeof pixels);
        EXPECT_EQ(c.white, pixels[0]) << c.format;
        EXPECT_EQ(c.red, pixels[1]) << c.format;
        EXPECT_EQ(c.mixed, pixels[2]) << c.format;
        EXPECT_EQ(c.white, pixels[3]) << c.format;
    }
}

TEST_F(BitmapFileTest, ReloadingReplacesThePictureAndUnloadingIsAlwaysSafe)
{
    EXPECT_EQ(1, Unload_Bitmap_File(&record));  // empty: nothing happens
    EXPECT_EQ(1, Unload_Bitmap_File(nullptr));
    BmpFile small;
    small.rows = sequence(16);
    BmpFile larger;
    larger.width = 12;
    larger.height = 3;
    larger.rows = sequence(36, 100);
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("small.bmp", small.bytes()).c_str()));
    // The first buffer goes back to the heap: the leak checker watches this.
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("larger.bmp", larger.bytes()).c_str()));
    EXPECT_EQ(12, record.info_header.biWidth);
    EXPECT_EQ(124, record.buffer[0]);  // top row starts with the last stored row
    EXPECT_EQ(1, Unload_Bitmap_File(&record));
    EXPECT_EQ(nullptr, record.buffer);
    EXPECT_EQ(12, record.info_header.biWidth);  // headers stay after an unload
    EXPECT_EQ(1, Unload_Bitmap_File(&record));
}

// --- What image editors write -------------------------------------------------

TEST_F(BitmapFileTest, VariantsBeyondTheClassicLayoutLoadToTheSamePicture)
{
    // A 5 x 3 8-bit picture: rows 5 bytes long, stored padded to 8.
    const std::vector<uint8_t> bottom_first = sequence(15);
    const std::vector<uint8_t> top_first = {11, 12, 13, 14, 15, 6, 7, 8, 9, 10, 1, 2, 3, 4, 5};
    struct Case {
        const char* name;
        void (*shape)(BmpFile&);
    };
    const Case cases[] = {
        {"padded rows", [](BmpFile&) {}},
        {"size of the pixel data 0", [](BmpFile& f) { f.zero_size_image = true; }},
        {"108-byte header", [](BmpFile& f) { f.info_size = 108; }},
        {"124-byte header", [](BmpFile& f) { f.info_size = 124; }},
        {"no pixel offset", [](BmpFile& f) { f.zero_offset = true; }},
        {"top row first",
         [](BmpFile& f) {
             f.height = -3;
             f.rows = {11, 12, 13, 14, 15, 6, 7, 8, 9, 10, 1, 2, 3, 4, 5};
         }},
    };
    for (const Case& c : cases) {
        BmpFile file;
        file.width = 5;
        file.height = 3;
        file.table = sequence(1024, 0);
        file.rows = bottom_first;
        c.shape(file);
        BITMAP_FILE_TAG loaded = {};
        ASSERT_EQ(1, Load_Bitmap_File(&loaded, write_file("variant.bmp", file.bytes()).c_str())) << c.name;
        EXPECT_EQ(top_first, std::vector<uint8_t>(loaded.buffer, loaded.buffer + 15)) << c.name;
        EXPECT_EQ(3, loaded.info_header.biHeight) << c.name;
        EXPECT_EQ(2, loaded.palette[0].peRed) << c.name;  // table bytes 0, 1, 2, 3
        EXPECT_EQ(0, loaded.palette[0].peBlue) << c.name;
        Unload_Bitmap_File(&loaded);
    }
}

TEST_F(BitmapFileTest, PaddedTwentyFourAndSixteenBitRowsAreReadWithoutTheirPadding)
{
    BmpFile wide24;  // 3 pixels = 9 bytes, stored as 12
    wide24.width = 3;
    wide24.height = 2;
    wide24.bits = 24;
    wide24.rows = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 8, 8, 8};
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("wide24.bmp", wide24.bytes()).c_str()));
    uint16_t pixels[6] = {};
    std::memcpy(pixels, record.buffer, sizeof pixels);
    const uint16_t expected24[6] = {0xFFFF, 0x0000, 0x0841, 0xF800, 0x07E0, 0x001F};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected24[i], pixels[i]) << i;
    }

    BmpFile odd16;  // 3 pixels = 6 bytes, stored as 8
    odd16.width = 3;
    odd16.height = 2;
    odd16.bits = 16;
    odd16.rows = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0};
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("odd16.bmp", odd16.bytes()).c_str()));
    const std::vector<uint8_t> expected16 = {4, 0, 5, 0, 6, 0, 1, 0, 2, 0, 3, 0};
    EXPECT_EQ(expected16, std::vector<uint8_t>(record.buffer, record.buffer + 12));
}

TEST_F(BitmapFileTest, AShortColourTableFillsTheRestWithBlack)
{
    BmpFile file;
    file.colours = 2;
    file.clr_used = 2;
    file.table = {1, 2, 3, 0, 40, 50, 60, 0};
    file.rows = std::vector<uint8_t>(16, 1);
    std::memset(&record.palette, 0x77, sizeof record.palette);
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("short_table.bmp", file.bytes()).c_str()));
    EXPECT_EQ(60, record.palette[1].peRed);
    EXPECT_EQ(40, record.palette[1].peBlue);
    EXPECT_EQ(0, record.palette[2].peRed | record.palette[2].peGreen | record.palette[2].peBlue);
    EXPECT_EQ(PC_NOCOLLAPSE, record.palette[255].peFlags);
    EXPECT_EQ(1, record.buffer[0]);
}

TEST_F(BitmapFileTest, RunLengthCodedPicturesExpandAndBadCodesStayInside)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> code;
        std::vector<uint8_t> top_first;  // 4 x 3
    };
    const Case cases[] = {
        {"runs and line ends", {4, 7, 0, 0, 2, 8, 2, 9, 0, 0, 1, 5, 0, 1},
         {5, 0, 0, 0, 8, 8, 9, 9, 7, 7, 7, 7}},
        {"literal runs, odd ones padded", {0, 3, 1, 2, 3, 0, 1, 4, 0, 0, 0, 4, 5, 6, 7, 8, 0, 1},
         {0, 0, 0, 0, 5, 6, 7, 8, 1, 2, 3, 4}},
        {"a move", {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0}},
        {"runs past the row are cut off", {9, 3, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6, 0, 1},
         {0, 0, 0, 0, 1, 2, 3, 4, 3, 3, 3, 3}},
        {"moves past the picture end it", {1, 1, 0, 2, 0, 200, 9, 9, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
        {"a literal cut short by the file", {1, 4, 0, 0, 0, 200, 6, 7}, {0, 0, 0, 0, 6, 7, 0, 0, 4, 0, 0, 0}},
        {"a move cut short by the file", {2, 4, 0, 2, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 0, 0}},
    };
    for (const Case& c : cases) {
        BmpFile file;
        file.width = 4;
        file.height = 3;
        file.compression = 1;
        file.raw_pixels = c.code;
        ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("coded.bmp", file.bytes()).c_str())) << c.name;
        EXPECT_EQ(c.top_first, std::vector<uint8_t>(record.buffer, record.buffer + 12)) << c.name;
    }
}

// --- Refusals -----------------------------------------------------------------

TEST_F(BitmapFileTest, DamagedFilesAreRefusedAndTheRecordKeepsItsPicture)
{
    BmpFile good;
    good.table = sequence(1024, 0);
    good.rows = sequence(16);
    ASSERT_EQ(1, Load_Bitmap_File(&record, write_file("good.bmp", good.bytes()).c_str()));
    const BITMAP_FILE_TAG before = record;
    const std::vector<uint8_t> pixels_before(record.buffer, record.buffer + 16);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto shaped = [](void (*shape)(BmpFile&)) {
        BmpFile f;
        f.rows = sequence(16);
        shape(f);
        return f.bytes();
    };
    auto cut = [](std::vector<uint8_t> bytes, size_t keep) {
        bytes.resize(keep);
        return bytes;
    };
    auto patched32 = [](std::vector<uint8_t> bytes, size_t at, uint32_t value) {
        put32(bytes, at, value);
        return bytes;
    };
    const std::vector<uint8_t> classic = good.bytes();
    const std::vector<uint8_t> cases_24 = shaped([](BmpFile& f) { f.bits = 24; });
    const Case cases[] = {
        {"empty file", {}},
        {"not BM", shaped([](BmpFile& f) { f.type = 0x4142; })},
        {"1 bit", shaped([](BmpFile& f) { f.bits = 1; })},
        {"4 bits", shaped([](BmpFile& f) { f.bits = 4; })},
        {"32 bits", shaped([](BmpFile& f) { f.bits = 32; })},
        {"cut in the file header", cut(classic, 10)},
        {"cut in the information header", cut(classic, 30)},
        {"cut in the colour table", cut(classic, 54 + 500)},
        {"cut in the pixels", cut(classic, classic.size() - 5)},
        {"24-bit cut in the pixels", cut(cases_24, cases_24.size() - 1)},
        {"width 0", shaped([](BmpFile& f) { f.width = 0; })},
        {"height 0", shaped([](BmpFile& f) { f.height = 0; })},
        {"negative width", patched32(classic, 18, static_cast<uint32_t>(-8))},
        {"width above 16384", patched32(classic, 18, 16385)},
        {"height above 16384", patched32(classic, 22, 100000)},
        {"lowest height", patched32(classic, 22, 0x80000000u)},
        {"sizes whose product overflows", patched32(patched32(classic, 18, 0x40000000u), 22, 0x40000000u)},
        {"large sizes in a small file", patched32(patched32(classic, 18, 16384), 22, 16384)},
        {"information header shorter than 40", patched32(classic, 14, 12)},
        {"information header past the end", patched32(classic, 14, 0x7FFFFFF0u)},
        {"more than 256 colours", shaped([](BmpFile& f) { f.clr_used = 300; })},
        {"pixel offset past the end", patched32(classic, 10, 0xFFFFFF00u)},
        {"run-length coded 24-bit", shaped([](BmpFile& f) { f.bits = 24; f.compression = 1; })},
        {"run-length coded top-down", shaped([](BmpFile& f) { f.height = -2; f.compression = 1; })},
        {"4-bit run-length coding", shaped([](BmpFile& f) { f.compression = 2; })},
        {"bit fields on 8 bits", shaped([](BmpFile& f) { f.compression = 3; })},
        {"unknown compression", shaped([](BmpFile& f) { f.compression = 9; })},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, Load_Bitmap_File(&record, write_file("damaged.bmp", c.bytes).c_str())) << c.name;
        EXPECT_EQ(before.buffer, record.buffer) << c.name;
        EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record)) << c.name;
        EXPECT_EQ(pixels_before, std::vector<uint8_t>(record.buffer, record.buffer + 16)) << c.name;
    }
    EXPECT_EQ(0, Load_Bitmap_File(&record, "no_such_file.bmp"));
    EXPECT_EQ(0, Load_Bitmap_File(&record, "."));  // a directory has no picture
    EXPECT_EQ(0, Load_Bitmap_File(&record, nullptr));
    EXPECT_EQ(0, Load_Bitmap_File(nullptr, "good.bmp"));
    EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record));
}

// --- Flip_Bitmap --------------------------------------------------------------

TEST(FlipBitmap, EveryRowEndsInItsMirroredPlace)
{
    struct Case {
        int bytes_per_line;
        int height;
    };
    // Rows of whole words, of words and a tail, and shorter than a word.
    const Case cases[] = {{4, 1}, {4, 2}, {3, 5}, {6, 4}, {16, 2}, {2501, 3}};
    for (const Case& c : cases) {
        std::vector<uint8_t> image(static_cast<size_t>(c.bytes_per_line * c.height));
        for (size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<uint8_t>(i / static_cast<size_t>(c.bytes_per_line) * 31 + i % 7);
        }
        const std::vector<uint8_t> original = image;
        ASSERT_EQ(1, Flip_Bitmap(image.data(), c.bytes_per_line, c.height));
        for (int row = 0; row < c.height; ++row) {
            const auto* got = &image[static_cast<size_t>(row * c.bytes_per_line)];
            const auto* want = &original[static_cast<size_t>((c.height - 1 - row) * c.bytes_per_line)];
            EXPECT_EQ(0, std::memcmp(got, want, static_cast<size_t>(c.bytes_per_line)))
                << c.bytes_per_line << "x" << c.height << " row " << row;
        }
    }
    EXPECT_EQ(0, Flip_Bitmap(nullptr, 4, 2));
    uint8_t one = 7;
    EXPECT_EQ(0, Flip_Bitmap(&one, -1, 2));
    EXPECT_EQ(1, Flip_Bitmap(&one, 1, 0));
    EXPECT_EQ(7, one);
}

// --- Round trips through a standard tool --------------------------------------

bool have_convert()
{
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

struct Rgb {
    uint8_t r, g, b;
};

// A 13 x 7 picture of 91 distinct colours (too many for a 4-bit file) and odd rows.
constexpr int round_width = 13;
constexpr int round_height = 7;

Rgb source_pixel(int x, int y)
{
    return Rgb{static_cast<uint8_t>(x * 19 + y * 7), static_cast<uint8_t>(x * 5 + y * 31),
               static_cast<uint8_t>(x * 11 + y * 3 + 40)};
}

uint16_t tool_packing(const Rgb& p, bool six_bit_green)
{
    const int green_max = six_bit_green ? 63 : 31;
    const int red_shift = six_bit_green ? 11 : 10;
    return static_cast<uint16_t>(((p.r * 31 / 255) << red_shift) | ((p.g * green_max / 255) << 5) | (p.b * 31 / 255));
}

std::string write_source_picture()
{
    std::string text = "P6 " + std::to_string(round_width) + " " + std::to_string(round_height) + " 255\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (int y = 0; y < round_height; ++y) {
        for (int x = 0; x < round_width; ++x) {
            const Rgb p = source_pixel(x, y);
            bytes.insert(bytes.end(), {p.r, p.g, p.b});
        }
    }
    return write_file("source.ppm", bytes);
}

TEST_F(BitmapFileTest, PicturesWrittenByConvertLoadToTheirPixels)
{
    if (!have_convert()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    const std::string source = write_source_picture();
    enum class Kind { indexed, rgb565, rgb555, true_colour };
    struct Case {
        const char* name;
        const char* options;
        Kind kind;
    };
    const Case cases[] = {
        {"8-bit, classic header, uncompressed", "-type Palette -compress None BMP3:", Kind::indexed},
        {"8-bit, classic header, run-length coded", "-type Palette BMP3:", Kind::indexed},
        {"8-bit, long header", "-type Palette -compress None BMP:", Kind::indexed},
        {"16-bit 5.6.5", "-define bmp:subtype=RGB565 BMP:", Kind::rgb565},
        {"16-bit 5.5.5", "-define bmp:subtype=RGB555 BMP:", Kind::rgb555},
        {"24-bit, classic header", "-type TrueColor BMP3:", Kind::true_colour},
        {"24-bit, long header", "-type TrueColor BMP:", Kind::true_colour},
    };
    for (const Case& c : cases) {
        const std::string command =
            std::string("convert ") + source + " " + c.options + "converted.bmp > /dev/null 2>&1";
        ASSERT_EQ(0, std::system(command.c_str())) << command;
        dd_pixel_format = 16;
        ASSERT_EQ(1, Load_Bitmap_File(&record, "converted.bmp")) << c.name;
        ASSERT_EQ(round_width, record.info_header.biWidth) << c.name;
        ASSERT_EQ(round_height, record.info_header.biHeight) << c.name;
        int mismatches = 0;
        for (int y = 0; y < round_height; ++y) {
            for (int x = 0; x < round_width; ++x) {
                const Rgb want = source_pixel(x, y);
                const size_t i = static_cast<size_t>(y * round_width + x);
                uint16_t pixel = 0;
                if (c.kind != Kind::indexed) {
                    std::memcpy(&pixel, record.buffer + 2 * i, 2);
                }
                bool same = false;
                switch (c.kind) {
                case Kind::indexed: {
                    const PALETTEENTRY& e = record.palette[record.buffer[i]];
                    same = e.peRed == want.r && e.peGreen == want.g && e.peBlue == want.b;
                    break;
                }
                case Kind::true_colour:
                    same = pixel == RGB16Bit565(want.r, want.g, want.b);
                    break;
                case Kind::rgb565:
                case Kind::rgb555:
                    // 16-bit files keep the tool's own packing, which scales rather than shifts.
                    same = pixel == tool_packing(want, c.kind == Kind::rgb565);
                    break;
                }
                mismatches += same ? 0 : 1;
            }
        }
        EXPECT_EQ(0, mismatches) << c.name;
    }
}

} // namespace
