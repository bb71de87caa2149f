// The SDL2 backend's input for real, on a private X server: keys pressed in the window
// with xdotool reach keyboard_state and the virtual-key query, focus loss lets them go,
// mouse movement comes in picture pixels, and a virtual joystick reads back through
// the library with its range and dead zone.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "input/input.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

constexpr const char* window_title = "reef input xtest";

// Runs a command, returning its first line of output.
std::string run(const std::string& command)
{
    std::string line;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256] = {};
        if (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            line = buffer;
        }
        pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

bool xdotool(const std::string& arguments)
{
    return std::system(("xdotool " + arguments).c_str()) == 0;
}

// Pumps the window's messages until `done` holds; false if it never does (the X server
// and SDL deliver events asynchronously, so the tests wait for them rather than for time).
template <typename Condition>
bool pump_until(Condition done)
{
    const uint32_t give_up = SDL_GetTicks() + 5000;
    platform::Message message{};
    while (!done()) {
        if (SDL_GetTicks() > give_up) {
            return false;
        }
        while (platform::message_peek(message)) {
            platform::message_dispatch(message);
        }
        SDL_Delay(5);
    }
    return true;
}

// Pumps the window's messages for `ms`, for events that may or may not come.
void settle(int ms)
{
    const uint32_t until = SDL_GetTicks() + static_cast<uint32_t>(ms);
    pump_until([until] { return SDL_GetTicks() >= until; });
}

uint8_t key_after_read(int scan_code)
{
    DInput_Read_Keyboard();
    return keyboard_state[scan_code];
}

