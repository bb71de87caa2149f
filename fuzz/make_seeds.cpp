// Writes the seed corpora of the fuzz targets: small valid files of every variant each
// reader accepts, one folder per reader (bitmap, wav, palette, midi) under the folder
// given on the command line.
//
//   make_seeds DIR
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "gfx/gfx.h"
#include "tests/support/audio_files.h"

namespace {

using reef_test::Bytes;
using reef_test::chunk;
using reef_test::format_block;
using reef_test::midi_file;
using reef_test::put_be;
using reef_test::put_code;
using reef_test::put_le;
using reef_test::riff_wave;
using reef_test::Track;

bool failed = false;

void write(const std::string& path, const Bytes& bytes)
{
    if (!reef_test::write_file(path, bytes)) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
        failed = true;
    }
}

void write_text(const std::string& path, const std::string& text)
{
    write(path, Bytes(text.begin(), text.end()));
}

// --- BMP ----------------------------------------------------------------------------

// A BMP file as image editors write them; the defaults make the classic layout.
struct Bmp {
    int32_t width = 8;
    int32_t height = 4;          // negative: top row first
    uint16_t bits = 8;
    uint32_t info_size = 40;     // 40, 108 or 124
    uint32_t colours = 256;      // colour-table entries written (8-bit)
    uint32_t compression = 0;    // 0 plain, 1 RLE8, 3 bit fields
    bool size_image_zero = false;
    bool offset_zero = false;
    Bytes coded;                 // the pixel block of an RLE8 picture

