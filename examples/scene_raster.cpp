// Raster primitives and geometry in four panels, each with its own clip rectangle: a
// starburst of clipped lines, spinning filled triangles (float and fixed point),
// polygons rotated in place (directly and through matrices) with their outlines, and a
// pulsing 40-sided polygon with its bounding box.
#include <cmath>
#include <cstring>

#include "examples/demo.h"
#include "gfx/gfx.h"

namespace {

// Palette layout of the scene.
constexpr int water_first = 1;     // 64 shades of blue, top to bottom
constexpr int hue_first = 65;      // 64 hues around the colour wheel
constexpr int coral_first = 129;   // 32 warm shades
constexpr int kelp_first = 161;    // 32 greens
constexpr int frame_grey = 250;
constexpr int white = 251;
constexpr int yellow = 252;

struct Panel {
    int x1, y1, x2, y2;  // inclusive
    const char* label;
};

const Panel panels[4] = {
    {16, 40, 311, 231, "Clipped lines"},
    {328, 40, 623, 231, "Triangles: float and fixed point"},
    {16, 264, 311, 463, "Rotating polygons and outlines"},
    {328, 264, 623, 463, "Scaled 40-gon and its bounding box"},
};

constexpr int shapes = 3;
VERTEX2D_TYP prototypes[shapes][8];
const int prototype_sizes[shapes] = {6, 8, 3};
VERTEX2D_TYP wheel_prototype[40];

void make_palette()
{
    PALETTEENTRY colours[256] = {};
    for (int i = 0; i < 64; ++i) {
        colours[water_first + i] = PALETTEENTRY{0, static_cast<uint8_t>(20 + i), static_cast<uint8_t>(60 + i * 2), 0};
        const double t = i / 64.0 * 6.2831853;
        colours[hue_first + i] =
            PALETTEENTRY{static_cast<uint8_t>(128 + 127 * std::sin(t)), static_cast<uint8_t>(128 + 127 * std::sin(t + 2.094)),
                         static_cast<uint8_t>(128 + 127 * std::sin(t + 4.189)), 0};
    }
    for (int i = 0; i < 32; ++i) {
        colours[coral_first + i] = PALETTEENTRY{255, static_cast<uint8_t>(90 + i * 4), static_cast<uint8_t>(60 + i * 3), 0};
        colours[kelp_first + i] = PALETTEENTRY{static_cast<uint8_t>(20 + i * 3), static_cast<uint8_t>(120 + i * 4), 60, 0};
    }
    colours[frame_grey] = PALETTEENTRY{140, 150, 170, 0};
    colours[white] = PALETTEENTRY{255, 255, 255, 0};
    colours[yellow] = PALETTEENTRY{255, 230, 60, 0};
    Set_Palette(colours);
}

// Regular convex shapes about their own origin.
void make_prototypes()
{
    const float radii[shapes] = {55, 45, 60};
    for (int s = 0; s < shapes; ++s) {
        for (int i = 0; i < prototype_sizes[s]; ++i) {
            const int degrees = 360 * i / prototype_sizes[s];
            prototypes[s][i] = VERTEX2D_TYP{radii[s] * cos_look[degrees], radii[s] * sin_look[degrees]};
        }
    }
    for (int i = 0; i < 40; ++i) {
        const int degrees = 9 * i;
        wheel_prototype[i] = VERTEX2D_TYP{80 * cos_look[degrees], 80 * sin_look[degrees]};
    }
}

void clip_to(const Panel& panel)
{
    min_clip_x = panel.x1;
    max_clip_x = panel.x2;
    min_clip_y = panel.y1;
    max_clip_y = panel.y2;
}

void clip_to_screen()
{
    min_clip_x = 0;
    max_clip_x = screen_width - 1;
    min_clip_y = 0;
    max_clip_y = screen_height - 1;
}

void draw_frame(const Panel& p, uint8_t* buffer, int pitch)
{
    HLine(p.x1 - 1, p.x2 + 1, p.y1 - 1, frame_grey, buffer, pitch);
    HLine(p.x1 - 1, p.x2 + 1, p.y2 + 1, frame_grey, buffer, pitch);
    VLine(p.y1 - 1, p.y2 + 1, p.x1 - 1, frame_grey, buffer, pitch);
    VLine(p.y1 - 1, p.y2 + 1, p.x2 + 1, frame_grey, buffer, pitch);
}

int wrap_degrees(int degrees)
{
    return ((degrees % 360) + 360) % 360;
}

// Lines from a wandering centre, long enough to leave the panel on every side.
void draw_starburst(int frame, uint8_t* buffer, int pitch)
{
    const Panel& p = panels[0];
    const int cx = (p.x1 + p.x2) / 2 + static_cast<int>(110 * std::sin(frame / 50.0));
    const int cy = (p.y1 + p.y2) / 2 + static_cast<int>(70 * std::cos(frame / 37.0));
    for (int i = 0; i < 60; ++i) {
        const int degrees = wrap_degrees(i * 6 + frame);
        const int ex = cx + static_cast<int>(320 * cos_look[degrees]);
        const int ey = cy + static_cast<int>(320 * sin_look[degrees]);
        Draw_Clip_Line(cx, cy, ex, ey, hue_first + (i + frame / 2) % 64, buffer, pitch);
    }
}

// Five triangles turning about their centres; some cross the panel's edges.
void draw_triangles(int frame, uint8_t* buffer, int pitch)
{
    const Panel& p = panels[1];
    for (int t = 0; t < 5; ++t) {
        const int cx = p.x1 + 20 + t * 64;
        const int cy = p.y1 + 50 + (t % 2) * 95;
        const int radius = 45 + 10 * (t % 3);
        int v[6];
        for (int k = 0; k < 3; ++k) {
            const int degrees = wrap_degrees(frame * (t % 2 == 0 ? 3 : -2) + t * 40 + k * 120);
            v[2 * k] = cx + static_cast<int>(radius * cos_look[degrees]);
            v[2 * k + 1] = cy + static_cast<int>(radius * sin_look[degrees]);
        }
        const int color = coral_first + (t * 7 + frame / 3) % 32;
        if (t % 2 == 0) {
            Draw_Triangle_2D(v[0], v[1], v[2], v[3], v[4], v[5], color, buffer, pitch);
        } else {
            Draw_TriangleFP_2D(v[0], v[1], v[2], v[3], v[4], v[5], color, buffer, pitch);
        }
    }
}

// Rotated from the prototypes each frame, so no rounding builds up.
void draw_polygons(int frame, uint8_t* buffer, int pitch)
{
    const Panel& p = panels[2];
    const int centres[shapes][2] = {{p.x1 + 70, p.y1 + 70}, {p.x1 + 200, p.y1 + 95}, {p.x1 + 95, p.y1 + 165}};
    for (int s = 0; s < shapes; ++s) {
        VERTEX2D_TYP vertices[8];
        std::memcpy(vertices, prototypes[s], sizeof vertices);
        POLYGON2D_TYP poly{1, prototype_sizes[s], centres[s][0], centres[s][1], 0, 0, kelp_first + s * 10, vertices};
        const int theta = wrap_degrees(frame * (s + 1) * 2);
        if (s == 1) {
            Rotate_Polygon2D_Mat(&poly, theta);
        } else {
            Rotate_Polygon2D(&poly, theta);
        }
        Draw_Filled_Polygon2D(&poly, buffer, pitch);
        poly.color = white;
        Draw_Polygon2D(&poly, buffer, pitch);
    }
}

void draw_wheel(int frame, uint8_t* buffer, int pitch)
{
    const Panel& p = panels[3];
    VERTEX2D_TYP vertices[40];
    std::memcpy(vertices, wheel_prototype, sizeof vertices);
    POLYGON2D_TYP wheel{1, 40, (p.x1 + p.x2) / 2, (p.y1 + p.y2) / 2, 0, 0, hue_first + (frame / 4) % 64, vertices};
    const float pulse = 0.75f + 0.5f * static_cast<float>(std::sin(frame / 20.0));
    Scale_Polygon2D(&wheel, pulse * 1.4f, pulse);
    Rotate_Polygon2D(&wheel, wrap_degrees(frame));
    Draw_Filled_Polygon2D(&wheel, buffer, pitch);
    float min_x = 0;
    float max_x = 0;
    float min_y = 0;
    float max_y = 0;
    if (Find_Bounding_Box_Poly2D(&wheel, min_x, max_x, min_y, max_y)) {
        const int left = wheel.origin_x + static_cast<int>(min_x);
        const int right = wheel.origin_x + static_cast<int>(max_x);
        const int top = wheel.origin_y + static_cast<int>(min_y);
        const int bottom = wheel.origin_y + static_cast<int>(max_y);
        HLine(left, right, top, yellow, buffer, pitch);
        HLine(left, right, bottom, yellow, buffer, pitch);
        VLine(top, bottom, left, yellow, buffer, pitch);
        VLine(top, bottom, right, yellow, buffer, pitch);
    }
}

void enter()
{
    Build_Sin_Cos_Tables();
    make_palette();
    make_prototypes();
}

void frame(int frame_number)
{
    uint8_t* buffer = DDraw_Lock_Back_Surface();
    if (buffer == nullptr) {
        return;
    }
    const int pitch = back_lpitch;
    clip_to_screen();
    for (int y = 0; y < screen_height; ++y) {
        HLine(0, screen_width - 1, y, water_first + y * 64 / screen_height, buffer, pitch);
    }
    for (const Panel& panel : panels) {
        draw_frame(panel, buffer, pitch);
    }
    clip_to(panels[0]);
    draw_starburst(frame_number, buffer, pitch);
    clip_to(panels[1]);
    draw_triangles(frame_number, buffer, pitch);
    clip_to(panels[2]);
    draw_polygons(frame_number, buffer, pitch);
    clip_to(panels[3]);
    draw_wheel(frame_number, buffer, pitch);
    clip_to_screen();
    DDraw_Unlock_Back_Surface();
    for (const Panel& panel : panels) {
        Draw_Text_GDI(panel.label, panel.x1, panel.y1 - 22, white, lpddsback);
    }
}

void leave()
{
    clip_to_screen();
}

} // namespace

const DemoScene raster_scene = {"Raster primitives: clipped lines, filled triangles and polygons, transforms", enter,
                                frame, leave};
