// The underwater scene behind every picture: water from light to deep blue with rays
// of light, distant ridges, a sandy floor, kelp, fish, and the reef with its corals.
#pragma once

#include <cstdint>

#include "tools/make_assets/draw.h"

namespace assets {

struct SeascapeStyle {
    // The reef is made of obstacle pixels (index 29) inside the areas of reef_layout.h,
    // as the play background needs; otherwise it keeps a steady green.
    bool reef_obstacles;
    // A calm dark band across the top rows, for the status texts.
    bool status_band;
};

// Paints the whole 640 x 480 canvas.
void paint_seascape(Canvas& canvas, const SeascapeStyle& style);

} // namespace assets
