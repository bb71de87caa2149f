// Sprite animation steps, motion with wrap-around and bouncing, the collision tests
// and the colour scans. All of it works on records and memory alone, without a display.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gfx/gfx.h"

namespace {

// A record as the game keeps one: zero-initialised, sequences loaded through the library.
class SpriteRecord : public ::testing::Test {
protected:
    void TearDown() override
    {
        Destroy_BOB(&bob);
    }

    // The frames shown by `steps` animation calls.
    std::vector<int> frames_shown(int steps)
    {
        std::vector<int> shown;
        for (int i = 0; i < steps; ++i) {
            EXPECT_EQ(1, Animate_BOB(&bob));
            shown.push_back(bob.cur_frame);
        }
        return shown;
    }

    BOB_TYP bob{};
};

// --- Animation ----------------------------------------------------------------

TEST_F(SpriteRecord, MultiFrameStepsEveryAnimSpeedCallsAndWrapsAfterTheLastFrame)
{
    struct Case {
        int speed;
        std::vector<int> frames;  // after each of the calls
    };
    const Case cases[] = {
        {4, {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 0}},
        {0, {1, 2, 0, 1}},
        {1, {1, 2, 0, 1}},
        {-3, {1, 2, 0}},
    };
    for (const Case& c : cases) {
        bob = BOB_TYP{};
        bob.attr = BOB_MULTI_FRAME;
        bob.num_frames = 3;
        bob.anim_speed = c.speed;
        EXPECT_EQ(c.frames, frames_shown(static_cast<int>(c.frames.size()))) << "speed " << c.speed;
    }
}

TEST_F(SpriteRecord, SequenceStartsAtItsSecondEntryAndLoops)
{
    const int sequence[] = {8, 9, 8, 10};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 3, 4, sequence));
    bob.attr = BOB_MULTI_ANIM;
    bob.cur_frame = 5;
    bob.anim_pos = 2;
    bob.anim_ticks = 7;
    ASSERT_EQ(1, Set_Animation_BOB(&bob, 3));
    // The choice alone changes neither the frame nor the tick count.
    EXPECT_EQ(5, bob.cur_frame);
    EXPECT_EQ(7, bob.anim_ticks);
    EXPECT_EQ(0, bob.anim_pos);
    EXPECT_EQ((std::vector<int>{9, 8, 10, 8, 9, 8, 10, 8, 9}), frames_shown(9));
    EXPECT_EQ(0, bob.anim_done);
}

TEST_F(SpriteRecord, OneShotSequenceStopsOnItsLastEntryAndKeepsSayingSo)
{
    const int sequence[] = {8, 9, 8, 10};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 4, sequence));
    bob.attr = BOB_MULTI_ANIM | BOB_ANIM_ONE_SHOT;
    Set_Animation_BOB(&bob, 0);
    EXPECT_EQ((std::vector<int>{9, 8, 10}), frames_shown(3));
    EXPECT_EQ(0, bob.anim_done);
    EXPECT_EQ((std::vector<int>{10}), frames_shown(1));
    EXPECT_EQ(1, bob.anim_done);
    EXPECT_EQ(3, bob.anim_pos);
    bob.anim_done = 0;
    EXPECT_EQ((std::vector<int>{10, 10}), frames_shown(2));
    EXPECT_EQ(1, bob.anim_done);
}

TEST_F(SpriteRecord, SequenceAtSpeedStepsOnEveryNthCall)
{
    const int sequence[] = {4, 5, 4, 6};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 1, 4, sequence));
    bob.attr = BOB_MULTI_ANIM;
    Set_Animation_BOB(&bob, 1);
    Set_Anim_Speed_BOB(&bob, 4);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 5, 5, 5, 5, 4, 4, 4, 4, 6}), frames_shown(12));
}

