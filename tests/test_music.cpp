// MIDI music: the song table and its ids, the one active song, how long songs play
// (on virtual time, through the headless mixer), stopping, and the files refused.
// The songs are tiny MIDI files the tests write: at 96 ticks a quarter note and the
// default 120 beats a minute, 192 ticks last one second.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/headless/headless_audio.h"
#include "sound/sound.h"
#include "tests/support/audio_files.h"

namespace {

using reef_test::Bytes;
using reef_test::midi_file;
using reef_test::Track;

// One piano note of `ticks` ticks.
Bytes note_song(uint32_t ticks, uint8_t key = 60)
{
    return midi_file({Track().program(0, 0, 0).note_on(0, 0, key).note_off(ticks, 0, key).end(ticks)});
}

bool soundfont_here()
{
    const char* chosen = std::getenv("REEF_SOUNDFONT");
    const std::string path = chosen != nullptr && *chosen != '\0' ? chosen : "/usr/share/sounds/sf2/TimGM6mb.sf2";
    std::FILE* font = std::fopen(path.c_str(), "rb");
    if (font == nullptr) {
        return false;
    }
    std::fclose(font);
    return true;
}

int load(const std::string& name, const Bytes& bytes)
{
    EXPECT_TRUE(reef_test::write_file(name, bytes));
    return DMusic_Load_MIDI(name.c_str());
}

std::vector<int16_t> render(uint32_t ms)
{
    platform::headless::audio_record(true);
    platform::clock_idle(ms);
    return platform::headless::audio_recorded();
}

// Virtual milliseconds until the song reports stopped, asked every 10 ms as the
// game asks once a frame; -1 if it still plays after `limit`.
int ms_until_stopped(int id, int limit)
{
    for (int elapsed = 0; elapsed <= limit; elapsed += 10) {
        if (DMusic_Status_MIDI(id) == SONG_STOPPED) {
            return elapsed;
        }
        platform::clock_idle(10);
    }
    return -1;
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        ASSERT_EQ(1, DMusic_Init());
    }

    void TearDown() override
    {
        DMusic_Delete_All_MIDI();
        DMusic_Shutdown();
        platform::headless::audio_record(false);
        platform::fault_clear();
    }
};

TEST_F(MusicTest, ASongIsStoppedUntilPlayedAndPlaysUntilItsEnd)
{
    const int id = load("short.mid", note_song(96));
    ASSERT_EQ(0, id);
    EXPECT_EQ(SONG_READY, dm_midi[id].state);
    EXPECT_EQ(0u, dm_midi[id].segment_state);
    EXPECT_EQ(SONG_STOPPED, DMusic_Status_MIDI(id));
    EXPECT_EQ(-1, dm_active_id);

    ASSERT_EQ(1, DMusic_Play(id));
    EXPECT_NE(0u, dm_midi[id].segment_state);
    EXPECT_EQ(id, dm_active_id);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(id));
    platform::clock_idle(400);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(id));
    // Half a second of events, then the note's release; well before the player's own
    // "done", two seconds on.
    const int ended = ms_until_stopped(id, 2000);
    EXPECT_GE(ended, 100);
    EXPECT_LE(ended, 1100);
    EXPECT_EQ(id, dm_active_id);
    EXPECT_EQ(0, reef_test::peak(render(50), 512));
}

TEST_F(MusicTest, TheMusicReachesTheOutput)
{
    if (!soundfont_here()) {
        GTEST_SKIP() << "no TimGM6mb soundfont here";
    }
    const int id = load("long.mid", note_song(1920));
    ASSERT_EQ(1, DMusic_Play(id));
    const std::vector<int16_t> out = render(300);
    EXPECT_GT(reef_test::peak(out), 1000);
}

TEST_F(MusicTest, StoppingSilencesWithinOneBlock)
{
    const int id = load("long.mid", note_song(1920));
    ASSERT_EQ(1, DMusic_Play(id));
    render(300);
    ASSERT_EQ(1, DMusic_Stop(id));
    EXPECT_EQ(SONG_STOPPED, dm_midi[id].state);
    EXPECT_EQ(-1, dm_active_id);
    const std::vector<int16_t> out = render(100);
    EXPECT_EQ(0, reef_test::peak(out, 512));
    EXPECT_EQ(SONG_STOPPED, DMusic_Status_MIDI(id));
}

