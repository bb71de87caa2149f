// The audio service on the headless backend: sound buffers, the mixer's resampling,
// gains and clipping, music sources, and the output pulled by virtual time with its
// WAV capture. Everything is checked on the frames the mixer produced.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/audio.h"
#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/headless/headless_audio.h"
#include "platform/window.h"
#include "tests/support/audio_files.h"

namespace {

using reef_test::Bytes;
using reef_test::left;
using reef_test::right;

constexpr uint32_t all_controls =
    platform::SOUND_CAPS_CTRL_FREQUENCY | platform::SOUND_CAPS_CTRL_PAN | platform::SOUND_CAPS_CTRL_VOLUME;

// 228 is +100 from the 8-bit middle: 25,600 at full level in the output.
constexpr uint8_t loud = 228;
constexpr int loud_out = 25600;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::fault_clear();
        device = platform::audio_create();
        ASSERT_NE(nullptr, device);
    }

    void TearDown() override
    {
        platform::audio_release(device);
        platform::headless::audio_record(false);
        platform::fault_clear();
    }

    platform::SoundBuffer* make(const Bytes& samples, uint32_t rate = 11025, uint32_t caps = all_controls)
    {
        const platform::SoundFormat format{1, 1, rate, rate, 1, 8, 0};
        const platform::SoundBufferDesc desc{sizeof(platform::SoundBufferDesc), caps,
                                             static_cast<uint32_t>(samples.size()), &format};
        platform::SoundBuffer* buffer = platform::sound_create_buffer(device, desc);
        if (buffer == nullptr) {
            return nullptr;
        }
        platform::SoundLock lock{};
        EXPECT_TRUE(platform::sound_lock(buffer, 0, desc.buffer_bytes, lock));
        std::memcpy(lock.first, samples.data(), lock.first_bytes);
        EXPECT_TRUE(platform::sound_unlock(buffer, lock));
        return buffer;
    }

    // What the mixer produces while `ms` milliseconds of virtual time pass.
    static std::vector<int16_t> render(uint32_t ms)
    {
        platform::headless::audio_record(true);
        platform::clock_idle(ms);
        return platform::headless::audio_recorded();
    }

    platform::AudioDevice* device = nullptr;
};

TEST_F(MixerTest, InterpolatesLinearlyAndHoldsOrWrapsAtTheEnd)
{
    // 11,025 -> 44,100: four output frames per sample.
    platform::SoundBuffer* buffer = make({128, 228, 28});
    ASSERT_NE(nullptr, buffer);
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    std::vector<int16_t> out = render(10);
    const int once[] = {0, 6400, 12800, 19200, 25600, 12800, 0, -12800, -25600, -25600, -25600, -25600, 0, 0};
    for (size_t i = 0; i < sizeof once / sizeof once[0]; ++i) {
        EXPECT_EQ(once[i], left(out, i)) << "frame " << i;
        EXPECT_EQ(once[i], right(out, i)) << "frame " << i;
    }
    EXPECT_EQ(0, reef_test::peak(out, 12));
    EXPECT_EQ(0u, platform::sound_status(buffer));

    // Looping, the last sample leads back to the first.
    ASSERT_TRUE(platform::sound_set_position(buffer, 0));
    ASSERT_TRUE(platform::sound_play(buffer, platform::SOUND_PLAY_LOOPING));
    out = render(10);
    const int looped[] = {0, 6400, 12800, 19200, 25600, 12800, 0, -12800, -25600, -19200, -12800, -6400};
    for (size_t i = 0; i < 36; ++i) {
        EXPECT_EQ(looped[i % 12], left(out, i)) << "frame " << i;
    }
    EXPECT_EQ(platform::SOUND_STATUS_PLAYING | platform::SOUND_STATUS_LOOPING, platform::sound_status(buffer));
}

