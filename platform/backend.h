// The backend contract. A backend is a Backend record (name, description, start and
// stop); starting it fills the driver tables below. Anything a backend leaves alone
// keeps the working default installed before it starts (a silent, window-less,
// virtual-time machine), so service code calls every entry without checking it.
//
// To add a backend: write a Backend record whose start function fills what it can
// offer, and list it in the bootstrap table of platform.cpp.
#pragma once

#include <cstdint>

#include "platform/audio_backend.h"
#include "platform/input_backend.h"
#include "platform/types.h"

namespace platform {

struct WindowDriver {
    // Makes the native window for `window` (title, rectangle already filled in).
    bool (*create)(Window* window);
    void (*destroy)(Window* window);
    // Turns the backend's pending events into messages and input state.
    void (*pump)();
    void (*show_cursor)(bool show);
    // Moves the window; the common code keeps the rectangle.
    void (*move)(Window* window, int x, int y);
};

struct ClockDriver {
    uint32_t (*ticks)();
    void (*idle)(uint32_t ms);
    void (*set_ticks)(uint32_t ticks);
};

// One picture to show: an area of `area_width` x `area_height` pixels, black but for
// `width` x `height` pixels of `bpp` bits placed at (`x`, `y`) in it (8: indices into
// `palette_rgb`, 0x00RRGGBB; 16: packed 5.6.5, or 5.5.5 when `format_555`).
struct Frame {
    const uint8_t* pixels;
    int32_t pitch;
    int width;
    int height;
    int bpp;
    bool format_555;
    const uint32_t* palette_rgb;
    int x;
    int y;
    int area_width;
    int area_height;
};

struct DisplayDriver {
    // The device opens and closes with the display; `set_mode` gives the picture's
    // size and depth and whether it owns the screen or is a window on the desktop.
    bool (*open)();
    void (*close)();
    bool (*set_mode)(Window* window, int width, int height, int bpp, bool fullscreen);
    void (*desktop_size)(int& width, int& height);
    // Row pitch in bytes for a surface row of `row_bytes` bytes.
    int (*pitch_for_row)(int row_bytes);
    // Bits per pixel a 16-bit surface reports (16 for 5.6.5, 15 for 5.5.5).
    int (*reported_16bit_format)();
    // False while the previous picture is still on the screen for this refresh.
    bool (*ready_to_present)();
    void (*present)(const Frame& frame);
    void (*wait_vblank)();
};

struct Drivers {
    WindowDriver window;
    ClockDriver clock;
    DisplayDriver display;
    InputDriver input;
    AudioDriver audio;
};

struct Backend {
    const char* name;
    const char* description;
    // Fills the tables; false (with a message on stderr) when the backend cannot run here.
    bool (*start)(Drivers& drivers);
    void (*stop)();
};

// The backends there are.
extern const Backend sdl_backend;
extern const Backend headless_backend;

// The running backend's tables (starting the default backend on first use).
Drivers& drivers();

// Defaults that backends may call from their own entries.
void default_drivers(Drivers& drivers);

} // namespace platform
