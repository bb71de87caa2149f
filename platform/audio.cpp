// The mixer: sound buffers and music sources mixed into one 16-bit stereo stream,
// pulled by the backend's output. The game thread changes what plays; the output's
// thread mixes. Both meet under one mutex held for one short chunk at a time, and
// nothing on the mixing side allocates.
#include "platform/audio.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "platform/audio_backend.h"
#include "platform/backend.h"
#include "platform/fault.h"
#include "platform/internal.h"

namespace platform {

struct AudioDevice {
    Window* window;
};

struct SoundBuffer {
    AudioDevice* device;
    std::shared_ptr<std::vector<uint8_t>> samples;  // shared with duplicates
    uint32_t size;
    uint32_t caps;
    uint32_t own_rate;
    // Read by the mixer: changed only under the lock.
    uint32_t rate;
    int32_t volume;
    int32_t pan;
    uint64_t position;  // in samples, 32.32 fixed point
    uint64_t step;      // position advance per output frame
    int32_t gain_left;  // 1.0 = 32768
    int32_t gain_right;
    bool playing;
    bool looping;
    bool in_mix;        // listed in `voices`
};

namespace {

constexpr int max_sources = 4;
constexpr int32_t unity_gain = 32768;

std::mutex mix_mutex;

// Game-thread bookkeeping.
std::unordered_set<const void*> live_objects;
std::vector<SoundBuffer*> all_buffers;
int output_users = 0;
void (*output_close)() = nullptr;

// Shared with the mixing side, under mix_mutex.
std::vector<SoundBuffer*> voices;
struct Source {
    MixerSourceRender render;
    void* context;
};
Source sources[max_sources] = {};
int source_count = 0;
int32_t mix[mixer_chunk_frames * 2] = {};
float music_left[mixer_chunk_frames] = {};
float music_right[mixer_chunk_frames] = {};

std::atomic<uint64_t> frames_rendered{0};

template <typename T>
T* live(T* object)
{
    return object != nullptr && live_objects.count(object) != 0 ? object : nullptr;
}

// Hundredths of a decibel to a linear factor; -10000 and below is silence.
double level(int32_t hundredths_db)
{
    return hundredths_db <= SOUND_VOLUME_MIN ? 0.0 : std::pow(10.0, hundredths_db / 2000.0);
}

void update_gains(SoundBuffer& buffer)
{
    const double volume = level(buffer.volume);
    buffer.gain_left = static_cast<int32_t>(std::lround(unity_gain * volume * level(-std::max(buffer.pan, 0))));
    buffer.gain_right = static_cast<int32_t>(std::lround(unity_gain * volume * level(std::min(buffer.pan, 0))));
}

void update_step(SoundBuffer& buffer)
{
    buffer.step = (static_cast<uint64_t>(buffer.rate) << 32) / mixer_rate;
}

// Mixes one buffer into `out`; false when it has played to its end (not looping).
bool mix_voice(SoundBuffer& voice, int32_t* out, int frames)
{
    const uint8_t* samples = voice.samples->data();
    const uint64_t size = voice.size;
    const uint64_t end = size << 32;
    const uint64_t last = (size - 1) << 32;
    const uint64_t step = voice.step;
    const int32_t gain_left = voice.gain_left;
    const int32_t gain_right = voice.gain_right;
    uint64_t position = voice.position;
    int done = 0;
    while (done < frames) {
        if (position >= end) {
            if (!voice.looping) {
                voice.position = 0;
                return false;
            }
            position %= end;
            continue;
        }
        if (position < last) {
            // Frames whose sample and the next are both inside the buffer.
            const uint64_t reach = (last - position + step - 1) / step;
            const int run = static_cast<int>(std::min<uint64_t>(reach, static_cast<uint64_t>(frames - done)));
            int32_t* o = out + 2 * done;
            for (int i = 0; i < run; ++i) {
                const uint32_t index = static_cast<uint32_t>(position >> 32);
                const int32_t a = samples[index];
                const int32_t b = samples[index + 1];
                const int32_t fraction = static_cast<int32_t>((position >> 16) & 0xFFFF);
                const int32_t value = (a - 128) * 256 + (((b - a) * fraction) >> 8);
                o[2 * i] += (value * gain_left) >> 15;
                o[2 * i + 1] += (value * gain_right) >> 15;
                position += step;
            }
            done += run;
        } else {
            // The last sample leads back to the first when looping, else it holds.
            const int32_t a = samples[size - 1];
            const int32_t b = voice.looping ? samples[0] : a;
            const int32_t fraction = static_cast<int32_t>((position >> 16) & 0xFFFF);
            const int32_t value = (a - 128) * 256 + (((b - a) * fraction) >> 8);
            out[2 * done] += (value * gain_left) >> 15;
            out[2 * done + 1] += (value * gain_right) >> 15;
            position += step;
            ++done;
        }
    }
    voice.position = position;
    return true;
}

void mix_chunk(int16_t* out, int frames)
{
    std::fill(mix, mix + 2 * frames, 0);
    for (size_t i = 0; i < voices.size();) {
        SoundBuffer* voice = voices[i];
        if (voice->playing && mix_voice(*voice, mix, frames)) {
            ++i;
            continue;
        }
        voice->playing = false;
        voice->in_mix = false;
        voices[i] = voices.back();
        voices.pop_back();
    }
    if (source_count > 0) {
        std::fill(music_left, music_left + frames, 0.0f);
        std::fill(music_right, music_right + frames, 0.0f);
        for (int s = 0; s < source_count; ++s) {
            sources[s].render(sources[s].context, music_left, music_right, frames);
        }
        for (int i = 0; i < frames; ++i) {
            // Written so that a NaN from a source lands on the limit, not in undefined land.
            const float left = !(music_left[i] > -2.0f) ? -2.0f : (music_left[i] < 2.0f ? music_left[i] : 2.0f);
            const float right = !(music_right[i] > -2.0f) ? -2.0f : (music_right[i] < 2.0f ? music_right[i] : 2.0f);
            mix[2 * i] += static_cast<int32_t>(left * 32767.0f);
            mix[2 * i + 1] += static_cast<int32_t>(right * 32767.0f);
        }
    }
    for (int i = 0; i < 2 * frames; ++i) {
        out[i] = static_cast<int16_t>(std::clamp(mix[i], -32768, 32767));
    }
}

// Takes the buffer out of the mix; the caller holds the lock.
void unlist_voice(SoundBuffer* buffer)
{
    if (buffer->in_mix) {
        voices.erase(std::find(voices.begin(), voices.end(), buffer));
        buffer->in_mix = false;
    }
}

bool format_is_mixable(const SoundFormat& format)
{
    return format.format_tag == 1 && format.channels == 1 && format.bits_per_sample == 8 &&
           format.samples_per_sec >= 100 && format.samples_per_sec <= 200000;
}

SoundBuffer* new_buffer(AudioDevice* device, std::shared_ptr<std::vector<uint8_t>> samples, uint32_t caps,
                        uint32_t rate)
{
    auto* buffer = new SoundBuffer{};
    buffer->device = device;
    buffer->size = static_cast<uint32_t>(samples->size());
    buffer->samples = std::move(samples);
    buffer->caps = caps;
    buffer->own_rate = rate;
    buffer->rate = rate;
    update_step(*buffer);
    update_gains(*buffer);
    {
        // The mixing side must never grow the list, so it always has room for every buffer.
        std::lock_guard<std::mutex> lock(mix_mutex);
        if (voices.capacity() < all_buffers.size() + 1) {
            voices.reserve(std::max<size_t>(256, 2 * (all_buffers.size() + 1)));
        }
    }
    all_buffers.push_back(buffer);
    live_objects.insert(buffer);
    return buffer;
}

} // namespace

// --- The mixer ------------------------------------------------------------------

void mixer_render(int16_t* out, int frames)
{
    while (frames > 0) {
        const int n = std::min(frames, mixer_chunk_frames);
        {
            std::lock_guard<std::mutex> lock(mix_mutex);
            mix_chunk(out, n);
        }
        frames_rendered.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
        out += 2 * n;
        frames -= n;
    }
}

uint64_t mixer_frames_rendered()
{
    return frames_rendered.load(std::memory_order_relaxed);
}

bool mixer_output_is_open()
{
    return output_users > 0;
}

bool mixer_output_acquire()
{
    if (output_users == 0) {
        const AudioDriver& driver = drivers().audio;
        if (!driver.open()) {
            return false;
        }
        // The output is closed by the driver that opened it, whichever backend runs then.
        output_close = driver.close;
    }
    ++output_users;
    return true;
}

void mixer_output_release()
{
    if (output_users == 0) {
        return;
    }
    if (--output_users == 0) {
        void (*close)() = output_close;
        output_close = nullptr;
        close();
    }
}

bool mixer_add_source(MixerSourceRender render, void* context)
{
    std::lock_guard<std::mutex> lock(mix_mutex);
    if (render == nullptr || source_count == max_sources) {
        return false;
    }
    sources[source_count++] = Source{render, context};
    return true;
}

void mixer_remove_source(void* context)
{
    std::lock_guard<std::mutex> lock(mix_mutex);
    for (int i = 0; i < source_count; ++i) {
        if (sources[i].context == context) {
            sources[i] = sources[--source_count];
            return;
        }
    }
}

MixerLock::MixerLock()
{
    mix_mutex.lock();
}

MixerLock::~MixerLock()
{
    mix_mutex.unlock();
}

// --- Device ---------------------------------------------------------------------

AudioDevice* audio_create()
{
    if (fault_should_fail("audio.create") || !mixer_output_acquire()) {
        return nullptr;
    }
    auto* device = new AudioDevice{nullptr};
    live_objects.insert(device);
    return device;
}

bool audio_set_cooperative_level(AudioDevice* device, Window* window)
{
    if (live(device) == nullptr || !window_is_live(window) || fault_should_fail("audio.cooperative_level")) {
        return false;
    }
    device->window = window;
    return true;
}

void audio_release(AudioDevice* device)
{
    if (live(device) == nullptr) {
        return;
    }
    const std::vector<SoundBuffer*> owned = all_buffers;
    for (SoundBuffer* buffer : owned) {
        if (buffer->device == device) {
            sound_release(buffer);
        }
    }
    live_objects.erase(device);
    delete device;
    mixer_output_release();
}

// --- Sound buffers ----------------------------------------------------------------

SoundBuffer* sound_create_buffer(AudioDevice* device, const SoundBufferDesc& desc)
{
    if (live(device) == nullptr || desc.format == nullptr || !format_is_mixable(*desc.format) ||
        desc.buffer_bytes == 0 || desc.buffer_bytes > sound_max_buffer_bytes || fault_should_fail("sound.create")) {
        return nullptr;
    }
    auto samples = std::make_shared<std::vector<uint8_t>>(desc.buffer_bytes, uint8_t{128});
    return new_buffer(device, std::move(samples), desc.flags, desc.format->samples_per_sec);
}

SoundBuffer* sound_duplicate(AudioDevice* device, SoundBuffer* source)
{
    if (live(device) == nullptr || live(source) == nullptr || fault_should_fail("sound.duplicate")) {
        return nullptr;
    }
    SoundBuffer* copy = new_buffer(device, source->samples, source->caps, source->own_rate);
    std::lock_guard<std::mutex> lock(mix_mutex);
    copy->rate = source->rate;
    copy->volume = source->volume;
    copy->pan = source->pan;
    update_step(*copy);
    update_gains(*copy);
    return copy;
}

bool sound_lock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, SoundLock& lock)
{
    if (live(buffer) == nullptr || offset >= buffer->size || bytes > buffer->size || fault_should_fail("sound.lock")) {
        return false;
    }
    uint8_t* data = buffer->samples->data();
    const uint32_t to_end = buffer->size - offset;
    lock.first = data + offset;
    lock.first_bytes = std::min(bytes, to_end);
    lock.second = bytes > to_end ? data : nullptr;
    lock.second_bytes = bytes > to_end ? bytes - to_end : 0;
    return true;
}

