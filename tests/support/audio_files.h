// Tiny WAV and MIDI files written by the tests themselves, and helpers that read
// what the mixer produced (interleaved left/right 16-bit frames at 44,100 Hz).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace reef_test {

using Bytes = std::vector<uint8_t>;

inline void put_le(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

inline void put_be(Bytes& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

inline void put_code(Bytes& out, const char* code)
{
    out.insert(out.end(), code, code + 4);
}

// --- WAV ------------------------------------------------------------------------

// A chunk: identifier, size (the contents' size unless given), contents, pad byte.
inline Bytes chunk(const char* id, const Bytes& contents, int64_t stated_size = -1)
{
    Bytes out;
    put_code(out, id);
    put_le(out, stated_size >= 0 ? static_cast<uint32_t>(stated_size) : static_cast<uint32_t>(contents.size()), 4);
    out.insert(out.end(), contents.begin(), contents.end());
    if (contents.size() % 2 == 1) {
        out.push_back(0);
    }
    return out;
}

// The 16-byte PCM format block.
inline Bytes format_block(uint16_t tag, uint32_t rate, uint16_t channels = 1, uint16_t bits = 8)
{
    Bytes out;
    put_le(out, tag, 2);
    put_le(out, channels, 2);
    put_le(out, rate, 4);
    put_le(out, rate * channels * bits / 8, 4);
    put_le(out, channels * bits / 8, 2);
    put_le(out, bits, 2);
    return out;
}

// A RIFF WAVE file made of the given sub-chunks.
inline Bytes riff_wave(std::initializer_list<Bytes> chunks, const char* form = "WAVE")
{
    Bytes body;
    put_code(body, form);
    for (const Bytes& c : chunks) {
        body.insert(body.end(), c.begin(), c.end());
    }
    return chunk("RIFF", body);
}

// The ordinary file: a format chunk, then the samples.
inline Bytes wave_file(const Bytes& samples, uint32_t rate = 11025)
{
    return riff_wave({chunk("fmt ", format_block(1, rate)), chunk("data", samples)});
}

inline bool write_file(const std::string& path, const Bytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// --- MIDI -----------------------------------------------------------------------

inline void put_number(Bytes& out, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

// A track's events; `at` is the tick of the event, in order.
struct Track {
    Bytes events;
    uint32_t tick = 0;

    Track& event(uint32_t at, std::initializer_list<uint8_t> bytes)
    {
        put_number(events, at - tick);
        tick = at;
        events.insert(events.end(), bytes);
        return *this;
    }
    Track& note_on(uint32_t at, uint8_t channel, uint8_t key, uint8_t velocity = 100)
    {
        return event(at, {static_cast<uint8_t>(0x90 | channel), key, velocity});
    }
    Track& note_off(uint32_t at, uint8_t channel, uint8_t key)
    {
        return event(at, {static_cast<uint8_t>(0x80 | channel), key, 0});
    }
    Track& program(uint32_t at, uint8_t channel, uint8_t number)
    {
        return event(at, {static_cast<uint8_t>(0xC0 | channel), number});
    }
    Track& control(uint32_t at, uint8_t channel, uint8_t controller, uint8_t value)
    {
        return event(at, {static_cast<uint8_t>(0xB0 | channel), controller, value});
    }
    // Microseconds per quarter note.
    Track& tempo(uint32_t at, uint32_t microseconds)
    {
        return event(at, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microseconds >> 16),
                          static_cast<uint8_t>(microseconds >> 8), static_cast<uint8_t>(microseconds)});
    }
    Track& end(uint32_t at)
    {
        return event(at, {0xFF, 0x2F, 0x00});
    }
    Bytes chunk_bytes() const
    {
        Bytes out;
        put_code(out, "MTrk");
        put_be(out, static_cast<uint32_t>(events.size()), 4);
        out.insert(out.end(), events.begin(), events.end());
        return out;
    }
};

inline Bytes midi_header(uint16_t format, uint16_t tracks, uint16_t division)
{
    Bytes out;
    put_code(out, "MThd");
    put_be(out, 6, 4);
    put_be(out, format, 2);
    put_be(out, tracks, 2);
    put_be(out, division, 2);
    return out;
}

// Division 96 ticks per quarter note at the default 120 beats a minute: 192 ticks a second.
inline Bytes midi_file(std::initializer_list<Track> tracks, uint16_t format = 0, uint16_t division = 96)
{
    Bytes out = midi_header(format, static_cast<uint16_t>(tracks.size()), division);
    for (const Track& track : tracks) {
        const Bytes c = track.chunk_bytes();
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

// --- What the mixer produced ------------------------------------------------------

inline int16_t left(const std::vector<int16_t>& frames, size_t frame)
{
    return frames[2 * frame];
}

inline int16_t right(const std::vector<int16_t>& frames, size_t frame)
{
    return frames[2 * frame + 1];
}

inline size_t frame_count(const std::vector<int16_t>& frames)
{
    return frames.size() / 2;
}

// Largest magnitude in frames [first, last) of both channels.
inline int peak(const std::vector<int16_t>& frames, size_t first = 0, size_t last = SIZE_MAX)
{
    int largest = 0;
    last = std::min(last, frame_count(frames));
    for (size_t i = 2 * first; i < 2 * last; ++i) {
        const int magnitude = frames[i] < 0 ? -frames[i] : frames[i];
        largest = magnitude > largest ? magnitude : largest;
    }
    return largest;
}

// Index of the last frame that is not silent, or -1.
inline long last_sound(const std::vector<int16_t>& frames)
{
    for (size_t i = frame_count(frames); i > 0; --i) {
        if (frames[2 * (i - 1)] != 0 || frames[2 * (i - 1) + 1] != 0) {
            return static_cast<long>(i - 1);
        }
    }
    return -1;
}

} // namespace reef_test
