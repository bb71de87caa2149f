// The game end to end, as a player drives it: key scripts in, the trace of the game's
// state out, on data written by the test (obstacles where each test wants them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/game_fixture.h"

namespace {

using reef_test::Box;
using reef_test::GameRun;
using reef_test::run_game;
using reef_test::TracePass;

constexpr long title = 35;
constexpr long instructions = 15;
constexpr long play = 20;
constexpr long game_over = 30;

// The keys that bring the game from the title into play at pass 2 (Space and Enter in one pass).
const std::string into_play = "1 SPACE down\n1 ENTER down\n2 SPACE up\n2 ENTER up\n";

std::string data_with(const std::string& name, const std::vector<Box>& obstacles)
{
    const std::string dir = "data_" + name;
    EXPECT_TRUE(reef_test::write_game_data(dir, obstacles));
    return dir;
}

// Key script lines holding `keys` down from pass `from` for `frames` passes.
std::string hold(long from, long frames, const std::vector<std::string>& keys)
{
    std::string script;
    for (const std::string& key : keys) {
        script += std::to_string(from) + " " + key + " down\n";
        script += std::to_string(from + frames) + " " + key + " up\n";
    }
    return script;
}

long at(const GameRun& run, long pass, const std::string& key)
{
    const TracePass& p = run.trace.at(static_cast<size_t>(pass - 1));
    const auto it = p.find(key);
    return it == p.end() ? -999999 : it->second;
}

TEST(GameFlow, TitleThenInstructionsThenPlay)
{
    const std::string data = data_with("flow", {});
    const GameRun run = run_game(data, "4 SPACE down\n5 SPACE up\n9 ENTER down\n10 ENTER up\n", "--frames 12", "flow");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    ASSERT_EQ(12u, run.trace.size());
    EXPECT_EQ(title, at(run, 3, "screen"));
    EXPECT_EQ(instructions, at(run, 4, "screen"));
    EXPECT_EQ(instructions, at(run, 8, "screen"));
    EXPECT_EQ(play, at(run, 9, "screen"));
    // The first play frame runs in the call that left the instructions.
    EXPECT_EQ(5, at(run, 9, "glow"));
    EXPECT_EQ(reef_test::fixture_palette()[29].g, at(run, 8, "glow"));
}

TEST(GameFlow, SpaceAndEnterTogetherReachPlayInOneCall)
{
    const std::string data = data_with("together", {});
    const GameRun run = run_game(data, into_play, "--frames 3", "together");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    EXPECT_EQ(play, at(run, 1, "screen"));
    EXPECT_EQ(5, at(run, 1, "glow"));
}

TEST(GameFlow, EscapeEndsTheProgramFromEveryScreenWithStatusZero)
{
    const std::string data = data_with("escape", {});
    struct Case {
        const char* name;
        std::string keys;
        long screen;
    };
    const Case cases[] = {
        {"title", "3 ESC down\n", title},
        {"instructions", "2 SPACE down\n3 SPACE up\n5 ESC down\n", instructions},
        {"play", into_play + "5 ESC down\n", play},
    };
    for (const Case& c : cases) {
        const GameRun run = run_game(data, c.keys, "--frames 1000", std::string("escape_") + c.name);
        EXPECT_EQ(0, run.exit_status) << c.name << run.errors;
        ASSERT_FALSE(run.trace.empty()) << c.name;
        // The destroy message posted in the Escape call is handled in the next pass,
        // whose quit message ends the loop one pass later.
        EXPECT_LE(run.trace.size(), 8u) << c.name;
        EXPECT_EQ(c.screen, run.trace.back().at("screen")) << c.name;
    }
}

TEST(GameFlow, MissingDataNeverCrashesAndNamesEachMissingFile)
{
    reef_test::make_folder("empty_data");
    const GameRun run = run_game("empty_data", into_play + "3 RIGHT down\n", "--frames 40", "empty");
    EXPECT_EQ(0, run.exit_status);
    EXPECT_EQ(40u, run.trace.size());
    EXPECT_NE(std::string::npos, run.errors.find("Graphics/OCEANBACK.BMP"));
    EXPECT_NE(std::string::npos, run.errors.find("Sounds/bd.mid"));
    EXPECT_EQ(40 * 2 - 2 * 2, at(run, 40, "diver.x"));
}

TEST(GameFlow, BadOptionsAreRefusedClearly)
{
    for (const char* arguments : {"--frames 0", "--frames x", "--shot 3", "--bogus", "--scale 0"}) {
        const std::string command = std::string(REEF_GAME_BINARY) + " --headless " + arguments + " 2>bad.err";
        const int status = std::system(command.c_str());
        EXPECT_EQ(2, WEXITSTATUS(status)) << arguments;
    }
    const GameRun bad_keys = run_game(data_with("badkeys", {}), "3 JUMP down\n", "--frames 5", "badkeys");
    EXPECT_EQ(2, bad_keys.exit_status);
    EXPECT_NE(std::string::npos, bad_keys.errors.find("JUMP"));
}

TEST(GameSteering, EachDirectionMovesTwoPixelsAFrameWithItsAnimation)
{
    const std::string data = data_with("steer", {});
    struct Case {
        std::vector<std::string> keys;
        int dx, dy;
        long animation;
    };
    // The first matching test wins: opposite keys do not cancel.
    const Case cases[] = {
        {{"RIGHT"}, 2, 0, 0},          {{"RIGHT", "UP"}, 2, -2, 1},  {{"UP"}, 0, -2, 2},
        {{"LEFT", "UP"}, -2, -2, 3},   {{"LEFT"}, -2, 0, 4},          {{"LEFT", "DOWN"}, -2, 2, 5},
        {{"DOWN"}, 0, 2, 6},           {{"RIGHT", "DOWN"}, 2, 2, 7},  {{"RIGHT", "LEFT"}, 2, 0, 0},
        {{"UP", "DOWN"}, 0, -2, 2},    {{"LEFT", "RIGHT", "DOWN"}, -2, 2, 5},
        {{"LEFT", "RIGHT", "UP", "DOWN"}, 2, -2, 1},
    };
    // Out to the middle first, then each case for ten frames.
    std::string keys = into_play + hold(2, 100, {"RIGHT"});
    long pass = 102;
    for (const Case& c : cases) {
        keys += hold(pass, 10, c.keys);
        pass += 10;
    }
    const GameRun run = run_game(data, keys, "--frames " + std::to_string(pass), "steer");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    EXPECT_EQ(200, at(run, 101, "diver.x"));
    EXPECT_EQ(128, at(run, 101, "diver.y"));
    pass = 102;
    for (const Case& c : cases) {
        const long before = pass - 1;
        const long after = pass + 9;
        EXPECT_EQ(10 * c.dx, at(run, after, "diver.x") - at(run, before, "diver.x")) << c.keys.size() << c.keys[0];
        EXPECT_EQ(10 * c.dy, at(run, after, "diver.y") - at(run, before, "diver.y")) << c.keys.size() << c.keys[0];
        EXPECT_EQ(c.animation, at(run, after, "diver.anim")) << c.keys.size() << c.keys[0];
        pass += 10;
    }
}

TEST(GameSteering, StillDiverNeitherMovesNorAnimates)
{
    const std::string data = data_with("still", {});
    const GameRun run = run_game(data, into_play + hold(2, 9, {"RIGHT"}), "--frames 40", "still");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    // Animation speed 4: the frame steps once every four moving frames (sequence 0 1 0 2).
    EXPECT_EQ(1, at(run, 5, "diver.frame"));
    EXPECT_EQ(0, at(run, 9, "diver.frame"));
    for (long pass = 12; pass <= 40; ++pass) {
        EXPECT_EQ(at(run, 11, "diver.x"), at(run, pass, "diver.x"));
        EXPECT_EQ(at(run, 11, "diver.frame"), at(run, pass, "diver.frame"));
    }
}

TEST(GameSteering, ScreenEdgesStopOneAxisSoTheDiverSlides)
{
    const std::string data = data_with("edges", {});
    // At x = 0: left is refused; left and down slides down the edge.
    std::string keys = into_play + hold(2, 5, {"LEFT"}) + hold(7, 5, {"LEFT", "DOWN"});
    // Up to the top edge (y 128 -> 0 in 64 frames), then up and right slides along it.
    keys += hold(12, 80, {"UP"}) + hold(92, 5, {"UP", "RIGHT"});
    // Far right: x stays at 584.
    keys += hold(97, 320, {"RIGHT"});
    const GameRun run = run_game(data, keys, "--frames 420", "edges");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    EXPECT_EQ(0, at(run, 6, "diver.x"));
    EXPECT_EQ(128, at(run, 6, "diver.y"));
    EXPECT_EQ(0, at(run, 11, "diver.x"));
    EXPECT_EQ(138, at(run, 11, "diver.y"));
    EXPECT_EQ(0, at(run, 91, "diver.y"));
    EXPECT_EQ(0, at(run, 96, "diver.y"));
    EXPECT_EQ(10, at(run, 96, "diver.x"));
    EXPECT_EQ(584, at(run, 416, "diver.x"));
}

TEST(GameSteering, ObstaclesStopTheDiverOnBothAxes)
{
    // A reef wall right of the diver's start; its inner rectangle (inset 16) meets it
    // at x 60. Nothing falls this far within the test.
    const std::string data = data_with("wall", {{100, 150, 140, 190}});
    const std::string keys = into_play + hold(2, 40, {"RIGHT"}) + hold(42, 10, {"RIGHT", "DOWN"}) +
                             hold(52, 10, {"DOWN"});
    const GameRun run = run_game(data, keys, "--frames 62", "wall");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    EXPECT_EQ(58, at(run, 41, "diver.x"));
    EXPECT_EQ(128, at(run, 41, "diver.y"));
    // Diagonally into the wall: both axes are undone, the diver does not slide.
    EXPECT_EQ(58, at(run, 51, "diver.x"));
    EXPECT_EQ(128, at(run, 51, "diver.y"));
    // Straight down along it is free.
    EXPECT_EQ(148, at(run, 61, "diver.y"));
}

// The falling sprites start at x = rand() % 600 from the standard library's unseeded
// generator: nuke barrels 583, 286, 177, oil barrels 115, 593, 535, bubble 586, token
// 492; the next respawns take 249, 421, ... Each test checks the positions it relies on.
void expect_start_positions(const GameRun& run)
{
    ASSERT_FALSE(run.trace.empty());
    EXPECT_EQ(177, at(run, 1, "nuke.2.x"));
    EXPECT_EQ(115, at(run, 1, "oil.0.x"));
    EXPECT_EQ(586, at(run, 1, "bubble.x"));
    EXPECT_EQ(492, at(run, 1, "token.x"));
}

// Passes where `key` changed, with the change.
std::vector<std::pair<long, long>> changes(const GameRun& run, const std::string& key, long first, long last)
{
    std::vector<std::pair<long, long>> found;
    for (long pass = first; pass <= last && pass <= static_cast<long>(run.trace.size()); ++pass) {
        const long delta = at(run, pass, key) - at(run, pass - 1, key);
        if (delta != 0) {
            found.emplace_back(pass, delta);
        }
    }
    return found;
}

TEST(GameRules, BarrelsReachingTheReefCostShield)
{
    // Reef under oil barrel 0 (inner columns 131..171) at row 300, under nuke barrel 2
    // (193..233) at row 350. Falling one pixel a frame from -20, their inner rectangles
    // (rows y+16..y+68) reach them in passes 252 and 302.
    const std::string data = data_with("costs", {{131, 300, 172, 310}, {193, 350, 234, 360}});
    const GameRun run = run_game(data, into_play, "--frames 320", "costs");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    expect_start_positions(run);
    const auto shield = changes(run, "shield", 2, 320);
    ASSERT_EQ(2u, shield.size());
    EXPECT_EQ(std::make_pair(252L, -1L), shield[0]);
    EXPECT_EQ(-20, at(run, 252, "oil.0.y"));
    EXPECT_EQ(std::make_pair(302L, -3L), shield[1]);
    EXPECT_EQ(-20, at(run, 302, "nuke.2.y"));
    EXPECT_EQ(0, at(run, 320, "score"));
}

TEST(GameRules, CaughtBarrelsScoreAndGoBackToTheTop)
{
    // Under oil barrel 0 and wait; then a little further, under nuke barrel 2.
    const std::string data = data_with("catch", {});
    const GameRun run = run_game(data, into_play + hold(2, 50, {"RIGHT"}) + hold(90, 20, {"RIGHT"}),
                                 "--frames 130", "catch");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    expect_start_positions(run);
    const auto score = changes(run, "score", 2, 130);
    ASSERT_EQ(2u, score.size());
    EXPECT_EQ(5, score[0].second);
    EXPECT_EQ(-20, at(run, score[0].first, "oil.0.y"));
    EXPECT_EQ(10, score[1].second);
    EXPECT_EQ(-20, at(run, score[1].first, "nuke.2.y"));
    EXPECT_EQ(9, at(run, 130, "shield"));
}

// Mean absolute level of the captured sound (16-bit stereo at 44,100 Hz) over
// [first, last) play frames of 30 ms.
double loudness(const std::string& wav, long first_frame, long last_frame)
{
    std::ifstream file(wav, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t header = 44;
    const long per_frame = 1323 * 2;  // samples of both channels in 30 ms
    double sum = 0;
    long count = 0;
    for (long i = first_frame * per_frame; i < last_frame * per_frame; ++i) {
        const size_t at_byte = header + static_cast<size_t>(i) * 2;
        if (at_byte + 1 >= bytes.size()) {
            break;
        }
        const int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[at_byte]) |
                                                    (static_cast<uint8_t>(bytes[at_byte + 1]) << 8));
        sum += std::abs(static_cast<int>(sample));
        ++count;
    }
    return count > 0 ? sum / count : -1;
}

