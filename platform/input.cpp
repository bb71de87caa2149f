#include "platform/input_backend.h"

namespace platform {
namespace {

void no_reset() {}

} // namespace

void default_input_driver(InputDriver& driver)
{
    driver.reset = no_reset;
}

} // namespace platform
