// Screen transitions: the arithmetic of one palette step and the lines of one wipe step
// as tables; every effect's end state and its pacing on the virtual clock; the dissolve
// replayed against the generator's own sequence; effects out of range.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/gfx.h"
#include "tests/support/display_fixture.h"
#include "tests/support/guarded_buffer.h"

namespace {

using reef_test::add_span;
using reef_test::GuardedBuffer;
using reef_test::PixelSet;
using reef_test::ScopedClip;

// Sets screen_bpp for a scope.
class ScopedDepth {
public:
    explicit ScopedDepth(int bpp) : saved_(screen_bpp) { screen_bpp = bpp; }
    ~ScopedDepth() { screen_bpp = saved_; }
    ScopedDepth(const ScopedDepth&) = delete;
    ScopedDepth& operator=(const ScopedDepth&) = delete;

private:
    int32_t saved_;
};

bool same(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

std::string text(const PALETTEENTRY& e)
{
    return "(" + std::to_string(e.peRed) + "," + std::to_string(e.peGreen) + "," + std::to_string(e.peBlue) + "," +
           std::to_string(e.peFlags) + ")";
}

struct StepCase {
    int effect;
    int steps;
    PALETTEENTRY before, after;
};

TEST(PaletteStep, ChangesEachChannelByItself)
{
    const StepCase cases[] = {
        {TRANSITION_FADE_BLACK, 1, {255, 241, 5, 4}, {252, 238, 2, 4}},
        {TRANSITION_FADE_BLACK, 1, {4, 3, 1, 0}, {0, 0, 0, 0}},
        {TRANSITION_FADE_BLACK, 80, {255, 241, 5, 4}, {15, 0, 0, 4}},
        {TRANSITION_FADE_BLACK, 80, {242, 250, 0, 0}, {2, 10, 0, 0}},
        {TRANSITION_FADE_WHITE, 1, {0, 251, 252, 4}, {4, 255, 255, 4}},
        {TRANSITION_FADE_WHITE, 63, {0, 0, 0, 0}, {252, 252, 252, 0}},
        {TRANSITION_FADE_WHITE, 64, {0, 0, 0, 0}, {255, 255, 255, 0}},
        {TRANSITION_TINT_BLUE, 1, {3, 10, 250, 4}, {0, 6, 255, 4}},
        {TRANSITION_TINT_RED, 1, {250, 3, 10, 4}, {255, 0, 6, 4}},
        {TRANSITION_TINT_GREEN, 1, {3, 250, 10, 4}, {0, 255, 6, 4}},
        {TRANSITION_TINT_RED, 64, {0, 255, 255, 4}, {255, 0, 0, 4}},
        {TRANSITION_TINT_GREEN, 64, {255, 0, 255, 0}, {0, 255, 0, 0}},
        {TRANSITION_TINT_BLUE, 64, {255, 255, 0, 0}, {0, 0, 255, 0}},
    };
    for (const StepCase& c : cases) {
        PALETTEENTRY entries[256];
        for (PALETTEENTRY& e : entries) {
            e = c.before;
        }
        for (int step = 0; step < c.steps; ++step) {
            ASSERT_EQ(1, transition_palette_step(c.effect, entries));
        }
        EXPECT_TRUE(same(c.after, entries[255])) << "effect " << c.effect << " x" << c.steps << ": " << text(entries[255]);
        EXPECT_TRUE(same(c.after, entries[1])) << "effect " << c.effect << " x" << c.steps;
        // Fade to black leaves entry 0 alone; every other effect changes it too.
        EXPECT_TRUE(same(c.effect == TRANSITION_FADE_BLACK ? c.before : c.after, entries[0]))
            << "effect " << c.effect << " entry 0: " << text(entries[0]);
    }
    // Effects without palette steps leave the entries alone.
    for (int effect : {TRANSITION_WIPE_SIDES, TRANSITION_DISSOLVE, TRANSITION_WIPE_ALL, 9, -1}) {
        PALETTEENTRY entries[256];
        for (PALETTEENTRY& e : entries) {
            e = PALETTEENTRY{10, 20, 30, 4};
        }
        EXPECT_EQ(0, transition_palette_step(effect, entries)) << effect;
        EXPECT_TRUE(same(PALETTEENTRY{10, 20, 30, 4}, entries[7])) << effect;
    }
    EXPECT_EQ(0, transition_palette_step(TRANSITION_FADE_WHITE, nullptr));
}

using PaletteTransition = reef_test::DisplayFixture;

PALETTEENTRY start_entry(int i)
{
    if (i == 0) {
        return PALETTEENTRY{200, 100, 50, 4};
    }
    return PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 4};
}

uint8_t faded_to_black(uint8_t v)
{
    return static_cast<uint8_t>(v <= 241 ? 0 : v - 240);
}

TEST_F(PaletteTransition, EachEffectEndsAtItsColoursAfterItsSteps)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    struct Case {
        int effect;
        uint32_t ms;        // 12 per step
        int r, g, b;        // the end colour; -1: fade to black's per-channel rule
    };
    const Case cases[] = {
        {TRANSITION_FADE_BLACK, 80 * 12, -1, -1, -1},
        {TRANSITION_FADE_WHITE, 64 * 12, 255, 255, 255},
        {TRANSITION_TINT_BLUE, 64 * 12, 0, 0, 255},
        {TRANSITION_TINT_RED, 64 * 12, 255, 0, 0},
        {TRANSITION_TINT_GREEN, 64 * 12, 0, 255, 0},
    };
    for (const Case& c : cases) {
        PALETTEENTRY start[256];
        for (int i = 0; i < 256; ++i) {
            start[i] = start_entry(i);
        }
        Set_Palette(start);
        const uint32_t before = Get_Clock();
        Screen_Transitions(c.effect, nullptr, 0);
        const uint32_t after = Get_Clock();
        EXPECT_EQ(c.ms, after - before) << "effect " << c.effect;
        // The last step's wait starts a new mark.
        EXPECT_EQ(after - 12, start_clock_count) << "effect " << c.effect;

        PALETTEENTRY device[256];
        ASSERT_TRUE(platform::palette_get_entries(lpddpal, 0, 256, device));
        for (int i = 0; i < 256; ++i) {
            PALETTEENTRY expected{static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b), 4};
            if (c.r < 0) {
                expected = i == 0 ? start[0]
                                  : PALETTEENTRY{faded_to_black(start[i].peRed), faded_to_black(start[i].peGreen),
                                                 faded_to_black(start[i].peBlue), 4};
            }
            ASSERT_TRUE(same(expected, palette[i])) << "effect " << c.effect << " entry " << i << ": " << text(palette[i]);
            EXPECT_EQ(expected.peRed, device[i].peRed) << "effect " << c.effect << " entry " << i;
            EXPECT_EQ(expected.peGreen, device[i].peGreen) << "effect " << c.effect << " entry " << i;
            EXPECT_EQ(expected.peBlue, device[i].peBlue) << "effect " << c.effect << " entry " << i;
        }
    }
}

