// Raster primitives beside memset of the same bytes: a run across the screen (8 and 16
// bits), a 200-row triangle (float and fixed point), a 40-vertex convex polygon, a clipped
// 500-pixel line and the dissolve transition.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/gfx.h"

namespace {

constexpr int width = 640;
constexpr int height = 480;
constexpr int pitch = 640;

struct Span {
    int y, x1, x2;
};

std::vector<uint8_t>& screen()
{
    static std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * height * 2, 0);
    return pixels;
}

// The rows a drawing covered, found by drawing it once into a clear screen: the
// anchor fills exactly these bytes with memset.
template <typename Draw>
std::vector<Span> spans_of(Draw draw)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * height, 0);
    draw(pixels.data());
    std::vector<Span> spans;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.data() + y * pitch;
        int x1 = -1;
        int x2 = -1;
        for (int x = 0; x < width; ++x) {
            if (row[x] != 0) {
                x1 = x1 < 0 ? x : x1;
                x2 = x;
            }
        }
        if (x1 >= 0) {
            spans.push_back({y, x1, x2});
        }
    }
    return spans;
}

void fill_spans_memset(benchmark::State& state, const std::vector<Span>& spans)
{
    uint8_t* pixels = screen().data();
    int64_t bytes = 0;
    for (const Span& s : spans) {
        bytes += s.x2 - s.x1 + 1;
    }
    for (auto _ : state) {
        for (const Span& s : spans) {
            std::memset(pixels + s.y * pitch + s.x1, 7, static_cast<size_t>(s.x2 - s.x1 + 1));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void hline_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    int y = 0;
    for (auto _ : state) {
        HLine(0, width - 1, y, 7, pixels, pitch);
        y = (y + 1) % height;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * width);
}
BENCHMARK(hline_reef)->Name("hline_640/reef");

void hline_memset(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    int y = 0;
    for (auto _ : state) {
        std::memset(pixels + y * pitch, 7, width);
        y = (y + 1) % height;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * width);
}
BENCHMARK(hline_memset)->Name("hline_640/memset");

void hline16_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    int y = 0;
    for (auto _ : state) {
        HLine16(0, width - 1, y, 0xF81F, pixels, pitch * 2);
        y = (y + 1) % height;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * width * 2);
}
BENCHMARK(hline16_reef)->Name("hline16_640/reef");

void hline16_memset(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    int y = 0;
    for (auto _ : state) {
        std::memset(pixels + y * pitch * 2, 7, width * 2);
        y = (y + 1) % height;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * width * 2);
}
BENCHMARK(hline16_memset)->Name("hline16_640/memset");

// A general triangle 200 rows high, split at row 220.
void triangle(uint8_t* pixels)
{
    Draw_Triangle_2D(300, 100, 450, 220, 200, 300, 7, pixels, pitch);
}

void triangle_fp(uint8_t* pixels)
{
    Draw_TriangleFP_2D(300, 100, 450, 220, 200, 300, 7, pixels, pitch);
}

void triangle_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        triangle(pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(triangle_reef)->Name("triangle_200/reef");

void triangle_memset(benchmark::State& state)
{
    fill_spans_memset(state, spans_of(triangle));
}
BENCHMARK(triangle_memset)->Name("triangle_200/memset");

void triangle_fp_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        triangle_fp(pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(triangle_fp_reef)->Name("triangle_fp_200/reef");

void triangle_fp_memset(benchmark::State& state)
{
    fill_spans_memset(state, spans_of(triangle_fp));
}
BENCHMARK(triangle_fp_memset)->Name("triangle_fp_200/memset");

// A convex 40-gon of radius 150 about the middle of the screen.
POLYGON2D_TYP& polygon()
{
    static std::vector<VERTEX2D_TYP> vertices;
    static POLYGON2D_TYP poly{};
    if (vertices.empty()) {
        for (int i = 0; i < 40; ++i) {
            const double angle = i * 2.0 * 3.14159265358979 / 40.0;
            vertices.push_back({static_cast<float>(150.0 * std::cos(angle)), static_cast<float>(150.0 * std::sin(angle))});
        }
        poly = POLYGON2D_TYP{1, 40, 320, 240, 0, 0, 7, vertices.data()};
    }
    return poly;
}

void polygon_fill(uint8_t* pixels)
{
    Draw_Filled_Polygon2D(&polygon(), pixels, pitch);
}

void polygon_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        polygon_fill(pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(polygon_reef)->Name("polygon_40/reef");

void polygon_memset(benchmark::State& state)
{
    fill_spans_memset(state, spans_of(polygon_fill));
}
BENCHMARK(polygon_memset)->Name("polygon_40/memset");

// From (-200, 100) to (499, 300): clipped at the left edge, 500 pixels remain.
void clip_line_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        Draw_Clip_Line(-200, 100, 499, 300, 7, pixels, pitch);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(clip_line_reef)->Name("clip_line_500/reef");

void clip_line_memset(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        std::memset(pixels + 200 * pitch, 7, 500);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(clip_line_memset)->Name("clip_line_500/memset");

// Per pixel of the screen: the dissolve draws w * h * 4 + 1 random pixels.
void dissolve_reef(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        Screen_Transitions(TRANSITION_DISSOLVE, pixels, pitch);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(dissolve_reef)->Name("dissolve_640x480/reef")->Unit(benchmark::kMillisecond);

void dissolve_memset(benchmark::State& state)
{
    uint8_t* pixels = screen().data();
    for (auto _ : state) {
        std::memset(pixels, 0, static_cast<size_t>(width) * height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(dissolve_memset)->Name("dissolve_640x480/memset")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
