#include "app/session.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "app/shell.h"
#include "input/input.h"
#include "platform/headless/headless_input.h"
#include "platform/input.h"
#include "platform/png_writer.h"
#include "sound/sound.h"

namespace {

struct KeyName {
    const char* name;
    int scan_code;
    int virtual_key;  // how a recording sees the key
};

const KeyName key_names[] = {
    {"ESC", DIK_ESCAPE, 27}, {"SPACE", DIK_SPACE, 32}, {"ENTER", DIK_RETURN, 13}, {"UP", DIK_UP, 38},
    {"DOWN", DIK_DOWN, 40},  {"LEFT", DIK_LEFT, 37},   {"RIGHT", DIK_RIGHT, 39},
};

SessionOptions options;
std::vector<KeyEvent> script;
size_t next_event = 0;
std::FILE* trace = nullptr;
std::FILE* record = nullptr;
bool recorded_down[sizeof key_names / sizeof key_names[0]] = {};

void write_bob(std::FILE* out, const BOB_TYP& bob, bool with_velocity)
{
    std::fprintf(out, "{\"x\":%d,\"y\":%d", static_cast<int>(bob.x), static_cast<int>(bob.y));
    if (with_velocity) {
        std::fprintf(out, ",\"yv\":%d", static_cast<int>(bob.yv));
    }
    std::fputc('}', out);
}

void write_trace(long pass)
{
    std::fprintf(trace,
                 "{\"pass\":%ld,\"screen\":%d,\"shield\":%d,\"score\":%d,\"high\":%d,\"speedtype\":%d,"
                 "\"diver\":{\"x\":%d,\"y\":%d,\"anim\":%d,\"frame\":%d},",
                 pass, screenstate, LifeSheild, thescore, highscore, speedtype, static_cast<int>(swimguy.x),
                 static_cast<int>(swimguy.y), swimguy.cur_anim, swimguy.cur_frame);
    const char* names[] = {"nuke", "oil"};
    const BOB_TYP* groups[] = {nukebarrels, oilbarrels};
    for (int g = 0; g < 2; ++g) {
        std::fprintf(trace, "\"%s\":[", names[g]);
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                std::fputc(',', trace);
            }
            write_bob(trace, groups[g][i], true);
        }
        std::fputs("],", trace);
    }
    std::fputs("\"bubble\":", trace);
    write_bob(trace, bubbleup, false);
    std::fputs(",\"token\":", trace);
    write_bob(trace, getall, false);
    std::fprintf(trace, ",\"glow\":%d,\"song\":%d}\n", palette[29].peGreen, dm_active_id);
}

void before_pass(long pass)
{
    while (next_event < script.size() && script[next_event].pass <= pass) {
        const KeyEvent& event = script[next_event++];
        if (event.down) {
            platform::headless::press_key(event.scan_code);
        } else {
            platform::headless::release_key(event.scan_code);
        }
    }
}

// A recording writes the keys as this pass's Game_Main saw them, so that applying them
// before the same pass replays the session.
void record_keys(long pass)
{
    for (size_t i = 0; i < sizeof key_names / sizeof key_names[0]; ++i) {
        const bool down = platform::virtual_key_held(key_names[i].virtual_key);
        if (down != recorded_down[i]) {
            recorded_down[i] = down;
            std::fprintf(record, "%ld %s %s\n", pass, key_names[i].name, down ? "down" : "up");
        }
    }
}

bool after_pass(long pass)
{
    if (record != nullptr) {
        record_keys(pass);
    }
    if (trace != nullptr) {
        write_trace(pass);
    }
    for (const auto& shot : options.shots) {
        if (shot.first == pass && !platform::capture_png(shot.second.c_str())) {
            std::fprintf(stderr, "reefdiver: cannot write the screenshot %s\n", shot.second.c_str());
        }
    }
    return options.frames == 0 || pass < options.frames;
}

std::FILE* open_output(const std::string& name, std::string& error)
{
    std::FILE* file = std::fopen(name.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write " + name;
    }
    return file;
}

} // namespace

bool parse_key_script(const std::string& text, const std::string& origin, std::vector<KeyEvent>& events,
                      std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string pass_text;
        std::string key;
        std::string state;
        std::string extra;
        if (!(words >> pass_text)) {
            continue;
        }
        const std::string where = origin + ":" + std::to_string(number) + ": ";
        char* end = nullptr;
        const long pass = std::strtol(pass_text.c_str(), &end, 10);
        if (*end != '\0' || pass < 1) {
            error = where + "the pass must be a number from 1 on";
            return false;
        }
        if (!(words >> key >> state) || (words >> extra)) {
            error = where + "expected PASS KEY down|up";
            return false;
        }
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
        const KeyName* named = nullptr;
        for (const KeyName& candidate : key_names) {
            if (key == candidate.name) {
                named = &candidate;
            }
        }
        if (named == nullptr) {
            error = where + "unknown key " + key + " (ESC SPACE ENTER UP DOWN LEFT RIGHT)";
            return false;
        }
        if (state != "down" && state != "up") {
            error = where + "a key is down or up, not " + state;
            return false;
        }
        events.push_back(KeyEvent{pass, named->scan_code, state == "down"});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.pass < b.pass; });
    return true;
}

bool session_start(const SessionOptions& session, std::string& error)
{
    options = session;
    script.clear();
    next_event = 0;
    if (!options.keys_file.empty()) {
        std::ifstream file(options.keys_file);
        if (!file) {
            error = "cannot read the key script " + options.keys_file;
            return false;
        }
        std::stringstream text;
        text << file.rdbuf();
        if (!parse_key_script(text.str(), options.keys_file, script, error)) {
            return false;
        }
    }
    if (!options.trace_file.empty() && (trace = open_output(options.trace_file, error)) == nullptr) {
        return false;
    }
    if (!options.record_file.empty()) {
        record = open_output(options.record_file, error);
        if (record == nullptr) {
            return false;
        }
        std::fputs("# reefdiver key recording: PASS KEY down|up\n", record);
    }
    return true;
}

void session_observe()
{
    shell_observer = ShellObserver{before_pass, after_pass};
}

void session_finish()
{
    shell_observer = ShellObserver{nullptr, nullptr};
    for (std::FILE** file : {&trace, &record}) {
        if (*file != nullptr) {
            std::fclose(*file);
            *file = nullptr;
        }
    }
}
