// The SDL2 backend for real, on a private X server: a window opens, a frame is filled
// and flipped, and the pixels the X server holds come out through the palette.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "app/shell.h"
#include "gfx/gfx.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {

struct ScreenReader {
    Display* display = XOpenDisplay(nullptr);
    ~ScreenReader()
    {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    uint32_t pixel(int x, int y) const
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return 0xFFFFFFFF;
        }
        const uint32_t value = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    }
};

// Lets the platform present and the X server catch up: pumps messages for `ms`.
void settle(int ms)
{
    const uint32_t until = SDL_GetTicks() + static_cast<uint32_t>(ms);
    platform::Message message{};
    while (SDL_GetTicks() < until) {
        while (platform::message_peek(message)) {
            platform::message_dispatch(message);
        }
        SDL_Delay(5);
    }
}

class SdlDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::platform_set_present_options(platform::PresentOptions{true, 1});
        ASSERT_TRUE(platform::platform_init("sdl"));
        ASSERT_STREQ("sdl", platform::platform_backend_name());
        platform::WindowClass window_class{"XTEST", WindowProc, 0};
        ASSERT_TRUE(platform::window_register_class(window_class));
        main_window_handle = platform::window_create("XTEST", "xtest", 0, 0, 640, 480);
        ASSERT_NE(nullptr, main_window_handle);
        ASSERT_EQ(1, DDraw_Init(640, 480, 8, 0));
    }
    void TearDown() override
    {
        DDraw_Shutdown();
        platform::window_reset();
        platform::platform_shutdown();
    }
};

TEST_F(SdlDisplay, FilledAndFlippedFrameReachesTheScreenThroughThePalette)
{
    ScreenReader screen;
    ASSERT_NE(nullptr, screen.display);
    PALETTEENTRY colours[256] = {};
    colours[5] = PALETTEENTRY{200, 100, 50, PC_NOCOLLAPSE};
    colours[6] = PALETTEENTRY{10, 220, 30, PC_NOCOLLAPSE};
    Set_Palette(colours);
    DDraw_Fill_Surface(lpddsback, 5);
    const RECT corner{0, 0, 320, 240};
    DDraw_Fill_Surface(lpddsback, 6, &corner);
    ASSERT_EQ(1, DDraw_Flip());
    settle(300);

    // The one window of this process is 640x480 (scale 1): find where it sits.
    int x = 0;
    int y = 0;
    SDL_Window* shown = SDL_GetWindowFromID(1);
    ASSERT_NE(nullptr, shown);
    SDL_GetWindowPosition(shown, &x, &y);
    EXPECT_EQ(0xC86432u, screen.pixel(x + 500, y + 400));
    EXPECT_EQ(0x0ADC1Eu, screen.pixel(x + 100, y + 100));

    // A palette change alone recolours the screen.
    const PALETTEENTRY blue{0, 0, 255, PC_NOCOLLAPSE};
    Set_Palette_Entry(5, &blue);
    settle(300);
    EXPECT_EQ(0x0000FFu, screen.pixel(x + 500, y + 400));
    EXPECT_EQ(0x0ADC1Eu, screen.pixel(x + 100, y + 100));
}

} // namespace

int Game_Init(void*, int) { return 1; }
int Game_Main(void*, int) { return 1; }
int Game_Shutdown(void*, int) { return 1; }
