// The palette text file: 256 records of red, green, blue and flags.
#include <cstdio>

#include "gfx/gfx.h"

int Load_Palette_From_File(const char* filename, PALETTEENTRY* palette)
{
    if (filename == nullptr || palette == nullptr) {
        return 0;
    }
    std::FILE* file = std::fopen(filename, "r");
    if (file == nullptr) {
        return 0;
    }
    for (int index = 0; index < 256; ++index) {
        // Fields the text does not supply keep what the array held.
        PALETTEENTRY& entry = palette[index];
        int red = entry.peRed;
        int green = entry.peGreen;
        int blue = entry.peBlue;
        int flags = entry.peFlags;
        const int fields = std::fscanf(file, "%d %d %d %d", &red, &green, &blue, &flags);
        (void)fields;
        entry.peRed = static_cast<uint8_t>(red);
        entry.peGreen = static_cast<uint8_t>(green);
        entry.peBlue = static_cast<uint8_t>(blue);
        entry.peFlags = static_cast<uint8_t>(flags);
    }
    std::fclose(file);
    return 1;
}

int Save_Palette_To_File(const char* filename, const PALETTEENTRY* palette)
{
    if (filename == nullptr || palette == nullptr) {
        return 0;
    }
    std::FILE* file = std::fopen(filename, "w");
    if (file == nullptr) {
        return 0;
    }
    for (int index = 0; index < 256; ++index) {
        const PALETTEENTRY& entry = palette[index];
        std::fprintf(file, "\n%u %u %u %u", static_cast<unsigned>(entry.peRed), static_cast<unsigned>(entry.peGreen),
                     static_cast<unsigned>(entry.peBlue), static_cast<unsigned>(entry.peFlags));
    }
    std::fclose(file);
    return 1;
}
