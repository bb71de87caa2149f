// Plain data types shared by the platform layer and the libraries on top of it.
// They are laid out as the library's records expect them (four-byte palette entries,
// 32-bit rectangle edges), so library code can copy them byte for byte.
#pragma once

#include <cstdint>

// One palette entry: intensities 0..255 and a flags byte passed through unchanged.
struct PALETTEENTRY {
    uint8_t peRed;
    uint8_t peGreen;
    uint8_t peBlue;
    uint8_t peFlags;
};
static_assert(sizeof(PALETTEENTRY) == 4, "palette entries are four bytes");

// A rectangle with exclusive right and bottom edges.
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// A 32-bit colour value: red in bits 0-7, green in 8-15, blue in 16-23.
using COLORREF = uint32_t;

constexpr COLORREF Make_COLORREF(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

// Palette entry flags the library uses.
constexpr uint8_t PC_EXPLICIT = 2;
constexpr uint8_t PC_NOCOLLAPSE = 4;

namespace platform {

// Opaque handles. The objects behind them belong to the platform layer; a handle
// that has been released stays safe to pass back (operations on it fail).
struct Window;
struct DisplayDevice;
struct Surface;
struct Palette;
struct Clipper;

} // namespace platform
