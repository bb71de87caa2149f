#include "tools/make_assets/diver.h"

#include <algorithm>
#include <cmath>

namespace assets {

namespace {

constexpr float pi = 3.14159265f;
constexpr float far_side = -0.24f;  // limbs on the far side of the body are in shade

// Maps the diver's own coordinates (x forward, y toward the belly) onto the canvas. The
// figure is drawn stockier than life across its length, so it reads at sprite size.
constexpr float stocky = 1.25f;

struct Frame {
    Vec origin;
    Vec forward;
    Vec belly;
    float scale;

    Vec at(Vec local) const { return origin + (forward * local.x + belly * (local.y * stocky)) * scale; }
    float size(float length) const { return length * scale * stocky; }
};

Frame frame_for(Vec centre, int direction, float scale)
{
    const float r = std::sqrt(0.5f);
    static const Vec forwards[8] = {{1, 0}, {r, -r}, {0, -1}, {-r, -r}, {-1, 0}, {-r, r}, {0, 1}, {r, r}};
    // Facing left, the figure is mirrored rather than turned over, so the tank stays
    // on the upper side.
    static const Vec bellies[8] = {{0, 1}, {r, r}, {1, 0}, {-r, r}, {0, 1}, {r, r}, {-1, 0}, {-r, r}};
    const int k = ((direction % 8) + 8) % 8;
    Frame frame{centre, forwards[k], bellies[k], scale};
    // The figure spans x -33 (fin tips) to +23 (mouthpiece): centre that span.
    frame.origin = centre + frame.forward * (5.0f * scale);
    return frame;
}

struct Leg {
    float hip_angle;   // degrees away from straight back; positive toward the belly
    float knee_bend;
    float fin_flex;
};

struct Kick {
    Leg near_leg;
    Leg far_leg;
};

Kick kick_for(DiverPose pose)
{
    switch (pose) {
    case DiverPose::near_up:
        return {{-24.0f, 18.0f, 22.0f}, {20.0f, 4.0f, -18.0f}};
    case DiverPose::near_down:
        return {{20.0f, 4.0f, -20.0f}, {-24.0f, 18.0f, 20.0f}};
    case DiverPose::rest:
        return {{3.0f, 2.0f, 0.0f}, {6.0f, 2.0f, 0.0f}};
    case DiverPose::glide:
        break;
    }
    return {{-4.0f, 12.0f, 6.0f}, {7.0f, 6.0f, -6.0f}};
}

Vec direction_at(float degrees_from_back)
{
    // Straight back is -x; positive angles turn toward the belly (+y).
    const float a = degrees_from_back * pi / 180.0f;
    return {-std::cos(a), std::sin(a)};
}

void draw_leg(Canvas& canvas, const Frame& f, Vec hip, const Leg& leg, float lift)
{
    const Vec thigh_dir = direction_at(leg.hip_angle);
    const Vec knee = hip + thigh_dir * 8.0f;
    const Vec shin_dir = direction_at(leg.hip_angle + leg.knee_bend);
    const Vec ankle = knee + shin_dir * 8.0f;
    const Vec fin_dir = direction_at(leg.hip_angle + leg.knee_bend + leg.fin_flex);
    const Vec fin_side{-fin_dir.y, fin_dir.x};
    const Vec tip = ankle + fin_dir * 10.5f;

    // Fin: a blade widening toward the tip, darker rim and a lighter middle rib.
    const Ramp fin = coral_orange_ramp;
    const uint8_t rim = ramp_step(fin, lift < 0.0f ? 3 : 4);
    const uint8_t blade = ramp_step(fin, lift < 0.0f ? 5 : 7);
    const uint8_t rib = ramp_step(fin, lift < 0.0f ? 7 : 9);
    fill_polygon(canvas,
                 {f.at(ankle + fin_side * 2.2f), f.at(tip + fin_side * 3.4f), f.at(tip + fin_dir * 0.8f),
                  f.at(tip - fin_side * 3.4f), f.at(ankle - fin_side * 2.2f)},
                 rim);
    fill_polygon(canvas,
                 {f.at(ankle + fin_side * 1.2f + fin_dir * 1.5f), f.at(tip + fin_side * 2.3f - fin_dir * 0.6f),
                  f.at(tip - fin_side * 2.3f - fin_dir * 0.6f), f.at(ankle - fin_side * 1.2f + fin_dir * 1.5f)},
                 blade);
    draw_line(canvas, f.at(ankle + fin_dir * 2.5f), f.at(tip - fin_dir * 1.2f), rib);
    // Foot pocket, shin and thigh in the wetsuit.
    shade_capsule(canvas, f.at(ankle), f.at(ankle + fin_dir * 3.0f), f.size(2.2f), f.size(2.0f), fin, lift - 0.1f);
    shade_capsule(canvas, f.at(knee), f.at(ankle), f.size(2.7f), f.size(2.2f), suit_ramp, lift);
    shade_capsule(canvas, f.at(hip), f.at(knee), f.size(3.6f), f.size(2.8f), suit_ramp, lift);
}

void draw_arm(Canvas& canvas, const Frame& f, Vec shoulder, float lift)
{
    const Vec elbow = shoulder + Vec{-5.5f, 4.6f};
    const Vec hand = elbow + Vec{-6.5f, 1.4f};
    shade_capsule(canvas, f.at(shoulder), f.at(elbow), f.size(2.6f), f.size(2.2f), suit_ramp, lift + 0.05f);
    shade_capsule(canvas, f.at(elbow), f.at(hand), f.size(2.2f), f.size(1.9f), suit_ramp, lift + 0.05f);
    shade_ellipse(canvas, f.at(hand + Vec{-0.8f, 0.2f}), f.size(2.0f), f.size(2.0f), grey_ramp, lift - 0.1f);
}

void draw_bubble(Canvas& canvas, Vec centre, float radius)
{
    shade_ellipse(canvas, centre, radius, radius, bubble_ramp, 0.15f);
    canvas.set(static_cast<int>(centre.x - radius * 0.4f), static_cast<int>(centre.y - radius * 0.4f), colour::white);
}

} // namespace

void draw_diver(Canvas& canvas, Vec centre, int direction, DiverPose pose, float scale)
{
    const Frame f = frame_for(centre, direction, scale);
    const Kick kick = kick_for(pose);
    const Vec hip{-6.0f, 0.6f};

    // Far side first, so the near side covers it.
    draw_leg(canvas, f, hip + Vec{0.5f, -0.6f}, kick.far_leg, far_side);
    draw_arm(canvas, f, Vec{9.0f, 1.0f}, far_side);

    // Tank on the back, with its valve and the hose to the mouthpiece.
    shade_capsule(canvas, f.at({-5.0f, -6.6f}), f.at({11.0f, -7.0f}), f.size(3.7f), f.size(3.7f), yellow_metal_ramp);
    shade_capsule(canvas, f.at({13.0f, -7.4f}), f.at({15.2f, -8.4f}), f.size(1.4f), f.size(1.4f), grey_ramp);
    const uint8_t hose = ramp_step(grey_ramp, 2);
    draw_thick_line(canvas, f.at({14.8f, -7.6f}), f.at({13.0f, -2.0f}), f.size(1.6f), hose);
    draw_thick_line(canvas, f.at({13.0f, -2.0f}), f.at({15.5f, 4.6f}), f.size(1.6f), hose);
    draw_thick_line(canvas, f.at({15.5f, 4.6f}), f.at({20.5f, 3.6f}), f.size(1.6f), hose);

    // Body: torso with a bright stripe along the side.
    shade_capsule(canvas, f.at({-6.0f, 0.6f}), f.at({10.0f, 0.0f}), f.size(5.2f), f.size(6.0f), suit_ramp);
    draw_thick_line(canvas, f.at({-4.0f, 2.4f}), f.at({9.0f, 2.0f}), f.size(1.3f), ramp_step(coral_orange_ramp, 7));

    draw_leg(canvas, f, hip, kick.near_leg, 0.0f);

    // Head: hair, face, the mask on its strap, and the mouthpiece.
    shade_ellipse(canvas, f.at({15.6f, -2.0f}), f.size(5.0f), f.size(5.0f), oil_ramp, -0.15f);
    shade_ellipse(canvas, f.at({18.4f, -0.2f}), f.size(4.3f), f.size(4.3f), skin_ramp, 0.05f);
    draw_thick_line(canvas, f.at({12.0f, -3.4f}), f.at({18.0f, -2.6f}), f.size(1.1f), colour::ink);
    shade_capsule(canvas, f.at({20.4f, -3.9f}), f.at({20.4f, -0.9f}), f.size(2.4f), f.size(2.4f), steel_ramp, -0.35f);
    shade_capsule(canvas, f.at({20.9f, -3.5f}), f.at({20.9f, -1.3f}), f.size(1.5f), f.size(1.5f), glass_ramp, 0.1f);
    const Vec glint = f.at({21.3f, -3.5f});
    canvas.set(static_cast<int>(glint.x), static_cast<int>(glint.y), colour::white);
    shade_ellipse(canvas, f.at({21.2f, 2.6f}), f.size(1.5f), f.size(1.5f), grey_ramp, 0.1f);

    draw_arm(canvas, f, Vec{9.5f, 2.0f}, 0.0f);

    // Breath bubbles rise straight up from the mouthpiece, whichever way the diver
    // swims, drifting a little ahead of it and kept inside the canvas.
    const Vec mouth = f.at({21.0f, 1.0f});
    const float ahead = f.forward.x > 0.1f ? 1.0f : (f.forward.x < -0.1f ? -1.0f : 0.0f);
    auto bubble = [&canvas, mouth, ahead, scale](float dx, float dy, float radius) {
        const float r = radius * scale;
        Vec p = mouth + Vec{dx * ahead, dy} * scale;
        p.x = std::min(std::max(p.x, r + 2.5f), static_cast<float>(canvas.width) - r - 2.5f);
        p.y = std::max(p.y, r + 2.5f);
        draw_bubble(canvas, p, r);
    };
    switch (pose) {
    case DiverPose::glide:
        bubble(0.5f, -7.0f, 1.5f);
        break;
    case DiverPose::near_up:
        bubble(0.0f, -5.5f, 1.3f);
        bubble(1.5f, -11.5f, 1.9f);
        break;
    case DiverPose::near_down:
        bubble(1.0f, -8.5f, 1.6f);
        bubble(-0.5f, -15.0f, 2.1f);
        break;
    case DiverPose::rest:
        break;
    }
}

} // namespace assets
