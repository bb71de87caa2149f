#include "platform/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/backend.h"
#include "platform/display.h"

namespace platform {

bool write_png(const char* path, const uint8_t* rgb, int width, int height)
{
    if (path == nullptr || rgb == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return std::fclose(file) == 0 && written;
}

bool capture_png(const char* path)
{
    int width = 0;
    int height = 0;
    if (!display_visible_size(width, height)) {
        return false;
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    return display_capture(rgb.data(), width, height) && write_png(path, rgb.data(), width, height);
}

} // namespace platform