TEST(PaletteTransitionWithoutDisplay, ChangesTheWorkingPaletteOnly)
{
    ASSERT_EQ(nullptr, lpddpal);
    PALETTEENTRY saved[256];
    Save_Palette(saved);
    PALETTEENTRY start[256];
    for (int i = 0; i < 256; ++i) {
        start[i] = start_entry(i);
    }
    Set_Palette(start);
    Screen_Transitions(TRANSITION_TINT_RED, nullptr, 0);
    for (const PALETTEENTRY& e : palette) {
        ASSERT_TRUE(same(PALETTEENTRY{255, 0, 0, 4}, e)) << text(e);
    }
    Set_Palette(saved);
}

struct WipeStepCase {
    int effect;
    int i;
    std::vector<int> rows;
    std::vector<int> columns;
};

TEST(WipeStep, DrawsItsRowsAndColumnsInColourZero)
{
    const WipeStepCase cases[] = {
        {TRANSITION_WIPE_SIDES, 0, {}, {0, 1, 638, 639}},
        {TRANSITION_WIPE_SIDES, 318, {}, {318, 319, 320, 321}},
        {TRANSITION_WIPE_TOP_BOTTOM, 0, {0, 1, 478, 479}, {}},
        {TRANSITION_WIPE_TOP_BOTTOM, 238, {238, 239, 240, 241}, {}},
        {TRANSITION_WIPE_ALL, 0, {0, 1, 478, 479}, {0, 1, 638, 639}},
        {TRANSITION_WIPE_ALL, 238, {238, 239, 240, 241}, {238, 239, 400, 401}},
        // Past the middle row the rows start over from the edges.
        {TRANSITION_WIPE_ALL, 240, {0, 1, 478, 479}, {240, 241, 398, 399}},
        {TRANSITION_WIPE_ALL, 318, {78, 79, 400, 401}, {318, 319, 320, 321}},
        // Steps outside the effect, and effects that are not wipes, draw nothing.
        {TRANSITION_WIPE_TOP_BOTTOM, 240, {}, {}},
        {TRANSITION_WIPE_SIDES, 320, {}, {}},
        {TRANSITION_WIPE_SIDES, -2, {}, {}},
        {TRANSITION_DISSOLVE, 0, {}, {}},
        {TRANSITION_FADE_BLACK, 0, {}, {}},
    };
    for (int bpp : {8, 16}) {
        const ScopedDepth depth(bpp);
        for (const WipeStepCase& c : cases) {
            PixelSet expected;
            for (int y : c.rows) {
                add_span(expected, 0, 639, y);
            }
            for (int x : c.columns) {
                for (int y = 0; y < 480; ++y) {
                    expected.insert({x, y});
                }
            }
            PixelSet drawn;
            bool guards = false;
            int wrong = 0;
            if (bpp == 8) {
                GuardedBuffer<uint8_t> buffer;
                transition_wipe_step(c.effect, c.i, buffer.memory(), buffer.lpitch());
                drawn = buffer.changed();
                guards = buffer.guards_intact();
                wrong = buffer.changed_to_other_than(0);
            } else {
                GuardedBuffer<uint16_t> buffer;
                transition_wipe_step(c.effect, c.i, buffer.memory(), buffer.lpitch());
                drawn = buffer.changed();
                guards = buffer.guards_intact();
                wrong = buffer.changed_to_other_than(0);
            }
            EXPECT_EQ(expected, drawn) << bpp << " bits, effect " << c.effect << " step " << c.i;
            EXPECT_TRUE(guards);
            EXPECT_EQ(0, wrong);
        }
    }
}

