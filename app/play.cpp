// The play screen: one frame composed in the back surface, flipped, and paced.
#include <cstdio>
#include <cstdlib>

#include "app/game.h"
#include "input/input.h"
#include "sound/sound.h"

namespace {

constexpr int obstacle = 29;
constexpr int inset = 16;
constexpr int step = 2;
constexpr int shield_at_start = 9;
constexpr int low_shield = 3;
constexpr COLORREF status_colour = 0x00FF00;  // pure green
constexpr uint32_t frame_time = 30;

struct Steering {
    int keys[2];  // both must be down; 0 = no second key
    int dx;
    int dy;
    int animation;
};

// Tried in order; the first whose keys are all down wins.
const Steering steering[] = {
    {{DIK_RIGHT, DIK_UP}, step, -step, 1}, {{DIK_LEFT, DIK_UP}, -step, -step, 3},
    {{DIK_LEFT, DIK_DOWN}, -step, step, 5}, {{DIK_RIGHT, DIK_DOWN}, step, step, 7},
    {{DIK_RIGHT, 0}, step, 0, 0},           {{DIK_LEFT, 0}, -step, 0, 4},
    {{DIK_UP, 0}, 0, -step, 2},             {{DIK_DOWN, 0}, 0, step, 6},
};

void respawn(BOB_TYP& bob)
{
    Set_Pos_BOB(&bob, std::rand() % 600, -20);
}

// Does the sprite's inner rectangle touch an obstacle pixel in the back surface as
// composed so far? A back surface that could not be locked has no obstacles.
bool touches_obstacle(const BOB_TYP& bob)
{
    if (back_buffer == nullptr) {
        return false;
    }
    const int x1 = static_cast<int>(bob.x + inset);
    const int y1 = static_cast<int>(bob.y + inset);
    const int x2 = static_cast<int>(bob.x + static_cast<float>(bob.width - inset));
    const int y2 = static_cast<int>(bob.y + static_cast<float>(bob.height - inset));
    return Color_Scan(x1, y1, x2, y2, obstacle, obstacle, back_buffer, back_lpitch) == 1;
}

// A barrel falls, animates, and either reaches the reef (costing shield) or is caught
// (scoring); either way it goes back to the top.
void drop_barrels(BOB_TYP* barrels, int shield_cost, int score)
{
    for (int i = 0; i < 3; ++i) {
        BOB_TYP& barrel = barrels[i];
        Move_BOB(&barrel);
        Animate_BOB(&barrel);
        DDraw_Lock_Back_Surface();
        if (touches_obstacle(barrel)) {
            respawn(barrel);
            LifeSheild -= shield_cost;
        }
        if (Collision_BOBS(&barrel, &swimguy) == 1) {
            respawn(barrel);
            thescore += score;
        }
        DDraw_Unlock_Back_Surface();
    }
    for (int i = 2; i >= 0; --i) {
        Draw_BOB(&barrels[i], lpddsback);
    }
}

void speed_up()
{
    BOB_TYP* ladder[] = {&oilbarrels[0], &oilbarrels[1], &oilbarrels[2],
                         &nukebarrels[0], &nukebarrels[1], &nukebarrels[2]};
    Set_Vel_BOB(ladder[speedtype], 0, 2);
    if (speedtype < 5) {
        ++speedtype;
    }
}

void end_round()
{
    DSound_Play(wav_ids[1], 0, 0, 0, 0);
    if (thescore > highscore) {
        highscore = thescore;
    }
    LifeSheild = shield_at_start;
    thescore = 0;
    speedtype = 0;
    Set_Pos_BOB(&swimguy, 0, 128);
    respawn(bubbleup);
    for (BOB_TYP& barrel : nukebarrels) {
        respawn(barrel);
        Set_Vel_BOB(&barrel, 0, 1);
    }
    for (BOB_TYP& barrel : oilbarrels) {
        respawn(barrel);
        Set_Vel_BOB(&barrel, 0, 1);
    }
    screenstate = SCREEN_GAME_OVER;
}

} // namespace

