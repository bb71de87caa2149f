// The game's two sound effects, synthesized sample by sample: the whale call that
// greets a caught bubble and the falling sting that ends a round.
#include <cmath>
#include <cstddef>
#include <vector>

#include "tools/make_assets/assets.h"
#include "tools/make_assets/wav_writer.h"

namespace assets {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rate = static_cast<double>(wav_sample_rate);

// Even sample counts keep the data chunk free of a pad byte.
size_t sample_count(double seconds)
{
    return static_cast<size_t>(std::lround(seconds * rate / 2.0)) * 2;
}

// 0 at a, 1 at b, smooth in between and flat outside.
double smooth_step(double a, double b, double t)
{
    if (t <= a) {
        return 0.0;
    }
    if (t >= b) {
        return 1.0;
    }
    const double x = (t - a) / (b - a);
    return x * x * (3.0 - 2.0 * x);
}

// Peak level of the finished sounds: about 6 dB below full scale, so they sit a little
// above the music in the game's mix instead of drowning it.
void normalize(std::vector<double>& samples, double peak)
{
    double highest = 0.0;
    for (double s : samples) {
        highest = std::fmax(highest, std::fabs(s));
    }
    if (highest > 0.0) {
        for (double& s : samples) {
            s *= peak / highest;
        }
    }
}

// A resonance of the throat: how much a harmonic at `freq` is lifted by a formant.
double formant_gain(double freq, double centre, double width)
{
    const double x = (freq - centre) / width;
    return 1.0 / (1.0 + x * x);
}

// Pitch of the call over time: a slow upward sweep, a held moan, then a long fall.
double whale_pitch(double t)
{
    const double rise = smooth_step(0.0, 0.55, t) * std::log2(320.0 / 185.0);
    const double sag = smooth_step(0.55, 0.95, t) * std::log2(300.0 / 320.0);
    const double fall = smooth_step(0.95, 1.45, t) * std::log2(150.0 / 300.0);
    return 185.0 * std::exp2(rise + sag + fall);
}

std::vector<double> whale_voice(size_t count, double length)
{
    constexpr int harmonics = 9;
    std::vector<double> voice(count, 0.0);
    std::vector<double> phase(harmonics + 1, 0.0);
    double vibrato_phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        // The vibrato only grows in once the call has found its voice.
        const double vibrato_depth = 0.028 * smooth_step(0.25, 0.8, t);
        vibrato_phase += 2.0 * pi * (4.2 + 1.2 * t / length) / rate;
        const double pitch = whale_pitch(t) * (1.0 + vibrato_depth * std::sin(vibrato_phase));
        // The mouth opens and closes as the call rises and falls: the formants move.
        const double open = smooth_step(0.1, 0.6, t) - 0.6 * smooth_step(0.9, 1.6, t);
        const double low_formant = 420.0 + 420.0 * open;
        const double high_formant = 1300.0 + 500.0 * open;
        double value = 0.0;
        for (int k = 1; k <= harmonics; ++k) {
            const double freq = pitch * k;
            phase[k] = std::fmod(phase[k] + 2.0 * pi * freq / rate, 2.0 * pi);
            if (freq > 4500.0) {
                continue;
            }
            const double weight = std::pow(static_cast<double>(k), -1.1) *
                                  (0.3 + formant_gain(freq, low_formant, 220.0) +
                                   0.45 * formant_gain(freq, high_formant, 300.0));
            value += weight * std::sin(phase[k]);
        }
        // A faint throaty flutter keeps the tone from sounding like a pure organ.
        const double flutter = 1.0 + 0.07 * std::sin(2.0 * pi * 27.0 * t);
        const double fade_in = std::sin(0.5 * pi * smooth_step(0.0, 0.45, t));
        const double fade_out = std::cos(0.5 * pi * smooth_step(length - 0.75, length, t));
        const double swell = 0.85 + 0.15 * std::sin(pi * t / length);
        voice[i] = value * flutter * fade_in * fade_out * swell;
    }
    return voice;
}