TEST(Wipe, EachWipeEndsWithTheScreenInColourZeroAfterItsSteps)
{
    struct Case {
        int effect;
        uint32_t ms;
    };
    const Case cases[] = {
        {TRANSITION_WIPE_SIDES, 160 * 12}, {TRANSITION_WIPE_TOP_BOTTOM, 120 * 12}, {TRANSITION_WIPE_ALL, 160 * 12}};
    for (int bpp : {8, 16}) {
        const ScopedDepth depth(bpp);
        for (const Case& c : cases) {
            GuardedBuffer<uint8_t> buffer8;
            GuardedBuffer<uint16_t> buffer16;
            const uint32_t before = Get_Clock();
            if (bpp == 8) {
                Screen_Transitions(c.effect, buffer8.memory(), buffer8.lpitch());
            } else {
                Screen_Transitions(c.effect, buffer16.memory(), buffer16.lpitch());
            }
            EXPECT_EQ(c.ms, Get_Clock() - before) << "effect " << c.effect;
            const bool eight = bpp == 8;
            const auto everywhere = [](int, int) { return true; };
            EXPECT_TRUE(eight ? buffer8.changed_exactly_where(everywhere) : buffer16.changed_exactly_where(everywhere))
                << c.effect;
            EXPECT_EQ(0, eight ? buffer8.changed_to_other_than(0) : buffer16.changed_to_other_than(0)) << c.effect;
            EXPECT_TRUE(eight ? buffer8.guards_intact() : buffer16.guards_intact()) << c.effect;
        }
    }
}

TEST(Wipe, StaysInTheClipRectangle)
{
    const ScopedClip clip(100, 199, 50, 149);
    GuardedBuffer<uint8_t> buffer;
    Screen_Transitions(TRANSITION_WIPE_ALL, buffer.memory(), buffer.lpitch());
    PixelSet expected;
    for (int y = 50; y <= 149; ++y) {
        add_span(expected, 100, 199, y);
    }
    EXPECT_EQ(expected, buffer.changed());
}

