#include "platform/display.h"

#include <cstddef>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/fault.h"
#include "platform/internal.h"

namespace platform {

struct DisplayDevice {
    Window* window;
    bool fullscreen;
    bool mode_set;
    int width;
    int height;
    int bpp;
    Surface* primary;  // not a reference: the primary's release clears it
    bool dirty;
};

struct Palette {
    int refs;
    PALETTEENTRY entries[256];
    uint32_t rgb[256];  // entries as 0x00RRGGBB, what the presenter looks up
};

struct Clipper {
    int refs;
    std::vector<RECT> rects;
    RECT bounds;
    Window* window;  // clip to this window instead of the list
};

struct Surface {
    int refs;
    DisplayDevice* device;
    int width;
    int height;
    int bpp;
    int32_t pitch;
    uint8_t* pixels;
    bool has_key;
    uint32_t key;
    int locks;
    bool is_primary;
    Palette* palette;
    Clipper* clipper;
    Surface* back;  // a flipping primary's back buffer (one reference held)
};

namespace {

constexpr int max_surface_side = 16384;

std::unordered_set<const void*> live_objects;
DisplayDevice* shown_device = nullptr;  // the device whose primary is on the screen

template <typename T>
T* live(T* object)
{
    return object != nullptr && live_objects.count(object) != 0 ? object : nullptr;
}

uint32_t entry_rgb(const PALETTEENTRY& e)
{
    return (static_cast<uint32_t>(e.peRed) << 16) | (static_cast<uint32_t>(e.peGreen) << 8) | e.peBlue;
}

void mark_dirty(Surface* surface)
{
    if (surface->is_primary && surface->device != nullptr && live(surface->device) != nullptr) {
        surface->device->dirty = true;
        display_service();
    }
}

Surface* new_surface(DisplayDevice* device, int width, int height, int bpp)
{
    if (width <= 0 || height <= 0 || width > max_surface_side || height > max_surface_side) {
        return nullptr;
    }
    const int row_bytes = width * (bpp / 8);
    const int32_t pitch = std::max(row_bytes, drivers().display.pitch_for_row(row_bytes));
    const size_t bytes = (static_cast<size_t>(pitch) * static_cast<size_t>(height) + 63) & ~static_cast<size_t>(63);
    auto* pixels = static_cast<uint8_t*>(std::aligned_alloc(64, bytes));
    if (pixels == nullptr) {
        return nullptr;
    }
    std::memset(pixels, 0, bytes);
    auto* surface = new Surface{};
    surface->refs = 1;
    surface->device = device;
    surface->width = width;
    surface->height = height;
    surface->bpp = bpp;
    surface->pitch = pitch;
    surface->pixels = pixels;
    live_objects.insert(surface);
    return surface;
}

void release_palette(Palette* palette)
{
    if (--palette->refs == 0) {
        live_objects.erase(palette);
        delete palette;
    }
}

void release_clipper(Clipper* clipper)
{
    if (--clipper->refs == 0) {
        live_objects.erase(clipper);
        delete clipper;
    }
}

bool intersect(RECT& a, const RECT& b)
{
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::min(a.right, b.right);
    a.bottom = std::min(a.bottom, b.bottom);
    return a.left < a.right && a.top < a.bottom;
}

// The rectangles a write into `surface` is limited to: its clipper's, or the whole surface.
void clip_rects(const Surface* surface, std::vector<RECT>& out)
{
    const RECT whole{0, 0, surface->width, surface->height};
    out.clear();
    const Clipper* clipper = surface->clipper;
    if (clipper == nullptr) {
        out.push_back(whole);
        return;
    }
    if (clipper->window != nullptr) {
        RECT r{};
        if (window_rect(clipper->window, r) && intersect(r, whole)) {
            out.push_back(r);
        }
        return;
    }
    for (RECT r : clipper->rects) {
        if (intersect(r, whole)) {
            out.push_back(r);
        }
    }
}

void fill_rect(Surface* s, const RECT& r, uint32_t color)
{
    const int bytes_pp = s->bpp / 8;
    uint8_t* dst = s->pixels + static_cast<std::ptrdiff_t>(r.top) * s->pitch + r.left * bytes_pp;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    // Whole rows: the padding between rows is ours too, so one run covers them all.
    if (width == s->width) {
        width = (height - 1) * (s->pitch / bytes_pp) + width;
        height = 1;
        if (s->pitch % bytes_pp != 0) {
            width = r.right - r.left;
            height = r.bottom - r.top;
        }
    }
    if (s->bpp == 8) {
        blit::fill8(dst, s->pitch, width, height, static_cast<uint8_t>(color));
    } else {
        blit::fill16(dst, s->pitch, width, height, static_cast<uint16_t>(color));
    }
}

thread_local std::vector<RECT> scratch_rects;
thread_local std::vector<int32_t> scratch_map;
thread_local std::vector<uint8_t> scratch_copy;

} // namespace

// --- Device -------------------------------------------------------------------

DisplayDevice* display_create()
{
    if (fault_should_fail("display.create") || !drivers().display.open()) {
        return nullptr;
    }
    auto* device = new DisplayDevice{};
    live_objects.insert(device);
    return device;
}

bool display_set_cooperative_level(DisplayDevice* device, Window* window, bool fullscreen)
{
    if (live(device) == nullptr || !window_is_live(window) || fault_should_fail("display.cooperative_level")) {
        return false;
    }
    device->window = window;
    device->fullscreen = fullscreen;
    return true;
}

bool display_set_mode(DisplayDevice* device, int width, int height, int bpp)
{
    if (live(device) == nullptr || device->window == nullptr || (bpp != 8 && bpp != 16) || width <= 0 ||
        height <= 0 || width > max_surface_side || height > max_surface_side ||
        fault_should_fail("display.set_mode")) {
        return false;
    }
    if (!drivers().display.set_mode(device->window, width, height, bpp, device->fullscreen)) {
        return false;
    }
    device->width = width;
    device->height = height;
    device->bpp = bpp;
    device->mode_set = true;
    return true;
}

void display_wait_vblank(DisplayDevice* device)
{
    if (live(device) != nullptr) {
        drivers().display.wait_vblank();
    }
}

void display_release(DisplayDevice* device)
{
    if (live(device) == nullptr) {
        return;
    }
    if (shown_device == device) {
        shown_device = nullptr;
    }
    if (device->primary != nullptr) {
        device->primary->device = nullptr;
    }
    live_objects.erase(device);
    delete device;
    drivers().display.close();
}

// --- Surfaces -----------------------------------------------------------------

Surface* display_create_primary(DisplayDevice* device, bool flipping, int bpp)
{
    if (live(device) == nullptr || device->primary != nullptr || fault_should_fail("surface.create_primary")) {
        return nullptr;
    }
    int width = device->width;
    int height = device->height;
    if (device->fullscreen) {
        if (!device->mode_set) {
            return nullptr;
        }
        bpp = device->bpp;
    } else {
        if (bpp != 8 && bpp != 16) {
            return nullptr;
        }
        display_desktop_size(width, height);
        device->bpp = bpp;
    }
    Surface* primary = new_surface(device, width, height, bpp);
    if (primary == nullptr) {
        return nullptr;
    }
    primary->is_primary = true;
    if (flipping && device->fullscreen) {
        primary->back = new_surface(device, width, height, bpp);
        if (primary->back == nullptr) {
            surface_release(primary);
            return nullptr;
        }
    }
    device->primary = primary;
    device->dirty = true;
    shown_device = device;
    return primary;
}

Surface* display_create_surface(DisplayDevice* device, int width, int height, uint32_t mem_flags)
{
    (void)mem_flags;  // all surfaces live in system memory
    if (live(device) == nullptr || fault_should_fail("surface.create")) {
        return nullptr;
    }
    const int bpp = device->bpp != 0 ? device->bpp : 8;
    return new_surface(device, width, height, bpp);
}

Surface* surface_get_back_buffer(Surface* primary)
{
    if (live(primary) == nullptr || primary->back == nullptr || fault_should_fail("surface.back_buffer")) {
        return nullptr;
    }
    ++primary->back->refs;
    return primary->back;
}

int surface_pixel_format(Surface* surface)
{
    if (live(surface) == nullptr || fault_should_fail("surface.pixel_format")) {
        return 0;
    }
    return surface->bpp == 16 ? drivers().display.reported_16bit_format() : surface->bpp;
}

bool surface_set_color_key(Surface* surface, uint32_t key)
{
    if (live(surface) == nullptr || fault_should_fail("surface.color_key")) {
        return false;
    }
    surface->has_key = true;
    surface->key = key;
    return true;
}

bool surface_lock(Surface* surface, LockInfo& info)
{
    if (live(surface) == nullptr || fault_should_fail("surface.lock")) {
        return false;
    }
    ++surface->locks;
    info.pixels = surface->pixels;
    info.pitch = surface->pitch;
    info.width = surface->width;
    info.height = surface->height;
    return true;
}

bool surface_unlock(Surface* surface)
{
    if (live(surface) == nullptr || surface->locks == 0) {
        return false;
    }
    --surface->locks;
    mark_dirty(surface);
    return true;
}

bool surface_size(Surface* surface, int& width, int& height)
{
    if (live(surface) == nullptr) {
        return false;
    }
    width = surface->width;
    height = surface->height;
    return true;
}

bool surface_fill(Surface* surface, const RECT* rect, uint32_t color)
{
    if (live(surface) == nullptr || fault_should_fail("surface.fill")) {
        return false;
    }
    RECT target = rect != nullptr ? *rect : RECT{0, 0, surface->width, surface->height};
    if (target.right <= target.left || target.bottom <= target.top) {
        return false;
    }
    clip_rects(surface, scratch_rects);
    for (const RECT& clip : scratch_rects) {
        RECT r = target;
        if (intersect(r, clip)) {
            fill_rect(surface, r, color);
        }
    }
    mark_dirty(surface);
    return true;
}

bool surface_blt(Surface* dst, const RECT* dst_rect, Surface* src, const RECT* src_rect, bool keyed)
{
    if (live(dst) == nullptr || live(src) == nullptr || dst->bpp != src->bpp || fault_should_fail("surface.blt")) {
        return false;
    }
    const RECT d = dst_rect != nullptr ? *dst_rect : RECT{0, 0, dst->width, dst->height};
    const RECT s = src_rect != nullptr ? *src_rect : RECT{0, 0, src->width, src->height};
    if (d.right <= d.left || d.bottom <= d.top || s.right <= s.left || s.bottom <= s.top || s.left < 0 ||
        s.top < 0 || s.right > src->width || s.bottom > src->height) {
        return false;
    }
    const int dw = d.right - d.left;
    const int dh = d.bottom - d.top;
    const int sw = s.right - s.left;
    const int sh = s.bottom - s.top;
    const bool stretched = dw != sw || dh != sh;
    const bool use_key = keyed && src->has_key;
    const int bytes_pp = src->bpp / 8;

    // A copy within one surface reads from a snapshot of the source, so overlap is harmless.
    const uint8_t* src_pixels = src->pixels;
    int32_t src_pitch = src->pitch;
    int src_x0 = s.left;
    int src_y0 = s.top;
    if (src == dst) {
        const int row_bytes = sw * bytes_pp;
        scratch_copy.resize(static_cast<size_t>(row_bytes) * static_cast<size_t>(sh));
        blit::copy(scratch_copy.data(), row_bytes, src->pixels + static_cast<std::ptrdiff_t>(s.top) * src->pitch + s.left * bytes_pp,
                   src->pitch, row_bytes, sh);
        src_pixels = scratch_copy.data();
        src_pitch = row_bytes;
        src_x0 = 0;
        src_y0 = 0;
    }

    clip_rects(dst, scratch_rects);
    for (const RECT& clip : scratch_rects) {
        RECT r = d;
        if (!intersect(r, clip)) {
            continue;
        }
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        uint8_t* out = dst->pixels + static_cast<std::ptrdiff_t>(r.top) * dst->pitch + r.left * bytes_pp;
        if (!stretched) {
            const uint8_t* in = src_pixels + static_cast<std::ptrdiff_t>(src_y0 + r.top - d.top) * src_pitch +
                                (src_x0 + r.left - d.left) * bytes_pp;
            if (use_key) {
                if (bytes_pp == 1) {
                    blit::copy_keyed8(out, dst->pitch, in, src_pitch, w, h, static_cast<uint8_t>(src->key));
                } else {
                    blit::copy_keyed16(out, dst->pitch, in, src_pitch, w, h, static_cast<uint16_t>(src->key));
                }
            } else if (w == dst->width && w == sw && src_pitch == dst->pitch && src != dst) {
                // Whole rows on both sides with equal pitches: one block copy.
                blit::copy(out, 0, in, 0, (h - 1) * dst->pitch + w * bytes_pp, 1);
            } else {
                blit::copy(out, dst->pitch, in, src_pitch, w * bytes_pp, h);
            }
            continue;
        }
        scratch_map.resize(static_cast<size_t>(w) + static_cast<size_t>(h));
        int32_t* xmap = scratch_map.data();
        int32_t* ymap = xmap + w;
        blit::stretch_map(xmap, r.left - d.left, w, dw, src_x0, sw);
        blit::stretch_map(ymap, r.top - d.top, h, dh, src_y0, sh);
        if (bytes_pp == 1) {
            blit::stretch8(out, dst->pitch, src_pixels, src_pitch, xmap, w, ymap, h, use_key,
                           static_cast<uint8_t>(src->key));
        } else {
            blit::stretch16(out, dst->pitch, src_pixels, src_pitch, xmap, w, ymap, h, use_key,
                            static_cast<uint16_t>(src->key));
        }
    }
    mark_dirty(dst);
    return true;
}

bool surface_flip(Surface* primary)
{
    if (live(primary) == nullptr || primary->back == nullptr || primary->locks != 0 || primary->back->locks != 0 ||
        fault_should_fail("surface.flip")) {
        return false;
    }
    std::swap(primary->pixels, primary->back->pixels);
    mark_dirty(primary);
    return true;
}

bool surface_attach_palette(Surface* surface, Palette* palette)
{
    if (live(surface) == nullptr || live(palette) == nullptr || fault_should_fail("surface.attach_palette")) {
        return false;
    }
    ++palette->refs;
    if (surface->palette != nullptr) {
        release_palette(surface->palette);
    }
    surface->palette = palette;
    mark_dirty(surface);
    return true;
}

bool surface_palette_entries(Surface* surface, PALETTEENTRY* entries)
{
    if (live(surface) == nullptr || entries == nullptr) {
        return false;
    }
    const Palette* palette = surface->palette;
    if (palette == nullptr && surface->device != nullptr && live(surface->device) != nullptr &&
        surface->device->primary != nullptr) {
        palette = surface->device->primary->palette;
    }
    if (palette == nullptr) {
        return false;
    }
    std::memcpy(entries, palette->entries, sizeof palette->entries);
    return true;
}

bool surface_attach_clipper(Surface* surface, Clipper* clipper)
{
    if (live(surface) == nullptr || (clipper != nullptr && live(clipper) == nullptr) ||
        fault_should_fail("surface.attach_clipper")) {
        return false;
    }
    if (clipper != nullptr) {
        ++clipper->refs;
    }
    if (surface->clipper != nullptr) {
        release_clipper(surface->clipper);
    }
    surface->clipper = clipper;
    return true;
}

void surface_release(Surface* surface)
{
    if (live(surface) == nullptr || --surface->refs > 0) {
        return;
    }
    live_objects.erase(surface);
    if (surface->palette != nullptr) {
        release_palette(surface->palette);
    }
    if (surface->clipper != nullptr) {
        release_clipper(surface->clipper);
    }
    if (surface->back != nullptr) {
        surface_release(surface->back);
    }
    if (surface->is_primary && surface->device != nullptr && live(surface->device) != nullptr) {
        surface->device->primary = nullptr;
    }
    std::free(surface->pixels);
    delete surface;
}

// --- Palettes -----------------------------------------------------------------

Palette* display_create_palette(DisplayDevice* device, const PALETTEENTRY* entries, bool all_entries)
{
    (void)all_entries;  // every entry of our palettes is the program's
    if (live(device) == nullptr || entries == nullptr || fault_should_fail("palette.create")) {
        return nullptr;
    }
    auto* palette = new Palette{};
    palette->refs = 1;
    for (int i = 0; i < 256; ++i) {
        palette->entries[i] = entries[i];
        palette->rgb[i] = entry_rgb(entries[i]);
    }
    live_objects.insert(palette);
    return palette;
}

bool palette_set_entries(Palette* palette, int first, int count, const PALETTEENTRY* entries)
{
    if (live(palette) == nullptr || entries == nullptr || first < 0 || count < 0 || first + count > 256 ||
        fault_should_fail("palette.set_entries")) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        palette->entries[first + i] = entries[i];
        palette->rgb[first + i] = entry_rgb(entries[i]);
    }
    if (shown_device != nullptr && shown_device->primary != nullptr && shown_device->primary->palette == palette) {
        mark_dirty(shown_device->primary);
    }
    return true;
}

