#include "platform/headless/headless_internal.h"

namespace platform {
namespace headless {

void fill_audio_driver(AudioDriver& driver)
{
    (void)driver;
}

void time_passed(uint32_t ms)
{
    (void)ms;
}

} // namespace headless
} // namespace platform
