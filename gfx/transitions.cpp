// Full-screen transitions: palette fades and tints stepped on the frame clock, wipes
// that close the picture in with lines of colour 0, and a dissolve of random pixels.
// The arithmetic of one step is kept apart from the pacing, so it can be checked alone.
#include <cstdlib>

#include "gfx/gfx.h"

namespace {

constexpr uint32_t step_ms = 12;
constexpr int fade_black_steps = 80;
constexpr int other_palette_steps = 64;

uint8_t gain(uint8_t value, int amount)
{
    const int result = value + amount;
    return static_cast<uint8_t>(result >= 255 ? 255 : result);
}

uint8_t lose(uint8_t value, int amount)
{
    const int result = value - amount;
    return static_cast<uint8_t>(result < 0 ? 0 : result);
}

// Fade to black: a channel above 4 loses 3, anything else drops to 0.
uint8_t darken(uint8_t value)
{
    return static_cast<uint8_t>(value > 4 ? value - 3 : 0);
}

bool is_palette_effect(int effect)
{
    return effect == TRANSITION_FADE_BLACK || effect == TRANSITION_FADE_WHITE || effect == TRANSITION_TINT_BLUE ||
           effect == TRANSITION_TINT_RED || effect == TRANSITION_TINT_GREEN;
}

bool is_wipe(int effect)
{
    return effect == TRANSITION_WIPE_SIDES || effect == TRANSITION_WIPE_TOP_BOTTOM || effect == TRANSITION_WIPE_ALL;
}

void wait_one_step()
{
    Start_Clock();
    Wait_Clock(step_ms);
}

void row_of_zero(int y, uint8_t* vbuffer, int lpitch)
{
    if (screen_bpp == 8) {
        HLine(0, screen_width - 1, y, 0, vbuffer, lpitch);
    } else if (screen_bpp == 16) {
        HLine16(0, screen_width - 1, y, 0, vbuffer, lpitch);
    }
}

void column_of_zero(int x, uint8_t* vbuffer, int lpitch)
{
    if (screen_bpp == 8) {
        VLine(0, screen_height - 1, x, 0, vbuffer, lpitch);
    } else if (screen_bpp == 16) {
        VLine16(0, screen_height - 1, x, 0, vbuffer, lpitch);
    }
}

// Two lines from each edge: the outer one, then its inner neighbour.
void rows_closing_in(int j, uint8_t* vbuffer, int lpitch)
{
    row_of_zero(screen_height - 1 - j, vbuffer, lpitch);
    row_of_zero(j, vbuffer, lpitch);
    row_of_zero(screen_height - 1 - (j + 1), vbuffer, lpitch);
    row_of_zero(j + 1, vbuffer, lpitch);
}

void columns_closing_in(int i, uint8_t* vbuffer, int lpitch)
{
    column_of_zero(screen_width - 1 - i, vbuffer, lpitch);
    column_of_zero(i, vbuffer, lpitch);
    column_of_zero(screen_width - 1 - (i + 1), vbuffer, lpitch);
    column_of_zero(i + 1, vbuffer, lpitch);
}

void palette_effect(int effect)
{
    const int steps = effect == TRANSITION_FADE_BLACK ? fade_black_steps : other_palette_steps;
    PALETTEENTRY work[256];
    for (int step = 0; step < steps; ++step) {
        Save_Palette(work);
        transition_palette_step(effect, work);
        Set_Palette(work);
        wait_one_step();
    }
}

// Steps run for i = 0, 2, 4, ... below this.
int wipe_limit(int effect)
{
    return effect == TRANSITION_WIPE_TOP_BOTTOM ? screen_height / 2 : screen_width / 2;
}

void wipe(int effect, uint8_t* vbuffer, int lpitch)
{
    const int limit = wipe_limit(effect);
    for (int i = 0; i < limit; i += 2) {
        wait_one_step();
        transition_wipe_step(effect, i, vbuffer, lpitch);
    }
}

void dissolve(uint8_t* vbuffer, int lpitch)
{
    const int w = screen_width;
    const int h = screen_height;
    if (vbuffer == nullptr || w <= 0 || h <= 0 || (screen_bpp != 8 && screen_bpp != 16)) {
        return;
    }
    const long pixels = static_cast<long>(w) * h * 4;
    for (long i = 0; i <= pixels; ++i) {
        const int x = std::rand() % w;
        const int y = std::rand() % h;
        if (screen_bpp == 8) {
            Draw_Pixel(x, y, 0, vbuffer, lpitch);
        } else {
            Draw_Pixel16(x, y, 0, vbuffer, lpitch);
        }
    }
}

} // namespace

int transition_palette_step(int effect, PALETTEENTRY* entries)
{
    if (entries == nullptr || !is_palette_effect(effect)) {
        return 0;
    }
    // Fade to black leaves entry 0 alone; the others change all 256. Flags stay.
    for (int index = effect == TRANSITION_FADE_BLACK ? 1 : 0; index < 256; ++index) {
        PALETTEENTRY& e = entries[index];
        switch (effect) {
        case TRANSITION_FADE_BLACK:
            e.peRed = darken(e.peRed);
            e.peGreen = darken(e.peGreen);
            e.peBlue = darken(e.peBlue);
            break;
        case TRANSITION_FADE_WHITE:
            e.peRed = gain(e.peRed, 4);
            e.peGreen = gain(e.peGreen, 4);
            e.peBlue = gain(e.peBlue, 4);
            break;
        case TRANSITION_TINT_BLUE:
            e.peRed = lose(e.peRed, 4);
            e.peGreen = lose(e.peGreen, 4);
            e.peBlue = gain(e.peBlue, 6);
            break;
        case TRANSITION_TINT_RED:
            e.peRed = gain(e.peRed, 6);
            e.peGreen = lose(e.peGreen, 4);
            e.peBlue = lose(e.peBlue, 4);
            break;
        default:
            e.peRed = lose(e.peRed, 4);
            e.peGreen = gain(e.peGreen, 6);
            e.peBlue = lose(e.peBlue, 4);
            break;
        }
    }
    return 1;
}

void transition_wipe_step(int effect, int i, uint8_t* vbuffer, int lpitch)
{
    if (vbuffer == nullptr || !is_wipe(effect) || i < 0 || i >= wipe_limit(effect)) {
        return;
    }
    if (effect == TRANSITION_WIPE_SIDES) {
        columns_closing_in(i, vbuffer, lpitch);
    } else if (effect == TRANSITION_WIPE_TOP_BOTTOM) {
        rows_closing_in(i, vbuffer, lpitch);
    } else {
        // The columns have further to go than the rows: past the middle row the rows
        // start over from the edges and are drawn again.
        const int half_height = screen_height / 2;
        rows_closing_in(half_height > 0 ? i % half_height : 0, vbuffer, lpitch);
        columns_closing_in(i, vbuffer, lpitch);
    }
}

void Screen_Transitions(int effect, uint8_t* vbuffer, int lpitch)
{
    if (is_palette_effect(effect)) {
        palette_effect(effect);
    } else if (is_wipe(effect)) {
        wipe(effect, vbuffer, lpitch);
    } else if (effect == TRANSITION_DISSOLVE) {
        dissolve(vbuffer, lpitch);
    }
}