TEST_F(MusicTest, NotesLeftHeldStillEndTheSong)
{
    struct Case {
        const char* what;
        Bytes song;
    };
    const Case cases[] = {
        {"a note without its note-off", midi_file({Track().note_on(0, 0, 60).end(96)})},
        {"a note held by the pedal", midi_file({Track().control(0, 0, 64, 127).note_on(0, 0, 62).note_off(48, 0, 62).end(96)})},
        {"a chord without note-offs on two channels",
         midi_file({Track().program(0, 1, 48).note_on(0, 1, 55).note_on(0, 0, 60).note_on(0, 0, 64).end(96)})},
    };
    for (const Case& c : cases) {
        const int id = load("held.mid", c.song);
        ASSERT_EQ(1, DMusic_Play(id)) << c.what;
        const int ended = ms_until_stopped(id, 3000);
        EXPECT_GE(ended, 500) << c.what;
        EXPECT_LE(ended, 2000) << c.what;
        EXPECT_EQ(0, reef_test::peak(render(50), 512)) << c.what;
        DMusic_Delete_MIDI(id);
    }
}

TEST_F(MusicTest, TempoAndTracksOfAFormatOneFileAreFollowed)
{
    // Twice the default tempo: 192 ticks are half a second.
    const int id = load("fast.mid", midi_file({Track().tempo(0, 250000).end(0), Track().note_on(0, 0, 67).note_off(192, 0, 67).end(192)}, 1));
    ASSERT_EQ(0, id);
    ASSERT_EQ(1, DMusic_Play(id));
    platform::clock_idle(400);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(id));
    const int ended = ms_until_stopped(id, 2000);
    EXPECT_GE(ended, 100);
    EXPECT_LE(ended, 1100);
}

TEST_F(MusicTest, OneSongIsActiveAtATime)
{
    const int a = load("a.mid", note_song(1920, 60));
    const int b = load("b.mid", note_song(1920, 64));
    const int c = load("c.mid", note_song(1920, 67));
    ASSERT_EQ(0, a);
    ASSERT_EQ(1, b);
    ASSERT_EQ(2, c);

    // Playing b stops a.
    ASSERT_EQ(1, DMusic_Play(a));
    platform::clock_idle(100);
    ASSERT_EQ(1, DMusic_Play(b));
    EXPECT_EQ(b, dm_active_id);
    EXPECT_EQ(SONG_STOPPED, dm_midi[a].state);
    EXPECT_EQ(SONG_STOPPED, DMusic_Status_MIDI(a));
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(b));

    // Playing the active song again starts it over.
    const uint32_t first_start = dm_midi[b].segment_state;
    platform::clock_idle(6000);
    ASSERT_EQ(1, DMusic_Play(b));
    EXPECT_NE(first_start, dm_midi[b].segment_state);
    EXPECT_EQ(b, dm_active_id);
    platform::clock_idle(6000);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(b));

    // Stopping a song that is not the active one still clears the active id; b plays
    // on, and starting c then stops nothing in the table.
    EXPECT_EQ(1, DMusic_Stop(a));
    EXPECT_EQ(-1, dm_active_id);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(b));
    ASSERT_EQ(1, DMusic_Play(c));
    EXPECT_EQ(c, dm_active_id);
    EXPECT_EQ(SONG_PLAYING, dm_midi[b].state);

    // Stopping a stopped song.
    EXPECT_EQ(1, DMusic_Stop(a));
    EXPECT_EQ(-1, dm_active_id);
    EXPECT_EQ(SONG_STOPPED, dm_midi[a].state);

    // Deleting every song keeps the active id; a new song then starts after trying to
    // stop the free slot it names.
    ASSERT_EQ(1, DMusic_Play(c));
    EXPECT_EQ(1, DMusic_Delete_All_MIDI());
    EXPECT_EQ(c, dm_active_id);
    EXPECT_EQ(0, reef_test::peak(render(100), 512));
    EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(c));
    const int d = load("d.mid", note_song(1920));
    ASSERT_EQ(0, d);
    EXPECT_EQ(1, DMusic_Play(d));
    EXPECT_EQ(d, dm_active_id);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(d));
}

TEST_F(MusicTest, TheTableHoldsSixtyFourSongs)
{
    ASSERT_TRUE(reef_test::write_file("tiny.mid", note_song(10)));
    for (int id = 0; id < DM_NUM_SEGMENTS; ++id) {
        ASSERT_EQ(id, DMusic_Load_MIDI("tiny.mid"));
    }
    EXPECT_EQ(-1, DMusic_Load_MIDI("tiny.mid"));
    EXPECT_EQ(1, DMusic_Delete_MIDI(17));
    EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(17));
    EXPECT_EQ(17, DMusic_Load_MIDI("tiny.mid"));
}

