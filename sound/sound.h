// The sound library: a table of WAV sound effects and a table of MIDI songs, both
// named by slot index (-1 meaning none).
//
// Conventions: functions return 1 for success and 0 for failure; the loaders return
// a slot index or -1. Ids outside the tables (the -1 of a failed load included) are
// harmless everywhere: nothing happens. Sounds and songs play through the platform's
// mixer, asynchronously; a program learns that a song has ended by polling it.
#pragma once

#include <cstdint>

#include "platform/audio.h"

// ============================================================================
// Sound effects
// ============================================================================

constexpr int MAX_SOUNDS = 256;

// Slot states.
constexpr int SOUND_EMPTY = 0;
constexpr int SOUND_READY = 1;

// Buffer status bits (DSound_Status_Sound).
constexpr int DSBSTATUS_PLAYING = 1;
constexpr int DSBSTATUS_BUFFERLOST = 2;  // never reported: our buffers are not lost
constexpr int DSBSTATUS_LOOPING = 4;

// Buffer capabilities (DSound_Load_WAV's control_flags).
constexpr int DSBCAPS_STATIC = 0x02;
constexpr int DSBCAPS_LOCSOFTWARE = 0x08;
constexpr int DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr int DSBCAPS_CTRLPAN = 0x40;
constexpr int DSBCAPS_CTRLVOLUME = 0x80;

// DSound_Play flags: repeat until stopped.
constexpr int DSBPLAY_LOOPING = 1;

// Pan range of DSound_Set_Pan, hundredths of a decibel.
constexpr int DSBPAN_LEFT = -10000;
constexpr int DSBPAN_CENTER = 0;
constexpr int DSBPAN_RIGHT = 10000;

// One slot of the sound table.
struct pcm_sound_typ {
    platform::SoundBuffer* sound_buffer;  // the samples; null when the slot holds none
    int state;                            // SOUND_EMPTY or SOUND_READY
    int rate;                             // samples per second the file said (not used for playing)
    int size;                             // bytes of samples
    int id;                               // the slot's own index
};

extern platform::AudioDevice* lpds;             // the sound device, made by the first DSound_Init
extern pcm_sound_typ sound_fx[MAX_SOUNDS];      // the sound table; a slot's index is its sound id
extern platform::SoundFormat pcmwf;             // format of the last buffer made
extern platform::SoundBufferDesc dsbd;          // description of the last buffer made

int DSound_Init();             // opens the device (first call only) and empties the table; 1 / 0
int DSound_Shutdown();         // stops and releases every sound and the device; 1
// Loads an 8-bit mono PCM WAV file; it plays at 11,025 samples per second whatever
// the file says. control_flags: DSBCAPS_CTRL... for the setters to work (the game
// passes 224, all three). The new sound id, or -1.
int DSound_Load_WAV(const char* filename, int control_flags);
int DSound_Replicate_Sound(int source_id);  // a second sound playing the same samples; id or -1
// Plays from the beginning (a playing sound restarts); flags DSBPLAY_LOOPING repeats.
// volume, rate and pan are not used. 1; 0 when the platform refuses.
int DSound_Play(int id, int flags, int volume, int rate, int pan);
int DSound_Set_Volume(int id, int vol);     // 0..100 (100 full, 0 = -30 dB); 1 when accepted
int DSound_Set_Freq(int id, int freq);      // samples per second; 1 when accepted
int DSound_Set_Pan(int id, int pan);        // DSBPAN_LEFT..DSBPAN_RIGHT; 1 when accepted
int DSound_Stop_Sound(int id);              // stops and rewinds; 1
int DSound_Stop_All_Sounds();               // 1
int DSound_Delete_Sound(int id);            // stops and frees the slot; 1
int DSound_Delete_All_Sounds();             // 1
int DSound_Status_Sound(int id);            // DSBSTATUS_ bits, or -1 when the slot holds no sound

// ============================================================================
// MIDI music
// ============================================================================

constexpr int DM_NUM_SEGMENTS = 64;

// Song states.
constexpr int SONG_EMPTY = 0;
constexpr int SONG_READY = 1;    // loaded, not yet asked about
constexpr int SONG_PLAYING = 2;
constexpr int SONG_STOPPED = 3;

// One slot of the song table.
struct DMUSIC_MIDI_TYP {
    platform::Song* segment;   // the loaded song; null when the slot is free
    uint32_t segment_state;    // number of the song's last start; 0 after loading and unloading
    int id;                    // the slot's own index
    int state;                 // SONG_...
};

extern platform::MusicEngine* dm_perf;          // the music engine
extern platform::MusicLoader* dm_loader;        // the music file reader
extern DMUSIC_MIDI_TYP dm_midi[DM_NUM_SEGMENTS]; // the song table; a slot's index is its song id
extern int dm_active_id;                        // the song last started and not stopped since, or -1

int DMusic_Init();                      // starts the engine and empties the table; 1 / 0
int DMusic_Shutdown();                  // stops everything, unloads every song, closes the engine; 1
int DMusic_Load_MIDI(const char* filename);  // a standard MIDI file; the new song id, or -1
int DMusic_Play(int id);                // stops the active song, starts this one; 1, 0 without a song
int DMusic_Stop(int id);                // 1, 0 without a song; the active song becomes none
int DMusic_Status_MIDI(int id);         // SONG_PLAYING or SONG_STOPPED; SONG_EMPTY for a free slot
int DMusic_Delete_MIDI(int id);         // 1
int DMusic_Delete_All_MIDI();           // 1
