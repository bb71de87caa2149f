// Running the game as the player would, headless, on data the test writes itself:
// small pictures with obstacles where the test wants them, plain sprites, short
// sounds, tiny songs. The game's trace is read back one pass at a time.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace reef_test {

// --- Writing data files -------------------------------------------------------------

inline void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

struct Rgb {
    uint8_t r, g, b;
};

// An 8-bit picture, `pixels` top row first, width a multiple of 4.
inline bool write_bmp8(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                       const std::vector<Rgb>& colours)
{
    std::vector<uint8_t> out;
    const uint32_t image = static_cast<uint32_t>(width * height);
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + 1024 + image);
    put32(out, 0);
    put32(out, 14 + 40 + 1024);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);
    put32(out, image);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 256);
    put32(out, 0);
    for (int i = 0; i < 256; ++i) {
        const Rgb c = i < static_cast<int>(colours.size()) ? colours[static_cast<size_t>(i)] : Rgb{0, 0, 0};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
    }
    return write_bytes(path, out);
}

// Unsigned 8-bit mono samples at 11,025 per second.
inline bool write_wav8(const std::string& path, const std::vector<uint8_t>& samples)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    put32(out, static_cast<uint32_t>(36 + samples.size()));
    for (char c : std::string("WAVEfmt ")) {
        out.push_back(static_cast<uint8_t>(c));
    }
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, 11025);
    put32(out, 11025);
    put16(out, 1);
    put16(out, 8);
    for (char c : std::string("data")) {
        out.push_back(static_cast<uint8_t>(c));
    }
    put32(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return write_bytes(path, out);
}

// A song of one track: a tempo and `notes` quarter-note rests of silence (so the
// mixer output carries only the sound effects), at 120 beats a minute.
inline bool write_silent_midi(const std::string& path, int quarter_notes)
{
    std::vector<uint8_t> track;
    // A controller change at the start and one at the end give the song its length.
    const uint8_t start[] = {0x00, 0xB0, 0x07, 0x64};
    track.insert(track.end(), start, start + sizeof start);
    uint32_t delta = static_cast<uint32_t>(quarter_notes) * 96;
    std::vector<uint8_t> varlen;
    varlen.push_back(static_cast<uint8_t>(delta & 0x7F));
    while ((delta >>= 7) != 0) {
        varlen.insert(varlen.begin(), static_cast<uint8_t>(0x80 | (delta & 0x7F)));
    }
    track.insert(track.end(), varlen.begin(), varlen.end());
    const uint8_t end[] = {0xB0, 0x07, 0x64, 0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.end(), end, end + sizeof end);
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
    out.push_back(static_cast<uint8_t>(track.size() >> 24));
    out.push_back(static_cast<uint8_t>(track.size() >> 16));
    out.push_back(static_cast<uint8_t>(track.size() >> 8));
    out.push_back(static_cast<uint8_t>(track.size()));
    out.insert(out.end(), track.begin(), track.end());
    return write_bytes(path, out);
}

// --- The fixture's game data ----------------------------------------------------------

constexpr uint8_t fixture_water = 1;
constexpr uint8_t fixture_obstacle = 29;
constexpr uint8_t fixture_title = 60;
constexpr uint8_t fixture_instructions = 61;
constexpr uint8_t fixture_game_over = 62;
constexpr uint8_t fixture_diver = 40;  // 40..47 by direction
constexpr uint8_t fixture_nuke = 50;
constexpr uint8_t fixture_oil = 51;
constexpr uint8_t fixture_bubble = 52;
constexpr uint8_t fixture_token = 53;

struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
};

inline std::vector<Rgb> fixture_palette()
{
    std::vector<Rgb> colours(256, Rgb{0, 0, 0});
    colours[fixture_water] = Rgb{0, 40, 120};
    colours[fixture_obstacle] = Rgb{200, 60, 60};
    colours[fixture_title] = Rgb{200, 200, 0};
    colours[fixture_instructions] = Rgb{0, 200, 200};
    colours[fixture_game_over] = Rgb{200, 0, 200};
    for (int k = 0; k < 8; ++k) {
        colours[static_cast<size_t>(fixture_diver + k)] = Rgb{255, static_cast<uint8_t>(100 + k * 10), 0};
    }
    colours[fixture_nuke] = Rgb{255, 255, 0};
    colours[fixture_oil] = Rgb{90, 60, 30};
    colours[fixture_bubble] = Rgb{180, 220, 255};
    colours[fixture_token] = Rgb{255, 0, 0};
    colours[250] = Rgb{0, 255, 0};
    return colours;
}

inline bool make_folder(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// A sprite sheet of `cells` opaque cells of w x h in one row (cells across, one-pixel
// lines between them), `extra_rows` rows of cells in all.
inline bool write_sheet(const std::string& path, int w, int h, int cells, int rows, uint8_t colour)
{
    const int width = ((cells * (w + 1) + 1) + 3) & ~3;
    const int height = rows * (h + 1) + 1;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height), 0);
    for (int row = 0; row < rows; ++row) {
        for (int cell = 0; cell < cells; ++cell) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    pixels[static_cast<size_t>((row * (h + 1) + 1 + y) * width + cell * (w + 1) + 1 + x)] = colour;
                }
            }
        }
    }
    return write_bmp8(path, width, height, pixels, fixture_palette());
}

