// MIDI music: the table of 64 songs over the platform's music engine, with one
// song tracked as the active one.
#include <unistd.h>

#include <climits>
#include <vector>

#include "sound/sound.h"

platform::MusicEngine* dm_perf = nullptr;
platform::MusicLoader* dm_loader = nullptr;
DMUSIC_MIDI_TYP dm_midi[DM_NUM_SEGMENTS] = {};
int dm_active_id = -1;

namespace {

// True once DMusic_Init has got through every step: a half-made engine plays nothing.
bool engine_ready = false;

bool valid_id(int id)
{
    return id >= 0 && id < DM_NUM_SEGMENTS;
}

bool holds_song(int id)
{
    return valid_id(id) && dm_midi[id].segment != nullptr && dm_midi[id].state != SONG_EMPTY;
}

} // namespace

int DMusic_Init()
{
    // A second start must not strand the first engine and its songs.
    if (dm_perf != nullptr || dm_loader != nullptr) {
        DMusic_Shutdown();
    }
    // Sounds and music share the mixer's one output, so the engine needs no device
    // handed to it: it opens the output itself when DSound_Init did not.
    dm_perf = platform::music_create();
    if (dm_perf == nullptr || !platform::music_connect(dm_perf)) {
        return 0;
    }
    dm_loader = platform::music_loader_create();
    if (dm_loader == nullptr) {
        return 0;
    }
    for (int id = 0; id < DM_NUM_SEGMENTS; ++id) {
        dm_midi[id] = DMUSIC_MIDI_TYP{nullptr, 0, id, SONG_EMPTY};
    }
    dm_active_id = -1;
    engine_ready = true;
    return 1;
}

int DMusic_Shutdown()
{
    if (dm_perf != nullptr) {
        platform::music_stop(dm_perf, nullptr);
    }
    DMusic_Delete_All_MIDI();
    platform::music_release(dm_perf);
    platform::music_loader_release(dm_loader);
    dm_perf = nullptr;
    dm_loader = nullptr;
    engine_ready = false;
    return 1;
}

int DMusic_Load_MIDI(const char* filename)
{
    if (!engine_ready || filename == nullptr) {
        return -1;
    }
    int id = -1;
    for (int slot = 0; slot < DM_NUM_SEGMENTS; ++slot) {
        if (dm_midi[slot].state == SONG_EMPTY) {
            id = slot;
            break;
        }
    }
    if (id < 0) {
        return -1;
    }
    // Relative names are looked up in the working directory as it is now.
    char directory[PATH_MAX];
    if (getcwd(directory, sizeof directory) == nullptr ||
        !platform::music_loader_set_directory(dm_loader, directory)) {
        return -1;
    }
    std::vector<uint8_t> bytes;
    if (!platform::music_loader_read(dm_loader, filename, bytes)) {
        return -1;
    }
    platform::Song* song = platform::music_load(dm_perf, bytes.data(), bytes.size());
    if (song == nullptr) {
        return -1;
    }
    dm_midi[id] = DMUSIC_MIDI_TYP{song, 0, id, SONG_READY};
    return id;
}

int DMusic_Play(int id)
{
    if (!holds_song(id)) {
        return 0;
    }
    if (dm_active_id != -1) {
        DMusic_Stop(dm_active_id);
    }
    dm_midi[id].segment_state = platform::music_play(dm_perf, dm_midi[id].segment);
    dm_midi[id].state = SONG_PLAYING;
    dm_active_id = id;
    return 1;
}

int DMusic_Stop(int id)
{
    if (!holds_song(id)) {
        return 0;
    }
    platform::music_stop(dm_perf, dm_midi[id].segment);
    dm_midi[id].state = SONG_STOPPED;
    dm_active_id = -1;
    return 1;
}

int DMusic_Status_MIDI(int id)
{
    if (!holds_song(id)) {
        return SONG_EMPTY;
    }
    dm_midi[id].state = platform::music_is_playing(dm_perf, dm_midi[id].segment) ? SONG_PLAYING : SONG_STOPPED;
    return dm_midi[id].state;
}

int DMusic_Delete_MIDI(int id)
{
    if (valid_id(id) && dm_midi[id].segment != nullptr) {
        platform::music_unload(dm_midi[id].segment);
        dm_midi[id].segment = nullptr;
        dm_midi[id].segment_state = 0;
        dm_midi[id].state = SONG_EMPTY;
    }
    return 1;
}

int DMusic_Delete_All_MIDI()
{
    for (int id = 0; id < DM_NUM_SEGMENTS; ++id) {
        DMusic_Delete_MIDI(id);
    }
    return 1;
}
