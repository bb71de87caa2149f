// Text service: drawing strings onto surfaces through a drawing context.
//
// A context is taken for one surface, given a text colour and a background mode, used
// to draw strings, and released. Glyphs come from DejaVu Sans at a desktop's usual UI
// size, rendered once, unsmoothed, so every drawn pixel has exactly the text colour.
// On an 8-bit surface the colour becomes the nearest entry of the palette the surface
// is shown through; on a 16-bit surface it is packed in the surface's format.
//
// Like every platform handle, a null or released context makes an operation fail
// harmlessly.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

struct DeviceContext;

constexpr int BACKGROUND_TRANSPARENT = 1;  // only the glyphs' own pixels change
constexpr int BACKGROUND_OPAQUE = 2;       // each character cell is filled first

// "surface.get_dc". Null for a bad surface, or when the font cannot be loaded (then one
// line on stderr says which file was missing).
DeviceContext* surface_get_dc(Surface* surface);
// Returns the surface's memory to its owner; the context is gone afterwards.
bool surface_release_dc(Surface* surface, DeviceContext* context);

// Both return the previous setting (0 for a bad context).
COLORREF dc_set_text_color(DeviceContext* context, COLORREF color);
COLORREF dc_set_background_color(DeviceContext* context, COLORREF color);
int dc_set_background_mode(DeviceContext* context, int mode);
// Draws `length` characters of `text` (8-bit, Latin-1) with the top-left corner of the
// text at (x, y), clipped to the surface.
bool dc_text_out(DeviceContext* context, int x, int y, const char* text, int length);

// Width and height in pixels of `length` characters of `text`; false for a null text or
// when the font cannot be loaded.
bool text_extent(const char* text, int length, int& width, int& height);

// The font file the service renders with (the DejaVu Sans of fonts-dejavu-core unless
// changed); a change drops every cached glyph. Tests point it at a missing file.
void text_set_font_path(const char* path);
const char* text_font_path();

} // namespace platform
