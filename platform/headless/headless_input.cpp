#include "platform/headless/headless_internal.h"

namespace platform {
namespace headless {

void fill_input_driver(InputDriver& driver)
{
    (void)driver;
}

} // namespace headless
} // namespace platform
