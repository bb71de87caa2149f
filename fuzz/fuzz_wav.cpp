// Fuzzes the WAV reader, then plays the sound and a copy of it, asks their status
// and deletes them.
#include <cstdio>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "fuzz/reader_runs.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The headless mixer runs on virtual time: playing costs no waiting.
    if (!platform::platform_init("headless") || !reef_fuzz::start_sound()) {
        std::fprintf(stderr, "fuzz_wav: headless sound did not start\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const reef_fuzz::InputFile file("wav");
    if (file.write(data, size)) {
        reef_fuzz::read_wav(file.path(), data, size);
    }
    return 0;
}
