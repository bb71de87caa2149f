#include "platform/audio_backend.h"

namespace platform {
namespace {

void no_reset() {}

} // namespace

void default_audio_driver(AudioDriver& driver)
{
    driver.reset = no_reset;
}

} // namespace platform