TEST(GameRules, BubbleAddsTwoToTheShieldWithTheWhaleCall)
{
    // A reef along the bottom sends the bubble back up in pass 106, to x 249; the diver
    // swims down and right to meet it on its next fall (the barrels are far above).
    const std::string data = data_with("bubble", {{0, 470, 640, 480}});
    const GameRun run = run_game(data, into_play + hold(2, 115, {"RIGHT", "DOWN"}),
                                 "--frames 230 --audio bubble.wav", "bubble");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    expect_start_positions(run);
    EXPECT_EQ(249, at(run, 106, "bubble.x"));
    const auto shield = changes(run, "shield", 2, 230);
    ASSERT_EQ(1u, shield.size());
    const long caught = shield[0].first;
    EXPECT_EQ(2, shield[0].second);
    EXPECT_EQ(-20, at(run, caught, "bubble.y"));
    // Play frame n covers 30 ms of sound from (n - 1) x 30 ms; the songs here are silent.
    EXPECT_LT(loudness("bubble.wav", 0, caught - 1), 1.0);
    EXPECT_GT(loudness("bubble.wav", caught, caught + 10), 500.0);
}

TEST(GameRules, TokenSpeedsUpTheNextBarrel)
{
    const std::string data = data_with("token", {{0, 470, 640, 480}});
    const GameRun run = run_game(data, into_play + hold(2, 100, {"RIGHT", "DOWN"}) + hold(102, 100, {"RIGHT"}),
                                 "--frames 240", "token");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    expect_start_positions(run);
    EXPECT_EQ(421, at(run, 106, "token.x"));
    const auto ladder = changes(run, "speedtype", 2, 240);
    ASSERT_EQ(1u, ladder.size());
    const long caught = ladder[0].first;
    EXPECT_EQ(-20, at(run, caught, "token.y"));
    EXPECT_EQ(1, at(run, caught - 1, "oil.0.yv"));
    EXPECT_EQ(2, at(run, caught, "oil.0.yv"));
    EXPECT_EQ(1, at(run, caught, "oil.1.yv"));
}

