// Sprites: a shoal of fish playing their swimming sequences and wrapping around the
// screen, beach balls that spin, bounce off the edges, off each other (Collision_BOBS)
// and off the reef (Color_Scan of colour 29), squashing bigger when they hit, and a
// jellyfish drawn scaled as it pulses. Frames are cut from sprite sheets made in memory.
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "examples/demo.h"
#include "gfx/gfx.h"

namespace {

constexpr uint8_t key = 0;
constexpr uint8_t reef = 29;        // the obstacle colour the balls look for
constexpr uint8_t water_top = 100;  // 48 shades of water down to the sand
constexpr int water_shades = 48;
constexpr uint8_t sand = 150;
constexpr uint8_t fish_body = 200;
constexpr uint8_t fish_stripe = 201;
constexpr uint8_t fish_fin = 202;
constexpr uint8_t fish_eye = 203;
constexpr uint8_t ball_red = 210;
constexpr uint8_t ball_white = 211;
constexpr uint8_t ball_blue = 212;
constexpr uint8_t ball_shine = 213;
constexpr uint8_t jelly_dome = 230;
constexpr uint8_t jelly_rim = 231;
constexpr uint8_t jelly_arms = 232;

constexpr int fish_w = 32;
constexpr int fish_h = 20;
constexpr int ball_size = 24;
constexpr int jelly_size = 32;
constexpr int fish_count = 6;
constexpr int ball_count = 4;
constexpr int squash_frames = 8;  // frames a ball is drawn bigger after a hit
constexpr double pi = 3.14159265358979;

// A sheet laid out as the library's cell addressing expects: six cells to a row, each
// framed by one-pixel lines.
class Sheet {
public:
    Sheet(int cell_w, int cell_h, int cells) : cell_w_(cell_w), cell_h_(cell_h)
    {
        const int rows = (cells + 5) / 6;
        width_ = 6 * (cell_w + 1) + 1;
        const int height = rows * (cell_h + 1) + 1;
        pixels_.assign(static_cast<size_t>(width_) * height, 255);
        file_.info_header.biWidth = width_;
        file_.info_header.biHeight = height;
        file_.info_header.biBitCount = 8;
        file_.buffer = pixels_.data();
    }

    void set(int cell, int x, int y, uint8_t value)
    {
        const int left = (cell % 6) * (cell_w_ + 1) + 1;
        const int top = (cell / 6) * (cell_h_ + 1) + 1;
        pixels_[static_cast<size_t>(top + y) * width_ + left + x] = value;
    }

