#include "tools/make_assets/props.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace assets {

namespace {

constexpr float pi = 3.14159265f;

// What a drum's decoration puts at a point of its side: `s` runs around the drum
// (arc length from the front, pixels at scale 1), `t` down from the top edge; 0 keeps
// the drum's own colour.
using Decoration = std::function<uint8_t(float s, float t, int x, int y, float level)>;

struct Drum {
    float radius = 23.0f;  // half the width
    float height = 58.0f;  // side height
    float lid = 6.0f;      // half height of the lid ellipse
};

float ridge_tilt(float t, float height)
{
    // Two rolling hoops round the drum and the chimes at both ends tilt the surface.
    const float hoops[2] = {height * 0.22f, height * 0.78f};
    for (float hoop : hoops) {
        const float d = (t - hoop) / 2.2f;
        if (std::fabs(d) <= 1.0f) {
            return d;
        }
    }
    if (t < 2.0f) {
        return -0.8f;
    }
    if (t > height - 2.0f) {
        return 0.9f;
    }
    return 0.0f;
}

void draw_drum(Canvas& canvas, Vec centre, float scale, Ramp body, float glint, const Decoration& decorate)
{
    const Drum drum;
    const float r = drum.radius * scale;
    const float h = drum.height * scale;
    const float lid = drum.lid * scale;
    const float top = centre.y - h * 0.5f;
    const int x0 = static_cast<int>(std::floor(centre.x - r));
    const int x1 = static_cast<int>(std::ceil(centre.x + r));
    const int y0 = static_cast<int>(std::floor(top - lid));
    const int y1 = static_cast<int>(std::ceil(top + h + lid));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const float nx = (px - centre.x) / r;
            if (std::fabs(nx) > 1.0f) {
                continue;
            }
            const float depth = std::sqrt(1.0f - nx * nx);
            const float edge = lid * depth;  // the front edge of the lid ellipse below its centre line
            const float lid_y = (py - top) / lid;
            if (nx * nx + lid_y * lid_y <= 1.0f && py < top + edge) {
                // The lid: a raised rim, a dull middle and the bung.
                const float radial = std::sqrt(nx * nx + lid_y * lid_y);
                float level = radial > 0.84f ? 0.75f : 0.42f;
                const float bx = (nx - 0.42f) / 0.16f;
                const float by = lid_y / 0.36f;
                if (bx * bx + by * by <= 1.0f) {
                    level = by < 0.0f ? 0.25f : 0.6f;
                }
                canvas.set(x, y, ramp_shade(body, level, x, y));
                continue;
            }
            const float t = (py - top - edge) / scale;
            if (t < 0.0f || t > drum.height) {
                continue;
            }
            const float tilt = ridge_tilt(t, drum.height);
            const float length = std::sqrt(1.0f + tilt * tilt * 0.6f);
            const float u = std::asin(nx);
            float level = light_level(nx / length, tilt * 0.77f / length, depth / length);
            level += 0.55f * std::exp(-((u - glint) * (u - glint)) / 0.018f);
            const uint8_t decoration = decorate ? decorate(u * drum.radius, t, x, y, level) : 0;
            canvas.set(x, y, decoration != 0 ? decoration : ramp_shade(body, level, x, y));
        }
    }
}

// The radiation trefoil: a hub and three blades, one pointing down.
bool in_trefoil(float sx, float sy, float size)
{
    const float r = std::sqrt(sx * sx + sy * sy) / size;
    if (r < 0.24f) {
        return true;
    }
    if (r < 0.36f || r > 1.0f) {
        return false;
    }
    const float angle = std::atan2(-sy, sx) * 180.0f / pi + 180.0f;  // 0..360, y up, from the left
    for (float blade : {210.0f, 330.0f, 90.0f}) {
        float d = std::fabs(angle - blade);
        d = std::min(d, 360.0f - d);
        if (d <= 30.0f) {
            return true;
        }
    }
    return false;
}

} // namespace

void draw_nuke_barrel(Canvas& canvas, Vec centre, int frame, float scale)
{
    const Drum drum;
    static const float glints[4] = {-0.95f, -0.55f, -0.15f, 0.25f};
    const uint8_t black = colour::ink;
    auto decorate = [&drum, black](float s, float t, int, int, float) -> uint8_t {
        const bool in_band = (t > 3.4f && t < 9.6f) || (t > drum.height - 9.6f && t < drum.height - 3.4f);
        if (in_band) {
            const float phase = std::fmod(s - t + 400.0f, 8.0f);
            return phase < 4.0f ? black : 0;
        }
        return in_trefoil(s, t - drum.height * 0.5f, 12.5f) ? black : 0;
    };
    draw_drum(canvas, centre, scale, yellow_metal_ramp, glints[frame & 3], decorate);
}

