// The headless backend: the working defaults with a deliberately wide pitch (so code
// that assumes pitch = width fails its tests), a desktop of settable size and a
// virtual clock. Nothing is shown; the picture can be captured.
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace platform {
namespace {

int desktop_width = 1024;
int desktop_height = 768;
int format_16bit = 16;

void headless_desktop(int& width, int& height)
{
    width = desktop_width;
    height = desktop_height;
}

// Rows are padded by 24 bytes past a 16-byte boundary.
int padded_pitch(int row_bytes)
{
    return ((row_bytes + 15) & ~15) + 24;
}

int headless_16bit_format()
{
    return format_16bit;
}

void (*virtual_idle)(uint32_t) = nullptr;

// Waiting is where virtual time passes; sound plays on with it.
void idle(uint32_t ms)
{
    const uint32_t before = drivers().clock.ticks();
    virtual_idle(ms);
    headless::time_passed(drivers().clock.ticks() - before);
}

bool start(Drivers& drivers)
{
    virtual_idle = drivers.clock.idle;
    drivers.clock.idle = idle;
    headless::fill_input_driver(drivers.input);
    headless::fill_audio_driver(drivers.audio);
    drivers.display.desktop_size = headless_desktop;
    drivers.display.pitch_for_row = padded_pitch;
    drivers.display.reported_16bit_format = headless_16bit_format;
    return true;
}

void stop() {}

} // namespace

const Backend headless_backend = {"headless", "no window; virtual clock, injected input", start, stop};

namespace headless {

void set_desktop_size(int width, int height)
{
    desktop_width = width;
    desktop_height = height;
}

void set_16bit_format(int bits)
{
    format_16bit = bits == 15 ? 15 : 16;
}

void reset()
{
    desktop_width = 1024;
    desktop_height = 768;
    format_16bit = 16;
}

} // namespace headless
} // namespace platform
