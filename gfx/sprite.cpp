// Sprites: records with up to 64 frame surfaces and 16 animation sequences; building,
// cloning, destroying, filling frames from pictures, the setters, and drawing with one
// colour-keyed (possibly stretched) surface copy clipped by the destination's clipper.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "gfx/cell_copy.h"
#include "gfx/gfx.h"

namespace {

constexpr int32_t sequence_end = -1;

// Truncates toward zero as a plain cast does, but keeps a sprite that has drifted
// absurdly far (or to NaN) well inside int range, so neither the conversion nor the
// width of the rectangle it makes can overflow.
int32_t truncate_position(float value)
{
    constexpr float limit = 536870912.0f;
    if (!(value == value)) {
        return 0;
    }
    if (value > limit) {
        return static_cast<int32_t>(limit);
    }
    if (value < -limit) {
        return -static_cast<int32_t>(limit);
    }
    return static_cast<int32_t>(value);
}

// The frame that would be drawn, or null when `cur_frame` names no created frame.
platform::Surface* current_frame(const BOB_TYP* bob)
{
    if (bob->cur_frame < 0 || bob->cur_frame >= bob->num_frames || bob->cur_frame >= MAX_BOB_FRAMES) {
        return nullptr;
    }
    return bob->frames[bob->cur_frame];
}

int draw_frame(BOB_TYP* bob, int32_t draw_width, int32_t draw_height, platform::Surface* dest)
{
    if (bob == nullptr) {
        return 0;
    }
    if ((bob->attr & BOB_VISIBLE) == 0) {
        return 1;
    }
    platform::Surface* frame = current_frame(bob);
    if (frame == nullptr) {
        return 0;
    }
    // Each edge is truncated on its own, so a fractional position can make the
    // rectangle a column narrower than the frame; the copy then shrinks the frame.
    RECT dest_rect{};
    dest_rect.left = truncate_position(bob->x);
    dest_rect.top = truncate_position(bob->y);
    dest_rect.right = truncate_position(bob->x + static_cast<float>(draw_width));
    dest_rect.bottom = truncate_position(bob->y + static_cast<float>(draw_height));
    const RECT source_rect{0, 0, bob->width, bob->height};
    return platform::surface_blt(dest, &dest_rect, frame, &source_rect, true) ? 1 : 0;
}

// The frame surface `frame` of `bob`, or null when there is no such frame.
platform::Surface* frame_surface(const BOB_TYP* bob, int frame)
{
    if (frame < 0 || frame >= bob->num_frames || frame >= MAX_BOB_FRAMES) {
        return nullptr;
    }
    return bob->frames[frame];
}

// Fills frame `frame` with the cell at (cx, cy) of the picture, `bytes_per_pixel` wide.
// Whatever of the cell lies outside the picture becomes 0; the copy never writes more
// than the frame surface holds.
int load_frame(BOB_TYP* bob, BITMAP_FILE_TAG* bitmap, int frame, int cx, int cy, int mode, int bytes_per_pixel)
{
    if (bob == nullptr || bitmap == nullptr) {
        return 0;
    }
    platform::Surface* surface = frame_surface(bob, frame);
    if (surface == nullptr) {
        return 0;
    }
    // A picture or surface of another depth would be read or written past its end.
    const int surface_bits = platform::surface_pixel_format(surface);
    const int surface_bytes = surface_bits == 15 ? 2 : surface_bits / 8;
    if (bitmap->info_header.biBitCount / 8 != bytes_per_pixel || surface_bytes < bytes_per_pixel) {
        return 0;
    }
    int64_t x = cx;
    int64_t y = cy;
    if (mode == 0) {
        x = x * (static_cast<int64_t>(bob->width) + 1) + 1;
        y = y * (static_cast<int64_t>(bob->height) + 1) + 1;
    }
    platform::LockInfo lock{};
    if (!platform::surface_lock(surface, lock)) {
        return 0;
    }
    const int32_t width = bob->width < lock.width ? bob->width : lock.width;
    const int32_t height = bob->height < lock.height ? bob->height : lock.height;
    // Rows of 16-bit pixels start on whole pixels.
    const int64_t pitch = bytes_per_pixel == 2 ? (lock.pitch >> 1) * 2 : lock.pitch;
    const int64_t picture_height = bitmap->info_header.biHeight < 0 ? -static_cast<int64_t>(bitmap->info_header.biHeight)
                                                                     : bitmap->info_header.biHeight;
    gfx::copy_cell_clamped(lock.pixels, pitch, bitmap->buffer, bitmap->info_header.biWidth, picture_height,
                           bytes_per_pixel, x, y, width, height);
    platform::surface_unlock(surface);
    bob->attr |= BOB_LOADED;
    return 1;
}

} // namespace

