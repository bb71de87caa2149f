// 2D geometry: the polygon record's transforms (direct and through 3x2 matrices), the
// sine and cosine tables, small matrix products, outlines, bounding boxes and the two
// fast distance approximations.
#include <cmath>
#include <cstdint>

#include "gfx/gfx.h"

float cos_look[361] = {};
float sin_look[361] = {};

namespace {

// The single-precision value nearest pi (bit pattern 0x40490FDB).
constexpr float pi_single = 3.14159274f;

// Truncation toward zero into an int; values past its range saturate and NaN gives 0,
// where a plain conversion would be undefined.
int whole(float value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483648.0f) {
        return INT32_MAX;
    }
    if (value < -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int>(value);
}

// Whole degrees to a table index. Angles from -360 to 360 keep their meaning exactly
// (360 reads the last entry, not the first); angles beyond are brought in modulo 360
// instead of reading past the tables.
int table_index(int theta)
{
    if (theta > 360 || theta < -360) {
        theta %= 360;
    }
    if (theta < 0) {
        theta += 360;
    }
    return theta;
}

bool has_vertices(const POLYGON2D_TYP* poly)
{
    return poly->vertices != nullptr && poly->num_vertices > 0;
}

// Runs every vertex of the polygon through the matrix.
void transform_vertices(POLYGON2D_TYP* poly, const MATRIX3X2_TYP& matrix)
{
    if (!has_vertices(poly)) {
        return;
    }
    for (int i = 0; i < poly->num_vertices; ++i) {
        VERTEX2D_TYP& vertex = poly->vertices[i];
        const MATRIX1X2_TYP point{{vertex.x, vertex.y}};
        MATRIX1X2_TYP result{{0.0f, 0.0f}};
        Mat_Mul_1X2_3X2(&point, &matrix, &result);
        vertex.x = result.M[0];
        vertex.y = result.M[1];
    }
}

template <typename ClipLine>
int draw_outline(POLYGON2D_TYP* poly, uint8_t* vbuffer, int lpitch, ClipLine clip_line)
{
    if (poly == nullptr || poly->state == 0 || !has_vertices(poly)) {
        return 0;
    }
    const VERTEX2D_TYP* v = poly->vertices;
    const auto origin_x = static_cast<float>(poly->origin_x);
    const auto origin_y = static_cast<float>(poly->origin_y);
    const int last = poly->num_vertices - 1;
    for (int i = 0; i < last; ++i) {
        clip_line(whole(v[i].x + origin_x), whole(v[i].y + origin_y), whole(v[i + 1].x + origin_x),
                  whole(v[i + 1].y + origin_y), poly->color, vbuffer, lpitch);
    }
    // Closing edge, drawn from the first vertex to the last.
    clip_line(whole(v[0].x + origin_x), whole(v[0].y + origin_y), whole(v[last].x + origin_x),
              whole(v[last].y + origin_y), poly->color, vbuffer, lpitch);
    return 1;
}

// |value| * 1024 truncated, for the 3D distance; huge inputs saturate.
int64_t fixed_magnitude(float value)
{
    const float scaled = static_cast<float>(std::fabs(static_cast<double>(value))) * 1024.0f;
    if (std::isnan(scaled)) {
        return 0;
    }
    if (scaled >= 4503599627370496.0f) {
        return INT64_C(4503599627370496);
    }
    return static_cast<int64_t>(scaled);
}

} // namespace

void Build_Sin_Cos_Tables()
{
    for (int angle = 0; angle <= 360; ++angle) {
        const float radians = static_cast<float>(angle) * pi_single / 180.0f;
        cos_look[angle] = static_cast<float>(std::cos(static_cast<double>(radians)));
        sin_look[angle] = static_cast<float>(std::sin(static_cast<double>(radians)));
    }
}

int Translate_Polygon2D(POLYGON2D_TYP* poly, int dx, int dy)
{
    if (poly == nullptr) {
        return 0;
    }
    poly->origin_x += dx;
    poly->origin_y += dy;
    return 1;
}

int Rotate_Polygon2D(POLYGON2D_TYP* poly, int theta)
{
    if (poly == nullptr) {
        return 0;
    }
    if (!has_vertices(poly)) {
        return 1;
    }
    const int index = table_index(theta);
    const float c = cos_look[index];
    const float s = sin_look[index];
    for (int i = 0; i < poly->num_vertices; ++i) {
        VERTEX2D_TYP& vertex = poly->vertices[i];
        const float x = vertex.x;
        const float y = vertex.y;
        vertex.x = x * c - y * s;
        vertex.y = x * s + y * c;
    }
    return 1;
}

int Scale_Polygon2D(POLYGON2D_TYP* poly, float sx, float sy)
{
    if (poly == nullptr) {
        return 0;
    }
    if (!has_vertices(poly)) {
        return 1;
    }
    for (int i = 0; i < poly->num_vertices; ++i) {
        poly->vertices[i].x *= sx;
        poly->vertices[i].y *= sy;
    }
    return 1;
}

