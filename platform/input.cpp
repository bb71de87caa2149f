// The input service: the key and mouse state every backend reports into, the key
// table, and the service's devices over the backend's game controllers.
#include "platform/input.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <strings.h>
#include <unordered_set>

#include "platform/backend.h"
#include "platform/fault.h"
#include "platform/input_backend.h"
#include "platform/internal.h"

namespace platform {

const DeviceGuid system_keyboard_guid = {{1}};
const DeviceGuid system_mouse_guid = {{2}};

namespace {

constexpr uint8_t guid_joystick_tag = 3;
constexpr uint8_t held = 0x80;
constexpr int axis_count = 8;
constexpr int32_t default_axis_min = 0;
constexpr int32_t default_axis_max = 65535;
constexpr int32_t dead_zone_whole = 10000;

// Every key of a 105-key PC keyboard, in scan-code order. The ISO key beside Enter
// reports its own usage but shares the backslash key's scan code.
constexpr KeyInfo keys[] = {
    {0x01, 41, 27, "ESC"},         {0x02, 30, '1', "1"},           {0x03, 31, '2', "2"},
    {0x04, 32, '3', "3"},          {0x05, 33, '4', "4"},           {0x06, 34, '5', "5"},
    {0x07, 35, '6', "6"},          {0x08, 36, '7', "7"},           {0x09, 37, '8', "8"},
    {0x0A, 38, '9', "9"},          {0x0B, 39, '0', "0"},           {0x0C, 45, 0, "MINUS"},
    {0x0D, 46, 0, "EQUALS"},       {0x0E, 42, 8, "BACKSPACE"},     {0x0F, 43, 9, "TAB"},
    {0x10, 20, 'Q', "Q"},          {0x11, 26, 'W', "W"},           {0x12, 8, 'E', "E"},
    {0x13, 21, 'R', "R"},          {0x14, 23, 'T', "T"},           {0x15, 28, 'Y', "Y"},
    {0x16, 24, 'U', "U"},          {0x17, 12, 'I', "I"},           {0x18, 18, 'O', "O"},
    {0x19, 19, 'P', "P"},          {0x1A, 47, 0, "LBRACKET"},      {0x1B, 48, 0, "RBRACKET"},
    {0x1C, 40, 13, "ENTER"},       {0x1D, 224, 17, "LCTRL"},       {0x1E, 4, 'A', "A"},
    {0x1F, 22, 'S', "S"},          {0x20, 7, 'D', "D"},            {0x21, 9, 'F', "F"},
    {0x22, 10, 'G', "G"},          {0x23, 11, 'H', "H"},           {0x24, 13, 'J', "J"},
    {0x25, 14, 'K', "K"},          {0x26, 15, 'L', "L"},           {0x27, 51, 0, "SEMICOLON"},
    {0x28, 52, 0, "APOSTROPHE"},   {0x29, 53, 0, "GRAVE"},         {0x2A, 225, 16, "LSHIFT"},
    {0x2B, 49, 0, "BACKSLASH"},    {0x2B, 50, 0, "HASH"},          {0x2C, 29, 'Z', "Z"},
    {0x2D, 27, 'X', "X"},          {0x2E, 6, 'C', "C"},            {0x2F, 25, 'V', "V"},
    {0x30, 5, 'B', "B"},           {0x31, 17, 'N', "N"},           {0x32, 16, 'M', "M"},
    {0x33, 54, 0, "COMMA"},        {0x34, 55, 0, "PERIOD"},        {0x35, 56, 0, "SLASH"},
    {0x36, 229, 16, "RSHIFT"},     {0x37, 85, 0, "KP_MULTIPLY"},   {0x38, 226, 18, "LALT"},
    {0x39, 44, 32, "SPACE"},       {0x3A, 57, 0, "CAPSLOCK"},      {0x3B, 58, 112, "F1"},
    {0x3C, 59, 113, "F2"},         {0x3D, 60, 114, "F3"},          {0x3E, 61, 115, "F4"},
    {0x3F, 62, 116, "F5"},         {0x40, 63, 117, "F6"},          {0x41, 64, 118, "F7"},
    {0x42, 65, 119, "F8"},         {0x43, 66, 120, "F9"},          {0x44, 67, 121, "F10"},
    {0x45, 83, 0, "NUMLOCK"},      {0x46, 71, 0, "SCROLLLOCK"},    {0x47, 95, 0, "KP7"},
    {0x48, 96, 0, "KP8"},          {0x49, 97, 0, "KP9"},           {0x4A, 86, 0, "KP_MINUS"},
    {0x4B, 92, 0, "KP4"},          {0x4C, 93, 0, "KP5"},           {0x4D, 94, 0, "KP6"},
    {0x4E, 87, 0, "KP_PLUS"},      {0x4F, 89, 0, "KP1"},           {0x50, 90, 0, "KP2"},
    {0x51, 91, 0, "KP3"},          {0x52, 98, 0, "KP0"},           {0x53, 99, 0, "KP_PERIOD"},
    {0x56, 100, 0, "OEM_102"},     {0x57, 68, 122, "F11"},         {0x58, 69, 123, "F12"},
    {0x9C, 88, 13, "KP_ENTER"},    {0x9D, 228, 17, "RCTRL"},       {0xB5, 84, 0, "KP_DIVIDE"},
    {0xB7, 70, 0, "PRINTSCREEN"},  {0xB8, 230, 18, "RALT"},        {0xC5, 72, 0, "PAUSE"},
    {0xC7, 74, 36, "HOME"},        {0xC8, 82, 38, "UP"},           {0xC9, 75, 33, "PAGEUP"},
    {0xCB, 80, 37, "LEFT"},        {0xCD, 79, 39, "RIGHT"},        {0xCF, 77, 35, "END"},
    {0xD0, 81, 40, "DOWN"},        {0xD1, 78, 34, "PAGEDOWN"},     {0xD2, 73, 45, "INSERT"},
    {0xD3, 76, 46, "DELETE"},      {0xDB, 227, 0, "LWIN"},         {0xDC, 231, 0, "RWIN"},
    {0xDD, 101, 0, "MENU"},
};
constexpr int key_count = static_cast<int>(sizeof keys / sizeof keys[0]);

// What the backend has reported so far.
uint8_t key_state[256] = {};
struct MouseTotals {
    int64_t x;
    int64_t y;
    int64_t z;
    uint8_t buttons[4];
};
MouseTotals mouse = {};

enum class DeviceKind { keyboard, mouse, joystick };

struct AxisSetting {
    int32_t min;
    int32_t max;
    int32_t dead_zone;
};

} // namespace

struct InputService {
    int devices;       // open devices keep the service alive after the program released it
    bool released;
    bool controllers;  // the backend's controller support started with the service
};

struct InputDevice {
    InputService* service;
    DeviceKind kind;
    int32_t joystick_id;
    bool has_format;
    bool acquired;
    int64_t mouse_seen_x;  // mouse totals at the previous read
    int64_t mouse_seen_y;
    int64_t mouse_seen_z;
    AxisSetting axes[axis_count];
    JoystickReading reading;  // what the last poll took
};

namespace {

std::unordered_set<const void*> live_objects;

template <typename T>
T* live(T* object)
{
    return object != nullptr && live_objects.count(object) != 0 ? object : nullptr;
}

const char* kind_name(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::keyboard:
        return "keyboard";
    case DeviceKind::mouse:
        return "mouse";
    case DeviceKind::joystick:
        break;
    }
    return "joystick";
}

// "keyboard.read" and the like.
bool device_fault(const InputDevice* device, const char* operation)
{
    char name[48] = {};
    std::snprintf(name, sizeof name, "%s%s", kind_name(device->kind), operation);
    return fault_should_fail(name);
}

void delete_service_when_unused(InputService* service)
{
    if (service->released && service->devices == 0) {
        if (service->controllers) {
            drivers().input.close();
        }
        delete service;
    }
}

DeviceGuid joystick_guid(int32_t id)
{
    DeviceGuid guid{};
    guid.bytes[0] = guid_joystick_tag;
    const auto value = static_cast<uint32_t>(id);
    for (int i = 0; i < 4; ++i) {
        guid.bytes[4 + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return guid;
}

bool is_joystick_guid(const DeviceGuid& guid, int32_t& id)
{
    if (guid.bytes[0] != guid_joystick_tag) {
        return false;
    }
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(guid.bytes[4 + i]) << (8 * i);
    }
    id = static_cast<int32_t>(value);
    return true;
}

void centred_reading(JoystickReading& reading)
{
    reading = JoystickReading{};
    std::fill(std::begin(reading.hats), std::end(reading.hats), -1);
}

// A raw axis value placed in its range: the dead zone around the centre reads as the
// centre, and the rest is stretched so the axis still reaches both ends.
int32_t scale_axis(int32_t raw, const AxisSetting& setting)
{
    double position = raw >= 0 ? raw / 32767.0 : raw / 32768.0;
    position = std::min(1.0, std::max(-1.0, position));
    const double dead = setting.dead_zone / static_cast<double>(dead_zone_whole);
    double live_part = 0.0;
    if (std::fabs(position) > dead) {
        live_part = (std::fabs(position) - dead) / (1.0 - dead);
    }
    if (position < 0.0) {
        live_part = -live_part;
    }
    const double span = static_cast<double>(setting.max) - static_cast<double>(setting.min);
    return static_cast<int32_t>(std::floor(setting.min + (live_part + 1.0) / 2.0 * span + 0.5));
}

void joystick_record(const InputDevice* device, JoystickState& state)
{
    const JoystickReading& reading = device->reading;
    int32_t values[axis_count] = {};
    const int present = std::min(std::max(reading.axis_count, 0), axis_count);
    for (int i = 0; i < present; ++i) {
        values[i] = scale_axis(reading.axes[i], device->axes[i]);
    }
    state.x = values[0];
    state.y = values[1];
    state.z = values[2];
    state.rx = values[3];
    state.ry = values[4];
    state.rz = values[5];
    state.sliders[0] = values[6];
    state.sliders[1] = values[7];
    for (int i = 0; i < 4; ++i) {
        state.pov[i] = reading.hats[i];
    }
    for (int i = 0; i < 32; ++i) {
        state.buttons[i] = reading.buttons[i] != 0 ? held : 0;
    }
}

int32_t clamp_to_int32(int64_t value)
{
    return static_cast<int32_t>(std::min<int64_t>(std::numeric_limits<int32_t>::max(),
                                                  std::max<int64_t>(std::numeric_limits<int32_t>::min(), value)));
}

void mouse_record(InputDevice* device, MouseState& state)
{
    state.x = clamp_to_int32(mouse.x - device->mouse_seen_x);
    state.y = clamp_to_int32(mouse.y - device->mouse_seen_y);
    state.z = clamp_to_int32(mouse.z - device->mouse_seen_z);
    std::memcpy(state.buttons, mouse.buttons, sizeof state.buttons);
    device->mouse_seen_x = mouse.x;
    device->mouse_seen_y = mouse.y;
    device->mouse_seen_z = mouse.z;
}

uint32_t record_size(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::keyboard:
        return keyboard_record_size;
    case DeviceKind::mouse:
        return sizeof(MouseState);
    case DeviceKind::joystick:
        break;
    }
    return sizeof(JoystickState);
}

bool format_suits(DeviceKind kind, DataFormat format)
{
    switch (format) {
    case DataFormat::keyboard:
        return kind == DeviceKind::keyboard;
    case DataFormat::mouse:
        return kind == DeviceKind::mouse;
    case DataFormat::joystick:
        break;
    }
    return kind == DeviceKind::joystick;
}

bool no_controller_support() { return false; }
void no_close() {}
int no_joysticks() { return 0; }
bool no_joystick_described(int, int32_t&, const char*&) { return false; }
bool no_joystick_opened(int32_t) { return false; }
void no_joystick_closed(int32_t) {}
bool no_joystick_read(int32_t, JoystickReading&) { return false; }

} // namespace

