// Internal to the graphics library: cutting a cell out of a loaded picture.
//
// Images and sprite frames are cut from pictures at positions the caller picks, and a
// game cuts regardless when a file was missing. The cut therefore copies only what lies
// inside the picture and leaves the rest of the cell 0, so nothing is ever read outside
// the picture's buffer.
#pragma once

#include <cstdint>
#include <cstring>

namespace gfx {

// Copies the w x h cell whose top-left pixel is (x, y) of a picture of
// picture_width x picture_height pixels of bytes_per_pixel bytes (rows packed, top row
// first) into dest, whose rows are dest_pitch bytes apart. Parts of the cell outside the
// picture, or the whole cell when the picture is null or empty, become zero bytes.
inline void copy_cell_clamped(uint8_t* dest, int64_t dest_pitch, const uint8_t* picture, int64_t picture_width,
                              int64_t picture_height, int64_t bytes_per_pixel, int64_t x, int64_t y, int64_t w,
                              int64_t h)
{
    if (dest == nullptr || w <= 0 || h <= 0 || bytes_per_pixel <= 0) {
        return;
    }
    const int64_t row_bytes = w * bytes_per_pixel;
    const bool has_picture = picture != nullptr && picture_width > 0 && picture_height > 0;
    // Columns of the cell that fall inside the picture: [x0, x1) in picture coordinates.
    const int64_t x0 = x < 0 ? 0 : x;
    const int64_t x1 = x + w > picture_width ? picture_width : x + w;
    const int64_t picture_pitch = picture_width * bytes_per_pixel;

    for (int64_t row = 0; row < h; ++row) {
        uint8_t* out = dest + row * dest_pitch;
        const int64_t py = y + row;
        if (!has_picture || py < 0 || py >= picture_height || x0 >= x1) {
            std::memset(out, 0, static_cast<size_t>(row_bytes));
            continue;
        }
        const int64_t lead = (x0 - x) * bytes_per_pixel;
        const int64_t inside = (x1 - x0) * bytes_per_pixel;
        if (lead > 0) {
            std::memset(out, 0, static_cast<size_t>(lead));
        }
        std::memcpy(out + lead, picture + py * picture_pitch + x0 * bytes_per_pixel, static_cast<size_t>(inside));
        const int64_t tail = row_bytes - lead - inside;
        if (tail > 0) {
            std::memset(out + lead + inside, 0, static_cast<size_t>(tail));
        }
    }
}

}  // namespace gfx
