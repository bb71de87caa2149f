// Bringing the game up and down: libraries in a fixed order, every asset loaded once.
#include <cstdio>
#include <cstdlib>

#include "app/game.h"
#include "app/shell.h"
#include "input/input.h"
#include "platform/display.h"
#include "platform/window.h"
#include "sound/sound.h"

int screenstate = SCREEN_TITLE;
int LifeSheild = 9;
int thescore = 0;
int highscore = 0;
int speedtype = 0;

BITMAP_IMAGE_TYP oceanback;
BITMAP_IMAGE_TYP oceanback2;
BITMAP_IMAGE_TYP oceanback3;
BITMAP_IMAGE_TYP oceanback4;

BOB_TYP swimguy;
int swimguy_anims[8][4] = {
    {0, 1, 0, 2},     {4, 5, 4, 6},     {8, 9, 8, 10},    {12, 13, 12, 14},
    {16, 17, 16, 18}, {20, 21, 20, 22}, {24, 25, 24, 26}, {28, 29, 28, 30},
};
BOB_TYP nukebarrels[3];
BOB_TYP oilbarrels[3];
BOB_TYP bubbleup;
BOB_TYP getall;

int wav_ids[5] = {};
int midi_ids[5] = {};
char buffer[80] = {};

namespace {

constexpr int frame_memory = DDSCAPS_SYSTEMMEMORY;
constexpr int sprite_attr = BOB_VISIBLE | BOB_MULTI_FRAME;
constexpr int diver_attr = BOB_VISIBLE | BOB_MULTI_ANIM;
constexpr int sound_controls = 224;  // frequency, pan and volume

// A 640x480 picture filled from its file; the file's palette becomes the display's.
void load_picture(BITMAP_IMAGE_TYP& picture, const char* filename)
{
    Load_Bitmap_File(&bitmap16bit, filename);
    Set_Palette(bitmap16bit.palette);
    Create_Bitmap(&picture, 0, 0, 640, 480, 8);
    Load_Image_Bitmap(&picture, &bitmap16bit, 0, 0, 1);
    Unload_Bitmap_File(&bitmap16bit);
}

void place_at_top(BOB_TYP& bob)
{
    Set_Pos_BOB(&bob, std::rand() % 600, -20);
}

// A falling sprite with its frames cut from cells (i, 0) of the loaded sheet, and, for
// the barrels, two clones sharing those frames.
void make_falling(BOB_TYP* bobs, int count, int frames, int anim_speed, int yv)
{
    Create_BOB(&bobs[0], 0, 0, 72, 84, frames, sprite_attr, frame_memory, 0, 8);
    Set_Anim_Speed_BOB(&bobs[0], anim_speed);
    Set_Vel_BOB(&bobs[0], 0, yv);
    place_at_top(bobs[0]);
    for (int frame = 0; frame < frames; ++frame) {
        Load_Frame_BOB(&bobs[0], &bitmap16bit, frame, frame % 6, frame / 6, 0);
    }
    for (int i = 1; i < count; ++i) {
        Clone_BOB(&bobs[0], &bobs[i]);
        Set_Vel_BOB(&bobs[i], 0, yv);
        place_at_top(bobs[i]);
    }
}

} // namespace

