// main() of every test program: the headless backend unless the test run asks for
// another (the X server tests ask for SDL).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

int main(int argc, char** argv)
{
    setenv("REEF_PLATFORM", "headless", 0);
    testing::InitGoogleTest(&argc, argv);
    if (!platform::platform_init(nullptr)) {
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    platform::platform_shutdown();
    return result;
}
