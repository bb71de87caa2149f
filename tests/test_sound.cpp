// Sound effects: the table and its ids, the WAV reader's rules and its refusals, and
// what playing, looping, stopping, volume and duplicates do to the frames the mixer
// produces on the headless backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/headless/headless_audio.h"
#include "platform/window.h"
#include "sound/sound.h"
#include "tests/support/audio_files.h"

namespace {

using reef_test::Bytes;
using reef_test::chunk;
using reef_test::format_block;
using reef_test::left;
using reef_test::riff_wave;
using reef_test::wave_file;

constexpr int all_controls = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

// 0.1 s at 11,025: half +100 (25,600 out), half -100; 4,408 output frames.
Bytes two_halves()
{
    Bytes samples(1102, 228);
    std::fill(samples.begin() + 551, samples.end(), 28);
    return samples;
}

bool make_window()
{
    platform::window_reset();
    const platform::WindowClass window_class{"SOUNDTEST", platform::window_default_procedure, 0};
    if (!platform::window_register_class(window_class)) {
        return false;
    }
    main_window_handle = platform::window_create("SOUNDTEST", "sound", 0, 0, 64, 64);
    return main_window_handle != nullptr;
}

int load(const std::string& name, const Bytes& bytes, int flags = all_controls)
{
    EXPECT_TRUE(reef_test::write_file(name, bytes));
    return DSound_Load_WAV(name.c_str(), flags);
}

// What the mixer produces while `ms` milliseconds of virtual time pass.
std::vector<int16_t> render(uint32_t ms)
{
    platform::headless::audio_record(true);
    platform::clock_idle(ms);
    return platform::headless::audio_recorded();
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        ASSERT_TRUE(make_window());
        ASSERT_EQ(1, DSound_Init());
    }

    void TearDown() override
    {
        DSound_Stop_All_Sounds();
        DSound_Delete_All_Sounds();
        platform::headless::audio_record(false);
        platform::fault_clear();
        platform::window_reset();
        main_window_handle = nullptr;
    }
};

TEST_F(SoundTest, LoadsTakeTheLowestFreeSlot)
{
    const Bytes file = wave_file(Bytes(100, 200));
    EXPECT_EQ(0, load("a.wav", file));
    EXPECT_EQ(1, load("a.wav", file));
    EXPECT_EQ(1, DSound_Delete_Sound(0));
    EXPECT_EQ(0, load("a.wav", file));
    EXPECT_EQ(2, DSound_Replicate_Sound(1));
    EXPECT_EQ(1, DSound_Delete_Sound(1));
    EXPECT_EQ(1, DSound_Replicate_Sound(2));

    for (int id = 3; id < MAX_SOUNDS; ++id) {
        ASSERT_EQ(id, DSound_Load_WAV("a.wav", all_controls));
    }
    EXPECT_EQ(-1, DSound_Load_WAV("a.wav", all_controls));
    EXPECT_EQ(-1, DSound_Replicate_Sound(0));
    EXPECT_EQ(-1, DSound_Replicate_Sound(-1));
    EXPECT_EQ(1, DSound_Delete_Sound(200));
    EXPECT_EQ(200, DSound_Replicate_Sound(7));
    EXPECT_EQ(200, sound_fx[200].id);
}

TEST_F(SoundTest, ALoadFillsTheSlotAndTheFixedBufferFormat)
{
    const int id = load("rate.wav", riff_wave({chunk("fmt ", format_block(1, 22050, 1, 16)), chunk("data", Bytes(300, 128))}), 0x40);
    ASSERT_EQ(0, id);
    EXPECT_EQ(SOUND_READY, sound_fx[id].state);
    EXPECT_EQ(22050, sound_fx[id].rate);
    EXPECT_EQ(300, sound_fx[id].size);
    EXPECT_EQ(0, sound_fx[id].id);
    EXPECT_NE(nullptr, sound_fx[id].sound_buffer);
    EXPECT_EQ(1, pcmwf.format_tag);
    EXPECT_EQ(1, pcmwf.channels);
    EXPECT_EQ(11025u, pcmwf.samples_per_sec);
    EXPECT_EQ(11025u, pcmwf.avg_bytes_per_sec);
    EXPECT_EQ(1, pcmwf.block_align);
    EXPECT_EQ(8, pcmwf.bits_per_sample);
    EXPECT_EQ(0, pcmwf.extra_size);
    EXPECT_EQ(static_cast<uint32_t>(0x40 | DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE), dsbd.flags);
    EXPECT_EQ(300u, dsbd.buffer_bytes);
    EXPECT_EQ(&pcmwf, dsbd.format);
}

