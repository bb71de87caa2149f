#include <thread>

#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {
namespace {

uint32_t offset = 0;  // lets tests move the tick count (to its wrap-around, say)

uint32_t ticks()
{
    return static_cast<uint32_t>(SDL_GetTicks64()) + offset;
}

// Sleeps a millisecond short of the wish, since a sleep may overrun; the caller's
// own loop covers the rest.
void idle(uint32_t ms)
{
    if (ms > 1) {
        SDL_Delay(ms - 1);
    } else {
        std::this_thread::yield();
    }
}

void set_ticks(uint32_t value)
{
    offset = value - static_cast<uint32_t>(SDL_GetTicks64());
}

} // namespace

void fill_clock_driver(ClockDriver& driver)
{
    driver.ticks = ticks;
    driver.idle = idle;
    driver.set_ticks = set_ticks;
}

} // namespace sdl
} // namespace platform
