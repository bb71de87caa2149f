// The input library over the headless backend, whose keys, mouse and game controllers
// the tests set: reads and their failure paths, each opener's steps failing, the
// joystick's range and dead zone, the key table and the virtual-key query.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "input/input.h"
#include "platform/fault.h"
#include "platform/headless/headless_input.h"
#include "platform/input.h"
#include "platform/input_backend.h"
#include "platform/window.h"

namespace {

namespace headless = platform::headless;

int32_t test_window_procedure(platform::Window* window, uint32_t code, uint32_t wparam, int32_t lparam)
{
    return platform::window_default_procedure(window, code, wparam, lparam);
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        headless::reset_input();
        platform::window_reset();
        platform::WindowClass window_class{"INPUTTEST", test_window_procedure, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_window_handle = platform::window_create("INPUTTEST", "input test", 0, 0, 640, 480);
        ASSERT_NE(nullptr, main_window_handle);
        main_instance = platform::instance();
    }

    void TearDown() override
    {
        DInput_Release_Joystick();
        DInput_Release_Mouse();
        DInput_Release_Keyboard();
        DInput_Shutdown();
        std::memset(keyboard_state, 0, sizeof keyboard_state);
        mouse_state = DIMOUSESTATE{};
        joy_state = DIJOYSTATE{};
        joystick_found = 0;
        joystickGUID = GUID{};
        std::memset(joyname, 0, sizeof joyname);
        platform::fault_clear();
        headless::reset_input();
        platform::window_reset();
    }

    // A pad with two axes, a hat and twelve buttons, attached before the library looks.
    int attach_pad(const char* name = "Test Pad")
    {
        return headless::attach_joystick(name, 2, 1, 12);
    }
};

bool all_bytes(const void* record, size_t size, uint8_t value)
{
    const auto* bytes = static_cast<const uint8_t*>(record);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != value) {
            return false;
        }
    }
    return true;
}

// --- Keyboard -------------------------------------------------------------------

TEST_F(InputTest, KeyboardFollowsHeldKeysAtEachRead)
{
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Keyboard());
    headless::press_key(DIK_UP);
    headless::press_key(DIK_LEFT);
    ASSERT_EQ(1, DInput_Read_Keyboard());
    EXPECT_EQ(0x80, keyboard_state[200]);
    EXPECT_EQ(0x80, keyboard_state[203]);
    EXPECT_EQ(0, keyboard_state[DIK_RIGHT]);
    EXPECT_EQ(0, keyboard_state[DIK_DOWN]);

    // A key pressed and let go between two reads is not seen; state is levels.
    headless::release_key(DIK_UP);
    headless::press_key(DIK_SPACE);
    headless::release_key(DIK_SPACE);
    ASSERT_EQ(1, DInput_Read_Keyboard());
    EXPECT_EQ(0, keyboard_state[DIK_UP]);
    EXPECT_EQ(0, keyboard_state[DIK_SPACE]);
    EXPECT_EQ(0x80, keyboard_state[DIK_LEFT]);
}

TEST_F(InputTest, ReadingADeviceNeverOpenedClearsItsRecordAndFails)
{
    std::memset(keyboard_state, 0xAA, sizeof keyboard_state);
    std::memset(&mouse_state, 0xAA, sizeof mouse_state);
    headless::press_key(DIK_UP);
    EXPECT_EQ(0, DInput_Read_Keyboard());
    EXPECT_EQ(0, DInput_Read_Mouse());
    EXPECT_TRUE(all_bytes(keyboard_state, sizeof keyboard_state, 0));
    EXPECT_TRUE(all_bytes(&mouse_state, sizeof mouse_state, 0));

    // The same after the service exists but the device does not.
    ASSERT_EQ(1, DInput_Init());
    keyboard_state[DIK_UP] = 0x80;
    EXPECT_EQ(0, DInput_Read_Keyboard());
    EXPECT_EQ(0, keyboard_state[DIK_UP]);
}

