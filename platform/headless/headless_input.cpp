// Headless input: keys and mouse go straight into the shared state; game controllers
// are virtual sticks that the caller attaches and moves.
#include "platform/headless/headless_input.h"

#include <algorithm>
#include <deque>
#include <string>

#include "platform/headless/headless_internal.h"
#include "platform/input_backend.h"

namespace platform {
namespace headless {
namespace {

constexpr int notch = 120;

struct VirtualStick {
    std::string name;
    bool attached;
    JoystickReading reading;
    int axis_limit;
    int hat_limit;
    int button_limit;
};

// A deque keeps names where they are while more sticks are attached.
std::deque<VirtualStick> sticks;
// Numbers are never given twice, so a device left open across a reset reads nothing.
int first_number = 0;

VirtualStick* stick(int joystick)
{
    const int index = joystick - first_number;
    if (index < 0 || index >= static_cast<int>(sticks.size())) {
        return nullptr;
    }
    return &sticks[static_cast<size_t>(index)];
}

VirtualStick* attached_stick(int32_t id)
{
    VirtualStick* found = stick(id);
    return found != nullptr && found->attached ? found : nullptr;
}

bool open() { return true; }
void close() {}

int joystick_count()
{
    return static_cast<int>(std::count_if(sticks.begin(), sticks.end(), [](const VirtualStick& s) { return s.attached; }));
}

bool joystick_describe(int index, int32_t& id, const char*& name)
{
    int seen = 0;
    for (size_t i = 0; i < sticks.size(); ++i) {
        if (sticks[i].attached && seen++ == index) {
            id = first_number + static_cast<int32_t>(i);
            name = sticks[i].name.c_str();
            return true;
        }
    }
    return false;
}

bool joystick_open(int32_t id)
{
    return attached_stick(id) != nullptr;
}

void joystick_close(int32_t) {}

bool joystick_read(int32_t id, JoystickReading& reading)
{
    const VirtualStick* found = attached_stick(id);
    if (found == nullptr) {
        return false;
    }
    reading = found->reading;
    return true;
}

} // namespace

void fill_input_driver(InputDriver& driver)
{
    input_release_all();
    driver.open = open;
    driver.close = close;
    driver.joystick_count = joystick_count;
    driver.joystick_describe = joystick_describe;
    driver.joystick_open = joystick_open;
    driver.joystick_close = joystick_close;
    driver.joystick_read = joystick_read;
}

void press_key(int scan_code)
{
    input_key(scan_code, true);
}

void release_key(int scan_code)
{
    input_key(scan_code, false);
}

int key_code(const char* name)
{
    return key_from_name(name);
}

void lose_focus()
{
    input_release_all();
}

void move_mouse(int dx, int dy)
{
    input_mouse_move(dx, dy);
}

void turn_wheel(int notches)
{
    input_mouse_wheel(notches * notch);
}

void set_mouse_button(int button, bool held)
{
    input_mouse_button(button, held);
}

int attach_joystick(const char* name, int axes, int hats, int buttons)
{
    VirtualStick added{};
    added.name = name != nullptr ? name : "";
    added.attached = true;
    added.axis_limit = std::min(std::max(axes, 0), 8);
    added.hat_limit = std::min(std::max(hats, 0), 4);
    added.button_limit = std::min(std::max(buttons, 0), 32);
    added.reading.axis_count = added.axis_limit;
    std::fill(std::begin(added.reading.hats), std::end(added.reading.hats), -1);
    sticks.push_back(added);
    return first_number + static_cast<int>(sticks.size()) - 1;
}

void detach_joystick(int joystick)
{
    if (VirtualStick* found = stick(joystick)) {
        found->attached = false;
    }
}

void set_joystick_axis(int joystick, int axis, int value)
{
    VirtualStick* found = stick(joystick);
    if (found != nullptr && axis >= 0 && axis < found->axis_limit) {
        found->reading.axes[axis] = std::min(32767, std::max(-32768, value));
    }
}

void set_joystick_hat(int joystick, int hat, int hundredths)
{
    VirtualStick* found = stick(joystick);
    if (found != nullptr && hat >= 0 && hat < found->hat_limit) {
        found->reading.hats[hat] = hundredths >= 0 ? hundredths % 36000 : -1;
    }
}

void set_joystick_button(int joystick, int button, bool held)
{
    VirtualStick* found = stick(joystick);
    if (found != nullptr && button >= 0 && button < found->button_limit) {
        found->reading.buttons[button] = held ? 1 : 0;
    }
}

void reset_input()
{
    input_release_all();
    first_number += static_cast<int>(sticks.size());
    sticks.clear();
}

} // namespace headless
} // namespace platform
