// The music engine: standard MIDI files played by a FluidSynth General MIDI synth
// that has no audio driver of its own; the mixer renders it with the sound effects.
//
// FluidSynth's player runs on the rendered samples, so song time is output time on
// both backends. Things learnt about its player that shape this file: a stopped
// player silences only on its next tick (and can cut the next song's first note),
// and deleting one right after stopping it can leave notes sounding; so every start
// gets a new player, and every stop deletes the player and then resets the synth.
// A note that never gets its note-off would keep a song playing for ever, and the
// player's own "done" comes two seconds late: a song ends when its last event has
// played and no voice sounds any more, and held notes are let go once the last tick
// passes.
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <unordered_set>

#include "platform/audio.h"
#include "platform/audio_backend.h"
#include "platform/fault.h"

namespace platform {

namespace {

// A synth and its soundfont.
struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::string soundfont;  // the soundfont chosen for it ("" for none)

    Synth() = default;
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;
    ~Synth()
    {
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
        }
    }
};

} // namespace

struct Song {
    MusicEngine* engine;
    std::vector<uint8_t> bytes;
    int last_tick;  // tick of the song's last event
};

struct MusicEngine {
    std::unique_ptr<Synth> made;
    std::thread loading;              // loads the soundfont into `made`
    std::vector<Song*> songs;
    bool connected = false;
    uint32_t starts = 0;
    // Shared with the render, under the mixer's lock.
    Synth* synth = nullptr;           // null until the soundfont has loaded
    fluid_player_t* player = nullptr;
    Song* current = nullptr;          // the song the player plays
    int end_tick = 0;
    bool ticked = false;              // the player has run since it started
    int tick = 0;
    bool events_done = false;
    bool faded = false;               // and the notes released then have died away
    // The synth's own output, to hear when it has died away.
    std::vector<float> scratch_left = std::vector<float>(mixer_chunk_frames);
    std::vector<float> scratch_right = std::vector<float>(mixer_chunk_frames);
};

struct MusicLoader {
    std::string directory;
};