TEST_F(MixerTest, FrequencySetsHowLongABufferLasts)
{
    struct Case {
        uint32_t rate;
        long frames;  // 441 samples at `rate`, in output frames
    };
    const Case cases[] = {{11025, 1764}, {22050, 882}, {44100, 441}, {8000, 2431}, {100, 194481}};
    for (const Case& c : cases) {
        platform::SoundBuffer* buffer = make(Bytes(441, loud), 11025);
        ASSERT_NE(nullptr, buffer);
        ASSERT_TRUE(platform::sound_set_frequency(buffer, c.rate));
        ASSERT_TRUE(platform::sound_play(buffer, 0));
        const std::vector<int16_t> out = render(4500);
        EXPECT_NEAR(c.frames - 1, reef_test::last_sound(out), 1) << c.rate;
        platform::sound_release(buffer);
    }
}

TEST_F(MixerTest, VolumeAndPanAreHundredthsOfADecibel)
{
    struct Case {
        int32_t volume;
        int32_t pan;
        int left;
        int right;
    };
    const Case cases[] = {
        {0, 0, loud_out, loud_out},       {-600, 0, 12831, 12831},          {-1500, 0, 4552, 4552},
        {-3000, 0, 810, 810},             {-10000, 0, 0, 0},                {0, -10000, loud_out, 0},
        {0, 10000, 0, loud_out},          {0, -600, loud_out, 12831},       {-1500, 600, 2282, 4552},
    };
    platform::SoundBuffer* buffer = make(Bytes(2000, loud));
    ASSERT_NE(nullptr, buffer);
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::sound_set_volume(buffer, c.volume));
        ASSERT_TRUE(platform::sound_set_pan(buffer, c.pan));
        ASSERT_TRUE(platform::sound_set_position(buffer, 0));
        ASSERT_TRUE(platform::sound_play(buffer, 0));
        const std::vector<int16_t> out = render(10);
        EXPECT_NEAR(c.left, left(out, 100), 1) << c.volume << " " << c.pan;
        EXPECT_NEAR(c.right, right(out, 100), 1) << c.volume << " " << c.pan;
    }
}

TEST_F(MixerTest, SettersNeedTheirControlAndARange)
{
    platform::SoundBuffer* plain = make(Bytes(100, loud), 11025, 0);
    ASSERT_NE(nullptr, plain);
    EXPECT_FALSE(platform::sound_set_volume(plain, -100));
    EXPECT_FALSE(platform::sound_set_pan(plain, 100));
    EXPECT_FALSE(platform::sound_set_frequency(plain, 22050));

    platform::SoundBuffer* buffer = make(Bytes(100, loud));
    ASSERT_NE(nullptr, buffer);
    EXPECT_TRUE(platform::sound_set_volume(buffer, platform::SOUND_VOLUME_MIN));
    EXPECT_TRUE(platform::sound_set_volume(buffer, 0));
    EXPECT_FALSE(platform::sound_set_volume(buffer, 1));
    EXPECT_FALSE(platform::sound_set_volume(buffer, -10001));
    EXPECT_TRUE(platform::sound_set_pan(buffer, -10000));
    EXPECT_TRUE(platform::sound_set_pan(buffer, 10000));
    EXPECT_FALSE(platform::sound_set_pan(buffer, 10001));
    EXPECT_FALSE(platform::sound_set_pan(buffer, -10001));
    EXPECT_TRUE(platform::sound_set_frequency(buffer, 100));
    EXPECT_TRUE(platform::sound_set_frequency(buffer, 200000));
    EXPECT_FALSE(platform::sound_set_frequency(buffer, 99));
    EXPECT_FALSE(platform::sound_set_frequency(buffer, 200001));

    // 0 is the buffer's own frequency again: 100 samples last 400 frames.
    EXPECT_TRUE(platform::sound_set_frequency(buffer, 0));
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    EXPECT_EQ(399, reef_test::last_sound(render(20)));
}

