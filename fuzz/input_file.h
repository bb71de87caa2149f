// The file a fuzz target hands to its reader. The readers take a path, so each input
// is written to one file of the process's own, in memory-backed /dev/shm when there
// is one, rewritten for every input and removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace reef_fuzz {

class InputFile {
public:
    explicit InputFile(const char* extension)
    {
        const char* directory = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path_ = std::string(directory) + "/reef-fuzz-" + std::to_string(getpid()) + "." + extension;
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { std::remove(path_.c_str()); }

    const char* path() const { return path_.c_str(); }

    // False when the file could not be written whole.
    bool write(const uint8_t* data, size_t size) const
    {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }

private:
    std::string path_;
};

} // namespace reef_fuzz
