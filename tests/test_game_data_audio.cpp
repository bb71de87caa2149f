// The game's sounds and songs as make_assets writes them: WAV files in the one format
// the sound buffer plays, of a sensible length and level; standard MIDI files that are
// whole, with every note ended, lasting a minute or more; the same bytes on every run;
// and the sound library takes all four.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"
#include "sound/sound.h"
#include "tests/support/data_files.h"

namespace {

using reef_test::Bytes;
using reef_test::game_data;
using reef_test::le16;
using reef_test::le32;
using reef_test::read_file;

uint32_t be16(const Bytes& b, size_t at)
{
    return b[at] << 8 | b[at + 1];
}

uint32_t be32(const Bytes& b, size_t at)
{
    return be16(b, at) << 16 | be16(b, at + 2);
}

std::string tag(const Bytes& b, size_t at)
{
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 4));
}

// --- WAV -------------------------------------------------------------------------

struct Wav {
    std::string first_chunk;
    uint32_t first_chunk_size = 0;
    uint32_t format_tag = 0;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bytes_per_second = 0;
    uint32_t block_align = 0;
    uint32_t bits = 0;
    Bytes samples;
};

// Reads the RIFF layout strictly; an empty string means it is whole.
std::string read_wav(const Bytes& file, Wav& wav)
{
    if (file.size() < 12 || tag(file, 0) != "RIFF" || tag(file, 8) != "WAVE") {
        return "not a RIFF WAVE file";
    }
    if (le32(file, 4) + 8 != file.size()) {
        return "the RIFF size does not match the file";
    }
    size_t at = 12;
    bool first = true;
    while (at + 8 <= file.size()) {
        const std::string id = tag(file, at);
        const uint32_t size = le32(file, at + 4);
        if (at + 8 + size > file.size()) {
            return "chunk " + id + " runs past the end";
        }
        if (first) {
            wav.first_chunk = id;
            wav.first_chunk_size = size;
            if (size >= 16) {
                wav.format_tag = le16(file, at + 8);
                wav.channels = le16(file, at + 10);
                wav.rate = le32(file, at + 12);
                wav.bytes_per_second = le32(file, at + 16);
                wav.block_align = le16(file, at + 20);
                wav.bits = le16(file, at + 22);
            }
            first = false;
        }
        if (id == "data") {
            wav.samples.assign(file.begin() + static_cast<long>(at + 8),
                               file.begin() + static_cast<long>(at + 8 + size));
            return "";
        }
        at += 8 + size + (size & 1u);
    }
    return "no data chunk";
}

struct SoundCase {
    const char* file;
    double shortest;  // seconds
    double longest;
};

class GameSoundTest : public ::testing::TestWithParam<SoundCase> {};

TEST_P(GameSoundTest, IsUnsignedEightBitMonoAtTheBufferRate)
{
    const SoundCase& sound = GetParam();
    Wav wav;
    ASSERT_EQ("", read_wav(read_file(game_data() + "/Sounds/" + sound.file), wav));
    // The loader takes the first sub-chunk as the format block, whatever it is called.
    EXPECT_EQ("fmt ", wav.first_chunk);
    EXPECT_EQ(16u, wav.first_chunk_size);
    EXPECT_EQ(1u, wav.format_tag);
    EXPECT_EQ(1u, wav.channels);
    EXPECT_EQ(11025u, wav.rate);
    EXPECT_EQ(11025u, wav.bytes_per_second);
    EXPECT_EQ(1u, wav.block_align);
    EXPECT_EQ(8u, wav.bits);
    const double seconds = static_cast<double>(wav.samples.size()) / 11025.0;
    EXPECT_GE(seconds, sound.shortest);
    EXPECT_LE(seconds, sound.longest);
}

TEST_P(GameSoundTest, IsClearlyAudibleWithoutClippingOrClicks)
{
    Wav wav;
    ASSERT_EQ("", read_wav(read_file(game_data() + "/Sounds/" + GetParam().file), wav));
    ASSERT_FALSE(wav.samples.empty());
    int peak = 0;
    int clipped = 0;
    double energy = 0.0;
    for (uint8_t sample : wav.samples) {
        const int level = sample - 128;
        peak = std::max(peak, std::abs(level));
        clipped += sample == 0 || sample == 255 ? 1 : 0;
        energy += static_cast<double>(level * level);
    }
    const double rms = std::sqrt(energy / static_cast<double>(wav.samples.size()));
    // About 6 dB below full scale by design (the mix leaves room for the music), yet far
    // above the 8-bit noise floor.
    EXPECT_GE(peak, 56);
    EXPECT_GE(rms, 10.0);
    EXPECT_EQ(0, clipped);
    // Starting or stopping away from silence would click.
    EXPECT_LE(std::abs(wav.samples.front() - 128), 2);
    EXPECT_LE(std::abs(wav.samples.back() - 128), 2);
}

