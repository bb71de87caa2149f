// The palette text file and the error log: exact bytes and text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "gfx/gfx.h"

namespace {

std::string read_file(const char* name)
{
    std::string text;
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        return text;
    }
    char chunk[512];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
    }
    std::fclose(file);
    return text;
}

void write_file(const char* name, const std::string& text)
{
    std::FILE* file = std::fopen(name, "wb");
    ASSERT_NE(nullptr, file);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

TEST(PaletteFile, RoundTripKeepsEveryByteFlagsIncluded)
{
    PALETTEENTRY out[256];
    for (int i = 0; i < 256; ++i) {
        out[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i % 5)};
    }
    ASSERT_EQ(1, Save_Palette_To_File("round.pal", out));
    PALETTEENTRY in[256];
    std::memset(in, 0xAA, sizeof in);
    ASSERT_EQ(1, Load_Palette_From_File("round.pal", in));
    EXPECT_EQ(0, std::memcmp(out, in, sizeof in));
}

TEST(PaletteFile, AllZeroPaletteIsTwoThousandFortyEightBytes)
{
    PALETTEENTRY zero[256] = {};
    ASSERT_EQ(1, Save_Palette_To_File("zero.pal", zero));
    std::string expected;
    for (int i = 0; i < 256; ++i) {
        expected += "\n0 0 0 0";
    }
    EXPECT_EQ(2048u, expected.size());
    EXPECT_EQ(expected, read_file("zero.pal"));
}

TEST(PaletteFile, ReaderTakesAnyWhitespaceAndLeavesWhatTheTextDoesNotSupply)
{
    std::string text = "1 2 3 4\n\n\t5 6\n7 8";
    for (int i = 2; i < 10; ++i) {
        text += " " + std::to_string(i * 10) + " 0 0 " + std::to_string(i);
    }
    text += "\n300 -1 12 0 junk 9 9 9 9";
    write_file("short.pal", text);
    PALETTEENTRY in[256];
    for (PALETTEENTRY& e : in) {
        e = PALETTEENTRY{99, 98, 97, 96};
    }
    ASSERT_EQ(1, Load_Palette_From_File("short.pal", in));
    EXPECT_EQ(1, in[0].peRed);
    EXPECT_EQ(4, in[0].peFlags);
    EXPECT_EQ(5, in[1].peRed);
    EXPECT_EQ(8, in[1].peFlags);
    EXPECT_EQ(90, in[9].peRed);
    // Numbers keep their low eight bits.
    EXPECT_EQ(300 & 0xFF, in[10].peRed);
    EXPECT_EQ(0xFF, in[10].peGreen);
    for (int i = 11; i < 256; ++i) {
        EXPECT_EQ(99, in[i].peRed) << i;
        EXPECT_EQ(96, in[i].peFlags) << i;
    }
}

TEST(PaletteFile, MissingFileLeavesTheArrayUntouched)
{
    PALETTEENTRY in[256];
    std::memset(in, 0x5A, sizeof in);
    EXPECT_EQ(0, Load_Palette_From_File("no such file.pal", in));
    for (const PALETTEENTRY& e : in) {
        EXPECT_EQ(0x5A, e.peRed);
    }
    EXPECT_EQ(0, Save_Palette_To_File("no/such/dir/x.pal", in));
}

class ErrorLog : public ::testing::Test {
protected:
    void TearDown() override { Close_Error_File(); }
};

TEST_F(ErrorLog, WritesNothingUntilOpened)
{
    EXPECT_EQ(0, Write_Error("\nnothing"));
    EXPECT_EQ(0, Close_Error_File());
}

TEST_F(ErrorLog, FileHoldsTheOpeningLineTheMessagesAndTheClosingLine)
{
    ASSERT_EQ(1, Open_Error_File("run.log"));
    EXPECT_EQ(1, Write_Error("\ntest"));
    EXPECT_EQ(0, Write_Error(nullptr));
    EXPECT_EQ(1, Close_Error_File());
    EXPECT_EQ(0, Close_Error_File());

    const std::string text = read_file("run.log");
    const std::string opening = "\nOpening Error Output File (run.log) on ";
    ASSERT_EQ(0u, text.find(opening));
    // The stamp: "Www Mmm dd hh:mm:ss.mmm, yyyy" and its line break, then one more.
    const size_t stamp_end = text.find("\n\n", opening.size());
    ASSERT_NE(std::string::npos, stamp_end);
    const std::string stamp = text.substr(opening.size(), stamp_end - opening.size());
    ASSERT_GE(stamp.size(), 27u);
    EXPECT_EQ(':', stamp[13]);
    EXPECT_EQ(':', stamp[16]);
    EXPECT_EQ('.', stamp[19]);
    EXPECT_NE(std::string::npos, stamp.find(", "));
    EXPECT_EQ("\n\n\ntest\nClosing Error Output File.", text.substr(stamp_end));
}

TEST_F(ErrorLog, SuppliedStreamStaysOpen)
{
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(nullptr, stream);
    ASSERT_EQ(1, Open_Error_File("named.log", stream));
    EXPECT_EQ(stream, fp_error);
    EXPECT_EQ(1, Write_Error("\n%d%%", 50));
    // Close_Error_File closes a caller's stream unless it is stdout or stderr.
    ASSERT_EQ(1, Open_Error_File("named.log", stdout));
    EXPECT_EQ(1, Close_Error_File());
    EXPECT_EQ(nullptr, fp_error);
    EXPECT_NE(EOF, std::fputs("", stdout));
    std::rewind(stream);
    char text[128] = {};
    const size_t got = std::fread(text, 1, sizeof text - 1, stream);
    const std::string written(text, got);
    EXPECT_EQ(0u, written.find("\nOpening Error Output File (named.log) on "));
    EXPECT_NE(std::string::npos, written.find("\n50%"));
    std::fclose(stream);
}

TEST_F(ErrorLog, LongMessagesAreCutAtSeventyNineCharacters)
{
    ASSERT_EQ(1, Open_Error_File("long.log"));
    const std::string long_text(200, 'x');
    EXPECT_EQ(1, Write_Error("%s", long_text.c_str()));
    EXPECT_EQ(1, Write_Error("%s", "%d and %s stay as they are"));
    Close_Error_File();
    const std::string text = read_file("long.log");
    EXPECT_NE(std::string::npos, text.find(std::string(79, 'x') + "%d and %s stay as they are"));
    EXPECT_EQ(std::string::npos, text.find(std::string(80, 'x')));

    // A long file name cuts the opening line the same way.
    const std::string name = std::string(100, 'n') + ".log";
    ASSERT_EQ(1, Open_Error_File(name.c_str()));
    Close_Error_File();
    const std::string opening = read_file(name.c_str());
    EXPECT_EQ(79u + std::strlen("\nClosing Error Output File."), opening.size());
    std::remove(name.c_str());
}

TEST_F(ErrorLog, UnwritableFileIsRefused)
{
    EXPECT_EQ(0, Open_Error_File("no/such/dir/x.log"));
    EXPECT_EQ(nullptr, fp_error);
    EXPECT_EQ(0, Write_Error("\nlost"));
}

} // namespace