TEST_F(InputTest, AFailingReadKeepsTheLastGoodState)
{
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Keyboard());
    ASSERT_EQ(1, DInput_Init_Mouse());
    headless::press_key(DIK_DOWN);
    headless::set_mouse_button(0, true);
    ASSERT_EQ(1, DInput_Read_Keyboard());
    ASSERT_EQ(1, DInput_Read_Mouse());

    headless::release_key(DIK_DOWN);
    headless::set_mouse_button(0, false);
    headless::move_mouse(5, 5);
    platform::fault_inject("keyboard.read", 1);
    platform::fault_inject("mouse.read", 1);
    EXPECT_EQ(0, DInput_Read_Keyboard());
    EXPECT_EQ(0, DInput_Read_Mouse());
    EXPECT_EQ(0x80, keyboard_state[DIK_DOWN]);
    EXPECT_EQ(0x80, mouse_state.buttons[0]);
    EXPECT_EQ(0, mouse_state.x);

    // The next good read catches up, the movement included.
    EXPECT_EQ(1, DInput_Read_Keyboard());
    EXPECT_EQ(1, DInput_Read_Mouse());
    EXPECT_EQ(0, keyboard_state[DIK_DOWN]);
    EXPECT_EQ(0, mouse_state.buttons[0]);
    EXPECT_EQ(5, mouse_state.x);
}

TEST_F(InputTest, LosingFocusReleasesEveryKeyAndButton)
{
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Keyboard());
    ASSERT_EQ(1, DInput_Init_Mouse());
    headless::press_key(DIK_RIGHT);
    headless::press_key(DIK_ESCAPE);
    headless::set_mouse_button(1, true);
    ASSERT_TRUE(platform::virtual_key_held(VK_ESCAPE));
    headless::lose_focus();
    EXPECT_FALSE(platform::virtual_key_held(VK_ESCAPE));
    ASSERT_EQ(1, DInput_Read_Keyboard());
    ASSERT_EQ(1, DInput_Read_Mouse());
    EXPECT_TRUE(all_bytes(keyboard_state, sizeof keyboard_state, 0));
    EXPECT_EQ(0, mouse_state.buttons[1]);
}

// --- Openers and their failures ---------------------------------------------------

TEST_F(InputTest, TheServiceNeedsTheInstanceAndCanFail)
{
    main_instance = nullptr;
    EXPECT_EQ(0, DInput_Init());
    EXPECT_EQ(nullptr, lpdi);
    main_instance = platform::instance();
    platform::fault_inject("input.create", 1);
    EXPECT_EQ(0, DInput_Init());
    EXPECT_EQ(0, DInput_Init_Keyboard());
    EXPECT_EQ(0, DInput_Init_Mouse());
    EXPECT_EQ(0, DInput_Init_Joystick(-10, 10, -10, 10, 0));
    EXPECT_EQ(1, DInput_Init());
}

