// Convex polygon fill: two integer edge walkers leave the top vertex, one along the
// outline toward lower vertex indices and one toward higher, and every scan line is
// filled between them. Spans and edge pixels are limited to the clip rectangle, so a
// polygon partly off the screen is cut row by row and never written past the buffer.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "gfx/gfx.h"

namespace {

// Screen coordinates are kept within +-2^24 (where a float stops holding every whole
// number): a vertex that far off cannot be seen, and the bound keeps the walk short and
// its integer arithmetic from overflowing.
constexpr float coordinate_limit = 16777216.0f;

int whole(float value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value > coordinate_limit) {
        return static_cast<int>(coordinate_limit);
    }
    if (value < -coordinate_limit) {
        return -static_cast<int>(coordinate_limit);
    }
    return static_cast<int>(value);
}

// A vertex's screen position: local coordinate plus origin, summed as floats, truncated.
int screen_x(const POLYGON2D_TYP& poly, int index)
{
    return whole(poly.vertices[index].x + static_cast<float>(poly.origin_x));
}

int screen_y(const POLYGON2D_TYP& poly, int index)
{
    return whole(poly.vertices[index].y + static_cast<float>(poly.origin_y));
}

struct Walker {
    int x;
    int y;
    int target;     // vertex index it heads for
    int target_x;
    int target_y;
    int error;
    int count;      // steps left on this edge
    int x_dir;
    int adx;
    int ady;
    bool x_major;
};

void set_target(Walker& walker, const POLYGON2D_TYP& poly, int index)
{
    walker.target = index;
    walker.target_x = screen_x(poly, index);
    walker.target_y = screen_y(poly, index);
}

// Restarts the walker's edge from its current pixel, error term at 0.
void aim(Walker& walker)
{
    walker.error = 0;
    walker.ady = std::abs(walker.target_y - walker.y);
    walker.adx = std::abs(walker.target_x - walker.x);
    walker.x_dir = walker.target_x < walker.x ? -1 : 1;
    walker.x_major = walker.adx > walker.ady;
    walker.count = walker.x_major ? walker.adx : walker.ady;
}

// The destination with the clip rectangle read once per polygon: held here, the bounds
// stay in registers instead of being reloaded after every span's memset.
template <typename Pixel>
class Canvas {
public:
    Canvas(Pixel* buffer, std::ptrdiff_t pitch, Pixel color)
        : buffer_(buffer), pitch_(pitch), color_(color), left_(min_clip_x), right_(max_clip_x), top_(min_clip_y),
          bottom_(max_clip_y)
    {
    }

    void pixel(int x, int y) const
    {
        if (x >= left_ && x <= right_ && y >= top_ && y <= bottom_) {
            buffer_[x + static_cast<std::ptrdiff_t>(y) * pitch_] = color_;
        }
    }

    void span(int x1, int x2, int y) const
    {
        if (y < top_ || y > bottom_) {
            return;
        }
        x1 = x1 < left_ ? left_ : x1;
        x2 = x2 > right_ ? right_ : x2;
        if (x1 <= x2) {
            fill(buffer_ + x1 + static_cast<std::ptrdiff_t>(y) * pitch_, x2 - x1 + 1);
        }
    }

    bool below(int y) const { return y > bottom_; }

private:
    void fill(uint8_t* first, int count) const { std::memset(first, color_, static_cast<size_t>(count)); }
    void fill(uint16_t* first, int count) const { Mem_Set_WORD(first, color_, count); }

    Pixel* buffer_;
    std::ptrdiff_t pitch_;
    Pixel color_;
    int left_;
    int right_;
    int top_;
    int bottom_;
};

// An x-major edge's share of one scan line: it runs along the row and writes the pixels
// it passes, which the span may not reach. Its last count does not move, so the walker
// stops one pixel short of the target.
template <typename Pixel>
Walker run_along_row(Walker walker, const Canvas<Pixel>& canvas)
{
    while (walker.error < walker.adx && walker.count > 0) {
        --walker.count;
        if (walker.count != 0) {
            walker.x += walker.x_dir;
        }
        walker.error += walker.ady;
        if (walker.error < walker.adx) {
            canvas.pixel(walker.x, walker.y);
        }
    }
    walker.error -= walker.adx;
    return walker;
}

// One scan line's worth of an edge; a y-major edge moves at most one pixel sideways.
// Kept small so that it inlines into the row loop, which most rows of a polygon take.
template <typename Pixel>
inline void step(Walker& walker, const Canvas<Pixel>& canvas)
{
    if (walker.x_major) {
        walker = run_along_row(walker, canvas);
        return;
    }
    walker.error += walker.adx;
    if (walker.error >= walker.ady) {
        walker.error -= walker.ady;
        walker.x += walker.x_dir;
    }
    --walker.count;
}

template <typename Pixel>
void fill_polygon(const POLYGON2D_TYP* poly, const Canvas<Pixel>& canvas)
{
    if (poly == nullptr || poly->vertices == nullptr || poly->num_vertices < 1) {
        return;
    }
    const int count = poly->num_vertices;
    // The top vertex by local y; the running value is truncated, the lowest index wins a tie.
    int top = 0;
    int top_y = whole(poly->vertices[0].y);
    for (int i = 1; i < count; ++i) {
        if (poly->vertices[i].y < static_cast<float>(top_y)) {
            top = i;
            top_y = whole(poly->vertices[i].y);
        }
    }
    Walker backward{};
    Walker forward{};
    backward.x = forward.x = screen_x(*poly, top);
    backward.y = forward.y = screen_y(*poly, top);
    set_target(backward, *poly, top == 0 ? count - 1 : top - 1);
    set_target(forward, *poly, top == count - 1 ? 0 : top + 1);

    int edges_left = count - 1;
    while (edges_left > 0) {
        aim(backward);
        aim(forward);
        while (backward.count != 0 && forward.count != 0) {
            step(backward, canvas);
            step(forward, canvas);
            if (backward.x <= forward.x) {
                canvas.span(backward.x, forward.x, backward.y);
            } else {
                canvas.span(forward.x, backward.x, backward.y);
            }
            ++backward.y;
            ++forward.y;
            // Rows only go down: below the clip rectangle nothing more can be drawn.
            if (canvas.below(backward.y)) {
                return;
            }
        }
        if (backward.count == 0) {
            --edges_left;
            set_target(backward, *poly, backward.target == 0 ? count - 1 : backward.target - 1);
        }
        if (forward.count == 0) {
            --edges_left;
            set_target(forward, *poly, forward.target == count - 1 ? 0 : forward.target + 1);
        }
    }
}

} // namespace

void Draw_Filled_Polygon2D(POLYGON2D_TYP* poly, uint8_t* vbuffer, int mempitch)
{
    const int color = poly != nullptr ? poly->color : 0;
    fill_polygon(poly, Canvas<uint8_t>(vbuffer, mempitch, static_cast<uint8_t>(color)));
}

void Draw_Filled_Polygon2D16(POLYGON2D_TYP* poly, uint8_t* _vbuffer, int mempitch)
{
    const int color = poly != nullptr ? poly->color : 0;
    fill_polygon(poly, Canvas<uint16_t>(reinterpret_cast<uint16_t*>(_vbuffer), mempitch >> 1,
                                        static_cast<uint16_t>(color)));
}
