// Clock service: a millisecond tick count that wraps after 2^32 ms.
// The SDL backend counts real time; the headless backend counts virtual time that
// moves only when a program waits, so runs are reproducible and waits are free.
#pragma once

#include <cstdint>

namespace platform {

uint32_t clock_ticks();
// Gives up to `ms` milliseconds to the system while a caller waits for the clock:
// real time sleeps (returning early rather than late), virtual time jumps ahead.
void clock_idle(uint32_t ms);
// Sets the tick count (virtual clock only; tests use it to reach the wrap-around).
void clock_set_ticks(uint32_t ticks);

} // namespace platform
