// Standard MIDI files (format 1, ticks per quarter note) built from events placed at
// absolute times, one list per track.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

struct MidiEvent {
    uint32_t tick;              // absolute time
    std::vector<uint8_t> data;  // a channel message, or 0xFF, type, length, bytes for a meta event
};

struct MidiTrack {
    std::vector<MidiEvent> events;  // in any order: the writer sorts them
    uint32_t end_tick;              // the end-of-track event goes here or after the last event
};

void midi_note(MidiTrack& track, uint32_t tick, uint32_t length, uint8_t channel, uint8_t key, uint8_t velocity);
void midi_control(MidiTrack& track, uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value);
void midi_program(MidiTrack& track, uint32_t tick, uint8_t channel, uint8_t program);
void midi_track_name(MidiTrack& track, const char* name);
void midi_tempo(MidiTrack& track, uint32_t tick, double beats_per_minute);
void midi_time_signature(MidiTrack& track, uint32_t tick, uint8_t beats, uint8_t beat_value);
void midi_key_signature(MidiTrack& track, uint32_t tick, int8_t sharps, bool minor);

// The whole file. Events of one tick keep the order they were added in, except that
// note-offs come first, so a note struck again at the moment it ends is not cut.
std::vector<uint8_t> midi_file_bytes(const std::vector<MidiTrack>& tracks, uint16_t ticks_per_quarter);

} // namespace assets
