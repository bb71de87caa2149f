// The palette: the working copy kept in step with the device palette (and the screen),
// rotation, the blinker table and its timing, and the harmless paths without a device
// palette.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/gfx.h"
#include "platform/display.h"
#include "tests/support/display_fixture.h"

namespace {

bool same(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

PALETTEENTRY device_entry(int index)
{
    PALETTEENTRY e = {};
    EXPECT_TRUE(platform::palette_get_entries(lpddpal, index, 1, &e));
    return e;
}

// A palette whose every entry differs from every other.
void install_ramp()
{
    PALETTEENTRY ramp[256];
    for (int i = 0; i < 256; ++i) {
        ramp[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2),
                               PC_NOCOLLAPSE};
    }
    Set_Palette(ramp);
}

class PaletteTest : public reef_test::DisplayFixture {
protected:
    void SetUp() override
    {
        reef_test::DisplayFixture::SetUp();
        ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
        install_ramp();
    }
};

// The blinker table is process-wide and cleared only by the very first call; this must
// stay the first test of the program that touches it.
TEST_F(PaletteTest, TheFirstBlinkerCallStartsFromAnEmptyTable)
{
    PALETTEENTRY before[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, before));
    EXPECT_EQ(1, Blink_Colors(BLINK_RUN, nullptr, 0));
    PALETTEENTRY after[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, after));
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    EXPECT_EQ(-1, Blink_Colors(BLINK_DELETE, nullptr, 0));
}

TEST_F(PaletteTest, EntriesAndWholePalettesReachTheDeviceAndComeBack)
{
    const PALETTEENTRY glow = {10, 200, 30, PC_NOCOLLAPSE};
    EXPECT_EQ(1, Set_Palette_Entry(29, &glow));
    PALETTEENTRY read = {};
    EXPECT_EQ(1, Get_Palette_Entry(29, &read));
    EXPECT_TRUE(same(glow, read));
    EXPECT_TRUE(same(glow, device_entry(29)));

    PALETTEENTRY saved[256];
    EXPECT_EQ(1, Save_Palette(saved));
    EXPECT_EQ(0, std::memcmp(saved, palette, sizeof saved));
    PALETTEENTRY device[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, device));
    EXPECT_EQ(0, std::memcmp(device, palette, sizeof device));

    // Installing the working palette itself must not scramble it.
    EXPECT_EQ(1, Set_Palette(palette));
    EXPECT_EQ(0, std::memcmp(saved, palette, sizeof saved));
}

TEST_F(PaletteTest, AChangedEntryRecoloursTheScreenWithoutTouchingItsPixels)
{
    ASSERT_EQ(1, DDraw_Fill_Surface(lpddsprimary, 7));
    std::vector<uint8_t> rgb(640 * 480 * 3);
    const PALETTEENTRY red = {255, 0, 0, PC_NOCOLLAPSE};
    Set_Palette_Entry(7, &red);
    ASSERT_TRUE(platform::display_capture(rgb.data(), 640, 480));
    EXPECT_EQ(255, rgb[0]);
    EXPECT_EQ(0, rgb[1]);
    const PALETTEENTRY blue = {0, 0, 255, PC_NOCOLLAPSE};
    Set_Palette_Entry(7, &blue);
    ASSERT_TRUE(platform::display_capture(rgb.data(), 640, 480));
    EXPECT_EQ(0, rgb[(240 * 640 + 320) * 3]);
    EXPECT_EQ(255, rgb[(240 * 640 + 320) * 3 + 2]);
}

TEST_F(PaletteTest, RotationMovesTheRangeUpOneAndWrapsTheTop)
{
    PALETTEENTRY before[256];
    Save_Palette(before);
    EXPECT_EQ(1, Rotate_Colors(10, 12));
    EXPECT_TRUE(same(before[12], palette[10]));
    EXPECT_TRUE(same(before[10], palette[11]));
    EXPECT_TRUE(same(before[11], palette[12]));
    EXPECT_TRUE(same(before[9], palette[9]));
    EXPECT_TRUE(same(before[13], palette[13]));
    PALETTEENTRY device[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, device));
    EXPECT_EQ(0, std::memcmp(device, palette, sizeof device));

    Save_Palette(before);
    EXPECT_EQ(1, Rotate_Colors(40, 40));
    EXPECT_EQ(1, Rotate_Colors(255, 255));
    EXPECT_EQ(1, Rotate_Colors(0, 255));
    EXPECT_TRUE(same(before[255], palette[0]));
    EXPECT_TRUE(same(before[0], palette[1]));
    // Ranges that are not ranges of the palette change nothing.
    Save_Palette(before);
    EXPECT_EQ(1, Rotate_Colors(250, 300));
    EXPECT_EQ(1, Rotate_Colors(-5, 3));
    EXPECT_EQ(1, Rotate_Colors(20, 10));
    EXPECT_EQ(0, std::memcmp(before, palette, sizeof before));
}

