// The game for real: the SDL2 backend in a window on a private X server, driven with
// xdotool like a player at the keyboard. It must reach play, the diver must move, and
// Escape must end the process with status 0. The data is the test's own, so the
// screens can be told apart by colour.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/game_fixture.h"

extern char** environ;

namespace {

using reef_test::Rgb;

std::string run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[256];
        while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
            output += chunk;
        }
        pclose(pipe);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) {
        output.pop_back();
    }
    return output;
}

bool xdotool(const std::string& arguments)
{
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

struct Screen {
    Display* display = XOpenDisplay(nullptr);
    ~Screen()
    {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    // The window's picture as 0xRRGGBB values (an empty vector if it cannot be read).
    std::vector<uint32_t> grab(Window window, int width, int height) const
    {
        std::vector<uint32_t> pixels;
        XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return pixels;
        }
        pixels.resize(static_cast<size_t>(width * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixels[static_cast<size_t>(y * width + x)] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
            }
        }
        XDestroyImage(image);
        return pixels;
    }
};

uint32_t packed(Rgb c)
{
    return (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
}

class GameOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, screen.display);
        ASSERT_TRUE(reef_test::write_game_data("xgame_data", {}));
        const char* argv[] = {REEF_GAME_BINARY, "--windowed", "--scale", "1", "--data", "xgame_data", nullptr};
        ASSERT_EQ(0, posix_spawn(&game, REEF_GAME_BINARY, nullptr, nullptr, const_cast<char**>(argv), environ));
        window_id = run("xdotool search --sync --name '^DirectInput Keyboard Demo$' | head -n 1");
        ASSERT_FALSE(window_id.empty());
        window = static_cast<Window>(std::stoul(window_id));
        ASSERT_TRUE(xdotool("windowfocus --sync " + window_id));
    }

    void TearDown() override
    {
        if (game > 0 && waitpid(game, nullptr, WNOHANG) == 0) {
            kill(game, SIGKILL);
            waitpid(game, nullptr, 0);
        }
    }

    // Waits (at most five seconds) until the window shows what `seen` looks for.
    template <typename Condition>
    bool wait_for(Condition seen)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            const std::vector<uint32_t> pixels = screen.grab(window, 640, 480);
            if (!pixels.empty() && seen(pixels)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool shows(uint32_t colour)
    {
        return wait_for([&](const std::vector<uint32_t>& p) { return p[240 * 640 + 320] == colour; });
    }

    // Leftmost column where the diver (facing right) shows.
    int diver_left(const std::vector<uint32_t>& pixels) const
    {
        const uint32_t diver = packed(reef_test::fixture_palette()[reef_test::fixture_diver]);
        for (int x = 0; x < 640; ++x) {
            for (int y = 0; y < 480; ++y) {
                if (pixels[static_cast<size_t>(y * 640 + x)] == diver) {
                    return x;
                }
            }
        }
        return -1;
    }

    Screen screen;
    pid_t game = 0;
    std::string window_id;
    Window window = 0;
};

TEST_F(GameOnX, ReachesPlayTheDiverSwimsAndEscapeQuits)
{
    const std::vector<Rgb> colours = reef_test::fixture_palette();
    ASSERT_TRUE(shows(packed(colours[reef_test::fixture_title])));

    ASSERT_TRUE(xdotool("keydown space"));
    EXPECT_TRUE(shows(packed(colours[reef_test::fixture_instructions])));
    ASSERT_TRUE(xdotool("keyup space"));
    ASSERT_TRUE(xdotool("keydown Return"));
    EXPECT_TRUE(shows(packed(colours[reef_test::fixture_water])));
    ASSERT_TRUE(xdotool("keyup Return"));

    int start = -1;
    ASSERT_TRUE(wait_for([&](const std::vector<uint32_t>& p) { return (start = diver_left(p)) >= 0; }));
    EXPECT_EQ(0, start);
    ASSERT_TRUE(xdotool("keydown Right"));
    EXPECT_TRUE(wait_for([&](const std::vector<uint32_t>& p) { return diver_left(p) >= start + 40; }));
    ASSERT_TRUE(xdotool("keyup Right"));

    ASSERT_TRUE(xdotool("keydown Escape"));
    int status = -1;
    for (int i = 0; i < 250 && waitpid(game, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    xdotool("keyup Escape");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    game = 0;
}

} // namespace
