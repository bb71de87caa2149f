#include "platform/blit.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {
namespace blit {

void fill8(uint8_t* dst, int32_t pitch, int width, int height, uint8_t value)
{
    for (int y = 0; y < height; ++y, dst += pitch) {
        std::memset(dst, value, static_cast<size_t>(width));
    }
}

void fill16(uint8_t* dst, int32_t pitch, int width, int height, uint16_t value)
{
    if ((value & 0xFF) == (value >> 8)) {
        fill8(dst, pitch, width * 2, height, static_cast<uint8_t>(value));
        return;
    }
    for (int y = 0; y < height; ++y, dst += pitch) {
        uint16_t* row = reinterpret_cast<uint16_t*>(dst);
        for (int x = 0; x < width; ++x) {
            row[x] = value;
        }
    }
}

void copy(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int row_bytes, int height)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        std::memmove(dst, src, static_cast<size_t>(row_bytes));
    }
}

#if defined(__SSE2__)

// Blending with the key mask is idempotent for a given source, so the last vector of
// a row may overlap the one before it instead of falling back to a scalar tail.
void copy_keyed8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                 uint8_t key)
{
    if (width < 16) {
        for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
            for (int x = 0; x < width; ++x) {
                if (src[x] != key) {
                    dst[x] = src[x];
                }
            }
        }
        return;
    }
    const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
    const int last = width - 16;
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        int x = 0;
        for (;;) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
            const __m128i is_key = _mm_cmpeq_epi8(s, keys);
            const int key_bits = _mm_movemask_epi8(is_key);
            if (key_bits == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), s);
            } else if (key_bits != 0xFFFF) {
                const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
                const __m128i out = _mm_or_si128(_mm_and_si128(is_key, d), _mm_andnot_si128(is_key, s));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), out);
            }
            if (x == last) {
                break;
            }
            x = x + 16 < last ? x + 16 : last;
        }
    }
}

void copy_keyed16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                  uint16_t key)
{
    if (width < 8) {
        for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
            const uint16_t* s = reinterpret_cast<const uint16_t*>(src);
            uint16_t* d = reinterpret_cast<uint16_t*>(dst);
            for (int x = 0; x < width; ++x) {
                if (s[x] != key) {
                    d[x] = s[x];
                }
            }
        }
        return;
    }
    const __m128i keys = _mm_set1_epi16(static_cast<short>(key));
    const int last = (width - 8) * 2;
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        int x = 0;
        for (;;) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
            const __m128i is_key = _mm_cmpeq_epi16(s, keys);
            const int key_bits = _mm_movemask_epi8(is_key);
            if (key_bits == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), s);
            } else if (key_bits != 0xFFFF) {
                const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
                const __m128i out = _mm_or_si128(_mm_and_si128(is_key, d), _mm_andnot_si128(is_key, s));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), out);
            }
            if (x == last) {
                break;
            }
            x = x + 16 < last ? x + 16 : last;
        }
    }
}

#else

void copy_keyed8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                 uint8_t key)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        for (int x = 0; x < width; ++x) {
            if (src[x] != key) {
                dst[x] = src[x];
            }
        }
    }
}

void copy_keyed16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                  uint16_t key)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        const uint16_t* s = reinterpret_cast<const uint16_t*>(src);
        uint16_t* d = reinterpret_cast<uint16_t*>(dst);
        for (int x = 0; x < width; ++x) {
            if (s[x] != key) {
                d[x] = s[x];
            }
        }
    }
}

#endif

void stretch_map(int32_t* map, int dst_first_skip, int dst_count, int dst_total, int src_first, int src_count)
{
    // Source pixel under the centre of destination pixel i: floor((i + 1/2) * src / dst).
    const int64_t step2 = static_cast<int64_t>(src_count) * 2;
    const int64_t denom = static_cast<int64_t>(dst_total) * 2;
    int64_t numer = (static_cast<int64_t>(dst_first_skip) * 2 + 1) * src_count;
    for (int i = 0; i < dst_count; ++i, numer += step2) {
        map[i] = src_first + static_cast<int32_t>(numer / denom);
    }
}

void stretch8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, const int32_t* xmap,
              int width, const int32_t* ymap, int height, bool keyed, uint8_t key)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch) {
        const uint8_t* row = src + static_cast<std::ptrdiff_t>(ymap[y]) * src_pitch;
        if (keyed) {
            for (int x = 0; x < width; ++x) {
                const uint8_t v = row[xmap[x]];
                if (v != key) {
                    dst[x] = v;
                }
            }
        } else {
            for (int x = 0; x < width; ++x) {
                dst[x] = row[xmap[x]];
            }
        }
    }
}

void stretch16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, const int32_t* xmap,
               int width, const int32_t* ymap, int height, bool keyed, uint16_t key)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch) {
        const uint16_t* row = reinterpret_cast<const uint16_t*>(src + static_cast<std::ptrdiff_t>(ymap[y]) * src_pitch);
        uint16_t* out = reinterpret_cast<uint16_t*>(dst);
        if (keyed) {
            for (int x = 0; x < width; ++x) {
                const uint16_t v = row[xmap[x]];
                if (v != key) {
                    out[x] = v;
                }
            }
        } else {
            for (int x = 0; x < width; ++x) {
                out[x] = row[xmap[x]];
            }
        }
    }
}

void indexed_to_xrgb(uint32_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width,
                     int height, const uint32_t* palette_rgb)
{
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * src_pitch;
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<std::ptrdiff_t>(y) * dst_pitch);
        int x = 0;
        // Eight indices per load; the lookups are independent, so they overlap well.
        for (; x + 8 <= width; x += 8) {
            uint64_t v = 0;
            std::memcpy(&v, s + x, sizeof v);
            d[x + 0] = palette_rgb[v & 0xFF];
            d[x + 1] = palette_rgb[(v >> 8) & 0xFF];
            d[x + 2] = palette_rgb[(v >> 16) & 0xFF];
            d[x + 3] = palette_rgb[(v >> 24) & 0xFF];
            d[x + 4] = palette_rgb[(v >> 32) & 0xFF];
            d[x + 5] = palette_rgb[(v >> 40) & 0xFF];
            d[x + 6] = palette_rgb[(v >> 48) & 0xFF];
            d[x + 7] = palette_rgb[v >> 56];
        }
        for (; x < width; ++x) {
            d[x] = palette_rgb[s[x]];
        }
    }
}

void rgb16_to_xrgb(uint32_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                   bool format_555)
{
    for (int y = 0; y < height; ++y) {
        const uint16_t* s = reinterpret_cast<const uint16_t*>(src + static_cast<std::ptrdiff_t>(y) * src_pitch);
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<std::ptrdiff_t>(y) * dst_pitch);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = s[x];
            uint32_t r = 0;
            uint32_t g = 0;
            const uint32_t b5 = p & 31;
            if (format_555) {
                const uint32_t r5 = (p >> 10) & 31;
                const uint32_t g5 = (p >> 5) & 31;
                r = (r5 << 3) | (r5 >> 2);
                g = (g5 << 3) | (g5 >> 2);
            } else {
                const uint32_t r5 = (p >> 11) & 31;
                const uint32_t g6 = (p >> 5) & 63;
                r = (r5 << 3) | (r5 >> 2);
                g = (g6 << 2) | (g6 >> 4);
            }
            const uint32_t b = (b5 << 3) | (b5 >> 2);
            d[x] = (r << 16) | (g << 8) | b;
        }
    }
}

} // namespace blit
} // namespace platform