TEST(GameRules, ShieldUsedUpEndsTheRoundAndEnterStartsTheNext)
{
    // Every barrel meets the reef at row 302 in pass 254; the diver has caught oil
    // barrel 0 first (score 5), so five barrels cost 3+3+3+1+1: the shield goes to -2.
    // (The token, four times faster, meets the reef in passes 64, 128, 192 and 256.)
    const std::string data = data_with("round", {{0, 302, 640, 312}});
    const std::string keys = into_play + hold(2, 50, {"RIGHT"}) + "270 ENTER down\n271 ENTER up\n";
    const GameRun run = run_game(data, keys, "--frames 275 --audio round.wav", "round");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    expect_start_positions(run);
    EXPECT_EQ(5, at(run, 253, "score"));
    EXPECT_EQ(0, at(run, 253, "high"));
    EXPECT_EQ(play, at(run, 253, "screen"));
    const long token_x = at(run, 253, "token.x");
    const long token_y = at(run, 253, "token.y");

    EXPECT_EQ(game_over, at(run, 254, "screen"));
    EXPECT_EQ(9, at(run, 254, "shield"));
    EXPECT_EQ(0, at(run, 254, "score"));
    EXPECT_EQ(5, at(run, 254, "high"));
    EXPECT_EQ(0, at(run, 254, "speedtype"));
    EXPECT_EQ(0, at(run, 254, "diver.x"));
    EXPECT_EQ(128, at(run, 254, "diver.y"));
    for (const char* group : {"nuke", "oil"}) {
        for (int i = 0; i < 3; ++i) {
            const std::string barrel = std::string(group) + "." + std::to_string(i);
            EXPECT_EQ(-20, at(run, 254, barrel + ".y")) << barrel;
            EXPECT_EQ(1, at(run, 254, barrel + ".yv")) << barrel;
        }
    }
    EXPECT_EQ(-20, at(run, 254, "bubble.y"));
    // The token is left where it was; it moved once more in the round's last frame.
    EXPECT_EQ(token_x, at(run, 254, "token.x"));
    EXPECT_EQ(token_y + 4, at(run, 254, "token.y"));

    // Sprites wait while the game-over picture shows; the songs are stopped there.
    EXPECT_EQ(game_over, at(run, 269, "screen"));
    EXPECT_EQ(-1, at(run, 260, "song"));
    EXPECT_EQ(at(run, 255, "nuke.0.y"), at(run, 269, "nuke.0.y"));
    EXPECT_EQ(play, at(run, 270, "screen"));
    EXPECT_EQ(-19, at(run, 270, "nuke.0.y"));
    // The round-end sound starts in the round's last frame.
    EXPECT_GT(loudness("round.wav", 253, 254), 500.0);
}

