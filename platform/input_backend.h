// Input part of the backend contract. Keys and the mouse are pushed: a backend reports
// what happens with the input_* calls below, and the common code keeps the state.
// Game controllers are pulled: the driver enumerates, opens and reads them.
#pragma once

#include <cstdint>

namespace platform {

// One game controller's raw state.
struct JoystickReading {
    int axis_count;       // axes present, in the order x, y, z, rx, ry, rz, slider 0, slider 1
    int32_t axes[8];      // -32768..32767
    int32_t hats[4];      // hundredths of a degree clockwise from up; -1 centred or absent
    uint8_t buttons[32];  // non-zero while held
};

struct InputDriver {
    // The input service starts and stops (a backend may start its controller support).
    bool (*open)();
    void (*close)();
    // Attached game controllers, in the order they are reported.
    int (*joystick_count)();
    // The identifier and product name of the `index`th; false when there is none. The
    // name stays valid until the backend next handles its events.
    bool (*joystick_describe)(int index, int32_t& id, const char*& name);
    // Opens count: each open is paired with a close.
    bool (*joystick_open)(int32_t id);
    void (*joystick_close)(int32_t id);
    // The state of an open controller now; false once it is detached.
    bool (*joystick_read)(int32_t id, JoystickReading& reading);
};

void default_input_driver(InputDriver& driver);

// --- What backends report -----------------------------------------------------

// A key, by its set-1 scan code (1..255), went down or up.
void input_key(int scan_code, bool down);
// Focus went elsewhere: every key and mouse button counts as released.
void input_release_all();
// Mouse movement in pixels of the picture, wheel movement (120 per notch) and buttons
// (0 left, 1 right, 2 middle, 3 fourth).
void input_mouse_move(int32_t dx, int32_t dy);
void input_mouse_wheel(int32_t dz);
void input_mouse_button(int button, bool down);

// --- The key table ------------------------------------------------------------

// One key of a 105-key PC keyboard.
struct KeyInfo {
    uint8_t scan_code;    // set-1 scan code, extended keys + 0x80
    uint8_t usb_usage;    // USB HID keyboard usage (what SDL's scan codes are)
    uint8_t virtual_key;  // the virtual-key code it answers to, 0 for none
    const char* name;     // as key scripts write it
};

// The table, in scan-code order (a key that two usages report appears twice).
const KeyInfo* key_table(int& count);
// The scan code of a USB HID usage or a key name (any case); 0 for none.
int key_from_usb_usage(int usage);
int key_from_name(const char* name);

} // namespace platform
