// Audio service: one output for everything, shared by sound buffers and music.
//
// Sound buffers hold unsigned 8-bit mono samples played at the buffer's frequency
// (resampled to the output with linear interpolation), once or looping, with a
// volume and a pan in hundredths of a decibel. A duplicate shares its source's
// samples and plays on its own. The music engine plays standard MIDI files through
// a General MIDI synth rendered into the same output.
//
// Every operation takes the handles it was given back safely: a null or released
// handle makes it fail (false / null / nothing) and touches nothing. Each fallible
// operation can be made to fail by fault injection under the name in its comment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace platform {

struct AudioDevice;
struct SoundBuffer;
struct MusicEngine;
struct MusicLoader;
struct Song;

// --- Device -------------------------------------------------------------------

// "audio.create": opens the output (once for the device and the music engine together).
AudioDevice* audio_create();
// "audio.cooperative_level": the window the program's sound belongs to (must be live).
bool audio_set_cooperative_level(AudioDevice* device, Window* window);
// Releases the device and every buffer still made from it; the output closes with
// its last user.
void audio_release(AudioDevice* device);

// --- Sound buffers ------------------------------------------------------------

// Format of a buffer's samples; only PCM (tag 1), 1 channel, 8 bits is mixed.
struct SoundFormat {
    uint16_t format_tag;
    uint16_t channels;
    uint32_t samples_per_sec;   // the buffer's own frequency, 100 .. 200,000
    uint32_t avg_bytes_per_sec;
    uint16_t block_align;
    uint16_t bits_per_sample;
    uint16_t extra_size;
};

// Capability flags a buffer is made with; each setter needs its flag.
constexpr uint32_t SOUND_CAPS_STATIC = 0x02;
constexpr uint32_t SOUND_CAPS_SOFTWARE = 0x08;
constexpr uint32_t SOUND_CAPS_CTRL_FREQUENCY = 0x20;
constexpr uint32_t SOUND_CAPS_CTRL_PAN = 0x40;
constexpr uint32_t SOUND_CAPS_CTRL_VOLUME = 0x80;

struct SoundBufferDesc {
    uint32_t size;               // of this record
    uint32_t flags;              // SOUND_CAPS_...
    uint32_t buffer_bytes;       // 1 .. sound_max_buffer_bytes
    const SoundFormat* format;
};

constexpr uint32_t sound_max_buffer_bytes = 16u << 20;

// Status bits.
constexpr uint32_t SOUND_STATUS_PLAYING = 1;
constexpr uint32_t SOUND_STATUS_LOOPING = 4;

// Play flags.
constexpr uint32_t SOUND_PLAY_LOOPING = 1;

// Volume and pan limits, hundredths of a decibel.
constexpr int32_t SOUND_VOLUME_MAX = 0;
constexpr int32_t SOUND_VOLUME_MIN = -10000;  // silence
constexpr int32_t SOUND_PAN_LEFT = -10000;    // the right channel silent
constexpr int32_t SOUND_PAN_RIGHT = 10000;

// A buffer's samples handed out by a lock: the region from the lock's offset to the
// end of the buffer, then (when the lock wraps around) a second one from its start.
struct SoundLock {
    uint8_t* first;
    uint32_t first_bytes;
    uint8_t* second;            // null when the lock does not wrap
    uint32_t second_bytes;
};

// "sound.create": a silent buffer (all samples 128), stopped at position 0.
SoundBuffer* sound_create_buffer(AudioDevice* device, const SoundBufferDesc& desc);
// "sound.duplicate": a new buffer sharing the source's samples, with its caps,
// frequency, volume and pan, stopped at position 0.
SoundBuffer* sound_duplicate(AudioDevice* device, SoundBuffer* source);
// "sound.lock": `bytes` bytes from `offset` (offset < size, bytes <= size).
bool sound_lock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, SoundLock& lock);
// "sound.unlock": the regions the lock handed out.
bool sound_unlock(SoundBuffer* buffer, const SoundLock& lock);
// "sound.set_position": the next sample to play, in bytes (< size).
bool sound_set_position(SoundBuffer* buffer, uint32_t offset);
// "sound.play": plays from the current position; SOUND_PLAY_LOOPING repeats until stopped.
bool sound_play(SoundBuffer* buffer, uint32_t flags);
// Stops where it is (the position stays).
void sound_stop(SoundBuffer* buffer);
// Refused (false) without the buffer's control flag or out of range:
// volume SOUND_VOLUME_MIN .. 0, pan -10000 .. 10000, frequency 100 .. 200,000
// samples per second (0: the buffer's own frequency again).
bool sound_set_volume(SoundBuffer* buffer, int32_t hundredths_db);
bool sound_set_pan(SoundBuffer* buffer, int32_t hundredths_db);
bool sound_set_frequency(SoundBuffer* buffer, uint32_t samples_per_sec);
// SOUND_STATUS_ bits (0 for a bad handle).
uint32_t sound_status(SoundBuffer* buffer);
void sound_release(SoundBuffer* buffer);

// --- Music engine ---------------------------------------------------------------
//
// The soundfont is REEF_SOUNDFONT if set, else the TimGM6mb General MIDI soundfont,
// else the system's default GM soundfont. Without one the engine still plays songs,
// silently and with the same timing, after saying so once on stderr. The soundfont
// loads in the background: creating an engine is cheap; the first song to start
// waits for it. (The engine is built with the sound library, which brings the synth,
// so that programs without sound do not link it.)

// "music.create"
MusicEngine* music_create();
// "music.connect": renders into the output from now on (opening it if need be).
bool music_connect(MusicEngine* engine);
// "music.load": a standard MIDI file (format 0 or 1, ticks per quarter note, every
// track the header counts present and whole), copied; null for anything else.
Song* music_load(MusicEngine* engine, const uint8_t* bytes, size_t size);
// Starts the song from its beginning, stopping whatever the engine plays. Returns
// the number of this start (never 0), or 0 when it cannot play the song.
uint32_t music_play(MusicEngine* engine, Song* song);
// Stops the song if the engine plays it; null stops whatever it plays.
void music_stop(MusicEngine* engine, Song* song);
// True from music_play until the song's last event has played and no note sounds.
bool music_is_playing(MusicEngine* engine, Song* song);
// Unloads a song (stopping it when it plays).
void music_unload(Song* song);
// Stops, unloads every song of the engine, and lets go of the output.
void music_release(MusicEngine* engine);

// --- Music file reader ----------------------------------------------------------

constexpr size_t music_max_file_bytes = 4u << 20;

// "music.loader_create"
MusicLoader* music_loader_create();
// "music.search_directory": where relative file names are looked up.
bool music_loader_set_directory(MusicLoader* loader, const char* directory);
// Reads a whole file (at most music_max_file_bytes) named relative to the directory.
bool music_loader_read(MusicLoader* loader, const char* filename, std::vector<uint8_t>& bytes);
void music_loader_release(MusicLoader* loader);

} // namespace platform