TEST_F(SpriteRecord, OnlyTheFirstAnimationFlagActs)
{
    const int sequence[] = {7, 8};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 2, sequence));
    bob.num_frames = 3;
    bob.cur_frame = 2;
    bob.anim_ticks = 5;

    bob.attr = BOB_SINGLE_FRAME | BOB_MULTI_FRAME | BOB_MULTI_ANIM;
    EXPECT_EQ((std::vector<int>{0, 0, 0}), frames_shown(3));
    EXPECT_EQ(5, bob.anim_ticks);

    bob.attr = BOB_MULTI_FRAME | BOB_MULTI_ANIM;
    EXPECT_EQ((std::vector<int>{1, 2}), frames_shown(2));

    bob.attr = BOB_VISIBLE;
    const BOB_TYP before = bob;
    EXPECT_EQ(1, Animate_BOB(&bob));
    EXPECT_EQ(0, std::memcmp(&before, &bob, sizeof bob));

    EXPECT_EQ(0, Animate_BOB(nullptr));
}

TEST_F(SpriteRecord, MissingOrEmptySequenceKeepsTheCurrentFrame)
{
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 2, 0, nullptr));
    bob.attr = BOB_MULTI_ANIM;
    bob.cur_frame = 6;
    for (const int slot : {0, 2, -1, 16, 1000}) {
        bob.cur_anim = slot;
        EXPECT_EQ((std::vector<int>{6, 6, 6}), frames_shown(3)) << "slot " << slot;
        EXPECT_EQ(0, bob.anim_done);
    }
}

TEST_F(SpriteRecord, PositionLeftFromALongerSequenceEndsTheNewOne)
{
    const int long_sequence[] = {1, 2, 3, 4, 5, 6};
    const int short_sequence[] = {7, 8};
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 6, long_sequence));
    bob.attr = BOB_MULTI_ANIM;
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5}), frames_shown(4));
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 2, short_sequence));
    EXPECT_EQ((std::vector<int>{7, 8, 7}), frames_shown(3));

    EXPECT_EQ(1, Load_Animation_BOB(&bob, 0, 6, long_sequence));
    frames_shown(4);
    ASSERT_EQ(1, Load_Animation_BOB(&bob, 0, 2, short_sequence));
    bob.attr |= BOB_ANIM_ONE_SHOT;
    EXPECT_EQ((std::vector<int>{8, 8}), frames_shown(2));
    EXPECT_EQ(1, bob.anim_done);
}

// --- Motion -------------------------------------------------------------------

// Motion reads the clip rectangle; each test leaves it as it found it.
class SpriteMotion : public SpriteRecord {
protected:
    void SetUp() override
    {
        saved_ = {min_clip_x, max_clip_x, min_clip_y, max_clip_y};
        min_clip_x = 0;
        max_clip_x = 639;
        min_clip_y = 0;
        max_clip_y = 479;
        bob.width = 72;
        bob.height = 84;
    }

    void TearDown() override
    {
        min_clip_x = saved_[0];
        max_clip_x = saved_[1];
        min_clip_y = saved_[2];
        max_clip_y = saved_[3];
        SpriteRecord::TearDown();
    }

    std::vector<int32_t> saved_;
};

struct MoveCase {
    float pos;       // before the move
    float vel;
    float new_pos;   // after it
    float new_vel;
};

TEST_F(SpriteMotion, WrapLeavesCompletelyAndComesBackAtTheOppositeEdge)
{
    const MoveCase horizontal[] = {
        {639, 1, -72, 1}, {-72, -1, 639, -1}, {300, 5, 305, 5}, {639, 0, 639, 0},
        {-71, -1, -72, -1}, {639.5f, 0.5f, -72, 0.5f}, {1000, 0, -72, 0},
    };
    for (const MoveCase& c : horizontal) {
        bob.attr = BOB_WRAP;
        bob.x = c.pos;
        bob.xv = c.vel;
        bob.y = 100;
        bob.yv = 0;
        EXPECT_EQ(1, Move_BOB(&bob));
        EXPECT_EQ(c.new_pos, bob.x) << "x " << c.pos << " by " << c.vel;
        EXPECT_EQ(c.new_vel, bob.xv);
        EXPECT_EQ(100, bob.y);
    }
    const MoveCase vertical[] = {{479, 1, -84, 1}, {-84, -1, 479, -1}, {-83, -1, -84, -1}};
    for (const MoveCase& c : vertical) {
        bob.attr = BOB_WRAP | BOB_BOUNCE;  // wrap-around wins
        bob.x = 10;
        bob.xv = 0;
        bob.y = c.pos;
        bob.yv = c.vel;
        EXPECT_EQ(1, Move_BOB(&bob));
        EXPECT_EQ(c.new_pos, bob.y) << "y " << c.pos << " by " << c.vel;
        EXPECT_EQ(c.new_vel, bob.yv);
    }
}

