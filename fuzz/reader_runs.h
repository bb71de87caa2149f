// What the fuzz targets do with one input file, shared with the regression test that
// replays the inputs they once failed on: read the file with its reader, use what was
// read the way a program would, and release everything again.
//
// The numbers each run needs (cell sizes, positions, flags) come from the input's last
// bytes, so every input stays a plain file of its format and replays the same way.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "gfx/gfx.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/window.h"
#include "sound/sound.h"

namespace reef_fuzz {

// The input's last eight bytes (or fewer), handed out one at a time, then zeros.
class Choices {
public:
    Choices(const uint8_t* data, size_t size)
    {
        const size_t count = size < sizeof bytes_ ? size : sizeof bytes_;
        for (size_t i = 0; i < count; ++i) {
            bytes_[i] = data[size - count + i];
        }
    }

    uint8_t next() { return at_ < sizeof bytes_ ? bytes_[at_++] : 0; }

private:
    uint8_t bytes_[8] = {};
    size_t at_ = 0;
};

// A window for the libraries to belong to, made once per process.
inline bool make_window()
{
    if (main_window_handle != nullptr) {
        return true;
    }
    const platform::WindowClass window_class{"REEFFUZZ", platform::window_default_procedure, 0};
    if (!platform::window_register_class(window_class)) {
        return false;
    }
    main_window_handle = platform::window_create("REEFFUZZ", "fuzz", 0, 0, 640, 480);
    return main_window_handle != nullptr;
}

// --- BMP files ----------------------------------------------------------------------

// The 8-bit display that sprite frames are made on.
inline bool start_display()
{
    return make_window() && DDraw_Init(640, 480, 8, 1) == 1;
}

inline void stop_display()
{
    DDraw_Shutdown();
}

// Loads the picture; when it loads, cuts cells and pixel rectangles of both depths in
// both addressings, fills sprite frames and cuts a cell into a surface. The result is
// the loader's.
inline int read_bitmap(const char* path, const uint8_t* data, size_t size)
{
    Choices choose(data, size);
    const int width = 1 + choose.next() % 64;
    const int height = 1 + choose.next() % 64;
    // Cells from -8 to 7; pixel positions from -128 to 127 cross every edge of a small
    // picture, and a flag sends both to the ends of int range.
    int cx = static_cast<int8_t>(choose.next()) / 16;
    int cy = static_cast<int8_t>(choose.next()) / 16;
    int px = static_cast<int8_t>(choose.next());
    int py = static_cast<int8_t>(choose.next());
    const uint8_t flags = choose.next();
    if ((flags & 1) != 0) {
        cx = (flags & 2) != 0 ? INT_MAX : INT_MIN;
        py = (flags & 4) != 0 ? INT_MAX : INT_MIN;
    }
    const int frame = choose.next() % 4 - 1;  // -1 and 2 name no frame

    // 24-bit pictures are packed for the display's format at load time: try each.
    const int32_t display_format = dd_pixel_format;
    const int formats[] = {8, 15, 16, 16};
    dd_pixel_format = formats[(flags >> 3) & 3];
    BITMAP_FILE_TAG bitmap = {};
    const int loaded = Load_Bitmap_File(&bitmap, path);
    dd_pixel_format = display_format;
    if (loaded != 1) {
        Unload_Bitmap_File(&bitmap);
        return loaded;
    }

    for (int bpp : {8, 16}) {
        BITMAP_IMAGE_TYP image = {};
        if (Create_Bitmap(&image, 0, 0, width, height, bpp) == 1) {
            if (bpp == 8) {
                Load_Image_Bitmap(&image, &bitmap, cx, cy, 0);
                Load_Image_Bitmap(&image, &bitmap, px, py, 1);
            } else {
                Load_Image_Bitmap16(&image, &bitmap, cx, cy, 0);
                Load_Image_Bitmap16(&image, &bitmap, px, py, 1);
            }
            Destroy_Bitmap(&image);
        }
    }

    BOB_TYP bob = {};
    if (Create_BOB(&bob, px, py, width, height, 2, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY, 0, 8) == 1) {
        Load_Frame_BOB(&bob, &bitmap, 0, cx, cy, 0);
        Load_Frame_BOB(&bob, &bitmap, 1, px, py, 1);
        Load_Frame_BOB(&bob, &bitmap, frame, cx, cy, 0);
        Load_Frame_BOB16(&bob, &bitmap, 0, px, py, 1);
        Draw_BOB(&bob, lpddsback);
    }
    Destroy_BOB(&bob);

    platform::Surface* cell = DDraw_Create_Surface(width, height, DDSCAPS_SYSTEMMEMORY);
    Scan_Image_Bitmap(&bitmap, cell, cx, cy);
    platform::surface_release(cell);
    Unload_Bitmap_File(&bitmap);
    return loaded;
}

// --- WAV files ----------------------------------------------------------------------

// DSound_Init makes the device once per process; later calls only empty the table.
inline bool start_sound()
{
    return make_window() && DSound_Init() == 1;
}

// Loads the sound; when it loads, sets it up, plays it and a copy of it for a few
// milliseconds of mixing, asks their status, stops and deletes both. The result is
// the loader's id.
inline int read_wav(const char* path, const uint8_t* data, size_t size)
{
    Choices choose(data, size);
    const uint8_t flags = choose.next();
    const int controls = flags & (DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME);
    const int id = DSound_Load_WAV(path, controls);
    if (id < 0) {
        return id;
    }
    DSound_Set_Freq(id, 100 * choose.next() + 4000);
    DSound_Set_Volume(id, choose.next() % 101);
    DSound_Set_Pan(id, (choose.next() - 128) * 78);
    DSound_Play(id, flags & DSBPLAY_LOOPING, 0, 0, 0);
    const int copy = DSound_Replicate_Sound(id);
    DSound_Play(copy, 0, 0, 0, 0);
    platform::clock_idle(1 + choose.next() % 8);
    DSound_Status_Sound(id);
    DSound_Status_Sound(copy);
    DSound_Stop_Sound(id);
    DSound_Delete_Sound(copy);
    DSound_Delete_Sound(id);
    return id;
}

// --- Palette files ------------------------------------------------------------------

// Reads the palette over one that holds a pattern. The result is the reader's.
inline int read_palette(const char* path)
{
    PALETTEENTRY colours[256] = {};
    for (int i = 0; i < 256; ++i) {
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0};
    }
    return Load_Palette_From_File(path, colours);
}

// --- MIDI files ---------------------------------------------------------------------

// Music after sound, as programs start them.
inline bool start_music()
{
    return start_sound() && DMusic_Init() == 1;
}

inline void stop_music()
{
    DMusic_Delete_All_MIDI();
    DMusic_Shutdown();
}

// Loads the song; when it loads, plays it for some milliseconds (the synth reads the
// whole file as it starts), asks its status, stops and deletes it. The result is the
// loader's id.
inline int read_midi(const char* path, const uint8_t* data, size_t size)
{
    Choices choose(data, size);
    const int id = DMusic_Load_MIDI(path);
    if (id < 0) {
        return id;
    }
    DMusic_Status_MIDI(id);
    DMusic_Play(id);
    platform::clock_idle(1 + choose.next() % 32);
    DMusic_Status_MIDI(id);
    DMusic_Stop(id);
    DMusic_Status_MIDI(id);
    DMusic_Delete_MIDI(id);
    return id;
}

} // namespace reef_fuzz