TEST_F(MixerTest, StatusStopAndPosition)
{
    platform::SoundBuffer* buffer = make({loud, loud, loud, loud, 28, 28, 28, 28});
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(0u, platform::sound_status(buffer));
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    EXPECT_EQ(platform::SOUND_STATUS_PLAYING, platform::sound_status(buffer));

    // Stopping keeps the position: playing on resumes there.
    platform::sound_stop(buffer);
    EXPECT_EQ(0u, platform::sound_status(buffer));
    EXPECT_EQ(0, reef_test::peak(render(10)));
    ASSERT_TRUE(platform::sound_set_position(buffer, 4));
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    std::vector<int16_t> out = render(10);
    EXPECT_EQ(-loud_out, left(out, 0));
    EXPECT_EQ(15, reef_test::last_sound(out));

    // A buffer that played to its end starts again from its beginning.
    EXPECT_EQ(0u, platform::sound_status(buffer));
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    out = render(10);
    EXPECT_EQ(loud_out, left(out, 0));
    EXPECT_EQ(31, reef_test::last_sound(out));

    EXPECT_FALSE(platform::sound_set_position(buffer, 8));
}

TEST_F(MixerTest, LockHandsOutTwoRegionsWhenItWraps)
{
    platform::SoundBuffer* buffer = make(Bytes(8, 128));
    ASSERT_NE(nullptr, buffer);
    platform::SoundLock whole{};
    ASSERT_TRUE(platform::sound_lock(buffer, 0, 8, whole));
    EXPECT_EQ(8u, whole.first_bytes);
    EXPECT_EQ(nullptr, whole.second);
    EXPECT_EQ(0u, whole.second_bytes);

    platform::SoundLock wrapped{};
    ASSERT_TRUE(platform::sound_lock(buffer, 5, 8, wrapped));
    EXPECT_EQ(whole.first + 5, wrapped.first);
    EXPECT_EQ(3u, wrapped.first_bytes);
    EXPECT_EQ(whole.first, wrapped.second);
    EXPECT_EQ(5u, wrapped.second_bytes);
    EXPECT_TRUE(platform::sound_unlock(buffer, wrapped));

    platform::SoundLock refused{};
    EXPECT_FALSE(platform::sound_lock(buffer, 8, 1, refused));
    EXPECT_FALSE(platform::sound_lock(buffer, 0, 9, refused));
    uint8_t elsewhere[8] = {};
    EXPECT_FALSE(platform::sound_unlock(buffer, platform::SoundLock{elsewhere, 8, nullptr, 0}));
    EXPECT_FALSE(platform::sound_unlock(buffer, platform::SoundLock{whole.first + 4, 5, nullptr, 0}));
}

TEST_F(MixerTest, DuplicatesShareSamplesAndPlayOnTheirOwn)
{
    platform::SoundBuffer* source = make(Bytes(1000, 148));  // +20: 5,120
    ASSERT_NE(nullptr, source);
    ASSERT_TRUE(platform::sound_set_volume(source, -600));
    platform::SoundBuffer* copy = platform::sound_duplicate(device, source);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(0u, platform::sound_status(copy));

    ASSERT_TRUE(platform::sound_play(source, 0));
    ASSERT_TRUE(platform::sound_play(copy, platform::SOUND_PLAY_LOOPING));
    std::vector<int16_t> out = render(10);
    EXPECT_NEAR(2 * 2566, left(out, 10), 2);  // both, at the source's -6 dB

    // The samples are shared: the duplicate plays what is written through the source.
    platform::sound_stop(source);
    platform::SoundLock lock{};
    ASSERT_TRUE(platform::sound_lock(source, 0, 1000, lock));
    std::memset(lock.first, 128, lock.first_bytes);
    ASSERT_TRUE(platform::sound_unlock(source, lock));
    EXPECT_EQ(0, reef_test::peak(render(10), 1));

    // And outlive the source.
    std::memset(lock.first, 108, lock.first_bytes);
    platform::sound_release(source);
    out = render(10);
    EXPECT_NEAR(-2566, left(out, 10), 1);
    EXPECT_EQ(platform::SOUND_STATUS_PLAYING | platform::SOUND_STATUS_LOOPING, platform::sound_status(copy));
}

