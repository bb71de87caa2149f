// Sound effects: the table of 256 sounds, the WAV reader and the buffer operations.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/window.h"
#include "sound/sound.h"

platform::AudioDevice* lpds = nullptr;
pcm_sound_typ sound_fx[MAX_SOUNDS] = {};
platform::SoundFormat pcmwf = {};
platform::SoundBufferDesc dsbd = {};

namespace {

// Every buffer has this format, whatever the file says.
constexpr uint32_t buffer_rate = 11025;
constexpr int format_block_bytes = 18;

bool valid_id(int id)
{
    return id >= 0 && id < MAX_SOUNDS;
}

int free_slot()
{
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        if (sound_fx[id].state == SOUND_EMPTY) {
            return id;
        }
    }
    return -1;
}

void clear_slot(int id)
{
    sound_fx[id] = pcm_sound_typ{nullptr, SOUND_EMPTY, 0, 0, id};
}

uint32_t read_le32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

uint16_t read_le16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

bool is_code(const uint8_t* at, const char* code)
{
    return std::memcmp(at, code, 4) == 0;
}

// Reads `count` bytes at `offset`; false when the file does not hold them all.
bool read_at(std::FILE* file, uint64_t offset, void* into, size_t count)
{
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(into, 1, count, file) == count;
}

// The samples and sample rate of a RIFF WAVE file. Every chunk stepped through must
// lie inside its parent and the file, so nothing is read or allocated past the file.
// On success `samples` is a malloc'ed block of `size` bytes.
bool read_wave(std::FILE* file, uint8_t*& samples, uint32_t& size, uint32_t& rate)
{
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    const long end_of_file = std::ftell(file);
    if (end_of_file < 0) {
        return false;
    }
    const uint64_t file_size = static_cast<uint64_t>(end_of_file);

    // The top-level chunks, from the start of the file, for a RIFF chunk of form WAVE.
    uint64_t riff = 0;
    uint64_t riff_end = 0;
    for (;;) {
        uint8_t header[12];
        if (riff + sizeof header > file_size || !read_at(file, riff, header, sizeof header)) {
            return false;
        }
        const uint64_t end = riff + 8 + read_le32(header + 4);
        if (end > file_size) {
            return false;
        }
        if (is_code(header, "RIFF") && is_code(header + 8, "WAVE")) {
            riff_end = end;
            break;
        }
        riff = end + (end & 1);
    }

    // The first sub-chunk is taken as the format block, whatever its identifier.
    const uint64_t format_chunk = riff + 12;
    uint8_t chunk[8];
    if (format_chunk + 8 > riff_end || !read_at(file, format_chunk, chunk, sizeof chunk)) {
        return false;
    }
    const uint64_t format_data = format_chunk + 8;
    const uint32_t format_size = read_le32(chunk + 4);
    uint8_t format[format_block_bytes];
    if (!read_at(file, format_data, format, sizeof format) || read_le16(format) != 1) {
        return false;
    }
    if (format_data + format_size > riff_end) {
        return false;
    }

    // The "data" chunk, past whatever other chunks come first.
    uint64_t at = format_data + format_size + (format_size & 1);
    for (;;) {
        if (at + 8 > riff_end || !read_at(file, at, chunk, sizeof chunk)) {
            return false;
        }
        const uint32_t length = read_le32(chunk + 4);
        if (at + 8 + length > riff_end) {
            return false;
        }
        if (is_code(chunk, "data")) {
            break;
        }
        at += 8 + length + (length & 1);
    }
    size = read_le32(chunk + 4);
    if (size == 0 || size > platform::sound_max_buffer_bytes) {
        return false;
    }
    samples = static_cast<uint8_t*>(std::malloc(size));
    if (samples == nullptr) {
        return false;
    }
    if (std::fread(samples, 1, size, file) != size) {
        std::free(samples);
        samples = nullptr;
        return false;
    }
    rate = read_le32(format + 4);
    return true;
}

// Fills a locked buffer with the samples.
bool fill_buffer(platform::SoundBuffer* buffer, const uint8_t* samples, uint32_t size)
{
    platform::SoundLock lock{};
    if (!platform::sound_lock(buffer, 0, size, lock)) {
        return false;
    }
    std::memcpy(lock.first, samples, lock.first_bytes);
    if (lock.second != nullptr) {
        std::memcpy(lock.second, samples + lock.first_bytes, lock.second_bytes);
    }
    return platform::sound_unlock(buffer, lock);
}

} // namespace

int DSound_Init()
{
    static int first_time = 1;
    int result = 1;
    if (first_time == 1) {
        std::memset(sound_fx, 0, sizeof sound_fx);
        first_time = 0;
        // The device is made once per process, also when this attempt fails.
        lpds = platform::audio_create();
        if (lpds == nullptr || !platform::audio_set_cooperative_level(lpds, main_window_handle)) {
            result = 0;
        }
    }
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        if (sound_fx[id].sound_buffer != nullptr) {
            platform::sound_stop(sound_fx[id].sound_buffer);
            platform::sound_release(sound_fx[id].sound_buffer);
        }
        clear_slot(id);
    }
    return result;
}