void draw_oil_barrel(Canvas& canvas, Vec centre, int frame, float scale)
{
    const Drum drum;
    TextMask word;
    render_text(sans_bold_font, static_cast<int>(std::lround(15.0f * scale)), "OIL", word);
    const float label_top = drum.height * 0.3f;
    const float label_bottom = drum.height * 0.7f;
    const float word_left = -3.0f;
    auto decorate = [&](float s, float t, int x, int y, float level) -> uint8_t {
        if (t < label_top || t > label_bottom) {
            return 0;
        }
        const int wx = static_cast<int>(std::floor((s - word_left) * scale));
        const int wy = static_cast<int>(std::floor((t - (label_top + label_bottom) * 0.5f) * scale)) + word.height / 2;
        if (word.at(wx, wy) >= 120) {
            return colour::ink;
        }
        // The oil drop sign left of the word.
        const float dx = s + 10.0f;
        const float dy = t - (label_top + label_bottom) * 0.5f - 1.5f;
        const bool drop_round = dx * dx + dy * dy <= 16.0f;
        const bool drop_point = dy < 0.0f && dy > -8.5f && std::fabs(dx) <= (dy + 8.5f) * 0.45f;
        if (drop_round || drop_point) {
            return dx < -1.0f && dy > -1.0f && dy < 1.5f ? ramp_step(oil_ramp, 3) : ramp_step(oil_ramp, 0);
        }
        return ramp_shade(coral_orange_ramp, level * 0.9f + 0.1f, x, y);
    };
    draw_drum(canvas, centre, scale, steel_ramp, -0.6f, decorate);

    // Oil running down from the lid at the front left, further on each frame, with a
    // drop gathering at its end.
    static const float runs[3] = {3.0f, 10.0f, 18.0f};
    const float r = drum.radius * scale;
    const float nx = -0.42f;
    const float x = centre.x + nx * r;
    const float lid_edge = centre.y - drum.height * scale * 0.5f + drum.lid * scale * std::sqrt(1.0f - nx * nx);
    const float run = runs[((frame % 3) + 3) % 3] * scale;
    const uint8_t oil = ramp_step(oil_ramp, 0);
    shade_ellipse(canvas, {x + 0.5f * scale, lid_edge - 0.5f * scale}, 4.0f * scale, 1.8f * scale, oil_ramp, -0.5f);
    draw_thick_line(canvas, {x, lid_edge}, {x, lid_edge + run}, 2.8f * scale, oil);
    const float drop = (2.2f + run / scale * 0.05f) * scale;
    shade_ellipse(canvas, {x, lid_edge + run + drop * 0.3f}, drop, drop * 1.2f, oil_ramp, -0.5f);
}

void draw_air_bubble(Canvas& canvas, Vec centre, int frame, float scale)
{
    const bool wide = (frame & 1) == 0;
    const float rx = (wide ? 27.0f : 24.5f) * scale;
    const float ry = (wide ? 24.5f : 27.0f) * scale;
    const int x0 = static_cast<int>(std::floor(centre.x - rx)) - 1;
    const int x1 = static_cast<int>(std::ceil(centre.x + rx)) + 1;
    const int y0 = static_cast<int>(std::floor(centre.y - ry)) - 1;
    const int y1 = static_cast<int>(std::ceil(centre.y + ry)) + 1;
    const float rim = 2.6f * scale;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float nx = (static_cast<float>(x) + 0.5f - centre.x) / rx;
            const float ny = (static_cast<float>(y) + 0.5f - centre.y) / ry;
            const float d = std::sqrt(nx * nx + ny * ny);
            if (d > 1.0f) {
                continue;
            }
            const float from_edge = (1.0f - d) * std::min(rx, ry);
            // Light on the rim is strongest toward the upper left.
            const float toward_light = (-nx - ny) * 0.7071f;
            if (from_edge < rim) {
                canvas.set(x, y, ramp_shade(bubble_ramp, 0.45f + 0.45f * toward_light, x, y));
            } else if (from_edge < rim * 3.0f && dither_threshold(x, y) < 0.25f * (1.0f - from_edge / (rim * 3.0f))) {
                // A thin film of colour inside the rim; the middle stays see-through.
                canvas.set(x, y, ramp_step(bubble_ramp, 2));
            }
        }
    }
    // The window reflection, a curved streak at the upper left, and a small one opposite.
    for (int i = 0; i <= 14; ++i) {
        const float a = (200.0f + static_cast<float>(i) * 4.5f) * pi / 180.0f;
        const Vec p = centre + Vec{std::cos(a) * rx * 0.72f, std::sin(a) * ry * 0.72f};
        shade_ellipse(canvas, p, 1.8f * scale, 1.8f * scale, bubble_ramp, 0.6f);
    }
    shade_ellipse(canvas, centre + Vec{-rx * 0.38f, -ry * 0.38f}, 3.0f * scale, 3.0f * scale, bubble_ramp, 0.7f);
    shade_ellipse(canvas, centre + Vec{rx * 0.5f, ry * 0.45f}, 2.0f * scale, 2.0f * scale, bubble_ramp, 0.5f);
    // Little bubbles keep it company.
    const Vec small = wide ? Vec{rx * 0.95f, -ry * 0.95f} : Vec{rx * 0.85f, -ry * 1.1f};
    shade_ellipse(canvas, centre + small, 3.2f * scale, 3.2f * scale, bubble_ramp, 0.2f);
    shade_ellipse(canvas, centre + Vec{-rx * 0.9f, ry * (wide ? 0.85f : 0.95f)}, 2.2f * scale, 2.2f * scale,
                  bubble_ramp, 0.2f);
}