TEST_F(SpriteMotion, BounceTurnsTheVelocityWithoutCorrectingThePosition)
{
    const MoveCase horizontal[] = {{566, 1, 567, 1}, {567, 1, 568, -1}, {0, -1, -1, 1}, {1, -1, 0, -1}};
    for (const MoveCase& c : horizontal) {
        bob.attr = BOB_BOUNCE;
        bob.x = c.pos;
        bob.xv = c.vel;
        bob.y = 50;
        bob.yv = 0;
        EXPECT_EQ(1, Move_BOB(&bob));
        EXPECT_EQ(c.new_pos, bob.x) << "x " << c.pos << " by " << c.vel;
        EXPECT_EQ(c.new_vel, bob.xv);
    }
    const MoveCase vertical[] = {{394, 1, 395, 1}, {395, 1, 396, -1}, {0, -2, -2, 2}};
    for (const MoveCase& c : vertical) {
        bob.attr = BOB_BOUNCE;
        bob.x = 50;
        bob.xv = 0;
        bob.y = c.pos;
        bob.yv = c.vel;
        EXPECT_EQ(1, Move_BOB(&bob));
        EXPECT_EQ(c.new_pos, bob.y) << "y " << c.pos << " by " << c.vel;
        EXPECT_EQ(c.new_vel, bob.yv);
    }
}

TEST_F(SpriteMotion, EdgesComeFromTheClipRectangle)
{
    min_clip_x = 100;
    max_clip_x = 299;
    min_clip_y = 50;
    max_clip_y = 149;
    bob.width = 20;
    bob.height = 10;
    bob.attr = BOB_WRAP;
    bob.x = 299;
    bob.xv = 1;
    bob.y = 39;
    bob.yv = -0.5f;
    Move_BOB(&bob);
    EXPECT_EQ(80, bob.x);
    EXPECT_EQ(149, bob.y);

    bob.attr = BOB_BOUNCE;
    bob.x = 279;
    bob.xv = 1;
    bob.y = 51;
    bob.yv = -2;
    Move_BOB(&bob);
    EXPECT_EQ(280, bob.x);
    EXPECT_EQ(-1, bob.xv);
    EXPECT_EQ(49, bob.y);
    EXPECT_EQ(2, bob.yv);
}

TEST_F(SpriteMotion, PlainMotionAddsTheVelocity)
{
    bob.attr = BOB_VISIBLE;
    bob.x = 630;
    bob.y = 470;
    bob.xv = 2.5f;
    bob.yv = 20;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(1, Move_BOB(&bob));
    }
    EXPECT_EQ(640, bob.x);
    EXPECT_EQ(550, bob.y);
    EXPECT_EQ(0, Move_BOB(nullptr));
}

// --- Collisions ---------------------------------------------------------------

