// The game's pictures and sprite sheets as make_assets writes them: plain 8-bit BMP
// files of the sizes the game cuts, one shared palette holding pure green, the obstacle
// colour only in the reef of the play background (which leaves room to play and stops
// everything that falls), sprite cells framed by one-pixel lines, a diver that changes
// pose as it swims, the same bytes on every run, and the library reading them as written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "gfx/gfx.h"
#include "tests/support/data_files.h"
#include "tools/make_assets/reef_layout.h"
#include "tools/make_assets/sheet_layout.h"

namespace {

using reef_test::Bytes;
using reef_test::game_data;
using reef_test::le16;
using reef_test::le32;
using reef_test::read_file;

constexpr uint8_t obstacle = 29;

std::string graphics(const std::string& name)
{
    return game_data() + "/Graphics/" + name;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::array<PALETTEENTRY, 256> palette{};
    Bytes pixels;  // top row first

    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// Reads the file strictly as the classic layout: 14-byte file header, 40-byte
// information header, 256 colours, rows bottom-up padded to four bytes. An empty
// string means it is all as it should be.
std::string read_bmp(const Bytes& file, Picture& picture)
{
    if (file.size() < 54 + 1024) {
        return "too short";
    }
    if (file[0] != 'B' || file[1] != 'M') {
        return "no BM signature";
    }
    if (le32(file, 2) != file.size()) {
        return "file size field " + std::to_string(le32(file, 2));
    }
    if (le32(file, 10) != 54 + 1024) {
        return "pixel offset " + std::to_string(le32(file, 10));
    }
    if (le32(file, 14) != 40) {
        return "information header size " + std::to_string(le32(file, 14));
    }
    const auto width = static_cast<int32_t>(le32(file, 18));
    const auto height = static_cast<int32_t>(le32(file, 22));
    if (width <= 0 || height <= 0) {
        return "not a bottom-up picture";
    }
    if (le16(file, 26) != 1 || le16(file, 28) != 8 || le32(file, 30) != 0) {
        return "not one plane of uncompressed 8-bit pixels";
    }
    const uint32_t row_bytes = (static_cast<uint32_t>(width) + 3u) & ~3u;
    if (le32(file, 34) != row_bytes * static_cast<uint32_t>(height)) {
        return "image size field " + std::to_string(le32(file, 34));
    }
    if (le32(file, 46) != 0 && le32(file, 46) != 256) {
        return "colours used " + std::to_string(le32(file, 46));
    }
    if (file.size() != 54 + 1024 + static_cast<size_t>(row_bytes) * static_cast<size_t>(height)) {
        return "pixel data of the wrong length";
    }
    picture.width = width;
    picture.height = height;
    for (size_t i = 0; i < 256; ++i) {
        const size_t quad = 54 + 4 * i;
        picture.palette[i] = PALETTEENTRY{file[quad + 2], file[quad + 1], file[quad], 0};
    }
    picture.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const size_t row = 54 + 1024 + static_cast<size_t>(height - 1 - y) * row_bytes;
        std::copy(file.begin() + static_cast<long>(row), file.begin() + static_cast<long>(row + static_cast<size_t>(width)),
                  picture.pixels.begin() + static_cast<long>(y) * width);
    }
    return "";
}

Picture load(const std::string& name)
{
    Picture picture;
    const std::string problem = read_bmp(read_file(graphics(name)), picture);
    EXPECT_EQ("", problem) << name;
    return picture;
}

const std::vector<std::string>& screen_pictures()
{
    static const std::vector<std::string> names = {"OCEANBACK.BMP", "OCEANBACK2.BMP", "OCEANBACK3.BMP",
                                                   "OCEANBACK4.BMP"};
    return names;
}

struct Sheet {
    std::string file;
    assets::SheetLayout layout;
};

const std::vector<Sheet>& sprite_sheets()
{
    static const std::vector<Sheet> sheets = [] {
        std::vector<Sheet> all;
        for (int k = 0; k < 8; ++k) {
            all.push_back({"SWIMGUY" + std::to_string(k) + ".BMP", assets::diver_sheet});
        }
        all.push_back({"GENS4.BMP", assets::nuke_sheet});
        all.push_back({"OIL2.BMP", assets::oil_sheet});
        all.push_back({"BUBUP.BMP", assets::bubble_sheet});
        all.push_back({"SPEDUP.BMP", assets::token_sheet});
        return all;
    }();
    return sheets;
}

std::vector<std::string> every_file()
{
    std::vector<std::string> names = screen_pictures();
    for (const Sheet& sheet : sprite_sheets()) {
        names.push_back(sheet.file);
    }
    return names;
}

// --- Files and palette ---------------------------------------------------------------

TEST(GamePictureFiles, ArePlain8BitBitmapsOfTheSizesTheGameCuts)
{
    for (const std::string& name : screen_pictures()) {
        const Picture picture = load(name);
        EXPECT_EQ(640, picture.width) << name;
        EXPECT_EQ(480, picture.height) << name;
    }
    // The game cuts frame i of a w x h sprite at (cx * (w + 1) + 1, cy * (h + 1) + 1).
    const struct {
        const char* file;
        int frame_width;
        int frame_height;
        int cells_across;
        int cells_down;
    } cut[] = {
        {"SWIMGUY0.BMP", 56, 72, 3, 2}, {"SWIMGUY7.BMP", 56, 72, 3, 2}, {"GENS4.BMP", 72, 84, 4, 1},
        {"OIL2.BMP", 72, 84, 3, 1},     {"BUBUP.BMP", 72, 84, 2, 1},    {"SPEDUP.BMP", 72, 84, 3, 1},
    };
    for (const auto& sheet : cut) {
        const Picture picture = load(sheet.file);
        EXPECT_GE(picture.width, sheet.cells_across * (sheet.frame_width + 1) + 1) << sheet.file;
        EXPECT_GE(picture.height, sheet.cells_down * (sheet.frame_height + 1) + 1) << sheet.file;
        EXPECT_EQ(0, picture.width % 4) << sheet.file << ": rows need no padding";
    }
}

TEST(GamePictureFiles, ShareOnePaletteWithPureGreenBeforeTheObstacleEntry)
{
    const Picture title = load("OCEANBACK4.BMP");
    for (const std::string& name : every_file()) {
        const Picture picture = load(name);
        for (size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(title.palette[i].peRed, picture.palette[i].peRed) << name << " entry " << i;
            EXPECT_EQ(title.palette[i].peGreen, picture.palette[i].peGreen) << name << " entry " << i;
            EXPECT_EQ(title.palette[i].peBlue, picture.palette[i].peBlue) << name << " entry " << i;
        }
    }
    // The status texts ask for (0, 255, 0); the nearest entry search must find it
    // before entry 29, whose green the game pulses up to 255.
    int pure_green = -1;
    for (int i = 0; i < 256 && pure_green < 0; ++i) {
        const PALETTEENTRY& e = title.palette[static_cast<size_t>(i)];
        if (e.peRed == 0 && e.peGreen == 255 && e.peBlue == 0) {
            pure_green = i;
        }
    }
    EXPECT_GE(pure_green, 0);
    EXPECT_LT(pure_green, obstacle);
    const PALETTEENTRY& reef = title.palette[obstacle];
    EXPECT_GT(reef.peGreen, reef.peRed) << "the obstacle entry is stored as a reef green";
    EXPECT_GT(reef.peGreen, reef.peBlue) << "the obstacle entry is stored as a reef green";
}

TEST(GamePictureFiles, TheLibraryReadsThemAsWritten)
{
    for (const std::string& name : every_file()) {
        const Picture picture = load(name);
        BITMAP_FILE_TAG bitmap = {};
        ASSERT_EQ(1, Load_Bitmap_File(&bitmap, graphics(name).c_str())) << name;
        EXPECT_EQ(picture.width, bitmap.info_header.biWidth) << name;
        EXPECT_EQ(8, bitmap.info_header.biBitCount) << name;
        bool same = bitmap.buffer != nullptr;
        for (int y = 0; same && y < picture.height; ++y) {
            for (int x = 0; same && x < picture.width; ++x) {
                same = bitmap.buffer[static_cast<size_t>(y * picture.width + x)] == picture.at(x, y);
            }
        }
        EXPECT_TRUE(same) << name << ": the library reads other pixels than were meant";
        for (size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(picture.palette[i].peGreen, bitmap.palette[i].peGreen) << name << " entry " << i;
        }
        Unload_Bitmap_File(&bitmap);
    }
}

// --- The play background -------------------------------------------------------------

bool in_reef_area(int x, int y)
{
    for (const assets::Area& area : assets::reef_areas) {
        if (x >= area.left && x < area.right && y >= area.top && y < area.bottom) {
            return true;
        }
    }
    return false;
}

TEST(GamePlayBackground, UsesTheObstacleColourOnlyInTheReef)
{
    const Picture play = load("OCEANBACK.BMP");
    std::vector<int> per_area(std::size(assets::reef_areas), 0);
    for (int y = 0; y < play.height; ++y) {
        for (int x = 0; x < play.width; ++x) {
            if (play.at(x, y) != obstacle) {
                continue;
            }
            ASSERT_TRUE(in_reef_area(x, y)) << "obstacle pixel outside the reef at " << x << "," << y;
            for (size_t a = 0; a < per_area.size(); ++a) {
                const assets::Area& area = assets::reef_areas[a];
                if (x >= area.left && x < area.right && y >= area.top && y < area.bottom) {
                    ++per_area[a];
                }
            }
        }
    }
    for (size_t a = 0; a < per_area.size(); ++a) {
        EXPECT_GT(per_area[a], 200) << "reef area " << a << " holds (almost) no obstacle";
    }
}

TEST(GamePlayBackground, NoOtherPictureOrSpriteUsesTheObstacleColour)
{
    for (const std::string& name : every_file()) {
        if (name == "OCEANBACK.BMP") {
            continue;
        }
        const Picture picture = load(name);
        size_t count = 0;
        for (uint8_t pixel : picture.pixels) {
            count += pixel == obstacle ? 1 : 0;
        }
        EXPECT_EQ(0u, count) << name;
    }
}

// The game's obstacle test: index 29 anywhere in the inclusive rectangle.
bool blocked(Picture& play, int x1, int y1, int x2, int y2)
{
    return Color_Scan(x1, y1, x2, y2, obstacle, obstacle, play.pixels.data(), play.width) == 1;
}

TEST(GamePlayBackground, LeavesTheDiverMostOfTheScreenToSwimIn)
{
    Picture play = load("OCEANBACK.BMP");
    // The diver (56 x 72) steps 2 pixels from (0, 128) within x 0..584, y 0..408, and is
    // stopped where its inner rectangle (inset 16) would touch an obstacle.
    constexpr int columns = 584 / 2 + 1;
    constexpr int rows = 408 / 2 + 1;
    auto free_at = [&play](int cx, int cy) {
        const int x = cx * 2;
        const int y = cy * 2;
        return !blocked(play, x + 16, y + 16, x + 40, y + 56);
    };
    ASSERT_TRUE(free_at(0, 64)) << "the diver starts inside the reef";
    std::vector<uint8_t> seen(static_cast<size_t>(columns * rows), 0);
    std::vector<std::pair<int, int>> open = {{0, 64}};
    seen[64 * columns] = 1;
    size_t reached = 0;
    while (!open.empty()) {
        const auto [cx, cy] = open.back();
        open.pop_back();
        ++reached;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& step : steps) {
            const int nx = cx + step[0];
            const int ny = cy + step[1];
            if (nx < 0 || ny < 0 || nx >= columns || ny >= rows || seen[static_cast<size_t>(ny * columns + nx)] != 0) {
                continue;
            }
            seen[static_cast<size_t>(ny * columns + nx)] = 1;
            if (free_at(nx, ny)) {
                open.push_back({nx, ny});
            }
        }
    }
    EXPECT_GT(reached, static_cast<size_t>(columns * rows) * 8 / 10) << "of " << columns * rows << " places";
}

