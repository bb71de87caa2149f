// Display service: a device with surfaces in system memory, palettes and clippers.
//
// Surfaces hold 8-bit palette indices or 16-bit packed pixels, rows `pitch` bytes
// apart (the pitch may exceed the row). The visible picture is the primary surface
// shown through the device palette; presenting it is the backend's job and happens
// by itself whenever the primary surface or its palette changed.
//
// Every operation takes the handles it was given back safely: a null or released
// handle makes it fail (false / null) and touches nothing. Each fallible operation
// can be made to fail by fault injection under the name given in its comment.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

// What a lock hands out.
struct LockInfo {
    uint8_t* pixels;   // row 0
    int32_t pitch;     // bytes from one row to the next
    int32_t width;
    int32_t height;
};

// --- Device -------------------------------------------------------------------

// "display.create"
DisplayDevice* display_create();
// "display.cooperative_level": fullscreen = exclusive use of the screen, else a window on the desktop.
bool display_set_cooperative_level(DisplayDevice* device, Window* window, bool fullscreen);
// "display.set_mode": only 8 and 16 bits per pixel exist.
bool display_set_mode(DisplayDevice* device, int width, int height, int bpp);
// Blocks until the display's next refresh begins.
void display_wait_vblank(DisplayDevice* device);
void display_release(DisplayDevice* device);

// --- Surfaces -----------------------------------------------------------------

// "surface.create_primary". Full screen: the screen in the display mode, with one back
// buffer when `flipping`. Windowed: the whole desktop, running at `bpp` bits per pixel,
// of which the window shows a part.
Surface* display_create_primary(DisplayDevice* device, bool flipping, int bpp);
// "surface.create". `mem_flags` is a placement hint only.
Surface* display_create_surface(DisplayDevice* device, int width, int height, uint32_t mem_flags);
// "surface.back_buffer": the back buffer of a flipping primary (a new reference).
Surface* surface_get_back_buffer(Surface* primary);
// "surface.pixel_format": bits per pixel as reported (15 for 5.5.5 16-bit pixels); 0 on failure.
int surface_pixel_format(Surface* surface);
// "surface.color_key": pixels of this value are skipped by keyed blits from the surface.
bool surface_set_color_key(Surface* surface, uint32_t key);
// "surface.lock". Locks count; each lock needs its unlock.
bool surface_lock(Surface* surface, LockInfo& info);
bool surface_unlock(Surface* surface);
// Size of a surface without locking it (false for a bad handle).
bool surface_size(Surface* surface, int& width, int& height);
// "surface.fill": fill `rect` (null: the whole surface) with an index or packed pixel,
// limited by an attached clipper.
bool surface_fill(Surface* surface, const RECT* rect, uint32_t color);
// "surface.blt": copy `src_rect` of `src` (null: all of it) onto `dst_rect` of `dst`
// (null: all of it), stretching when the sizes differ. With `keyed`, source pixels
// equal to the source's colour key leave the destination unchanged. An attached
// clipper limits the destination; the source is cut in proportion.
bool surface_blt(Surface* dst, const RECT* dst_rect, Surface* src, const RECT* src_rect, bool keyed);
// "surface.flip": the primary and its back buffer swap contents; handles keep their roles.
bool surface_flip(Surface* primary);
// "surface.attach_palette"
bool surface_attach_palette(Surface* surface, Palette* palette);
// The 256 entries of the palette a surface is shown through: its own, else that of its
// device's primary (which a back buffer or off-screen surface is shown through); false
// when there is none.
bool surface_palette_entries(Surface* surface, PALETTEENTRY* entries);
// "surface.attach_clipper" (null detaches)
bool surface_attach_clipper(Surface* surface, Clipper* clipper);
void surface_release(Surface* surface);

// --- Palettes -----------------------------------------------------------------

// "palette.create": 256 entries. Without `all_entries` the first and last ten are
// kept by the system and come out as the program gave them only with PC_EXPLICIT.
Palette* display_create_palette(DisplayDevice* device, const PALETTEENTRY* entries, bool all_entries);
// "palette.set_entries" / "palette.get_entries". Changes show at once.
bool palette_set_entries(Palette* palette, int first, int count, const PALETTEENTRY* entries);
bool palette_get_entries(Palette* palette, int first, int count, PALETTEENTRY* entries);
void palette_release(Palette* palette);

// --- Clippers -----------------------------------------------------------------

// "clipper.create"
Clipper* display_create_clipper(DisplayDevice* device);
// "clipper.set_clip_list": the clipper keeps its own copy of the rectangles.
bool clipper_set_clip_list(Clipper* clipper, const RECT* rects, int count, const RECT& bounds);
// "clipper.set_window": clip to the window's visible area instead of a list.
bool clipper_set_window(Clipper* clipper, Window* window);
// The clip list as last set: at most `capacity` rectangles are copied; returns the count.
int clipper_get_clip_list(Clipper* clipper, RECT* rects, int capacity, RECT* bounds);
void clipper_release(Clipper* clipper);

// --- The visible picture ------------------------------------------------------

// The desktop's size, which a windowed primary surface has.
void display_desktop_size(int& width, int& height);
// Size of the visible picture; false when nothing is shown.
bool display_visible_size(int& width, int& height);
// Copies the visible picture as 8-bit RGB triples (width x height of the screen mode,
// or the window's part of the desktop when windowed). False when there is nothing to show.
bool display_capture(uint8_t* rgb, int width, int height);
// Presents a pending change if the backend is ready for another picture. The message
// pump and the clock call this, so a change never waits longer than one refresh.
void display_service();

} // namespace platform