TEST(SpriteCollision, ShrunkBoxesDecide)
{
    BOB_TYP diver{};
    diver.width = 56;
    diver.height = 72;
    diver.x = 100;
    diver.y = 100;
    BOB_TYP barrel{};
    barrel.width = 72;
    barrel.height = 84;
    struct Case {
        float x, y;
        int expected;
    };
    const Case cases[] = {
        {147, 100, 0}, {140, 100, 1},                 // dx 53 and 46 against 48
        {141, 100, 1}, {142, 100, 0},                 // dx 47 and 48
        {141.9f, 100, 1},                             // reference point 168.9 truncated to 168
        {100, 153, 1}, {100, 154, 0},                 // dy 58 and 59 against 59
        {47, 100, 1}, {46, 100, 0},                   // to the left: dx 47 and 48
    };
    for (const Case& c : cases) {
        barrel.x = c.x;
        barrel.y = c.y;
        EXPECT_EQ(c.expected, Collision_BOBS(&diver, &barrel)) << c.x << "," << c.y;
        EXPECT_EQ(c.expected, Collision_BOBS(&barrel, &diver)) << c.x << "," << c.y;
    }
    // Visibility and flags play no part.
    barrel.x = 140;
    barrel.y = 100;
    barrel.attr = 0;
    EXPECT_EQ(1, Collision_BOBS(&diver, &barrel));
    EXPECT_EQ(0, Collision_BOBS(nullptr, &barrel));
    EXPECT_EQ(0, Collision_BOBS(&diver, nullptr));
}

TEST(SpriteCollision, FarOffOrUndefinedPositionsDoNotCollide)
{
    BOB_TYP a{};
    a.width = 72;
    a.height = 84;
    BOB_TYP b = a;
    for (const float far : {1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()}) {
        b.x = far;
        EXPECT_EQ(0, Collision_BOBS(&a, &b)) << far;
        b.x = 0;
        b.y = far;
        EXPECT_EQ(0, Collision_BOBS(&a, &b)) << far;
        b.y = 0;
    }
    a.x = 1e30f;
    b.x = 1e30f;
    EXPECT_EQ(1, Collision_BOBS(&a, &b));
}

TEST(SpriteCollision, TestOnRectanglesGivenAsNumbers)
{
    struct Case {
        int x1, y1, w1, h1, x2, y2, w2, h2;
        int expected;
    };
    const Case cases[] = {
        {0, 0, 8, 8, 6, 0, 8, 8, 0},
        {0, 0, 8, 8, 5, 0, 8, 8, 1},
        {0, 0, 8, 8, 0, -6, 8, 8, 0},
        {0, 0, 8, 8, 0, -5, 8, 8, 1},
        {100, 100, 56, 72, 140, 100, 72, 84, 1},
        {100, 100, 56, 72, 147, 100, 72, 84, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0},  // empty boxes never overlap
        {INT_MAX, INT_MAX, 64, 64, INT_MIN, INT_MIN, 64, 64, 0},
        {INT_MAX - 10, 0, 64, 64, INT_MAX - 20, 0, 64, 64, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Collision_Test(c.x1, c.y1, c.w1, c.h1, c.x2, c.y2, c.w2, c.h2))
            << c.x1 << "," << c.y1 << " " << c.w1 << "x" << c.h1 << " / " << c.x2 << "," << c.y2 << " " << c.w2
            << "x" << c.h2;
    }
}

// --- Colour scans -------------------------------------------------------------

// Screen-sized memory whose rows are wider than the screen, as a locked surface's are;
// the padding holds the colour being looked for, so reading it would show.
class ColourScan : public ::testing::Test {
protected:
    static constexpr int pitch = 656;

    void SetUp() override
    {
        ASSERT_EQ(640, screen_width);
        ASSERT_EQ(480, screen_height);
        for (int y = 0; y < 480; ++y) {
            std::memset(&memory[static_cast<size_t>(y) * pitch + 640], 29, pitch - 640);
        }
    }

    std::vector<uint8_t> memory = std::vector<uint8_t>(static_cast<size_t>(pitch) * 480, 0);
};

