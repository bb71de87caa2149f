#include "tools/make_assets/score.h"

#include <algorithm>
#include <cstddef>
#include <sstream>

namespace assets {

namespace {

struct Named {
    const char* name;
    int value;
};

// General MIDI drum keys the songs use.
constexpr Named drum_keys[] = {
    {"kick", 36}, {"side", 37},   {"snare", 38}, {"floor", 41}, {"hat", 42},     {"tomlo", 45},
    {"ohat", 46}, {"tommid", 47}, {"tomhi", 50}, {"crash", 49}, {"ride", 51},    {"bell", 53},
    {"conga", 64}, {"cabasa", 69}, {"tri", 81},
};

// Velocities of the dynamics.
constexpr Named dynamics[] = {
    {"pp", 36}, {"p", 50}, {"mp", 64}, {"mf", 80}, {"f", 96}, {"ff", 112},
};

constexpr int accent = 16;

const Named* find_named(const Named* table, size_t count, const std::string& name)
{
    for (size_t i = 0; i < count; ++i) {
        if (name == table[i].name) {
            return &table[i];
        }
    }
    return nullptr;
}

// "C4", "F#3", "Bb2", or a drum name; -1 when it is neither.
int parse_pitch(const std::string& text)
{
    const Named* drum = find_named(drum_keys, sizeof drum_keys / sizeof drum_keys[0], text);
    if (drum != nullptr) {
        return drum->value;
    }
    static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.size() < 2 || text[0] < 'A' || text[0] > 'G') {
        return -1;
    }
    int key = steps[text[0] - 'A'];
    size_t at = 1;
    if (text[at] == '#' || text[at] == 'b') {
        key += text[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at + 1 != text.size() || text[at] < '0' || text[at] > '8') {
        return -1;
    }
    return key + 12 * (text[at] - '0' + 1);
}

// "q", "h.", "e3": ticks, or 0 when it is not a length.
uint32_t parse_length(const std::string& text)
{
    if (text.empty()) {
        return 0;
    }
    uint32_t ticks = 0;
    switch (text[0]) {
    case 'w': ticks = 4 * score_ticks_per_quarter; break;
    case 'h': ticks = 2 * score_ticks_per_quarter; break;
    case 'q': ticks = score_ticks_per_quarter; break;
    case 'e': ticks = score_ticks_per_quarter / 2; break;
    case 's': ticks = score_ticks_per_quarter / 4; break;
    default: return 0;
    }
    size_t at = 1;
    if (at < text.size() && text[at] == '.') {
        ticks += ticks / 2;
        ++at;
    }
    if (at < text.size() && text[at] == '3') {
        ticks = ticks * 2 / 3;
        ++at;
    }
    return at == text.size() ? ticks : 0;
}

struct HeldNote {
    uint8_t key;
    size_t index;  // into the line's notes
};

} // namespace

bool parse_score(const std::string& text, int transpose, ScoreLine& line, std::string& error)
{
    std::istringstream tokens(text);
    std::string token;
    int velocity = 80;
    std::vector<HeldNote> tied;
    uint32_t now = 0;
    while (tokens >> token) {
        const std::string original = token;
        const Named* dynamic = find_named(dynamics, sizeof dynamics / sizeof dynamics[0], token);
        if (dynamic != nullptr) {
            velocity = dynamic->value;
            continue;
        }
        if (token == "|") {
            if (now % score_ticks_per_bar != 0) {
                error = "bar line after a bar that is not full, near '" + original + "' at tick " +
                        std::to_string(now);
                return false;
            }
            continue;
        }
        if (token == "*") {
            line.pedal_changes.push_back(now);
            continue;
        }
        int note_velocity = velocity;
        if (token[0] == '>') {
            note_velocity = std::min(127, velocity + accent);
            token.erase(0, 1);
        }
        bool tie_out = false;
        if (!token.empty() && token.back() == '~') {
            tie_out = true;
            token.pop_back();
        }
        bool staccato = false;
        if (!token.empty() && token.back() == '\'') {
            staccato = true;
            token.pop_back();
        }
        const size_t colon = token.find(':');
        const uint32_t length = colon == std::string::npos ? 0 : parse_length(token.substr(colon + 1));
        if (length == 0) {
            error = "no length in '" + original + "'";
            return false;
        }
        const uint32_t sounding = staccato ? length / 2 : length;
        std::vector<HeldNote> held;
        const std::string pitches = token.substr(0, colon);
        if (pitches != "r") {
            std::istringstream parts(pitches);
            std::string part;
            while (std::getline(parts, part, '+')) {
                const int pitch = parse_pitch(part);
                const bool drum = !part.empty() && part[0] >= 'a' && part[0] <= 'z';
                const int key = pitch + (drum ? 0 : transpose);
                if (pitch < 0 || key < 0 || key > 127) {
                    error = "bad pitch in '" + original + "'";
                    return false;
                }
                const auto continued = std::find_if(tied.begin(), tied.end(),
                                                    [key](const HeldNote& n) { return n.key == key; });
                size_t index = line.notes.size();
                if (continued != tied.end()) {
                    index = continued->index;
                    line.notes[index].length = now + sounding - line.notes[index].start;
                } else {
                    line.notes.push_back({now, sounding, static_cast<uint8_t>(key),
                                          static_cast<uint8_t>(note_velocity)});
                }
                held.push_back({static_cast<uint8_t>(key), index});
            }
        }
        tied = tie_out ? held : std::vector<HeldNote>();
        now += length;
    }
    if (now % score_ticks_per_bar != 0) {
        error = "the line ends inside a bar, at tick " + std::to_string(now);
        return false;
    }
    line.length = now;
    return true;
}

} // namespace assets