    BITMAP_FILE_TAG* file() { return &file_; }

private:
    int cell_w_;
    int cell_h_;
    int width_ = 0;
    std::vector<uint8_t> pixels_;
    BITMAP_FILE_TAG file_{};
};

// Fish facing right in cells 0-3 (tail beating), the same mirrored in cells 4-7.
uint8_t fish_pixel(int x, int y, int phase)
{
    const double bx = (x - 19.5) / 11.5;
    const double by = (y - 9.5) / 7.0;
    if (bx * bx + by * by < 1.0) {
        if ((x - 25) * (x - 25) + (y - 8) * (y - 8) < 3) {
            return fish_eye;
        }
        return (x / 3) % 3 == 1 ? fish_stripe : fish_body;
    }
    static const int tail_half[4] = {7, 5, 3, 5};
    const int spread = tail_half[phase] * (9 - x) / 8;
    if (x >= 1 && x < 9 && std::abs(2 * y - 19) <= 2 * spread) {
        return fish_fin;
    }
    return key;
}

// A beach ball of six coloured segments, turning a twelfth of a turn per frame.
uint8_t ball_pixel(int x, int y, int phase)
{
    const double dx = x - 11.5;
    const double dy = y - 11.5;
    if (dx * dx + dy * dy > 11.5 * 11.5) {
        return key;
    }
    if ((x - 7) * (x - 7) + (y - 7) * (y - 7) < 6) {
        return ball_shine;
    }
    const double angle = std::atan2(dy, dx) + pi + phase * pi / 6.0;
    static const uint8_t segments[3] = {ball_red, ball_white, ball_blue};
    return segments[static_cast<int>(angle / (pi / 3.0)) % 3];
}

// A jellyfish: a dome over four wavy arms that sway between the two frames.
uint8_t jelly_pixel(int x, int y, int phase)
{
    const double dx = (x - 15.5) / 14.0;
    const double dy = (y - 14.0) / 12.0;
    if (y <= 14 && dx * dx + dy * dy < 1.0) {
        return dx * dx + dy * dy > 0.7 ? jelly_rim : jelly_dome;
    }
    for (int arm = 0; arm < 4; ++arm) {
        const double centre = 7.0 + arm * 6.0 + 1.5 * std::sin(y / 3.0 + phase * pi + arm);
        if (y > 14 && y < 31 && std::fabs(x - centre) < 1.0) {
            return jelly_arms;
        }
    }
    return key;
}

platform::Surface* background = nullptr;
BOB_TYP fish[fish_count] = {};
BOB_TYP balls[ball_count] = {};
BOB_TYP jelly = {};

void set_palette()
{
    PALETTEENTRY colours[256] = {};
    for (int i = 0; i < water_shades; ++i) {
        colours[water_top + i] = PALETTEENTRY{static_cast<uint8_t>(20 - i / 3), static_cast<uint8_t>(120 - i * 2),
                                              static_cast<uint8_t>(190 - i * 2), PC_NOCOLLAPSE};
    }
    colours[sand] = PALETTEENTRY{200, 180, 120, PC_NOCOLLAPSE};
    colours[reef] = PALETTEENTRY{120, 70, 90, PC_NOCOLLAPSE};
    colours[fish_body] = PALETTEENTRY{255, 140, 20, PC_NOCOLLAPSE};
    colours[fish_stripe] = PALETTEENTRY{255, 250, 240, PC_NOCOLLAPSE};
    colours[fish_fin] = PALETTEENTRY{230, 90, 10, PC_NOCOLLAPSE};
    colours[fish_eye] = PALETTEENTRY{10, 10, 20, PC_NOCOLLAPSE};
    colours[ball_red] = PALETTEENTRY{230, 40, 40, PC_NOCOLLAPSE};
    colours[ball_white] = PALETTEENTRY{250, 250, 250, PC_NOCOLLAPSE};
    colours[ball_blue] = PALETTEENTRY{40, 90, 230, PC_NOCOLLAPSE};
    colours[ball_shine] = PALETTEENTRY{255, 255, 200, PC_NOCOLLAPSE};
    colours[jelly_dome] = PALETTEENTRY{240, 150, 220, PC_NOCOLLAPSE};
    colours[jelly_rim] = PALETTEENTRY{200, 90, 200, PC_NOCOLLAPSE};
    colours[jelly_arms] = PALETTEENTRY{250, 200, 240, PC_NOCOLLAPSE};
    Set_Palette(colours);
}

// Water darkening with depth, sand at the bottom and a reef mound in colour 29.
void paint_background()
{
    background = DDraw_Create_Surface(screen_width, screen_height, 0, 0);
    int pitch = 0;
    uint8_t* pixels = DDraw_Lock_Surface(background, &pitch);
    if (pixels == nullptr) {
        return;
    }
    for (int y = 0; y < screen_height; ++y) {
        for (int x = 0; x < screen_width; ++x) {
            const double mx = (x - 330) / 150.0;
            const double my = (y - 480) / 110.0;
            const double ripple = 6.0 * std::sin(x / 23.0);
            uint8_t v = static_cast<uint8_t>(water_top + y * water_shades / screen_height);
            if (y > 455 + ripple / 2) {
                v = sand;
            }
            if (mx * mx + my * my < 1.0 + ripple / 60.0) {
                v = reef;
            }
            pixels[y * pitch + x] = v;
        }
    }
    DDraw_Unlock_Surface(background);
}

void make_fish()
{
    Sheet sheet(fish_w, fish_h, 8);
    for (int cell = 0; cell < 8; ++cell) {
        for (int y = 0; y < fish_h; ++y) {
            for (int x = 0; x < fish_w; ++x) {
                const int fx = cell < 4 ? x : fish_w - 1 - x;
                sheet.set(cell, x, y, fish_pixel(fx, y, cell % 4));
            }
        }
    }
    Create_BOB(&fish[0], 0, 0, fish_w, fish_h, 8, BOB_VISIBLE | BOB_MULTI_ANIM | BOB_WRAP, DDSCAPS_SYSTEMMEMORY, key, 8);
    for (int i = 0; i < 8; ++i) {
        Load_Frame_BOB(&fish[0], sheet.file(), i, i % 6, i / 6, 0);
    }
    const int right[] = {0, 1, 2, 3, 2, 1};
    const int left[] = {4, 5, 6, 7, 6, 5};
    Load_Animation_BOB(&fish[0], 0, 6, right);
    Load_Animation_BOB(&fish[0], 1, 6, left);
    Set_Anim_Speed_BOB(&fish[0], 3);
    for (int i = 1; i < fish_count; ++i) {
        Clone_BOB(&fish[0], &fish[i]);
    }
    for (int i = 0; i < fish_count; ++i) {
        const bool to_left = i % 2 == 1;
        Set_Pos_BOB(&fish[i], (i * 173) % screen_width, 40 + i * 55);
        fish[i].xv = (to_left ? -1.0f : 1.0f) * (1.5f + 0.7f * static_cast<float>(i % 3));
        Set_Animation_BOB(&fish[i], to_left ? 1 : 0);
        fish[i].anim_ticks = i;  // out of step with each other
    }
}

void make_balls()
{
    Sheet sheet(ball_size, ball_size, 4);
    for (int cell = 0; cell < 4; ++cell) {
        for (int y = 0; y < ball_size; ++y) {
            for (int x = 0; x < ball_size; ++x) {
                sheet.set(cell, x, y, ball_pixel(x, y, cell));
            }
        }
    }
    Create_BOB(&balls[0], 0, 0, ball_size, ball_size, 4, BOB_VISIBLE | BOB_MULTI_FRAME | BOB_BOUNCE,
               DDSCAPS_SYSTEMMEMORY, key, 8);
    for (int i = 0; i < 4; ++i) {
        Load_Frame_BOB(&balls[0], sheet.file(), i, i, 0, 0);
    }
    Set_Anim_Speed_BOB(&balls[0], 2);
    for (int i = 1; i < ball_count; ++i) {
        Clone_BOB(&balls[0], &balls[i]);
    }
    const float start[ball_count][4] = {
        {60, 60, 2.5f, 1.5f}, {500, 80, -2.0f, 2.0f}, {300, 200, 1.5f, -2.5f}, {150, 300, -1.5f, -1.0f}};
    for (int i = 0; i < ball_count; ++i) {
        balls[i].x = start[i][0];
        balls[i].y = start[i][1];
        balls[i].xv = start[i][2];
        balls[i].yv = start[i][3];
        balls[i].user_ints[0] = 0;  // frames left to draw it squashed
    }
}

void make_jelly()
{
    Sheet sheet(jelly_size, jelly_size, 2);
    for (int cell = 0; cell < 2; ++cell) {
        for (int y = 0; y < jelly_size; ++y) {
            for (int x = 0; x < jelly_size; ++x) {
                sheet.set(cell, x, y, jelly_pixel(x, y, cell));
            }
        }
    }
    Create_BOB(&jelly, 480, 200, jelly_size, jelly_size, 2, BOB_VISIBLE | BOB_MULTI_FRAME, DDSCAPS_SYSTEMMEMORY,
               key, 8);
    Load_Frame_BOB(&jelly, sheet.file(), 0, 0, 0, 0);
    Load_Frame_BOB(&jelly, sheet.file(), 1, 1, 0, 0);
    Set_Anim_Speed_BOB(&jelly, 10);
}

void enter()
{
    set_palette();
    paint_background();
    make_fish();
    make_balls();
    make_jelly();
}

// Balls that touch trade velocities, but only while closing in, so a pair that still
// overlaps after the exchange is not turned back towards each other.
void collide_balls()
{
    for (int i = 0; i < ball_count; ++i) {
        for (int j = i + 1; j < ball_count; ++j) {
            BOB_TYP& a = balls[i];
            BOB_TYP& b = balls[j];
            const float closing = (b.x - a.x) * (b.xv - a.xv) + (b.y - a.y) * (b.yv - a.yv);
            if (Collision_BOBS(&a, &b) && closing < 0.0f) {
                std::swap(a.xv, b.xv);
                std::swap(a.yv, b.yv);
                a.user_ints[0] = squash_frames;
                b.user_ints[0] = squash_frames;
            }
        }
    }
}

// A ball whose inset box reaches reef pixels steps back and turns round.
void bounce_off_reef(uint8_t* pixels, int pitch)
{
    for (BOB_TYP& ball : balls) {
        const int x = static_cast<int>(ball.x);
        const int y = static_cast<int>(ball.y);
        if (Color_Scan(x + 4, y + 4, x + ball_size - 5, y + ball_size - 5, reef, reef, pixels, pitch)) {
            ball.x -= ball.xv;
            ball.y -= ball.yv;
            ball.xv = -ball.xv;
            ball.yv = -ball.yv;
            ball.user_ints[0] = squash_frames;
        }
    }
}

void draw_ball(BOB_TYP& ball)
{
    if (ball.user_ints[0] <= 0) {
        Draw_BOB(&ball, lpddsback);
        return;
    }
    // Drawn bigger about its centre while the hit lasts.
    const int grow = ball.user_ints[0];
    const float x = ball.x;
    const float y = ball.y;
    ball.x -= static_cast<float>(grow) / 2.0f;
    ball.y -= static_cast<float>(grow) / 2.0f;
    Draw_Scaled_BOB(&ball, ball_size + grow, ball_size + grow, lpddsback);
    ball.x = x;
    ball.y = y;
    --ball.user_ints[0];
}

void frame(int frame_number)
{
    platform::surface_blt(lpddsback, nullptr, background, nullptr, false);

    for (BOB_TYP& ball : balls) {
        Move_BOB(&ball);
        Animate_BOB(&ball);
    }
    if (uint8_t* pixels = DDraw_Lock_Back_Surface()) {
        bounce_off_reef(pixels, back_lpitch);
        DDraw_Unlock_Back_Surface();
    }
    collide_balls();

    // The jellyfish drifts and pulses: one frame, drawn at a changing size.
    const double t = frame_number / 30.0;
    const int size = static_cast<int>(jelly_size * (2.2 + 0.8 * std::sin(t * 2.0)));
    jelly.x = static_cast<float>(470 + 60 * std::sin(t * 0.5) - size / 2);
    jelly.y = static_cast<float>(200 + 40 * std::sin(t * 0.8) - size / 2);
    Animate_BOB(&jelly);
    Draw_Scaled_BOB(&jelly, size, size, lpddsback);

    for (BOB_TYP& f : fish) {
        Move_BOB(&f);
        Animate_BOB(&f);
        Draw_BOB(&f, lpddsback);
    }
    for (BOB_TYP& ball : balls) {
        draw_ball(ball);
    }
}

void leave()
{
    // The parents release the frames and sequences; the clones only forget them.
    for (BOB_TYP& f : fish) {
        Destroy_BOB(&f);
    }
    for (BOB_TYP& ball : balls) {
        Destroy_BOB(&ball);
    }
    Destroy_BOB(&jelly);
    platform::surface_release(background);
    background = nullptr;
}

} // namespace

const DemoScene sprites_scene = {"Sprites: animation, wrap-around, bouncing, scaling and collisions", enter, frame,
                                 leave};
