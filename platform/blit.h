// Pixel kernels behind the display service: fills, copies, colour-keyed and
// stretched copies, and the conversion of a picture to 32-bit RGB for showing it.
// They work on raw rows; callers have clipped everything to the memory they own.
#pragma once

#include <cstdint>

namespace platform {
namespace blit {

void fill8(uint8_t* dst, int32_t pitch, int width, int height, uint8_t value);
void fill16(uint8_t* dst, int32_t pitch, int width, int height, uint16_t value);

void copy(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int row_bytes, int height);
// Copies every source pixel that is not `key`.
void copy_keyed8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                 uint8_t key);
void copy_keyed16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                  uint16_t key);

// Destination pixel (i, j) takes source pixel (xmap[i], ymap[j]); with `keyed`, pixels
// equal to `key` are skipped.
void stretch8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, const int32_t* xmap,
              int width, const int32_t* ymap, int height, bool keyed, uint8_t key);
void stretch16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, const int32_t* xmap,
               int width, const int32_t* ymap, int height, bool keyed, uint16_t key);
// Fills `map` with the source index under the centre of each of `dst_count`
// destination pixels, for a source span of `src_count` pixels starting at `src_first`;
// `skip` destination pixels at the start are left out (clipped away).
void stretch_map(int32_t* map, int dst_first_skip, int dst_count, int dst_total, int src_first, int src_count);

// Picture to 0x00RRGGBB pixels; `dst_pitch` in bytes.
void indexed_to_xrgb(uint32_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width,
                     int height, const uint32_t* palette_rgb);
void rgb16_to_xrgb(uint32_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                   bool format_555);

} // namespace blit
} // namespace platform
