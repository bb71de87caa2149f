// Controls of the headless backend for tests and tools: the shape of its pretend
// desktop and display. They take effect on the next display set-up and are harmless
// (ignored) while another backend runs.
#pragma once

namespace platform {
namespace headless {

// The desktop a windowed display covers (1024 x 768 at start).
void set_desktop_size(int width, int height);
// What a 16-bit surface reports as its format: 16 (5.6.5, the start value) or 15 (5.5.5).
void set_16bit_format(int bits);
// Back to the start values.
void reset();

} // namespace headless
} // namespace platform