void play_frame(PALETTEENTRY& glow, int& glow_dx, int& player_moving)
{
    DDraw_Fill_Surface(lpddsback, 0, nullptr);
    DDraw_Lock_Back_Surface();
    if (back_buffer != nullptr) {
        Draw_Bitmap(&oceanback, back_buffer, back_lpitch, 0);
    }
    DDraw_Unlock_Back_Surface();

    DInput_Read_Keyboard();
    player_moving = 0;

    if (LifeSheild > low_shield && DMusic_Status_MIDI(midi_ids[0]) == SONG_STOPPED) {
        DMusic_Play(midi_ids[0]);
    }
    if (LifeSheild <= low_shield && DMusic_Status_MIDI(midi_ids[1]) == SONG_STOPPED) {
        DMusic_Play(midi_ids[1]);
    }

    int dx = 0;
    int dy = 0;
    for (const Steering& row : steering) {
        const bool first = keyboard_state[row.keys[0]] != 0;
        const bool second = row.keys[1] == 0 || keyboard_state[row.keys[1]] != 0;
        if (first && second) {
            dx = row.dx;
            dy = row.dy;
            swimguy.x += static_cast<float>(dx);
            swimguy.y += static_cast<float>(dy);
            player_moving = 1;
            if (swimguy.cur_anim != row.animation) {
                Set_Animation_BOB(&swimguy, row.animation);
            }
            break;
        }
    }

    if (player_moving == 1) {
        Animate_BOB(&swimguy);
        // Into an obstacle: both axes are undone, so the diver stops rather than slides.
        DDraw_Lock_Back_Surface();
        if (touches_obstacle(swimguy)) {
            swimguy.x -= static_cast<float>(dx);
            swimguy.y -= static_cast<float>(dy);
        }
        DDraw_Unlock_Back_Surface();
        // Against a screen edge only the axis that left is undone: the diver slides.
        if (swimguy.x < 0 || swimguy.x > screen_width - swimguy.width) {
            swimguy.x -= static_cast<float>(dx);
        }
        if (swimguy.y < 0 || swimguy.y > screen_height - swimguy.height) {
            swimguy.y -= static_cast<float>(dy);
        }
    }

    Draw_BOB(&swimguy, lpddsback);

    drop_barrels(nukebarrels, 3, 10);
    drop_barrels(oilbarrels, 1, 5);

    Move_BOB(&bubbleup);
    Animate_BOB(&bubbleup);
    DDraw_Lock_Back_Surface();
    if (touches_obstacle(bubbleup)) {
        respawn(bubbleup);
    }
    if (Collision_BOBS(&bubbleup, &swimguy) == 1) {
        respawn(bubbleup);
        LifeSheild += 2;
        DSound_Play(wav_ids[0], 0, 0, 0, 0);
    }
    DDraw_Unlock_Back_Surface();
    Draw_BOB(&bubbleup, lpddsback);

    Move_BOB(&getall);
    Animate_BOB(&getall);
    DDraw_Lock_Back_Surface();
    if (touches_obstacle(getall)) {
        respawn(getall);
    }
    if (Collision_BOBS(&getall, &swimguy) == 1) {
        respawn(getall);
        speed_up();
    }
    DDraw_Unlock_Back_Surface();
    Draw_BOB(&getall, lpddsback);

    // Entry 29 glows: its green runs up and down in steps of five.
    glow.peGreen = static_cast<uint8_t>(glow.peGreen + glow_dx);
    if (glow.peGreen == 0 || glow.peGreen == 255) {
        glow_dx = -glow_dx;
    }
    Set_Palette_Entry(obstacle, &glow);

    std::snprintf(buffer, sizeof buffer, "Score : %d", thescore);
    Draw_Text_GDI(buffer, 300, 0, status_colour, lpddsback);
    std::snprintf(buffer, sizeof buffer, "Bubble Shield : %d", LifeSheild);
    Draw_Text_GDI(buffer, 35, 0, status_colour, lpddsback);
    std::snprintf(buffer, sizeof buffer, "High Score : %d", highscore);
    Draw_Text_GDI(buffer, 450, 0, status_colour, lpddsback);

    if (LifeSheild <= 0) {
        end_round();
    }

    DDraw_Flip();
    Wait_Clock(frame_time);
}