TEST_F(SoundTest, TheReaderFollowsTheChunkRulesAndRefusesDamagedFiles)
{
    const Bytes samples(64, 200);
    const Bytes pcm = format_block(1, 11025);
    Bytes starts_with_one(20, 0);
    starts_with_one[0] = 1;
    Bytes valid = wave_file(samples);
    // Cut inside the samples, with the RIFF size telling the truth about the rest.
    Bytes truncated = valid;
    truncated.resize(valid.size() - 10);
    truncated[4] = static_cast<uint8_t>(truncated.size() - 8);
    Bytes riff_too_long = valid;
    riff_too_long[4] += 20;
    Bytes ends_in_format = riff_wave({chunk("fmt ", pcm)});
    ends_in_format.resize(20 + 10);
    ends_in_format[4] = 22;
    Bytes junk_first = chunk("JUNK", Bytes(6, 9));
    junk_first.insert(junk_first.end(), valid.begin(), valid.end());

    struct Case {
        const char* what;
        Bytes bytes;
        bool loads;
    };
    const Case cases[] = {
        {"ordinary", valid, true},
        {"first chunk taken as the format block", riff_wave({chunk("LIST", starts_with_one), chunk("data", samples)}), true},
        {"first chunk not a format block", riff_wave({chunk("LIST", Bytes(20, 0)), chunk("fmt ", pcm), chunk("data", samples)}), false},
        {"data after a list chunk", riff_wave({chunk("fmt ", pcm), chunk("LIST", Bytes(10, 7)), chunk("data", samples)}), true},
        {"data after an odd chunk and its pad", riff_wave({chunk("fmt ", pcm), chunk("junk", Bytes(3, 7)), chunk("data", samples)}), true},
        {"14-byte format block", riff_wave({chunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 14)), chunk("data", samples)}), true},
        {"18-byte format block", riff_wave({chunk("fmt ", [&pcm] { Bytes f = pcm; f.push_back(0); f.push_back(0); return f; }()), chunk("data", samples)}), true},
        {"RIFF after another top-level chunk", junk_first, true},
        {"not PCM", riff_wave({chunk("fmt ", format_block(3, 11025)), chunk("data", samples)}), false},
        {"no data chunk", riff_wave({chunk("fmt ", pcm), chunk("LIST", Bytes(10, 7))}), false},
        {"empty data", riff_wave({chunk("fmt ", pcm), chunk("data", Bytes())}), false},
        {"not WAVE", riff_wave({chunk("fmt ", pcm), chunk("data", samples)}, "AVI "), false},
        {"not RIFF", [&valid] { Bytes b = valid; b[3] = 'X'; return b; }(), false},
        {"data past the end", truncated, false},
        {"4 GB of data", riff_wave({chunk("fmt ", pcm), chunk("data", samples, 0xFFFFFFFF)}), false},
        {"RIFF past the end", riff_too_long, false},
        {"format block cut short", ends_in_format, false},
        {"format chunk past its parent", riff_wave({chunk("fmt ", pcm, 5000), chunk("data", samples)}), false},
        {"empty file", Bytes(), false},
        {"three bytes", Bytes{'R', 'I', 'F'}, false},
    };
    for (const Case& c : cases) {
        const int id = load("case.wav", c.bytes);
        EXPECT_EQ(c.loads ? 0 : -1, id) << c.what;
        // A refused file leaves the table as it was.
        EXPECT_EQ(SOUND_EMPTY, sound_fx[c.loads ? 1 : 0].state) << c.what;
        DSound_Delete_Sound(0);
    }
    EXPECT_EQ(-1, DSound_Load_WAV("missing.wav", all_controls));
    EXPECT_EQ(-1, DSound_Load_WAV(nullptr, all_controls));
    EXPECT_EQ(-1, DSound_Load_WAV(".", all_controls));
}