TEST(GameRules, LowShieldSwitchesToTheSecondSong)
{
    // Two nuke barrels reach the reef: 9 -> 6 in pass 252, 6 -> 3 in pass 302.
    const std::string data = data_with("songs", {{302, 300, 343, 310}, {193, 350, 234, 360}});
    const GameRun run = run_game(data, into_play, "--frames 310", "songs");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    EXPECT_EQ(0, at(run, 1, "song"));
    EXPECT_EQ(6, at(run, 252, "shield"));
    EXPECT_EQ(0, at(run, 301, "song"));
    EXPECT_EQ(3, at(run, 302, "shield"));
    EXPECT_EQ(0, at(run, 302, "song"));
    EXPECT_EQ(1, at(run, 303, "song"));
}

TEST(GameRules, EntryTwentyNineGlowsOnAHundredAndTwoFrameCycle)
{
    const std::string data = data_with("glow", {});
    const GameRun run = run_game(data, into_play, "--frames 250", "glow");
    ASSERT_EQ(0, run.exit_status) << run.errors;
    for (long pass = 1; pass <= 250; ++pass) {
        const long phase = pass % 102;
        const long expected = phase <= 51 ? 5 * phase : 5 * (102 - phase);
        EXPECT_EQ(expected, at(run, pass, "glow")) << pass;
    }
}

} // namespace
