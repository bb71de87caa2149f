// Fuzzes the BMP loader, then cuts images and sprite frames from what it loaded.
#include <cstdio>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "fuzz/reader_runs.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The display comes up once: sprite frames are surfaces of it.
    if (!platform::platform_init("headless") || !reef_fuzz::start_display()) {
        std::fprintf(stderr, "fuzz_bitmap: the headless display did not start\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const reef_fuzz::InputFile file("bmp");
    if (file.write(data, size)) {
        reef_fuzz::read_bitmap(file.path(), data, size);
    }
    return 0;
}
