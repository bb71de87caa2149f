// Play rules checked inside the game itself: the game runs in this process on fixture
// data, and the test arranges sprites between frames.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <string>

#include "app/game.h"
#include "app/shell.h"
#include "platform/fault.h"
#include "platform/headless/headless_input.h"
#include "platform/window.h"
#include "tests/support/game_fixture.h"

namespace {

class GameInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, getcwd(home, sizeof home));
        ASSERT_TRUE(reef_test::write_game_data("rules_data", {}));
        ASSERT_EQ(0, chdir("rules_data"));
        platform::fault_clear();
        platform::headless::reset_input();
        platform::window_reset();
        platform::WindowClass window_class{"WINCLASS1", WindowProc, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_window_handle = platform::window_create("WINCLASS1", "rules", 0, 0, 640, 480);
        ASSERT_NE(nullptr, main_window_handle);
        ASSERT_EQ(1, Game_Init(nullptr, 0));
        screenstate = SCREEN_PLAY;
    }
    void TearDown() override
    {
        Game_Shutdown(nullptr, 0);
        platform::window_reset();
        ASSERT_EQ(0, chdir(home));
    }
    char home[PATH_MAX] = {};
};

TEST_F(GameInProcess, TokenLadderSpeedsUpOilThenNukeBarrelsAndStopsAtTheLastRung)
{
    struct Rung {
        BOB_TYP* barrel;
        int speedtype_after;
    };
    const Rung ladder[] = {
        {&oilbarrels[0], 1},  {&oilbarrels[1], 2},  {&oilbarrels[2], 3}, {&nukebarrels[0], 4},
        {&nukebarrels[1], 5}, {&nukebarrels[2], 5}, {&nukebarrels[2], 5},
    };
    for (const Rung& rung : ladder) {
        // The token falls four pixels before it is tested: still on the diver.
        Set_Pos_BOB(&getall, static_cast<int>(swimguy.x), static_cast<int>(swimguy.y));
        rung.barrel->yv = 1;
        Game_Main(nullptr, 0);
        EXPECT_EQ(rung.speedtype_after, speedtype);
        EXPECT_EQ(2.0f, rung.barrel->yv);
        EXPECT_EQ(-20.0f, getall.y);
    }
    // A round end puts every barrel back to the normal speed.
    LifeSheild = 0;
    Game_Main(nullptr, 0);
    EXPECT_EQ(SCREEN_GAME_OVER, screenstate);
    EXPECT_EQ(0, speedtype);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(1.0f, oilbarrels[i].yv);
        EXPECT_EQ(1.0f, nukebarrels[i].yv);
    }
}

TEST_F(GameInProcess, ClonedBarrelsShareFramesAndTheDiverHasAllItsFrames)
{
    EXPECT_EQ(32, swimguy.num_frames);
    EXPECT_EQ(BOB_VISIBLE | BOB_MULTI_ANIM | BOB_LOADED, swimguy.attr);
    EXPECT_EQ(0.0f, swimguy.x);
    EXPECT_EQ(128.0f, swimguy.y);
    EXPECT_EQ(4, swimguy.anim_speed);
    for (int k = 0; k < 8; ++k) {
        ASSERT_NE(nullptr, swimguy.anim_seqs[k]);
        EXPECT_EQ(4 * k + 1, swimguy.anim_seqs[k][1]);
        EXPECT_EQ(-1, swimguy.anim_seqs[k][4]);
    }
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(nukebarrels[0].frames[0], nukebarrels[i].frames[0]);
        EXPECT_NE(0, nukebarrels[i].attr & BOB_CLONE);
        EXPECT_EQ(oilbarrels[0].frames[2], oilbarrels[i].frames[2]);
    }
    EXPECT_EQ(4, nukebarrels[0].num_frames);
    EXPECT_EQ(1, nukebarrels[0].anim_speed);
    EXPECT_EQ(15, getall.anim_speed);
    EXPECT_EQ(4.0f, bubbleup.yv);
}

} // namespace
