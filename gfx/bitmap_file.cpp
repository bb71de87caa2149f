// BMP files in memory: 8-bit pictures with their colour table, 16-bit pictures as
// stored and 24-bit pictures packed to 16 bits in the display's format, top row first.
//
// Beyond the classic file (40-byte header, 256 colours, rows already a multiple of 4
// bytes, bottom row first) the loader reads what image editors write: longer
// information headers, shorter colour tables, the pixel offset of the file header,
// padded rows, a pixel-data size of 0, top-down rows, 16-bit bit-field masks and
// run-length coded 8-bit pictures. Every size is checked against the file before
// anything is allocated or read, and a refused file leaves the record as it was.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "gfx/gfx.h"

BITMAP_FILE_TAG bitmap8bit = {};
BITMAP_FILE_TAG bitmap16bit = {};
BITMAP_FILE_TAG bitmap24bit = {};

namespace {

constexpr uint16_t bmp_signature = 0x4D42;  // "BM"
constexpr uint32_t info_header_size = 40;
constexpr int32_t max_side = 16384;
constexpr uint32_t compression_rgb = 0;
constexpr uint32_t compression_rle8 = 1;
constexpr uint32_t compression_bitfields = 3;

// Closes the file on every way out.
class FileReader {
public:
    explicit FileReader(const char* filename) : file_(std::fopen(filename, "rb")) {}
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader()
    {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }

    bool is_open() const { return file_ != nullptr; }

    // Size of a regular file; false for anything whose size is not known up front.
    bool size(uint64_t& bytes) const
    {
        struct stat info = {};
        if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
            return false;
        }
        bytes = static_cast<uint64_t>(info.st_size);
        return true;
    }

    bool read_at(uint64_t offset, void* destination, size_t count)
    {
        if (offset > static_cast<uint64_t>(INT64_MAX) ||
            fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
            return false;
        }
        return std::fread(destination, 1, count, file_) == count;
    }

private:
    std::FILE* file_;
};

// The 24-bit to 16-bit packing, chosen by the display's pixel format at load time.
uint16_t pack_bgr(uint8_t blue, uint8_t green, uint8_t red)
{
    if (dd_pixel_format == 15) {
        return static_cast<uint16_t>((blue >> 3) + ((green >> 3) << 5) + ((red >> 3) << 10));
    }
    if (dd_pixel_format == 16) {
        return static_cast<uint16_t>((blue >> 3) + ((green >> 2) << 5) + ((red >> 3) << 11));
    }
    return 0;
}

// Turns one stored row into a row of the record: 8 and 16 bits as stored, 24 bits packed.
void convert_row(uint8_t* out, const uint8_t* in, int32_t width, int bits)
{
    if (bits != 24) {
        std::memcpy(out, in, static_cast<size_t>(width) * static_cast<size_t>(bits / 8));
        return;
    }
    for (int32_t i = 0; i < width; ++i) {
        const uint16_t pixel = pack_bgr(in[3 * i], in[3 * i + 1], in[3 * i + 2]);
        out[2 * i] = static_cast<uint8_t>(pixel);
        out[2 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    }
}

// Writes `count` pixels at column x of a row, keeping what falls outside the row.
void put_span(uint8_t* row, int64_t x, int64_t count, int32_t width, const uint8_t* values, uint8_t value)
{
    const int64_t first = x < 0 ? 0 : x;
    const int64_t last = x + count < width ? x + count : width;
    if (first >= last) {
        return;
    }
    if (values != nullptr) {
        std::memcpy(row + first, values + (first - x), static_cast<size_t>(last - first));
    } else {
        std::memset(row + first, value, static_cast<size_t>(last - first));
    }
}

// Expands a run-length coded 8-bit picture (rows bottom row first) into `out`, top row
// first. Pixels the code never sets stay 0; runs and moves past the picture are cut
// off, and a stream that ends early just ends the picture.
void expand_rle8(uint8_t* out, int32_t width, int32_t height, const uint8_t* in, size_t size)
{
    int64_t x = 0;
    int64_t y = 0;  // from the bottom row
    size_t i = 0;
    while (i + 1 < size && y < height) {
        const uint8_t count = in[i];
        const uint8_t code = in[i + 1];
        i += 2;
        uint8_t* row = out + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
        if (count > 0) {
            put_span(row, x, count, width, nullptr, code);
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return;
        } else if (code == 2) {
            if (i + 1 >= size) {
                return;
            }
            x += in[i];
            y += in[i + 1];
            i += 2;
        } else {
            const size_t literal = code <= size - i ? code : size - i;
            put_span(row, x, static_cast<int64_t>(literal), width, in + i, 0);
            x += code;
            i += code + (code & 1);  // literal runs are padded to 16 bits
        }
    }
}

void swap_bytes(uint8_t* a, uint8_t* b, size_t count)
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t x = 0;
        uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        std::memcpy(a + i, &y, 8);
        std::memcpy(b + i, &x, 8);
    }
    for (; i < count; ++i) {
        const uint8_t x = a[i];
        a[i] = b[i];
        b[i] = x;
    }
}

} // namespace

