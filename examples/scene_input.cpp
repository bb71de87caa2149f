// The input library at work: a 105-key keyboard whose held keys light up, a dot the
// mouse moves (wheel and buttons beside it) and, when a game controller is attached,
// its stick, hat and buttons. Everything is read once a frame, as a game would.
#include <algorithm>
#include <cstdio>

#include "examples/demo.h"
#include "gfx/gfx.h"
#include "input/input.h"

namespace {

constexpr int background = 1;
constexpr int key_free = 2;
constexpr int key_held = 3;
constexpr int text_colour = 4;
constexpr int panel = 5;
constexpr int mouse_dot = 6;
constexpr int stick_dot = 7;

// One key on the drawing: its scan code (0 for a gap), width in quarters of a key
// and height in rows.
struct KeyPlace {
    int scan_code;
    int quarters;
    int rows;
};

constexpr int row_count = 6;
constexpr int max_row_keys = 24;

// An ISO 105-key board: main block, navigation block, keypad. Tall keys (Enter,
// keypad + and Enter) are placed in their top row and leave a gap below.
constexpr KeyPlace layout[row_count][max_row_keys] = {
    {{DIK_ESCAPE, 4, 1}, {0, 4, 1}, {DIK_F1, 4, 1}, {DIK_F2, 4, 1}, {DIK_F3, 4, 1}, {DIK_F4, 4, 1},
     {0, 2, 1}, {DIK_F5, 4, 1}, {DIK_F6, 4, 1}, {DIK_F7, 4, 1}, {DIK_F8, 4, 1}, {0, 2, 1}, {DIK_F9, 4, 1},
     {DIK_F10, 4, 1}, {DIK_F11, 4, 1}, {DIK_F12, 4, 1}, {0, 1, 1}, {DIK_SYSRQ, 4, 1}, {DIK_SCROLL, 4, 1},
     {DIK_PAUSE, 4, 1}},
    {{DIK_GRAVE, 4, 1}, {DIK_1, 4, 1}, {DIK_2, 4, 1}, {DIK_3, 4, 1}, {DIK_4, 4, 1}, {DIK_5, 4, 1},
     {DIK_6, 4, 1}, {DIK_7, 4, 1}, {DIK_8, 4, 1}, {DIK_9, 4, 1}, {DIK_0, 4, 1}, {DIK_MINUS, 4, 1},
     {DIK_EQUALS, 4, 1}, {DIK_BACK, 8, 1}, {0, 1, 1}, {DIK_INSERT, 4, 1}, {DIK_HOME, 4, 1}, {DIK_PRIOR, 4, 1},
     {0, 1, 1}, {DIK_NUMLOCK, 4, 1}, {DIK_DIVIDE, 4, 1}, {DIK_MULTIPLY, 4, 1}, {DIK_SUBTRACT, 4, 1}},
    {{DIK_TAB, 6, 1}, {DIK_Q, 4, 1}, {DIK_W, 4, 1}, {DIK_E, 4, 1}, {DIK_R, 4, 1}, {DIK_T, 4, 1},
     {DIK_Y, 4, 1}, {DIK_U, 4, 1}, {DIK_I, 4, 1}, {DIK_O, 4, 1}, {DIK_P, 4, 1}, {DIK_LBRACKET, 4, 1},
     {DIK_RBRACKET, 4, 1}, {DIK_RETURN, 6, 2}, {0, 1, 1}, {DIK_DELETE, 4, 1}, {DIK_END, 4, 1},
     {DIK_NEXT, 4, 1}, {0, 1, 1}, {DIK_NUMPAD7, 4, 1}, {DIK_NUMPAD8, 4, 1}, {DIK_NUMPAD9, 4, 1},
     {DIK_ADD, 4, 2}},
    {{DIK_CAPITAL, 6, 1}, {DIK_A, 4, 1}, {DIK_S, 4, 1}, {DIK_D, 4, 1}, {DIK_F, 4, 1}, {DIK_G, 4, 1},
     {DIK_H, 4, 1}, {DIK_J, 4, 1}, {DIK_K, 4, 1}, {DIK_L, 4, 1}, {DIK_SEMICOLON, 4, 1},
     {DIK_APOSTROPHE, 4, 1}, {DIK_BACKSLASH, 4, 1}, {0, 6, 1}, {0, 1, 1}, {0, 12, 1}, {0, 1, 1},
     {DIK_NUMPAD4, 4, 1}, {DIK_NUMPAD5, 4, 1}, {DIK_NUMPAD6, 4, 1}},
    {{DIK_LSHIFT, 5, 1}, {DIK_OEM_102, 4, 1}, {DIK_Z, 4, 1}, {DIK_X, 4, 1}, {DIK_C, 4, 1}, {DIK_V, 4, 1},
     {DIK_B, 4, 1}, {DIK_N, 4, 1}, {DIK_M, 4, 1}, {DIK_COMMA, 4, 1}, {DIK_PERIOD, 4, 1}, {DIK_SLASH, 4, 1},
     {DIK_RSHIFT, 11, 1}, {0, 1, 1}, {0, 4, 1}, {DIK_UP, 4, 1}, {0, 4, 1}, {0, 1, 1}, {DIK_NUMPAD1, 4, 1},
     {DIK_NUMPAD2, 4, 1}, {DIK_NUMPAD3, 4, 1}, {DIK_NUMPADENTER, 4, 2}},
    {{DIK_LCONTROL, 5, 1}, {DIK_LWIN, 5, 1}, {DIK_LMENU, 5, 1}, {DIK_SPACE, 25, 1}, {DIK_RMENU, 5, 1},
     {DIK_RWIN, 5, 1}, {DIK_APPS, 5, 1}, {DIK_RCONTROL, 5, 1}, {0, 1, 1}, {DIK_LEFT, 4, 1}, {DIK_DOWN, 4, 1},
     {DIK_RIGHT, 4, 1}, {0, 1, 1}, {DIK_NUMPAD0, 8, 1}, {DIK_DECIMAL, 4, 1}},
};

constexpr int key_size = 26;  // pixels per key
constexpr int keyboard_x = 26;
constexpr int keyboard_y = 44;
constexpr int function_row_gap = 8;

constexpr RECT mouse_box = {20, 250, 300, 430};
constexpr RECT stick_box = {340, 250, 500, 410};
constexpr int stick_range = 100;

int mouse_x = 0;  // the dot, relative to the box centre
int mouse_y = 0;
int wheel = 0;  // notches, within the bar

void fill(int left, int top, int right, int bottom, int colour)
{
    const RECT area{left, top, right, bottom};
    DDraw_Fill_Surface(lpddsback, static_cast<uint16_t>(colour), &area);
}

void fill(const RECT& area, int colour)
{
    fill(area.left, area.top, area.right, area.bottom, colour);
}

void text(const char* line, int x, int y)
{
    Draw_Text_GDI(line, x, y, text_colour, lpddsback);
}

int draw_keyboard()
{
    int held = 0;
    for (int row = 0; row < row_count; ++row) {
        const int y = keyboard_y + row * key_size + (row > 0 ? function_row_gap : 0);
        int quarters = 0;
        for (const KeyPlace& key : layout[row]) {
            if (key.quarters == 0) {
                break;
            }
            if (key.scan_code != 0) {
                const bool down = keyboard_state[key.scan_code] != 0;
                held += down ? 1 : 0;
                const int x = keyboard_x + quarters * key_size / 4;
                fill(x, y, x + key.quarters * key_size / 4 - 2, y + key.rows * key_size - 2, down ? key_held : key_free);
            }
            quarters += key.quarters;
        }
    }
    return held;
}

void draw_mouse()
{
    const int centre_x = (mouse_box.left + mouse_box.right) / 2;
    const int centre_y = (mouse_box.top + mouse_box.bottom) / 2;
    const int reach_x = (mouse_box.right - mouse_box.left) / 2 - 4;
    const int reach_y = (mouse_box.bottom - mouse_box.top) / 2 - 4;
    mouse_x = std::clamp(mouse_x + mouse_state.x, -reach_x, reach_x);
    mouse_y = std::clamp(mouse_y + mouse_state.y, -reach_y, reach_y);
    wheel = std::clamp(wheel + mouse_state.z / 120, -8, 8);
    fill(mouse_box, panel);
    const int cx = centre_x + mouse_x;
    const int cy = centre_y + mouse_y;
    fill(cx - 4, cy - 4, cx + 4, cy + 4, mouse_dot);
    // The wheel as a marker on a bar, the buttons as four squares below the box.
    fill(mouse_box.right + 4, mouse_box.top, mouse_box.right + 12, mouse_box.bottom, panel);
    const int wheel_y = centre_y - wheel * 10;
    fill(mouse_box.right + 4, wheel_y - 3, mouse_box.right + 12, wheel_y + 3, mouse_dot);
    for (int i = 0; i < 4; ++i) {
        const int x = mouse_box.left + i * 30;
        fill(x, mouse_box.bottom + 6, x + 24, mouse_box.bottom + 20, mouse_state.buttons[i] != 0 ? key_held : key_free);
    }
    text("mouse: move, wheel, buttons", mouse_box.left, mouse_box.top - 20);
}

void draw_joystick()
{
    fill(stick_box, panel);
    if (joystick_found == 0 || DInput_Read_Joystick() == 0) {
        text(joystick_found == 0 ? "no game controller attached" : "game controller lost", stick_box.left,
             stick_box.top - 20);
        return;
    }
    text(joyname, stick_box.left, stick_box.top - 20);
    const int half = (stick_box.right - stick_box.left) / 2;
    const int cx = stick_box.left + half + std::clamp(joy_state.x, -stick_range, stick_range) * (half - 5) / stick_range;
    const int cy = (stick_box.top + stick_box.bottom) / 2 +
                   std::clamp(joy_state.y, -stick_range, stick_range) * (half - 5) / stick_range;
    fill(cx - 5, cy - 5, cx + 5, cy + 5, stick_dot);

    // The first hat: a square pushed towards where it points.
    const int hx = stick_box.right + 50;
    const int hy = (stick_box.top + stick_box.bottom) / 2;
    fill(hx - 30, hy - 30, hx + 30, hy + 30, panel);
    int dx = 0;
    int dy = 0;
    if (joy_state.pov[0] >= 0) {
        const int octant = ((joy_state.pov[0] + 2250) / 4500) % 8;
        constexpr int step_x[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        constexpr int step_y[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
        dx = step_x[octant] * 20;
        dy = step_y[octant] * 20;
    }
    fill(hx + dx - 6, hy + dy - 6, hx + dx + 6, hy + dy + 6, joy_state.pov[0] >= 0 ? key_held : key_free);

    for (int i = 0; i < 32; ++i) {
        const int x = stick_box.left + (i % 16) * 14;
        const int y = stick_box.bottom + 8 + (i / 16) * 14;
        fill(x, y, x + 11, y + 11, joy_state.buttons[i] != 0 ? key_held : key_free);
    }
}

void enter()
{
    PALETTEENTRY colours[256] = {};
    colours[background] = PALETTEENTRY{8, 24, 56, PC_NOCOLLAPSE};
    colours[key_free] = PALETTEENTRY{70, 86, 110, PC_NOCOLLAPSE};
    colours[key_held] = PALETTEENTRY{255, 210, 40, PC_NOCOLLAPSE};
    colours[text_colour] = PALETTEENTRY{235, 240, 250, PC_NOCOLLAPSE};
    colours[panel] = PALETTEENTRY{20, 44, 84, PC_NOCOLLAPSE};
    colours[mouse_dot] = PALETTEENTRY{240, 80, 60, PC_NOCOLLAPSE};
    colours[stick_dot] = PALETTEENTRY{80, 230, 120, PC_NOCOLLAPSE};
    Set_Palette(colours);
    mouse_x = mouse_y = wheel = 0;
    DInput_Init();
    DInput_Init_Keyboard();
    DInput_Init_Mouse();
    DInput_Init_Joystick(-stick_range, stick_range, -stick_range, stick_range, 10);
}

void frame(int)
{
    DInput_Read_Keyboard();
    DInput_Read_Mouse();
    DDraw_Fill_Surface(lpddsback, background);
    const int held = draw_keyboard();
    char line[64] = {};
    std::snprintf(line, sizeof line, "Hold any keys: %d held", held);
    text(line, keyboard_x, 14);
    draw_mouse();
    draw_joystick();
}

void leave()
{
    DInput_Release_Joystick();
    DInput_Release_Mouse();
    DInput_Release_Keyboard();
    DInput_Shutdown();
    // Found stays set by design; the next visit looks for a controller afresh.
    joystick_found = 0;
}

} // namespace

const DemoScene input_scene = {"input: keyboard, mouse and joystick", enter, frame, leave};
