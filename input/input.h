// The input library: the keyboard, the mouse and the first attached game controller,
// each copied on request into a global record the program reads once per frame.
//
// Order: DInput_Init; any of the three openers; reads (typically once a frame); the
// releases; DInput_Shutdown last. main_instance and main_window_handle (the shell's)
// must be set first. Results are 1 for success and 0 for failure; nothing is logged.
#pragma once

#include <cstdint>

#include "platform/input.h"

// ============================================================================
// Records
// ============================================================================

using DIMOUSESTATE = platform::MouseState;    // relative x, y, wheel; four buttons
using DIJOYSTATE = platform::JoystickState;   // axes, sliders, hats, 32 buttons
using GUID = platform::DeviceGuid;             // a device instance identifier
using DIDEVICEINSTANCEA = platform::DeviceInstance;  // what enumeration reports

// What DInput_Enum_Joysticks answers: stop after this device, or hear of the next.
constexpr int DIENUM_STOP = 0;
constexpr int DIENUM_CONTINUE = 1;

// ============================================================================
// Globals
// ============================================================================

extern platform::InputService* lpdi;    // the input service, from DInput_Init
extern platform::InputDevice* lpdikey;  // the keyboard, or null
extern platform::InputDevice* lpdimouse;
extern platform::InputDevice* lpdijoy;
extern uint8_t keyboard_state[256];  // by scan code (DIK_*): 0x80 while held, else 0
extern DIMOUSESTATE mouse_state;
extern DIJOYSTATE joy_state;
extern int joystick_found;  // 1 once DInput_Init_Joystick succeeded
extern GUID joystickGUID;   // the first attached controller; all zero if none was reported
extern char joyname[80];    // its product name, zero-terminated (cut to 79 bytes)

// ============================================================================
// Functions
// ============================================================================

int DInput_Init();      // creates the service
void DInput_Shutdown();  // releases it
int DInput_Init_Keyboard();  // opens and acquires the keyboard
int DInput_Init_Mouse();     // opens and acquires the mouse
// Opens the first attached controller with x and y read from min to max and a dead zone
// of `dead_zone` percent of each axis around its centre; 0 when there is none.
int DInput_Init_Joystick(int min_x, int max_x, int min_y, int max_y, int dead_zone);
// The enumeration callback: keeps the reported controller's identifier (in `guid_ptr`)
// and name (in joyname), and stops.
int DInput_Enum_Joysticks(const DIDEVICEINSTANCEA* lpddi, void* guid_ptr);
int DInput_Read_Keyboard();  // refreshes keyboard_state
int DInput_Read_Mouse();     // refreshes mouse_state (movement since the previous read)
int DInput_Read_Joystick();  // polls the controller and refreshes joy_state
void DInput_Release_Keyboard();
void DInput_Release_Mouse();
void DInput_Release_Joystick();

// ============================================================================
// Virtual-key codes (for platform::virtual_key_held)
// ============================================================================

constexpr int VK_RETURN = 13;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;

// ============================================================================
// Keyboard scan codes: indices into keyboard_state (PC set 1, extended keys + 0x80)
// ============================================================================

