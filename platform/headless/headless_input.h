// Input of the headless backend, set by the caller (tests, the game's key script)
// instead of read from devices. Harmless (ignored by the devices) while another
// backend runs, except that keys and mouse land in the same shared state.
#pragma once

namespace platform {
namespace headless {

// Keys by their set-1 scan code (1..255, extended keys + 0x80: Up is 200).
void press_key(int scan_code);
void release_key(int scan_code);
// The scan code of a key name: ESC SPACE ENTER UP DOWN LEFT RIGHT, A..Z, 0..9, F1..F12,
// LSHIFT, KP_ENTER, ... (the names README lists), in any case; 0 for an unknown name.
int key_code(const char* name);
// The window lost focus: every key and mouse button is released.
void lose_focus();

// Mouse movement in pixels of the picture, wheel turns in notches (away from the user
// positive) and buttons 0 left, 1 right, 2 middle, 3 fourth.
void move_mouse(int dx, int dy);
void turn_wheel(int notches);
void set_mouse_button(int button, bool held);

// Game controllers, reported in the order they were attached. Returns the number the
// calls below take; every control starts centred and released.
int attach_joystick(const char* name, int axes, int hats, int buttons);
void detach_joystick(int joystick);
// Axes 0..7 (x, y, z, rx, ry, rz, two sliders), raw -32768..32767.
void set_joystick_axis(int joystick, int axis, int value);
// Hats 0..3 in hundredths of a degree clockwise from up, -1 centred.
void set_joystick_hat(int joystick, int hat, int hundredths);
void set_joystick_button(int joystick, int button, bool held);

// Nothing held, no controller attached.
void reset_input();

} // namespace headless
} // namespace platform
