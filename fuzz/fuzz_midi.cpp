// Fuzzes the MIDI reader, then plays the song for a moment, asks its status, stops
// and deletes it.
#include <cstdio>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "fuzz/reader_runs.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Sound and music start once: the synth and its soundfont then serve every input.
    if (!platform::platform_init("headless") || !reef_fuzz::start_music()) {
        std::fprintf(stderr, "fuzz_midi: headless music did not start\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const reef_fuzz::InputFile file("mid");
    if (file.write(data, size)) {
        reef_fuzz::read_midi(file.path(), data, size);
    }
    return 0;
}
