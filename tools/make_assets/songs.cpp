// The game's two songs, written note by note in the notation of score.h and written
// as standard MIDI files for a General MIDI synth:
//   tmnt-und.mid  the calm underwater theme, D major, 72 beats a minute, about 2¼ minutes;
//   bd.mid        the tense theme for a low shield, E minor, 140 beats a minute, about 1½ minutes.
// The game restarts a song when it ends, so each ends on its tonic and begins again cleanly.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/make_assets/assets.h"
#include "tools/make_assets/midi_writer.h"
#include "tools/make_assets/score.h"
#include "tools/make_assets/wav_writer.h"

namespace assets {

namespace {

// One instrument of a song, on its own track.
struct Voice {
    const char* name;
    uint8_t channel;  // 9 is the drum kit
    uint8_t program;  // General MIDI, counted from 0
    uint8_t volume;
    uint8_t pan;
    uint8_t reverb;
    bool pedal;       // the sustain pedal is held through each bar and changed at bar lines
};

struct Line {
    const char* voice;
    std::string music;
    int transpose;
};

// A stretch of the form; voices without a line rest through it.
struct Section {
    const char* name;
    int bars;
    std::vector<Line> lines;
};

struct TempoMark {
    int bar;  // counted from 0 over the whole form
    int beat;
    double beats_per_minute;
};

struct Song {
    const char* file;
    const char* title;
    int8_t sharps;
    bool minor;
    std::vector<TempoMark> tempo;
    std::vector<Voice> voices;
    std::vector<Section> form;
};

// MIDI controllers set once per voice.
constexpr uint8_t cc_volume = 7;
constexpr uint8_t cc_pan = 10;
constexpr uint8_t cc_expression = 11;
constexpr uint8_t cc_sustain = 64;
constexpr uint8_t cc_reverb = 91;
constexpr uint8_t cc_chorus = 93;

// Bars joined by bar lines.
std::string bars(const std::vector<std::string>& each)
{
    std::string out;
    for (const std::string& bar : each) {
        out += (out.empty() ? "" : " | ") + bar;
    }
    return out;
}

std::string repeat(const std::string& bar, int times)
{
    return bars(std::vector<std::string>(static_cast<size_t>(times), bar));
}

// ---------------------------------------------------------------------------------
// The calm theme: a warm pad and a harp under a vibraphone tune, a flute in the
// middle section and as a descant on the return, soft bass and sparse hand percussion.
// Form: intro, A, A' (cadence to the tonic), B (on the subdominant, a borrowed minor
// chord before the return), A'' with descant, outro slowing down.
// ---------------------------------------------------------------------------------

Song calm_song()
{
    // Harp figures, one bar each, pedalled; '*' changes the pedal at a mid-bar chord change.
    const std::string harp_dmaj7 = "D3:e A3:e C#4:e F#4:e A4:e F#4:e C#4:e A3:e";
    const std::string harp_d = "D3:e A3:e D4:e F#4:e A4:e F#4:e D4:e A3:e";
    const std::string harp_bm7 = "B2:e F#3:e A3:e D4:e F#4:e D4:e A3:e F#3:e";
    const std::string harp_gmaj7 = "G2:e D3:e G3:e B3:e F#4:e D4:e B3:e D3:e";
    const std::string harp_em7 = "E3:e B3:e D4:e G4:e B4:e G4:e D4:e B3:e";
    const std::string harp_fsm7 = "F#2:e C#3:e E3:e A3:e C#4:e A3:e E3:e C#3:e";
    const std::string harp_asus_a = "A2:e E3:e A3:e D4:e * E4:e C#4:e A3:e E3:e";
    const std::string harp_a7sus_a7 = "A2:e E3:e G3:e D4:e * C#4:e G3:e E3:e C#3:e";
    const std::string harp_em7_a7 = "E3:e B3:e D4:e G4:e * A2:e E3:e G3:e C#4:e";
    const std::string harp_em7_gm = "E3:e B3:e D4:e G4:e * G2:e D3:e G3:e Bb3:e";
    const std::string harp_final = "D2:s A2:s D3:s F#3:s A3:s D4:s E4:s F#4:s A4:h";

    // Pad voicings; '~' holds the notes the next chord shares.
    const std::string pad_a = bars({"D3+A3+C#4+F#4:w~", "D3+A3+B3+F#4:w~", "D3+G3+B3+F#4:w",
                                    "E3+A3+D4+E4:h~ E3+A3+C#4+E4:h", "D3+A3+C#4+F#4:w~", "E3+A3+C#4+F#4:w",
                                    "D3+G3+B3+F#4:w", "E3+G3+A3+D4:h~ E3+G3+A3+C#4:h"});
    const std::string pad_a2 = bars({"D3+A3+C#4+F#4:w~", "D3+A3+B3+F#4:w~", "D3+G3+B3+F#4:w",
                                     "E3+A3+D4+E4:h~ E3+A3+C#4+E4:h", "D3+A3+C#4+F#4:w~", "D3+A3+B3+F#4:w",
                                     "E3+G3+B3+D4:h~ E3+G3+A3+C#4:h", "D3+A3+D4+F#4:w"});

    // The tune of A: an opening arpeggio of the tonic seventh, answered by a fall to
    // the sixth degree; the second half climbs higher and comes to rest on the
    // suspended dominant.
    const std::string tune_a = bars({"A4:q C#5:q F#5:h", "E5:q. D5:e B4:h", "D5:q F#5:q A5:q. G5:e",
                                     "E5:h. r:q", "A4:q C#5:q F#5:q. A5:e", "E5:q C#5:q A4:h",
                                     "B4:q D5:e E5:e F#5:h", "D5:h C#5:h"});
    // A': the same opening, then a climb to the high B and a cadence home.
    const std::string tune_a2_opening = bars({"A4:q C#5:q F#5:h", "E5:q. D5:e B4:h", "D5:q F#5:q A5:q. G5:e",
                                              "E5:h F#5:q E5:q"});
    const std::string tune_a2_close = bars({"F#5:q. E5:e F#5:q A5:q", "B5:h. A5:q", "G5:q F#5:q E5:q C#5:q"});

    const std::string bass_a = bars({"D2:h A2:h", "B1:h F#2:h", "G1:h D2:h", "A1:h A1:q C#2:q", "D2:h A2:h",
                                     "F#2:h C#2:h", "G1:h B1:h", "A1:h. C#2:q"});
    const std::string bass_a2_opening = bars({"D2:h A2:h", "B1:h F#2:h", "G1:h D2:h", "A1:h E2:q C#2:q",
                                              "D2:h F#2:h", "B1:h A1:h", "E2:h A1:h"});

    const std::string groove = "kick:q cabasa:e cabasa:e conga:q cabasa:e cabasa:e";

    const Section intro{"intro", 4,
                        {{"pad", "mp " + bars({"D3+A3+C#4+F#4:w~", "D3+G3+B3+F#4:w", "E3+G3+B3+D4:w",
                                              "E3+A3+D4+E4:h~ E3+A3+C#4+E4:h"}), 0},
                         {"harp", "mp " + bars({harp_dmaj7, harp_gmaj7, harp_em7, harp_asus_a}), 0},
                         {"bass", "mp " + bars({"r:w", "r:w", "E2:h. B1:q", "A1:h E2:q C#2:q"}), 0},
                         {"percussion", "p " + bars({"tri:w", "r:w", "r:w", "r:w"}), 0}}};

    const Section a{"A", 8,
                    {{"pad", "mp " + pad_a, 0},
                     {"harp", "mp " + bars({harp_dmaj7, harp_bm7, harp_gmaj7, harp_asus_a, harp_dmaj7, harp_fsm7,
                                           harp_gmaj7, harp_a7sus_a7}), 0},
                     {"vibraphone", "mf " + tune_a, 0},
                     {"bass", "mf " + bass_a, 0},
                     {"percussion", "mp " + bars({"tri:w", "r:w", "r:w", "r:w", "tri:w", "r:w", "r:w", "r:w"}), 0}}};

    const Section a2{"A'", 8,
                     {{"pad", "mp " + pad_a2, 0},
                      {"harp", "mf " + bars({harp_dmaj7, harp_bm7, harp_gmaj7, harp_asus_a, harp_dmaj7, harp_bm7,
                                             harp_em7_a7, harp_d}), 0},
                      {"vibraphone", "f " + tune_a2_opening + " | " + tune_a2_close + " | D5:h. r:q", 0},
                      {"bass", "mf " + bass_a2_opening + " | D2:h. r:q", 0},
                      {"percussion", "mp tri:w | r:w | r:w | r:w | mf " + repeat(groove, 4), 0}}};

    // B: the tune moves to the flute, over the subdominant; a G minor chord borrowed
    // from the minor key darkens the way back.
    const Section b{"B", 8,
                    {{"pad", "mf " + bars({"D3+G3+B3+D4:w", "E3+A3+C#4+F#4:w", "E3+G3+B3+D4:w~",
                                           "E3+G3+A3+D4:h~ E3+G3+A3+C#4:h", "D3+G3+B3+F#4:w~", "D3+A3+B3+F#4:w",
                                           "E3+G3+B3+D4:h D3+G3+Bb3+D4:h", "E3+A3+D4+E4:h~ E3+A3+C#4+E4:h"}), 0},
                     {"harp", "mf " + bars({harp_gmaj7, harp_fsm7, harp_em7, harp_a7sus_a7, harp_gmaj7, harp_bm7,
                                            harp_em7_gm, harp_asus_a}), 0},
                     {"flute", bars({"f D5:q G5:q B5:h", "A5:q. E5:e F#5:h", "E5:q G5:q B5:q. A5:e", "A5:h G5:h",
                                     "F#5:q. G5:e A5:q B5:q", "ff D6:h B5:q A5:q", "f G5:h Bb5:q. A5:e",
                                     "A5:h. r:q"}), 0},
                     {"vibraphone", "mp " + bars({"r:w", "r:w", "r:w", "r:h E5:e D5:e C#5:q", "r:w", "r:w", "r:w",
                                                 "r:h C#5:e E5:e A5:q"}), 0},
                     {"bass", "mf " + bars({"G1:h D2:h", "F#1:h C#2:h", "E2:h B1:h", "A1:h. A1:q", "G1:h D2:h",
                                            "B1:h F#2:h", "E2:h G1:h", "A1:h E2:q C#2:q"}), 0},
                     {"percussion", "mf " + repeat(groove, 7) + " | kick:q cabasa:e cabasa:e conga:q tri:q", 0}}};

    // A'': the tune of A' once more, with the flute floating a descant above it.
    const Section a3{"A''", 8,
                     {{"pad", "mp " + pad_a2, 0},
                      {"harp", "mf " + bars({harp_dmaj7, harp_bm7, harp_gmaj7, harp_asus_a, harp_dmaj7, harp_bm7,
                                             harp_em7_a7, harp_d}), 0},
                      {"vibraphone", "f " + tune_a2_opening + " | " + tune_a2_close + " | D5:w", 0},
                      {"flute", "mp " + bars({"A5:w", "B5:h A5:h", "B5:h D6:h", "B5:h C#6:q A5:q", "A5:w", "D6:w",
                                             "B5:h C#6:h", "A5:w"}), 0},
                      {"bass", "mf " + bass_a2_opening + " | D2:h A1:h", 0},
                      {"percussion", "mf tri+kick:q cabasa:e cabasa:e conga:q cabasa:e cabasa:e | " +
                                         repeat(groove, 7), 0}}};

    const Section outro{"outro", 4,
                        {{"pad", bars({"mp D3+A3+C#4+F#4:w", "D3+G3+B3+F#4:w", "p D3+A3+D4+F#4:w~",
                                       "D3+A3+E4+F#4:w"}), 0},
                         {"harp", bars({"mp " + harp_dmaj7, harp_gmaj7, "p " + harp_d, harp_final}), 0},
                         {"vibraphone", bars({"mp A4:q C#5:q F#5:h", "E5:q. D5:e B4:h", "p A4:q D5:q F#5:q A5:q",
                                              "D6:w"}), 0},
                         {"bass", bars({"mp D2:h A2:h", "G1:h D2:h", "p D2:w", "D2:w"}), 0},
                         {"percussion", "p " + bars({"tri:w", "r:w", "tri:w", "r:w"}), 0}}};

    return {"tmnt-und.mid",
            "Reef Diver: Still Water",
            2,
            false,
            {{0, 0, 72.0}, {38, 0, 66.0}, {38, 2, 62.0}, {39, 0, 56.0}},
            {{"pad", 0, 89, 100, 64, 100, false},
             {"harp", 1, 46, 92, 40, 80, true},
             {"vibraphone", 2, 11, 127, 80, 80, false},
             {"flute", 3, 73, 112, 56, 80, false},
             {"bass", 4, 32, 124, 64, 40, false},
             {"percussion", 9, 0, 127, 72, 70, false}},
            {intro, a, a2, b, a3, outro}};
}

// ---------------------------------------------------------------------------------
// The tense theme: cellos hammer an ostinato in a 3+3+2 pulse over the double basses,
// a horn carries the tune, strings take over in B, a quiet breakdown on a Neapolitan
// F major builds with timpani and a snare roll into the loudest return.
// Form: intro, A, A', B, breakdown, A'' (strings doubling the horn), outro.
// ---------------------------------------------------------------------------------

// One bar of the cello ostinato on a chord: root, octave, root, fifth, with the
// accents of the 3+3+2 pulse.
std::string ostinato(const std::string& root, const std::string& octave, const std::string& fifth)
{
    return ">" + root + ":e' " + octave + ":e' " + root + ":e' >" + fifth + ":e' " + root + ":e' " + octave +
           ":e' >" + root + ":e' " + fifth + ":e'";
}

// One bar of the double basses, on the same pulse.
std::string pulse(const std::string& root)
{
    return root + ":q. " + root + ":q. " + root + ":q";
}

Song tense_song()
{
    const std::string o_em = ostinato("E2", "E3", "B2");
    const std::string o_c = ostinato("C2", "C3", "G2");
    const std::string o_am = ostinato("A2", "A3", "E3");
    const std::string o_b = ostinato("B2", "B3", "F#3");
    const std::string o_d = ostinato("D2", "D3", "A2");
    const std::string o_f = ostinato("F2", "F3", "C3");
    const std::string o_am_b = ">A2:e' A3:e' A2:e' >E3:e' >B2:e' B3:e' B2:e' F#3:e'";

    const std::string rock = "kick:e r:e snare:e kick:e kick:e r:e snare:e r:e";
    const std::string rock_crash = "crash+kick:e r:e snare:e kick:e kick:e r:e snare:e r:e";
    const std::string drive = "kick:e r:e snare:e kick:e r:e kick:e snare:e kick:e";
    const std::string drive_crash = "crash+kick:e r:e snare:e kick:e r:e kick:e snare:e kick:e";
    const std::string fill = "kick:e r:e snare:e r:e snare:s snare:s tomhi:s tomhi:s tommid:s tommid:s floor:s floor:s";
    const std::string hats = "hat:e hat:e hat:e hat:e hat:e hat:e hat:e ohat:e";
    const std::string hats_to_fill = "hat:e hat:e hat:e hat:e r:h";
    const std::string ride = ">ride:e ride:e >ride:e ride:e >ride:e ride:e >ride:e ride:e";
    const std::string timpani_roll = "B2:s B2:s B2:s B2:s B2:s B2:s B2:s B2:s";

    // The tune of A: a rising minor figure that sinks back, a turn over the sixth
    // degree, and the leading note; the second half reaches the high E and climbs
    // the dominant seventh back to the start.
    const std::string tune_a_opening = bars({"E4:q. F#4:e G4:q B4:q", "A4:e G4:e F#4:q E4:h",
                                             "G4:q. A4:e G4:q E4:q", "F#4:h. D#4:q"});
    const std::string tune_a = tune_a_opening + " | " +
                               bars({"E4:q. F#4:e G4:q B4:q", "E5:q. D5:e B4:h", "C5:q B4:e A4:e E4:h",
                                     "D#4:q F#4:q A4:q B4:q"});
    // A': the same opening, then higher, and a full close on the tonic.
    const std::string tune_a2 = tune_a_opening + " | " +
                                bars({"G4:q B4:q E5:q. D5:e", "E5:h D5:q C5:q", "C5:e B4:e A4:q F#4:q D#4:q",
                                      "E4:h. r:q"});

    const std::string tremolo_a = bars({"E5+G5+B5:w", "E5+G5+B5:w", "E5+G5+C6:w", "D#5+F#5+B5:w", "E5+G5+B5:w",
                                        "E5+G5+B5:w", "E5+A5+C6:w", "D#5+F#5+A5:w"});
    const std::string tremolo_a2 = bars({"E5+G5+B5:w", "E5+G5+B5:w", "E5+G5+C6:w", "D#5+F#5+B5:w", "E5+G5+B5:w",
                                         "E5+G5+C6:w", "E5+A5+C6:h D#5+F#5+A5:h", "E5+G5+B5:w"});
    const std::string cello_a = bars({o_em, o_em, o_c, o_b, o_em, o_em, o_am, o_b});
    const std::string cello_a2 = bars({o_em, o_em, o_c, o_b, o_em, o_c, o_am_b, o_em});
    const std::string basses_a = bars({pulse("E1"), pulse("E1"), pulse("C2"), pulse("B1"), pulse("E1"), pulse("E1"),
                                       pulse("A1"), pulse("B1")});
    const std::string basses_a2 = bars({pulse("E1"), pulse("E1"), pulse("C2"), pulse("B1"), pulse("E1"),
                                        pulse("C2"), "A1:q. A1:q. B1:q", pulse("E1")});
    const std::string drums_a = bars({rock_crash, rock, rock, rock, rock, rock, rock, fill});
    const std::string hats_a = repeat(hats, 7) + " | " + hats_to_fill;

    const Section intro{"intro", 4,
                        {{"cello", bars({"mp " + o_em, o_em, "mf " + o_c, o_b}), 0},
                         {"basses", "mf " + bars({"r:w", "r:w", pulse("C2"), pulse("B1")}), 0},
                         {"tremolo", bars({"pp E5+G5+B5:w~", "E5+G5+B5:w", "p E5+G5+C6:w", "D#5+F#5+B5:w"}), 0},
                         {"timpani", "mf " + bars({"E2:w", "r:w", "r:w", "r:w"}), 0},
                         {"drums", bars({"r:w", "r:w", "mp kick:q snare:q kick:q snare:q", "mf " + fill}), 0},
                         {"cymbals", bars({"p " + hats, hats, "mp " + hats, hats_to_fill}), 0}}};

    const Section a{"A", 8,
                    {{"cello", "mf " + cello_a, 0},
                     {"basses", "mf " + basses_a, 0},
                     {"tremolo", "p " + tremolo_a, 0},
                     {"horn", "mf " + tune_a, 0},
                     {"timpani", "f E2:q r:q r:h | " + repeat("r:w", 7), 0},
                     {"drums", "mf " + drums_a, 0},
                     {"cymbals", "mp " + hats_a, 0}}};

    const Section a2{"A'", 8,
                     {{"cello", "mf " + cello_a2, 0},
                      {"basses", "mf " + basses_a2, 0},
                      {"tremolo", "mp " + tremolo_a2, 0},
                      {"horn", "f " + tune_a2, 0},
                      {"timpani", "f E2:q r:q r:h | " + repeat("r:w", 7), 0},
                      {"drums", "mf " + drums_a, 0},
                      {"cymbals", "mp " + hats_a, 0}}};

    // B: the strings sing over the subdominant; the horn holds a slow line beneath
    // and the drums push harder.
    const Section b{"B", 8,
                    {{"cello", "f " + bars({o_am, o_em, o_am, o_b, o_c, o_d, o_b, o_b}), 0},
                     {"basses", "f " + bars({pulse("A1"), pulse("E1"), pulse("A1"), pulse("B1"), pulse("C2"),
                                             pulse("D2"), pulse("B1"), pulse("B1")}), 0},
                     {"strings", "f " + bars({"E5:h. C5:q", "B4:h. G4:q", "A4:q C5:q E5:q A5:q", "F#5:h. D#5:q",
                                              "E5:q. G5:e E5:q C5:q", "F#5:q. A5:e F#5:q D5:q", "D#5:h F#5:h",
                                              "A5:q F#5:q D#5:q B4:q"}), 0},
                     {"horn", "mp " + bars({"C4:w", "B3:w", "C4:w", "D#4:w", "E4:w", "F#4:w", "D#4:w", "F#4:w"}), 0},
                     {"timpani", "f " + bars({"A2:q r:q r:h", "r:w", "r:w", "B2:q r:q r:h", "C3:q r:q r:h",
                                              "D3:q r:q r:h", "B2:q r:q r:h", "r:h " + timpani_roll}), 0},
                     {"drums", "f " + bars({drive_crash, drive, drive, drive, drive_crash, drive, drive, fill}), 0},
                     {"cymbals", "mf " + repeat(ride, 7) + " | " + hats_to_fill, 0}}};

    // The breakdown: the drums fall away to a heartbeat, the harmony slips onto F
    // major a semitone above the tonic, and everything builds back over B.
    const Section breakdown{"breakdown", 8,
                            {{"cello", bars({"p " + o_am, o_am, o_em, o_em, "mp " + o_f, o_f, "mf " + o_b, o_b}), 0},
                             {"basses", bars({"p " + pulse("A1"), pulse("A1"), pulse("E1"), pulse("E1"),
                                              "mp " + pulse("F1"), pulse("F1"), "mf " + pulse("B1"), pulse("B1")}), 0},
                             {"tremolo", bars({"p E4+A4+C5:w", "E4+A4+C5:w", "E4+G4+B4:w", "E4+G4+B4:w",
                                               "mp F4+A4+C5:w", "F4+A4+C5:w", "mf D#4+F#4+B4:w", "D#4+F#4+A4:w"}), 0},
                             {"horn", bars({"p A4:w", "C5:q. B4:e A4:h", "G4:w", "B4:h G4:h", "mp A4:w", "C5:h A4:h",
                                            "mf B4:w", "A4:h F#4:h"}), 0},
                             {"timpani", bars({"p A2:q r:q A2:q r:q", "A2:q r:q A2:q r:q", "E2:q r:q E2:q r:q",
                                               "E2:q r:q E2:q r:q", "mp F2:q r:q F2:q r:q", "F2:q r:q F2:q r:q",
                                               "mf " + timpani_roll + " " + timpani_roll,
                                               "f " + timpani_roll + " ff " + timpani_roll}), 0},
                             {"drums", bars({"p floor:q r:q floor:q side:q", "floor:q r:q floor:q side:q",
                                             "floor:q r:q floor:q side:q", "floor:q r:q floor:q side:q",
                                             "mp floor:q r:q floor:q side:q", "floor:q r:q floor:q side:q",
                                             "mp snare:e snare:e snare:e snare:e mf snare:s snare:s snare:s "
                                             "snare:s snare:s snare:s snare:s snare:s",
                                             "f snare:s snare:s snare:s snare:s snare:s snare:s snare:s snare:s ff "
                                             "snare:s snare:s snare:s snare:s tomhi:s tommid:s tomlo:s floor:s"}), 0}}};

    // A'': the full return, the strings doubling the horn an octave higher.
    const Section a3{"A''", 8,
                     {{"cello", "f " + cello_a2, 0},
                      {"basses", "f " + basses_a2, 0},
                      {"horn", "ff " + tune_a2, 0},
                      {"strings", "f " + tune_a2, 12},
                      {"timpani", "ff E2:q r:q r:h | " + repeat("r:w", 7), 0},
                      {"drums", "f " + bars({rock_crash, rock, rock, rock, rock_crash, rock, rock, fill}), 0},
                      {"cymbals", "mf " + hats_a, 0}}};

    const Section outro{"outro", 4,
                        {{"cello", "f " + bars({o_em, o_c, o_b, ">E2:q r:q r:h"}), 0},
                         {"basses", "f " + bars({pulse("E1"), pulse("C2"), pulse("B1"), ">E1:q r:q r:h"}), 0},
                         {"horn", "f " + bars({"E4:q G4:q B4:q E5:q", "E5:h C5:h", "B4:h D#4:h", ">E4:q r:q r:h"}), 0},
                         {"strings", "f " + bars({"E5+G5:w", "E5+G5:w", "D#5+F#5:w", ">E5+G5+B5:q r:q r:h"}), 0},
                         {"timpani", bars({"f E2:q r:q r:h", "r:w", "mf " + timpani_roll + " f " + timpani_roll,
                                           "ff E2:q r:q r:h"}), 0},
                         {"drums", "f " + bars({rock_crash, rock, fill, "crash+kick:q r:q r:h"}), 0},
                         {"cymbals", "mf " + bars({hats, hats, hats_to_fill, "r:w"}), 0}}};

    return {"bd.mid",
            "Reef Diver: Low Shield",
            1,
            true,
            {{0, 0, 140.0}},
            {{"cello", 0, 42, 104, 44, 40, false},
             {"basses", 1, 43, 100, 64, 30, false},
             {"tremolo", 2, 44, 96, 88, 70, false},
             {"horn", 3, 60, 100, 56, 60, false},
             {"strings", 4, 48, 124, 76, 70, false},
             {"timpani", 5, 47, 100, 64, 50, false},
             {"drums", 9, 0, 110, 64, 40, false},
             {"cymbals", 9, 0, 127, 64, 40, false}},
            {intro, a, a2, b, breakdown, a3, outro}};
}

// ---------------------------------------------------------------------------------
// From the written song to the MIDI file.
// ---------------------------------------------------------------------------------

bool build_voice(const Song& song, const Voice& voice, uint32_t song_end, MidiTrack& track)
{
    const uint8_t channel = voice.channel;
    midi_track_name(track, voice.name);
    midi_program(track, 0, channel, voice.program);
    midi_control(track, 0, channel, cc_volume, voice.volume);
    midi_control(track, 0, channel, cc_expression, 127);
    midi_control(track, 0, channel, cc_pan, voice.pan);
    midi_control(track, 0, channel, cc_reverb, voice.reverb);
    midi_control(track, 0, channel, cc_chorus, 0);
    uint32_t section_start = 0;
    for (const Section& section : song.form) {
        const uint32_t section_ticks = static_cast<uint32_t>(section.bars) * score_ticks_per_bar;
        std::vector<uint32_t> pedal_changes;
        for (uint32_t tick = 0; tick < section_ticks; tick += score_ticks_per_bar) {
            pedal_changes.push_back(section_start + tick);
        }
        for (const Line& line : section.lines) {
            if (std::string(line.voice) != voice.name) {
                continue;
            }
            ScoreLine score;
            std::string error;
            if (!parse_score(line.music, line.transpose, score, error) || score.length != section_ticks) {
                std::fprintf(stderr, "make_assets: %s, %s, %s: %s\n", song.file, section.name, voice.name,
                             error.empty() ? "the line does not fill the section" : error.c_str());
                return false;
            }
            for (const ScoreNote& note : score.notes) {
                midi_note(track, section_start + note.start, note.length, channel, note.key, note.velocity);
            }
            for (uint32_t tick : score.pedal_changes) {
                pedal_changes.push_back(section_start + tick);
            }
        }
        if (voice.pedal) {
            for (uint32_t tick : pedal_changes) {
                midi_control(track, tick, channel, cc_sustain, 0);
                midi_control(track, tick, channel, cc_sustain, 127);
            }
        }
        section_start += section_ticks;
    }
    if (voice.pedal) {
        midi_control(track, song_end, channel, cc_sustain, 0);
    }
    track.end_tick = song_end;
    return true;
}

// Every line must belong to a voice of the song: a misspelt name would silently rest.
bool check_voices(const Song& song)
{
    for (const Section& section : song.form) {
        for (const Line& line : section.lines) {
            bool known = false;
            for (const Voice& voice : song.voices) {
                known = known || std::string(line.voice) == voice.name;
            }
            if (!known) {
                std::fprintf(stderr, "make_assets: %s, %s: no voice called %s\n", song.file, section.name, line.voice);
                return false;
            }
        }
    }
    return true;
}

bool write_song(const std::string& data_dir, const Song& song)
{
    if (!check_voices(song)) {
        return false;
    }
    uint32_t song_end = 0;
    for (const Section& section : song.form) {
        song_end += static_cast<uint32_t>(section.bars) * score_ticks_per_bar;
    }
    std::vector<MidiTrack> tracks(1 + song.voices.size(), MidiTrack{{}, 0});
    MidiTrack& conductor = tracks[0];
    midi_track_name(conductor, song.title);
    midi_time_signature(conductor, 0, 4, 4);
    midi_key_signature(conductor, 0, song.sharps, song.minor);
    for (const TempoMark& mark : song.tempo) {
        const uint32_t tick = static_cast<uint32_t>(mark.bar) * score_ticks_per_bar +
                              static_cast<uint32_t>(mark.beat) * score_ticks_per_quarter;
        midi_tempo(conductor, tick, mark.beats_per_minute);
    }
    conductor.end_tick = song_end;
    for (size_t i = 0; i < song.voices.size(); ++i) {
        if (!build_voice(song, song.voices[i], song_end, tracks[i + 1])) {
            return false;
        }
    }
    return write_binary_file(data_dir + "/Sounds/" + song.file,
                             midi_file_bytes(tracks, static_cast<uint16_t>(score_ticks_per_quarter)));
}

} // namespace

bool write_songs(const std::string& data_dir)
{
    return write_song(data_dir, calm_song()) && write_song(data_dir, tense_song());
}

} // namespace assets
