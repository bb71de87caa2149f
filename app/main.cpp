// reefdiver: the game's command line, then the shell.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/session.h"
#include "app/shell.h"
#include "platform/headless/headless_audio.h"
#include "platform/platform.h"

namespace {

const char* const usage_text =
    "usage: reefdiver [--windowed] [--scale N] [--data DIR] [--record FILE]\n"
    "       reefdiver --headless [--frames N] [--keys FILE] [--shot PASS:FILE.png]...\n"
    "                 [--trace FILE] [--audio FILE.wav] [--data DIR]\n"
    "\n"
    "Reef Diver: steer the diver with the arrow keys, catch the barrels before they reach\n"
    "the reef. Space leaves the title, Enter starts a round, Escape quits.\n"
    "\n"
    "  --windowed          play in a window instead of full screen (Alt+Enter switches)\n"
    "  --scale N           window size: N times 640x480 (implies --windowed)\n"
    "  --data DIR          the folder holding Graphics/ and Sounds/ (default: the current\n"
    "                      folder if it holds Graphics/, else the data built with the game)\n"
    "  --record FILE       write the keys of this session as a key script (see --keys)\n"
    "  --headless          no window, no sound device; a virtual clock (for tests and tools)\n"
    "  --frames N          headless: stop after pass N (one pass = one frame of the loop)\n"
    "  --keys FILE         replay a key script: lines \"PASS KEY down|up\", KEY one of\n"
    "                      ESC SPACE ENTER UP DOWN LEFT RIGHT; # starts a comment\n"
    "  --shot PASS:FILE    save the screen after that pass as a 640x480 PNG (repeatable)\n"
    "  --trace FILE        write the game state after every pass, one JSON object a line\n"
    "  --audio FILE.wav    headless: write all sound and music produced to a WAV file\n"
    "  --help              this text\n";

int bad_option(const std::string& message)
{
    std::fprintf(stderr, "reefdiver: %s\n(try reefdiver --help)\n", message.c_str());
    return 2;
}

bool parse_count(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 && value < LONG_MAX;
}

// Files named on the command line are taken from where the game was started, although
// it then runs in its data folder.
std::string absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/') {
        return path;
    }
    char here[PATH_MAX] = {};
    return getcwd(here, sizeof here) != nullptr ? std::string(here) + "/" + path : path;
}

bool is_folder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The data made with the game: beside the build's app folder.
std::string built_data_folder()
{
    char exe[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) {
        return "";
    }
    std::string folder(exe, static_cast<size_t>(length));
    folder = folder.substr(0, folder.rfind('/'));
    return folder + "/../data";
}

// Names each data file the game will not find; the game runs on without it.
void report_missing_files()
{
    static const char* const files[] = {
        "Graphics/OCEANBACK.BMP", "Graphics/OCEANBACK2.BMP", "Graphics/OCEANBACK3.BMP", "Graphics/OCEANBACK4.BMP",
        "Graphics/SWIMGUY0.BMP",  "Graphics/SWIMGUY1.BMP",   "Graphics/SWIMGUY2.BMP",   "Graphics/SWIMGUY3.BMP",
        "Graphics/SWIMGUY4.BMP",  "Graphics/SWIMGUY5.BMP",   "Graphics/SWIMGUY6.BMP",   "Graphics/SWIMGUY7.BMP",
        "Graphics/GENS4.BMP",     "Graphics/OIL2.BMP",       "Graphics/BUBUP.BMP",      "Graphics/SPEDUP.BMP",
        "Sounds/whale.wav",       "Sounds/END.wav",          "Sounds/tmnt-und.mid",     "Sounds/bd.mid",
    };
    for (const char* file : files) {
        if (access(file, R_OK) != 0) {
            std::fprintf(stderr, "reefdiver: missing data file %s\n", file);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool headless = false;
    std::string data_dir;
    std::string audio_file;
    SessionOptions session;
    platform::PresentOptions present{false, 0};

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage_text, stdout);
            return 0;
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--windowed") {
            present.windowed = true;
        } else if (arg == "--scale") {
            if (!has_value || !parse_count(argv[++i], number) || number > 16) {
                return bad_option("--scale takes a whole number from 1 to 16");
            }
            present.windowed = true;
            present.scale = static_cast<int>(number);
        } else if (arg == "--frames") {
            if (!has_value || !parse_count(argv[++i], number)) {
                return bad_option("--frames takes a number of passes from 1 on");
            }
            session.frames = number;
        } else if (arg == "--shot") {
            const std::string value = has_value ? argv[++i] : "";
            const size_t colon = value.find(':');
            if (colon == std::string::npos || colon + 1 == value.size() ||
                !parse_count(value.substr(0, colon).c_str(), number)) {
                return bad_option("--shot takes PASS:FILE.png");
            }
            session.shots.emplace_back(number, absolute(value.substr(colon + 1)));
        } else if (arg == "--keys" || arg == "--trace" || arg == "--audio" || arg == "--data" ||
                   arg == "--record") {
            if (!has_value) {
                return bad_option(arg + " takes a file name");
            }
            const std::string value = absolute(argv[++i]);
            if (arg == "--keys") {
                session.keys_file = value;
            } else if (arg == "--trace") {
                session.trace_file = value;
            } else if (arg == "--audio") {
                audio_file = value;
            } else if (arg == "--data") {
                data_dir = value;
            } else {
                session.record_file = value;
            }
        } else {
            return bad_option("unknown option " + arg);
        }
    }
    const bool scripted = session.frames > 0 || !session.keys_file.empty() || !session.shots.empty() ||
                          !session.trace_file.empty() || !audio_file.empty();
    if (scripted && !headless) {
        return bad_option("--frames, --keys, --shot, --trace and --audio go with --headless");
    }
    if (headless && (present.windowed || !session.record_file.empty())) {
        return bad_option("--windowed, --scale and --record need the window (drop --headless)");
    }

    if (data_dir.empty()) {
        data_dir = is_folder("Graphics") ? "." : built_data_folder();
    }
    if (!is_folder(data_dir) || chdir(data_dir.c_str()) != 0) {
        std::fprintf(stderr, "reefdiver: no data folder at %s; the game runs without pictures and sounds\n",
                     data_dir.c_str());
    }
    report_missing_files();

    std::string error;
    if (!session_start(session, error)) {
        return bad_option(error);
    }

    platform::platform_set_present_options(present);
    if (!platform::platform_init(headless ? "headless" : "sdl")) {
        std::fprintf(stderr, "reefdiver: no display could be opened (try --headless)\n");
        session_finish();
        return 1;
    }
    if (!audio_file.empty() && !platform::headless::audio_capture_start(audio_file.c_str())) {
        session_finish();
        platform::platform_shutdown();
        return bad_option("cannot write " + audio_file);
    }

    session_observe();
    const int result = WinMain(platform::instance(), nullptr, nullptr, 0);
    session_finish();
    if (!audio_file.empty() && !platform::headless::audio_capture_stop()) {
        std::fprintf(stderr, "reefdiver: %s was not written completely\n", audio_file.c_str());
    }
    platform::platform_shutdown();
    return result;
}
