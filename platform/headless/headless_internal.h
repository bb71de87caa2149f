// Parts of the headless backend that live in their own files.
#pragma once

#include <cstdint>

#include "platform/backend.h"

namespace platform {
namespace headless {

void fill_input_driver(InputDriver& driver);
void fill_audio_driver(AudioDriver& driver);
// Virtual time moved on by `ms` (a program waited): what plays in time catches up.
void time_passed(uint32_t ms);

} // namespace headless
} // namespace platform