void default_input_driver(InputDriver& driver)
{
    driver.open = no_controller_support;
    driver.close = no_close;
    driver.joystick_count = no_joysticks;
    driver.joystick_describe = no_joystick_described;
    driver.joystick_open = no_joystick_opened;
    driver.joystick_close = no_joystick_closed;
    driver.joystick_read = no_joystick_read;
}

// --- What backends report -----------------------------------------------------

void input_key(int scan_code, bool down)
{
    if (scan_code > 0 && scan_code < 256) {
        key_state[scan_code] = down ? held : 0;
    }
}

void input_release_all()
{
    std::memset(key_state, 0, sizeof key_state);
    std::memset(mouse.buttons, 0, sizeof mouse.buttons);
}

void input_mouse_move(int32_t dx, int32_t dy)
{
    mouse.x += dx;
    mouse.y += dy;
}

void input_mouse_wheel(int32_t dz)
{
    mouse.z += dz;
}

void input_mouse_button(int button, bool down)
{
    if (button >= 0 && button < 4) {
        mouse.buttons[button] = down ? held : 0;
    }
}

const KeyInfo* key_table(int& count)
{
    count = key_count;
    return keys;
}

int key_from_usb_usage(int usage)
{
    for (const KeyInfo& key : keys) {
        if (key.usb_usage == usage) {
            return key.scan_code;
        }
    }
    return 0;
}