TEST_F(MixerTest, LoudVoicesClipInsteadOfWrapping)
{
    platform::SoundBuffer* high[3] = {make(Bytes(100, 255)), make(Bytes(100, 255)), make(Bytes(100, 255))};
    for (platform::SoundBuffer* buffer : high) {
        ASSERT_TRUE(platform::sound_play(buffer, platform::SOUND_PLAY_LOOPING));
    }
    std::vector<int16_t> out = render(10);
    EXPECT_EQ(32767, left(out, 5));
    for (platform::SoundBuffer* buffer : high) {
        platform::sound_release(buffer);
    }
    platform::SoundBuffer* low[3] = {make(Bytes(100, 0)), make(Bytes(100, 0)), make(Bytes(100, 0))};
    for (platform::SoundBuffer* buffer : low) {
        ASSERT_TRUE(platform::sound_play(buffer, platform::SOUND_PLAY_LOOPING));
    }
    out = render(10);
    EXPECT_EQ(-32768, right(out, 5));
}

TEST_F(MixerTest, ReleasedBuffersFallSilentAndRefuseEverything)
{
    platform::SoundBuffer* buffer = make(Bytes(5000, loud));
    ASSERT_NE(nullptr, buffer);
    ASSERT_TRUE(platform::sound_play(buffer, platform::SOUND_PLAY_LOOPING));
    EXPECT_EQ(loud_out, left(render(10), 10));
    platform::sound_release(buffer);
    EXPECT_EQ(0, reef_test::peak(render(10)));

    platform::SoundLock lock{};
    EXPECT_FALSE(platform::sound_play(buffer, 0));
    EXPECT_FALSE(platform::sound_set_position(buffer, 0));
    EXPECT_FALSE(platform::sound_set_volume(buffer, 0));
    EXPECT_FALSE(platform::sound_lock(buffer, 0, 1, lock));
    EXPECT_EQ(0u, platform::sound_status(buffer));
    EXPECT_EQ(nullptr, platform::sound_duplicate(device, buffer));
    platform::sound_stop(buffer);
    platform::sound_release(buffer);
    platform::sound_release(nullptr);
    EXPECT_FALSE(platform::sound_play(nullptr, 0));
}

TEST_F(MixerTest, BuffersTakeOnlyTheMixableFormat)
{
    struct Case {
        const char* what;
        platform::SoundFormat format;
        uint32_t bytes;
    };
    const Case cases[] = {
        {"stereo", {1, 2, 11025, 22050, 2, 8, 0}, 100},
        {"16-bit", {1, 1, 11025, 22050, 2, 16, 0}, 100},
        {"not PCM", {3, 1, 11025, 11025, 1, 8, 0}, 100},
        {"too slow", {1, 1, 99, 99, 1, 8, 0}, 100},
        {"too fast", {1, 1, 200001, 200001, 1, 8, 0}, 100},
        {"empty", {1, 1, 11025, 11025, 1, 8, 0}, 0},
        {"too big", {1, 1, 11025, 11025, 1, 8, 0}, platform::sound_max_buffer_bytes + 1},
    };
    for (const Case& c : cases) {
        const platform::SoundBufferDesc desc{sizeof(platform::SoundBufferDesc), 0, c.bytes, &c.format};
        EXPECT_EQ(nullptr, platform::sound_create_buffer(device, desc)) << c.what;
    }
    const platform::SoundBufferDesc no_format{sizeof(platform::SoundBufferDesc), 0, 100, nullptr};
    EXPECT_EQ(nullptr, platform::sound_create_buffer(device, no_format));
    // A new buffer is silent.
    const platform::SoundFormat fine{1, 1, 11025, 11025, 1, 8, 0};
    platform::SoundBuffer* buffer =
        platform::sound_create_buffer(device, platform::SoundBufferDesc{sizeof(platform::SoundBufferDesc), 0, 50, &fine});
    ASSERT_NE(nullptr, buffer);
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    EXPECT_EQ(0, reef_test::peak(render(10)));
}