TEST(GamePlayBackground, StopsEveryFallingThingLowOnTheScreen)
{
    Picture play = load("OCEANBACK.BMP");
    // Barrels, bubble and token (72 x 84) start at x 0..599, y -20, fall straight down
    // and are sent back when their inner rectangle touches an obstacle. Nothing may fall
    // past the reef for good, nor be stopped in open water.
    for (int x = 0; x < 600; ++x) {
        int y = -20;
        while (y + 16 < 480 && !blocked(play, x + 16, y + 16, x + 56, y + 68)) {
            ++y;
        }
        ASSERT_LT(y + 16, 480) << "a sprite at x " << x << " falls past the reef";
        EXPECT_GE(y + 68, 300) << "a sprite at x " << x << " is stopped high in the water";
    }
}

TEST(GamePlayBackground, KeepsTheStatusRowsDarkForThePureGreenTexts)
{
    const Picture play = load("OCEANBACK.BMP");
    // Contrast of at least 4.5 : 1 against (0, 255, 0), by relative luminance.
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double green = 0.7152;
    for (int y = 0; y < assets::status_rows; ++y) {
        for (int x = 0; x < play.width; ++x) {
            const PALETTEENTRY& e = play.palette[play.at(x, y)];
            const double luminance = 0.2126 * linear(e.peRed) + 0.7152 * linear(e.peGreen) + 0.0722 * linear(e.peBlue);
            ASSERT_GE((green + 0.05) / (luminance + 0.05), 4.5) << "at " << x << "," << y;
        }
    }
}