int Create_BOB(BOB_TYP* bob, int x, int y, int width, int height, int num_frames, int attr, int mem_flags,
               uint16_t color_key_value, int bpp)
{
    // More frames than the record holds would be written past its end.
    if (num_frames < 0 || num_frames > MAX_BOB_FRAMES) {
        return 0;
    }
    bob->state = 1;
    bob->attr = attr;
    bob->anim_done = 0;
    bob->timer_a = 0;
    bob->timer_b = 0;
    bob->timer_a_max = 0;
    bob->timer_b_max = 0;
    bob->cur_frame = 0;
    bob->num_frames = num_frames;
    bob->bpp = bpp;
    bob->cur_anim = 0;
    bob->anim_ticks = 0;
    bob->anim_pos = 0;
    bob->anim_speed = 0;
    bob->x = static_cast<float>(x);
    bob->y = static_cast<float>(y);
    bob->xv = 0.0f;
    bob->yv = 0.0f;
    bob->width = width;
    bob->height = height;
    for (platform::Surface*& frame : bob->frames) {
        frame = nullptr;
    }
    for (int32_t*& sequence : bob->anim_seqs) {
        sequence = nullptr;
    }
    for (int i = 0; i < num_frames; ++i) {
        // The key is given to each surface as it is made; a failure leaves the frames
        // made so far in the record for Destroy_BOB to release.
        bob->frames[i] = DDraw_Create_Surface(width + bob->extra_width, height, mem_flags, color_key_value);
        if (bob->frames[i] == nullptr) {
            return 0;
        }
    }
    return 1;
}

int Clone_BOB(BOB_TYP* source, BOB_TYP* dest)
{
    if (source == nullptr || dest == nullptr || source == dest) {
        return 0;
    }
    std::memcpy(dest, source, sizeof(BOB_TYP));
    dest->attr |= BOB_CLONE;
    return 1;
}

int Destroy_BOB(BOB_TYP* bob)
{
    if (bob == nullptr) {
        return 0;
    }
    // A clone only borrows; its parent releases. References are cleared either way so
    // that a second destroy of the same record releases nothing twice.
    const bool owner = (bob->attr & BOB_CLONE) == 0;
    for (platform::Surface*& frame : bob->frames) {
        if (owner && frame != nullptr) {
            platform::surface_release(frame);
        }
        frame = nullptr;
    }
    for (int32_t*& sequence : bob->anim_seqs) {
        if (owner) {
            std::free(sequence);
        }
        sequence = nullptr;
    }
    return 1;
}

int Draw_BOB(BOB_TYP* bob, platform::Surface* dest)
{
    return bob != nullptr ? draw_frame(bob, bob->width, bob->height, dest) : 0;
}

int Draw_Scaled_BOB(BOB_TYP* bob, int swidth, int sheight, platform::Surface* dest)
{
    return draw_frame(bob, swidth, sheight, dest);
}

int Draw_BOB16(BOB_TYP* bob, platform::Surface* dest)
{
    return Draw_BOB(bob, dest);
}

int Draw_Scaled_BOB16(BOB_TYP* bob, int swidth, int sheight, platform::Surface* dest)
{
    return Draw_Scaled_BOB(bob, swidth, sheight, dest);
}

int Load_Frame_BOB(BOB_TYP* bob, BITMAP_FILE_TAG* bitmap, int frame, int cx, int cy, int mode)
{
    return load_frame(bob, bitmap, frame, cx, cy, mode, 1);
}

int Load_Frame_BOB16(BOB_TYP* bob, BITMAP_FILE_TAG* bitmap, int frame, int cx, int cy, int mode)
{
    return load_frame(bob, bitmap, frame, cx, cy, mode, 2);
}

int Load_Animation_BOB(BOB_TYP* bob, int anim_index, int num_frames, const int* sequence)
{
    if (bob == nullptr || anim_index < 0 || anim_index >= MAX_BOB_ANIMATIONS || num_frames < 0 ||
        (num_frames > 0 && sequence == nullptr)) {
        return 0;
    }
    // A sequence this record owns is replaced, not leaked; a clone's slot is its
    // parent's array and stays the parent's to free.
    if ((bob->attr & BOB_CLONE) == 0) {
        std::free(bob->anim_seqs[anim_index]);
    }
    const size_t count = static_cast<size_t>(num_frames) + 1;
    auto* copy = static_cast<int32_t*>(std::malloc(count * sizeof(int32_t)));
    bob->anim_seqs[anim_index] = copy;
    if (copy == nullptr) {
        return 0;
    }
    for (int i = 0; i < num_frames; ++i) {
        copy[i] = sequence[i];
    }
    copy[num_frames] = sequence_end;
    return 1;
}

int Set_Pos_BOB(BOB_TYP* bob, int x, int y)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->x = static_cast<float>(x);
    bob->y = static_cast<float>(y);
    return 1;
}

int Set_Vel_BOB(BOB_TYP* bob, int xv, int yv)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->xv = static_cast<float>(xv);
    bob->yv = static_cast<float>(yv);
    return 1;
}

int Set_Anim_Speed_BOB(BOB_TYP* bob, int speed)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->anim_speed = speed;
    return 1;
}

int Set_Animation_BOB(BOB_TYP* bob, int anim_index)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->cur_anim = anim_index;
    bob->anim_pos = 0;
    return 1;
}

int Hide_BOB(BOB_TYP* bob)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->attr &= ~BOB_VISIBLE;
    return 1;
}

int Show_BOB(BOB_TYP* bob)
{
    if (bob == nullptr) {
        return 0;
    }
    bob->attr |= BOB_VISIBLE;
    return 1;
}

int Scroll_BOB()
{
    return 1;
}
