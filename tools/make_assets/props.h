// The falling things of the game, drawn at any size for the sprite sheets and the
// instructions picture. Transparent pixels are left alone; no outline is drawn.
#pragma once

#include "tools/make_assets/draw.h"

namespace assets {

// A yellow drum with hazard stripes and the radiation trefoil; a glint runs across
// it over the four frames.
void draw_nuke_barrel(Canvas& canvas, Vec centre, int frame, float scale);
// A dark steel drum with an "OIL" label; oil drips down its side over three frames.
void draw_oil_barrel(Canvas& canvas, Vec centre, int frame, float scale);
// An air bubble that wobbles between two shapes.
void draw_air_bubble(Canvas& canvas, Vec centre, int frame, float scale);
// A gold coin with a lightning bolt and turning sparkle rays over three frames.
void draw_speed_token(Canvas& canvas, Vec centre, int frame, float scale);

} // namespace assets