// --- Sprite sheets -------------------------------------------------------------------

TEST(GameSpriteSheets, FramesSitInCellsFramedByOnePixelLines)
{
    for (const Sheet& sheet : sprite_sheets()) {
        const Picture picture = load(sheet.file);
        const assets::SheetLayout& layout = sheet.layout;
        const int step_x = layout.frame_width + 1;
        const int step_y = layout.frame_height + 1;
        const uint8_t line = picture.at(0, 0);
        EXPECT_NE(0, line) << sheet.file << ": grid lines in the transparent colour";
        bool whole = true;
        for (int c = 0; c <= layout.columns; ++c) {
            for (int y = 0; y <= layout.rows * step_y; ++y) {
                whole = whole && picture.at(c * step_x, y) == line;
            }
        }
        for (int r = 0; r <= layout.rows; ++r) {
            for (int x = 0; x <= layout.columns * step_x; ++x) {
                whole = whole && picture.at(x, r * step_y) == line;
            }
        }
        EXPECT_TRUE(whole) << sheet.file << ": a grid line is broken";

        for (int i = 0; i < layout.frames; ++i) {
            const assets::Cell cell = layout.cell(i);
            const int left = cell.x * step_x + 1;
            const int top = cell.y * step_y + 1;
            int drawn = 0;
            int grid_coloured = 0;
            for (int y = top; y < top + layout.frame_height; ++y) {
                for (int x = left; x < left + layout.frame_width; ++x) {
                    drawn += picture.at(x, y) != 0 ? 1 : 0;
                    grid_coloured += picture.at(x, y) == line ? 1 : 0;
                }
            }
            const int area = layout.frame_width * layout.frame_height;
            EXPECT_GT(drawn, area / 10) << sheet.file << " frame " << i << " is (nearly) empty";
            EXPECT_LT(drawn, area * 9 / 10) << sheet.file << " frame " << i << " leaves no transparent key";
            EXPECT_EQ(0, grid_coloured) << sheet.file << " frame " << i << " uses the grid colour";
            // The art stays off the cell's edges, so no frame shows a cut or a line.
            int on_edge = 0;
            for (int x = left; x < left + layout.frame_width; ++x) {
                on_edge += (picture.at(x, top) != 0) + (picture.at(x, top + layout.frame_height - 1) != 0);
            }
            for (int y = top; y < top + layout.frame_height; ++y) {
                on_edge += (picture.at(left, y) != 0) + (picture.at(left + layout.frame_width - 1, y) != 0);
            }
            EXPECT_EQ(0, on_edge) << sheet.file << " frame " << i << " touches its cell's edge";
        }
    }
}

