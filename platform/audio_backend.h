// Audio part of the backend contract, and the mixer's side of it.
//
// The mixer (platform/audio.cpp) is common code: it mixes every playing sound buffer
// and every music source into one stream of 16-bit stereo frames. A backend only
// provides an output that pulls those frames with mixer_render, from a device thread
// (SDL) or whenever virtual time passes (headless). The default output is the sound
// of silence: it opens, and nothing ever pulls.
#pragma once

#include <cstdint>

namespace platform {

// What the mixer produces: interleaved left/right 16-bit frames at this rate.
constexpr int mixer_rate = 44100;
constexpr int mixer_channels = 2;
// The mixer works in chunks of at most this many frames (and asks its sources for no more).
constexpr int mixer_chunk_frames = 512;

struct AudioDriver {
    // Starts pulling frames with mixer_render. False (with one message on stderr)
    // when no output can be had here.
    bool (*open)();
    // Stops pulling: once it returns, mixer_render is not called any more.
    void (*close)();
};

void default_audio_driver(AudioDriver& driver);

// Mixes the next `frames` frames of everything playing into `out` (interleaved
// left, right). Called by the output; takes the mixer's short lock, never allocates.
void mixer_render(int16_t* out, int frames);
// Frames mixed so far in this process (the outputs' progress, for tests and tools).
uint64_t mixer_frames_rendered();
// True while some service holds the output open.
bool mixer_output_is_open();

// --- For the platform's own audio services ------------------------------------

// The output is opened by its first user and closed by its last one.
bool mixer_output_acquire();
void mixer_output_release();

// A music source renders `frames` float frames, adding them into `left` and `right`
// (zeroed by the mixer); it runs inside the mixer's lock.
using MixerSourceRender = void (*)(void* context, float* left, float* right, int frames);
// False when the mixer already has all the sources it can take.
bool mixer_add_source(MixerSourceRender render, void* context);
void mixer_remove_source(void* context);

// Holds the mixer's lock for the lifetime of the object: whatever a source's render
// reads is changed only while one of these lives.
class MixerLock {
public:
    MixerLock();
    ~MixerLock();
    MixerLock(const MixerLock&) = delete;
    MixerLock& operator=(const MixerLock&) = delete;
};

} // namespace platform
