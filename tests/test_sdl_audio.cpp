// The SDL audio output for real, with SDL's "disk" audio driver: the device writes
// what the mixer gives its callback to a file, so the test can read what a speaker
// would have played. No display is needed: SDL's dummy video driver stands in.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/audio_backend.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "sound/sound.h"
#include "tests/support/audio_files.h"

namespace {

using reef_test::Bytes;

// Lets the device's thread mix `frames` more frames. The deadline only keeps a broken
// device from hanging the test; the disk driver runs as fast as it can.
bool wait_for_frames(uint64_t frames)
{
    const uint64_t target = platform::mixer_frames_rendered() + frames;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (platform::mixer_frames_rendered() < target) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

// The longest run of frames whose two channels both equal `value`.
size_t longest_run(const std::vector<int16_t>& frames, int16_t value)
{
    size_t longest = 0;
    size_t run = 0;
    for (size_t i = 0; i + 1 < frames.size(); i += 2) {
        run = frames[i] == value && frames[i + 1] == value ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST(SdlAudio, TheDeviceReceivesTheEffectAndTheMusic)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "device.raw", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(platform::platform_init("sdl"));
    platform::window_reset();
    const platform::WindowClass window_class{"SDLAUDIO", platform::window_default_procedure, 0};
    ASSERT_TRUE(platform::window_register_class(window_class));
    main_window_handle = platform::window_create("SDLAUDIO", "sound", 0, 0, 64, 64);
    ASSERT_NE(nullptr, main_window_handle);

    ASSERT_EQ(1, DSound_Init());
    ASSERT_EQ(1, DMusic_Init());
    // A steady +100 for 0.1 s: 25,600 on both channels for 4,400 frames and more.
    ASSERT_TRUE(reef_test::write_file("steady.wav", reef_test::wave_file(Bytes(1102, 228))));
    ASSERT_TRUE(reef_test::write_file("song.mid", reef_test::midi_file({reef_test::Track()
                                                                            .program(0, 0, 0)
                                                                            .note_on(0, 0, 60)
                                                                            .note_on(0, 0, 67)
                                                                            .note_off(960, 0, 60)
                                                                            .note_off(960, 0, 67)
                                                                            .end(960)})));
    const int effect = DSound_Load_WAV("steady.wav", DSBCAPS_CTRLVOLUME);
    const int song = DMusic_Load_MIDI("song.mid");
    ASSERT_EQ(0, effect);
    ASSERT_EQ(0, song);

    ASSERT_EQ(1, DSound_Play(effect, 0, 0, 0, 0));
    ASSERT_TRUE(wait_for_frames(8820));
    EXPECT_EQ(0, DSound_Status_Sound(effect));
    ASSERT_EQ(1, DMusic_Play(song));
    ASSERT_TRUE(wait_for_frames(22050));
    EXPECT_EQ(SONG_PLAYING, DMusic_Status_MIDI(song));

    DMusic_Stop(song);
    DMusic_Shutdown();
    DSound_Shutdown();
    EXPECT_FALSE(platform::mixer_output_is_open());
    platform::window_reset();
    main_window_handle = nullptr;
    ASSERT_TRUE(platform::platform_init("headless"));

    std::FILE* file = std::fopen("device.raw", "rb");
    ASSERT_NE(nullptr, file);
    std::vector<int16_t> frames;
    int16_t block[4096];
    size_t got = 0;
    while ((got = std::fread(block, sizeof block[0], 4096, file)) > 0) {
        frames.insert(frames.end(), block, block + got);
    }
    std::fclose(file);

    // The effect, whole and at full level...
    EXPECT_GE(longest_run(frames, 25600), 4400u);
    // ...and after it the music: a sound that is neither silence nor the effect.
    size_t music = 0;
    for (size_t i = 0; i + 1 < frames.size(); i += 2) {
        const int l = frames[i];
        if (l != 0 && l != 25600 && (l > 300 || l < -300)) {
            ++music;
        }
    }
    EXPECT_GT(music, 2000u);
}

} // namespace
