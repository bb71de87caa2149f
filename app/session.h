// What the game does around its frames when asked on the command line: replaying a key
// script, recording one, screenshots, a trace of the game state, a frame limit.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct SessionOptions {
    long frames = 0;                                     // stop after this pass (0: never)
    std::string keys_file;                               // key script to replay
    std::string record_file;                             // key script to write
    std::string trace_file;                              // one JSON object per pass
    std::vector<std::pair<long, std::string>> shots;     // pass -> PNG file
};

// Reads the key script and opens the output files; false with a message in `error`.
bool session_start(const SessionOptions& options, std::string& error);
// Installs itself as the shell's observer of the frame loop.
void session_observe();
// Closes what session_start opened.
void session_finish();

// Key script lines: "PASS KEY down|up" with KEY one of ESC SPACE ENTER UP DOWN LEFT
// RIGHT; '#' starts a comment. Parses `text` (named `origin` in messages).
struct KeyEvent {
    long pass;
    int scan_code;
    bool down;
};
bool parse_key_script(const std::string& text, const std::string& origin, std::vector<KeyEvent>& events,
                      std::string& error);
