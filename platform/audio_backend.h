// Audio part of the backend contract (the output device the mixer plays through).
#pragma once

namespace platform {

struct AudioDriver {
    // Filled in with the audio service.
    void (*reset)();
};

void default_audio_driver(AudioDriver& driver);

} // namespace platform