INSTANTIATE_TEST_SUITE_P(Sounds, GameSoundTest,
                         ::testing::Values(SoundCase{"whale.wav", 1.0, 2.0}, SoundCase{"END.wav", 1.0, 2.0}),
                         [](const ::testing::TestParamInfo<SoundCase>& info) {
                             return std::string(info.param.file).substr(0, std::string(info.param.file).find('.'));
                         });

// --- MIDI ------------------------------------------------------------------------

struct Song {
    uint32_t format = 0;
    uint32_t tracks_declared = 0;
    uint32_t tracks_read = 0;
    uint32_t division = 0;
    int notes = 0;
    double first_tempo = 0.0;  // beats a minute
    double seconds = 0.0;      // to the last end-of-track, through the tempo map
};

bool read_variable(const Bytes& b, size_t end, size_t& at, uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= end) {
            return false;
        }
        const uint8_t byte = b[at++];
        value = value << 7 | (byte & 0x7Fu);
        if ((byte & 0x80u) == 0) {
            return true;
        }
    }
    return false;
}

// Reads a standard MIDI file strictly: every track whole and closed by an
// end-of-track event, every note-on matched by a later note-off on its channel and
// key. An empty string means it is well formed.
std::string read_midi(const Bytes& file, Song& song)
{
    if (file.size() < 14 || tag(file, 0) != "MThd" || be32(file, 4) != 6) {
        return "no MThd header";
    }
    song.format = be16(file, 8);
    song.tracks_declared = be16(file, 10);
    song.division = be16(file, 12);
    if (song.division == 0 || (song.division & 0x8000u) != 0) {
        return "not in ticks per quarter note";
    }
    std::map<uint32_t, uint32_t> tempo;  // tick -> microseconds a quarter note
    uint32_t last_tick = 0;
    size_t at = 14;
    while (at + 8 <= file.size()) {
        if (tag(file, at) != "MTrk") {
            return "a chunk that is not MTrk";
        }
        const size_t end = at + 8 + be32(file, at + 4);
        if (end > file.size()) {
            return "a track runs past the end";
        }
        at += 8;
        uint32_t tick = 0;
        uint8_t status = 0;
        bool ended = false;
        std::map<std::pair<int, int>, int> sounding;
        while (at < end && !ended) {
            uint32_t delta = 0;
            if (!read_variable(file, end, at, delta) || at >= end) {
                return "a track cut inside an event";
            }
            tick += delta;
            if (file[at] == 0xFF) {
                uint32_t length = 0;
                const uint8_t type = at + 1 < end ? file[at + 1] : 0;
                at += 2;
                if (!read_variable(file, end, at, length) || at + length > end) {
                    return "a meta event cut short";
                }
                if (type == 0x51 && length == 3) {
                    tempo[tick] = static_cast<uint32_t>(file[at] << 16 | file[at + 1] << 8 | file[at + 2]);
                }
                ended = type == 0x2F;
                at += length;
                continue;
            }
            if (file[at] == 0xF0 || file[at] == 0xF7) {
                uint32_t length = 0;
                ++at;
                if (!read_variable(file, end, at, length) || at + length > end) {
                    return "a system exclusive event cut short";
                }
                at += length;
                continue;
            }
            if ((file[at] & 0x80u) != 0) {
                status = file[at++];
            } else if (status == 0) {
                return "running status before any status";
            }
            const uint8_t kind = status & 0xF0u;
            const size_t data_bytes = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
            if (at + data_bytes > end) {
                return "a channel message cut short";
            }
            const std::pair<int, int> note{status & 0x0F, file[at]};
            if (kind == 0x90 && file[at + 1] > 0) {
                ++sounding[note];
                ++song.notes;
            } else if (kind == 0x80 || kind == 0x90) {
                if (sounding[note] == 0) {
                    return "a note-off without its note-on";
                }
                --sounding[note];
            }
            at += data_bytes;
        }
        if (!ended || at != end) {
            return "a track not closed by end-of-track at its end";
        }
        for (const auto& [note, count] : sounding) {
            if (count != 0) {
                return "a note-on without its note-off";
            }
        }
        last_tick = std::max(last_tick, tick);
        ++song.tracks_read;
    }
    if (at != file.size()) {
        return "bytes after the last track";
    }
    // Seconds from ticks, one stretch of constant tempo at a time (120 a minute until told).
    uint32_t micros = 500000;
    uint32_t from = 0;
    song.first_tempo = 60e6 / (tempo.count(0) != 0 ? tempo[0] : micros);
    for (const auto& [tick, quarter] : tempo) {
        if (tick > last_tick) {
            break;
        }
        song.seconds += static_cast<double>(tick - from) * micros / song.division / 1e6;
        from = tick;
        micros = quarter;
    }
    song.seconds += static_cast<double>(last_tick - from) * micros / song.division / 1e6;
    return "";
}

struct SongCase {
    const char* file;
};

class GameSongTest : public ::testing::TestWithParam<SongCase> {};

