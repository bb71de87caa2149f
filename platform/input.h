// Input service: the keyboard, the mouse and the attached game controllers, each read
// as a record of its current state.
//
// A program creates the service, then a device by its identifier, gives the device
// its window and the record layout it wants, acquires it and reads it as often as it
// likes. Every operation takes the handles it was given back safely: a null or
// released handle makes it fail and touches nothing. Each fallible operation can be
// made to fail by fault injection under the name in its comment, where <device> is
// "keyboard", "mouse" or "joystick".
//
// Keys are numbered by their PC set-1 scan code (extended keys with 0x80 added: Up is
// 200); a held key reads 0x80, a free one 0. A key held while the window loses focus
// counts as released from then on.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/window.h"

namespace platform {

struct InputService;
struct InputDevice;

// Names one device; all zero names none.
struct DeviceGuid {
    uint8_t bytes[16];
};

// The devices every machine has.
extern const DeviceGuid system_keyboard_guid;
extern const DeviceGuid system_mouse_guid;

// What an enumeration reports about one attached game controller.
struct DeviceInstance {
    DeviceGuid instance_guid;
    const char* product_name;  // UTF-8, never null; valid during the report only
};

// Called once per attached game controller; returns 1 to hear of the next, 0 to stop.
using DeviceReport = int (*)(const DeviceInstance* instance, void* context);

// The record layouts a device can deliver.
enum class DataFormat { keyboard, mouse, joystick };

constexpr uint32_t keyboard_record_size = 256;

// Mouse movement since the device's previous read.
struct MouseState {
    int32_t x;           // in pixels of the 640 x 480 picture, right positive
    int32_t y;           // down positive
    int32_t z;           // wheel: 120 per notch, away from the user positive
    uint8_t buttons[4];  // left, right, middle, fourth: 0x80 while held
};
static_assert(sizeof(MouseState) == 16, "the mouse record is 16 bytes");

// A game controller's state. Axes read within their ranges (0..65535 until set);
// hats in hundredths of a degree clockwise from up, -1 when centred; absent axes 0.
struct JoystickState {
    int32_t x;
    int32_t y;
    int32_t z;
    int32_t rx;
    int32_t ry;
    int32_t rz;
    int32_t sliders[2];
    int32_t pov[4];
    uint8_t buttons[32];  // 0x80 while held
};
static_assert(sizeof(JoystickState) == 80, "the joystick record is 80 bytes");

enum class JoystickAxis { x, y, z, rx, ry, rz, slider0, slider1 };

// --- Service ------------------------------------------------------------------

// "input.create"
InputService* input_create(Instance instance);
// Reports each attached game controller in turn, until `report` returns 0. False for a bad service.
bool input_enum_game_controllers(InputService* service, DeviceReport report, void* context);
void input_release(InputService* service);

// --- Devices ------------------------------------------------------------------

// "<device>.create": the device named by `guid`; null when no attached device has it.
InputDevice* input_create_device(InputService* service, const DeviceGuid& guid);
// "<device>.cooperative_level": shared with other programs and readable while `window`
// is not in front (the only level there is); `window` must be live.
bool device_set_cooperative_level(InputDevice* device, Window* window);
// "<device>.data_format": the record reads deliver; it must suit the device.
bool device_set_data_format(InputDevice* device, DataFormat format);
// "joystick.range": the values `axis` reads from one end to the other (min > max
// reverses the axis).
bool device_set_axis_range(InputDevice* device, JoystickAxis axis, int32_t min, int32_t max);
// "joystick.dead_zone": the part of the axis around its centre that reads as the
// centre, in ten-thousandths of the whole (0..10000).
bool device_set_axis_dead_zone(InputDevice* device, JoystickAxis axis, int32_t ten_thousandths);
// "<device>.acquire": reads may start (the data format must be set).
bool device_acquire(InputDevice* device);
bool device_unacquire(InputDevice* device);
// "joystick.poll": takes a game controller's state now; false once it is detached.
bool device_poll(InputDevice* device);
// "<device>.read": copies the state into `record`, whose `size` must match the format
// (256, 16 or 80 bytes). An acquired keyboard and mouse read live state; a game
// controller reads what its last poll took.
bool device_get_state(InputDevice* device, uint32_t size, void* record);
void device_release(InputDevice* device);

// --- Keys outside the devices -------------------------------------------------

// True while a key with this virtual-key code is held (13 Enter, 27 Escape, 32 Space,
// 37-40 arrows, 8 Backspace, 9 Tab, 16/17/18 either Shift/Ctrl/Alt, 'A'-'Z', '0'-'9',
// 112-123 F1-F12, 33-36/45/46 the navigation block), read from the same key state as
// the keyboard device, without needing one.
bool virtual_key_held(int virtual_key);

} // namespace platform