    Bytes bytes() const
    {
        const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
        const uint32_t row_bytes = static_cast<uint32_t>(width) * (bits / 8u);
        const uint32_t stored_row = (row_bytes + 3) & ~3u;
        Bytes pixels = coded;
        if (compression != 1) {
            pixels.assign(static_cast<size_t>(stored_row) * rows, 0);
            for (uint32_t y = 0; y < rows; ++y) {
                for (uint32_t i = 0; i < row_bytes; ++i) {
                    pixels[y * stored_row + i] = static_cast<uint8_t>(3 * i + 17 * y + 1);
                }
            }
        }
        // Bit-field masks follow a 40-byte header; longer headers hold them.
        const bool masks_after = compression == 3 && info_size == 40;
        const uint32_t table = bits == 8 ? 4 * colours : 0;
        const uint32_t offset = 14 + info_size + (masks_after ? 12 : 0) + table;

        Bytes out;
        put_le(out, 0x4D42, 2);
        put_le(out, offset + static_cast<uint32_t>(pixels.size()), 4);
        put_le(out, 0, 4);
        put_le(out, offset_zero ? 0 : offset, 4);
        put_le(out, info_size, 4);
        put_le(out, static_cast<uint32_t>(width), 4);
        put_le(out, static_cast<uint32_t>(height), 4);
        put_le(out, 1, 2);
        put_le(out, bits, 2);
        put_le(out, compression, 4);
        put_le(out, size_image_zero ? 0 : static_cast<uint32_t>(pixels.size()), 4);
        put_le(out, 2835, 4);
        put_le(out, 2835, 4);
        put_le(out, bits == 8 && colours != 256 ? colours : 0, 4);
        put_le(out, 0, 4);
        const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
        if (info_size > 40) {
            for (uint32_t mask : masks) {
                put_le(out, compression == 3 ? mask : 0, 4);
            }
            out.resize(14 + info_size, 0);
        }
        if (masks_after) {
            for (uint32_t mask : masks) {
                put_le(out, mask, 4);
            }
        }
        for (uint32_t i = 0; i < table / 4; ++i) {
            out.push_back(static_cast<uint8_t>(i * 5));
            out.push_back(static_cast<uint8_t>(255 - i));
            out.push_back(static_cast<uint8_t>(i * 3));
            out.push_back(0);
        }
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// An 8-bit sheet of 2 x 2 cells of 6 x 5 pixels framed by one-pixel lines of colour 1.
Bmp cell_sheet()
{
    Bmp sheet;
    sheet.width = 2 * 7 + 1;
    sheet.height = 2 * 6 + 1;
    return sheet;
}

void write_bitmaps(const std::string& dir)
{
    Bmp classic;
    write(dir + "/classic_8bit.bmp", classic.bytes());

    Bmp padded;
    padded.width = 5;
    write(dir + "/padded_8bit.bmp", padded.bytes());

    Bmp top_down;
    top_down.height = -4;
    write(dir + "/top_down_8bit.bmp", top_down.bytes());

    Bmp no_size;
    no_size.width = 7;
    no_size.size_image_zero = true;
    write(dir + "/size_zero_8bit.bmp", no_size.bytes());

    Bmp short_table;
    short_table.colours = 16;
    write(dir + "/short_table_8bit.bmp", short_table.bytes());

    Bmp no_offset;
    no_offset.offset_zero = true;
    write(dir + "/offset_zero_8bit.bmp", no_offset.bytes());

    Bmp v4;
    v4.info_size = 108;
    write(dir + "/header108_8bit.bmp", v4.bytes());

    Bmp v5;
    v5.info_size = 124;
    v5.colours = 2;
    write(dir + "/header124_8bit.bmp", v5.bytes());

    write(dir + "/sheet_8bit.bmp", cell_sheet().bytes());

    // Runs, an odd and an even literal, a move, ends of line and the end of the picture.
    Bmp rle;
    rle.width = 12;
    rle.height = 4;
    rle.compression = 1;
    rle.coded = {4, 7, 0, 3, 1, 2, 3, 0, 0, 0, 4, 9, 8, 7, 6, 0, 2, 2, 1, 3, 5, 0, 0, 12, 200, 0, 1};
    write(dir + "/rle8.bmp", rle.bytes());

    Bmp rle_unsized = rle;
    rle_unsized.size_image_zero = true;
    write(dir + "/rle8_size_zero.bmp", rle_unsized.bytes());

    Bmp sixteen;
    sixteen.bits = 16;
    write(dir + "/plain_16bit.bmp", sixteen.bytes());

    Bmp sixteen_padded = sixteen;
    sixteen_padded.width = 3;
    sixteen_padded.height = -3;
    write(dir + "/padded_top_down_16bit.bmp", sixteen_padded.bytes());

    Bmp fields = sixteen;
    fields.compression = 3;
    write(dir + "/bitfields_16bit.bmp", fields.bytes());

    Bmp fields_v4 = fields;
    fields_v4.info_size = 108;
    write(dir + "/bitfields_header108_16bit.bmp", fields_v4.bytes());

    Bmp twenty_four;
    twenty_four.bits = 24;
    twenty_four.width = 4;
    write(dir + "/plain_24bit.bmp", twenty_four.bytes());

    Bmp twenty_four_padded = twenty_four;
    twenty_four_padded.width = 3;
    twenty_four_padded.size_image_zero = true;
    write(dir + "/padded_size_zero_24bit.bmp", twenty_four_padded.bytes());

    Bmp twenty_four_top = twenty_four;
    twenty_four_top.height = -2;
    twenty_four_top.info_size = 124;
    write(dir + "/top_down_header124_24bit.bmp", twenty_four_top.bytes());
}

// --- WAV ----------------------------------------------------------------------------

Bytes ramp(size_t count, int step = 3)
{
    Bytes out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(128 + static_cast<int>(i) * step);
    }
    return out;
}

Bytes text(const char* characters)
{
    return Bytes(characters, characters + std::strlen(characters));
}

void write_waves(const std::string& dir)
{
    const Bytes format = format_block(1, 11025);
    write(dir + "/plain.wav", riff_wave({chunk("fmt ", format), chunk("data", ramp(200))}));

    Bytes info = text("INFO");
    const Bytes software = chunk("ISFT", Bytes{'r', 'e', 'e', 'f', 0});  // odd: padded
    info.insert(info.end(), software.begin(), software.end());
    write(dir + "/list_before_data.wav", riff_wave({chunk("fmt ", format), chunk("LIST", info), chunk("data", ramp(64))}));

    write(dir + "/odd_chunks.wav",
          riff_wave({chunk("fmt ", format), chunk("junk", Bytes{1, 2, 3}), chunk("data", ramp(101))}));

    write(dir + "/fact_chunk.wav", riff_wave({chunk("fmt ", format), chunk("fact", Bytes{100, 0, 0, 0}),
                                               chunk("data", ramp(100))}));

    Bytes format18 = format;
    put_le(format18, 0, 2);
    write(dir + "/format18.wav", riff_wave({chunk("fmt ", format18), chunk("data", ramp(80))}));

    Bytes pcm16;
    for (int i = 0; i < 100; ++i) {
        put_le(pcm16, static_cast<uint32_t>(i * 600 - 30000), 2);
        put_le(pcm16, static_cast<uint32_t>(30000 - i * 600), 2);
    }
    write(dir + "/pcm16_stereo_22050.wav", riff_wave({chunk("fmt ", format_block(1, 22050, 2, 16)), chunk("data", pcm16)}));

    // The WAVE form is found past another top-level chunk.
    Bytes leading = chunk("JUNK", Bytes(6, 0));
    const Bytes wave = riff_wave({chunk("fmt ", format), chunk("data", ramp(50))});
    leading.insert(leading.end(), wave.begin(), wave.end());
    write(dir + "/leading_chunk.wav", leading);
}

// --- Palette files ------------------------------------------------------------------

void write_palettes(const std::string& dir)
{
    PALETTEENTRY colours[256] = {};
    for (int i = 0; i < 256; ++i) {
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i % 5)};
    }
    const std::string saved = dir + "/saved.pal";
    if (Save_Palette_To_File(saved.c_str(), colours) != 1) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", saved.c_str());
        failed = true;
    }

    std::string spaced;
    for (int i = 0; i < 256; ++i) {
        spaced += std::to_string(i) + "\t " + std::to_string(255 - i) + "  " + std::to_string(i / 2) + "\t4\r\n";
        if (i % 32 == 0) {
            spaced += "\n";
        }
    }
    write_text(dir + "/spaced.pal", spaced);

    std::string ten;
    for (int i = 0; i < 10; ++i) {
        ten += "\n" + std::to_string(i * 20) + " 1 2 3";
    }
    write_text(dir + "/ten_records.pal", ten);
    write_text(dir + "/wide_values.pal", "\n300 -1 65535 +12\n-2147483648 2147483647 256 0\n1 2 3");
    write_text(dir + "/text_after.pal", "\n1 2 3 4\n5 6 7 8\n9 10 eleven 12\n13 14 15 16");
    write_text(dir + "/empty.pal", "");
}

