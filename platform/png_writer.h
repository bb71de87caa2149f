// Writing pictures as PNG files (screenshots, test pictures).
#pragma once

#include <cstdint>

namespace platform {

// Writes `width` x `height` RGB triples, top row first. False if the file cannot be written.
bool write_png(const char* path, const uint8_t* rgb, int width, int height);
// Writes the visible picture (what display_capture returns).
bool capture_png(const char* path);

} // namespace platform
