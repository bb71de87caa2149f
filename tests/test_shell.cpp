// The shell's frame loop with hooks of the test's own: one message per pass, the quit
// path, paint and destroy handling, and the start-up failures.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/fault.h"
#include "platform/window.h"

namespace {

// What the hooks saw, in order: "init", "main", "shutdown".
std::vector<std::string> calls;
std::function<void(int)> on_main;  // called with the pass number
int passes = 0;
void* seen_parms = reinterpret_cast<void*>(1);
int seen_count = -1;

void reset_hooks()
{
    calls.clear();
    on_main = nullptr;
    passes = 0;
    platform::fault_clear();
    platform::window_reset();
}

int count(const std::string& what)
{
    int n = 0;
    for (const std::string& c : calls) {
        n += c == what ? 1 : 0;
    }
    return n;
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override { reset_hooks(); }
    void TearDown() override { reset_hooks(); }
};

TEST_F(Shell, PassesWithoutMessagesStillCallMain)
{
    on_main = [](int pass) {
        if (pass == 5) {
            platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
        }
    };
    EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, seen_parms);
    EXPECT_EQ(0, seen_count);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("init", calls.front());
    EXPECT_EQ("shutdown", calls.back());
    EXPECT_EQ(1, count("shutdown"));
    // Pass 6 takes the destroy message (and runs Main); pass 7 takes the quit and ends.
    EXPECT_EQ(6, count("main"));
}

TEST_F(Shell, MessagesAreWorkedOffOnePerPass)
{
    on_main = [](int pass) {
        if (pass == 1) {
            for (int i = 0; i < 4; ++i) {
                platform::message_post(main_window_handle, 0x400, 0, 0);
            }
            platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
        }
    };
    EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0));
    // Pass 1 handles the window's first paint; then four messages, the destroy and the quit.
    EXPECT_EQ(1 + 4 + 1, count("main"));
}

TEST_F(Shell, QuitMessageEndsTheLoopWithoutAnotherMain)
{
    on_main = [](int pass) {
        if (pass == 3) {
            platform::message_post_quit(0);
        }
    };
    EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0));
    EXPECT_EQ(3, count("main"));
    EXPECT_EQ("shutdown", calls.back());
}

TEST_F(Shell, EscapeHeldForSeveralFramesEndsAtTheFirstQuit)
{
    on_main = [](int pass) {
        if (pass >= 2) {
            platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
        }
    };
    EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0));
    EXPECT_EQ(1, count("shutdown"));
}

TEST_F(Shell, ClosingTheWindowEndsTheProgram)
{
    on_main = [](int pass) {
        if (pass == 2) {
            platform::message_post(main_window_handle, platform::MSG_CLOSE, 0, 0);
        }
    };
    EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0));
    EXPECT_EQ(1, count("shutdown"));
}

TEST_F(Shell, PaintIsAnsweredOnceAndDoesNotRepeat)
{
    platform::WindowClass window_class{"PAINTTEST", WindowProc, 0};
    ASSERT_TRUE(platform::window_register_class(window_class));
    platform::Window* window = platform::window_create("PAINTTEST", "t", 0, 0, 640, 480);
    ASSERT_NE(nullptr, window);
    platform::Message message{};
    ASSERT_TRUE(platform::message_peek(message));
    EXPECT_EQ(platform::MSG_PAINT, message.code);
    EXPECT_EQ(0, platform::message_dispatch(message));
    EXPECT_FALSE(platform::message_peek(message));
    EXPECT_EQ(0, WindowProc(window, platform::MSG_CREATE, 0, 0));
}

TEST_F(Shell, DestroyAsksToQuitWithCodeZero)
{
    platform::WindowClass window_class{"QUITTEST", WindowProc, 0};
    ASSERT_TRUE(platform::window_register_class(window_class));
    platform::Window* window = platform::window_create("QUITTEST", "t", 0, 0, 640, 480);
    EXPECT_EQ(0, WindowProc(window, platform::MSG_DESTROY, 0, 0));
    platform::Message message{};
    bool quit = false;
    while (platform::message_peek(message)) {
        if (message.code == platform::MSG_QUIT) {
            quit = true;
            EXPECT_EQ(0u, message.wparam);
        }
    }
    EXPECT_TRUE(quit);
}

TEST_F(Shell, FailingToRegisterOrCreateCallsNoHook)
{
    for (const char* step : {"window.register_class", "window.create"}) {
        reset_hooks();
        platform::fault_inject(step, 1);
        EXPECT_EQ(0, WinMain(platform::instance(), nullptr, nullptr, 0)) << step;
        EXPECT_TRUE(calls.empty()) << step;
    }
}

} // namespace

int Game_Init(void* parms, int num_parms)
{
    seen_parms = parms;
    seen_count = num_parms;
    calls.push_back("init");
    return 0;  // a failing init does not stop the loop
}

int Game_Main(void*, int)
{
    calls.push_back("main");
    ++passes;
    if (on_main) {
        on_main(passes);
    }
    if (passes > 1000) {
        platform::message_post_quit(0);
    }
    return 1;
}

int Game_Shutdown(void*, int)
{
    calls.push_back("shutdown");
    return 1;
}
