// The headless audio output: the mixer pulled by virtual time, with what it produces
// written to a WAV file or kept for tests.
#include "platform/headless/headless_audio.h"

#include <algorithm>
#include <cstdio>

#include "platform/audio_backend.h"
#include "platform/headless/headless_internal.h"

namespace platform {
namespace headless {
namespace {

constexpr int block_frames = 2048;
constexpr uint32_t wav_header_bytes = 44;
// The RIFF sizes are 32-bit: a capture stops growing before they would wrap.
constexpr uint64_t max_capture_bytes = 0xFFFFFFFFull - wav_header_bytes;

bool output_open = false;
uint64_t elapsed_ms = 0;
uint64_t frames_produced = 0;

std::FILE* capture = nullptr;
uint64_t capture_bytes = 0;
bool capture_failed = false;

bool recording = false;
std::vector<int16_t> recorded;

void put16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value)
{
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

// The header with the sizes of what has been written so far.
bool write_wav_header()
{
    uint8_t header[wav_header_bytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    put32(header + 4, static_cast<uint32_t>(capture_bytes + wav_header_bytes - 8));
    put32(header + 16, 16);
    put16(header + 20, 1);
    put16(header + 22, mixer_channels);
    put32(header + 24, mixer_rate);
    put32(header + 28, mixer_rate * mixer_channels * 2);
    put16(header + 32, mixer_channels * 2);
    put16(header + 34, 16);
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    put32(header + 40, static_cast<uint32_t>(capture_bytes));
    return std::fseek(capture, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof header, capture) == sizeof header &&
           std::fseek(capture, 0, SEEK_END) == 0;
}

void capture_frames(const int16_t* samples, int frames)
{
    const uint64_t bytes = static_cast<uint64_t>(frames) * mixer_channels * 2;
    if (capture_failed || capture_bytes + bytes > max_capture_bytes) {
        return;
    }
    uint8_t little_endian[block_frames * mixer_channels * 2];
    for (int i = 0; i < frames * mixer_channels; ++i) {
        put16(little_endian + 2 * i, static_cast<uint16_t>(samples[i]));
    }
    if (std::fwrite(little_endian, 1, bytes, capture) != bytes) {
        capture_failed = true;
        return;
    }
    capture_bytes += bytes;
    // Kept up to date, so the file is whole whenever the program stops.
    capture_failed = !write_wav_header();
}

bool open_output()
{
    output_open = true;
    return true;
}

void close_output()
{
    output_open = false;
}

} // namespace

void fill_audio_driver(AudioDriver& driver)
{
    driver.open = open_output;
    driver.close = close_output;
}

void time_passed(uint32_t ms)
{
    elapsed_ms += ms;
    const uint64_t due = elapsed_ms * mixer_rate / 1000;
    uint64_t missing = due - frames_produced;
    frames_produced = due;
    if (!output_open && capture == nullptr && !recording) {
        return;
    }
    int16_t block[block_frames * mixer_channels];
    while (missing > 0) {
        const int frames = static_cast<int>(std::min<uint64_t>(missing, block_frames));
        if (output_open) {
            mixer_render(block, frames);
        } else {
            std::fill(block, block + frames * mixer_channels, int16_t{0});
        }
        if (capture != nullptr) {
            capture_frames(block, frames);
        }
        if (recording) {
            recorded.insert(recorded.end(), block, block + frames * mixer_channels);
        }
        missing -= static_cast<uint64_t>(frames);
    }
}

bool audio_capture_start(const char* path)
{
    audio_capture_stop();
    if (path == nullptr) {
        return false;
    }
    capture = std::fopen(path, "wb");
    if (capture == nullptr) {
        return false;
    }
    capture_bytes = 0;
    capture_failed = false;
    if (!write_wav_header()) {
        std::fclose(capture);
        capture = nullptr;
        return false;
    }
    return true;
}

bool audio_capture_stop()
{
    if (capture == nullptr) {
        return true;
    }
    const bool written = !capture_failed && std::fflush(capture) == 0;
    const bool closed = std::fclose(capture) == 0;
    capture = nullptr;
    return written && closed;
}

void audio_record(bool on)
{
    recording = on;
    recorded.clear();
    if (!on) {
        recorded.shrink_to_fit();
    }
}

const std::vector<int16_t>& audio_recorded()
{
    return recorded;
}

} // namespace headless
} // namespace platform
