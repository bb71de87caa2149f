#include "tools/make_assets/seascape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/make_assets/reef_layout.h"

namespace assets {

namespace {

constexpr float pi = 3.14159265f;
constexpr int width = 640;
constexpr int height = 480;

// --- Water, light and the far distance --------------------------------------------

struct Ray {
    float angle;      // degrees, seen from the light's source above the surface
    float half_width; // degrees
    float strength;
};

constexpr Vec ray_source{120.0f, -300.0f};
constexpr Ray rays[] = {
    {93.0f, 1.4f, 0.8f}, {86.5f, 2.4f, 0.7f}, {79.0f, 1.1f, 1.0f},
    {73.0f, 2.0f, 0.6f}, {66.0f, 1.3f, 0.9f}, {60.5f, 0.9f, 0.7f},
};

float water_level(int x, int y)
{
    const float fy = static_cast<float>(y);
    const float fx = static_cast<float>(x);
    float level = 0.90f - 0.80f * std::pow(std::max(fy - 20.0f, 0.0f) / 460.0f, 0.9f);
    const float side = (fx - 320.0f) / 320.0f;
    level -= 0.05f * side * side;
    // Shafts of light from the surface, fading with depth and flickering along their length.
    const float angle = std::atan2(fy - ray_source.y, fx - ray_source.x) * 180.0f / pi;
    const float distance = std::sqrt((fx - ray_source.x) * (fx - ray_source.x) + (fy - ray_source.y) * (fy - ray_source.y));
    const float fade = std::exp(-std::max(fy - 20.0f, 0.0f) / 210.0f);
    for (const Ray& ray : rays) {
        const float across = std::fabs(angle - ray.angle) / ray.half_width;
        if (across < 1.0f) {
            const float shape = 1.0f - smooth_step(0.35f, 1.0f, across);
            const float flicker = 0.75f + 0.25f * value_noise(distance / 45.0f, 7u + static_cast<uint32_t>(ray.angle));
            level += 0.16f * ray.strength * shape * fade * flicker;
        }
    }
    return level;
}

float far_ridge(int x)
{
    const float fx = static_cast<float>(x);
    return 366.0f + 20.0f * value_noise(fx / 85.0f, 11u) + 7.0f * value_noise(fx / 23.0f, 12u);
}

float near_ridge(int x)
{
    const float fx = static_cast<float>(x);
    return 402.0f + 14.0f * value_noise(fx / 52.0f, 13u) + 4.0f * value_noise(fx / 15.0f, 14u);
}

float sand_top(int x)
{
    const float fx = static_cast<float>(x);
    return 424.0f + 5.0f * value_noise(fx / 60.0f, 15u) + 2.0f * value_noise(fx / 13.0f, 16u);
}

void paint_water_and_floor(Canvas& canvas)
{
    for (int x = 0; x < width; ++x) {
        const float ridge_far = far_ridge(x);
        const float ridge_near = near_ridge(x);
        const float sand = sand_top(x);
        for (int y = 0; y < height; ++y) {
            const float fy = static_cast<float>(y);
            uint8_t c = 0;
            if (fy >= sand) {
                // Sand: lit at the top of the slope, rippled, darker toward the front.
                const float fx = static_cast<float>(x);
                const float ripple = std::sin(fx * 0.21f + 3.0f * value_noise_2d(fx / 40.0f, fy / 9.0f, 17u));
                const float level = 0.72f - 0.55f * (fy - sand) / 60.0f + 0.10f * ripple +
                                    0.06f * value_noise_2d(fx / 3.0f, fy / 3.0f, 18u);
                c = ramp_shade(sand_ramp, level, x, y);
                if (fy < sand + 1.0f) {
                    c = ramp_step(sand_ramp, 8);
                }
            } else if (fy >= ridge_near) {
                // Nearer rocks behind the reef, darker than the water around them.
                const float level = water_level(x, static_cast<int>(ridge_near)) - 0.24f -
                                    0.10f * (fy - ridge_near) / 30.0f +
                                    0.05f * value_noise_2d(static_cast<float>(x) / 6.0f, fy / 6.0f, 19u);
                c = ramp_shade(water_ramp, level, x, y);
            } else if (fy >= ridge_far) {
                // The far ridge: only a shade darker than the water, lost in the haze.
                const float level = water_level(x, static_cast<int>(ridge_far)) - 0.11f - 0.05f * (fy - ridge_far) / 40.0f;
                c = ramp_shade(water_ramp, level, x, y);
            } else {
                c = ramp_shade(water_ramp, water_level(x, y), x, y);
            }
            canvas.set(x, y, c);
        }
    }
}

// --- Things in the water -----------------------------------------------------------

void paint_kelp(Canvas& canvas, float base_x, float base_y, float length, float phase, float dim)
{
    const int segments = static_cast<int>(length / 6.0f);
    Vec previous{base_x, base_y};
    for (int i = 1; i <= segments; ++i) {
        const float along = static_cast<float>(i) / static_cast<float>(segments);
        const Vec point{base_x + 9.0f * std::sin(along * 4.2f + phase) * along, base_y - along * length};
        const uint8_t stem = ramp_shade(kelp_ramp, 0.30f - dim + 0.25f * along, static_cast<int>(point.x), static_cast<int>(point.y));
        draw_thick_line(canvas, previous, point, 3.0f - along, stem);
        // Leaves on alternate sides.
        const float side = (i % 2 == 0) ? 1.0f : -1.0f;
        const Vec leaf_tip = point + Vec{side * (7.0f - 3.0f * along), -5.0f};
        fill_triangle(canvas, point, leaf_tip, point + Vec{0.0f, 4.0f}, ramp_step(kelp_ramp, static_cast<int>(4.0f - dim * 10.0f + along * 3.0f)));
        previous = point;
    }
}

void paint_fish_school(Canvas& canvas, Vec centre, Random& random)
{
    for (int i = 0; i < 9; ++i) {
        const Vec at = centre + Vec{random.range(-60.0f, 60.0f), random.range(-22.0f, 22.0f)};
        const float size = random.range(2.2f, 3.4f);
        const uint8_t body = ramp_shade(water_ramp, water_level(static_cast<int>(at.x), static_cast<int>(at.y)) - 0.2f,
                                        static_cast<int>(at.x), static_cast<int>(at.y));
        // Swimming left: body, then the tail behind it.
        fill_polygon(canvas,
                     {at + Vec{-size * 2.0f, 0.0f}, at + Vec{-size * 0.6f, -size}, at + Vec{size * 1.2f, -size * 0.5f},
                      at + Vec{size * 1.4f, size * 0.3f}, at + Vec{-size * 0.6f, size * 0.9f}},
                     body);
        fill_triangle(canvas, at + Vec{size * 1.2f, 0.0f}, at + Vec{size * 2.6f, -size}, at + Vec{size * 2.6f, size}, body);
    }
}

void paint_rising_bubbles(Canvas& canvas, Vec from, int count, Random& random)
{
    Vec at = from;
    float radius = 1.2f;
    for (int i = 0; i < count; ++i) {
        shade_ellipse(canvas, at, radius, radius, bubble_ramp, 0.05f);
        at = at + Vec{random.range(-3.0f, 3.0f), -random.range(9.0f, 16.0f)};
        radius = std::min(radius + 0.35f, 3.2f);
    }
}

void paint_starfish(Canvas& canvas, Vec centre, float size, float turn)
{
    std::vector<Vec> inner;
    std::vector<Vec> outer;
    for (int i = 0; i < 5; ++i) {
        const float a = turn + static_cast<float>(i) * 2.0f * pi / 5.0f;
        outer.push_back(centre + Vec{std::cos(a) * size, std::sin(a) * size * 0.7f});
        const float b = a + pi / 5.0f;
        inner.push_back(centre + Vec{std::cos(b) * size * 0.4f, std::sin(b) * size * 0.28f});
    }
    fill_polygon(canvas, inner, ramp_step(coral_orange_ramp, 5));
    for (int i = 0; i < 5; ++i) {
        fill_triangle(canvas, inner[static_cast<size_t>((i + 4) % 5)], outer[static_cast<size_t>(i)],
                      inner[static_cast<size_t>(i)], ramp_step(coral_orange_ramp, i == 4 ? 4 : 6));
    }
    canvas.set(static_cast<int>(centre.x), static_cast<int>(centre.y), ramp_step(coral_orange_ramp, 8));
}

void paint_boulder(Canvas& canvas, Vec centre, float rx, float ry, float dim)
{
    // The upper half of a lumpy spheroid resting on the sand.
    const int x0 = static_cast<int>(centre.x - rx) - 1;
    const int x1 = static_cast<int>(centre.x + rx) + 1;
    const int y0 = static_cast<int>(centre.y - ry) - 1;
    for (int y = y0; y <= static_cast<int>(centre.y); ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float fx = static_cast<float>(x) + 0.5f;
            const float fy = static_cast<float>(y) + 0.5f;
            const float wobble = 1.0f + 0.08f * value_noise(std::atan2(fy - centre.y, fx - centre.x) * 5.0f + 20.0f, 51u);
            const float nx = (fx - centre.x) / (rx * wobble);
            const float ny = (fy - centre.y) / (ry * wobble);
            const float d = nx * nx + ny * ny;
            if (d > 1.0f) {
                continue;
            }
            const float level = light_level(nx, ny, std::sqrt(1.0f - d)) * 0.8f - dim +
                                0.12f * value_noise_2d(fx / 3.0f, fy / 3.0f, 52u);
            canvas.set(x, y, ramp_shade(rock_ramp, level, x, y));
        }
    }
}

// --- The reef -------------------------------------------------------------------------

float mound_top(int x, float centre, float half_width, float peak_height, uint32_t seed)
{
    const float u = (static_cast<float>(x) - centre) / half_width;
    if (std::fabs(u) >= 1.0f) {
        return 1e9f;
    }
    return 474.0f - peak_height * std::pow(1.0f - u * u, 0.55f) + 4.0f * value_noise(static_cast<float>(x) / 9.0f, seed);
}

bool in_table_coral(int x, int y)
{
    const float fx = static_cast<float>(x) + 0.5f;
    const float fy = static_cast<float>(y) + 0.5f;
    const float cx = 286.0f;
    // The stem widens toward its foot.
    if (fy >= 336.0f && std::fabs(fx - cx) <= 21.0f + 10.0f * (fy - 336.0f) / 140.0f + 2.0f * value_noise(fy / 7.0f, 21u)) {
        return true;
    }
    // The table: a flat dome with a ragged edge.
    const float dx = (fx - cx) / 56.0f;
    const float dy = (fy - 337.0f) / 17.0f;
    const float angle = std::atan2(dy, dx);
    const float edge = 1.0f + 0.06f * value_noise(angle * 6.0f + 10.0f, 22u);
    return fy <= 340.0f && dx * dx + dy * dy <= edge * edge;
}

bool in_reef_shape(int x, int y)
{
    const float fy = static_cast<float>(y);
    const float fx = static_cast<float>(x);
    const float floor = 457.0f + 5.0f * value_noise(fx / 23.0f, 23u) + 3.0f * value_noise(fx / 7.0f, 24u);
    if (fy >= floor) {
        return true;
    }
    if (fy >= mound_top(x, 108.0f, 98.0f, 84.0f, 25u) || fy >= mound_top(x, 429.0f, 64.0f, 74.0f, 26u)) {
        return true;
    }
    const float shoulder = 476.0f - 136.0f * smooth_step(506.0f, 604.0f, fx) + 5.0f * value_noise(fx / 13.0f, 27u);
    if (x >= 508 && fy >= shoulder) {
        return true;
    }
    return in_table_coral(x, y);
}

bool in_reef(int x, int y)
{
    if (!in_reef_shape(x, y)) {
        return false;
    }
    for (const Area& area : reef_areas) {
        if (x >= area.left && x < area.right && y >= area.top && y < area.bottom) {
            return true;
        }
    }
    return false;
}

void paint_reef(Canvas& canvas, bool obstacles, std::vector<int>& tops)
{
    std::vector<uint8_t> solid(static_cast<size_t>(width * height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            solid[static_cast<size_t>(y * width + x)] = in_reef(x, y) ? 1 : 0;
        }
    }
    auto is_solid = [&solid](int x, int y) {
        return x >= 0 && x < width && y >= 0 && y < height && solid[static_cast<size_t>(y * width + x)] != 0;
    };
    tops.assign(width, height);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (is_solid(x, y)) {
                tops[static_cast<size_t>(x)] = y;
                break;
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!is_solid(x, y)) {
                continue;
            }
            // How lit: near the surface of the reef and on the side toward the light.
            int depth = 0;
            while (depth < 40 && is_solid(x, y - depth - 1)) {
                ++depth;
            }
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            float lit = 1.0f - static_cast<float>(depth) / 34.0f;
            if (!is_solid(x - 3, y)) {
                lit += 0.25f;
            }
            if (!is_solid(x + 3, y)) {
                lit -= 0.25f;
            }
            // Lumps and grain break the light into an uneven, living surface.
            const float lumps = value_noise_2d(fx / 7.0f, fy / 6.0f, 31u);
            const float grain = value_noise_2d(fx / 2.3f, fy / 2.3f, 33u);
            const float v = std::clamp(lit, 0.0f, 1.2f) * 0.7f + 0.35f * lumps + 0.18f * grain;
            const bool pore = value_noise_2d(fx / 1.7f, fy / 1.7f, 32u) > 0.72f;
            const bool top_edge = !is_solid(x, y - 1);
            // The skin of the reef is solid obstacle all round, so nothing slips into it
            // between the spots of its texture.
            bool skin = false;
            for (int dy = -3; dy <= 3 && !skin; ++dy) {
                for (int dx = -3; dx <= 3 && !skin; ++dx) {
                    skin = std::abs(dx) + std::abs(dy) <= 4 && y + dy < height && !is_solid(x + dx, y + dy);
                }
            }
            // In the play background the glowing parts are the obstacle colour; elsewhere
            // the same reef keeps a steady green.
            uint8_t c = 0;
            if (top_edge) {
                c = ramp_step(kelp_ramp, 7);
            } else if (skin || (!pore && v > 0.40f)) {
                c = obstacles ? colour::obstacle : ramp_step(kelp_ramp, 5);
            } else if (pore) {
                c = ramp_step(reef_shadow_ramp, 0);
            } else {
                c = ramp_step(reef_shadow_ramp, v > 0.18f ? 4 : 2);
            }
            canvas.set(x, y, c);
        }
    }
}

