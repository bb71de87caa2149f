#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"

namespace platform {

namespace {

// Tried in this order when no backend is named.
const Backend* const bootstrap[] = {&sdl_backend, &headless_backend};

Drivers running_drivers{};
const Backend* running = nullptr;
PresentOptions present_options{false, 0};

// --- The working defaults: no window, virtual time, nothing shown -----------

bool no_window_create(Window*) { return true; }
void no_window_destroy(Window*) {}
void no_events() {}
void no_cursor(bool) {}
void no_move(Window*, int, int) {}

uint32_t virtual_ticks = 0;
uint32_t virtual_clock_ticks() { return virtual_ticks; }
void virtual_clock_idle(uint32_t ms) { virtual_ticks += ms > 0 ? ms : 1; }
void virtual_clock_set(uint32_t ticks) { virtual_ticks = ticks; }

bool no_display_open() { return true; }
void no_display_close() {}
bool any_mode(Window*, int, int, int, bool) { return true; }
void default_desktop(int& width, int& height)
{
    width = 1024;
    height = 768;
}
int aligned_pitch(int row_bytes) { return (row_bytes + 15) & ~15; }
int format_565() { return 16; }
bool always_ready() { return true; }
void no_present(const Frame&) {}
void no_vblank() {}

bool start(const Backend* backend)
{
    Drivers fresh{};
    default_drivers(fresh);
    if (!backend->start(fresh)) {
        return false;
    }
    running_drivers = fresh;
    running = backend;
    return true;
}

} // namespace

void default_drivers(Drivers& d)
{
    d.window.create = no_window_create;
    d.window.destroy = no_window_destroy;
    d.window.pump = no_events;
    d.window.show_cursor = no_cursor;
    d.window.move = no_move;
    d.clock.ticks = virtual_clock_ticks;
    d.clock.idle = virtual_clock_idle;
    d.clock.set_ticks = virtual_clock_set;
    d.display.open = no_display_open;
    d.display.close = no_display_close;
    d.display.set_mode = any_mode;
    d.display.desktop_size = default_desktop;
    d.display.pitch_for_row = aligned_pitch;
    d.display.reported_16bit_format = format_565;
    d.display.ready_to_present = always_ready;
    d.display.present = no_present;
    d.display.wait_vblank = no_vblank;
    default_input_driver(d.input);
    default_audio_driver(d.audio);
}

bool platform_init(const char* backend_name)
{
    platform_shutdown();
    const char* wanted = backend_name != nullptr ? backend_name : std::getenv("REEF_PLATFORM");
    if (wanted != nullptr && *wanted != '\0') {
        for (const Backend* backend : bootstrap) {
            if (std::strcmp(backend->name, wanted) == 0) {
                return start(backend);
            }
        }
        std::fprintf(stderr, "reef: unknown platform backend \"%s\" (try sdl or headless)\n", wanted);
        return false;
    }
    for (const Backend* backend : bootstrap) {
        if (start(backend)) {
            return true;
        }
    }
    return false;
}

void platform_shutdown()
{
    if (running != nullptr) {
        const Backend* backend = running;
        running = nullptr;
        backend->stop();
    }
}

const char* platform_backend_name()
{
    drivers();
    return running != nullptr ? running->name : "none";
}

void platform_set_present_options(const PresentOptions& options)
{
    present_options = options;
}

PresentOptions platform_present_options()
{
    return present_options;
}

Drivers& drivers()
{
    if (running == nullptr) {
        if (!platform_init(nullptr)) {
            // Nothing could start (an unknown REEF_PLATFORM): the defaults still work.
            default_drivers(running_drivers);
            running = &headless_backend;
        }
    }
    return running_drivers;
}

} // namespace platform