constexpr int DIK_ESCAPE = 0x01;
constexpr int DIK_1 = 0x02;
constexpr int DIK_2 = 0x03;
constexpr int DIK_3 = 0x04;
constexpr int DIK_4 = 0x05;
constexpr int DIK_5 = 0x06;
constexpr int DIK_6 = 0x07;
constexpr int DIK_7 = 0x08;
constexpr int DIK_8 = 0x09;
constexpr int DIK_9 = 0x0A;
constexpr int DIK_0 = 0x0B;
constexpr int DIK_MINUS = 0x0C;
constexpr int DIK_EQUALS = 0x0D;
constexpr int DIK_BACK = 0x0E;  // Backspace
constexpr int DIK_TAB = 0x0F;
constexpr int DIK_Q = 0x10;
constexpr int DIK_W = 0x11;
constexpr int DIK_E = 0x12;
constexpr int DIK_R = 0x13;
constexpr int DIK_T = 0x14;
constexpr int DIK_Y = 0x15;
constexpr int DIK_U = 0x16;
constexpr int DIK_I = 0x17;
constexpr int DIK_O = 0x18;
constexpr int DIK_P = 0x19;
constexpr int DIK_LBRACKET = 0x1A;
constexpr int DIK_RBRACKET = 0x1B;
constexpr int DIK_RETURN = 0x1C;  // Enter on the main block
constexpr int DIK_LCONTROL = 0x1D;
constexpr int DIK_A = 0x1E;
constexpr int DIK_S = 0x1F;
constexpr int DIK_D = 0x20;
constexpr int DIK_F = 0x21;
constexpr int DIK_G = 0x22;
constexpr int DIK_H = 0x23;
constexpr int DIK_J = 0x24;
constexpr int DIK_K = 0x25;
constexpr int DIK_L = 0x26;
constexpr int DIK_SEMICOLON = 0x27;
constexpr int DIK_APOSTROPHE = 0x28;
constexpr int DIK_GRAVE = 0x29;
constexpr int DIK_LSHIFT = 0x2A;
constexpr int DIK_BACKSLASH = 0x2B;  // also the ISO key beside Enter
constexpr int DIK_Z = 0x2C;
constexpr int DIK_X = 0x2D;
constexpr int DIK_C = 0x2E;
constexpr int DIK_V = 0x2F;
constexpr int DIK_B = 0x30;
constexpr int DIK_N = 0x31;
constexpr int DIK_M = 0x32;
constexpr int DIK_COMMA = 0x33;
constexpr int DIK_PERIOD = 0x34;
constexpr int DIK_SLASH = 0x35;
constexpr int DIK_RSHIFT = 0x36;
constexpr int DIK_MULTIPLY = 0x37;  // * on the keypad
constexpr int DIK_LMENU = 0x38;     // left Alt
constexpr int DIK_SPACE = 0x39;
constexpr int DIK_CAPITAL = 0x3A;  // Caps Lock
constexpr int DIK_F1 = 0x3B;
constexpr int DIK_F2 = 0x3C;
constexpr int DIK_F3 = 0x3D;
constexpr int DIK_F4 = 0x3E;
constexpr int DIK_F5 = 0x3F;
constexpr int DIK_F6 = 0x40;
constexpr int DIK_F7 = 0x41;
constexpr int DIK_F8 = 0x42;
constexpr int DIK_F9 = 0x43;
constexpr int DIK_F10 = 0x44;
constexpr int DIK_NUMLOCK = 0x45;
constexpr int DIK_SCROLL = 0x46;  // Scroll Lock
constexpr int DIK_NUMPAD7 = 0x47;
constexpr int DIK_NUMPAD8 = 0x48;
constexpr int DIK_NUMPAD9 = 0x49;
constexpr int DIK_SUBTRACT = 0x4A;  // - on the keypad
constexpr int DIK_NUMPAD4 = 0x4B;
constexpr int DIK_NUMPAD5 = 0x4C;
constexpr int DIK_NUMPAD6 = 0x4D;
constexpr int DIK_ADD = 0x4E;  // + on the keypad
constexpr int DIK_NUMPAD1 = 0x4F;
constexpr int DIK_NUMPAD2 = 0x50;
constexpr int DIK_NUMPAD3 = 0x51;
constexpr int DIK_NUMPAD0 = 0x52;
constexpr int DIK_DECIMAL = 0x53;  // . on the keypad
constexpr int DIK_OEM_102 = 0x56;  // the ISO key beside left Shift
constexpr int DIK_F11 = 0x57;
constexpr int DIK_F12 = 0x58;
constexpr int DIK_NUMPADENTER = 0x9C;
constexpr int DIK_RCONTROL = 0x9D;
constexpr int DIK_DIVIDE = 0xB5;  // / on the keypad
constexpr int DIK_SYSRQ = 0xB7;   // Print Screen
constexpr int DIK_RMENU = 0xB8;   // right Alt
constexpr int DIK_PAUSE = 0xC5;
constexpr int DIK_HOME = 0xC7;
constexpr int DIK_UP = 0xC8;
constexpr int DIK_PRIOR = 0xC9;  // Page Up
constexpr int DIK_LEFT = 0xCB;
constexpr int DIK_RIGHT = 0xCD;
constexpr int DIK_END = 0xCF;
constexpr int DIK_DOWN = 0xD0;
constexpr int DIK_NEXT = 0xD1;  // Page Down
constexpr int DIK_INSERT = 0xD2;
constexpr int DIK_DELETE = 0xD3;
constexpr int DIK_LWIN = 0xDB;
constexpr int DIK_RWIN = 0xDC;
constexpr int DIK_APPS = 0xDD;  // the menu key