void paint_branch_coral(Canvas& canvas, Vec base, float angle, float length, int depth, Ramp ramp, Random& random)
{
    const Vec tip = base + Vec{std::cos(angle), -std::sin(angle)} * length;
    draw_thick_line(canvas, base, tip, 1.0f + static_cast<float>(depth) * 0.8f, ramp_step(ramp, 3 + (3 - depth) * 2));
    if (depth == 0) {
        canvas.set(static_cast<int>(tip.x), static_cast<int>(tip.y), ramp_step(ramp, 9));
        return;
    }
    const float spread = random.range(0.35f, 0.6f);
    paint_branch_coral(canvas, tip, angle + spread, length * random.range(0.6f, 0.8f), depth - 1, ramp, random);
    paint_branch_coral(canvas, tip, angle - spread, length * random.range(0.6f, 0.8f), depth - 1, ramp, random);
}

void paint_sea_fan(Canvas& canvas, Vec base, float size, Ramp ramp)
{
    // A lacy fan spreading up from one point: a mesh of fine crossing lines inside a
    // scalloped rim, which is a shade lighter.
    const int x0 = static_cast<int>(base.x - size) - 1;
    const int x1 = static_cast<int>(base.x + size) + 1;
    const int y0 = static_cast<int>(base.y - size) - 1;
    for (int y = y0; y <= static_cast<int>(base.y); ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - base.x) / size;
            const float dy = (static_cast<float>(y) + 0.5f - base.y) / size;
            const float angle = std::atan2(dx, -dy);
            const float reach = 0.88f + 0.12f * std::cos(angle * 7.0f);
            const float r = std::sqrt(dx * dx + dy * dy);
            if (std::fabs(angle) > 1.0f || r > reach) {
                continue;
            }
            if (r > reach - 0.12f || std::fabs(angle) > 0.92f) {
                canvas.set(x, y, ramp_step(ramp, 7));
            } else if ((x + y) % 3 == 0 || (x - y + 300) % 3 == 0) {
                canvas.set(x, y, ramp_step(ramp, 5));
            }
        }
    }
}

