// Fuzzes the palette text file reader.
#include "fuzz/input_file.h"
#include "fuzz/reader_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const reef_fuzz::InputFile file("pal");
    if (file.write(data, size)) {
        reef_fuzz::read_palette(file.path());
    }
    return 0;
}