int key_from_name(const char* name)
{
    if (name == nullptr) {
        return 0;
    }
    for (const KeyInfo& key : keys) {
        if (strcasecmp(key.name, name) == 0) {
            return key.scan_code;
        }
    }
    return 0;
}

bool virtual_key_held(int virtual_key)
{
    if (virtual_key <= 0) {
        return false;
    }
    for (const KeyInfo& key : keys) {
        if (key.virtual_key == virtual_key && key_state[key.scan_code] != 0) {
            return true;
        }
    }
    return false;
}

// --- Service ------------------------------------------------------------------

InputService* input_create(Instance instance)
{
    if (instance == nullptr || fault_should_fail("input.create")) {
        return nullptr;
    }
    auto* service = new InputService{};
    service->controllers = drivers().input.open();
    live_objects.insert(service);
    return service;
}

bool input_enum_game_controllers(InputService* service, DeviceReport report, void* context)
{
    if (live(service) == nullptr || report == nullptr) {
        return false;
    }
    if (!service->controllers) {
        return true;
    }
    const int count = drivers().input.joystick_count();
    for (int index = 0; index < count; ++index) {
        int32_t id = 0;
        const char* name = nullptr;
        if (!drivers().input.joystick_describe(index, id, name)) {
            continue;
        }
        const DeviceInstance instance{joystick_guid(id), name != nullptr ? name : ""};
        if (report(&instance, context) == 0) {
            break;
        }
    }
    return true;
}

