// The frame clock on the virtual clock: start marks, waits measured from them (work
// done since the mark counts), and spans across the wrap of the 32-bit tick count.
#include <gtest/gtest.h>

#include <cstdint>

#include "gfx/gfx.h"
#include "platform/clock.h"

namespace {

TEST(FrameClock, StartClockMarksAndReturnsTheTickCount)
{
    platform::clock_set_ticks(1000);
    EXPECT_EQ(1000u, Get_Clock());
    EXPECT_EQ(1000u, Start_Clock());
    EXPECT_EQ(1000u, start_clock_count);
}

TEST(FrameClock, WaitEndsWhenTheSpanSinceTheMarkHasPassed)
{
    struct Case {
        uint32_t start;
        uint32_t worked;  // ms spent between the mark and the wait
        uint32_t count;
        uint32_t ends;    // tick count when the wait returns
    };
    const Case cases[] = {
        {5000, 0, 30, 5030},
        {5000, 12, 30, 5030},             // work done since the mark counts
        {5000, 45, 30, 5045},             // already late: no wait at all
        {5000, 0, 0, 5000},               // a wait of 0 returns at once
        {4294967280u, 0, 32, 16},         // the span crosses the wrap of the tick count
        {4294967290u, 3, 30, 24},
    };
    for (const Case& c : cases) {
        platform::clock_set_ticks(c.start);
        Start_Clock();
        if (c.worked > 0) {
            platform::clock_idle(c.worked);
        }
        EXPECT_EQ(c.ends, Wait_Clock(c.count)) << c.start << " + " << c.count;
        EXPECT_EQ(c.ends, Get_Clock());
    }
}

TEST(FrameClock, AMarkBeforeTheWrapMeasuresAcrossIt)
{
    start_clock_count = 4294967280u;  // 2^32 - 16
    platform::clock_set_ticks(16);    // 32 ms later, after the wrap
    EXPECT_EQ(16u, Wait_Clock(32));
    EXPECT_EQ(17u, Wait_Clock(33));
}

} // namespace
