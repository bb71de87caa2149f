// A small written notation for the songs, one line of music per string, read into
// notes with times in ticks.
//
// Tokens, separated by spaces:
//   C4:q  F#5:h.  Bb3:e3   a note: pitch (C4 is middle C, key 60), ':' and a length
//                          (w h q e s, '.' dotted, '3' triplet)
//   D3+A3+F#4:w            a chord: pitches joined by '+'
//   r:q                    a rest
//   kick:e  hat:e  ...     drum sounds of the General MIDI kit, by name (see score.cpp)
//   >E4:q                  an accent: louder than the current dynamic
//   E2:e'                  staccato: sounds for half its length
//   A4:h~ A4:q             a tie: the next note of the same pitch continues this one
//   pp p mp mf f ff        the dynamic of the notes that follow
//   *                      a pedal change in the middle of a bar (voices with a pedal
//                          also change it at every bar line)
//   |                      a bar line: the music before it must fill whole bars
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

constexpr uint32_t score_ticks_per_quarter = 480;
constexpr uint32_t score_ticks_per_bar = 4 * score_ticks_per_quarter;  // every song is in 4/4

struct ScoreNote {
    uint32_t start;   // ticks from the start of the line
    uint32_t length;  // how long it sounds
    uint8_t key;
    uint8_t velocity;
};

struct ScoreLine {
    std::vector<ScoreNote> notes;
    std::vector<uint32_t> pedal_changes;  // ticks of the '*' marks
    uint32_t length = 0;                  // ticks the line lasts, rests included
};

// Reads `text`, moving every pitch by `transpose` semitones. False, with `error`
// naming the token, for anything it does not understand or a bar that is not full.
bool parse_score(const std::string& text, int transpose, ScoreLine& line, std::string& error);

} // namespace assets
