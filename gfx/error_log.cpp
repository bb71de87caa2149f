// The error log: diagnostic lines appended to a text file or a caller's stream.
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

#include "gfx/gfx.h"

FILE* fp_error = nullptr;

namespace {

// True when the log was opened here (and so is closed here), not handed in.
bool log_owned = false;

} // namespace

int Open_Error_File(const char* filename, FILE* fp_override)
{
    // A log this library opened is closed before another replaces it, so it never leaks.
    if (fp_error != nullptr && log_owned) {
        std::fclose(fp_error);
    }
    fp_error = nullptr;
    log_owned = false;
    if (fp_override != nullptr) {
        fp_error = fp_override;
    } else {
        if (filename == nullptr) {
            return 0;
        }
        fp_error = std::fopen(filename, "w");
        if (fp_error == nullptr) {
            return 0;
        }
        log_owned = true;
    }

    timeval now{};
    gettimeofday(&now, nullptr);
    const time_t seconds = now.tv_sec;
    const auto milliseconds = static_cast<unsigned short>(now.tv_usec / 1000);
    char when[32] = {};
    if (ctime_r(&seconds, when) == nullptr) {
        std::snprintf(when, sizeof when, "%s", "Thu Jan  1 00:00:00 1970\n");
    }
    char stamp[64] = {};
    std::snprintf(stamp, sizeof stamp, "%.19s.%hu, %s", when, milliseconds, when + 20);
    Write_Error("\nOpening Error Output File (%s) on %s\n", filename != nullptr ? filename : "", stamp);

    if (fp_override == nullptr) {
        std::fclose(fp_error);
        fp_error = std::fopen(filename, "a+");
        if (fp_error == nullptr) {
            log_owned = false;
            return 0;
        }
    }
    return 1;
}

int Write_Error(const char* format, ...)
{
    if (format == nullptr || fp_error == nullptr) {
        return 0;
    }
    // Messages are cut at 79 characters, never written past the buffer.
    char message[80];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::fputs(message, fp_error);
    std::fflush(fp_error);
    return 1;
}

int Close_Error_File()
{
    if (fp_error == nullptr) {
        return 0;
    }
    Write_Error("\nClosing Error Output File.");
    if (fp_error != stdout && fp_error != stderr) {
        std::fclose(fp_error);
    }
    fp_error = nullptr;
    log_owned = false;
    return 1;
}