// About 1.7 s: the voice, with two soft reflections for the sense of open water.
std::vector<double> whale_call()
{
    const double voice_length = 1.45;
    std::vector<double> voice = whale_voice(sample_count(voice_length), voice_length);
    const size_t first_echo = sample_count(0.12);
    const size_t second_echo = sample_count(0.25);
    std::vector<double> call(voice.size() + second_echo, 0.0);
    for (size_t i = 0; i < voice.size(); ++i) {
        call[i] += voice[i];
        call[i + first_echo] += 0.32 * voice[i];
        call[i + second_echo] += 0.14 * voice[i];
    }
    normalize(call, 0.5);
    return call;
}

// One note of the sting: a reedy tone whose brightness fades as it sounds. `droop`
// (semitones) bends it down and `fade` (seconds) lets it die away: both for the last,
// long note.
struct StingNote {
    double start;
    double length;
    double freq;
    double droop;
    double fade;
    double level;
};

void add_sting_note(std::vector<double>& out, const StingNote& note)
{
    const double length = note.length;
    const size_t first = sample_count(note.start);
    const size_t count = sample_count(length);
    constexpr int harmonics = 10;
    std::vector<double> phase(harmonics + 1, 0.0);
    for (size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double bend = std::exp2(-note.droop * smooth_step(length * 0.35, length, t) / 12.0);
        const double vibrato = 1.0 + 0.012 * smooth_step(0.15, 0.5, t) * std::sin(2.0 * pi * 5.5 * t);
        const double pitch = note.freq * bend * vibrato;
        const double brightness = 0.35 + 0.65 * std::exp(-t / 0.12);
        double value = 0.0;
        for (int k = 1; k <= harmonics; ++k) {
            phase[k] = std::fmod(phase[k] + 2.0 * pi * pitch * k / rate, 2.0 * pi);
            if (pitch * k > 4800.0) {
                continue;
            }
            // Odd harmonics strong, even ones weaker: a muted, hollow brass colour.
            const double base = (k % 2 == 1 ? 1.0 : 0.45) / k;
            value += base * std::pow(brightness, k - 1) * std::sin(phase[k]);
        }
        const double attack = smooth_step(0.0, 0.008, t);
        const double body = 0.75 + 0.25 * std::exp(-t / 0.05);
        const double release = 1.0 - smooth_step(length - std::fmin(0.05, length * 0.6), length, t);
        const double decay = std::exp(-t / note.fade);
        out[first + i] += note.level * value * attack * body * decay * release;
    }
}

// About 1.5 s: three quick steps down a minor chord, then a low note that sags and
// fades an octave below, with a soft thump under it so it lands.
std::vector<double> round_end_sting()
{
    std::vector<double> sting(sample_count(1.5), 0.0);
    // start, length, pitch, droop, fade, level
    const double g4 = 392.00;
    const double e_flat4 = 311.13;
    const double c4 = 261.63;
    const double g3 = 196.00;
    const double c3 = 130.81;
    const StingNote notes[] = {
        {0.00, 0.16, g4, 0.0, 2.0, 1.0},
        {0.17, 0.16, e_flat4, 0.0, 2.0, 0.95},
        {0.34, 0.16, c4, 0.0, 2.0, 0.9},
        {0.52, 0.95, c3, 1.0, 0.45, 1.0},
        {0.52, 0.95, g3, 1.0, 0.45, 0.5},
    };
    for (const StingNote& note : notes) {
        add_sting_note(sting, note);
    }
    const size_t thump_start = sample_count(0.52);
    for (size_t i = 0; thump_start + i < sting.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        sting[thump_start + i] += 0.6 * std::sin(2.0 * pi * 65.4 * t) * std::exp(-t / 0.09);
    }
    normalize(sting, 0.5);
    return sting;
}

} // namespace

bool write_sounds(const std::string& data_dir)
{
    return write_binary_file(data_dir + "/Sounds/whale.wav", wav_file_bytes(wav_quantize(whale_call()))) &&
           write_binary_file(data_dir + "/Sounds/END.wav", wav_file_bytes(wav_quantize(round_end_sting())));
}

} // namespace assets