TEST_F(InputTest, EachOpenerStepThatFailsMakesTheOpenerReturnZero)
{
    struct Case {
        const char* fault;
        int (*open)();
        platform::InputDevice** device;
        bool device_kept;  // a step after creation failed: the device stays for its release
    };
    const auto joystick = [] { return DInput_Init_Joystick(-100, 100, -100, 100, 5); };
    const Case cases[] = {
        {"keyboard.create", DInput_Init_Keyboard, &lpdikey, false},
        {"keyboard.cooperative_level", DInput_Init_Keyboard, &lpdikey, true},
        {"keyboard.data_format", DInput_Init_Keyboard, &lpdikey, true},
        {"keyboard.acquire", DInput_Init_Keyboard, &lpdikey, true},
        {"mouse.create", DInput_Init_Mouse, &lpdimouse, false},
        {"mouse.cooperative_level", DInput_Init_Mouse, &lpdimouse, true},
        {"mouse.data_format", DInput_Init_Mouse, &lpdimouse, true},
        {"mouse.acquire", DInput_Init_Mouse, &lpdimouse, true},
        {"joystick.create", joystick, &lpdijoy, false},
        {"joystick.cooperative_level", joystick, &lpdijoy, true},
        {"joystick.data_format", joystick, &lpdijoy, true},
        {"joystick.acquire", joystick, &lpdijoy, true},
    };
    attach_pad();
    ASSERT_EQ(1, DInput_Init());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        joystick_found = 0;
        platform::fault_inject(c.fault, 1);
        EXPECT_EQ(0, c.open());
        EXPECT_EQ(c.device_kept, *c.device != nullptr);
        EXPECT_EQ(0, joystick_found);
        // A device that never finished opening is not readable.
        if (c.device == &lpdikey) {
            keyboard_state[DIK_UP] = 0x80;
            headless::press_key(DIK_DOWN);
            EXPECT_EQ(0, DInput_Read_Keyboard());
            EXPECT_EQ(c.device_kept ? 0x80 : 0, keyboard_state[DIK_UP]);
            headless::release_key(DIK_DOWN);
        }
        // Opening again works, and the half-opened device is not lost on the way.
        EXPECT_EQ(1, c.open());
        EXPECT_NE(nullptr, *c.device);
    }
    EXPECT_EQ(1, joystick_found);
}

TEST_F(InputTest, ReleasesOfDevicesNeverOpenedDoNothing)
{
    DInput_Release_Keyboard();
    DInput_Release_Mouse();
    DInput_Release_Joystick();
    DInput_Shutdown();
    EXPECT_EQ(nullptr, lpdikey);
    EXPECT_EQ(nullptr, lpdimouse);
    EXPECT_EQ(nullptr, lpdijoy);
    EXPECT_EQ(nullptr, lpdi);

    // Released devices are forgotten, so a second release or a read is harmless.
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Keyboard());
    DInput_Release_Keyboard();
    DInput_Release_Keyboard();
    EXPECT_EQ(0, DInput_Read_Keyboard());
}

TEST_F(InputTest, DevicesOutliveAServiceShutDownFirst)
{
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Keyboard());
    DInput_Shutdown();
    headless::press_key(DIK_LEFT);
    EXPECT_EQ(1, DInput_Read_Keyboard());
    EXPECT_EQ(0x80, keyboard_state[DIK_LEFT]);
    DInput_Release_Keyboard();
    EXPECT_EQ(0, DInput_Init_Keyboard());
}

// --- Mouse ----------------------------------------------------------------------

TEST_F(InputTest, MouseReportsMovementSinceThePreviousRead)
{
    headless::move_mouse(100, 100);  // before the mouse was opened: not reported
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Mouse());
    headless::move_mouse(3, -4);
    headless::move_mouse(2, 1);
    headless::turn_wheel(-2);
    headless::set_mouse_button(0, true);
    headless::set_mouse_button(3, true);
    ASSERT_EQ(1, DInput_Read_Mouse());
    EXPECT_EQ(5, mouse_state.x);
    EXPECT_EQ(-3, mouse_state.y);
    EXPECT_EQ(-240, mouse_state.z);
    EXPECT_EQ(0x80, mouse_state.buttons[0]);
    EXPECT_EQ(0, mouse_state.buttons[1]);
    EXPECT_EQ(0, mouse_state.buttons[2]);
    EXPECT_EQ(0x80, mouse_state.buttons[3]);

    ASSERT_EQ(1, DInput_Read_Mouse());
    EXPECT_EQ(0, mouse_state.x);
    EXPECT_EQ(0, mouse_state.y);
    EXPECT_EQ(0, mouse_state.z);
    EXPECT_EQ(0x80, mouse_state.buttons[0]);
}

// --- Joystick -------------------------------------------------------------------

TEST_F(InputTest, WithNoControllerTheJoystickIsNotFoundAndNeverRead)
{
    ASSERT_EQ(1, DInput_Init());
    EXPECT_EQ(0, DInput_Init_Joystick(-1000, 1000, -1000, 1000, 10));
    EXPECT_EQ(0, joystick_found);
    EXPECT_EQ(nullptr, lpdijoy);
    EXPECT_TRUE(all_bytes(&joystickGUID, sizeof joystickGUID, 0));
    std::memset(&joy_state, 0x5A, sizeof joy_state);
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_TRUE(all_bytes(&joy_state, sizeof joy_state, 0x5A));
}