int Game_Init(void* parms, int num_parms)
{
    (void)parms;
    (void)num_parms;

    DDraw_Init(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0);

    DInput_Init();
    DInput_Init_Keyboard();

    load_picture(oceanback, "Graphics/OCEANBACK.BMP");

    if (!Create_BOB(&swimguy, 0, 0, 56, 72, 32, diver_attr, frame_memory, 0, 8)) {
        return 0;
    }
    char filename[80];
    for (int k = 0; k < 8; ++k) {
        std::snprintf(filename, sizeof filename, "Graphics/SWIMGUY%d.BMP", k);
        Load_Bitmap_File(&bitmap16bit, filename);
        Load_Frame_BOB(&swimguy, &bitmap16bit, 4 * k + 0, 0, 0, 0);
        Load_Frame_BOB(&swimguy, &bitmap16bit, 4 * k + 1, 1, 0, 0);
        Load_Frame_BOB(&swimguy, &bitmap16bit, 4 * k + 2, 2, 0, 0);
        Load_Frame_BOB(&swimguy, &bitmap16bit, 4 * k + 3, 0, 1, 0);
        Unload_Bitmap_File(&bitmap16bit);
        Load_Animation_BOB(&swimguy, k, 4, swimguy_anims[k]);
    }
    Set_Animation_BOB(&swimguy, 0);
    Set_Anim_Speed_BOB(&swimguy, 4);
    Set_Vel_BOB(&swimguy, 0, 0);
    Set_Pos_BOB(&swimguy, 0, 128);

    // Sprites drawn into the back surface are clipped to the screen. This clipper takes
    // the place of the one DDraw_Init attached, whose handle is let go rather than leaked.
    const RECT screen_rect{0, 0, screen_width, screen_height};
    platform::Clipper* const display_clipper = lpddclipper;
    lpddclipper = DDraw_Attach_Clipper(lpddsback, 1, &screen_rect);
    if (display_clipper != nullptr) {
        platform::clipper_release(display_clipper);
    }

    platform::window_show_cursor(false);

    DSound_Init();
    DMusic_Init();

    std::snprintf(buffer, sizeof buffer, "%s", "Sounds/whale.wav");
    wav_ids[0] = DSound_Load_WAV(buffer, sound_controls);
    std::snprintf(buffer, sizeof buffer, "%s", "Sounds/END.wav");
    wav_ids[1] = DSound_Load_WAV(buffer, sound_controls);

    std::snprintf(buffer, sizeof buffer, "%s", "Sounds/tmnt-und.mid");
    midi_ids[0] = DMusic_Load_MIDI(buffer);
    std::snprintf(buffer, sizeof buffer, "%s", "Sounds/bd.mid");
    midi_ids[1] = DMusic_Load_MIDI(buffer);

    Load_Bitmap_File(&bitmap16bit, "Graphics/GENS4.BMP");
    make_falling(nukebarrels, 3, 4, 1, 1);
    Unload_Bitmap_File(&bitmap16bit);

    Load_Bitmap_File(&bitmap16bit, "Graphics/OIL2.BMP");
    make_falling(oilbarrels, 3, 3, 4, 1);
    Unload_Bitmap_File(&bitmap16bit);

    Load_Bitmap_File(&bitmap16bit, "Graphics/BUBUP.BMP");
    make_falling(&bubbleup, 1, 2, 15, 4);
    Unload_Bitmap_File(&bitmap16bit);

    Load_Bitmap_File(&bitmap16bit, "Graphics/SPEDUP.BMP");
    make_falling(&getall, 1, 3, 15, 4);
    Unload_Bitmap_File(&bitmap16bit);

    load_picture(oceanback2, "Graphics/OCEANBACK2.BMP");
    load_picture(oceanback3, "Graphics/OCEANBACK3.BMP");
    load_picture(oceanback4, "Graphics/OCEANBACK4.BMP");
    return 1;
}

int Game_Shutdown(void* parms, int num_parms)
{
    (void)parms;
    (void)num_parms;

    Destroy_Bitmap(&oceanback4);
    Destroy_Bitmap(&oceanback3);
    Destroy_Bitmap(&oceanback2);

    Destroy_BOB(&getall);
    Destroy_BOB(&bubbleup);
    for (BOB_TYP& bob : oilbarrels) {
        Destroy_BOB(&bob);
    }
    for (BOB_TYP& bob : nukebarrels) {
        Destroy_BOB(&bob);
    }

    DSound_Stop_All_Sounds();
    DSound_Delete_All_Sounds();
    DSound_Shutdown();

    DMusic_Delete_All_MIDI();
    DMusic_Shutdown();

    Destroy_Bitmap(&oceanback);
    Destroy_BOB(&swimguy);

    DInput_Release_Keyboard();
    DInput_Shutdown();

    DDraw_Shutdown();
    return 1;
}