int DSound_Shutdown()
{
    DSound_Stop_All_Sounds();
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        if (sound_fx[id].sound_buffer != nullptr) {
            platform::sound_release(sound_fx[id].sound_buffer);
        }
        clear_slot(id);
    }
    if (lpds != nullptr) {
        platform::audio_release(lpds);
        lpds = nullptr;
    }
    return 1;
}

int DSound_Load_WAV(const char* filename, int control_flags)
{
    const int id = free_slot();
    if (id < 0 || filename == nullptr) {
        return -1;
    }
    std::FILE* file = std::fopen(filename, "rb");
    if (file == nullptr) {
        return -1;
    }
    uint8_t* samples = nullptr;
    uint32_t size = 0;
    uint32_t file_rate = 0;
    const bool read = read_wave(file, samples, size, file_rate);
    std::fclose(file);
    if (!read) {
        return -1;
    }

    pcmwf = platform::SoundFormat{};
    pcmwf.format_tag = 1;
    pcmwf.channels = 1;
    pcmwf.samples_per_sec = buffer_rate;
    pcmwf.block_align = 1;
    pcmwf.avg_bytes_per_sec = buffer_rate * pcmwf.block_align;
    pcmwf.bits_per_sample = 8;
    pcmwf.extra_size = 0;

    dsbd = platform::SoundBufferDesc{};
    dsbd.size = sizeof dsbd;
    dsbd.flags = static_cast<uint32_t>(control_flags) | DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE;
    dsbd.buffer_bytes = size;
    dsbd.format = &pcmwf;

    // A load that fails leaves the slot free and nothing behind.
    platform::SoundBuffer* buffer = platform::sound_create_buffer(lpds, dsbd);
    if (buffer == nullptr || !fill_buffer(buffer, samples, size)) {
        platform::sound_release(buffer);
        std::free(samples);
        return -1;
    }
    std::free(samples);
    sound_fx[id] = pcm_sound_typ{buffer, SOUND_READY, static_cast<int>(file_rate), static_cast<int>(size), id};
    return id;
}

int DSound_Replicate_Sound(int source_id)
{
    if (!valid_id(source_id)) {
        return -1;
    }
    const int id = free_slot();
    if (id < 0) {
        return -1;
    }
    sound_fx[id] = sound_fx[source_id];
    sound_fx[id].sound_buffer = platform::sound_duplicate(lpds, sound_fx[source_id].sound_buffer);
    if (sound_fx[id].sound_buffer == nullptr) {
        clear_slot(id);
        return -1;
    }
    sound_fx[id].id = id;
    return id;
}

int DSound_Play(int id, int flags, int volume, int rate, int pan)
{
    (void)volume;
    (void)rate;
    (void)pan;
    if (!valid_id(id) || sound_fx[id].sound_buffer == nullptr) {
        return 1;
    }
    platform::SoundBuffer* buffer = sound_fx[id].sound_buffer;
    if (!platform::sound_set_position(buffer, 0) || !platform::sound_play(buffer, static_cast<uint32_t>(flags))) {
        return 0;
    }
    return 1;
}

int DSound_Set_Volume(int id, int vol)
{
    if (!valid_id(id)) {
        return 0;
    }
    // Widened first: a wild vol must be refused, not overflow.
    const long long level = (100LL - vol) * -30;
    if (level < INT32_MIN || level > INT32_MAX) {
        return 0;
    }
    return platform::sound_set_volume(sound_fx[id].sound_buffer, static_cast<int32_t>(level)) ? 1 : 0;
}

int DSound_Set_Freq(int id, int freq)
{
    if (!valid_id(id) || freq < 0) {
        return 0;
    }
    return platform::sound_set_frequency(sound_fx[id].sound_buffer, static_cast<uint32_t>(freq)) ? 1 : 0;
}

int DSound_Set_Pan(int id, int pan)
{
    if (!valid_id(id)) {
        return 0;
    }
    return platform::sound_set_pan(sound_fx[id].sound_buffer, pan) ? 1 : 0;
}

int DSound_Stop_Sound(int id)
{
    if (valid_id(id) && sound_fx[id].sound_buffer != nullptr) {
        platform::sound_stop(sound_fx[id].sound_buffer);
        platform::sound_set_position(sound_fx[id].sound_buffer, 0);
    }
    return 1;
}

int DSound_Stop_All_Sounds()
{
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        DSound_Stop_Sound(id);
    }
    return 1;
}

int DSound_Delete_Sound(int id)
{
    DSound_Stop_Sound(id);
    if (valid_id(id) && sound_fx[id].sound_buffer != nullptr) {
        platform::sound_release(sound_fx[id].sound_buffer);
        sound_fx[id].sound_buffer = nullptr;
        sound_fx[id].state = SOUND_EMPTY;
    }
    return 1;
}

int DSound_Delete_All_Sounds()
{
    for (int id = 0; id < MAX_SOUNDS; ++id) {
        DSound_Delete_Sound(id);
    }
    return 1;
}

int DSound_Status_Sound(int id)
{
    if (!valid_id(id) || sound_fx[id].sound_buffer == nullptr) {
        return -1;
    }
    return static_cast<int>(platform::sound_status(sound_fx[id].sound_buffer));
}