bool sound_unlock(SoundBuffer* buffer, const SoundLock& lock)
{
    if (live(buffer) == nullptr || fault_should_fail("sound.unlock")) {
        return false;
    }
    const uint8_t* begin = buffer->samples->data();
    const uint8_t* end = begin + buffer->size;
    const auto inside = [begin, end](const uint8_t* region, uint32_t bytes) {
        return region == nullptr ? bytes == 0
                                 : region >= begin && region <= end && bytes <= static_cast<size_t>(end - region);
    };
    return inside(lock.first, lock.first_bytes) && inside(lock.second, lock.second_bytes);
}

bool sound_set_position(SoundBuffer* buffer, uint32_t offset)
{
    if (live(buffer) == nullptr || offset >= buffer->size || fault_should_fail("sound.set_position")) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->position = static_cast<uint64_t>(offset) << 32;
    return true;
}

bool sound_play(SoundBuffer* buffer, uint32_t flags)
{
    if (live(buffer) == nullptr || fault_should_fail("sound.play")) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->looping = (flags & SOUND_PLAY_LOOPING) != 0;
    buffer->playing = true;
    if (!buffer->in_mix) {
        voices.push_back(buffer);  // within the reserved room
        buffer->in_mix = true;
    }
    return true;
}

void sound_stop(SoundBuffer* buffer)
{
    if (live(buffer) == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->playing = false;
    unlist_voice(buffer);
}

bool sound_set_volume(SoundBuffer* buffer, int32_t hundredths_db)
{
    if (live(buffer) == nullptr || (buffer->caps & SOUND_CAPS_CTRL_VOLUME) == 0 || hundredths_db > SOUND_VOLUME_MAX ||
        hundredths_db < SOUND_VOLUME_MIN) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->volume = hundredths_db;
    update_gains(*buffer);
    return true;
}

bool sound_set_pan(SoundBuffer* buffer, int32_t hundredths_db)
{
    if (live(buffer) == nullptr || (buffer->caps & SOUND_CAPS_CTRL_PAN) == 0 || hundredths_db < SOUND_PAN_LEFT ||
        hundredths_db > SOUND_PAN_RIGHT) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->pan = hundredths_db;
    update_gains(*buffer);
    return true;
}

bool sound_set_frequency(SoundBuffer* buffer, uint32_t samples_per_sec)
{
    if (live(buffer) == nullptr || (buffer->caps & SOUND_CAPS_CTRL_FREQUENCY) == 0 ||
        (samples_per_sec != 0 && (samples_per_sec < 100 || samples_per_sec > 200000))) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    buffer->rate = samples_per_sec != 0 ? samples_per_sec : buffer->own_rate;
    update_step(*buffer);
    return true;
}

uint32_t sound_status(SoundBuffer* buffer)
{
    if (live(buffer) == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(mix_mutex);
    if (!buffer->playing) {
        return 0;
    }
    return SOUND_STATUS_PLAYING | (buffer->looping ? SOUND_STATUS_LOOPING : 0);
}

void sound_release(SoundBuffer* buffer)
{
    if (live(buffer) == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mix_mutex);
        buffer->playing = false;
        unlist_voice(buffer);
    }
    live_objects.erase(buffer);
    all_buffers.erase(std::find(all_buffers.begin(), all_buffers.end(), buffer));
    delete buffer;
}

// --- The default output: nothing pulls -------------------------------------------

namespace {

bool silent_open()
{
    return true;
}

void silent_close() {}

} // namespace

void default_audio_driver(AudioDriver& driver)
{
    driver.open = silent_open;
    driver.close = silent_close;
}

} // namespace platform