void input_release(InputService* service)
{
    if (live(service) != nullptr) {
        live_objects.erase(service);
        service->released = true;
        delete_service_when_unused(service);
    }
}

// --- Devices ------------------------------------------------------------------

InputDevice* input_create_device(InputService* service, const DeviceGuid& guid)
{
    if (live(service) == nullptr) {
        return nullptr;
    }
    DeviceKind kind = DeviceKind::keyboard;
    int32_t joystick_id = 0;
    if (std::memcmp(&guid, &system_keyboard_guid, sizeof guid) == 0) {
        kind = DeviceKind::keyboard;
    } else if (std::memcmp(&guid, &system_mouse_guid, sizeof guid) == 0) {
        kind = DeviceKind::mouse;
    } else if (is_joystick_guid(guid, joystick_id)) {
        kind = DeviceKind::joystick;
    } else {
        return nullptr;
    }
    const char* fault_name = kind == DeviceKind::keyboard ? "keyboard.create"
                             : kind == DeviceKind::mouse  ? "mouse.create"
                                                          : "joystick.create";
    if (fault_should_fail(fault_name)) {
        return nullptr;
    }
    if (kind == DeviceKind::joystick &&
        (!service->controllers || !drivers().input.joystick_open(joystick_id))) {
        return nullptr;
    }
    auto* device = new InputDevice{};
    device->service = service;
    device->kind = kind;
    device->joystick_id = joystick_id;
    for (AxisSetting& axis : device->axes) {
        axis = AxisSetting{default_axis_min, default_axis_max, 0};
    }
    centred_reading(device->reading);
    ++service->devices;
    live_objects.insert(device);
    return device;
}