bool palette_get_entries(Palette* palette, int first, int count, PALETTEENTRY* entries)
{
    if (live(palette) == nullptr || entries == nullptr || first < 0 || count < 0 || first + count > 256 ||
        fault_should_fail("palette.get_entries")) {
        return false;
    }
    std::memcpy(entries, palette->entries + first, sizeof(PALETTEENTRY) * static_cast<size_t>(count));
    return true;
}

void palette_release(Palette* palette)
{
    if (live(palette) != nullptr) {
        release_palette(palette);
    }
}

// --- Clippers -----------------------------------------------------------------

Clipper* display_create_clipper(DisplayDevice* device)
{
    if (live(device) == nullptr || fault_should_fail("clipper.create")) {
        return nullptr;
    }
    auto* clipper = new Clipper{};
    clipper->refs = 1;
    live_objects.insert(clipper);
    return clipper;
}

bool clipper_set_clip_list(Clipper* clipper, const RECT* rects, int count, const RECT& bounds)
{
    if (live(clipper) == nullptr || count < 0 || (count > 0 && rects == nullptr) ||
        fault_should_fail("clipper.set_clip_list")) {
        return false;
    }
    clipper->rects.assign(rects, rects + count);
    clipper->bounds = bounds;
    clipper->window = nullptr;
    return true;
}

