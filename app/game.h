// The game's world: screens, pictures, sprites, counters and sound ids shared by the
// set-up, the screen flow and the play rules.
#pragma once

#include "gfx/gfx.h"

// Screens of the screen flow, held in `screenstate`.
constexpr int SCREEN_TITLE = 35;
constexpr int SCREEN_INSTRUCTIONS = 15;
constexpr int SCREEN_PLAY = 20;
constexpr int SCREEN_GAME_OVER = 30;

extern int screenstate;
extern int LifeSheild;   // the bubble shield; the round ends at 0 or below
extern int thescore;
extern int highscore;    // best round since the program started
extern int speedtype;    // position on the speed-up ladder, 0..5

extern BITMAP_IMAGE_TYP oceanback;   // play background
extern BITMAP_IMAGE_TYP oceanback2;  // instructions
extern BITMAP_IMAGE_TYP oceanback3;  // game over
extern BITMAP_IMAGE_TYP oceanback4;  // title

extern BOB_TYP swimguy;               // the diver
extern int swimguy_anims[8][4];       // its swimming sequence for each of eight directions
extern BOB_TYP nukebarrels[3];        // [0] holds the frames, [1] and [2] are clones
extern BOB_TYP oilbarrels[3];
extern BOB_TYP bubbleup;              // refills the shield
extern BOB_TYP getall;                // the speed-up token

extern int wav_ids[5];   // [0] the whale call, [1] the round-end sound
extern int midi_ids[5];  // [0] the calm song, [1] the low-shield song
extern char buffer[80];  // file names while loading, status texts in play

// One play frame: the body of Game_Main on the play screen. The three values are
// Game_Main's own statics, kept across frames, rounds and screens.
void play_frame(PALETTEENTRY& glow, int& glow_dx, int& player_moving);