bool device_set_cooperative_level(InputDevice* device, Window* window)
{
    return live(device) != nullptr && window_is_live(window) && !device_fault(device, ".cooperative_level");
}

bool device_set_data_format(InputDevice* device, DataFormat format)
{
    if (live(device) == nullptr || device->acquired || !format_suits(device->kind, format) ||
        device_fault(device, ".data_format")) {
        return false;
    }
    device->has_format = true;
    return true;
}

bool device_set_axis_range(InputDevice* device, JoystickAxis axis, int32_t min, int32_t max)
{
    const int index = static_cast<int>(axis);
    if (live(device) == nullptr || device->kind != DeviceKind::joystick || index < 0 || index >= axis_count ||
        fault_should_fail("joystick.range")) {
        return false;
    }
    device->axes[index].min = min;
    device->axes[index].max = max;
    return true;
}

bool device_set_axis_dead_zone(InputDevice* device, JoystickAxis axis, int32_t ten_thousandths)
{
    const int index = static_cast<int>(axis);
    if (live(device) == nullptr || device->kind != DeviceKind::joystick || index < 0 || index >= axis_count ||
        ten_thousandths < 0 || ten_thousandths > dead_zone_whole || fault_should_fail("joystick.dead_zone")) {
        return false;
    }
    device->axes[index].dead_zone = ten_thousandths;
    return true;
}

bool device_acquire(InputDevice* device)
{
    if (live(device) == nullptr || !device->has_format || device_fault(device, ".acquire")) {
        return false;
    }
    if (device->acquired) {
        return true;
    }
    device->acquired = true;
    // Movement before the device was acquired is not its to report.
    device->mouse_seen_x = mouse.x;
    device->mouse_seen_y = mouse.y;
    device->mouse_seen_z = mouse.z;
    if (device->kind == DeviceKind::joystick) {
        JoystickReading reading{};
        centred_reading(reading);
        if (drivers().input.joystick_read(device->joystick_id, reading)) {
            device->reading = reading;
        }
    }
    return true;
}

bool device_unacquire(InputDevice* device)
{
    if (live(device) == nullptr) {
        return false;
    }
    device->acquired = false;
    return true;
}

bool device_poll(InputDevice* device)
{
    if (live(device) == nullptr || !device->acquired) {
        return false;
    }
    if (device->kind != DeviceKind::joystick) {
        return true;
    }
    if (fault_should_fail("joystick.poll")) {
        return false;
    }
    JoystickReading reading{};
    centred_reading(reading);
    if (!drivers().input.joystick_read(device->joystick_id, reading)) {
        return false;
    }
    device->reading = reading;
    return true;
}

bool device_get_state(InputDevice* device, uint32_t size, void* record)
{
    if (live(device) == nullptr || record == nullptr || !device->acquired || size != record_size(device->kind) ||
        device_fault(device, ".read")) {
        return false;
    }
    switch (device->kind) {
    case DeviceKind::keyboard:
        std::memcpy(record, key_state, keyboard_record_size);
        break;
    case DeviceKind::mouse: {
        MouseState state{};
        mouse_record(device, state);
        std::memcpy(record, &state, sizeof state);
        break;
    }
    case DeviceKind::joystick: {
        JoystickState state{};
        joystick_record(device, state);
        std::memcpy(record, &state, sizeof state);
        break;
    }
    }
    return true;
}

void device_release(InputDevice* device)
{
    if (live(device) == nullptr) {
        return;
    }
    live_objects.erase(device);
    if (device->kind == DeviceKind::joystick) {
        drivers().input.joystick_close(device->joystick_id);
    }
    InputService* service = device->service;
    delete device;
    --service->devices;
    delete_service_when_unused(service);
}

} // namespace platform
