// Reading the generated game data in tests: where it is, whole files, little-endian fields.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace reef_test {

using Bytes = std::vector<uint8_t>;

// The data folder the build wrote (REEF_GAME_DATA), or "" when the test runs without it.
inline std::string game_data()
{
    const char* dir = std::getenv("REEF_GAME_DATA");
    return dir != nullptr ? dir : "";
}

inline Bytes read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline uint32_t le16(const Bytes& b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

inline uint32_t le32(const Bytes& b, size_t at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

} // namespace reef_test
