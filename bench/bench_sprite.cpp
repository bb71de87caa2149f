// Sprites beside their anchors: Draw_BOB and Draw_Scaled_BOB of a 72x84 frame beside
// SDL2's keyed blits of the same pixels, and Color_Scan beside a plain loop.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "app/shell.h"
#include "bench/support/bench_support.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

using reef_bench::draw_frame;
using reef_bench::frame_height;
using reef_bench::frame_width;

// A background without colour 29, so a scan for it reads its whole rectangle.
uint8_t background_value(int x, int y)
{
    const int v = 30 + (x / 8 + y / 8) % 200;
    return static_cast<uint8_t>(v);
}

// The library's display on the headless backend with one sprite, brought up once.
struct Display {
    Display()
    {
        reef_bench::start_display();
        int pitch = 0;
        uint8_t* pixels = DDraw_Lock_Surface(lpddsback, &pitch);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                pixels[y * pitch + x] = background_value(x, y);
            }
        }
        DDraw_Unlock_Surface(lpddsback);
        Create_BOB(&sprite, 300, 200, frame_width, frame_height, 1, BOB_VISIBLE, DDSCAPS_SYSTEMMEMORY, 0, 8);
        pixels = DDraw_Lock_Surface(sprite.frames[0], &pitch);
        draw_frame(pixels, pitch);
        DDraw_Unlock_Surface(sprite.frames[0]);
    }
    BOB_TYP sprite{};
};

Display& display()
{
    static Display instance;
    return instance;
}

// SDL2's side, drawing onto the same background.
struct SdlSurfaces : reef_bench::SdlSurfaces8 {
    SdlSurfaces()
    {
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                static_cast<uint8_t*>(screen->pixels)[y * screen->pitch + x] = background_value(x, y);
            }
        }
        SDL_SetColorKey(stretched, SDL_TRUE, 0);
    }
    SDL_Surface* screen = make(640, 480);
    SDL_Surface* frame = keyed_frame(false);
    SDL_Surface* frame_rle = keyed_frame(true);
    SDL_Surface* stretched = make(frame_width * 2, frame_height * 2);
};

SdlSurfaces& sdl()
{
    static SdlSurfaces instance;
    return instance;
}

// --- Draw_BOB, whole and cut at the left edge -------------------------------------

void draw_bob_reef(benchmark::State& state, int x)
{
    BOB_TYP& sprite = display().sprite;
    Set_Pos_BOB(&sprite, x, 200);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Draw_BOB(&sprite, lpddsback));
    }
}

void draw_bob_sdl_rle(benchmark::State& state, int x)
{
    SdlSurfaces& s = sdl();
    for (auto _ : state) {
        SDL_Rect where{x, 200, frame_width, frame_height};
        benchmark::DoNotOptimize(SDL_BlitSurface(s.frame_rle, nullptr, s.screen, &where));
    }
}

BENCHMARK_CAPTURE(draw_bob_reef, unclipped, 300)->Name("draw_bob_72x84/reef");
BENCHMARK_CAPTURE(draw_bob_sdl_rle, unclipped, 300)->Name("draw_bob_72x84/sdl_rle");
BENCHMARK_CAPTURE(draw_bob_reef, clipped, -36)->Name("draw_bob_72x84_clipped/reef");
BENCHMARK_CAPTURE(draw_bob_sdl_rle, clipped, -36)->Name("draw_bob_72x84_clipped/sdl_rle");

// --- Draw_Scaled_BOB at twice the size --------------------------------------------

void draw_scaled_bob_reef(benchmark::State& state)
{
    BOB_TYP& sprite = display().sprite;
    Set_Pos_BOB(&sprite, 200, 100);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Draw_Scaled_BOB(&sprite, 2 * frame_width, 2 * frame_height, lpddsback));
    }
}
BENCHMARK(draw_scaled_bob_reef)->Name("draw_scaled_bob_72x84_x2/reef");

// SDL cannot stretch an 8-bit surface with a key in one call: stretch, then blit keyed.
void draw_scaled_bob_sdl(benchmark::State& state)
{
    SdlSurfaces& s = sdl();
    for (auto _ : state) {
        SDL_SoftStretch(s.frame, nullptr, s.stretched, nullptr);
        SDL_Rect where{200, 100, 2 * frame_width, 2 * frame_height};
        benchmark::DoNotOptimize(SDL_BlitSurface(s.stretched, nullptr, s.screen, &where));
    }
}
BENCHMARK(draw_scaled_bob_sdl)->Name("draw_scaled_bob_72x84_x2/sdl_two_step");

// --- Color_Scan of a sprite's inset rectangle, 41x53, finding nothing ----------------

// Away from where the drawing benchmarks leave sprites (whose colours include 29).
constexpr int scan_x1 = 450;
constexpr int scan_y1 = 320;
constexpr int scan_x2 = scan_x1 + 40;
constexpr int scan_y2 = scan_y1 + 52;

void color_scan_reef(benchmark::State& state)
{
    display();
    uint8_t* pixels = DDraw_Lock_Back_Surface();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Color_Scan(scan_x1, scan_y1, scan_x2, scan_y2, 29, 29, pixels, back_lpitch));
    }
    DDraw_Unlock_Back_Surface();
}
BENCHMARK(color_scan_reef)->Name("color_scan_41x53/reef");

// The loop anyone would write: every byte compared with the bounds, stopping at a hit.
int plain_scan(int x1, int y1, int x2, int y2, uint8_t start, uint8_t end, const uint8_t* pixels, int pitch)
{
    for (int y = y1; y <= y2; ++y) {
        const uint8_t* row = pixels + y * pitch;
        for (int x = x1; x <= x2; ++x) {
            if (row[x] >= start && row[x] <= end) {
                return 1;
            }
        }
    }
    return 0;
}

void color_scan_plain(benchmark::State& state)
{
    display();
    uint8_t* pixels = DDraw_Lock_Back_Surface();
    uint8_t colour = 29;
    for (auto _ : state) {
        benchmark::DoNotOptimize(colour);
        benchmark::DoNotOptimize(plain_scan(scan_x1, scan_y1, scan_x2, scan_y2, colour, colour, pixels, back_lpitch));
    }
    DDraw_Unlock_Back_Surface();
}
BENCHMARK(color_scan_plain)->Name("color_scan_41x53/plain_loop");

} // namespace

// The shell's hooks are not used here; the shell library wants them defined.
int Game_Init(void*, int) { return 1; }
int Game_Main(void*, int) { return 1; }
int Game_Shutdown(void*, int) { return 1; }

BENCHMARK_MAIN();
