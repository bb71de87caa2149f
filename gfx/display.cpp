// The display: device, primary and back surfaces, device palette, clippers, the
// clip rectangle and the lock state of the two main surfaces.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "gfx/gfx.h"
#include "platform/window.h"

platform::DisplayDevice* lpdd = nullptr;
platform::Surface* lpddsprimary = nullptr;
platform::Surface* lpddsback = nullptr;
platform::Palette* lpddpal = nullptr;
PALETTEENTRY palette[256] = {};
platform::Clipper* lpddclipper = nullptr;
platform::Clipper* lpddclipperwin = nullptr;
uint8_t* primary_buffer = nullptr;
int32_t primary_lpitch = 0;
uint8_t* back_buffer = nullptr;
int32_t back_lpitch = 0;
int32_t screen_width = SCREEN_WIDTH;
int32_t screen_height = SCREEN_HEIGHT;
int32_t screen_bpp = SCREEN_BPP;
int32_t screen_windowed = 0;
int32_t dd_pixel_format = 16;
int32_t min_clip_x = 0;
int32_t max_clip_x = SCREEN_WIDTH - 1;
int32_t min_clip_y = 0;
int32_t max_clip_y = SCREEN_HEIGHT - 1;
int32_t window_client_x0 = 0;
int32_t window_client_y0 = 0;
uint16_t (*RGB16Bit)(int32_t r, int32_t g, int32_t b) = nullptr;
platform::LockInfo ddsd = {};
uint32_t ddscaps = 0;

namespace {

constexpr uint32_t caps_back_buffer = 0x4;
// A full-screen flip is asked again while the device is busy; a flip that can never
// succeed (the surfaces are gone) must not hang the program.
constexpr int flip_attempts = 1000;

// The region block a clip list travels in: a 32-byte header, then the rectangles.
struct RegionHeader {
    uint32_t size;
    uint32_t type;
    uint32_t count;
    uint32_t region_size;
    RECT bounds;
};
static_assert(sizeof(RegionHeader) == 32, "the region header is 32 bytes");
constexpr uint32_t region_rectangles = 1;

} // namespace

int DDraw_Init(int width, int height, int bpp, int windowed)
{
    // Handles left by an earlier display were released with it; start clean so a
    // stale one can never be released twice.
    lpddsprimary = lpddsback = nullptr;
    lpddpal = nullptr;
    lpddclipper = lpddclipperwin = nullptr;
    primary_buffer = back_buffer = nullptr;
    primary_lpitch = back_lpitch = 0;

    lpdd = platform::display_create();
    if (lpdd == nullptr) {
        return 0;
    }
    if (windowed) {
        if (!platform::display_set_cooperative_level(lpdd, main_window_handle, false)) {
            return 0;
        }
    } else {
        if (!platform::display_set_cooperative_level(lpdd, main_window_handle, true) ||
            !platform::display_set_mode(lpdd, width, height, bpp)) {
            return 0;
        }
    }

    screen_height = height;
    screen_width = width;
    screen_bpp = bpp;
    screen_windowed = windowed;

    ddsd = platform::LockInfo{};
    lpddsprimary = platform::display_create_primary(lpdd, windowed == 0, bpp);
    if (lpddsprimary == nullptr) {
        return 0;
    }

    const int reported = platform::surface_pixel_format(lpddsprimary);
    dd_pixel_format = reported != 0 ? reported : bpp;
    Write_Error("\npixel format = %d", dd_pixel_format);
    if (dd_pixel_format == 15) {
        RGB16Bit = RGB16Bit555;
        Write_Error("\npixel format = 5.5.5");
    } else {
        RGB16Bit = RGB16Bit565;
        Write_Error("\npixel format = 5.6.5");
    }

    if (windowed) {
        lpddsback = DDraw_Create_Surface(width, height, 0, 0);
    } else {
        ddscaps = caps_back_buffer;
        lpddsback = platform::surface_get_back_buffer(lpddsprimary);
        if (lpddsback == nullptr) {
            return 0;
        }
    }

    if (screen_bpp == 8) {
        std::memset(palette, 0, sizeof palette);
        Load_Palette_From_File("PALDATA2.PAL", palette);
        if (windowed) {
            for (int i = 0; i < 10; ++i) {
                palette[i].peFlags = PC_EXPLICIT;
                palette[255 - i].peFlags = PC_EXPLICIT;
            }
        }
        lpddpal = platform::display_create_palette(lpdd, palette, windowed == 0);
        if (lpddpal == nullptr || !platform::surface_attach_palette(lpddsprimary, lpddpal)) {
            return 0;
        }
    }

    if (windowed) {
        DDraw_Fill_Surface(lpddsback, 0, nullptr);
    } else {
        DDraw_Fill_Surface(lpddsprimary, 0, nullptr);
        DDraw_Fill_Surface(lpddsback, 0, nullptr);
    }

    min_clip_x = 0;
    max_clip_x = screen_width - 1;
    min_clip_y = 0;
    max_clip_y = screen_height - 1;

    const RECT screen_rect{0, 0, screen_width, screen_height};
    lpddclipper = DDraw_Attach_Clipper(lpddsback, 1, &screen_rect);

    if (windowed) {
        lpddclipperwin = platform::display_create_clipper(lpdd);
        if (lpddclipperwin == nullptr || !platform::clipper_set_window(lpddclipperwin, main_window_handle) ||
            !platform::surface_attach_clipper(lpddsprimary, lpddclipperwin)) {
            return 0;
        }
    }
    return 1;
}

