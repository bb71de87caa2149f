// The SDL audio output: one device whose callback runs the mixer.
#include <cstdio>

#include "platform/audio_backend.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {
namespace sdl {
namespace {

// About 12 ms a buffer: a sound starts without an audible delay.
constexpr Uint16 buffer_frames = 512;

SDL_AudioDeviceID device = 0;
bool told = false;

// Without sound the game plays on; saying why once is enough.
bool no_sound()
{
    if (!told) {
        told = true;
        std::fprintf(stderr, "reef: no sound: %s\n", SDL_GetError());
    }
    return false;
}

void pull(void*, Uint8* stream, int bytes)
{
    mixer_render(reinterpret_cast<int16_t*>(stream), bytes / (mixer_channels * 2));
}

bool open()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return no_sound();
    }
    SDL_AudioSpec wanted{};
    wanted.freq = mixer_rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = mixer_channels;
    wanted.samples = buffer_frames;
    wanted.callback = pull;
    // No changes allowed: SDL converts to whatever the device really takes.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        no_sound();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void close()
{
    if (device == 0) {
        return;
    }
    // Returns once the callback has finished for good.
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace

void fill_audio_driver(AudioDriver& driver)
{
    driver.open = open;
    driver.close = close;
}

} // namespace sdl
} // namespace platform
