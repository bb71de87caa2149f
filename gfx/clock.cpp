// The frame clock: millisecond ticks, a start mark and a wait measured from it.
#include "gfx/gfx.h"
#include "platform/clock.h"

uint32_t start_clock_count = 0;

uint32_t Get_Clock()
{
    return platform::clock_ticks();
}

uint32_t Start_Clock()
{
    start_clock_count = Get_Clock();
    return start_clock_count;
}

uint32_t Wait_Clock(uint32_t count)
{
    // Unsigned differences measure the span across a wrap of the tick count. The
    // clock is given the remaining time instead of being polled in a busy loop.
    for (;;) {
        const uint32_t elapsed = Get_Clock() - start_clock_count;
        if (elapsed >= count) {
            break;
        }
        platform::clock_idle(count - elapsed);
    }
    return Get_Clock();
}