TEST_F(SoundTest, ASoundPlaysOnceAndRestartsFromItsBeginning)
{
    const int id = load("halves.wav", wave_file(two_halves()));
    ASSERT_EQ(0, id);
    EXPECT_EQ(0, DSound_Status_Sound(id));
    ASSERT_EQ(1, DSound_Play(id, 0, 0, 0, 0));
    EXPECT_EQ(DSBSTATUS_PLAYING, DSound_Status_Sound(id));
    std::vector<int16_t> out = render(60);
    EXPECT_EQ(25600, left(out, 0));
    EXPECT_EQ(-25600, left(out, 2600));

    // Played again while playing: from the start, the whole sound once more.
    ASSERT_EQ(1, DSound_Play(id, 0, 0, 0, 0));
    out = render(200);
    EXPECT_EQ(25600, left(out, 0));
    EXPECT_EQ(25600, left(out, 2000));
    EXPECT_EQ(-25600, left(out, 3000));
    EXPECT_EQ(4407, reef_test::last_sound(out));
    EXPECT_EQ(0, DSound_Status_Sound(id));
}

TEST_F(SoundTest, LoopingRepeatsUntilStoppedAndStopRewinds)
{
    const int id = load("halves.wav", wave_file(two_halves()));
    ASSERT_EQ(1, DSound_Play(id, DSBPLAY_LOOPING, 0, 0, 0));
    EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, DSound_Status_Sound(id));
    std::vector<int16_t> out = render(250);
    for (size_t period = 0; period < 2; ++period) {
        EXPECT_EQ(25600, left(out, period * 4408 + 100)) << period;
        EXPECT_EQ(-25600, left(out, period * 4408 + 2300)) << period;
    }
    EXPECT_NE(0, left(out, reef_test::frame_count(out) - 1));
    EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, DSound_Status_Sound(id));

    ASSERT_EQ(1, DSound_Stop_Sound(id));
    EXPECT_EQ(0, DSound_Status_Sound(id));
    EXPECT_EQ(0, reef_test::peak(render(30)));

    // Stopped in the second half, it starts again from the first: the stop rewound it.
    ASSERT_EQ(1, DSound_Play(id, 0, 0, 0, 0));
    EXPECT_EQ(-25600, left(render(60), 2600));
    ASSERT_EQ(1, DSound_Stop_Sound(id));
    ASSERT_TRUE(platform::sound_play(sound_fx[id].sound_buffer, 0));
    EXPECT_EQ(25600, left(render(10), 0));
    EXPECT_EQ(1, DSound_Stop_All_Sounds());
    EXPECT_EQ(0, DSound_Status_Sound(id));
}

TEST_F(SoundTest, VolumeIsThirtyDecibelsOverAHundredSteps)
{
    const int id = load("loud.wav", wave_file(Bytes(5000, 228)));
    struct Case {
        int vol;
        int result;
        int level;  // output for +100 in the samples
    };
    const Case cases[] = {{100, 1, 25600}, {50, 1, 4552}, {0, 1, 809}, {101, 0, 809}, {-234, 0, 809},
                          {INT_MAX, 0, 809}, {INT_MIN, 0, 809}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, DSound_Set_Volume(id, c.vol)) << c.vol;
        ASSERT_EQ(1, DSound_Play(id, 0, 0, 0, 0));
        EXPECT_NEAR(c.level, left(render(10), 50), 1) << c.vol;
    }
    EXPECT_EQ(1, DSound_Set_Pan(id, DSBPAN_LEFT));
    EXPECT_EQ(0, DSound_Set_Pan(id, 10001));
    EXPECT_EQ(1, DSound_Set_Freq(id, 22050));
    EXPECT_EQ(0, DSound_Set_Freq(id, -5));
    EXPECT_EQ(0, DSound_Set_Freq(id, 1000000));

    // Without their control flags, the setters are refused.
    const int plain = load("plain.wav", wave_file(Bytes(100, 228)), 0);
    ASSERT_EQ(1, plain);
    EXPECT_EQ(0, DSound_Set_Volume(plain, 50));
    EXPECT_EQ(0, DSound_Set_Pan(plain, 0));
    EXPECT_EQ(0, DSound_Set_Freq(plain, 11025));
}

