// Bitmap images, text and the BMP loader beside their anchors: Draw_Bitmap opaque beside
// memcpy, transparent beside SDL2's keyed blit (plain and RLE), the game's score line
// with cached glyphs, and loading a 640x480 8-bit file beside reading its bytes.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/bench_support.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

using reef_bench::draw_frame;
using reef_bench::frame_height;
using reef_bench::frame_width;

// The images and a screen-sized destination of the game's pitch.
struct Images {
    Images() : screen(640 * 480, 0)
    {
        Create_Bitmap(&picture, 0, 0, 640, 480, 8);
        for (int i = 0; i < 640 * 480; ++i) {
            picture.buffer[i] = static_cast<uint8_t>(i * 7);
        }
        picture.attr |= BITMAP_LOADED;
        Create_Bitmap(&frame, 300, 200, frame_width, frame_height, 8);
        draw_frame(frame.buffer, frame_width);
        frame.attr |= BITMAP_LOADED;
    }
    BITMAP_IMAGE_TYP picture = {};
    BITMAP_IMAGE_TYP frame = {};
    std::vector<uint8_t> screen;
};

Images& images()
{
    static Images instance;
    return instance;
}

// SDL2's own 8-bit surfaces sharing one palette, so blits copy indices unchanged.
struct SdlSurfaces : reef_bench::SdlSurfaces8 {
    SDL_Surface* screen = make(640, 480);
    SDL_Surface* frame = keyed_frame(false);
    SDL_Surface* frame_rle = keyed_frame(true);
};

SdlSurfaces& sdl_surfaces()
{
    static SdlSurfaces instance;
    return instance;
}

void draw_opaque_reef(benchmark::State& state)
{
    Images& im = images();
    for (auto _ : state) {
        Draw_Bitmap(&im.picture, im.screen.data(), 640, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(draw_opaque_reef)->Name("draw_bitmap_640x480/reef");

void draw_opaque_memcpy(benchmark::State& state)
{
    Images& im = images();
    for (auto _ : state) {
        std::memcpy(im.screen.data(), im.picture.buffer, 640 * 480);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(draw_opaque_memcpy)->Name("draw_bitmap_640x480/memcpy");

void draw_transparent_reef(benchmark::State& state)
{
    Images& im = images();
    for (auto _ : state) {
        Draw_Bitmap(&im.frame, im.screen.data(), 640, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(draw_transparent_reef)->Name("draw_bitmap_transparent_72x84/reef");

void draw_transparent_sdl(benchmark::State& state, bool rle)
{
    SdlSurfaces& s = sdl_surfaces();
    SDL_Surface* source = rle ? s.frame_rle : s.frame;
    for (auto _ : state) {
        SDL_Rect where{300, 200, frame_width, frame_height};
        SDL_BlitSurface(source, nullptr, s.screen, &where);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(draw_transparent_sdl, keyed, false)->Name("draw_bitmap_transparent_72x84/sdl");
BENCHMARK_CAPTURE(draw_transparent_sdl, keyed_rle, true)->Name("draw_bitmap_transparent_72x84/sdl_rle");

int32_t bench_window_procedure(platform::Window* window, uint32_t code, uint32_t wparam, int32_t lparam)
{
    return platform::window_default_procedure(window, code, wparam, lparam);
}

// The display on the headless backend, for text on the back surface.
void start_display()
{
    static bool started = false;
    if (started) {
        return;
    }
    started = true;
    platform::platform_init("headless");
    platform::WindowClass window_class{"BENCH", bench_window_procedure, 0};
    platform::window_register_class(window_class);
    main_window_handle = platform::window_create("BENCH", "bench", 0, 0, 640, 480);
    DDraw_Init(640, 480, 8, 0);
    PALETTEENTRY colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0};
    }
    Set_Palette(colours);
}

void draw_text_reef(benchmark::State& state)
{
    start_display();
    Draw_Text_GDI("Score : 12345", 35, 0, COLORREF{0x00ff00}, lpddsback);  // glyphs rendered and cached
    for (auto _ : state) {
        benchmark::DoNotOptimize(Draw_Text_GDI("Score : 12345", 35, 0, COLORREF{0x00ff00}, lpddsback));
    }
}
BENCHMARK(draw_text_reef)->Name("draw_text_score/reef");

// A classic 640x480 8-bit file, written once.
const std::string& picture_file()
{
    static const std::string name = [] {
        std::string path = "/tmp/reef_bench_picture_" + std::to_string(getpid()) + ".bmp";
        std::vector<uint8_t> bytes(1078 + 640 * 480, 0);
        auto put32 = [&bytes](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
            }
        };
        bytes[0] = 'B';
        bytes[1] = 'M';
        put32(2, static_cast<uint32_t>(bytes.size()));
        put32(10, 1078);
        put32(14, 40);
        put32(18, 640);
        put32(22, 480);
        bytes[26] = 1;
        bytes[28] = 8;
        put32(34, 640 * 480);
        for (size_t i = 54; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(i * 13);
        }
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }();
    return name;
}

void load_reef(benchmark::State& state)
{
    const std::string& name = picture_file();
    BITMAP_FILE_TAG record = {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(Load_Bitmap_File(&record, name.c_str()));
    }
    Unload_Bitmap_File(&record);
}
BENCHMARK(load_reef)->Name("load_bitmap_640x480x8/reef");

// The floor: opening the file and reading all of its bytes into a fresh buffer.
void load_fread(benchmark::State& state)
{
    const std::string& name = picture_file();
    for (auto _ : state) {
        constexpr size_t size = 1078 + 640 * 480;
        auto* bytes = static_cast<uint8_t*>(std::malloc(size));
        std::FILE* f = std::fopen(name.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(bytes, 1, size, f));
        std::fclose(f);
        benchmark::ClobberMemory();
        std::free(bytes);
    }
}
BENCHMARK(load_fread)->Name("load_bitmap_640x480x8/fread");

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(picture_file().c_str());
    return 0;
}