// --- MIDI ---------------------------------------------------------------------------

void append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

void write_songs(const std::string& dir)
{
    write(dir + "/format0.mid", midi_file({Track()
                                               .tempo(0, 400000)
                                               .program(0, 0, 11)
                                               .note_on(0, 0, 60)
                                               .note_on(8, 0, 64)
                                               .note_off(24, 0, 60)
                                               .note_off(24, 0, 64)
                                               .end(30)}));

    write(dir + "/format1.mid",
          midi_file({Track().tempo(0, 500000).end(0),
                     Track().program(0, 0, 0).note_on(0, 0, 60).note_off(20, 0, 60).end(20),
                     Track().program(0, 9, 0).note_on(4, 9, 36).note_off(12, 9, 36).end(24)},
                    1));

    // Note-ons after the first without their status byte; a note-on of velocity 0 ends a note.
    write(dir + "/running_status.mid", midi_file({Track()
                                                      .note_on(0, 1, 60)
                                                      .event(4, {62, 90})
                                                      .event(8, {64, 80})
                                                      .event(16, {60, 0})
                                                      .event(16, {62, 0})
                                                      .event(16, {64, 0})
                                                      .end(20)}));

    write(dir + "/meta_events.mid", midi_file({Track()
                                                   .event(0, {0xFF, 0x03, 0x04, 'r', 'e', 'e', 'f'})
                                                   .event(0, {0xFF, 0x01, 0x02, 'h', 'i'})
                                                   .event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})
                                                   .event(0, {0xFF, 0x59, 0x02, 0xFE, 0})
                                                   .event(0, {0xFF, 0x54, 0x05, 0, 0, 0, 0, 0})
                                                   .event(2, {0xFF, 0x06, 0x01, 'A'})
                                                   .event(2, {0xFF, 0x7F, 0x03, 0, 0, 0x41})
                                                   .note_on(2, 0, 67)
                                                   .note_off(12, 0, 67)
                                                   .end(12)}));

    // System-exclusive messages: a whole one, an empty one and one without its F7.
    write(dir + "/sysex.mid", midi_file({Track()
                                             .event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
                                             .event(1, {0xF0, 0x00})
                                             .event(1, {0xF0, 0x02, 0x41, 0x10})
                                             .note_on(2, 0, 60)
                                             .note_off(10, 0, 60)
                                             .end(10)}));

    write(dir + "/channel_messages.mid", midi_file({Track()
                                                        .control(0, 2, 7, 100)
                                                        .control(0, 2, 64, 127)
                                                        .program(0, 2, 40)
                                                        .note_on(0, 2, 72)
                                                        .event(2, {0xA2, 72, 50})
                                                        .event(4, {0xD2, 60})
                                                        .event(6, {0xE2, 0x00, 0x50})
                                                        .note_off(10, 2, 72)
                                                        .control(10, 2, 64, 0)
                                                        .end(12)}));

    // A header longer than six bytes, and a chunk of another kind before the track.
    Bytes long_header;
    put_code(long_header, "MThd");
    put_be(long_header, 8, 4);
    put_be(long_header, 0, 2);
    put_be(long_header, 1, 2);
    put_be(long_header, 48, 2);
    put_be(long_header, 0, 2);
    put_code(long_header, "XTRA");
    put_be(long_header, 3, 4);
    append(long_header, Bytes{1, 2, 3});
    append(long_header, Track().note_on(0, 0, 55).note_off(6, 0, 55).end(6).chunk_bytes());
    write(dir + "/long_header.mid", long_header);
}

bool make_directory(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    const std::string folders[] = {root, root + "/bitmap", root + "/wav", root + "/palette", root + "/midi"};
    for (const std::string& folder : folders) {
        if (!make_directory(folder)) {
            std::fprintf(stderr, "make_seeds: cannot make %s\n", folder.c_str());
            return 1;
        }
    }
    write_bitmaps(root + "/bitmap");
    write_waves(root + "/wav");
    write_palettes(root + "/palette");
    write_songs(root + "/midi");
    return failed ? 1 : 0;
}