TEST_F(InputTest, TheFirstControllerReadsWithinItsRangeAndDeadZone)
{
    const int pad = attach_pad("First Pad");
    headless::attach_joystick("Second Pad", 2, 0, 4);
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Joystick(-1000, 1000, 0, 255, 10));
    EXPECT_EQ(1, joystick_found);
    EXPECT_STREQ("First Pad", joyname);
    EXPECT_FALSE(all_bytes(&joystickGUID, sizeof joystickGUID, 0));

    headless::set_joystick_axis(pad, 0, 32767);
    headless::set_joystick_axis(pad, 1, -32768);
    headless::set_joystick_hat(pad, 0, 9000);
    headless::set_joystick_button(pad, 0, true);
    headless::set_joystick_button(pad, 11, true);
    ASSERT_EQ(1, DInput_Read_Joystick());
    EXPECT_EQ(1000, joy_state.x);
    EXPECT_EQ(0, joy_state.y);
    EXPECT_EQ(0, joy_state.z);  // absent axes read 0
    EXPECT_EQ(9000, joy_state.pov[0]);
    EXPECT_EQ(-1, joy_state.pov[1]);
    EXPECT_EQ(0x80, joy_state.buttons[0]);
    EXPECT_EQ(0, joy_state.buttons[1]);
    EXPECT_EQ(0x80, joy_state.buttons[11]);

    headless::set_joystick_axis(pad, 1, 32767);
    headless::set_joystick_hat(pad, 0, -1);
    ASSERT_EQ(1, DInput_Read_Joystick());
    EXPECT_EQ(255, joy_state.y);
    EXPECT_EQ(-1, joy_state.pov[0]);
}

TEST_F(InputTest, DeadZoneIsAPercentOfTheAxisAroundItsCentre)
{
    struct Case {
        int min, max, dead_zone, raw, expected;
    };
    const Case cases[] = {
        {-1000, 1000, 10, 0, 0},
        {-1000, 1000, 10, 3276, 0},        // just inside 10 %: 1000 of 10000
        {-1000, 1000, 10, -3276, 0},
        {-1000, 1000, 10, 6554, 111},      // 20 % out: the live part starts at the dead zone's edge
        {-1000, 1000, 10, 16384, 444},
        {-1000, 1000, 10, -16384, -444},
        {-1000, 1000, 10, 32767, 1000},
        {-1000, 1000, 10, -32768, -1000},
        {-1000, 1000, 0, 3276, 100},       // no dead zone
        {-1000, 1000, 100, 32767, 0},      // all dead
        {-1000, 1000, -5, 3276, 100},      // out of 0..100: refused, no dead zone
        {-1000, 1000, 150, 3276, 100},
        {0, 255, 0, 0, 128},               // the centre of an even span rounds up
        {100, -100, 0, 32767, -100},       // min above max reverses the axis
        {-2147483647 - 1, 2147483647, 0, 32767, 2147483647},
    };
    const int pad = attach_pad();
    ASSERT_EQ(1, DInput_Init());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " dead " << c.dead_zone << " raw " << c.raw);
        DInput_Release_Joystick();
        ASSERT_EQ(1, DInput_Init_Joystick(c.min, c.max, c.min, c.max, c.dead_zone));
        headless::set_joystick_axis(pad, 0, c.raw);
        headless::set_joystick_axis(pad, 1, c.raw);
        ASSERT_EQ(1, DInput_Read_Joystick());
        EXPECT_EQ(c.expected, joy_state.x);
        EXPECT_EQ(c.expected, joy_state.y);
    }
}