void paint_brain_coral(Canvas& canvas, Vec base, float size, Ramp ramp)
{
    const Vec centre = base + Vec{0.0f, -size * 0.35f};
    shade_ellipse(canvas, centre, size, size * 0.7f, ramp, 0.05f);
    // Winding grooves.
    for (int g = -2; g <= 2; ++g) {
        Vec previous = centre + Vec{-size * 0.8f, static_cast<float>(g) * size * 0.22f};
        for (int i = 1; i <= 8; ++i) {
            const float along = static_cast<float>(i) / 8.0f;
            const float x = -size * 0.8f + 1.6f * size * along;
            const float limit = size * 0.7f * std::sqrt(std::max(0.0f, 1.0f - (x / size) * (x / size)));
            const float y = std::clamp(static_cast<float>(g) * size * 0.22f + 1.5f * std::sin(along * 9.0f + static_cast<float>(g)),
                                       -limit + 1.0f, limit - 1.0f);
            const Vec point = centre + Vec{x, y};
            draw_line(canvas, previous, point, ramp_step(ramp, 2));
            previous = point;
        }
    }
}

void paint_tube_sponges(Canvas& canvas, Vec base, Ramp ramp)
{
    const float heights[3] = {13.0f, 18.0f, 10.0f};
    const float offsets[3] = {-5.0f, 0.0f, 5.0f};
    for (int i = 0; i < 3; ++i) {
        const Vec foot = base + Vec{offsets[i], 2.0f};
        const Vec top = base + Vec{offsets[i] * 1.3f, -heights[i]};
        shade_capsule(canvas, foot, top, 2.6f, 2.4f, ramp);
        shade_ellipse(canvas, top, 1.6f, 1.0f, ramp, -0.6f);
    }
}

