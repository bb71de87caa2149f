#include "platform/clock.h"

#include "platform/backend.h"
#include "platform/display.h"

namespace platform {

uint32_t clock_ticks()
{
    return drivers().clock.ticks();
}

void clock_idle(uint32_t ms)
{
    // A waiting program is a good moment to show what it drew.
    display_service();
    drivers().clock.idle(ms);
}

void clock_set_ticks(uint32_t ticks)
{
    drivers().clock.set_ticks(ticks);
}

} // namespace platform