TEST_F(InputTest, RefusedRangeAndDeadZoneStillOpenTheController)
{
    const int pad = attach_pad();
    ASSERT_EQ(1, DInput_Init());
    platform::fault_inject("joystick.range", 2);
    platform::fault_inject("joystick.dead_zone", 2);
    ASSERT_EQ(1, DInput_Init_Joystick(-1000, 1000, -1000, 1000, 10));
    headless::set_joystick_axis(pad, 0, 32767);
    ASSERT_EQ(1, DInput_Read_Joystick());
    EXPECT_EQ(65535, joy_state.x);  // the range it had
}

TEST_F(InputTest, AControllerThatFailsItsPollOrReadKeepsItsLastState)
{
    const int pad = attach_pad();
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Joystick(-10, 10, -10, 10, 0));
    headless::set_joystick_button(pad, 2, true);
    ASSERT_EQ(1, DInput_Read_Joystick());
    const DIJOYSTATE before = joy_state;
    headless::set_joystick_button(pad, 2, false);
    headless::set_joystick_axis(pad, 0, 32767);

    platform::fault_inject("joystick.poll", 1);
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_EQ(0, std::memcmp(&before, &joy_state, sizeof joy_state));
    platform::fault_inject("joystick.read", 1);
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_EQ(0, std::memcmp(&before, &joy_state, sizeof joy_state));

    // Unplugged, it keeps failing, even when a controller is plugged in again.
    headless::detach_joystick(pad);
    EXPECT_EQ(0, DInput_Read_Joystick());
    attach_pad();
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_EQ(0, std::memcmp(&before, &joy_state, sizeof joy_state));
}

TEST_F(InputTest, AReleasedControllerThatWasFoundReadsAsCleared)
{
    attach_pad();
    ASSERT_EQ(1, DInput_Init());
    ASSERT_EQ(1, DInput_Init_Joystick(-10, 10, -10, 10, 0));
    DInput_Release_Joystick();
    std::memset(&joy_state, 0x5A, sizeof joy_state);
    EXPECT_EQ(0, DInput_Read_Joystick());
    EXPECT_TRUE(all_bytes(&joy_state, sizeof joy_state, 0));
}

TEST_F(InputTest, ControllerNamesAreCutWithoutSplittingACharacter)
{
    struct Case {
        std::string name;
        std::string expected;
    };
    const std::string long_ascii(100, 'x');
    // "é" is two bytes; placed at bytes 78-79 it would be split by a plain cut at 79.
    const std::string straddling = std::string(78, 'y') + "\xC3\xA9" + "tail";
    const Case cases[] = {
        {"Pad", "Pad"},
        {long_ascii, std::string(79, 'x')},
        {std::string(79, 'z'), std::string(79, 'z')},
        {straddling, std::string(78, 'y')},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::memset(joyname, '#', sizeof joyname);
        GUID guid{};
        const DIDEVICEINSTANCEA reported{platform::DeviceGuid{{3, 0, 0, 0, 7}}, c.name.c_str()};
        EXPECT_EQ(DIENUM_STOP, DInput_Enum_Joysticks(&reported, &guid));
        EXPECT_EQ(c.expected, std::string(joyname));
        EXPECT_EQ(7, guid.bytes[4]);
    }
    // Nothing reported, nowhere to put the identifier: harmless.
    EXPECT_EQ(DIENUM_STOP, DInput_Enum_Joysticks(nullptr, &joystickGUID));
    const DIDEVICEINSTANCEA reported{platform::DeviceGuid{{3}}, "Pad"};
    EXPECT_EQ(DIENUM_STOP, DInput_Enum_Joysticks(&reported, nullptr));
    EXPECT_STREQ("Pad", joyname);
}

// --- Keys -----------------------------------------------------------------------