void paint_anemone(Canvas& canvas, Vec base, Ramp ramp)
{
    for (int i = 0; i < 11; ++i) {
        const float a = (40.0f + 10.0f * static_cast<float>(i)) * pi / 180.0f;
        const Vec tip = base + Vec{std::cos(a) * 9.0f, -std::sin(a) * 10.0f};
        draw_thick_line(canvas, base, tip, 1.5f, ramp_step(ramp, 5));
        canvas.set(static_cast<int>(tip.x), static_cast<int>(tip.y), ramp_step(ramp, 9));
    }
    shade_ellipse(canvas, base + Vec{0.0f, 1.0f}, 4.0f, 2.5f, ramp, -0.1f);
}

// Corals along the top of the reef, sticking out a little above it.
void paint_corals(Canvas& canvas, const std::vector<int>& tops, Random& random)
{
    auto top_at = [&tops](float x) {
        const int ix = std::clamp(static_cast<int>(x), 0, width - 1);
        return static_cast<float>(tops[static_cast<size_t>(ix)]) + 3.0f;
    };
    struct Placement {
        float x;
        int kind;
    };
    static const Placement placements[] = {
        {22, 0},  {46, 3},  {70, 1},  {96, 2},  {120, 0}, {146, 4}, {172, 1}, {196, 3}, {214, 2},
        {238, 0}, {262, 1}, {288, 2}, {314, 4}, {336, 0}, {354, 3}, {384, 1}, {410, 0}, {434, 2},
        {458, 4}, {480, 1}, {500, 3}, {524, 0}, {548, 2}, {574, 1}, {600, 4}, {622, 0},
    };
    for (const Placement& place : placements) {
        const Vec base{place.x, top_at(place.x)};
        switch (place.kind) {
        case 0:
            paint_branch_coral(canvas, base, pi / 2.0f + random.range(-0.2f, 0.2f), random.range(8.0f, 10.0f), 3,
                               coral_pink_ramp, random);
            break;
        case 1:
            paint_sea_fan(canvas, base - Vec{0.0f, 2.0f}, random.range(14.0f, 17.0f), coral_purple_ramp);
            break;
        case 2:
            paint_brain_coral(canvas, base, random.range(9.0f, 12.0f), coral_orange_ramp);
            break;
        case 3:
            paint_tube_sponges(canvas, base, coral_purple_ramp);
            break;
        default:
            paint_anemone(canvas, base, coral_pink_ramp);
            break;
        }
    }
}

