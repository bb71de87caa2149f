#include "tools/make_assets/wav_writer.h"

#include <cmath>

namespace assets {

namespace {

void put_tag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(tag[i]));
    }
}

void put_u16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t value)
{
    put_u16(out, value & 0xFFFFu);
    put_u16(out, value >> 16);
}

} // namespace

std::vector<uint8_t> wav_file_bytes(const std::vector<uint8_t>& samples)
{
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size());
    const uint32_t pad = data_bytes & 1u;  // chunks are padded to an even length
    std::vector<uint8_t> out;
    out.reserve(44 + data_bytes + pad);
    put_tag(out, "RIFF");
    put_u32(out, 4 + (8 + 16) + (8 + data_bytes + pad));
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32(out, 16);
    put_u16(out, 1);                // PCM
    put_u16(out, 1);                // mono
    put_u32(out, wav_sample_rate);
    put_u32(out, wav_sample_rate);  // bytes per second: one byte per sample
    put_u16(out, 1);                // block align
    put_u16(out, 8);                // bits per sample
    put_tag(out, "data");
    put_u32(out, data_bytes);
    out.insert(out.end(), samples.begin(), samples.end());
    if (pad != 0) {
        out.push_back(128);
    }
    return out;
}

std::vector<uint8_t> wav_quantize(const std::vector<double>& samples)
{
    std::vector<uint8_t> out(samples.size(), 128);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double level = std::floor(128.0 + 127.0 * samples[i] + 0.5);
        out[i] = static_cast<uint8_t>(std::fmin(255.0, std::fmax(0.0, level)));
    }
    return out;
}

} // namespace assets