TEST_F(MusicTest, IdsOutsideTheTableOrWithoutASongAreHarmless)
{
    const int id = load("long.mid", note_song(1920));
    ASSERT_EQ(1, DMusic_Play(id));
    for (const int bad : {-1, 5, 63, 64, 1000, INT_MIN, INT_MAX}) {
        EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(bad)) << bad;
        EXPECT_EQ(0, DMusic_Play(bad)) << bad;
        EXPECT_EQ(0, DMusic_Stop(bad)) << bad;
        EXPECT_EQ(1, DMusic_Delete_MIDI(bad)) << bad;
    }
    EXPECT_EQ(id, dm_active_id);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(id));
}

TEST_F(MusicTest, OnlyWholeStandardMidiFilesLoad)
{
    const Bytes track = Track().note_on(0, 0, 60).note_off(96, 0, 60).end(96).chunk_bytes();
    const auto file_of = [](const Bytes& header, const Bytes& rest) {
        Bytes out = header;
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    };
    const auto track_of = [](std::initializer_list<uint8_t> events) {
        Track t;
        t.events = events;
        return t.chunk_bytes();
    };
    Bytes long_header = reef_test::midi_header(0, 1, 96);
    long_header[7] = 8;
    long_header.insert(long_header.end(), {0, 0});
    Bytes cut_track = file_of(reef_test::midi_header(0, 1, 96), track);
    cut_track.resize(cut_track.size() - 3);
    Bytes riff_wrapped = reef_test::chunk("RIFF", file_of({'R', 'M', 'I', 'D'}, note_song(96)));

    struct Case {
        const char* what;
        Bytes bytes;
        bool loads;
    };
    const Case cases[] = {
        {"one track", file_of(reef_test::midi_header(0, 1, 96), track), true},
        {"two tracks, format 1", file_of(reef_test::midi_header(1, 2, 96), file_of(track, track)), true},
        {"a longer header", file_of(long_header, track), true},
        {"an unknown chunk before the track", file_of(reef_test::midi_header(0, 1, 96), file_of(Bytes{'X', 'F', 'I', 'H', 0, 0, 0, 4, 1, 1, 1, 1}, track)), true},
        {"bytes after the tracks", file_of(reef_test::midi_header(0, 1, 96), file_of(track, Bytes(5, 0))), true},
        {"no end-of-track event", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0})), true},
        {"running status", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 0x90, 60, 100, 0x10, 62, 100, 0x10, 64, 100})), true},
        {"empty", Bytes(), false},
        {"a header cut short", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, false},
        {"no tracks in the header", file_of(reef_test::midi_header(0, 0, 96), track), false},
        {"no track chunk", reef_test::midi_header(0, 1, 96), false},
        {"fewer tracks than the header counts", file_of(reef_test::midi_header(1, 2, 96), track), false},
        {"a track past the end of the file", cut_track, false},
        {"a header length past the end", [] { Bytes h = reef_test::midi_header(0, 1, 96); h[6] = 1; return h; }(), false},
        {"a short header length", [&] { Bytes h = file_of(reef_test::midi_header(0, 1, 96), track); h[7] = 5; return h; }(), false},
        {"format 2", file_of(reef_test::midi_header(2, 1, 96), track), false},
        {"timecode division", file_of(reef_test::midi_header(0, 1, 0xE728), track), false},
        {"zero division", file_of(reef_test::midi_header(0, 1, 0), track), false},
        {"data bytes without a status", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 60, 100})), false},
        {"a five-byte delta time", file_of(reef_test::midi_header(0, 1, 96), track_of({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100})), false},
        {"an event cut by its chunk", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 0x90, 60})), false},
        {"a meta event longer than its chunk", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 0xFF, 0x01, 0x20, 'a'})), false},
        {"a system message that files cannot hold", file_of(reef_test::midi_header(0, 1, 96), track_of({0x00, 0xF2, 1, 2})), false},
        {"a RIFF-wrapped song", riff_wrapped, false},
        {"a WAV file", reef_test::wave_file(Bytes(100, 128)), false},
    };
    for (const Case& c : cases) {
        const int id = load("case.mid", c.bytes);
        EXPECT_EQ(c.loads ? 0 : -1, id) << c.what;
        EXPECT_EQ(SONG_EMPTY, dm_midi[c.loads ? 1 : 0].state) << c.what;
        DMusic_Delete_MIDI(0);
    }
    EXPECT_EQ(-1, DMusic_Load_MIDI("missing.mid"));
    EXPECT_EQ(-1, DMusic_Load_MIDI(nullptr));
    EXPECT_EQ(-1, DMusic_Load_MIDI("."));

    // Larger than any song: refused without being kept.
    Bytes huge = file_of(reef_test::midi_header(0, 1, 96), track);
    huge.resize(platform::music_max_file_bytes + 1);
    EXPECT_EQ(-1, load("huge.mid", huge));
}