TEST_F(SoundTest, ADuplicatePlaysAtTheSameTimeAsItsSource)
{
    const int source = load("quiet.wav", wave_file(Bytes(1102, 148)));  // +20: 5,120
    const int copy = DSound_Replicate_Sound(source);
    ASSERT_EQ(1, copy);
    EXPECT_EQ(sound_fx[source].size, sound_fx[copy].size);
    EXPECT_NE(sound_fx[source].sound_buffer, sound_fx[copy].sound_buffer);
    ASSERT_EQ(1, DSound_Play(source, 0, 0, 0, 0));
    EXPECT_EQ(5120, left(render(20), 10));
    ASSERT_EQ(1, DSound_Play(copy, 0, 0, 0, 0));
    std::vector<int16_t> out = render(20);
    EXPECT_EQ(10240, left(out, 10));
    EXPECT_EQ(DSBSTATUS_PLAYING, DSound_Status_Sound(source));
    EXPECT_EQ(DSBSTATUS_PLAYING, DSound_Status_Sound(copy));

    // Deleting the source leaves the duplicate playing its samples.
    EXPECT_EQ(1, DSound_Delete_Sound(source));
    EXPECT_EQ(-1, DSound_Status_Sound(source));
    out = render(200);
    EXPECT_EQ(5120, left(out, 10));
    EXPECT_EQ(4408 - 882 - 1, reef_test::last_sound(out));  // the rest of the copy's 4,408 frames
}

TEST_F(SoundTest, BuffersPlayAtElevenKilohertzWhateverTheFileSays)
{
    // 2,205 samples said to be 0.1 s at 22,050 play for 0.2 s.
    const int fast = load("fast.wav", wave_file(Bytes(2205, 228), 22050));
    ASSERT_EQ(0, fast);
    EXPECT_EQ(22050, sound_fx[fast].rate);
    ASSERT_EQ(1, DSound_Play(fast, 0, 0, 0, 0));
    EXPECT_EQ(8819, reef_test::last_sound(render(300)));

    // A 16-bit file is played as 8-bit data: 100 frames are 200 samples.
    const int wide = load("wide.wav", riff_wave({chunk("fmt ", format_block(1, 11025, 1, 16)), chunk("data", Bytes(200, 228))}));
    ASSERT_EQ(1, wide);
    ASSERT_EQ(1, DSound_Play(wide, 0, 0, 0, 0));
    EXPECT_EQ(799, reef_test::last_sound(render(30)));

    // DSound_Set_Freq changes the rate it plays at.
    ASSERT_EQ(1, DSound_Set_Freq(fast, 44100));
    ASSERT_EQ(1, DSound_Play(fast, 0, 0, 0, 0));
    EXPECT_EQ(2204, reef_test::last_sound(render(100)));
}

TEST_F(SoundTest, AnotherInitStopsAndDropsEverySound)
{
    const Bytes file = wave_file(Bytes(5000, 228));
    ASSERT_EQ(0, load("a.wav", file));
    ASSERT_EQ(1, load("a.wav", file));
    ASSERT_EQ(1, DSound_Play(1, DSBPLAY_LOOPING, 0, 0, 0));
    platform::SoundBuffer* buffer = sound_fx[1].sound_buffer;
    EXPECT_EQ(1, DSound_Init());
    EXPECT_EQ(0, platform::sound_status(buffer));
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        ASSERT_EQ(nullptr, sound_fx[id].sound_buffer);
        ASSERT_EQ(SOUND_EMPTY, sound_fx[id].state);
        ASSERT_EQ(id, sound_fx[id].id);
    }
    EXPECT_EQ(-1, DSound_Status_Sound(1));
    EXPECT_EQ(0, reef_test::peak(render(20)));
    EXPECT_EQ(0, load("a.wav", file));
}

TEST_F(SoundTest, IdsOutsideTheTableOrWithoutASoundAreHarmless)
{
    ASSERT_EQ(0, load("a.wav", wave_file(Bytes(100, 228))));
    for (const int id : {-1, 64, 256, 1000, -1000, INT_MIN, INT_MAX}) {
        EXPECT_EQ(1, DSound_Play(id, 0, 0, 0, 0)) << id;
        EXPECT_EQ(1, DSound_Play(id, DSBPLAY_LOOPING, 0, 0, 0)) << id;
        EXPECT_EQ(1, DSound_Stop_Sound(id)) << id;
        EXPECT_EQ(-1, DSound_Status_Sound(id)) << id;
        EXPECT_EQ(0, DSound_Set_Volume(id, 50)) << id;
        EXPECT_EQ(0, DSound_Set_Freq(id, 11025)) << id;
        EXPECT_EQ(0, DSound_Set_Pan(id, 0)) << id;
        EXPECT_EQ(-1, DSound_Replicate_Sound(id)) << id;
        EXPECT_EQ(1, DSound_Delete_Sound(id)) << id;
    }
    EXPECT_EQ(0, reef_test::peak(render(20)));
    EXPECT_EQ(SOUND_READY, sound_fx[0].state);
}

