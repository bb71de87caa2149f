// The smallest program on the library: a window, a colour, a line of text, Escape quits.
#include "app/shell.h"
#include "gfx/gfx.h"
#include "input/input.h"
#include "platform/platform.h"

int Game_Init(void*, int)
{
    if (!DDraw_Init(640, 480, 8, 0)) {
        return 0;
    }
    const PALETTEENTRY sea{0, 60, 140, PC_NOCOLLAPSE};
    const PALETTEENTRY foam{240, 250, 255, PC_NOCOLLAPSE};
    Set_Palette_Entry(1, &sea);
    Set_Palette_Entry(255, &foam);
    return 1;
}

int Game_Main(void*, int)
{
    Start_Clock();
    if (platform::virtual_key_held(VK_ESCAPE)) {
        platform::message_post(main_window_handle, platform::MSG_DESTROY, 0, 0);
    }
    DDraw_Fill_Surface(lpddsback, 1);
    Draw_Text_GDI("Hello, reef! (Escape quits)", 240, 230, COLORREF{0xFFFFFF}, lpddsback);
    DDraw_Flip();
    Wait_Clock(30);  // about 33 frames a second
    return 1;
}

int Game_Shutdown(void*, int)
{
    return DDraw_Shutdown();
}

int main()
{
    if (!platform::platform_init("sdl")) {  // a window on the screen
        return 1;
    }
    const int result = WinMain(platform::instance(), nullptr, nullptr, 0);
    platform::platform_shutdown();
    return result;
}