int DDraw_Shutdown()
{
    if (lpddclipper != nullptr) {
        platform::clipper_release(lpddclipper);
    }
    if (lpddclipperwin != nullptr) {
        platform::clipper_release(lpddclipperwin);
    }
    if (lpddpal != nullptr) {
        platform::palette_release(lpddpal);
    }
    if (lpddsback != nullptr) {
        platform::surface_release(lpddsback);
    }
    if (lpddsprimary != nullptr) {
        platform::surface_release(lpddsprimary);
    }
    if (lpdd != nullptr) {
        platform::display_release(lpdd);
    }
    // The memory a lock published is gone with its surface.
    primary_buffer = back_buffer = nullptr;
    primary_lpitch = back_lpitch = 0;
    return 1;
}

platform::Clipper* DDraw_Attach_Clipper(platform::Surface* lpdds, int num_rects, const RECT* clip_list)
{
    if (num_rects < 0 || (num_rects > 0 && clip_list == nullptr)) {
        return nullptr;
    }
    platform::Clipper* clipper = platform::display_create_clipper(lpdd);
    if (clipper == nullptr) {
        return nullptr;
    }
    const size_t block_size = sizeof(RegionHeader) + sizeof(RECT) * static_cast<size_t>(num_rects);
    auto* block = static_cast<uint8_t*>(std::malloc(block_size));
    if (block == nullptr) {
        platform::clipper_release(clipper);
        return nullptr;
    }
    auto* header = reinterpret_cast<RegionHeader*>(block);
    auto* rects = reinterpret_cast<RECT*>(block + sizeof(RegionHeader));
    if (num_rects > 0) {
        std::memcpy(rects, clip_list, sizeof(RECT) * static_cast<size_t>(num_rects));
    }
    header->size = sizeof(RegionHeader);
    header->type = region_rectangles;
    header->count = static_cast<uint32_t>(num_rects);
    header->region_size = static_cast<uint32_t>(sizeof(RECT) * static_cast<size_t>(num_rects));
    header->bounds = RECT{64000, 64000, -64000, -64000};
    for (int i = 0; i < num_rects; ++i) {
        if (rects[i].left < header->bounds.left) {
            header->bounds.left = rects[i].left;
        }
        if (rects[i].right > header->bounds.right) {
            header->bounds.right = rects[i].right;
        }
        if (rects[i].top < header->bounds.top) {
            header->bounds.top = rects[i].top;
        }
        if (rects[i].bottom > header->bounds.bottom) {
            header->bounds.bottom = rects[i].bottom;
        }
    }
    const bool attached = platform::clipper_set_clip_list(clipper, rects, num_rects, header->bounds) &&
                          platform::surface_attach_clipper(lpdds, clipper);
    std::free(block);
    if (!attached) {
        // Nobody else holds the clipper yet; keep it from leaking.
        platform::clipper_release(clipper);
        return nullptr;
    }
    return clipper;
}

platform::Surface* DDraw_Create_Surface(int width, int height, int mem_flags, uint16_t color_key_value)
{
    platform::Surface* surface = platform::display_create_surface(lpdd, width, height, static_cast<uint32_t>(mem_flags));
    if (surface == nullptr) {
        return nullptr;
    }
    platform::surface_set_color_key(surface, color_key_value);
    return surface;
}