bool clipper_set_window(Clipper* clipper, Window* window)
{
    if (live(clipper) == nullptr || !window_is_live(window) || fault_should_fail("clipper.set_window")) {
        return false;
    }
    clipper->window = window;
    return true;
}

int clipper_get_clip_list(Clipper* clipper, RECT* rects, int capacity, RECT* bounds)
{
    if (live(clipper) == nullptr) {
        return 0;
    }
    const int count = static_cast<int>(clipper->rects.size());
    for (int i = 0; i < count && i < capacity; ++i) {
        rects[i] = clipper->rects[static_cast<size_t>(i)];
    }
    if (bounds != nullptr) {
        *bounds = clipper->bounds;
    }
    return count;
}

void clipper_release(Clipper* clipper)
{
    if (live(clipper) != nullptr) {
        release_clipper(clipper);
    }
}

// --- The visible picture ------------------------------------------------------

void display_desktop_size(int& width, int& height)
{
    drivers().display.desktop_size(width, height);
}

namespace {

// What is on the screen now: the primary of a full-screen display, or the window's
// part of a windowed one (parts of the window off the desktop stay black).
bool visible_frame(Frame& frame)
{
    DisplayDevice* device = live(shown_device);
    if (device == nullptr || device->primary == nullptr) {
        return false;
    }
    const Surface* primary = device->primary;
    RECT area{0, 0, primary->width, primary->height};
    if (!device->fullscreen && !window_rect(device->window, area)) {
        return false;
    }
    static const uint32_t black[256] = {};
    frame.area_width = area.right - area.left;
    frame.area_height = area.bottom - area.top;
    frame.bpp = primary->bpp;
    frame.format_555 = primary->bpp == 16 && drivers().display.reported_16bit_format() == 15;
    frame.palette_rgb = primary->palette != nullptr ? primary->palette->rgb : black;
    frame.pitch = primary->pitch;
    RECT shown = area;
    if (!intersect(shown, RECT{0, 0, primary->width, primary->height})) {
        frame.pixels = primary->pixels;
        frame.width = 0;
        frame.height = 0;
        frame.x = 0;
        frame.y = 0;
        return true;
    }
    frame.pixels = primary->pixels + static_cast<std::ptrdiff_t>(shown.top) * primary->pitch + shown.left * (primary->bpp / 8);
    frame.width = shown.right - shown.left;
    frame.height = shown.bottom - shown.top;
    frame.x = shown.left - area.left;
    frame.y = shown.top - area.top;
    return true;
}

} // namespace