int Load_Bitmap_File(BITMAP_FILE_TAG* bitmap, const char* filename)
{
    if (bitmap == nullptr || filename == nullptr) {
        return 0;
    }
    FileReader file(filename);
    uint64_t file_size = 0;
    if (!file.is_open() || !file.size(file_size)) {
        return 0;
    }

    BITMAPFILEHEADER file_header = {};
    BITMAPINFOHEADER info_header = {};
    if (!file.read_at(0, &file_header, sizeof file_header) || file_header.bfType != bmp_signature ||
        !file.read_at(sizeof file_header, &info_header, sizeof info_header)) {
        return 0;
    }
    const int bits = info_header.biBitCount;
    const uint32_t compression = info_header.biCompression;
    const int32_t width = info_header.biWidth;
    const int64_t signed_height = info_header.biHeight;
    const bool top_down = signed_height < 0;
    const int64_t height64 = top_down ? -signed_height : signed_height;
    const bool rle = compression == compression_rle8;
    const bool compression_ok = compression == compression_rgb || (bits == 8 && rle && !top_down) ||
                                (bits == 16 && compression == compression_bitfields);
    if ((bits != 8 && bits != 16 && bits != 24) || !compression_ok || info_header.biSize < info_header_size ||
        width <= 0 || width > max_side || height64 <= 0 || height64 > max_side) {
        return 0;
    }
    const int32_t height = static_cast<int32_t>(height64);

    // The colour table follows the information header, however long that is.
    const uint64_t table_offset = sizeof file_header + static_cast<uint64_t>(info_header.biSize);
    uint32_t colours = 0;
    if (bits == 8) {
        colours = info_header.biClrUsed == 0 ? 256 : info_header.biClrUsed;
        if (colours > 256) {
            return 0;
        }
    }
    // Bit-field masks of a 40-byte header sit between it and the pixels.
    const uint64_t masks = compression == compression_bitfields && info_header.biSize == info_header_size ? 12 : 0;
    const uint64_t table_end = table_offset + 4ULL * colours + masks;
    // Writers that leave the offset out (0) put the pixels straight after the table.
    const uint64_t pixel_offset = file_header.bfOffBits >= table_end ? file_header.bfOffBits : table_end;

    const uint64_t row_bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bits / 8);
    const uint64_t stored_row = (row_bytes + 3) & ~3ULL;
    uint64_t pixel_end = 0;
    if (rle) {
        // A coded picture is as long as its header says, or runs to the end of the file.
        const uint64_t coded = info_header.biSizeImage;
        pixel_end = coded != 0 && pixel_offset + coded <= file_size ? pixel_offset + coded : file_size;
    } else {
        // The padding of the last row may be missing; its pixels may not.
        pixel_end = pixel_offset + stored_row * static_cast<uint64_t>(height - 1) + row_bytes;
    }
    if (table_end > file_size || pixel_offset > file_size || pixel_end > file_size) {
        return 0;
    }

    uint8_t table[1024] = {};
    if (colours > 0 && !file.read_at(table_offset, table, 4 * static_cast<size_t>(colours))) {
        return 0;
    }
    // The whole stored block in one read; in the classic layout straight into the picture.
    const int out_bpp = bits == 24 ? 2 : bits / 8;
    const size_t out_row = static_cast<size_t>(width) * static_cast<size_t>(out_bpp);
    const size_t out_bytes = out_row * static_cast<size_t>(height);
    const size_t block_bytes = static_cast<size_t>(pixel_end - pixel_offset);
    const bool direct = !rle && bits != 24 && stored_row == row_bytes;
    uint8_t* block = nullptr;
    if (!direct) {
        block = static_cast<uint8_t*>(std::malloc(block_bytes > 0 ? block_bytes : 1));
        if (block == nullptr || !file.read_at(pixel_offset, block, block_bytes)) {
            std::free(block);
            return 0;
        }
    }

    std::free(bitmap->buffer);
    bitmap->buffer = static_cast<uint8_t*>(rle ? std::calloc(out_bytes, 1) : std::malloc(out_bytes));
    if (bitmap->buffer == nullptr) {
        std::free(block);
        return 0;
    }
    if (direct) {
        if (!file.read_at(pixel_offset, bitmap->buffer, out_bytes)) {
            // Checked against the file's size above; a read can still fail underneath.
            std::free(bitmap->buffer);
            bitmap->buffer = nullptr;
            return 0;
        }
        if (!top_down) {
            Flip_Bitmap(bitmap->buffer, static_cast<int>(out_row), height);
        }
    } else if (rle) {
        expand_rle8(bitmap->buffer, width, height, block, block_bytes);
    } else {
        for (int32_t row = 0; row < height; ++row) {
            const int32_t target = top_down ? row : height - 1 - row;
            convert_row(bitmap->buffer + static_cast<size_t>(target) * out_row,
                        block + static_cast<size_t>(row) * static_cast<size_t>(stored_row), width, bits);
        }
    }
    std::free(block);

    bitmap->file_header = file_header;
    bitmap->info_header = info_header;
    // The record's rows are top row first whatever the file's order.
    bitmap->info_header.biHeight = height;
    if (bits == 24) {
        bitmap->info_header.biBitCount = 16;
    }
    if (bits == 8) {
        // The file's blue, green, red, reserved become red, green, blue, flags; a short
        // table leaves the remaining entries black.
        for (uint32_t i = 0; i < 256; ++i) {
            const uint8_t* entry = table + 4 * i;
            bitmap->palette[i] = i < colours ? PALETTEENTRY{entry[2], entry[1], entry[0], PC_NOCOLLAPSE}
                                             : PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
        }
    }
    return 1;
}

int Unload_Bitmap_File(BITMAP_FILE_TAG* bitmap)
{
    if (bitmap != nullptr && bitmap->buffer != nullptr) {
        std::free(bitmap->buffer);
        bitmap->buffer = nullptr;
    }
    return 1;
}

int Flip_Bitmap(uint8_t* image, int bytes_per_line, int height)
{
    if (image == nullptr || bytes_per_line < 0 || height < 0) {
        return 0;
    }
    // Rows swap pairwise in place, a word at a time: the flip needs no copy of the
    // picture and cannot run out of memory.
    const size_t row = static_cast<size_t>(bytes_per_line);
    uint8_t* top = image;
    uint8_t* bottom = height > 1 ? image + row * static_cast<size_t>(height - 1) : image;
    while (top < bottom) {
        swap_bytes(top, bottom, row);
        top += row;
        bottom -= row;
    }
    return 1;
}
