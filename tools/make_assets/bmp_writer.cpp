#include "tools/make_assets/assets.h"
#include "tools/make_assets/bmp_writer.h"


#include "gfx/gfx.h"

namespace assets {

namespace {

constexpr uint32_t header_bytes = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
constexpr uint32_t colour_table_bytes = 256 * 4;
constexpr int32_t pixels_per_metre = 2835;  // 72 dots per inch

template <typename Record>
void append(std::vector<uint8_t>& bytes, const Record& record)
{
    const auto* first = reinterpret_cast<const uint8_t*>(&record);
    bytes.insert(bytes.end(), first, first + sizeof record);
}

} // namespace

std::vector<uint8_t> bmp_file_bytes(int width, int height, const std::vector<uint8_t>& pixels,
                                    const PALETTEENTRY* palette)
{
    const uint32_t row_bytes = (static_cast<uint32_t>(width) + 3u) & ~3u;
    const uint32_t image_bytes = row_bytes * static_cast<uint32_t>(height);

    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;  // "BM"
    file_header.bfSize = header_bytes + colour_table_bytes + image_bytes;
    file_header.bfOffBits = header_bytes + colour_table_bytes;

    BITMAPINFOHEADER info_header = {};
    info_header.biSize = sizeof(BITMAPINFOHEADER);
    info_header.biWidth = width;
    info_header.biHeight = height;  // positive: bottom row first
    info_header.biPlanes = 1;
    info_header.biBitCount = 8;
    info_header.biCompression = 0;
    info_header.biSizeImage = image_bytes;
    info_header.biXPelsPerMeter = pixels_per_metre;
    info_header.biYPelsPerMeter = pixels_per_metre;
    info_header.biClrUsed = 256;
    info_header.biClrImportant = 256;

    std::vector<uint8_t> bytes;
    bytes.reserve(file_header.bfSize);
    append(bytes, file_header);
    append(bytes, info_header);
    for (int i = 0; i < 256; ++i) {
        // The colour table holds blue, green, red and a reserved zero.
        const uint8_t quad[4] = {palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
        bytes.insert(bytes.end(), quad, quad + 4);
    }
    for (int y = height - 1; y >= 0; --y) {
        const auto first = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
        bytes.insert(bytes.end(), first, first + width);
        bytes.insert(bytes.end(), row_bytes - static_cast<uint32_t>(width), 0);
    }
    return bytes;
}

bool write_bmp_file(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                    const PALETTEENTRY* palette)
{
    return write_binary_file(path, bmp_file_bytes(width, height, pixels, palette));
}

} // namespace assets
