// 8-bit BMP files as every reader takes them: the 40-byte information header, a full
// 256-entry colour table, rows bottom-up and padded to four bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace assets {

// The whole file for `width` x `height` pixels given top row first.
std::vector<uint8_t> bmp_file_bytes(int width, int height, const std::vector<uint8_t>& pixels,
                                    const PALETTEENTRY* palette);

// Writes the file; false (after one line on stderr) when it cannot be written.
bool write_bmp_file(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                    const PALETTEENTRY* palette);

} // namespace assets
