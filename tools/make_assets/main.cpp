// make_assets DATA_DIR: writes the game data into DATA_DIR/Graphics and DATA_DIR/Sounds.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "app/shell.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "tools/make_assets/assets.h"

namespace {

bool make_folder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "make_assets: cannot create %s\n", path.c_str());
        return false;
    }
    return true;
}

// The pictures are drawn with the library itself, on surfaces of a headless display.
bool start_display()
{
    if (!platform::platform_init("headless")) {
        return false;
    }
    platform::WindowClass window_class{"MAKEASSETS", WindowProc, 0};
    platform::window_register_class(window_class);
    main_window_handle = platform::window_create("MAKEASSETS", "make_assets", 0, 0, 640, 480);
    return main_window_handle != nullptr && DDraw_Init(640, 480, 8, 0) == 1;
}

} // namespace

namespace assets {

bool write_binary_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_assets: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "make_assets: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace assets

// The shell is linked for its window procedure only.
int Game_Init(void*, int) { return 1; }
int Game_Main(void*, int) { return 1; }
int Game_Shutdown(void*, int) { return 1; }

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets DATA_DIR\n");
        return 2;
    }
    const std::string data_dir = argv[1];
    if (!make_folder(data_dir) || !make_folder(data_dir + "/Graphics") || !make_folder(data_dir + "/Sounds")) {
        return 1;
    }
    if (!start_display()) {
        std::fprintf(stderr, "make_assets: cannot start the headless display\n");
        return 1;
    }
    const bool written = assets::write_pictures(data_dir) && assets::write_sprites(data_dir) &&
                         assets::write_sounds(data_dir) && assets::write_songs(data_dir);
    DDraw_Shutdown();
    platform::platform_shutdown();
    return written ? 0 : 1;
}
