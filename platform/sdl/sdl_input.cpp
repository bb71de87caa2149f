#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {

void input_event(const SDL_Event& event)
{
    (void)event;
}

void fill_input_driver(InputDriver& driver)
{
    (void)driver;
}

} // namespace sdl
} // namespace platform