TEST_F(MixerTest, InjectedFaultsFailTheirOperation)
{
    platform::SoundBuffer* buffer = make(Bytes(10, loud));
    ASSERT_NE(nullptr, buffer);
    platform::SoundLock lock{};
    const platform::SoundFormat format{1, 1, 11025, 11025, 1, 8, 0};
    const platform::SoundBufferDesc desc{sizeof(platform::SoundBufferDesc), 0, 10, &format};

    platform::fault_inject("audio.create", 1);
    EXPECT_EQ(nullptr, platform::audio_create());
    platform::fault_inject("sound.create", 1);
    EXPECT_EQ(nullptr, platform::sound_create_buffer(device, desc));
    platform::fault_inject("sound.duplicate", 1);
    EXPECT_EQ(nullptr, platform::sound_duplicate(device, buffer));
    platform::fault_inject("sound.lock", 1);
    EXPECT_FALSE(platform::sound_lock(buffer, 0, 10, lock));
    ASSERT_TRUE(platform::sound_lock(buffer, 0, 10, lock));
    platform::fault_inject("sound.unlock", 1);
    EXPECT_FALSE(platform::sound_unlock(buffer, lock));
    platform::fault_inject("sound.set_position", 1);
    EXPECT_FALSE(platform::sound_set_position(buffer, 0));
    platform::fault_inject("sound.play", 1);
    EXPECT_FALSE(platform::sound_play(buffer, 0));
    EXPECT_EQ(0u, platform::sound_status(buffer));

    platform::window_reset();
    EXPECT_FALSE(platform::audio_set_cooperative_level(device, nullptr));
    const platform::WindowClass window_class{"MIXERTEST", platform::window_default_procedure, 0};
    ASSERT_TRUE(platform::window_register_class(window_class));
    platform::Window* window = platform::window_create("MIXERTEST", "mixer", 0, 0, 64, 64);
    EXPECT_TRUE(platform::audio_set_cooperative_level(device, window));
    platform::fault_inject("audio.cooperative_level", 1);
    EXPECT_FALSE(platform::audio_set_cooperative_level(device, window));
    platform::window_reset();
}

TEST_F(MixerTest, ADeviceTakesItsBuffersAlongAndTheLastUserClosesTheOutput)
{
    EXPECT_TRUE(platform::mixer_output_is_open());
    platform::AudioDevice* second = platform::audio_create();
    ASSERT_NE(nullptr, second);
    const platform::SoundFormat format{1, 1, 11025, 11025, 1, 8, 0};
    platform::SoundBuffer* buffer = platform::sound_create_buffer(
        second, platform::SoundBufferDesc{sizeof(platform::SoundBufferDesc), 0, 10, &format});
    ASSERT_NE(nullptr, buffer);
    platform::audio_release(second);
    EXPECT_FALSE(platform::sound_play(buffer, 0));
    EXPECT_TRUE(platform::mixer_output_is_open());

    platform::audio_release(device);
    device = nullptr;
    EXPECT_FALSE(platform::mixer_output_is_open());
    EXPECT_EQ(nullptr, platform::sound_create_buffer(
                           second, platform::SoundBufferDesc{sizeof(platform::SoundBufferDesc), 0, 10, &format}));
}

// A music source adds float frames: a constant, then one gone wrong.
float source_value = 0.0f;
void constant_source(void*, float* l, float* r, int frames)
{
    for (int i = 0; i < frames; ++i) {
        l[i] += source_value;
        r[i] -= source_value;
    }
}

TEST_F(MixerTest, MusicSourcesAreMixedAndKeptInRange)
{
    int context = 0;
    ASSERT_TRUE(platform::mixer_add_source(constant_source, &context));
    source_value = 0.5f;
    std::vector<int16_t> out = render(10);
    EXPECT_EQ(16383, left(out, 7));
    EXPECT_EQ(-16383, right(out, 7));

    // Sound effects add to it.
    platform::SoundBuffer* buffer = make(Bytes(100, loud));
    ASSERT_TRUE(platform::sound_play(buffer, 0));
    out = render(10);
    EXPECT_EQ(32767, left(out, 7));
    EXPECT_EQ(loud_out - 16383, right(out, 7));

    source_value = std::numeric_limits<float>::quiet_NaN();
    out = render(10);
    EXPECT_EQ(-32768, left(out, 100));
    source_value = std::numeric_limits<float>::infinity();
    out = render(10);
    EXPECT_EQ(32767, left(out, 100));
    EXPECT_EQ(-32768, right(out, 100));

    platform::mixer_remove_source(&context);
    EXPECT_EQ(0, reef_test::peak(render(10)));

    int contexts[5] = {};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(platform::mixer_add_source(constant_source, &contexts[i]));
    }
    EXPECT_FALSE(platform::mixer_add_source(constant_source, &contexts[4]));
    for (int& c : contexts) {
        platform::mixer_remove_source(&c);
    }
}

