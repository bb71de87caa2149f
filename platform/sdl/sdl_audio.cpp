#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {

void fill_audio_driver(AudioDriver& driver)
{
    (void)driver;
}

} // namespace sdl
} // namespace platform