Bytes cell_pixels(const Picture& picture, const assets::SheetLayout& layout, int index)
{
    const assets::Cell cell = layout.cell(index);
    Bytes pixels;
    for (int y = 0; y < layout.frame_height; ++y) {
        for (int x = 0; x < layout.frame_width; ++x) {
            pixels.push_back(picture.at(cell.x * (layout.frame_width + 1) + 1 + x, cell.y * (layout.frame_height + 1) + 1 + y));
        }
    }
    return pixels;
}

int differences(const Bytes& a, const Bytes& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        count += a[i] != b[i] ? 1 : 0;
    }
    return count;
}

TEST(GameSpriteSheets, TheDiverKicksThroughThreePosesInEachOfEightDirections)
{
    std::vector<Bytes> middles;
    for (int k = 0; k < 8; ++k) {
        const std::string name = "SWIMGUY" + std::to_string(k) + ".BMP";
        const Picture picture = load(name);
        const Bytes middle = cell_pixels(picture, assets::diver_sheet, 0);
        const Bytes kick_one = cell_pixels(picture, assets::diver_sheet, 1);
        const Bytes kick_two = cell_pixels(picture, assets::diver_sheet, 2);
        // The animation plays cells 0, 1, 0, 2: each step must visibly move the legs.
        EXPECT_GT(differences(middle, kick_one), 60) << name;
        EXPECT_GT(differences(middle, kick_two), 60) << name;
        EXPECT_GT(differences(kick_one, kick_two), 60) << name;
        for (size_t j = 0; j < middles.size(); ++j) {
            EXPECT_GT(differences(middle, middles[j]), 400) << name << " looks like direction " << j;
        }
        middles.push_back(middle);
    }
}

// --- Every run the same ------------------------------------------------------------------

// make_assets is built beside the data it writes: <build>/tools/make_assets for <build>/data.
std::string make_assets_program()
{
    const std::string data = game_data();
    return data.substr(0, data.find_last_of('/')) + "/tools/make_assets";
}

TEST(GamePictureFiles, ASecondRunWritesTheSameBytes)
{
    char folder[] = "/tmp/reef_pictures_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string again = std::string(folder) + "/data";
    const std::string command = "'" + make_assets_program() + "' '" + again + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    for (const std::string& name : every_file()) {
        const Bytes first = read_file(graphics(name));
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == read_file(again + "/Graphics/" + name)) << name;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