void paint_status_band(Canvas& canvas)
{
    for (int y = 0; y < status_rows; ++y) {
        for (int x = 0; x < width; ++x) {
            canvas.set(x, y, ramp_shade(water_ramp, 0.04f + 0.05f * static_cast<float>(y) / status_rows, x, y));
        }
    }
    // The edge of the band catches the light like the surface seen from below.
    for (int x = 0; x < width; ++x) {
        canvas.set(x, status_rows, ramp_shade(water_ramp, 0.62f + 0.12f * value_noise(static_cast<float>(x) / 9.0f, 41u), x, status_rows));
        canvas.set(x, status_rows + 1, ramp_shade(water_ramp, 0.30f, x, status_rows + 1));
    }
}

} // namespace

void paint_seascape(Canvas& canvas, const SeascapeStyle& style)
{
    Random random(0x5EAF00Du);
    paint_water_and_floor(canvas);

    // Behind the reef: kelp, boulders on the sand, a school of fish far off.
    paint_kelp(canvas, 218.0f, 440.0f, 150.0f, 0.4f, 0.08f);
    paint_kelp(canvas, 352.0f, 440.0f, 110.0f, 2.1f, 0.12f);
    paint_kelp(canvas, 492.0f, 440.0f, 170.0f, 4.0f, 0.06f);
    paint_kelp(canvas, 40.0f, 430.0f, 90.0f, 1.3f, 0.14f);
    paint_boulder(canvas, {226.0f, 448.0f}, 20.0f, 14.0f, 0.05f);
    paint_boulder(canvas, {356.0f, 450.0f}, 14.0f, 10.0f, 0.08f);
    paint_boulder(canvas, {500.0f, 454.0f}, 24.0f, 17.0f, 0.02f);
    paint_starfish(canvas, {346.0f, 452.0f}, 7.0f, 0.3f);
    paint_fish_school(canvas, {470.0f, 170.0f}, random);

    std::vector<int> tops;
    paint_reef(canvas, style.reef_obstacles, tops);
    paint_corals(canvas, tops, random);

    paint_rising_bubbles(canvas, {130.0f, 384.0f}, 6, random);
    paint_rising_bubbles(canvas, {300.0f, 316.0f}, 5, random);
    paint_rising_bubbles(canvas, {590.0f, 336.0f}, 7, random);

    if (style.status_band) {
        paint_status_band(canvas);
    }
}

} // namespace assets