TEST(HeadlessOutput, VirtualTimeProducesExactlyItsFrames)
{
    const uint64_t before = platform::mixer_frames_rendered();
    platform::AudioDevice* device = platform::audio_create();
    ASSERT_NE(nullptr, device);
    for (int i = 0; i < 1000; ++i) {
        platform::clock_idle(1);
    }
    EXPECT_EQ(44100u, platform::mixer_frames_rendered() - before);
    platform::audio_release(device);
}

TEST(HeadlessOutput, CaptureIsAWavFileOfEverythingProduced)
{
    ASSERT_FALSE(platform::headless::audio_capture_start("no-such-directory/out.wav"));
    ASSERT_TRUE(platform::headless::audio_capture_start("capture.wav"));
    platform::headless::audio_record(true);
    // With the output closed, time passing is silence of the right length.
    platform::clock_idle(10);
    platform::AudioDevice* device = platform::audio_create();
    ASSERT_NE(nullptr, device);
    const platform::SoundFormat format{1, 1, 11025, 11025, 1, 8, 0};
    platform::SoundBuffer* buffer = platform::sound_create_buffer(
        device, platform::SoundBufferDesc{sizeof(platform::SoundBufferDesc), 0, 100, &format});
    platform::SoundLock lock{};
    ASSERT_TRUE(platform::sound_lock(buffer, 0, 100, lock));
    for (uint32_t i = 0; i < 100; ++i) {
        lock.first[i] = static_cast<uint8_t>(i * 2);
    }
    ASSERT_TRUE(platform::sound_unlock(buffer, lock));
    ASSERT_TRUE(platform::sound_play(buffer, platform::SOUND_PLAY_LOOPING));
    platform::clock_idle(90);
    ASSERT_TRUE(platform::headless::audio_capture_stop());
    platform::clock_idle(10);  // not captured any more
    platform::audio_release(device);

    const std::vector<int16_t> kept = platform::headless::audio_recorded();
    platform::headless::audio_record(false);
    ASSERT_EQ(2u * 4410 + 2 * 441, kept.size());

    std::FILE* file = std::fopen("capture.wav", "rb");
    ASSERT_NE(nullptr, file);
    Bytes bytes(100000);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    ASSERT_EQ(44u + 4410 * 4, bytes.size());
    const auto le32 = [&bytes](size_t at) {
        return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    const auto le16 = [&bytes](size_t at) { return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8)); };
    EXPECT_EQ(0, std::memcmp(bytes.data(), "RIFF", 4));
    EXPECT_EQ(bytes.size() - 8, le32(4));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(16u, le32(16));
    EXPECT_EQ(1u, le16(20));
    EXPECT_EQ(2u, le16(22));
    EXPECT_EQ(44100u, le32(24));
    EXPECT_EQ(176400u, le32(28));
    EXPECT_EQ(4u, le16(32));
    EXPECT_EQ(16u, le16(34));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 36, "data", 4));
    EXPECT_EQ(4410u * 4, le32(40));
    for (size_t i = 0; i < 4410 * 2; ++i) {
        ASSERT_EQ(kept[i], static_cast<int16_t>(le16(44 + 2 * i))) << "sample " << i;
    }
    EXPECT_EQ(0, reef_test::peak(kept, 0, 441));
    EXPECT_NE(0, reef_test::peak(kept, 441, 4410));
}

} // namespace