class SdlInput : public ::testing::Test {
protected:
    void start(int scale)
    {
        platform::platform_set_present_options(platform::PresentOptions{true, scale});
        ASSERT_TRUE(platform::platform_init("sdl"));
        ASSERT_STREQ("sdl", platform::platform_backend_name());
        platform::WindowClass window_class{"XTESTINPUT", WindowProc, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_instance = platform::instance();
        main_window_handle = platform::window_create("XTESTINPUT", window_title, 0, 0, 640, 480);
        ASSERT_NE(nullptr, main_window_handle);
        window_id = run(std::string("xdotool search --sync --name '^") + window_title + "$'");
        ASSERT_FALSE(window_id.empty());
        ASSERT_EQ(1, DInput_Init());
    }

    void focus_window()
    {
        ASSERT_TRUE(xdotool("windowfocus --sync " + window_id));
        ASSERT_TRUE(pump_until([] { return SDL_GetKeyboardFocus() != nullptr; }));
    }

    void TearDown() override
    {
        DInput_Release_Joystick();
        DInput_Release_Mouse();
        DInput_Release_Keyboard();
        DInput_Shutdown();
        joystick_found = 0;
        platform::window_reset();
        platform::platform_shutdown();
    }

    std::string window_id;
};

TEST_F(SdlInput, ArrowKeysAndEscapeFollowThePhysicalKeys)
{
    start(1);
    ASSERT_EQ(1, DInput_Init_Keyboard());
    focus_window();
    struct Case {
        const char* key;
        int scan_code;
    };
    const Case cases[] = {{"Up", 200}, {"Down", 208}, {"Left", 203}, {"Right", 205}, {"Escape", DIK_ESCAPE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(xdotool(std::string("keydown ") + c.key));
        EXPECT_TRUE(pump_until([&] { return key_after_read(c.scan_code) == 0x80; }));
        ASSERT_TRUE(xdotool(std::string("keyup ") + c.key));
        EXPECT_TRUE(pump_until([&] { return key_after_read(c.scan_code) == 0; }));
    }

    ASSERT_TRUE(xdotool("keydown Escape"));
    EXPECT_TRUE(pump_until([] { return platform::virtual_key_held(VK_ESCAPE); }));
    EXPECT_FALSE(platform::virtual_key_held(VK_SPACE));
    ASSERT_TRUE(xdotool("keyup Escape keydown space"));
    EXPECT_TRUE(pump_until([] { return !platform::virtual_key_held(VK_ESCAPE); }));
    EXPECT_TRUE(pump_until([] { return platform::virtual_key_held(VK_SPACE); }));
    ASSERT_TRUE(xdotool("keyup space keydown Return"));
    EXPECT_TRUE(pump_until([] { return platform::virtual_key_held(VK_RETURN); }));
    ASSERT_TRUE(xdotool("keyup Return"));
    EXPECT_TRUE(pump_until([] { return !platform::virtual_key_held(VK_RETURN); }));
}

TEST_F(SdlInput, AKeyHeldWhenFocusGoesElsewhereCountsAsReleased)
{
    start(1);
    ASSERT_EQ(1, DInput_Init_Keyboard());
    focus_window();
    ASSERT_TRUE(xdotool("keydown Left"));
    ASSERT_TRUE(pump_until([] { return key_after_read(DIK_LEFT) == 0x80; }));

    // Another window takes the focus while Left is still down.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, display);
    const ::Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XMapWindow(display, other);
    XSync(display, False);
    EXPECT_TRUE(xdotool("windowfocus --sync " + std::to_string(other)));
    EXPECT_TRUE(pump_until([] { return key_after_read(DIK_LEFT) == 0; }));
    EXPECT_FALSE(platform::virtual_key_held(37));

    xdotool("keyup Left");
    XDestroyWindow(display, other);
    XCloseDisplay(display);
}

TEST_F(SdlInput, MouseMovesInPicturePixelsOfAScaledWindow)
{
    start(2);  // a 1280 x 960 window: two window pixels per picture pixel
    ASSERT_EQ(1, DInput_Init_Mouse());
    focus_window();
    ASSERT_TRUE(xdotool("mousemove --window " + window_id + " 200 200"));
    settle(300);  // let the first move in arrive, and forget it
    ASSERT_EQ(1, DInput_Read_Mouse());

    ASSERT_TRUE(xdotool("mousemove_relative --sync 40 -20"));
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_TRUE(pump_until([&] {
        DInput_Read_Mouse();
        x += mouse_state.x;
        y += mouse_state.y;
        return x == 20 && y == -10;
    })) << x << "," << y;

    ASSERT_TRUE(xdotool("mousedown 1"));
    EXPECT_TRUE(pump_until([] { return DInput_Read_Mouse() == 1 && mouse_state.buttons[0] == 0x80; }));
    ASSERT_TRUE(xdotool("mouseup 1"));
    EXPECT_TRUE(pump_until([] { return DInput_Read_Mouse() == 1 && mouse_state.buttons[0] == 0; }));
}

TEST_F(SdlInput, AVirtualJoystickReadsBackWithRangeAndDeadZone)
{
    start(1);
    if (SDL_NumJoysticks() > 0) {
        GTEST_SKIP() << "a real controller is attached; it would be the first one";
    }
    const std::string long_name = "Reef Virtual Pad " + std::string(90, 'x');
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 2;
    desc.nbuttons = 4;
    desc.nhats = 1;
    desc.name = long_name.c_str();
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    ASSERT_NE(nullptr, stick);

    ASSERT_EQ(1, DInput_Init_Joystick(-1000, 1000, -1000, 1000, 10));
    EXPECT_EQ(1, joystick_found);
    EXPECT_EQ(long_name.substr(0, 79), std::string(joyname));

    SDL_JoystickSetVirtualAxis(stick, 0, 16384);
    SDL_JoystickSetVirtualAxis(stick, 1, -3000);  // inside the 10 % dead zone
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHTDOWN);
    SDL_JoystickSetVirtualButton(stick, 2, SDL_PRESSED);
    ASSERT_EQ(1, DInput_Read_Joystick());
    EXPECT_EQ(444, joy_state.x);
    EXPECT_EQ(0, joy_state.y);
    EXPECT_EQ(13500, joy_state.pov[0]);
    EXPECT_EQ(-1, joy_state.pov[1]);
    EXPECT_EQ(0, joy_state.buttons[0]);
    EXPECT_EQ(0x80, joy_state.buttons[2]);

    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_CENTERED);
    ASSERT_EQ(1, DInput_Read_Joystick());
    EXPECT_EQ(1000, joy_state.y);
    EXPECT_EQ(-1, joy_state.pov[0]);

    // Unplugged: reads fail and the record keeps its last contents.
    const DIJOYSTATE before = joy_state;
    SDL_JoystickClose(stick);
    ASSERT_EQ(0, SDL_JoystickDetachVirtual(index));
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_EQ(before.y, joy_state.y);
}

} // namespace

int Game_Init(void*, int) { return 1; }
int Game_Main(void*, int) { return 1; }
int Game_Shutdown(void*, int) { return 1; }
