// One call of Game_Main: the Escape test, the frame clock, then the screen state machine.
#include "app/game.h"
#include "app/shell.h"
#include "input/input.h"
#include "platform/window.h"
#include "sound/sound.h"

namespace {

bool key_down(int virtual_key)
{
    return platform::virtual_key_held(virtual_key);
}

// A picture screen: copied straight into the primary surface, no flip, no wait.
void show_picture(BITMAP_IMAGE_TYP& picture)
{
    DDraw_Fill_Surface(lpddsback, 0, nullptr);
    DDraw_Lock_Primary_Surface();
    if (primary_buffer != nullptr) {
        Draw_Bitmap(&picture, primary_buffer, primary_lpitch, 0);
    }
    DDraw_Unlock_Primary_Surface();
}

} // namespace

int Game_Main(void* parms, int num_parms)
{
    (void)parms;
    (void)num_parms;
    static PALETTEENTRY glow = {0, 0, 0, PC_NOCOLLAPSE};
    static int glow_dx = 5;
    static int player_moving = 0;

    if (key_down(VK_ESCAPE)) {
        platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
    }

    Start_Clock();

    // Four separate tests, so leaving one screen runs the next in the same call.
    if (screenstate == SCREEN_TITLE) {
        show_picture(oceanback4);
        if (key_down(VK_SPACE)) {
            screenstate = SCREEN_INSTRUCTIONS;
        }
    }
    if (screenstate == SCREEN_INSTRUCTIONS) {
        show_picture(oceanback2);
        if (key_down(VK_RETURN)) {
            screenstate = SCREEN_PLAY;
        }
    }
    if (screenstate == SCREEN_GAME_OVER) {
        DMusic_Stop(midi_ids[0]);
        DMusic_Stop(midi_ids[1]);
        DSound_Stop_Sound(wav_ids[0]);
        show_picture(oceanback3);
        if (key_down(VK_RETURN)) {
            DSound_Stop_Sound(wav_ids[1]);
            screenstate = SCREEN_PLAY;
        }
    }
    if (screenstate == SCREEN_PLAY) {
        play_frame(glow, glow_dx, player_moving);
    }
    return 1;
}
