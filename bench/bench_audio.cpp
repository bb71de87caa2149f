// The mixer beside its anchors, each reported as a multiple of real time (x_realtime):
//   mix_16_effects_1s   one second of 16 playing effects, resampled with their gains,
//                       beside a plain clamped sum of 16 streams already at the output rate;
//   mix_song_1s         one second of the game's song with its two effects through the
//                       mixer, beside FluidSynth rendering the same song on its own.
// The song is the one make_assets writes (<build>/data/Sounds/bd.mid, or REEF_BENCH_SONG).
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_backend.h"
#include "platform/platform.h"
#include "sound/sound.h"

namespace {

constexpr int voices = 16;
constexpr int second = platform::mixer_rate;

std::string program_path;

std::string song_path()
{
    const char* chosen = std::getenv("REEF_BENCH_SONG");
    if (chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    const size_t slash = program_path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : program_path.substr(0, slash);
    return folder + "/../data/Sounds/bd.mid";
}

bool readable(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

// A sound effect: a second of a decaying tone, as the game's sounds are.
platform::SoundBuffer* make_effect(platform::AudioDevice* device, uint32_t rate, int seed)
{
    const platform::SoundFormat format{1, 1, rate, rate, 1, 8, 0};
    const uint32_t bytes = rate;
    const uint32_t caps = platform::SOUND_CAPS_CTRL_VOLUME | platform::SOUND_CAPS_CTRL_PAN;
    platform::SoundBuffer* buffer =
        platform::sound_create_buffer(device, platform::SoundBufferDesc{sizeof(platform::SoundBufferDesc), caps, bytes, &format});
    platform::SoundLock lock{};
    platform::sound_lock(buffer, 0, bytes, lock);
    for (uint32_t i = 0; i < bytes; ++i) {
        const int wave = static_cast<int>((i * (3 + seed)) % 64) - 32;
        lock.first[i] = static_cast<uint8_t>(128 + wave * static_cast<int>(bytes - i) / static_cast<int>(bytes));
    }
    platform::sound_unlock(buffer, lock);
    return buffer;
}

void report_realtime(benchmark::State& state)
{
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void mix_16_effects_reef(benchmark::State& state)
{
    platform::AudioDevice* device = platform::audio_create();
    std::vector<platform::SoundBuffer*> effects;
    for (int i = 0; i < voices; ++i) {
        platform::SoundBuffer* effect = make_effect(device, i % 2 == 0 ? 11025 : 22050, i);
        platform::sound_set_volume(effect, -100 * i);
        platform::sound_set_pan(effect, i * 1000 - 8000);
        platform::sound_play(effect, platform::SOUND_PLAY_LOOPING);
        effects.push_back(effect);
    }
    std::vector<int16_t> out(2 * second);
    for (auto _ : state) {
        platform::mixer_render(out.data(), second);
        benchmark::DoNotOptimize(out.data());
    }
    report_realtime(state);
    platform::audio_release(device);
}

void mix_16_effects_plain_sum(benchmark::State& state)
{
    std::vector<std::vector<int16_t>> streams(voices, std::vector<int16_t>(2 * second));
    for (int v = 0; v < voices; ++v) {
        for (size_t i = 0; i < streams[v].size(); ++i) {
            streams[v][i] = static_cast<int16_t>(((i * (3 + v)) % 64) * 128 - 4096);
        }
    }
    std::vector<int32_t> sum(2 * second);
    std::vector<int16_t> out(2 * second);
    for (auto _ : state) {
        std::fill(sum.begin(), sum.end(), 0);
        for (const std::vector<int16_t>& stream : streams) {
            for (size_t i = 0; i < sum.size(); ++i) {
                sum[i] += stream[i];
            }
        }
        for (size_t i = 0; i < sum.size(); ++i) {
            out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
        }
        benchmark::DoNotOptimize(out.data());
    }
    report_realtime(state);
}

void mix_song_reef(benchmark::State& state)
{
    const std::string path = song_path();
    if (!readable(path)) {
        state.SkipWithError(("no song at " + path + " (build game_data, or set REEF_BENCH_SONG)").c_str());
        return;
    }
    platform::AudioDevice* device = platform::audio_create();
    platform::SoundBuffer* effects[2] = {make_effect(device, 11025, 1), make_effect(device, 11025, 5)};
    DMusic_Init();
    const int song = DMusic_Load_MIDI(path.c_str());
    DMusic_Play(song);
    std::vector<int16_t> out(2 * second);
    for (auto _ : state) {
        // The game's two effects, and its song restarted whenever it ends.
        platform::sound_set_position(effects[0], 0);
        platform::sound_play(effects[0], 0);
        platform::sound_set_position(effects[1], 0);
        platform::sound_play(effects[1], 0);
        if (DMusic_Status_MIDI(song) == SONG_STOPPED) {
            DMusic_Play(song);
        }
        platform::mixer_render(out.data(), second);
        benchmark::DoNotOptimize(out.data());
    }
    report_realtime(state);
    DMusic_Shutdown();
    platform::audio_release(device);
}

void mix_song_fluid_write_s16(benchmark::State& state)
{
    const std::string path = song_path();
    if (!readable(path)) {
        state.SkipWithError(("no song at " + path).c_str());
        return;
    }
    for (int level = 0; level < LAST_LOG_LEVEL; ++level) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", platform::mixer_rate);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, "/usr/share/sounds/sf2/TimGM6mb.sf2", 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_set_loop(player, -1);
    fluid_player_add(player, path.c_str());
    fluid_player_play(player);
    std::vector<int16_t> out(2 * second);
    for (auto _ : state) {
        for (int done = 0; done < second; done += platform::mixer_chunk_frames) {
            const int frames = std::min(platform::mixer_chunk_frames, second - done);
            fluid_synth_write_s16(synth, frames, out.data() + 2 * done, 0, 2, out.data() + 2 * done, 1, 2);
        }
        benchmark::DoNotOptimize(out.data());
    }
    report_realtime(state);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

} // namespace

BENCHMARK(mix_16_effects_reef)->Name("mix_16_effects_1s/reef")->Unit(benchmark::kMicrosecond);
BENCHMARK(mix_16_effects_plain_sum)->Name("mix_16_effects_1s/plain_sum")->Unit(benchmark::kMicrosecond);
BENCHMARK(mix_song_reef)->Name("mix_song_1s/reef")->Unit(benchmark::kMillisecond);
BENCHMARK(mix_song_fluid_write_s16)->Name("mix_song_1s/fluid_write_s16")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    program_path = argv[0];
    // Headless: no device thread mixes beside the benchmark.
    platform::platform_init("headless");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::platform_shutdown();
    return 0;
}