namespace {

constexpr int midi_channels = 16;
// Below this the synth's output is inaudible (about -66 dB): the last notes have died away.
constexpr float quiet_level = 0.0005f;

std::unordered_set<const void*> live_objects;
// The last engine's synth, kept for the next engine: loading a soundfont takes a
// tenth of a second, and programs (and tests) start music more than once.
std::unique_ptr<Synth> spare;
std::atomic<bool> told_no_soundfont{false};

template <typename T>
T* live(T* object)
{
    return object != nullptr && live_objects.count(object) != 0 ? object : nullptr;
}

void say_once(const std::string& message)
{
    if (!told_no_soundfont.exchange(true)) {
        std::fprintf(stderr, "reef: %s; music plays silently\n", message.c_str());
    }
}

// FluidSynth's own chatter (warnings about presets a song asks for, ...) is dropped;
// its errors are passed on.
void log_errors(int level, const char* message, void*)
{
    if (level == FLUID_PANIC || level == FLUID_ERR) {
        std::fprintf(stderr, "reef: fluidsynth: %s\n", message);
    }
}

void route_synth_log()
{
    static bool routed = false;
    if (!routed) {
        routed = true;
        for (int level = 0; level < LAST_LOG_LEVEL; ++level) {
            fluid_set_log_function(level, log_errors, nullptr);
        }
    }
}

bool readable(const char* path)
{
    return access(path, R_OK) == 0;
}

std::string choose_soundfont()
{
    const char* chosen = std::getenv("REEF_SOUNDFONT");
    if (chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    const char* const known[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                                 "/usr/share/soundfonts/default.sf2"};
    for (const char* path : known) {
        if (readable(path)) {
            return path;
        }
    }
    return "";
}

// Made on the caller's thread: the first synth of a process draws on the C library's
// random numbers, and a game's own sequence (rand(), unseeded, as games use it) must
// come out the same whether music started or not. So the synth draws from a private
// random state, and the caller's is put back untouched.
std::unique_ptr<Synth> new_synth(const std::string& soundfont)
{
    char private_state[64] = {};
    char* callers_state = initstate(1, private_state, sizeof private_state);
    auto made = std::make_unique<Synth>();
    made->soundfont = soundfont;
    made->settings = new_fluid_settings();
    if (made->settings != nullptr) {
        fluid_settings_setnum(made->settings, "synth.sample-rate", mixer_rate);
        fluid_settings_setint(made->settings, "synth.lock-memory", 0);
        fluid_settings_setint(made->settings, "synth.cpu-cores", 1);
        // Every call into the synth is made under the mixer's lock already.
        fluid_settings_setint(made->settings, "synth.threadsafe-api", 0);
        // Dry output: reverb alone costs as much as a dozen voices, and a stop is silent at once.
        fluid_settings_setint(made->settings, "synth.reverb.active", 0);
        fluid_settings_setint(made->settings, "synth.chorus.active", 0);
        fluid_settings_setstr(made->settings, "player.timing-source", "sample");
        // Louder than the synth's cautious default, to sit beside the sound effects; the
        // game's songs still peak below full scale.
        fluid_settings_setnum(made->settings, "synth.gain", 0.7);
        made->synth = new_fluid_synth(made->settings);
    }
    setstate(callers_state);
    return made->synth != nullptr ? std::move(made) : nullptr;
}

// Runs on a thread of its own, on a synth nothing else uses yet.
void load_soundfont(Synth& synth)
{
    if (synth.soundfont.empty()) {
        say_once("no General MIDI soundfont found (install timgm6mb-soundfont or set REEF_SOUNDFONT)");
    } else if (!readable(synth.soundfont.c_str()) ||
               fluid_synth_sfload(synth.synth, synth.soundfont.c_str(), 1) == FLUID_FAILED) {
        say_once("cannot load the soundfont " + synth.soundfont);
    }
}

// Waits for the background load, once, and hands the synth to the render.
Synth* ready_synth(MusicEngine* engine)
{
    if (engine->loading.joinable()) {
        engine->loading.join();
        MixerLock lock;
        engine->synth = engine->made.get();
    }
    return engine->synth;
}

// Lets go of notes a song left held: the pedals up, then every note off.
void release_held_notes(fluid_synth_t* synth)
{
    for (int channel = 0; channel < midi_channels; ++channel) {
        fluid_synth_cc(synth, channel, 64, 0);
        fluid_synth_cc(synth, channel, 66, 0);
        fluid_synth_cc(synth, channel, 123, 0);
    }
}

// The caller holds the mixer's lock.
void stop_player(MusicEngine* engine)
{
    if (engine->player != nullptr) {
        fluid_player_stop(engine->player);
        delete_fluid_player(engine->player);
        engine->player = nullptr;
        fluid_synth_system_reset(engine->synth->synth);
        fluid_synth_all_sounds_off(engine->synth->synth, -1);
    }
    engine->current = nullptr;
}

int on_tick(void* context, int tick)
{
    auto* engine = static_cast<MusicEngine*>(context);
    engine->tick = tick;
    engine->ticked = true;
    return FLUID_OK;
}

// Inside the mixer's lock.
void render(void* context, float* left, float* right, int frames)
{
    auto* engine = static_cast<MusicEngine*>(context);
    if (engine->synth == nullptr) {
        return;
    }
    float* own_left = engine->scratch_left.data();
    float* own_right = engine->scratch_right.data();
    std::fill(own_left, own_left + frames, 0.0f);
    std::fill(own_right, own_right + frames, 0.0f);
    float* dry[2] = {own_left, own_right};
    float* effects[4] = {own_left, own_right, own_left, own_right};
    fluid_synth_process(engine->synth->synth, frames, 4, effects, 2, dry);
    float loudest = 0.0f;
    for (int i = 0; i < frames; ++i) {
        left[i] += own_left[i];
        right[i] += own_right[i];
        loudest = std::max(loudest, std::max(std::fabs(own_left[i]), std::fabs(own_right[i])));
    }
    if (engine->player == nullptr || engine->faded) {
        return;
    }
    if (!engine->events_done) {
        // A player that gave up on its file is done as well, or the song would play on
        // silently for ever.
        if ((engine->ticked && engine->tick >= engine->end_tick) ||
            fluid_player_get_status(engine->player) == FLUID_PLAYER_DONE) {
            release_held_notes(engine->synth->synth);
            engine->events_done = true;
        }
    } else if (loudest < quiet_level) {
        // What is left is inaudible: cut it, so an ended song is silent.
        fluid_synth_all_sounds_off(engine->synth->synth, -1);
        engine->faded = true;
    }
}

uint32_t read_be32(const uint8_t* at)
{
    return (static_cast<uint32_t>(at[0]) << 24) | (static_cast<uint32_t>(at[1]) << 16) |
           (static_cast<uint32_t>(at[2]) << 8) | at[3];
}

uint32_t read_be16(const uint8_t* at)
{
    return (static_cast<uint32_t>(at[0]) << 8) | at[1];
}

// A variable-length number of at most four bytes, inside [at, end).
bool read_number(const uint8_t*& at, const uint8_t* end, uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at == end) {
            return false;
        }
        const uint8_t byte = *at++;
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool skip(const uint8_t*& at, const uint8_t* end, uint32_t bytes)
{
    if (static_cast<size_t>(end - at) < bytes) {
        return false;
    }
    at += bytes;
    return true;
}

// Meta events the player reads at one length only (it refuses a whole file for one of
// another length); a tempo of 0 would stop its clock, and the song, for ever.
bool meta_fits(uint8_t type, const uint8_t* data, uint32_t length)
{
    switch (type) {
    case 0x2F:
        return length == 0;
    case 0x51:
        return length == 3 && (data[0] | data[1] | data[2]) != 0;
    case 0x54:
        return length == 5;
    case 0x58:
        return length == 4;
    case 0x59:
        return length == 2;
    default:
        return true;
    }
}

// Walks a track's events; false when one runs past the chunk or makes no sense.
bool track_length(const uint8_t* at, const uint8_t* end, int& last_tick)
{
    constexpr uint64_t tick_limit = 0x7FFFFFFF;
    uint64_t tick = 0;
    uint8_t status = 0;
    while (at != end) {
        uint32_t delta = 0;
        if (!read_number(at, end, delta) || at == end) {
            return false;
        }
        tick += delta;
        if (tick > tick_limit) {
            return false;
        }
        const uint8_t lead = *at;
        uint32_t length = 0;
        if (lead == 0xFF) {
            ++at;
            if (at == end) {
                return false;
            }
            const uint8_t type = *at++;
            if (!read_number(at, end, length)) {
                return false;
            }
            const uint8_t* data = at;
            if (!skip(at, end, length) || !meta_fits(type, data, length)) {
                return false;
            }
            status = 0;
            if (type == 0x2F) {
                break;
            }
        } else if (lead == 0xF7) {
            // Sysex sent in packets: the player refuses the whole file for one.
            return false;
        } else if (lead == 0xF0) {
            ++at;
            if (!read_number(at, end, length) || !skip(at, end, length)) {
                return false;
            }
            status = 0;
        } else {
            if ((lead & 0x80) != 0) {
                status = lead;
                ++at;
            }
            if (status < 0x80 || status >= 0xF0) {
                return false;
            }
            const uint8_t kind = status & 0xF0;
            if (!skip(at, end, kind == 0xC0 || kind == 0xD0 ? 1 : 2)) {
                return false;
            }
        }
    }
    last_tick = static_cast<int>(tick);
    return true;
}

// A standard MIDI file the player can take: its header, then every track it counts.
// `playable` gets the song as the player can read it, a six-byte header and the tracks
// alone: the player refuses a whole file for a longer header or a chunk of another kind.
bool read_song(const uint8_t* bytes, size_t size, int& last_tick, std::vector<uint8_t>& playable)
{
    if (size < 14 || std::string(reinterpret_cast<const char*>(bytes), 4) != "MThd") {
        return false;
    }
    const uint32_t header_length = read_be32(bytes + 4);
    const uint32_t format = read_be16(bytes + 8);
    const uint32_t tracks = read_be16(bytes + 10);
    const uint32_t division = read_be16(bytes + 12);
    // Timecode divisions and format 2 are beyond the player.
    if (header_length < 6 || header_length > size - 8 || format > 1 || tracks == 0 || division == 0 ||
        (division & 0x8000) != 0) {
        return false;
    }
    size_t at = 8 + header_length;
    uint32_t found = 0;
    last_tick = 0;
    playable.assign(bytes, bytes + 14);
    playable[4] = 0;
    playable[5] = 0;
    playable[6] = 0;
    playable[7] = 6;
    while (found < tracks) {
        if (size - at < 8) {
            return false;
        }
        const uint32_t length = read_be32(bytes + at + 4);
        if (length > size - at - 8) {
            return false;
        }
        if (std::string(reinterpret_cast<const char*>(bytes + at), 4) == "MTrk") {
            int track_end = 0;
            if (!track_length(bytes + at + 8, bytes + at + 8 + length, track_end)) {
                return false;
            }
            last_tick = std::max(last_tick, track_end);
            playable.insert(playable.end(), bytes + at, bytes + at + 8 + length);
            ++found;
        }
        at += 8 + length;
    }
    return true;
}

} // namespace

// --- Engine -----------------------------------------------------------------------

MusicEngine* music_create()
{
    if (fault_should_fail("music.create")) {
        return nullptr;
    }
    route_synth_log();
    auto* engine = new MusicEngine;
    const std::string soundfont = choose_soundfont();
    if (spare != nullptr && spare->soundfont == soundfont) {
        engine->made = std::move(spare);
        engine->synth = engine->made.get();
    } else {
        spare.reset();
        engine->made = new_synth(soundfont);
        if (engine->made != nullptr) {
            Synth* loading = engine->made.get();
            engine->loading = std::thread([loading] { load_soundfont(*loading); });
        }
    }
    live_objects.insert(engine);
    return engine;
}

bool music_connect(MusicEngine* engine)
{
    if (live(engine) == nullptr || fault_should_fail("music.connect")) {
        return false;
    }
    if (engine->connected) {
        return true;
    }
    if (!mixer_output_acquire()) {
        return false;
    }
    if (!mixer_add_source(render, engine)) {
        mixer_output_release();
        return false;
    }
    engine->connected = true;
    return true;
}

Song* music_load(MusicEngine* engine, const uint8_t* bytes, size_t size)
{
    int last_tick = 0;
    std::vector<uint8_t> playable;
    if (live(engine) == nullptr || bytes == nullptr || size > music_max_file_bytes ||
        !read_song(bytes, size, last_tick, playable)) {
        return nullptr;
    }
    auto* song = new Song{engine, std::move(playable), last_tick};
    engine->songs.push_back(song);
    live_objects.insert(song);
    return song;
}

uint32_t music_play(MusicEngine* engine, Song* song)
{
    if (live(engine) == nullptr || live(song) == nullptr || song->engine != engine) {
        return 0;
    }
    Synth* synth = ready_synth(engine);
    if (synth == nullptr) {
        return 0;
    }
    MixerLock lock;
    stop_player(engine);
    fluid_player_t* player = new_fluid_player(synth->synth);
    if (player == nullptr) {
        return 0;
    }
    if (fluid_player_set_tick_callback(player, on_tick, engine) != FLUID_OK ||
        fluid_player_add_mem(player, song->bytes.data(), song->bytes.size()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        return 0;
    }
    engine->player = player;
    engine->current = song;
    engine->end_tick = song->last_tick;
    engine->ticked = false;
    engine->tick = 0;
    engine->events_done = false;
    engine->faded = false;
    if (++engine->starts == 0) {
        engine->starts = 1;
    }
    return engine->starts;
}

void music_stop(MusicEngine* engine, Song* song)
{
    if (live(engine) == nullptr || engine->synth == nullptr) {
        return;
    }
    MixerLock lock;
    if (song == nullptr || song == engine->current) {
        stop_player(engine);
    }
}

bool music_is_playing(MusicEngine* engine, Song* song)
{
    if (live(engine) == nullptr || live(song) == nullptr || engine->synth == nullptr) {
        return false;
    }
    MixerLock lock;
    if (engine->current != song || engine->player == nullptr) {
        return false;
    }
    return !engine->faded;
}

void music_unload(Song* song)
{
    if (live(song) == nullptr) {
        return;
    }
    MusicEngine* engine = song->engine;
    if (engine->current == song) {
        MixerLock lock;
        stop_player(engine);
    }
    engine->songs.erase(std::find(engine->songs.begin(), engine->songs.end(), song));
    live_objects.erase(song);
    delete song;
}

void music_release(MusicEngine* engine)
{
    if (live(engine) == nullptr) {
        return;
    }
    if (engine->synth != nullptr) {
        MixerLock lock;
        stop_player(engine);
    }
    if (engine->connected) {
        mixer_remove_source(engine);
        mixer_output_release();
    }
    while (!engine->songs.empty()) {
        music_unload(engine->songs.back());
    }
    if (engine->loading.joinable()) {
        engine->loading.join();
    }
    if (engine->made != nullptr) {
        // No longer rendered: the next engine finds it as if new.
        fluid_synth_system_reset(engine->made->synth);
        spare = std::move(engine->made);
    }
    live_objects.erase(engine);
    delete engine;
}

// --- File reader --------------------------------------------------------------------

MusicLoader* music_loader_create()
{
    if (fault_should_fail("music.loader_create")) {
        return nullptr;
    }
    auto* loader = new MusicLoader;
    live_objects.insert(loader);
    return loader;
}

bool music_loader_set_directory(MusicLoader* loader, const char* directory)
{
    if (live(loader) == nullptr || directory == nullptr || fault_should_fail("music.search_directory")) {
        return false;
    }
    loader->directory = directory;
    return true;
}

bool music_loader_read(MusicLoader* loader, const char* filename, std::vector<uint8_t>& bytes)
{
    if (live(loader) == nullptr || filename == nullptr || *filename == '\0') {
        return false;
    }
    std::string path = filename;
    if (filename[0] != '/' && !loader->directory.empty()) {
        path = loader->directory + "/" + filename;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    uint8_t block[65536];
    bool fits = true;
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        if (bytes.size() + got > music_max_file_bytes) {
            fits = false;
            break;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
    const bool read_whole = fits && std::ferror(file) == 0;
    std::fclose(file);
    return read_whole;
}

void music_loader_release(MusicLoader* loader)
{
    if (live(loader) != nullptr) {
        live_objects.erase(loader);
        delete loader;
    }
}

} // namespace platform