int Translate_Polygon2D_Mat(POLYGON2D_TYP* poly, int dx, int dy)
{
    if (poly == nullptr) {
        return 0;
    }
    MATRIX3X2_TYP matrix{};
    Mat_Init_3X2(&matrix, 1.0f, 0.0f, 0.0f, 1.0f, static_cast<float>(dx), static_cast<float>(dy));
    const MATRIX1X2_TYP origin{{static_cast<float>(poly->origin_x), static_cast<float>(poly->origin_y)}};
    MATRIX1X2_TYP moved{{0.0f, 0.0f}};
    Mat_Mul_1X2_3X2(&origin, &matrix, &moved);
    poly->origin_x = whole(moved.M[0]);
    poly->origin_y = whole(moved.M[1]);
    return 1;
}

int Rotate_Polygon2D_Mat(POLYGON2D_TYP* poly, int theta)
{
    if (poly == nullptr) {
        return 0;
    }
    const int index = table_index(theta);
    const float c = cos_look[index];
    const float s = sin_look[index];
    MATRIX3X2_TYP matrix{};
    Mat_Init_3X2(&matrix, c, s, -s, c, 0.0f, 0.0f);
    transform_vertices(poly, matrix);
    return 1;
}

int Scale_Polygon2D_Mat(POLYGON2D_TYP* poly, float sx, float sy)
{
    if (poly == nullptr) {
        return 0;
    }
    MATRIX3X2_TYP matrix{};
    Mat_Init_3X2(&matrix, sx, 0.0f, 0.0f, sy, 0.0f, 0.0f);
    transform_vertices(poly, matrix);
    return 1;
}

int Mat_Init_3X2(MATRIX3X2_TYP* ma, float m00, float m01, float m10, float m11, float m20, float m21)
{
    ma->M[0][0] = m00;
    ma->M[0][1] = m01;
    ma->M[1][0] = m10;
    ma->M[1][1] = m11;
    ma->M[2][0] = m20;
    ma->M[2][1] = m21;
    return 1;
}

// Each element is a float sum from 0 in increasing index order, rounded at every step.
int Mat_Mul_3X3(const MATRIX3X3_TYP* ma, const MATRIX3X3_TYP* mb, MATRIX3X3_TYP* mprod)
{
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                sum += ma->M[row][k] * mb->M[k][col];
            }
            mprod->M[row][col] = sum;
        }
    }
    return 1;
}

int Mat_Mul_1X3_3X3(const MATRIX1X3_TYP* ma, const MATRIX3X3_TYP* mb, MATRIX1X3_TYP* mprod)
{
    for (int col = 0; col < 3; ++col) {
        float sum = 0.0f;
        for (int k = 0; k < 3; ++k) {
            sum += ma->M[k] * mb->M[k][col];
        }
        mprod->M[col] = sum;
    }
    return 1;
}

// The point is the row vector (x, y, 1): row 2 of the matrix is the translation.
int Mat_Mul_1X2_3X2(const MATRIX1X2_TYP* ma, const MATRIX3X2_TYP* mb, MATRIX1X2_TYP* mprod)
{
    for (int col = 0; col < 2; ++col) {
        float sum = 0.0f;
        sum += ma->M[0] * mb->M[0][col];
        sum += ma->M[1] * mb->M[1][col];
        sum += mb->M[2][col];
        mprod->M[col] = sum;
    }
    return 1;
}

int Draw_Polygon2D(POLYGON2D_TYP* poly, uint8_t* vbuffer, int lpitch)
{
    return draw_outline(poly, vbuffer, lpitch, Draw_Clip_Line);
}

int Draw_Polygon2D16(POLYGON2D_TYP* poly, uint8_t* vbuffer, int lpitch)
{
    return draw_outline(poly, vbuffer, lpitch, Draw_Clip_Line16);
}

int Find_Bounding_Box_Poly2D(POLYGON2D_TYP* poly, float& min_x, float& max_x, float& min_y, float& max_y)
{
    if (poly == nullptr || !has_vertices(poly)) {
        return 0;
    }
    // The box starts at the local origin, so it always contains it.
    min_x = max_x = min_y = max_y = 0.0f;
    for (int i = 0; i < poly->num_vertices; ++i) {
        const VERTEX2D_TYP& vertex = poly->vertices[i];
        if (vertex.x > max_x) {
            max_x = vertex.x;
        }
        if (vertex.x < min_x) {
            min_x = vertex.x;
        }
        if (vertex.y > max_y) {
            max_y = vertex.y;
        }
        if (vertex.y < min_y) {
            min_y = vertex.y;
        }
    }
    return 1;
}

int Fast_Distance_2D(int x, int y)
{
    // 64 bits so that no input overflows; the result saturates.
    const int64_t ax = x < 0 ? -static_cast<int64_t>(x) : x;
    const int64_t ay = y < 0 ? -static_cast<int64_t>(y) : y;
    const int64_t mn = ax < ay ? ax : ay;
    const int64_t distance = ax + ay - (mn >> 1) - (mn >> 2) + (mn >> 4);
    return distance > INT32_MAX ? INT32_MAX : static_cast<int>(distance);
}

float Fast_Distance_3D(float fx, float fy, float fz)
{
    int64_t x = fixed_magnitude(fx);
    int64_t y = fixed_magnitude(fy);
    int64_t z = fixed_magnitude(fz);
    if (y < x) {
        const int64_t swap = x;
        x = y;
        y = swap;
    }
    if (z < y) {
        const int64_t swap = y;
        y = z;
        z = swap;
    }
    if (y < x) {
        const int64_t swap = x;
        x = y;
        y = swap;
    }
    const int64_t distance = z + 11 * (y >> 5) + (x >> 2);
    return static_cast<float>(distance >> 10);
}
