// Bitmap images: free-standing blocks of 8- or 16-bit pixels cut out of loaded
// pictures and drawn into locked surface memory, opaquely or with 0 as transparent.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "gfx/cell_copy.h"
#include "gfx/gfx.h"
#include "platform/blit.h"

namespace {

// Rows of `bytes_per_pixel`-byte pixels that a loaded picture's buffer really holds when
// read with its own row length: a cut in the wrong depth must still stay inside it.
int64_t picture_rows(const BITMAP_FILE_TAG* bitmap, int64_t bytes_per_pixel)
{
    const BITMAPINFOHEADER& info = bitmap->info_header;
    if (bitmap->buffer == nullptr || info.biWidth <= 0 || info.biHeight <= 0) {
        return 0;
    }
    const int64_t held = static_cast<int64_t>(info.biWidth) * info.biHeight * (info.biBitCount / 8);
    return std::min<int64_t>(info.biHeight, held / (static_cast<int64_t>(info.biWidth) * bytes_per_pixel));
}

int load_image(BITMAP_IMAGE_TYP* image, const BITMAP_FILE_TAG* bitmap, int cx, int cy, int mode, int bytes_per_pixel)
{
    // The buffer holds pixels of the image's own depth; a form of the other depth would
    // write past it.
    if (image == nullptr || image->buffer == nullptr || (image->bpp >> 3) != bytes_per_pixel) {
        return 0;
    }
    int64_t x = cx;
    int64_t y = cy;
    if (mode == 0) {
        x = x * (image->width + 1) + 1;
        y = y * (image->height + 1) + 1;
    }
    // A missing picture (the game cuts regardless) or a cell reaching past its edges
    // gives zero pixels where there is nothing to copy.
    const uint8_t* picture = bitmap != nullptr ? bitmap->buffer : nullptr;
    const int64_t picture_width = picture != nullptr ? bitmap->info_header.biWidth : 0;
    const int64_t rows = picture != nullptr ? picture_rows(bitmap, bytes_per_pixel) : 0;
    gfx::copy_cell_clamped(image->buffer, static_cast<int64_t>(image->width) * bytes_per_pixel, picture, picture_width,
                           rows, bytes_per_pixel, x, y, image->width, image->height);
    image->attr |= BITMAP_LOADED;
    return 1;
}

int draw_image(const BITMAP_IMAGE_TYP* image, uint8_t* dest_buffer, int lpitch, int transparent, int bytes_per_pixel)
{
    if (image == nullptr || dest_buffer == nullptr || !(image->attr & BITMAP_LOADED) || image->buffer == nullptr ||
        (image->bpp >> 3) != bytes_per_pixel) {
        return 0;
    }
    // The 16-bit form steps by whole pixels, so an odd pitch loses its last byte.
    const int64_t pitch = bytes_per_pixel == 2 ? static_cast<int64_t>(lpitch >> 1) * 2 : lpitch;
    uint8_t* dest = dest_buffer + image->y * pitch + static_cast<int64_t>(image->x) * bytes_per_pixel;
    const uint8_t* src = image->buffer;
    const int width = image->width;
    const size_t row_bytes = static_cast<size_t>(width) * static_cast<size_t>(bytes_per_pixel);
    if (!transparent && pitch == static_cast<int64_t>(row_bytes)) {
        std::memcpy(dest, src, row_bytes * static_cast<size_t>(std::max(image->height, 0)));
        return 1;
    }
    const int height = std::max(image->height, 0);
    const auto src_pitch = static_cast<int32_t>(row_bytes);
    const auto dest_pitch = static_cast<int32_t>(pitch);
    // Zero is the transparent colour: the display's colour-keyed copy with key 0.
    if (!transparent) {
        platform::blit::copy(dest, dest_pitch, src, src_pitch, static_cast<int>(row_bytes), height);
    } else if (bytes_per_pixel == 1) {
        platform::blit::copy_keyed8(dest, dest_pitch, src, src_pitch, width, height, 0);
    } else {
        platform::blit::copy_keyed16(dest, dest_pitch, src, src_pitch, width, height, 0);
    }
    return 1;
}

} // namespace

int Create_Bitmap(BITMAP_IMAGE_TYP* image, int x, int y, int width, int height, int bpp)
{
    // Sizes whose byte count does not fit the record's int32 count are refused rather
    // than allocated short.
    if (image == nullptr || width <= 0 || height <= 0 || (bpp != 8 && bpp != 16)) {
        return 0;
    }
    const int64_t bytes = static_cast<int64_t>(width) * height * (bpp >> 3);
    if (bytes > INT32_MAX) {
        return 0;
    }
    auto* buffer = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
    image->buffer = buffer;
    if (buffer == nullptr) {
        return 0;
    }
    image->state = 1;
    image->attr = 0;
    image->width = width;
    image->height = height;
    image->bpp = bpp;
    image->x = x;
    image->y = y;
    image->num_bytes = static_cast<int32_t>(bytes);
    return 1;
}

int Destroy_Bitmap(BITMAP_IMAGE_TYP* image)
{
    if (image == nullptr || image->buffer == nullptr) {
        return 0;
    }
    std::free(image->buffer);
    std::memset(image, 0, sizeof *image);
    return 1;
}

