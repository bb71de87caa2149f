#include "app/shell.h"

const char* shell_window_title = "DirectInput Keyboard Demo";
ShellObserver shell_observer = {nullptr, nullptr};

namespace {

constexpr const char* class_name = "WINCLASS1";
// Redraw on resize both ways, double clicks, a context of its own.
constexpr uint32_t class_style = 43;

} // namespace

int32_t WindowProc(platform::Window* hwnd, uint32_t msg, uint32_t wparam, int32_t lparam)
{
    switch (msg) {
    case platform::MSG_CREATE:
        return 0;
    case platform::MSG_PAINT:
        // Nothing to draw: the display library paints; this only stops the paint messages.
        platform::window_validate(hwnd);
        return 0;
    case platform::MSG_DESTROY:
        platform::message_post_quit(0);
        return 0;
    default:
        return platform::window_default_procedure(hwnd, msg, wparam, lparam);
    }
}

int WinMain(platform::Instance hinstance, platform::Instance hprevinstance, char* lpcmdline, int ncmdshow)
{
    (void)hprevinstance;
    (void)lpcmdline;
    (void)ncmdshow;

    platform::WindowClass winclass{};
    winclass.name = class_name;
    winclass.procedure = WindowProc;
    winclass.style = class_style;

    main_instance = hinstance;
    if (!platform::window_register_class(winclass)) {
        return 0;
    }
    platform::Window* hwnd = platform::window_create(class_name, shell_window_title, 0, 0, 640, 480);
    if (hwnd == nullptr) {
        return 0;
    }
    main_window_handle = hwnd;

    Game_Init(nullptr, 0);

    platform::Message msg{};
    for (long pass = 1;; ++pass) {
        if (shell_observer.before_pass != nullptr) {
            shell_observer.before_pass(pass);
        }
        if (platform::message_peek(msg)) {
            if (msg.code == platform::MSG_QUIT) {
                break;
            }
            platform::message_dispatch(msg);
        }
        Game_Main(nullptr, 0);
        if (shell_observer.after_pass != nullptr && !shell_observer.after_pass(pass)) {
            msg.wparam = 0;
            break;
        }
    }

    Game_Shutdown(nullptr, 0);
    return static_cast<int>(msg.wparam);
}
