// Text on surfaces, through the platform's drawing context: transparent background,
// the top-left corner of the text at the given point.
#include <cstring>

#include "gfx/gfx.h"
#include "platform/text.h"

namespace {

int draw_text(const char* text, int x, int y, COLORREF color, platform::Surface* lpdds)
{
    if (text == nullptr) {
        return 0;
    }
    platform::DeviceContext* dc = platform::surface_get_dc(lpdds);
    if (dc == nullptr) {
        return 0;
    }
    platform::dc_set_text_color(dc, color);
    platform::dc_set_background_mode(dc, platform::BACKGROUND_TRANSPARENT);
    platform::dc_text_out(dc, x, y, text, static_cast<int>(std::strlen(text)));
    platform::surface_release_dc(lpdds, dc);
    return 1;
}

} // namespace

int Draw_Text_GDI(const char* text, int x, int y, COLORREF color, platform::Surface* lpdds)
{
    return draw_text(text, x, y, color, lpdds);
}

int Draw_Text_GDI(const char* text, int x, int y, int color, platform::Surface* lpdds)
{
    // An index outside the palette names no colour; reading past `palette` is refused.
    if (color < 0 || color > 255) {
        return 0;
    }
    const PALETTEENTRY& entry = palette[color];
    return draw_text(text, x, y, Make_COLORREF(entry.peRed, entry.peGreen, entry.peBlue), lpdds);
}
