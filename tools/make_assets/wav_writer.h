// WAV files as the game's sound loader takes them: a RIFF "WAVE" form whose first
// sub-chunk is the 16-byte PCM format block, then the "data" chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// Every sound of the game plays as unsigned 8-bit mono at this rate.
constexpr uint32_t wav_sample_rate = 11025;

// The whole file for unsigned 8-bit mono samples at wav_sample_rate.
std::vector<uint8_t> wav_file_bytes(const std::vector<uint8_t>& samples);

// Turns samples in -1..1 into unsigned 8-bit ones (128 is silence), rounding to the
// nearest step and clipping what lies outside.
std::vector<uint8_t> wav_quantize(const std::vector<double>& samples);

} // namespace assets