TEST(KeyTable, CoversA105KeyKeyboardOnceEach)
{
    int count = 0;
    const platform::KeyInfo* keys = platform::key_table(count);
    std::set<int> scan_codes;
    std::set<int> usages;
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
        scan_codes.insert(keys[i].scan_code);
        EXPECT_TRUE(usages.insert(keys[i].usb_usage).second) << keys[i].name;
        EXPECT_TRUE(names.insert(keys[i].name).second) << keys[i].name;
        EXPECT_EQ(keys[i].scan_code, platform::key_from_usb_usage(keys[i].usb_usage)) << keys[i].name;
        EXPECT_EQ(keys[i].scan_code, platform::key_from_name(keys[i].name)) << keys[i].name;
        EXPECT_NE(0, keys[i].scan_code);
    }
    EXPECT_EQ(105u, scan_codes.size());
}

TEST(KeyTable, NamesAndUsagesGiveTheLibrarysScanCodes)
{
    struct Case {
        const char* name;
        int usb_usage;
        int scan_code;
    };
    const Case cases[] = {
        {"ESC", 41, DIK_ESCAPE},   {"SPACE", 44, DIK_SPACE},       {"ENTER", 40, DIK_RETURN},
        {"UP", 82, 200},           {"LEFT", 80, 203},              {"RIGHT", 79, 205},
        {"DOWN", 81, 208},         {"KP_ENTER", 88, DIK_NUMPADENTER}, {"RCTRL", 228, DIK_RCONTROL},
        {"RALT", 230, DIK_RMENU},  {"KP_DIVIDE", 84, DIK_DIVIDE},  {"OEM_102", 100, DIK_OEM_102},
        {"PAUSE", 72, DIK_PAUSE},  {"A", 4, DIK_A},                {"F12", 69, DIK_F12},
        {"KP0", 98, DIK_NUMPAD0},  {"PAGEDOWN", 78, DIK_NEXT},     {"MENU", 101, DIK_APPS},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.scan_code, platform::key_from_name(c.name)) << c.name;
        EXPECT_EQ(c.scan_code, platform::key_from_usb_usage(c.usb_usage)) << c.name;
        EXPECT_EQ(c.scan_code, headless::key_code(c.name)) << c.name;
    }
    EXPECT_EQ(DIK_ESCAPE, headless::key_code("esc"));
    EXPECT_EQ(DIK_RETURN, headless::key_code("Enter"));
    EXPECT_EQ(0, headless::key_code("FOO"));
    EXPECT_EQ(0, headless::key_code(""));
    EXPECT_EQ(0, headless::key_code(nullptr));
    EXPECT_EQ(0, platform::key_from_usb_usage(0));
    EXPECT_EQ(0, platform::key_from_usb_usage(511));
}

TEST_F(InputTest, VirtualKeysFollowTheSameKeyState)
{
    struct Case {
        int virtual_key;
        int scan_code;
    };
    const Case cases[] = {
        {VK_ESCAPE, DIK_ESCAPE}, {VK_SPACE, DIK_SPACE},   {VK_RETURN, DIK_RETURN}, {VK_RETURN, DIK_NUMPADENTER},
        {37, DIK_LEFT},          {38, DIK_UP},            {39, DIK_RIGHT},         {40, DIK_DOWN},
        {16, DIK_LSHIFT},        {16, DIK_RSHIFT},        {17, DIK_RCONTROL},      {'A', DIK_A},
        {'0', DIK_0},            {112, DIK_F1},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(platform::virtual_key_held(c.virtual_key)) << c.virtual_key;
        headless::press_key(c.scan_code);
        EXPECT_TRUE(platform::virtual_key_held(c.virtual_key)) << c.virtual_key;
        headless::release_key(c.scan_code);
        EXPECT_FALSE(platform::virtual_key_held(c.virtual_key)) << c.virtual_key;
    }
    // Keys without a virtual-key code, and scan codes out of range, answer nothing.
    headless::press_key(DIK_NUMPAD5);
    headless::press_key(0);
    headless::press_key(256);
    headless::press_key(-3);
    EXPECT_FALSE(platform::virtual_key_held(0));
    EXPECT_FALSE(platform::virtual_key_held(-1));
    EXPECT_FALSE(platform::virtual_key_held(VK_ESCAPE));
}

} // namespace
