// Controls of the headless backend's audio output. Its output runs on virtual time:
// whenever a program waits (platform::clock_idle), the mixer produces exactly as many
// frames as the waited time holds, 44,100 per second, in stereo. What it produces can
// be written to a WAV file (the game's --audio option) or kept in memory for tests.
// While the output is closed, time passing produces silence, so a capture always
// lasts as long as the virtual time it covers.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {
namespace headless {

// Writes everything produced from now on to a 16-bit stereo PCM WAV file at `path`
// (finishing an earlier capture first). False when the file cannot be created.
bool audio_capture_start(const char* path);
// Finishes the capture file; false when some of it could not be written.
bool audio_capture_stop();
// Keeps what is produced from now on in memory (true: starting empty; false: stop
// and forget).
void audio_record(bool on);
// What was kept: interleaved left, right samples.
const std::vector<int16_t>& audio_recorded();

} // namespace headless
} // namespace platform
