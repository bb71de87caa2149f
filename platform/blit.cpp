#include "platform/blit.h"

#include <cstddef>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
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

#if defined(__x86_64__) || defined(__i386__)

namespace {

// The keyed copies come in three widths: AVX-512 stores only the non-key bytes with one
// masked store per 64 pixels; AVX2 and SSE2 blend with the key mask. The widest the
// processor has is chosen once.

__attribute__((target("avx512bw"))) void keyed8_avx512(uint8_t* dst, int32_t dst_pitch, const uint8_t* src,
                                                        int32_t src_pitch, int width, int height, uint8_t key)
{
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        for (int x = 0; x < width; x += 64) {
            const int left = width - x;
            const __mmask64 in_row = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
            const __m512i s = _mm512_maskz_loadu_epi8(in_row, src + x);
            const __mmask64 opaque = _mm512_mask_cmpneq_epi8_mask(in_row, s, keys);
            _mm512_mask_storeu_epi8(dst + x, opaque, s);
        }
    }
}

__attribute__((target("avx512bw"))) void keyed16_avx512(uint8_t* dst, int32_t dst_pitch, const uint8_t* src,
                                                         int32_t src_pitch, int width, int height, uint16_t key)
{
    const __m512i keys = _mm512_set1_epi16(static_cast<short>(key));
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        const uint16_t* s16 = reinterpret_cast<const uint16_t*>(src);
        uint16_t* d16 = reinterpret_cast<uint16_t*>(dst);
        for (int x = 0; x < width; x += 32) {
            const int left = width - x;
            const __mmask32 in_row = left >= 32 ? ~__mmask32{0} : (__mmask32{1} << left) - 1;
            const __m512i s = _mm512_maskz_loadu_epi16(in_row, s16 + x);
            const __mmask32 opaque = _mm512_mask_cmpneq_epi16_mask(in_row, s, keys);
            _mm512_mask_storeu_epi16(d16 + x, opaque, s);
        }
    }
}

// Blending with the key mask is idempotent for a given source, so the last vector of
// a row may overlap the one before it instead of needing a scalar tail.
__attribute__((target("avx2"))) void keyed_avx2(uint8_t* dst, int32_t dst_pitch, const uint8_t* src,
                                                int32_t src_pitch, int row_bytes, int height, uint16_t key,
                                                bool wide_pixels)
{
    const __m256i keys = wide_pixels ? _mm256_set1_epi16(static_cast<short>(key))
                                     : _mm256_set1_epi8(static_cast<char>(key));
    const int last = row_bytes - 32;
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        int x = 0;
        for (;;) {
            const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x));
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + x));
            const __m256i is_key = wide_pixels ? _mm256_cmpeq_epi16(s, keys) : _mm256_cmpeq_epi8(s, keys);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm256_blendv_epi8(s, d, is_key));
            if (x == last) {
                break;
            }
            x = x + 32 < last ? x + 32 : last;
        }
    }
}

void keyed_sse2(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int row_bytes, int height,
                uint16_t key, bool wide_pixels)
{
    const __m128i keys = wide_pixels ? _mm_set1_epi16(static_cast<short>(key)) : _mm_set1_epi8(static_cast<char>(key));
    const int last = row_bytes - 16;
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        int x = 0;
        for (;;) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
            const __m128i is_key = wide_pixels ? _mm_cmpeq_epi16(s, keys) : _mm_cmpeq_epi8(s, keys);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                             _mm_or_si128(_mm_and_si128(is_key, d), _mm_andnot_si128(is_key, s)));
            if (x == last) {
                break;
            }
            x = x + 16 < last ? x + 16 : last;
        }
    }
}

template <typename Pixel>
void keyed_scalar(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                  Pixel key)
{
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch) {
        const Pixel* s = reinterpret_cast<const Pixel*>(src);
        Pixel* d = reinterpret_cast<Pixel*>(dst);
        for (int x = 0; x < width; ++x) {
            if (s[x] != key) {
                d[x] = s[x];
            }
        }
    }
}

enum class Simd { sse2, avx2, avx512 };

Simd simd_level()
{
    static const Simd level = __builtin_cpu_supports("avx512bw") ? Simd::avx512
                              : __builtin_cpu_supports("avx2")   ? Simd::avx2
                                                                 : Simd::sse2;
    return level;
}

} // namespace

void copy_keyed8(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                 uint8_t key)
{
    const Simd level = simd_level();
    if (level == Simd::avx512) {
        keyed8_avx512(dst, dst_pitch, src, src_pitch, width, height, key);
    } else if (level == Simd::avx2 && width >= 32) {
        keyed_avx2(dst, dst_pitch, src, src_pitch, width, height, key, false);
    } else if (width >= 16) {
        keyed_sse2(dst, dst_pitch, src, src_pitch, width, height, key, false);
    } else {
        keyed_scalar<uint8_t>(dst, dst_pitch, src, src_pitch, width, height, key);
    }
}

void copy_keyed16(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int width, int height,
                  uint16_t key)
{
    const Simd level = simd_level();
    if (level == Simd::avx512) {
        keyed16_avx512(dst, dst_pitch, src, src_pitch, width, height, key);
    } else if (level == Simd::avx2 && width >= 16) {
        keyed_avx2(dst, dst_pitch, src, src_pitch, width * 2, height, key, true);
    } else if (width >= 8) {
        keyed_sse2(dst, dst_pitch, src, src_pitch, width * 2, height, key, true);
    } else {
        keyed_scalar<uint16_t>(dst, dst_pitch, src, src_pitch, width, height, key);
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
