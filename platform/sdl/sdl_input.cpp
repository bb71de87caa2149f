// SDL2 input: key, focus and mouse events from the window's pump become the shared key
// and mouse state; game controllers are SDL joysticks, read when polled.
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/input_backend.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {
namespace {

// The key table is keyed by USB HID usage, which SDL's scan codes are.
static_assert(SDL_SCANCODE_A == 4 && SDL_SCANCODE_UP == 82 && SDL_SCANCODE_NONUSBACKSLASH == 100 &&
                  SDL_SCANCODE_LCTRL == 224 && SDL_SCANCODE_RGUI == 231,
              "SDL scan codes are USB HID keyboard usages");

constexpr int picture_width = 640;
constexpr int picture_height = 480;
constexpr double wheel_notch = 120.0;

struct OpenStick {
    SDL_Joystick* joystick;
    int opens;
};

std::map<int32_t, OpenStick> open_sticks;
int subsystem_opens = 0;
// Parts of a picture pixel (and of a wheel unit) not reported yet, so slow movement
// on a scaled window still adds up.
double motion_left_x = 0.0;
double motion_left_y = 0.0;
double wheel_left = 0.0;

// Window points per picture pixel, fitting the picture into the window the way the
// display does: whole multiples where they fit, else the largest size that fits.
double points_per_picture_pixel(Uint32 window_id)
{
    SDL_Window* window = SDL_GetWindowFromID(window_id);
    if (window == nullptr) {
        window = main_window();
    }
    if (window == nullptr) {
        return 1.0;
    }
    int points_w = 0;
    int points_h = 0;
    int pixels_w = 0;
    int pixels_h = 0;
    SDL_GetWindowSize(window, &points_w, &points_h);
    SDL_GetWindowSizeInPixels(window, &pixels_w, &pixels_h);
    if (points_w <= 0 || points_h <= 0 || pixels_w <= 0 || pixels_h <= 0) {
        return 1.0;
    }
    const int whole = std::min(pixels_w / picture_width, pixels_h / picture_height);
    const double pixels = whole >= 1 ? whole
                                     : std::min(static_cast<double>(pixels_w) / picture_width,
                                                static_cast<double>(pixels_h) / picture_height);
    return pixels * points_w / pixels_w;
}

// Takes the whole part out of `carried` + `amount`, keeping the rest for next time.
int32_t whole_part(double& carried, double amount)
{
    const double total = carried + amount;
    const double whole = std::trunc(total);
    carried = total - whole;
    return static_cast<int32_t>(std::max(-2147483647.0, std::min(2147483647.0, whole)));
}

void forget_partial_motion()
{
    motion_left_x = 0.0;
    motion_left_y = 0.0;
    wheel_left = 0.0;
}

int mouse_button_index(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_X1:
        return 3;
    default:
        return -1;
    }
}

// SDL hats are direction bits; the record wants an angle clockwise from up.
int32_t hat_angle(Uint8 hat)
{
    const int right = ((hat & SDL_HAT_RIGHT) != 0 ? 1 : 0) - ((hat & SDL_HAT_LEFT) != 0 ? 1 : 0);
    const int down = ((hat & SDL_HAT_DOWN) != 0 ? 1 : 0) - ((hat & SDL_HAT_UP) != 0 ? 1 : 0);
    // Indexed by [down + 1][right + 1].
    constexpr int32_t angles[3][3] = {{31500, 0, 4500}, {27000, -1, 9000}, {22500, 18000, 13500}};
    return angles[down + 1][right + 1];
}

bool open()
{
    // Controllers are shared and readable while the window is not in front.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        SDL_Log("reef: game controllers are not available: %s", SDL_GetError());
        return false;
    }
    ++subsystem_opens;
    return true;
}

void close()
{
    if (subsystem_opens > 0) {
        --subsystem_opens;
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
}

int joystick_count()
{
    return std::max(SDL_NumJoysticks(), 0);
}

bool joystick_describe(int index, int32_t& id, const char*& name)
{
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    if (instance < 0) {
        return false;
    }
    id = instance;
    const char* product = SDL_JoystickNameForIndex(index);
    name = product != nullptr ? product : "";
    return true;
}

bool joystick_open(int32_t id)
{
    auto found = open_sticks.find(id);
    if (found != open_sticks.end()) {
        ++found->second.opens;
        return true;
    }
    const int count = joystick_count();
    for (int index = 0; index < count; ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) {
            SDL_Joystick* joystick = SDL_JoystickOpen(index);
            if (joystick == nullptr) {
                return false;
            }
            open_sticks[id] = OpenStick{joystick, 1};
            return true;
        }
    }
    return false;
}

void joystick_close(int32_t id)
{
    auto found = open_sticks.find(id);
    if (found != open_sticks.end() && --found->second.opens == 0) {
        SDL_JoystickClose(found->second.joystick);
        open_sticks.erase(found);
    }
}

bool joystick_read(int32_t id, JoystickReading& reading)
{
    auto found = open_sticks.find(id);
    if (found == open_sticks.end()) {
        return false;
    }
    SDL_Joystick* joystick = found->second.joystick;
    SDL_JoystickUpdate();
    if (SDL_JoystickGetAttached(joystick) != SDL_TRUE) {
        return false;
    }
    reading.axis_count = std::min(std::max(SDL_JoystickNumAxes(joystick), 0), 8);
    for (int i = 0; i < reading.axis_count; ++i) {
        reading.axes[i] = SDL_JoystickGetAxis(joystick, i);
    }
    const int hats = std::min(std::max(SDL_JoystickNumHats(joystick), 0), 4);
    for (int i = 0; i < 4; ++i) {
        reading.hats[i] = i < hats ? hat_angle(SDL_JoystickGetHat(joystick, i)) : -1;
    }
    const int buttons = std::min(std::max(SDL_JoystickNumButtons(joystick), 0), 32);
    for (int i = 0; i < 32; ++i) {
        reading.buttons[i] = i < buttons ? SDL_JoystickGetButton(joystick, i) : 0;
    }
    return true;
}

} // namespace

void input_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        input_key(key_from_usb_usage(event.key.keysym.scancode), event.type == SDL_KEYDOWN);
        break;
    case SDL_WINDOWEVENT:
        // Keys let go elsewhere are never reported to us: none may stay held.
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            input_release_all();
            forget_partial_motion();
        }
        break;
    case SDL_MOUSEMOTION: {
        const double scale = points_per_picture_pixel(event.motion.windowID);
        const int32_t dx = whole_part(motion_left_x, event.motion.xrel / scale);
        const int32_t dy = whole_part(motion_left_y, event.motion.yrel / scale);
        input_mouse_move(dx, dy);
        break;
    }
    case SDL_MOUSEWHEEL: {
        const double turned = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.preciseY
                                                                               : event.wheel.preciseY;
        input_mouse_wheel(whole_part(wheel_left, turned * wheel_notch));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        input_mouse_button(mouse_button_index(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
        break;
    default:
        break;
    }
}

void fill_input_driver(InputDriver& driver)
{
    // Whatever an earlier run of the backend had open went with SDL_Quit.
    open_sticks.clear();
    subsystem_opens = 0;
    forget_partial_motion();
    input_release_all();
    driver.open = open;
    driver.close = close;
    driver.joystick_count = joystick_count;
    driver.joystick_describe = joystick_describe;
    driver.joystick_open = joystick_open;
    driver.joystick_close = joystick_close;
    driver.joystick_read = joystick_read;
}

} // namespace sdl
} // namespace platform