TEST(Wipe, OtherDepthsAndMissingMemoryDrawNothingButTakeTheTime)
{
    GuardedBuffer<uint8_t> buffer;
    {
        const ScopedDepth depth(24);
        const uint32_t before = Get_Clock();
        Screen_Transitions(TRANSITION_WIPE_SIDES, buffer.memory(), buffer.lpitch());
        EXPECT_EQ(160u * 12u, Get_Clock() - before);
        Screen_Transitions(TRANSITION_DISSOLVE, buffer.memory(), buffer.lpitch());
    }
    const uint32_t before = Get_Clock();
    Screen_Transitions(TRANSITION_WIPE_TOP_BOTTOM, nullptr, 0);
    EXPECT_EQ(120u * 12u, Get_Clock() - before);
    Screen_Transitions(TRANSITION_DISSOLVE, nullptr, 0);
    EXPECT_TRUE(buffer.changed().empty());
}

// Replays what the dissolve must draw: w * h * 4 + 1 pixels, x taken from the
// generator before y. Marks the pixels hit.
std::vector<bool> dissolve_pixels(unsigned seed)
{
    std::srand(seed);
    std::vector<bool> hit(640 * 480, false);
    for (long i = 0; i <= 640L * 480L * 4L; ++i) {
        const int x = std::rand() % 640;
        const int y = std::rand() % 480;
        hit[static_cast<size_t>(y * 640 + x)] = true;
    }
    return hit;
}

TEST(Dissolve, SetsTheGeneratorsPixelsToZeroWithoutWaiting)
{
    const std::vector<bool> hit = dissolve_pixels(7);
    const auto expected = [&hit](int x, int y) { return hit[static_cast<size_t>(y * 640 + x)]; };
    for (int bpp : {8, 16}) {
        const ScopedDepth depth(bpp);
        GuardedBuffer<uint8_t> buffer8;
        GuardedBuffer<uint16_t> buffer16;
        Start_Clock();
        const uint32_t mark = start_clock_count;
        const uint32_t before = Get_Clock();
        std::srand(7);
        long changed = 0;
        if (bpp == 8) {
            Screen_Transitions(TRANSITION_DISSOLVE, buffer8.memory(), buffer8.lpitch());
            EXPECT_TRUE(buffer8.changed_exactly_where(expected, &changed));
            EXPECT_EQ(0, buffer8.changed_to_other_than(0));
            EXPECT_TRUE(buffer8.guards_intact());
        } else {
            Screen_Transitions(TRANSITION_DISSOLVE, buffer16.memory(), buffer16.lpitch());
            EXPECT_TRUE(buffer16.changed_exactly_where(expected, &changed));
            EXPECT_EQ(0, buffer16.changed_to_other_than(0));
            EXPECT_TRUE(buffer16.guards_intact());
        }
        // Pixels hit twice are drawn again; some are never hit.
        EXPECT_LT(changed, 640L * 480L);
        EXPECT_GT(changed, 640L * 480L * 95L / 100L);
        EXPECT_EQ(before, Get_Clock());
        EXPECT_EQ(mark, start_clock_count);
    }
}

using UnknownEffect = reef_test::DisplayFixture;

TEST_F(UnknownEffect, ReturnsAtOnceChangingNothing)
{
    ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    PALETTEENTRY start[256];
    for (int i = 0; i < 256; ++i) {
        start[i] = start_entry(i);
    }
    Set_Palette(start);
    GuardedBuffer<uint8_t> buffer;
    Start_Clock();
    const uint32_t mark = start_clock_count;
    const uint32_t before = Get_Clock();
    for (int effect : {9, -1, 1000}) {
        Screen_Transitions(effect, buffer.memory(), buffer.lpitch());
    }
    EXPECT_EQ(before, Get_Clock());
    EXPECT_EQ(mark, start_clock_count);
    EXPECT_TRUE(buffer.changed().empty());
    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(same(start[i], palette[i])) << i;
    }
}

} // namespace
