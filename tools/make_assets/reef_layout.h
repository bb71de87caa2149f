// Where the play background keeps its obstacles. Every pixel of palette index 29 in
// OCEANBACK.BMP lies inside one of these areas; the writer clips the reef to them and
// the test holds it to them.
#pragma once

namespace assets {

struct Area {
    int left;
    int top;
    int right;   // exclusive
    int bottom;  // exclusive
};

constexpr Area reef_areas[] = {
    {0, 446, 640, 480},    // the reef floor along the whole bottom: nothing falls past it
    {8, 384, 208, 480},    // the mound on the left
    {226, 318, 346, 480},  // the table coral in the middle
    {362, 394, 496, 480},  // the small mound right of it
    {506, 334, 640, 480},  // the rock shoulder on the right
};

// Rows at the top kept free of anything busy: the game writes its status texts there.
constexpr int status_rows = 20;

} // namespace assets