int Draw_Bitmap(BITMAP_IMAGE_TYP* source_bitmap, uint8_t* dest_buffer, int lpitch, int transparent)
{
    return draw_image(source_bitmap, dest_buffer, lpitch, transparent, 1);
}

int Draw_Bitmap16(BITMAP_IMAGE_TYP* source_bitmap, uint8_t* dest_buffer, int lpitch, int transparent)
{
    return draw_image(source_bitmap, dest_buffer, lpitch, transparent, 2);
}

int Load_Image_Bitmap(BITMAP_IMAGE_TYP* image, BITMAP_FILE_TAG* bitmap, int cx, int cy, int mode)
{
    return load_image(image, bitmap, cx, cy, mode, 1);
}

int Load_Image_Bitmap16(BITMAP_IMAGE_TYP* image, BITMAP_FILE_TAG* bitmap, int cx, int cy, int mode)
{
    return load_image(image, bitmap, cx, cy, mode, 2);
}

int Scroll_Bitmap(BITMAP_IMAGE_TYP* image, int dx, int dy)
{
    if (image == nullptr || (dx == 0 && dy == 0)) {
        return 0;
    }
    // Vertical scrolling is not offered; dy only counts as a request.
    if (dx == 0) {
        return 1;
    }
    if (image->buffer == nullptr || image->width <= 0) {
        return 0;
    }
    const int shift = dx % image->width;
    if (shift == 0) {
        return 1;
    }
    // Each row rotates in place, so the scroll needs no strip of scratch memory.
    const size_t b = static_cast<size_t>(image->bpp >> 3);
    const size_t row_bytes = static_cast<size_t>(image->width) * b;
    const size_t right = static_cast<size_t>(shift > 0 ? shift : image->width + shift) * b;
    for (int row = 0; row < image->height; ++row) {
        uint8_t* line = image->buffer + static_cast<size_t>(row) * row_bytes;
        std::rotate(line, line + row_bytes - right, line + row_bytes);
    }
    return 1;
}

int Copy_Bitmap(BITMAP_IMAGE_TYP* dest_bitmap, int dest_x, int dest_y, BITMAP_IMAGE_TYP* source_bitmap,
                int source_x, int source_y, int width, int height)
{
    if (dest_bitmap == nullptr || source_bitmap == nullptr) {
        return 0;
    }
    // Both images have the source's depth; the rectangle is cut to what lies inside
    // both, so a wrong rectangle cannot reach outside either buffer.
    if (dest_bitmap->bpp != source_bitmap->bpp) {
        return 0;
    }
    if (dest_bitmap->buffer == nullptr || source_bitmap->buffer == nullptr) {
        return 1;
    }
    int64_t sx = source_x;
    int64_t sy = source_y;
    int64_t dx = dest_x;
    int64_t dy = dest_y;
    int64_t w = width;
    int64_t h = height;
    const int64_t low_x = std::min(sx, dx);
    if (low_x < 0) {
        sx -= low_x;
        dx -= low_x;
        w += low_x;
    }
    const int64_t low_y = std::min(sy, dy);
    if (low_y < 0) {
        sy -= low_y;
        dy -= low_y;
        h += low_y;
    }
    w = std::min({w, source_bitmap->width - sx, dest_bitmap->width - dx});
    h = std::min({h, source_bitmap->height - sy, dest_bitmap->height - dy});
    if (w <= 0 || h <= 0) {
        return 1;
    }
    const int64_t b = source_bitmap->bpp >> 3;
    const int64_t source_row = source_bitmap->width * b;
    const int64_t dest_row = dest_bitmap->width * b;
    const uint8_t* src = source_bitmap->buffer + (sx + sy * source_bitmap->width) * b;
    uint8_t* dest = dest_bitmap->buffer + (dx + dy * dest_bitmap->width) * b;
    for (int64_t row = 0; row < h; ++row) {
        std::memmove(dest, src, static_cast<size_t>(w * b));
        src += source_row;
        dest += dest_row;
    }
    return 1;
}

int Scan_Image_Bitmap(BITMAP_FILE_TAG* bitmap, platform::Surface* lpdds, int cx, int cy)
{
    // A failed lock leaves a height of 0: nothing is copied.
    platform::LockInfo lock = {};
    if (!platform::surface_lock(lpdds, lock)) {
        return 1;
    }
    const int64_t x = static_cast<int64_t>(cx) * (lock.width + 1) + 1;
    const int64_t y = static_cast<int64_t>(cy) * (lock.height + 1) + 1;
    const uint8_t* picture = bitmap != nullptr ? bitmap->buffer : nullptr;
    const int64_t picture_width = picture != nullptr ? bitmap->info_header.biWidth : 0;
    const int64_t rows = picture != nullptr ? picture_rows(bitmap, 1) : 0;
    gfx::copy_cell_clamped(lock.pixels, lock.pitch, picture, picture_width, rows, 1, x, y, lock.width, lock.height);
    platform::surface_unlock(lpdds);
    return 1;
}
