// Per-frame work on sprites: animation steps, motion with wrap-around or bouncing at
// the clip rectangle, the shrunk-box collision tests and the colour scans of locked
// surface memory.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "gfx/gfx.h"

namespace {

constexpr int32_t sequence_end = -1;

// The sequence the sprite plays, or null when the slot is out of range, empty of an
// array, or holds only its end mark: such a sprite keeps the frame it shows.
const int32_t* current_sequence(const BOB_TYP* bob)
{
    if (bob->cur_anim < 0 || bob->cur_anim >= MAX_BOB_ANIMATIONS) {
        return nullptr;
    }
    const int32_t* sequence = bob->anim_seqs[bob->cur_anim];
    if (sequence == nullptr || sequence[0] == sequence_end) {
        return nullptr;
    }
    return sequence;
}

void step_sequence(BOB_TYP* bob, const int32_t* sequence)
{
    // Walking up to the wanted position, rather than indexing straight into it, keeps a
    // position left over from a longer sequence from reading past the end mark.
    const int64_t wanted = bob->anim_pos < 0 ? 0 : static_cast<int64_t>(bob->anim_pos) + 1;
    int64_t pos = 0;
    while (pos < wanted && sequence[pos] != sequence_end) {
        ++pos;
    }
    if (sequence[pos] != sequence_end) {
        bob->anim_pos = static_cast<int32_t>(pos);
        bob->cur_frame = sequence[pos];
        return;
    }
    if ((bob->attr & BOB_ANIM_ONE_SHOT) != 0) {
        bob->anim_done = 1;
        bob->anim_pos = static_cast<int32_t>(pos - 1);
    } else {
        bob->anim_pos = 0;
    }
    bob->cur_frame = sequence[bob->anim_pos];
}

// Half-sizes of the box that the collision tests use: about three eighths of a side.
int32_t shrunk_half(int32_t size)
{
    return (size >> 1) - (size >> 3);
}

} // namespace

int Animate_BOB(BOB_TYP* bob)
{
    if (bob == nullptr) {
        return 0;
    }
    if ((bob->attr & BOB_SINGLE_FRAME) != 0) {
        bob->cur_frame = 0;
    } else if ((bob->attr & BOB_MULTI_FRAME) != 0) {
        if (++bob->anim_ticks >= bob->anim_speed) {
            bob->anim_ticks = 0;
            if (++bob->cur_frame >= bob->num_frames) {
                bob->cur_frame = 0;
            }
        }
    } else if ((bob->attr & BOB_MULTI_ANIM) != 0) {
        const int32_t* sequence = current_sequence(bob);
        if (sequence != nullptr && ++bob->anim_ticks >= bob->anim_speed) {
            bob->anim_ticks = 0;
            step_sequence(bob, sequence);
        }
    }
    return 1;
}

int Move_BOB(BOB_TYP* bob)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->x += bob->xv;
    bob->y += bob->yv;
    if ((bob->attr & BOB_WRAP) != 0) {
        if (bob->x > max_clip_x) {
            bob->x = static_cast<float>(min_clip_x - bob->width);
        } else if (bob->x < min_clip_x - bob->width) {
            bob->x = static_cast<float>(max_clip_x);
        }
        if (bob->y > max_clip_y) {
            bob->y = static_cast<float>(min_clip_y - bob->height);
        } else if (bob->y < min_clip_y - bob->height) {
            bob->y = static_cast<float>(max_clip_y);
        }
    } else if ((bob->attr & BOB_BOUNCE) != 0) {
        // Only the velocity turns; the next moves bring the sprite back inside.
        if (bob->x > max_clip_x - bob->width || bob->x < min_clip_x) {
            bob->xv = -bob->xv;
        }
        if (bob->y > max_clip_y - bob->height || bob->y < min_clip_y) {
            bob->yv = -bob->yv;
        }
    }
    return 1;
}