int DDraw_Flip()
{
    if (primary_buffer != nullptr || back_buffer != nullptr) {
        return 0;
    }
    if (!screen_windowed) {
        for (int attempt = 0; attempt < flip_attempts; ++attempt) {
            if (platform::surface_flip(lpddsprimary)) {
                return 1;
            }
        }
        return 0;
    }
    RECT window{};
    if (!platform::window_rect(main_window_handle, window)) {
        return 0;
    }
    RECT dest{};
    dest.left = window.left + window_client_x0;
    dest.top = window.top + window_client_y0;
    dest.right = dest.left + screen_width;
    dest.bottom = dest.top + screen_height;
    return platform::surface_blt(lpddsprimary, &dest, lpddsback, nullptr, false) ? 1 : 0;
}

int DDraw_Wait_For_Vsync()
{
    platform::display_wait_vblank(lpdd);
    return 1;
}

int DDraw_Fill_Surface(platform::Surface* lpdds, uint16_t color, const RECT* client)
{
    platform::surface_fill(lpdds, client, color);
    return 1;
}

uint8_t* DDraw_Lock_Surface(platform::Surface* lpdds, int* lpitch)
{
    if (lpdds == nullptr) {
        return nullptr;
    }
    ddsd = platform::LockInfo{};
    if (!platform::surface_lock(lpdds, ddsd)) {
        ddsd = platform::LockInfo{};
    }
    if (lpitch != nullptr) {
        *lpitch = ddsd.pitch;
    }
    return ddsd.pixels;
}

int DDraw_Unlock_Surface(platform::Surface* lpdds)
{
    if (lpdds == nullptr) {
        return 0;
    }
    platform::surface_unlock(lpdds);
    return 1;
}

uint8_t* DDraw_Lock_Primary_Surface()
{
    if (primary_buffer != nullptr) {
        return primary_buffer;
    }
    ddsd = platform::LockInfo{};
    if (!platform::surface_lock(lpddsprimary, ddsd)) {
        ddsd = platform::LockInfo{};
    }
    primary_buffer = ddsd.pixels;
    primary_lpitch = ddsd.pitch;
    return primary_buffer;
}

int DDraw_Unlock_Primary_Surface()
{
    if (primary_buffer == nullptr) {
        return 0;
    }
    platform::surface_unlock(lpddsprimary);
    primary_buffer = nullptr;
    primary_lpitch = 0;
    return 1;
}

uint8_t* DDraw_Lock_Back_Surface()
{
    if (back_buffer != nullptr) {
        return back_buffer;
    }
    ddsd = platform::LockInfo{};
    if (!platform::surface_lock(lpddsback, ddsd)) {
        ddsd = platform::LockInfo{};
    }
    back_buffer = ddsd.pixels;
    back_lpitch = ddsd.pitch;
    return back_buffer;
}

int DDraw_Unlock_Back_Surface()
{
    if (back_buffer == nullptr) {
        return 0;
    }
    platform::surface_unlock(lpddsback);
    back_buffer = nullptr;
    back_lpitch = 0;
    return 1;
}

uint16_t RGB16Bit565(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(((b >> 3) & 31) + (((g >> 2) & 63) << 5) + (((r >> 3) & 31) << 11));
}

uint16_t RGB16Bit555(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(((b >> 3) & 31) + (((g >> 3) & 31) << 5) + (((r >> 3) & 31) << 10));
}

namespace {

// Byte stores keep this right for any alignment of dest. The compiler vectorizes the
// loop once per target and the widest the processor has is chosen at load time, so
// 16-bit runs keep up with memset.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void fill_words(uint8_t* dest, uint8_t low, uint8_t high, int32_t num_words)
{
    const uint8_t bytes[2] = {low, high};
    for (int32_t i = 0; i < num_words; ++i) {
        std::memcpy(dest + static_cast<std::ptrdiff_t>(i) * 2, bytes, 2);
    }
}

} // namespace

void Mem_Set_WORD(void* dest_ptr, uint16_t value, int32_t num_words)
{
    auto* dest = static_cast<uint8_t*>(dest_ptr);
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    if (bytes[0] == bytes[1]) {
        if (num_words > 0) {
            std::memset(dest, bytes[0], static_cast<size_t>(num_words) * 2);
        }
        return;
    }
    fill_words(dest, bytes[0], bytes[1], num_words);
}