void draw_speed_token(Canvas& canvas, Vec centre, int frame, float scale)
{
    // Eight sparkle rays turning by 15 degrees a frame: three frames make one eighth
    // of a turn, so the loop is seamless.
    const float turn = static_cast<float>(((frame % 3) + 3) % 3) * 15.0f;
    for (int i = 0; i < 8; ++i) {
        const float a = (turn + static_cast<float>(i) * 45.0f) * pi / 180.0f;
        const Vec dir{std::cos(a), std::sin(a)};
        const Vec side{-dir.y, dir.x};
        const float inner = 24.0f * scale;
        const float outer = ((i & 1) == 0 ? 32.0f : 29.0f) * scale;
        fill_triangle(canvas, centre + dir * inner + side * (2.6f * scale), centre + dir * outer,
                      centre + dir * inner - side * (2.6f * scale), ramp_step(gold_ramp, 10));
    }
    // The coin: a bevelled rim round a lighter face.
    const float r = 24.0f * scale;
    shade_ellipse(canvas, centre, r, r, gold_ramp, 0.05f);
    const float face = 19.0f * scale;
    const int x0 = static_cast<int>(std::floor(centre.x - face));
    const int x1 = static_cast<int>(std::ceil(centre.x + face));
    const int y0 = static_cast<int>(std::floor(centre.y - face));
    const int y1 = static_cast<int>(std::ceil(centre.y + face));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float nx = (static_cast<float>(x) + 0.5f - centre.x) / face;
            const float ny = (static_cast<float>(y) + 0.5f - centre.y) / face;
            const float d = nx * nx + ny * ny;
            if (d <= 1.0f) {
                // A flat face, slightly darker toward the lower right, with a dished edge.
                const float level = 0.62f - 0.16f * (nx + ny) + (d > 0.86f ? 0.18f * (nx + ny) : 0.0f);
                canvas.set(x, y, ramp_shade(gold_ramp, level, x, y));
            }
        }
    }
    // The lightning bolt, in three convex parts.
    const float s = scale;
    const std::vector<Vec> upper = {centre + Vec{3.5f, -15.0f} * s, centre + Vec{-9.0f, 2.5f} * s,
                                    centre + Vec{1.0f, 2.5f} * s, centre + Vec{7.0f, -15.0f} * s};
    const std::vector<Vec> lower = {centre + Vec{-1.0f, -2.5f} * s, centre + Vec{-6.0f, 15.5f} * s,
                                    centre + Vec{9.0f, -2.5f} * s};
    const std::vector<Vec> joint = {centre + Vec{-9.0f, 2.5f} * s, centre + Vec{-1.0f, -2.5f} * s,
                                    centre + Vec{9.0f, -2.5f} * s, centre + Vec{1.0f, 2.5f} * s};
    // Its shadow on the coin first, a little down and to the right.
    const Vec offset = Vec{1.5f, 1.5f} * s;
    for (const std::vector<Vec>* part : {&upper, &lower, &joint}) {
        std::vector<Vec> shifted = *part;
        for (Vec& p : shifted) {
            p = p + offset;
        }
        fill_polygon(canvas, shifted, ramp_step(gold_ramp, 1));
    }
    fill_polygon(canvas, upper, ramp_step(electric_ramp, 6));
    fill_polygon(canvas, lower, ramp_step(electric_ramp, 5));
    fill_polygon(canvas, joint, ramp_step(electric_ramp, 6));
    draw_line(canvas, centre + Vec{4.5f, -13.0f} * s, centre + Vec{-5.0f, 1.0f} * s, colour::white);
}

} // namespace assets