TEST_F(SoundTest, PlatformFailuresFailTheCallAndLeaveTheTableAsItWas)
{
    const Bytes file = wave_file(Bytes(100, 228));
    ASSERT_TRUE(reef_test::write_file("a.wav", file));
    for (const char* operation : {"sound.create", "sound.lock", "sound.unlock"}) {
        platform::fault_inject(operation, 1);
        EXPECT_EQ(-1, DSound_Load_WAV("a.wav", all_controls)) << operation;
        EXPECT_EQ(SOUND_EMPTY, sound_fx[0].state) << operation;
        EXPECT_EQ(nullptr, sound_fx[0].sound_buffer) << operation;
    }
    ASSERT_EQ(0, DSound_Load_WAV("a.wav", all_controls));
    platform::fault_inject("sound.duplicate", 1);
    EXPECT_EQ(-1, DSound_Replicate_Sound(0));
    EXPECT_EQ(SOUND_EMPTY, sound_fx[1].state);
    EXPECT_EQ(1, DSound_Replicate_Sound(0));

    for (const char* operation : {"sound.set_position", "sound.play"}) {
        platform::fault_inject(operation, 1);
        EXPECT_EQ(0, DSound_Play(0, 0, 0, 0, 0)) << operation;
        EXPECT_EQ(0, DSound_Status_Sound(0)) << operation;
    }
}

// The first DSound_Init of a process decides about the device, so these run in a
// process of their own.
int first_init_without_device()
{
    if (!make_window()) {
        return 1;
    }
    platform::fault_inject("audio.create", 1);
    if (DSound_Init() != 0 || lpds != nullptr) {
        return 2;
    }
    // Not tried again: later calls only reset the table.
    if (DSound_Init() != 1 || lpds != nullptr || sound_fx[5].id != 5) {
        return 3;
    }
    if (!reef_test::write_file("a.wav", wave_file(Bytes(100, 228))) || DSound_Load_WAV("a.wav", all_controls) != -1 ||
        sound_fx[0].state != SOUND_EMPTY) {
        return 4;
    }
    if (DSound_Play(0, 0, 0, 0, 0) != 1 || DSound_Status_Sound(0) != -1 || DSound_Replicate_Sound(0) != -1) {
        return 5;
    }
    return DSound_Shutdown() == 1 && !platform::mixer_output_is_open() ? 0 : 6;
}

int first_init_without_window()
{
    main_window_handle = nullptr;
    if (DSound_Init() != 0 || lpds == nullptr) {
        return 1;
    }
    return DSound_Init() == 1 ? 0 : 2;
}

int shutdown_then_calls()
{
    if (!make_window() || DSound_Init() != 1 || !reef_test::write_file("a.wav", wave_file(Bytes(100, 228)))) {
        return 1;
    }
    const int id = DSound_Load_WAV("a.wav", all_controls);
    if (id != 0 || DSound_Play(id, DSBPLAY_LOOPING, 0, 0, 0) != 1) {
        return 2;
    }
    if (DSound_Shutdown() != 1 || lpds != nullptr || sound_fx[id].sound_buffer != nullptr ||
        platform::mixer_output_is_open()) {
        return 3;
    }
    if (DSound_Status_Sound(id) != -1 || DSound_Play(id, 0, 0, 0, 0) != 1 || DSound_Shutdown() != 1) {
        return 4;
    }
    return DSound_Init() == 1 && DSound_Load_WAV("a.wav", all_controls) == -1 ? 0 : 5;
}

TEST(SoundDeviceDeathTest, TheFirstInitDecidesAboutTheDevice)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(first_init_without_device()), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(std::exit(first_init_without_window()), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(std::exit(shutdown_then_calls()), ::testing::ExitedWithCode(0), "");
}

} // namespace
