// Sound and music at work: a ping (a WAV file) played on Space and every two seconds,
// over a little tune (a MIDI file) that starts again whenever it ends, as a game
// restarts its songs. The scene writes both files itself, loads them like any game
// data, and shows the two tables' state and a ring for each ping.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "examples/demo.h"
#include "gfx/gfx.h"
#include "input/input.h"
#include "sound/sound.h"

namespace {

constexpr int background = 1;
constexpr int text_colour = 2;
constexpr int ring_colour = 3;
constexpr int bar_colour = 4;
constexpr int dim_colour = 5;
constexpr int ping_every = 66;  // frames of 30 ms: about two seconds
constexpr int ring_frames = 40;

int ping = -1;
int echo = -1;   // a duplicate of the ping, played with it panned the other way
int tune = -1;
int last_ping_frame = -1000;
bool space_was_down = false;

using Bytes = std::vector<uint8_t>;

void put_le(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void put_be(Bytes& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// Half a second of a bell-like 880 Hz ping, 8-bit mono at 11,025 samples a second.
Bytes ping_file()
{
    constexpr uint32_t rate = 11025;
    constexpr uint32_t count = rate / 2;
    Bytes out = {'R', 'I', 'F', 'F'};
    put_le(out, 36 + count, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_le(out, 16, 4);
    put_le(out, 1, 2);
    put_le(out, 1, 2);
    put_le(out, rate, 4);
    put_le(out, rate, 4);
    put_le(out, 1, 2);
    put_le(out, 8, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put_le(out, count, 4);
    for (uint32_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double tone = std::sin(2 * M_PI * 880 * t) + 0.4 * std::sin(2 * M_PI * 2640 * t);
        out.push_back(static_cast<uint8_t>(128 + 80 * tone * std::exp(-7 * t)));
    }
    return out;
}

// Eight bars of a tune: a marimba melody over a bass, 96 ticks a beat at 132 a minute.
Bytes tune_file()
{
    Bytes events;
    uint32_t now = 0;
    const auto event = [&events, &now](uint32_t at, std::initializer_list<uint8_t> bytes) {
        uint32_t delta = at - now;
        uint8_t groups[4] = {};
        int count = 0;
        do {
            groups[count++] = static_cast<uint8_t>(delta & 0x7F);
            delta >>= 7;
        } while (delta != 0);
        while (count > 1) {
            events.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
        }
        events.push_back(groups[0]);
        events.insert(events.end(), bytes);
        now = at;
    };
    event(0, {0xFF, 0x51, 0x03, 0x06, 0xEF, 0x7A});  // 454,545 us a beat
    event(0, {0xC0, 12});                            // marimba
    event(0, {0xC1, 32});                            // acoustic bass
    const uint8_t melody[] = {72, 76, 79, 76, 74, 77, 81, 77, 72, 76, 79, 84, 83, 79, 74, 71};
    const uint8_t bass[] = {48, 53, 48, 43};
    for (uint32_t beat = 0; beat < 32; ++beat) {
        const uint32_t at = beat * 96;
        const uint8_t note = melody[beat % 16];
        if (beat % 4 == 0) {
            event(at, {0x91, bass[(beat / 8) % 4], 90});
        }
        event(at, {0x90, note, 96});
        event(at + 80, {0x80, note, 0});
        if (beat % 4 == 3) {
            event(at + 90, {0x81, bass[(beat / 8) % 4], 0});
        }
    }
    event(32 * 96, {0xFF, 0x2F, 0x00});
    Bytes out = {'M', 'T', 'h', 'd'};
    put_be(out, 6, 4);
    put_be(out, 0, 2);
    put_be(out, 1, 2);
    put_be(out, 96, 2);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    put_be(out, static_cast<uint32_t>(events.size()), 4);
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

// Loads bytes through a file of their own, as a game loads its data.
template <typename Loader>
int load_through_file(const Bytes& bytes, Loader load)
{
    char path[] = "/tmp/reefdemo-sound-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        return -1;
    }
    const bool written = write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(descriptor);
    const int id = written ? load(path) : -1;
    unlink(path);
    return id;
}

void text(const char* line, int x, int y, int colour)
{
    Draw_Text_GDI(line, x, y, colour, lpddsback);
}

void play_ping(int frame_number)
{
    DSound_Play(ping, 0, 0, 0, 0);
    DSound_Play(echo, 0, 0, 0, 0);
    last_ping_frame = frame_number;
}

void draw_rings(int frame_number)
{
    const int age = frame_number - last_ping_frame;
    if (age >= ring_frames || DDraw_Lock_Back_Surface() == nullptr) {
        return;
    }
    for (int ring = 0; ring < 3; ++ring) {
        const int radius = 20 + age * 5 + ring * 14;
        const int colour = ring == 0 ? ring_colour : dim_colour;
        for (int step = 0; step < 48; ++step) {
            const double a0 = step * 2 * M_PI / 48;
            const double a1 = (step + 1) * 2 * M_PI / 48;
            Draw_Clip_Line(320 + static_cast<int>(radius * std::cos(a0)), 260 + static_cast<int>(radius * std::sin(a0)),
                           320 + static_cast<int>(radius * std::cos(a1)), 260 + static_cast<int>(radius * std::sin(a1)),
                           colour, back_buffer, back_lpitch);
        }
    }
    DDraw_Unlock_Back_Surface();
}

void enter()
{
    PALETTEENTRY colours[256] = {};
    colours[background] = PALETTEENTRY{4, 30, 60, PC_NOCOLLAPSE};
    colours[text_colour] = PALETTEENTRY{230, 245, 250, PC_NOCOLLAPSE};
    colours[ring_colour] = PALETTEENTRY{120, 230, 255, PC_NOCOLLAPSE};
    colours[bar_colour] = PALETTEENTRY{255, 200, 60, PC_NOCOLLAPSE};
    colours[dim_colour] = PALETTEENTRY{40, 110, 150, PC_NOCOLLAPSE};
    Set_Palette(colours);
    DInput_Init();
    DInput_Init_Keyboard();
    // The sound device is made by the first DSound_Init of the program and stays
    // open; later visits only get an empty table.
    DSound_Init();
    DMusic_Init();
    ping = load_through_file(ping_file(), [](const char* path) { return DSound_Load_WAV(path, DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME); });
    echo = DSound_Replicate_Sound(ping);
    DSound_Set_Pan(ping, -2500);
    DSound_Set_Pan(echo, 2500);
    DSound_Set_Volume(echo, 70);
    tune = load_through_file(tune_file(), [](const char* path) { return DMusic_Load_MIDI(path); });
    last_ping_frame = -1000;
    space_was_down = false;
}

void frame(int frame_number)
{
    DInput_Read_Keyboard();
    const bool space_down = (keyboard_state[DIK_SPACE] & 0x80) != 0;
    if ((space_down && !space_was_down) || frame_number % ping_every == 10) {
        play_ping(frame_number);
    }
    space_was_down = space_down;
    if (DMusic_Status_MIDI(tune) == SONG_STOPPED) {
        DMusic_Play(tune);
    }

    DDraw_Fill_Surface(lpddsback, background);
    text("Sound and music", 24, 20, text_colour);
    text("Space plays the ping (it also plays by itself every two seconds).", 24, 50, text_colour);
    text("The tune is a MIDI file; it starts again whenever it ends.", 24, 70, text_colour);
    char line[96] = {};
    std::snprintf(line, sizeof line, "ping: sound %d, status %d    echo: sound %d, status %d", ping,
                  DSound_Status_Sound(ping), echo, DSound_Status_Sound(echo));
    text(line, 24, 400, text_colour);
    const int song_status = DMusic_Status_MIDI(tune);
    std::snprintf(line, sizeof line, "tune: song %d, %s", tune,
                  song_status == SONG_PLAYING ? "playing" : song_status == SONG_STOPPED ? "stopped" : "not loaded");
    text(line, 24, 420, text_colour);
    // A beat bar that moves with the frames while the tune plays.
    if (song_status == SONG_PLAYING) {
        const RECT bar{24, 450, 24 + (frame_number % 20) * 30, 460};
        DDraw_Fill_Surface(lpddsback, bar_colour, &bar);
    }
    draw_rings(frame_number);
}

void leave()
{
    DSound_Stop_All_Sounds();
    DSound_Delete_All_Sounds();
    DMusic_Delete_All_MIDI();
    DMusic_Shutdown();
    DInput_Release_Keyboard();
    DInput_Shutdown();
}

} // namespace

const DemoScene sound_scene = {"Sound: effects and MIDI music, a ping on Space over a tune", enter, frame, leave};