TEST_P(GameSongTest, IsAWholeStandardMidiFileOfAMinuteOrMore)
{
    Song song;
    ASSERT_EQ("", read_midi(read_file(game_data() + "/Sounds/" + GetParam().file), song));
    EXPECT_TRUE(song.format == 0 || song.format == 1) << song.format;
    EXPECT_GE(song.tracks_declared, 1u);
    EXPECT_EQ(song.tracks_declared, song.tracks_read);
    EXPECT_GE(song.notes, 200);
    EXPECT_GE(song.seconds, 60.0);
    EXPECT_LE(song.seconds, 240.0);
}

INSTANTIATE_TEST_SUITE_P(Songs, GameSongTest, ::testing::Values(SongCase{"tmnt-und.mid"}, SongCase{"bd.mid"}),
                         [](const ::testing::TestParamInfo<SongCase>& info) {
                             return std::string(info.param.file).substr(0, 2);
                         });

// The game plays the first song while the shield is high and the second when it is
// low: the calm one must be the first.
TEST(GameSongs, TheCalmSongIsSlowerThanTheTenseOne)
{
    Song calm;
    Song tense;
    ASSERT_EQ("", read_midi(read_file(game_data() + "/Sounds/tmnt-und.mid"), calm));
    ASSERT_EQ("", read_midi(read_file(game_data() + "/Sounds/bd.mid"), tense));
    EXPECT_LT(calm.first_tempo + 30.0, tense.first_tempo);
}

// The reader itself must refuse what it is there to catch.
TEST(GameSongs, TheCheckRefusesUnendedNotesAndOpenTracks)
{
    const Bytes header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {{0x00, 0x90, 60, 100, 0x60, 0xFF, 0x2F, 0x00}, "a note-on without its note-off"},
        {{0x00, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00}, "a note-off without its note-on"},
        {{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}, "a track not closed by end-of-track at its end"},
        {{0x00, 0x90, 60, 100, 0x60, 60, 0, 0x00, 0xFF, 0x2F, 0x00}, ""},
    };
    for (const auto& [events, expected] : cases) {
        Bytes file = header;
        const Bytes chunk = {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(events.size())};
        file.insert(file.end(), chunk.begin(), chunk.end());
        file.insert(file.end(), events.begin(), events.end());
        Song song;
        EXPECT_EQ(expected, read_midi(file, song));
    }
}

// --- Every run the same ------------------------------------------------------------

// make_assets is built beside the data it writes: <build>/tools/make_assets for <build>/data.
std::string make_assets_program()
{
    const std::string data = game_data();
    return data.substr(0, data.find_last_of('/')) + "/tools/make_assets";
}

TEST(GameAudioFiles, ASecondRunWritesTheSameBytes)
{
    char folder[] = "/tmp/reef_audio_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string again = std::string(folder) + "/data";
    const std::string command = "'" + make_assets_program() + "' '" + again + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    for (const char* name : {"whale.wav", "END.wav", "tmnt-und.mid", "bd.mid"}) {
        const Bytes first = read_file(game_data() + "/Sounds/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == read_file(again + "/Sounds/" + name)) << name;
    }
    std::filesystem::remove_all(folder);
}

// --- The sound library takes them ----------------------------------------------------

class GameAudioLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, getcwd(previous_, sizeof previous_));
        // The loaders read file names relative to the working directory, as the game does.
        ASSERT_EQ(0, chdir(game_data().c_str()));
        platform::window_reset();
        const platform::WindowClass window_class{"AUDIOTEST", platform::window_default_procedure, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_window_handle = platform::window_create("AUDIOTEST", "audio", 0, 0, 64, 64);
        ASSERT_NE(nullptr, main_window_handle);
        ASSERT_EQ(1, DSound_Init());
        ASSERT_EQ(1, DMusic_Init());
    }

    void TearDown() override
    {
        DSound_Delete_All_Sounds();
        DSound_Shutdown();
        DMusic_Delete_All_MIDI();
        DMusic_Shutdown();
        platform::window_reset();
        main_window_handle = nullptr;
        EXPECT_EQ(0, chdir(previous_));
    }

    char previous_[4096] = {};
};

TEST_F(GameAudioLoadTest, TheSoundsAndSongsLoadAsTheGameLoadsThem)
{
    for (const char* name : {"Sounds/whale.wav", "Sounds/END.wav"}) {
        const int id = DSound_Load_WAV(name, DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME);
        ASSERT_GE(id, 0) << name;
        EXPECT_EQ(11025, sound_fx[id].rate) << name;
        EXPECT_GT(sound_fx[id].size, 11025) << name;
    }
    for (const char* name : {"Sounds/tmnt-und.mid", "Sounds/bd.mid"}) {
        const int id = DMusic_Load_MIDI(name);
        ASSERT_GE(id, 0) << name;
        EXPECT_EQ(SONG_STOPPED, DMusic_Status_MIDI(id)) << name;
    }
}

} // namespace