int Collision_BOBS(BOB_TYP* bob1, BOB_TYP* bob2)
{
    if (bob1 == nullptr || bob2 == nullptr) {
        return 0;
    }
    const int32_t hw1 = shrunk_half(bob1->width);
    const int32_t hh1 = shrunk_half(bob1->height);
    const int32_t hw2 = shrunk_half(bob2->width);
    const int32_t hh2 = shrunk_half(bob2->height);
    // The reference points are truncated as ints would be, but kept in doubles so that a
    // sprite far off the screen cannot overflow the conversion.
    const double rx1 = std::trunc(bob1->x + static_cast<float>(hw1));
    const double ry1 = std::trunc(bob1->y + static_cast<float>(hh1));
    const double rx2 = std::trunc(bob2->x + static_cast<float>(hw2));
    const double ry2 = std::trunc(bob2->y + static_cast<float>(hh2));
    const double dx = std::fabs(rx2 - rx1);
    const double dy = std::fabs(ry2 - ry1);
    return dx < static_cast<double>(hw1) + hw2 && dy < static_cast<double>(hh1) + hh2 ? 1 : 0;
}

int Collision_Test(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2)
{
    const int64_t hw1 = shrunk_half(w1);
    const int64_t hh1 = shrunk_half(h1);
    const int64_t hw2 = shrunk_half(w2);
    const int64_t hh2 = shrunk_half(h2);
    int64_t dx = (static_cast<int64_t>(x2) + hw2) - (static_cast<int64_t>(x1) + hw1);
    int64_t dy = (static_cast<int64_t>(y2) + hh2) - (static_cast<int64_t>(y1) + hh1);
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    return dx < hw1 + hw2 && dy < hh1 + hh2 ? 1 : 0;
}

namespace {

// Brings a coordinate into 0 .. size - 1, as the scans do with each corner.
int clamp_to_screen(int value, int size)
{
    if (value >= size) {
        return size - 1;
    }
    return value < 0 ? 0 : value;
}

} // namespace

int Color_Scan(int x1, int y1, int x2, int y2, uint8_t scan_start, uint8_t scan_end, uint8_t* scan_buffer,
               int scan_lpitch)
{
    if (scan_buffer == nullptr || screen_width <= 0 || screen_height <= 0) {
        return 0;
    }
    x1 = clamp_to_screen(x1, screen_width);
    x2 = clamp_to_screen(x2, screen_width);
    y1 = clamp_to_screen(y1, screen_height);
    y2 = clamp_to_screen(y2, screen_height);
    if (x1 > x2 || scan_start > scan_end) {
        return 0;
    }
    const size_t count = static_cast<size_t>(x2 - x1 + 1);
    const uint8_t* row = scan_buffer + static_cast<std::ptrdiff_t>(y1) * scan_lpitch + x1;
    if (scan_start == scan_end) {
        // One colour (what the game asks for): memchr runs a word or a vector at a time.
        for (int y = y1; y <= y2; ++y, row += scan_lpitch) {
            if (std::memchr(row, scan_start, count) != nullptr) {
                return 1;
            }
        }
        return 0;
    }
    // start <= value <= end as one unsigned comparison.
    const uint8_t range = static_cast<uint8_t>(scan_end - scan_start);
    for (int y = y1; y <= y2; ++y, row += scan_lpitch) {
        for (size_t x = 0; x < count; ++x) {
            if (static_cast<uint8_t>(row[x] - scan_start) <= range) {
                return 1;
            }
        }
    }
    return 0;
}

int Color_Scan16(int x1, int y1, int x2, int y2, uint16_t scan_start, uint16_t scan_end, uint8_t* scan_buffer,
                 int scan_lpitch)
{
    if (scan_buffer == nullptr || screen_width <= 0 || screen_height <= 0) {
        return 0;
    }
    x1 = clamp_to_screen(x1, screen_width);
    x2 = clamp_to_screen(x2, screen_width);
    y1 = clamp_to_screen(y1, screen_height);
    y2 = clamp_to_screen(y2, screen_height);
    const std::ptrdiff_t pitch = scan_lpitch >> 1;
    const auto* pixels = reinterpret_cast<const uint16_t*>(scan_buffer);
    for (int y = y1; y <= y2; ++y) {
        const uint16_t* row = pixels + y * pitch;
        for (int x = x1; x <= x2; ++x) {
            if (row[x] == scan_start || row[x] == scan_end) {
                return 1;
            }
        }
    }
    return 0;
}
