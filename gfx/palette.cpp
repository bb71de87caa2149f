// The palette: the working copy `palette` kept in step with the device palette,
// colour rotation and the blinker table.
#include <cstring>

#include "gfx/gfx.h"

namespace {

BLINKER_TYP lights[256];
int initialized = 0;

} // namespace

int Set_Palette_Entry(int color_index, const PALETTEENTRY* color)
{
    if (color == nullptr || color_index < 0 || color_index > 255) {
        return 1;
    }
    platform::palette_set_entries(lpddpal, color_index, 1, color);
    palette[color_index] = *color;
    return 1;
}

int Get_Palette_Entry(int color_index, PALETTEENTRY* color)
{
    if (color != nullptr && color_index >= 0 && color_index <= 255) {
        *color = palette[color_index];
    }
    return 1;
}

int Save_Palette(PALETTEENTRY* sav_palette)
{
    if (sav_palette != nullptr) {
        std::memcpy(sav_palette, palette, sizeof palette);
    }
    return 1;
}

int Set_Palette(const PALETTEENTRY* set_palette)
{
    if (set_palette == nullptr) {
        return 1;
    }
    // memmove: callers may hand in the working palette itself.
    std::memmove(palette, set_palette, sizeof palette);
    platform::palette_set_entries(lpddpal, 0, 256, palette);
    return 1;
}

int Rotate_Colors(int start_index, int end_index)
{
    if (start_index < 0 || end_index > 255 || start_index > end_index) {
        return 1;
    }
    const int count = end_index - start_index + 1;
    PALETTEENTRY work[256];
    // Without a device palette the working copy stands in for it.
    if (!platform::palette_get_entries(lpddpal, start_index, count, work)) {
        std::memcpy(work, palette + start_index, sizeof(PALETTEENTRY) * static_cast<size_t>(count));
        std::memmove(palette + start_index + 1, work, sizeof(PALETTEENTRY) * static_cast<size_t>(count - 1));
        palette[start_index] = work[count - 1];
        return 1;
    }
    platform::palette_set_entries(lpddpal, start_index + 1, count - 1, work);
    platform::palette_set_entries(lpddpal, start_index, 1, &work[count - 1]);
    platform::palette_get_entries(lpddpal, 0, 256, palette);
    return 1;
}

int Blink_Colors(int command, BLINKER_TYP* new_light, int id)
{
    if (!initialized) {
        initialized = 1;
        std::memset(lights, 0, sizeof lights);
    }
    const bool valid_id = id >= 0 && id < 256;
    switch (command) {
    case BLINK_ADD:
        if (new_light == nullptr) {
            return 1;
        }
        for (int index = 0; index < 256; ++index) {
            BLINKER_TYP& light = lights[index];
            if (light.blink_state == 0) {
                light = *new_light;
                light.tick_count = 0;
                light.blink_state = -1;
                if (light.color_index >= 0 && light.color_index <= 255) {
                    platform::palette_set_entries(lpddpal, light.color_index, 1, &light.off_color);
                }
                return index;
            }
        }
        return 1;
    case BLINK_DELETE:
        if (valid_id && lights[id].blink_state != 0) {
            std::memset(&lights[id], 0, sizeof(BLINKER_TYP));
            return id;
        }
        return -1;
    case BLINK_UPDATE:
        if (valid_id && new_light != nullptr && lights[id].blink_state != 0) {
            BLINKER_TYP& light = lights[id];
            light.on_color = new_light->on_color;
            light.off_color = new_light->off_color;
            light.on_ticks = new_light->on_ticks;
            light.off_ticks = new_light->off_ticks;
            const PALETTEENTRY& shown = light.blink_state == -1 ? light.off_color : light.on_color;
            if (light.color_index >= 0 && light.color_index <= 255) {
                platform::palette_set_entries(lpddpal, light.color_index, 1, &shown);
            }
            return id;
        }
        return -1;
    case BLINK_RUN:
        for (BLINKER_TYP& light : lights) {
            if (light.blink_state == 0) {
                continue;
            }
            ++light.tick_count;
            const bool off = light.blink_state == -1;
            if (light.tick_count >= (off ? light.off_ticks : light.on_ticks)) {
                light.tick_count = 0;
                light.blink_state = off ? 1 : -1;
                if (light.color_index >= 0 && light.color_index <= 255) {
                    platform::palette_set_entries(lpddpal, light.color_index, 1,
                                                  off ? &light.on_color : &light.off_color);
                }
            }
        }
        return 1;
    default:
        return 1;
    }
}