TEST_F(PaletteTest, IndexesOutsideThePaletteAreIgnored)
{
    PALETTEENTRY before[256];
    Save_Palette(before);
    const PALETTEENTRY white = {255, 255, 255, 0};
    PALETTEENTRY out = {1, 2, 3, 4};
    EXPECT_EQ(1, Set_Palette_Entry(256, &white));
    EXPECT_EQ(1, Set_Palette_Entry(-1, &white));
    EXPECT_EQ(1, Get_Palette_Entry(300, &out));
    EXPECT_EQ(1, out.peRed);
    EXPECT_EQ(0, std::memcmp(before, palette, sizeof before));
}

// --- Blinkers -----------------------------------------------------------------

constexpr PALETTEENTRY on_colour = {250, 250, 0, PC_NOCOLLAPSE};
constexpr PALETTEENTRY off_colour = {0, 0, 90, PC_NOCOLLAPSE};

BLINKER_TYP blinker(int index, int on_ticks, int off_ticks)
{
    BLINKER_TYP light = {};
    light.color_index = index;
    light.on_color = on_colour;
    light.off_color = off_colour;
    light.on_ticks = on_ticks;
    light.off_ticks = off_ticks;
    light.tick_count = 77;   // ignored: an added blinker starts counting from 0
    light.blink_state = 1;   // ignored: an added blinker starts off
    return light;
}

TEST_F(PaletteTest, ABlinkerAlternatesOnItsPhaseLengths)
{
    struct Case {
        int on_ticks, off_ticks;
        const char* shown;  // after each run command: 1 = on colour, 0 = off colour
    };
    const Case cases[] = {
        {2, 3, "0011000110"},
        {1, 1, "1010101010"},
        {0, -4, "1010101010"},  // lengths of 1 or less switch at every run command
        {3, 1, "1110111011"},
    };
    for (const Case& c : cases) {
        BLINKER_TYP light = blinker(7, c.on_ticks, c.off_ticks);
        const int id = Blink_Colors(BLINK_ADD, &light, 0);
        ASSERT_EQ(0, id);
        EXPECT_TRUE(same(off_colour, device_entry(7)));
        for (int run = 0; run < 10; ++run) {
            Blink_Colors(BLINK_RUN, nullptr, 0);
            const bool on = same(on_colour, device_entry(7));
            EXPECT_EQ(c.shown[run] == '1', on) << c.on_ticks << "/" << c.off_ticks << " run " << run + 1;
        }
        EXPECT_EQ(id, Blink_Colors(BLINK_DELETE, nullptr, id));
    }
}

TEST_F(PaletteTest, BlinkersLeaveTheWorkingCopyUntilARotationReadsTheDevice)
{
    const PALETTEENTRY held = palette[7];
    BLINKER_TYP light = blinker(7, 2, 1);
    const int id = Blink_Colors(BLINK_ADD, &light, 0);
    Blink_Colors(BLINK_RUN, nullptr, 0);  // switches on
    ASSERT_TRUE(same(on_colour, device_entry(7)));
    PALETTEENTRY read = {};
    Get_Palette_Entry(7, &read);
    EXPECT_TRUE(same(held, read));

    Rotate_Colors(20, 22);
    EXPECT_TRUE(same(on_colour, palette[7]));
    Blink_Colors(BLINK_DELETE, nullptr, id);
    EXPECT_TRUE(same(on_colour, device_entry(7)));  // deleting keeps the colour shown
}

TEST_F(PaletteTest, UpdatingKeepsThePhaseAndShowsItsNewColour)
{
    BLINKER_TYP light = blinker(9, 3, 2);
    const int id = Blink_Colors(BLINK_ADD, &light, 0);
    Blink_Colors(BLINK_RUN, nullptr, 0);
    Blink_Colors(BLINK_RUN, nullptr, 0);  // on, count 0
    Blink_Colors(BLINK_RUN, nullptr, 0);  // on, count 1
    BLINKER_TYP change = blinker(200, 3, 2);
    change.on_color = PALETTEENTRY{1, 2, 3, 0};
    EXPECT_EQ(id, Blink_Colors(BLINK_UPDATE, &change, id));
    EXPECT_TRUE(same(change.on_color, device_entry(9)));  // still entry 9, still on
    EXPECT_TRUE(same(palette[200], device_entry(200)));
    Blink_Colors(BLINK_RUN, nullptr, 0);  // count 2: still on
    EXPECT_TRUE(same(change.on_color, device_entry(9)));
    Blink_Colors(BLINK_RUN, nullptr, 0);  // count 3: off
    EXPECT_TRUE(same(off_colour, device_entry(9)));
    EXPECT_EQ(id, Blink_Colors(BLINK_DELETE, nullptr, id));
}