bool display_visible_size(int& width, int& height)
{
    Frame frame{};
    if (!visible_frame(frame)) {
        return false;
    }
    width = frame.area_width;
    height = frame.area_height;
    return true;
}

bool display_capture(uint8_t* rgb, int width, int height)
{
    Frame frame{};
    if (rgb == nullptr || !visible_frame(frame) || width != frame.area_width || height != frame.area_height) {
        return false;
    }
    std::memset(rgb, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    std::vector<uint32_t> row(static_cast<size_t>(frame.width));
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t* src = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        if (frame.bpp == 8) {
            blit::indexed_to_xrgb(row.data(), 0, src, 0, frame.width, 1, frame.palette_rgb);
        } else {
            blit::rgb16_to_xrgb(row.data(), 0, src, 0, frame.width, 1, frame.format_555);
        }
        uint8_t* out = rgb + (static_cast<size_t>(frame.y + y) * static_cast<size_t>(width) + static_cast<size_t>(frame.x)) * 3;
        for (int x = 0; x < frame.width; ++x) {
            const uint32_t pixel = row[static_cast<size_t>(x)];
            out[x * 3 + 0] = static_cast<uint8_t>(pixel >> 16);
            out[x * 3 + 1] = static_cast<uint8_t>(pixel >> 8);
            out[x * 3 + 2] = static_cast<uint8_t>(pixel);
        }
    }
    return true;
}

void display_invalidate()
{
    if (DisplayDevice* device = live(shown_device)) {
        device->dirty = true;
    }
}

void display_service()
{
    DisplayDevice* device = live(shown_device);
    // A primary surface locked by the program may be changing under its pointer (a
    // wipe drawn step by step into it), so it counts as changed whenever it is locked.
    const bool changing = device != nullptr && device->primary != nullptr && device->primary->locks > 0;
    if (device == nullptr || !(device->dirty || changing) || !drivers().display.ready_to_present()) {
        return;
    }
    Frame frame{};
    if (!visible_frame(frame)) {
        return;
    }
    device->dirty = false;
    drivers().display.present(frame);
}

} // namespace platform
