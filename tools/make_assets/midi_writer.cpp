#include "tools/make_assets/midi_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace assets {

namespace {

constexpr uint8_t note_off = 0x80;
constexpr uint8_t note_on = 0x90;
constexpr uint8_t control_change = 0xB0;
constexpr uint8_t program_change = 0xC0;
constexpr uint8_t meta = 0xFF;

void put_meta(MidiTrack& track, uint32_t tick, uint8_t type, const std::vector<uint8_t>& bytes)
{
    MidiEvent event{tick, {meta, type, static_cast<uint8_t>(bytes.size())}};
    event.data.insert(event.data.end(), bytes.begin(), bytes.end());
    track.events.push_back(event);
}

void put_u16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void put_u32(std::vector<uint8_t>& out, uint32_t value)
{
    put_u16(out, value >> 16);
    put_u16(out, value & 0xFFFFu);
}

void put_tag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(tag[i]));
    }
}

// Delta times are variable-length numbers: seven bits a byte, most significant first.
void put_variable(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t bytes[5] = {0, 0, 0, 0, 0};
    int count = 0;
    do {
        bytes[count] = static_cast<uint8_t>(value & 0x7Fu);
        value >>= 7;
        ++count;
    } while (value != 0);
    for (int i = count - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(bytes[i] | (i > 0 ? 0x80 : 0x00)));
    }
}

bool is_note_off(const MidiEvent& event)
{
    return (event.data[0] & 0xF0) == note_off;
}

std::vector<uint8_t> track_bytes(const MidiTrack& track)
{
    std::vector<MidiEvent> events = track.events;
    std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
        if (a.tick != b.tick) {
            return a.tick < b.tick;
        }
        return is_note_off(a) && !is_note_off(b);
    });
    std::vector<uint8_t> out;
    uint32_t now = 0;
    for (const MidiEvent& event : events) {
        put_variable(out, event.tick - now);
        out.insert(out.end(), event.data.begin(), event.data.end());
        now = event.tick;
    }
    put_variable(out, std::max(track.end_tick, now) - now);
    out.push_back(meta);
    out.push_back(0x2F);
    out.push_back(0x00);
    return out;
}

} // namespace

void midi_note(MidiTrack& track, uint32_t tick, uint32_t length, uint8_t channel, uint8_t key, uint8_t velocity)
{
    track.events.push_back({tick, {static_cast<uint8_t>(note_on | channel), key, velocity}});
    track.events.push_back({tick + length, {static_cast<uint8_t>(note_off | channel), key, 0}});
}

void midi_control(MidiTrack& track, uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value)
{
    track.events.push_back({tick, {static_cast<uint8_t>(control_change | channel), controller, value}});
}

void midi_program(MidiTrack& track, uint32_t tick, uint8_t channel, uint8_t program)
{
    track.events.push_back({tick, {static_cast<uint8_t>(program_change | channel), program}});
}

void midi_track_name(MidiTrack& track, const char* name)
{
    put_meta(track, 0, 0x03, std::vector<uint8_t>(name, name + std::strlen(name)));
}

void midi_tempo(MidiTrack& track, uint32_t tick, double beats_per_minute)
{
    const uint32_t micros = static_cast<uint32_t>(std::lround(60000000.0 / beats_per_minute));
    put_meta(track, tick, 0x51,
             {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8), static_cast<uint8_t>(micros)});
}

void midi_time_signature(MidiTrack& track, uint32_t tick, uint8_t beats, uint8_t beat_value)
{
    uint8_t power = 0;
    while ((1u << power) < beat_value) {
        ++power;
    }
    // 24 clocks to the metronome click, 8 thirty-seconds to the quarter note.
    put_meta(track, tick, 0x58, {beats, power, 24, 8});
}

void midi_key_signature(MidiTrack& track, uint32_t tick, int8_t sharps, bool minor)
{
    put_meta(track, tick, 0x59, {static_cast<uint8_t>(sharps), static_cast<uint8_t>(minor ? 1 : 0)});
}

std::vector<uint8_t> midi_file_bytes(const std::vector<MidiTrack>& tracks, uint16_t ticks_per_quarter)
{
    std::vector<uint8_t> out;
    put_tag(out, "MThd");
    put_u32(out, 6);
    put_u16(out, 1);
    put_u16(out, static_cast<uint32_t>(tracks.size()));
    put_u16(out, ticks_per_quarter);
    for (const MidiTrack& track : tracks) {
        const std::vector<uint8_t> body = track_bytes(track);
        put_tag(out, "MTrk");
        put_u32(out, static_cast<uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

} // namespace assets
