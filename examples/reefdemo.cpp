// reefdemo: every part of the library at work, one scene after another.
//
//   reefdemo [--windowed] [--scale N] [--seconds S]
//   reefdemo --headless [--frames N] [--shot PASS:FILE.png]...
//
// Each scene runs for a few seconds; the demo ends after the last one, or on Escape.
// Page Down and Page Up step to the next and the previous scene.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/shell.h"
#include "examples/demo.h"
#include "gfx/gfx.h"
#include "input/input.h"
#include "platform/platform.h"
#include "platform/png_writer.h"

namespace {

const DemoScene* const scenes[] = {&palette_scene, &input_scene, &sprites_scene, &text_scene, &raster_scene, &transitions_scene, &sound_scene};
constexpr int scene_count = sizeof scenes / sizeof scenes[0];

constexpr int vk_page_up = 33;
constexpr int vk_page_down = 34;

int frames_per_scene = 200;
long frame_limit = 0;  // headless: stop after this many passes
std::vector<std::pair<long, std::string>> shots;

int scene_index = -1;
int scene_frame = 0;
long pass = 0;

void start_scene(int index)
{
    if (scene_index >= 0) {
        scenes[scene_index]->leave();
    }
    scene_index = index;
    scene_frame = 0;
    DDraw_Fill_Surface(lpddsback, 0);
    scenes[scene_index]->enter();
    std::printf("reefdemo: %s\n", scenes[scene_index]->name);
    std::fflush(stdout);
}

bool parse_number(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: reefdemo [--windowed] [--scale N] [--seconds S]\n"
                 "       reefdemo --headless [--frames N] [--shot PASS:FILE.png]...\n");
    return 2;
}

} // namespace

int Game_Init(void*, int)
{
    if (!DDraw_Init(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0)) {
        std::fprintf(stderr, "reefdemo: the display could not be started\n");
        platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
        return 0;
    }
    platform::window_show_cursor(false);
    start_scene(0);
    return 1;
}

// True once per press of a key, not while it stays down.
bool pressed(int virtual_key, bool& was_down)
{
    const bool down = platform::virtual_key_held(virtual_key);
    const bool press = down && !was_down;
    was_down = down;
    return press;
}

int Game_Main(void*, int)
{
    ++pass;
    Start_Clock();
    if (scene_index < 0) {
        return 1;
    }
    static bool escape_down = false;
    static bool next_down = false;
    static bool previous_down = false;
    if (pressed(VK_ESCAPE, escape_down)) {
        platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
    }
    if (pressed(vk_page_down, next_down)) {
        start_scene((scene_index + 1) % scene_count);
    } else if (pressed(vk_page_up, previous_down)) {
        start_scene((scene_index + scene_count - 1) % scene_count);
    }
    scenes[scene_index]->frame(scene_frame++);
    DDraw_Flip();
    for (const auto& shot : shots) {
        if (shot.first == pass && !platform::capture_png(shot.second.c_str())) {
            std::fprintf(stderr, "reefdemo: cannot write %s\n", shot.second.c_str());
        }
    }
    Wait_Clock(30);
    const bool last_pass = frame_limit > 0 && pass >= frame_limit;
    if (scene_frame >= frames_per_scene && !last_pass) {
        if (scene_index + 1 < scene_count) {
            start_scene(scene_index + 1);
        } else if (frame_limit == 0) {
            platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
        } else {
            start_scene(0);
        }
    }
    if (last_pass) {
        platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
    }
    return 1;
}

int Game_Shutdown(void*, int)
{
    if (scene_index >= 0) {
        scenes[scene_index]->leave();
    }
    DDraw_Shutdown();
    return 1;
}

int main(int argc, char** argv)
{
    bool headless = false;
    platform::PresentOptions options{false, 0};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        long value = 0;
        if (arg == "--headless") {
            headless = true;
        } else if (arg == "--windowed") {
            options.windowed = true;
        } else if (arg == "--scale" && i + 1 < argc && parse_number(argv[++i], value) && value > 0 && value <= 16) {
            options.windowed = true;
            options.scale = static_cast<int>(value);
        } else if (arg == "--seconds" && i + 1 < argc && parse_number(argv[++i], value) && value > 0) {
            frames_per_scene = static_cast<int>(value * 1000 / 30);
        } else if (arg == "--frames" && i + 1 < argc && parse_number(argv[++i], value) && value > 0) {
            frame_limit = value;
        } else if (arg == "--shot" && i + 1 < argc) {
            const std::string spec = argv[++i];
            const size_t colon = spec.find(':');
            long at = 0;
            if (colon == std::string::npos || !parse_number(spec.substr(0, colon).c_str(), at) ||
                colon + 1 >= spec.size()) {
                return usage();
            }
            shots.emplace_back(at, spec.substr(colon + 1));
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            return usage();
        }
    }
    platform::platform_set_present_options(options);
    if (!platform::platform_init(headless ? "headless" : "sdl")) {
        std::fprintf(stderr, "reefdemo: no display could be opened; try --headless\n");
        return 1;
    }
    const int result = WinMain(platform::instance(), nullptr, nullptr, 0);
    platform::platform_shutdown();
    return result;
}
