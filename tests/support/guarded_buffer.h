// A 640x480 drawing buffer for raster tests whose pitch is wider than a row (672
// pixels) and which has guard rows above and below. Everything starts as a sentinel
// value, so a write past a row's end, outside the buffer or outside the clip rectangle
// shows up as a changed pixel or a damaged guard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "gfx/gfx.h"

namespace reef_test {

using PixelSet = std::set<std::pair<int, int>>;  // (x, y)

template <typename Pixel>
class GuardedBuffer {
public:
    static constexpr int width = 640;
    static constexpr int height = 480;
    static constexpr int pitch_pixels = 672;
    static constexpr int guard_rows = 2;
    static constexpr Pixel sentinel = sizeof(Pixel) == 1 ? Pixel(0xEE) : Pixel(0xBEEF);

    GuardedBuffer() : storage_(static_cast<size_t>(height + 2 * guard_rows) * pitch_pixels, sentinel) {}

    // Row 0 and the pitch in bytes, as a lock hands them out.
    uint8_t* memory() { return reinterpret_cast<uint8_t*>(storage_.data() + guard_rows * pitch_pixels); }
    int lpitch() const { return pitch_pixels * static_cast<int>(sizeof(Pixel)); }

    Pixel at(int x, int y) const { return storage_[static_cast<size_t>((y + guard_rows) * pitch_pixels + x)]; }
    void set(int x, int y, Pixel value) { storage_[static_cast<size_t>((y + guard_rows) * pitch_pixels + x)] = value; }

    void clear() { storage_.assign(storage_.size(), sentinel); }

    // Every pixel of the visible 640x480 that is no longer the sentinel.
    PixelSet changed() const
    {
        PixelSet pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (at(x, y) != sentinel) {
                    pixels.insert({x, y});
                }
            }
        }
        return pixels;
    }

    // How many pixels changed, and whether they are exactly those `expected(x, y)` names;
    // for pictures too large to compare as sets.
    template <typename Predicate>
    bool changed_exactly_where(Predicate expected, long* changed_count = nullptr) const
    {
        bool matches = true;
        long count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool changed_here = at(x, y) != sentinel;
                count += changed_here ? 1 : 0;
                matches = matches && changed_here == expected(x, y);
            }
        }
        if (changed_count != nullptr) {
            *changed_count = count;
        }
        return matches;
    }

    // Pixels that are not `value` among those that changed.
    int changed_to_other_than(Pixel value) const
    {
        int count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                count += at(x, y) != sentinel && at(x, y) != value ? 1 : 0;
            }
        }
        return count;
    }

    // The padding at the end of every row and the guard rows are untouched.
    bool guards_intact() const
    {
        for (int y = -guard_rows; y < height + guard_rows; ++y) {
            const bool guard_row = y < 0 || y >= height;
            for (int x = guard_row ? 0 : width; x < pitch_pixels; ++x) {
                if (at(x, y) != sentinel) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    std::vector<Pixel> storage_;
};

// Pixels (x, y) for columns x1..x2 of row y.
inline void add_span(PixelSet& pixels, int x1, int x2, int y)
{
    for (int x = x1; x <= x2; ++x) {
        pixels.insert({x, y});
    }
}

// Pixels outside the inclusive rectangle.
inline int count_outside(const PixelSet& pixels, int x1, int x2, int y1, int y2)
{
    int count = 0;
    for (const auto& p : pixels) {
        count += (p.first < x1 || p.first > x2 || p.second < y1 || p.second > y2) ? 1 : 0;
    }
    return count;
}

// Sets the clip rectangle (inclusive bounds) for a scope and restores the previous one.
class ScopedClip {
public:
    ScopedClip(int x1, int x2, int y1, int y2)
        : saved_{min_clip_x, max_clip_x, min_clip_y, max_clip_y}
    {
        min_clip_x = x1;
        max_clip_x = x2;
        min_clip_y = y1;
        max_clip_y = y2;
    }
    ~ScopedClip()
    {
        min_clip_x = saved_[0];
        max_clip_x = saved_[1];
        min_clip_y = saved_[2];
        max_clip_y = saved_[3];
    }
    ScopedClip(const ScopedClip&) = delete;
    ScopedClip& operator=(const ScopedClip&) = delete;

private:
    int32_t saved_[4];
};

} // namespace reef_test
