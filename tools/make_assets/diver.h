// The diver: wetsuit, mask, yellow tank and orange fins, seen from the side and
// swimming toward one of eight directions, drawn at any size for the sprite sheets
// and the title picture.
#pragma once

#include "tools/make_assets/draw.h"

namespace assets {

// Leg positions of the flutter kick.
enum class DiverPose {
    glide,      // legs passing each other: the middle of the kick
    near_up,    // near leg up, far leg down
    near_down,  // near leg down, far leg up
    rest,       // legs together, no bubbles
};

// Direction 0 right, 1 up-right, 2 up, 3 up-left, 4 left, 5 down-left, 6 down,
// 7 down-right. The diver is centred on `centre`; at scale 1 it is 53 pixels from mask
// to fin tips. Transparent pixels are left alone; no outline is drawn.
void draw_diver(Canvas& canvas, Vec centre, int direction, DiverPose pose, float scale);

} // namespace assets