TEST_F(ColourScan, CornersAreClampedToTheScreenAndNotExchanged)
{
    struct Case {
        int x1, y1, x2, y2;
        int px, py;  // where the colour is
        int expected;
    };
    const Case cases[] = {
        {-5, 0, 700, 0, 639, 0, 1},    {-5, 0, 700, 0, 0, 0, 1},       {-5, 0, 700, 0, 5, 1, 0},
        {700, 10, 800, 10, 639, 10, 1}, {700, 10, 800, 10, 638, 10, 0},
        {50, 10, 40, 10, 45, 10, 0},    {50, 10, 40, 10, 50, 10, 0},
        {10, -84, 50, -32, 30, 0, 1},   {10, -84, 50, -32, 30, 1, 0},
        {0, 500, 10, 600, 5, 479, 1},   {10, 20, 50, 73, 50, 73, 1},    {10, 20, 50, 73, 51, 73, 0},
        {10, 20, 50, 73, 50, 74, 0},    {10, 20, 50, 73, 10, 20, 1},    {10, 20, 50, 73, 9, 20, 0},
        {10, 30, 50, 20, 30, 25, 0},
    };
    for (const Case& c : cases) {
        memory[static_cast<size_t>(c.py) * pitch + c.px] = 29;
        EXPECT_EQ(c.expected, Color_Scan(c.x1, c.y1, c.x2, c.y2, 29, 29, memory.data(), pitch))
            << "(" << c.x1 << "," << c.y1 << ")-(" << c.x2 << "," << c.y2 << ") colour at " << c.px << ","
            << c.py;
        memory[static_cast<size_t>(c.py) * pitch + c.px] = 0;
    }
}

TEST_F(ColourScan, EightBitScanTakesARangeSixteenBitOnlyItsTwoEnds)
{
    std::vector<uint16_t> memory16(static_cast<size_t>(pitch) * 480, 0);
    struct Case {
        int value;
        int start, end;
        int found8, found16;
    };
    const Case cases[] = {
        {15, 10, 20, 1, 0}, {10, 10, 20, 1, 1}, {20, 10, 20, 1, 1}, {9, 10, 20, 0, 0},
        {21, 10, 20, 0, 0}, {15, 20, 10, 0, 0}, {20, 20, 10, 0, 1}, {255, 200, 255, 1, 1},
    };
    for (const Case& c : cases) {
        memory[static_cast<size_t>(100) * pitch + 200] = static_cast<uint8_t>(c.value);
        memory16[static_cast<size_t>(100) * pitch + 200] = static_cast<uint16_t>(c.value);
        EXPECT_EQ(c.found8, Color_Scan(150, 50, 250, 150, static_cast<uint8_t>(c.start),
                                       static_cast<uint8_t>(c.end), memory.data(), pitch))
            << c.value << " in " << c.start << ".." << c.end;
        EXPECT_EQ(c.found16, Color_Scan16(150, 50, 250, 150, static_cast<uint16_t>(c.start),
                                          static_cast<uint16_t>(c.end),
                                          reinterpret_cast<uint8_t*>(memory16.data()), pitch * 2))
            << c.value << " against " << c.start << " and " << c.end;
    }
}

TEST_F(ColourScan, SixteenBitScanClampsAndSkipsThePadding)
{
    std::vector<uint16_t> memory16(static_cast<size_t>(pitch) * 480, 0);
    const uint16_t colour = 0xF800;
    for (int y = 0; y < 480; ++y) {
        memory16[static_cast<size_t>(y) * pitch + 640] = colour;
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(memory16.data());
    EXPECT_EQ(0, Color_Scan16(-10, -10, 1000, 1000, colour, colour, bytes, pitch * 2));
    memory16[static_cast<size_t>(479) * pitch + 639] = colour;
    EXPECT_EQ(1, Color_Scan16(700, 500, 800, 900, colour, 0x1234, bytes, pitch * 2));
    EXPECT_EQ(0, Color_Scan16(0, 0, 638, 479, colour, colour, bytes, pitch * 2));
}

TEST_F(ColourScan, NoMemoryFindsNothing)
{
    EXPECT_EQ(0, Color_Scan(0, 0, 10, 10, 0, 255, nullptr, pitch));
    EXPECT_EQ(0, Color_Scan16(0, 0, 10, 10, 0, 0, nullptr, pitch));
}

} // namespace
