// The display's kernels beside their anchors: fills and copies beside memset/memcpy,
// keyed and stretched blits and the palette conversion beside SDL2's own routines.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "app/shell.h"
#include "bench/support/bench_support.h"
#include "gfx/gfx.h"
#include "platform/blit.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

using reef_bench::draw_frame;
using reef_bench::frame_height;
using reef_bench::frame_width;

// The library's display on the headless backend, brought up once.
struct Display {
    Display()
    {
        reef_bench::start_display();
        picture = DDraw_Create_Surface(640, 480, 0, 0);
        frame = DDraw_Create_Surface(frame_width, frame_height, DDSCAPS_SYSTEMMEMORY, 0);
        int pitch = 0;
        uint8_t* pixels = DDraw_Lock_Surface(picture, &pitch);
        for (int y = 0; y < 480; ++y) {
            std::memset(pixels + y * pitch, y & 0xFF, 640);
        }
        DDraw_Unlock_Surface(picture);
        pixels = DDraw_Lock_Surface(frame, &pitch);
        draw_frame(pixels, pitch);
        DDraw_Unlock_Surface(frame);
    }
    platform::Surface* picture = nullptr;
    platform::Surface* frame = nullptr;
};

Display& display()
{
    static Display instance;
    return instance;
}

// SDL2's side of the same pixels.
struct SdlSurfaces : reef_bench::SdlSurfaces8 {
    SdlSurfaces()
    {
        for (int y = 0; y < 480; ++y) {
            std::memset(static_cast<uint8_t*>(screen->pixels) + y * screen->pitch, y & 0xFF, 640);
        }
        SDL_SetColorKey(stretched, SDL_TRUE, 0);
    }
    SDL_Surface* screen = make(640, 480);
    SDL_Surface* frame = keyed_frame(false);
    SDL_Surface* frame_rle = keyed_frame(true);
    SDL_Surface* stretched = make(frame_width * 2, frame_height * 2);
    SDL_Surface* rgb = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_RGB888);
};

SdlSurfaces& sdl()
{
    static SdlSurfaces instance;
    return instance;
}

// --- Full-screen fill and copy ----------------------------------------------------

void fill_640x480_reef(benchmark::State& state)
{
    display();
    uint16_t colour = 0;
    for (auto _ : state) {
        DDraw_Fill_Surface(lpddsback, ++colour & 0xFF);
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(fill_640x480_reef)->Name("fill_640x480/reef");

void fill_640x480_memset(benchmark::State& state)
{
    std::vector<uint8_t> bytes(640 * 480);
    int colour = 0;
    for (auto _ : state) {
        std::memset(bytes.data(), ++colour & 0xFF, bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(fill_640x480_memset)->Name("fill_640x480/memset");

void blit_640x480_reef(benchmark::State& state)
{
    Display& d = display();
    for (auto _ : state) {
        platform::surface_blt(lpddsback, nullptr, d.picture, nullptr, false);
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(blit_640x480_reef)->Name("blit_640x480/reef");

void blit_640x480_memcpy(benchmark::State& state)
{
    std::vector<uint8_t> from(640 * 480, 3);
    std::vector<uint8_t> to(640 * 480);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(blit_640x480_memcpy)->Name("blit_640x480/memcpy");

// --- Colour-keyed 72x84, whole and cut at the left edge ---------------------------

void keyed_reef(benchmark::State& state, int x)
{
    Display& d = display();
    const RECT where{x, 200, x + frame_width, 200 + frame_height};
    for (auto _ : state) {
        platform::surface_blt(lpddsback, &where, d.frame, nullptr, true);
    }
}

void keyed_sdl(benchmark::State& state, int x, bool rle)
{
    SdlSurfaces& s = sdl();
    SDL_Surface* source = rle ? s.frame_rle : s.frame;
    for (auto _ : state) {
        SDL_Rect where{x, 200, frame_width, frame_height};
        SDL_BlitSurface(source, nullptr, s.screen, &where);
    }
}

BENCHMARK_CAPTURE(keyed_reef, unclipped, 300)->Name("keyed_72x84/reef");
BENCHMARK_CAPTURE(keyed_sdl, unclipped, 300, false)->Name("keyed_72x84/sdl");
BENCHMARK_CAPTURE(keyed_sdl, unclipped_rle, 300, true)->Name("keyed_72x84/sdl_rle");
BENCHMARK_CAPTURE(keyed_reef, clipped, -36)->Name("keyed_72x84_clipped/reef");
BENCHMARK_CAPTURE(keyed_sdl, clipped, -36, false)->Name("keyed_72x84_clipped/sdl");
BENCHMARK_CAPTURE(keyed_sdl, clipped_rle, -36, true)->Name("keyed_72x84_clipped/sdl_rle");

// --- Stretched and keyed, 72x84 to 144x168 ----------------------------------------

void stretched_reef(benchmark::State& state)
{
    Display& d = display();
    const RECT where{200, 100, 200 + 2 * frame_width, 100 + 2 * frame_height};
    for (auto _ : state) {
        platform::surface_blt(lpddsback, &where, d.frame, nullptr, true);
    }
}
BENCHMARK(stretched_reef)->Name("stretched_72x84_x2/reef");

// SDL cannot stretch an 8-bit surface with a key in one call: stretch, then blit keyed.
void stretched_sdl(benchmark::State& state)
{
    SdlSurfaces& s = sdl();
    for (auto _ : state) {
        SDL_SoftStretch(s.frame, nullptr, s.stretched, nullptr);
        SDL_Rect where{200, 100, 2 * frame_width, 2 * frame_height};
        SDL_BlitSurface(s.stretched, nullptr, s.screen, &where);
    }
}
BENCHMARK(stretched_sdl)->Name("stretched_72x84_x2/sdl_two_step");

// --- A 640x480 picture through the palette to 32 bits -----------------------------

void palette_to_rgb_reef(benchmark::State& state)
{
    Display& d = display();
    std::vector<uint32_t> out(640 * 480);
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<uint32_t>(i * 0x010203);
    }
    int pitch = 0;
    const uint8_t* pixels = DDraw_Lock_Surface(d.picture, &pitch);
    for (auto _ : state) {
        platform::blit::indexed_to_xrgb(out.data(), 640 * 4, pixels, pitch, 640, 480, table);
        benchmark::ClobberMemory();
    }
    DDraw_Unlock_Surface(d.picture);
}
BENCHMARK(palette_to_rgb_reef)->Name("palette_to_rgb888_640x480/reef");

void palette_to_rgb_sdl(benchmark::State& state)
{
    SdlSurfaces& s = sdl();
    for (auto _ : state) {
        SDL_BlitSurface(s.screen, nullptr, s.rgb, nullptr);
    }
}
BENCHMARK(palette_to_rgb_sdl)->Name("palette_to_rgb888_640x480/sdl");

} // namespace

// The shell's hooks are not used here; the shell library wants them defined.
int Game_Init(void*, int) { return 1; }
int Game_Main(void*, int) { return 1; }
int Game_Shutdown(void*, int) { return 1; }

BENCHMARK_MAIN();
