// The input library over the platform's input service.
#include "input/input.h"

#include <cstring>

platform::InputService* lpdi = nullptr;
platform::InputDevice* lpdikey = nullptr;
platform::InputDevice* lpdimouse = nullptr;
platform::InputDevice* lpdijoy = nullptr;
uint8_t keyboard_state[256] = {};
DIMOUSESTATE mouse_state = {};
DIJOYSTATE joy_state = {};
int joystick_found = 0;
GUID joystickGUID = {};
char joyname[80] = {};

namespace {

constexpr int percent_to_ten_thousandths = 100;

// Unacquires and releases a device and forgets it, so it is never released twice nor
// read after it is gone.
void release_device(platform::InputDevice*& device)
{
    if (device != nullptr) {
        platform::device_unacquire(device);
        platform::device_release(device);
        device = nullptr;
    }
}

// The common steps of the keyboard and mouse openers. A device left by an earlier,
// failed attempt is released first rather than lost; one that fails part-way here
// stays in `device` for its release function.
int open_device(platform::InputDevice*& device, const GUID& guid, platform::DataFormat format)
{
    release_device(device);
    device = platform::input_create_device(lpdi, guid);
    if (device == nullptr) {
        return 0;
    }
    if (!platform::device_set_cooperative_level(device, main_window_handle) ||
        !platform::device_set_data_format(device, format) || !platform::device_acquire(device)) {
        return 0;
    }
    return 1;
}

// Copies at most `capacity` - 1 bytes of a UTF-8 name, never splitting a character.
void copy_name(char* out, size_t capacity, const char* name)
{
    size_t length = std::strlen(name);
    if (length >= capacity) {
        length = capacity - 1;
        // Back off continuation bytes (10xxxxxx) and the lead byte they belong to.
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(out, name, length);
    out[length] = '\0';
}

// A percentage of the axis in the platform's ten-thousandths; -1 (refused by the
// platform, so the dead zone stays as it was) outside 0..100.
int32_t dead_zone_units(int dead_zone)
{
    if (dead_zone < 0 || dead_zone > 100) {
        return -1;
    }
    return dead_zone * percent_to_ten_thousandths;
}

} // namespace

int DInput_Init()
{
    if (lpdi != nullptr) {
        platform::input_release(lpdi);
    }
    lpdi = platform::input_create(main_instance);
    return lpdi != nullptr ? 1 : 0;
}

void DInput_Shutdown()
{
    if (lpdi != nullptr) {
        platform::input_release(lpdi);
        lpdi = nullptr;
    }
}

int DInput_Init_Keyboard()
{
    return open_device(lpdikey, platform::system_keyboard_guid, platform::DataFormat::keyboard);
}

int DInput_Init_Mouse()
{
    return open_device(lpdimouse, platform::system_mouse_guid, platform::DataFormat::mouse);
}

int DInput_Enum_Joysticks(const DIDEVICEINSTANCEA* lpddi, void* guid_ptr)
{
    if (lpddi == nullptr) {
        return DIENUM_STOP;
    }
    if (guid_ptr != nullptr) {
        std::memcpy(guid_ptr, &lpddi->instance_guid, sizeof(GUID));
    }
    copy_name(joyname, sizeof joyname, lpddi->product_name != nullptr ? lpddi->product_name : "");
    return DIENUM_STOP;
}

int DInput_Init_Joystick(int min_x, int max_x, int min_y, int max_y, int dead_zone)
{
    platform::input_enum_game_controllers(lpdi, DInput_Enum_Joysticks, &joystickGUID);

    release_device(lpdijoy);
    lpdijoy = platform::input_create_device(lpdi, joystickGUID);
    if (lpdijoy == nullptr) {
        return 0;
    }
    if (!platform::device_set_cooperative_level(lpdijoy, main_window_handle) ||
        !platform::device_set_data_format(lpdijoy, platform::DataFormat::joystick)) {
        return 0;
    }
    // Range and dead zone are wishes: a controller that refuses them is still used.
    platform::device_set_axis_range(lpdijoy, platform::JoystickAxis::x, min_x, max_x);
    platform::device_set_axis_range(lpdijoy, platform::JoystickAxis::y, min_y, max_y);
    const int32_t units = dead_zone_units(dead_zone);
    platform::device_set_axis_dead_zone(lpdijoy, platform::JoystickAxis::x, units);
    platform::device_set_axis_dead_zone(lpdijoy, platform::JoystickAxis::y, units);
    if (!platform::device_acquire(lpdijoy)) {
        return 0;
    }
    joystick_found = 1;
    return 1;
}

int DInput_Read_Keyboard()
{
    if (lpdikey == nullptr) {
        std::memset(keyboard_state, 0, sizeof keyboard_state);
        return 0;
    }
    return platform::device_get_state(lpdikey, sizeof keyboard_state, keyboard_state) ? 1 : 0;
}

int DInput_Read_Mouse()
{
    if (lpdimouse == nullptr) {
        std::memset(&mouse_state, 0, sizeof mouse_state);
        return 0;
    }
    return platform::device_get_state(lpdimouse, sizeof mouse_state, &mouse_state) ? 1 : 0;
}

int DInput_Read_Joystick()
{
    if (joystick_found == 0) {
        return 0;
    }
    if (lpdijoy == nullptr) {
        std::memset(&joy_state, 0, sizeof joy_state);
        return 0;
    }
    if (!platform::device_poll(lpdijoy)) {
        return 0;
    }
    return platform::device_get_state(lpdijoy, sizeof joy_state, &joy_state) ? 1 : 0;
}

void DInput_Release_Keyboard()
{
    release_device(lpdikey);
}

void DInput_Release_Mouse()
{
    release_device(lpdimouse);
}

void DInput_Release_Joystick()
{
    release_device(lpdijoy);
}