TEST_F(MusicTest, NamesAreLookedUpInTheWorkingDirectoryOfTheLoad)
{
    ASSERT_TRUE(reef_test::write_file("here.mid", note_song(10)));
    EXPECT_EQ(0, DMusic_Load_MIDI("here.mid"));
    platform::fault_inject("music.search_directory", 1);
    EXPECT_EQ(-1, DMusic_Load_MIDI("here.mid"));
    EXPECT_EQ(SONG_EMPTY, dm_midi[1].state);
}

TEST_F(MusicTest, AnotherInitReplacesTheEngineAndEmptiesTheTable)
{
    const int id = load("long.mid", note_song(1920));
    ASSERT_EQ(1, DMusic_Play(id));
    platform::MusicEngine* first = dm_perf;
    ASSERT_EQ(1, DMusic_Init());
    EXPECT_NE(nullptr, dm_perf);
    EXPECT_EQ(-1, dm_active_id);
    EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(id));
    EXPECT_FALSE(platform::music_is_playing(first, nullptr));
    EXPECT_EQ(0, reef_test::peak(render(100), 512));
    EXPECT_EQ(0, load("long.mid", note_song(1920)));
}

TEST(MusicEngine, AFailedInitLeavesNothingToUse)
{
    for (const char* step : {"music.create", "music.connect", "music.loader_create"}) {
        platform::fault_clear();
        platform::fault_inject(step, 1);
        EXPECT_EQ(0, DMusic_Init()) << step;
        ASSERT_TRUE(reef_test::write_file("song.mid", note_song(96)));
        EXPECT_EQ(-1, DMusic_Load_MIDI("song.mid")) << step;
        EXPECT_EQ(0, DMusic_Play(0)) << step;
        EXPECT_EQ(0, DMusic_Stop(0)) << step;
        EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(0)) << step;
        EXPECT_EQ(1, DMusic_Delete_All_MIDI()) << step;
        EXPECT_EQ(1, DMusic_Shutdown()) << step;
    }
    platform::fault_clear();
    // After a shutdown, nothing plays and nothing loads.
    ASSERT_EQ(1, DMusic_Init());
    const int id = DMusic_Load_MIDI("song.mid");
    ASSERT_EQ(0, id);
    ASSERT_EQ(1, DMusic_Play(id));
    EXPECT_EQ(1, DMusic_Shutdown());
    EXPECT_EQ(nullptr, dm_perf);
    EXPECT_EQ(SONG_EMPTY, DMusic_Status_MIDI(id));
    EXPECT_EQ(0, DMusic_Play(id));
    EXPECT_EQ(-1, DMusic_Load_MIDI("song.mid"));
    EXPECT_EQ(1, DMusic_Shutdown());
}

TEST(MusicEngine, WithoutASoundfontSongsKeepTheirTimeSilently)
{
    setenv("REEF_SOUNDFONT", "no-such-soundfont.sf2", 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(1, DMusic_Init());
    ASSERT_TRUE(reef_test::write_file("song.mid", note_song(96)));
    const int id = DMusic_Load_MIDI("song.mid");
    ASSERT_EQ(1, DMusic_Play(id));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("cannot load the soundfont no-such-soundfont.sf2")) << said;

    platform::headless::audio_record(true);
    platform::clock_idle(400);
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(id));
    const int ended = ms_until_stopped(id, 2000);
    EXPECT_GE(ended, 100);
    EXPECT_LE(ended, 200);
    EXPECT_EQ(0, reef_test::peak(platform::headless::audio_recorded()));
    platform::headless::audio_record(false);
    DMusic_Shutdown();
    unsetenv("REEF_SOUNDFONT");
}

// A game's unseeded rand() must give the same numbers whether its music started or
// not; the synth's first start-up in a process is what could disturb them.
int music_leaves_rand_alone()
{
    std::srand(7);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(7);
    if (std::rand() != first || DMusic_Init() != 1 || !reef_test::write_file("song.mid", note_song(96))) {
        return 1;
    }
    const int id = DMusic_Load_MIDI("song.mid");
    if (DMusic_Play(id) != 1) {
        return 2;
    }
    platform::clock_idle(1000);
    DMusic_Shutdown();
    return std::rand() == second ? 0 : 3;
}

TEST(MusicEngineDeathTest, StartingMusicLeavesTheRandomSequenceAlone)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(music_leaves_rand_alone()), ::testing::ExitedWithCode(0), "");
}

} // namespace