TEST_F(PaletteTest, FreeSlotsFullTablesAndUnknownCommandsAnswerAsDocumented)
{
    BLINKER_TYP light = blinker(3, 1, 1);
    EXPECT_EQ(-1, Blink_Colors(BLINK_DELETE, nullptr, 5));
    EXPECT_EQ(-1, Blink_Colors(BLINK_UPDATE, &light, 5));
    EXPECT_EQ(-1, Blink_Colors(BLINK_DELETE, nullptr, 256));
    EXPECT_EQ(-1, Blink_Colors(BLINK_UPDATE, &light, -1));
    EXPECT_EQ(1, Blink_Colors(99, &light, 0));

    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(i, Blink_Colors(BLINK_ADD, &light, 0));
    }
    BLINKER_TYP extra = blinker(4, 1, 1);
    const PALETTEENTRY entry4 = device_entry(4);
    EXPECT_EQ(1, Blink_Colors(BLINK_ADD, &extra, 0));  // full: nothing added
    EXPECT_TRUE(same(entry4, device_entry(4)));
    // The lowest free slot is handed out again.
    EXPECT_EQ(17, Blink_Colors(BLINK_DELETE, nullptr, 17));
    EXPECT_EQ(17, Blink_Colors(BLINK_ADD, &extra, 0));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(i, Blink_Colors(BLINK_DELETE, nullptr, i));
    }
}

TEST_F(PaletteTest, ABlinkerOnAnIndexOutsideThePaletteTouchesNothing)
{
    PALETTEENTRY before[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, before));
    BLINKER_TYP light = blinker(300, 1, 1);
    const int id = Blink_Colors(BLINK_ADD, &light, 0);
    Blink_Colors(BLINK_RUN, nullptr, 0);
    EXPECT_EQ(id, Blink_Colors(BLINK_UPDATE, &light, id));
    PALETTEENTRY after[256];
    ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, after));
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    Blink_Colors(BLINK_DELETE, nullptr, id);
}

// --- Without a device palette -------------------------------------------------

// Before the display starts, and on a 16-bit display, there is no device palette:
// the functions keep the working copy and answer as usual.
class NoDevicePaletteTest : public reef_test::DisplayFixture,
                            public ::testing::WithParamInterface<bool> {};

TEST_P(NoDevicePaletteTest, TheWorkingCopyIsKeptAndNothingFails)
{
    if (GetParam()) {
        ASSERT_EQ(1, DDraw_Init(640, 480, 16, 0));
    }
    ASSERT_EQ(nullptr, lpddpal);
    PALETTEENTRY ramp[256];
    for (int i = 0; i < 256; ++i) {
        ramp[i] = PALETTEENTRY{static_cast<uint8_t>(i), 0, 0, 0};
    }
    EXPECT_EQ(1, Set_Palette(ramp));
    EXPECT_EQ(0, std::memcmp(ramp, palette, sizeof ramp));
    const PALETTEENTRY glow = {0, 99, 0, 0};
    EXPECT_EQ(1, Set_Palette_Entry(29, &glow));
    EXPECT_TRUE(same(glow, palette[29]));
    EXPECT_EQ(1, Rotate_Colors(1, 3));
    EXPECT_EQ(3, palette[1].peRed);
    EXPECT_EQ(1, palette[2].peRed);
    EXPECT_EQ(2, palette[3].peRed);

    BLINKER_TYP light = blinker(5, 1, 1);
    const int id = Blink_Colors(BLINK_ADD, &light, 0);
    EXPECT_EQ(0, id);
    EXPECT_EQ(1, Blink_Colors(BLINK_RUN, nullptr, 0));
    EXPECT_EQ(id, Blink_Colors(BLINK_UPDATE, &light, id));
    EXPECT_EQ(id, Blink_Colors(BLINK_DELETE, nullptr, id));
    EXPECT_EQ(5, palette[5].peRed);
}

INSTANTIATE_TEST_SUITE_P(BeforeStartAndOnSixteenBits, NoDevicePaletteTest, ::testing::Values(false, true));

} // namespace
