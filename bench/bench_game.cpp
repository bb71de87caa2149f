// The game's costs: one play frame composed and shown (without its 30 ms wait) beside
// the same frame done with SDL2's own calls, and the whole start-up, Game_Init.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/shell.h"
#include "bench/support/bench_support.h"
#include "platform/blit.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

constexpr int sprite_count = 9;

struct Sprite {
    int width;
    int height;
    int x;
    int y;
};

// Where the nine sprites of a typical frame are: the diver, six barrels, bubble, token.
const Sprite sprites[sprite_count] = {
    {56, 72, 200, 200}, {72, 84, 40, 60},   {72, 84, 300, 120}, {72, 84, 560, -30}, {72, 84, 120, 300},
    {72, 84, 420, 250}, {72, 84, 600, 400}, {72, 84, 250, 10},  {72, 84, 480, 100},
};

void draw_sprite_frame(uint8_t* pixels, int pitch, int width, int height, int colour)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / (width / 2.0 * 0.874);
            const double dy = (y + 0.5 - height / 2.0) / (height / 2.0 * 0.874);
            pixels[y * pitch + x] = dx * dx + dy * dy <= 1.0 ? static_cast<uint8_t>(colour + (x + y) % 7) : 0;
        }
    }
}

void draw_background(uint8_t* pixels, int pitch)
{
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            // Water shading down the screen, a reef of index 29 along the bottom.
            const bool reef = y > 430 - ((x * 7) % 40);
            pixels[y * pitch + x] = reef ? 29 : static_cast<uint8_t>(40 + y / 20 + (x / 64) % 3);
        }
    }
}

// --- The library's frame ------------------------------------------------------------

struct ReefFrame {
    ReefFrame()
    {
        reef_bench::start_display();
        Create_Bitmap(&background, 0, 0, 640, 480, 8);
        draw_background(background.buffer, 640);
        background.attr |= BITMAP_LOADED;
        for (int i = 0; i < sprite_count; ++i) {
            const Sprite& s = sprites[i];
            Create_BOB(&bobs[i], s.x, s.y, s.width, s.height, 1, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY,
                       0, 8);
            int pitch = 0;
            uint8_t* pixels = DDraw_Lock_Surface(bobs[i].frames[0], &pitch);
            draw_sprite_frame(pixels, pitch, s.width, s.height, 100 + i * 10);
            DDraw_Unlock_Surface(bobs[i].frames[0]);
        }
        for (int i = 0; i < 256; ++i) {
            colours[i] = static_cast<uint32_t>(i * 0x010101);
        }
        shown.resize(640 * 480);
    }

    // The play frame's work, in its order, and the presenter's conversion to 32 bits.
    void run(int frame)
    {
        DDraw_Fill_Surface(lpddsback, 0);
        DDraw_Lock_Back_Surface();
        Draw_Bitmap(&background, back_buffer, back_lpitch, 0);
        DDraw_Unlock_Back_Surface();
        for (int i = 0; i < sprite_count; ++i) {
            BOB_TYP& bob = bobs[i];
            DDraw_Lock_Back_Surface();
            const int x = static_cast<int>(bob.x);
            const int y = static_cast<int>(bob.y);
            hits += Color_Scan(x + 16, y + 16, x + bob.width - 16, y + bob.height - 16, 29, 29, back_buffer,
                               back_lpitch);
            DDraw_Unlock_Back_Surface();
            Draw_BOB(&bob, lpddsback);
        }
        PALETTEENTRY glow{0, static_cast<uint8_t>(frame * 5), 0, PC_NOCOLLAPSE};
        Set_Palette_Entry(29, &glow);
        std::snprintf(text, sizeof text, "Score : %d", frame);
        Draw_Text_GDI(text, 300, 0, COLORREF{0x00FF00}, lpddsback);
        std::snprintf(text, sizeof text, "Bubble Shield : %d", 9);
        Draw_Text_GDI(text, 35, 0, COLORREF{0x00FF00}, lpddsback);
        std::snprintf(text, sizeof text, "High Score : %d", 120);
        Draw_Text_GDI(text, 450, 0, COLORREF{0x00FF00}, lpddsback);
        DDraw_Flip();
        int pitch = 0;
        const uint8_t* pixels = DDraw_Lock_Surface(lpddsprimary, &pitch);
        platform::blit::indexed_to_xrgb(shown.data(), 640 * 4, pixels, pitch, 640, 480, colours);
        DDraw_Unlock_Surface(lpddsprimary);
    }

    BITMAP_IMAGE_TYP background{};
    BOB_TYP bobs[sprite_count]{};
    uint32_t colours[256];
    std::vector<uint32_t> shown;
    char text[80] = {};
    int hits = 0;
};

void play_frame_reef(benchmark::State& state)
{
    static ReefFrame frame;
    int n = 0;
    for (auto _ : state) {
        frame.run(++n);
    }
    benchmark::DoNotOptimize(frame.hits);
}
BENCHMARK(play_frame_reef)->Name("play_frame/reef");

// --- The same frame with SDL2's calls ----------------------------------------------

struct SdlFrame : reef_bench::SdlSurfaces8 {
    SdlFrame()
    {
        draw_background(static_cast<uint8_t*>(background->pixels), background->pitch);
        for (int i = 0; i < sprite_count; ++i) {
            frames[i] = make(sprites[i].width, sprites[i].height);
            draw_sprite_frame(static_cast<uint8_t*>(frames[i]->pixels), frames[i]->pitch, sprites[i].width,
                              sprites[i].height, 100 + i * 10);
            SDL_SetColorKey(frames[i], SDL_TRUE, 0);
            SDL_SetSurfaceRLE(frames[i], 1);
        }
    }
    void run()
    {
        SDL_FillRect(back, nullptr, 0);
        SDL_BlitSurface(background, nullptr, back, nullptr);
        for (int i = 0; i < sprite_count; ++i) {
            SDL_Rect where{sprites[i].x, sprites[i].y, sprites[i].width, sprites[i].height};
            SDL_BlitSurface(frames[i], nullptr, back, &where);
        }
        SDL_BlitSurface(back, nullptr, shown, nullptr);
    }
    SDL_Surface* back = make(640, 480);
    SDL_Surface* background = make(640, 480);
    SDL_Surface* frames[sprite_count] = {};
    SDL_Surface* shown = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_RGB888);
};

void play_frame_sdl(benchmark::State& state)
{
    static SdlFrame frame;
    for (auto _ : state) {
        frame.run();
    }
}
BENCHMARK(play_frame_sdl)->Name("play_frame/sdl");

// --- Start-up on the generated data -----------------------------------------------

void game_init(benchmark::State& state)
{
    const char* data = std::getenv("REEF_GAME_DATA");
    if (data == nullptr || chdir(data) != 0) {
        state.SkipWithError("REEF_GAME_DATA does not name the generated data");
        return;
    }
    reef_bench::start_display();  // the window and platform the game starts in
    DDraw_Shutdown();
    for (auto _ : state) {
        screenstate = SCREEN_TITLE;
        Game_Init(nullptr, 0);
        state.PauseTiming();
        Game_Shutdown(nullptr, 0);
        state.ResumeTiming();
    }
    DDraw_Init(640, 480, 8, 0);
}
BENCHMARK(game_init)->Name("game_init/reef")->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