inline bool write_picture(const std::string& path, uint8_t colour, const std::vector<Box>& obstacles)
{
    std::vector<uint8_t> pixels(640 * 480, colour);
    for (const Box& box : obstacles) {
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) {
                pixels[static_cast<size_t>(y * 640 + x)] = fixture_obstacle;
            }
        }
    }
    return write_bmp8(path, 640, 480, pixels, fixture_palette());
}

// Writes a whole data folder; the play background has the given obstacles.
inline bool write_game_data(const std::string& dir, const std::vector<Box>& obstacles)
{
    bool ok = make_folder(dir) && make_folder(dir + "/Graphics") && make_folder(dir + "/Sounds");
    const std::string g = dir + "/Graphics/";
    ok = ok && write_picture(g + "OCEANBACK.BMP", fixture_water, obstacles);
    ok = ok && write_picture(g + "OCEANBACK2.BMP", fixture_instructions, {});
    ok = ok && write_picture(g + "OCEANBACK3.BMP", fixture_game_over, {});
    ok = ok && write_picture(g + "OCEANBACK4.BMP", fixture_title, {});
    for (int k = 0; k < 8; ++k) {
        ok = ok && write_sheet(g + "SWIMGUY" + std::to_string(k) + ".BMP", 56, 72, 3, 2,
                               static_cast<uint8_t>(fixture_diver + k));
    }
    ok = ok && write_sheet(g + "GENS4.BMP", 72, 84, 4, 1, fixture_nuke);
    ok = ok && write_sheet(g + "OIL2.BMP", 72, 84, 3, 1, fixture_oil);
    ok = ok && write_sheet(g + "BUBUP.BMP", 72, 84, 2, 1, fixture_bubble);
    ok = ok && write_sheet(g + "SPEDUP.BMP", 72, 84, 3, 1, fixture_token);
    std::vector<uint8_t> tone(11025 / 2);
    for (size_t i = 0; i < tone.size(); ++i) {
        tone[i] = (i / 20) % 2 == 0 ? 200 : 56;
    }
    ok = ok && write_wav8(dir + "/Sounds/whale.wav", tone) && write_wav8(dir + "/Sounds/END.wav", tone);
    ok = ok && write_silent_midi(dir + "/Sounds/tmnt-und.mid", 8) && write_silent_midi(dir + "/Sounds/bd.mid", 8);
    return ok;
}

// --- Running the game and reading its trace ---------------------------------------

// One pass of the trace, flattened: "shield", "diver.x", "nuke.1.y", ...
using TracePass = std::map<std::string, long>;

namespace detail {

inline void skip_space(const std::string& s, size_t& i)
{
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])) != 0) {
        ++i;
    }
}

inline bool parse_value(const std::string& s, size_t& i, const std::string& path, TracePass& out)
{
    skip_space(s, i);
    if (i >= s.size()) {
        return false;
    }
    if (s[i] == '{' || s[i] == '[') {
        const bool object = s[i] == '{';
        const char close = object ? '}' : ']';
        ++i;
        for (int index = 0;; ++index) {
            skip_space(s, i);
            if (i < s.size() && s[i] == close) {
                ++i;
                return true;
            }
            std::string key = std::to_string(index);
            if (object) {
                if (s[i] != '"') {
                    return false;
                }
                const size_t end = s.find('"', i + 1);
                key = s.substr(i + 1, end - i - 1);
                i = end + 1;
                skip_space(s, i);
                if (s[i] != ':') {
                    return false;
                }
                ++i;
            }
            if (!parse_value(s, i, path.empty() ? key : path + "." + key, out)) {
                return false;
            }
            skip_space(s, i);
            if (s[i] == ',') {
                ++i;
            }
        }
    }
    char* end = nullptr;
    out[path] = std::strtol(s.c_str() + i, &end, 10);
    if (end == s.c_str() + i) {
        return false;
    }
    i = static_cast<size_t>(end - s.c_str());
    return true;
}

} // namespace detail

inline std::vector<TracePass> read_trace(const std::string& path)
{
    std::vector<TracePass> passes;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        TracePass pass;
        size_t i = 0;
        if (detail::parse_value(line, i, "", pass)) {
            passes.push_back(pass);
        }
    }
    return passes;
}

struct GameRun {
    int exit_status = -1;
    std::vector<TracePass> trace;  // trace[0] is pass 1
    std::string errors;            // what the game wrote to stderr
};

// Runs the game headless with `arguments` added, a key script and a trace.
inline GameRun run_game(const std::string& data_dir, const std::string& keys, const std::string& arguments,
                        const std::string& name)
{
    const std::string key_file = name + ".keys";
    const std::string trace_file = name + ".trace";
    const std::string error_file = name + ".err";
    std::ofstream(key_file) << keys;
    std::remove(trace_file.c_str());
    const std::string command = std::string(REEF_GAME_BINARY) + " --headless --data " + data_dir + " --keys " +
                                key_file + " --trace " + trace_file + " " + arguments + " 2>" + error_file;
    GameRun run;
    const int status = std::system(command.c_str());
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.trace = read_trace(trace_file);
    std::ifstream errors(error_file);
    std::stringstream text;
    text << errors.rdbuf();
    run.errors = text.str();
    return run;
}

} // namespace reef_test
