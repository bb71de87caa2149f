// 2D geometry: the sine and cosine tables with the single-precision pi, rotations by
// whole degrees (and angles out of range), scaling and translation in direct and matrix
// form, matrix products, bounding boxes, outlines and the two fast distances.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "gfx/gfx.h"
#include "tests/support/guarded_buffer.h"

namespace {

using reef_test::count_outside;
using reef_test::GuardedBuffer;
using reef_test::PixelSet;

POLYGON2D_TYP polygon_of(std::vector<VERTEX2D_TYP>& vertices, int origin_x = 0, int origin_y = 0)
{
    POLYGON2D_TYP poly{};
    poly.state = 1;
    poly.num_vertices = static_cast<int32_t>(vertices.size());
    poly.origin_x = origin_x;
    poly.origin_y = origin_y;
    poly.color = 9;
    poly.vertices = vertices.data();
    return poly;
}

// Runs first in this program: the tables start empty, and a rotation then collapses
// the polygon; once built they hold the single-precision-pi values.
TEST(SinCosTables, StartEmptyThenHoldTheSinglePrecisionValues)
{
    for (int a = 0; a <= 360; ++a) {
        ASSERT_EQ(0.0f, cos_look[a]);
        ASSERT_EQ(0.0f, sin_look[a]);
    }
    std::vector<VERTEX2D_TYP> vertices = {{3, 4}, {-7, 2}};
    POLYGON2D_TYP poly = polygon_of(vertices);
    EXPECT_EQ(1, Rotate_Polygon2D(&poly, 30));
    EXPECT_EQ(0.0f, vertices[0].x);
    EXPECT_EQ(0.0f, vertices[0].y);
    EXPECT_EQ(0.0f, vertices[1].x);
    EXPECT_EQ(0.0f, vertices[1].y);

    Build_Sin_Cos_Tables();
    EXPECT_EQ(1.0f, cos_look[0]);
    EXPECT_EQ(0.0f, sin_look[0]);
    EXPECT_EQ(0.5f, sin_look[30]);
    EXPECT_EQ(1.0f, sin_look[90]);
    EXPECT_EQ(-1.0f, cos_look[180]);
    EXPECT_EQ(1.0f, cos_look[360]);
    // The error of the single-precision pi shows where the exact value would be 0.
    EXPECT_FLOAT_EQ(-4.371139e-08f, cos_look[90]);
    EXPECT_FLOAT_EQ(-8.742278e-08f, sin_look[180]);
    EXPECT_NE(0.0f, sin_look[360]);

    const float cos_45 = cos_look[45];
    Build_Sin_Cos_Tables();
    EXPECT_EQ(cos_45, cos_look[45]);
}

class Geometry : public ::testing::Test {
protected:
    void SetUp() override { Build_Sin_Cos_Tables(); }
};

TEST_F(Geometry, RotationReadsTheTablesWithAnglesBroughtIntoRange)
{
    struct Case {
        int theta;
        int index;  // the table entry it must use
    };
    const Case cases[] = {
        {0, 0},       {30, 30},     {90, 90},    {-90, 270},  {360, 360},    {-360, 0},    {359, 359},
        {450, 90},    {-450, 270},  {720, 0},    {-720, 0},   {1000, 280},   {-1000, 80},  {INT_MAX, 127},
        {INT_MIN, 232},
    };
    for (const Case& c : cases) {
        std::vector<VERTEX2D_TYP> vertices = {{1, 0}, {2.5f, -4}};
        POLYGON2D_TYP poly = polygon_of(vertices, 50, 60);
        ASSERT_EQ(1, Rotate_Polygon2D(&poly, c.theta)) << c.theta;
        const float co = cos_look[c.index];
        const float si = sin_look[c.index];
        EXPECT_EQ(co, vertices[0].x) << c.theta;
        EXPECT_EQ(si, vertices[0].y) << c.theta;
        EXPECT_EQ(2.5f * co - -4.0f * si, vertices[1].x) << c.theta;
        EXPECT_EQ(2.5f * si + -4.0f * co, vertices[1].y) << c.theta;
        // The polygon turns about its origin, which stays.
        EXPECT_EQ(50, poly.origin_x);
        EXPECT_EQ(60, poly.origin_y);

        std::vector<VERTEX2D_TYP> by_matrix = {{1, 0}, {2.5f, -4}};
        POLYGON2D_TYP matrix_poly = polygon_of(by_matrix);
        ASSERT_EQ(1, Rotate_Polygon2D_Mat(&matrix_poly, c.theta)) << c.theta;
        for (int i = 0; i < 2; ++i) {
            EXPECT_FLOAT_EQ(vertices[i].x, by_matrix[i].x) << c.theta;
            EXPECT_FLOAT_EQ(vertices[i].y, by_matrix[i].y) << c.theta;
        }
    }
    std::vector<VERTEX2D_TYP> vertices = {{1, 0}};
    POLYGON2D_TYP poly = polygon_of(vertices);
    Rotate_Polygon2D(&poly, 90);
    EXPECT_FLOAT_EQ(-4.371139e-08f, vertices[0].x);
    EXPECT_EQ(1.0f, vertices[0].y);
}

TEST_F(Geometry, ScaleAndTranslateInBothForms)
{
    std::vector<VERTEX2D_TYP> direct = {{2, 3}, {-1, 0.5f}};
    std::vector<VERTEX2D_TYP> matrix = direct;
    POLYGON2D_TYP a = polygon_of(direct, 100, 100);
    POLYGON2D_TYP b = polygon_of(matrix, 100, 100);
    EXPECT_EQ(1, Scale_Polygon2D(&a, 1.5f, -2.0f));
    EXPECT_EQ(1, Scale_Polygon2D_Mat(&b, 1.5f, -2.0f));
    const VERTEX2D_TYP scaled[] = {{3, -6}, {-1.5f, -1}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(scaled[i].x, direct[i].x);
        EXPECT_EQ(scaled[i].y, direct[i].y);
        EXPECT_EQ(scaled[i].x, matrix[i].x);
        EXPECT_EQ(scaled[i].y, matrix[i].y);
    }
    // Translation moves only the origin.
    EXPECT_EQ(1, Translate_Polygon2D(&a, 5, -7));
    EXPECT_EQ(1, Translate_Polygon2D_Mat(&b, 5, -7));
    EXPECT_EQ(105, a.origin_x);
    EXPECT_EQ(93, a.origin_y);
    EXPECT_EQ(105, b.origin_x);
    EXPECT_EQ(93, b.origin_y);
    EXPECT_EQ(3.0f, direct[0].x);
    EXPECT_EQ(3.0f, matrix[0].x);
    // Far past what a float holds as a whole number, the matrix form saturates.
    b.origin_x = INT_MAX;
    EXPECT_EQ(1, Translate_Polygon2D_Mat(&b, INT_MAX, 0));
    EXPECT_EQ(INT_MAX, b.origin_x);
}

TEST_F(Geometry, TransformsOfMissingRecordsFailAndChangeNothing)
{
    EXPECT_EQ(0, Translate_Polygon2D(nullptr, 1, 1));
    EXPECT_EQ(0, Rotate_Polygon2D(nullptr, 10));
    EXPECT_EQ(0, Scale_Polygon2D(nullptr, 2, 2));
    EXPECT_EQ(0, Translate_Polygon2D_Mat(nullptr, 1, 1));
    EXPECT_EQ(0, Rotate_Polygon2D_Mat(nullptr, 10));
    EXPECT_EQ(0, Scale_Polygon2D_Mat(nullptr, 2, 2));
    // A record without a vertex list is left alone.
    POLYGON2D_TYP empty{};
    empty.num_vertices = 4;
    EXPECT_EQ(1, Rotate_Polygon2D(&empty, 10));
    EXPECT_EQ(1, Scale_Polygon2D(&empty, 2, 2));
    EXPECT_EQ(1, Rotate_Polygon2D_Mat(&empty, 10));
    EXPECT_EQ(1, Scale_Polygon2D_Mat(&empty, 2, 2));
}

TEST(Matrices, ProductsSumInIndexOrderInSinglePrecision)
{
    MATRIX3X2_TYP m{};
    EXPECT_EQ(1, Mat_Init_3X2(&m, 1, 2, 3, 4, 5, 6));
    EXPECT_EQ(1.0f, m.M[0][0]);
    EXPECT_EQ(2.0f, m.M[0][1]);
    EXPECT_EQ(3.0f, m.M[1][0]);
    EXPECT_EQ(4.0f, m.M[1][1]);
    EXPECT_EQ(5.0f, m.M[2][0]);
    EXPECT_EQ(6.0f, m.M[2][1]);

    // (x, y, 1) times the matrix: row 2 is the translation.
    const MATRIX1X2_TYP point{{10, 20}};
    MATRIX1X2_TYP moved{};
    EXPECT_EQ(1, Mat_Mul_1X2_3X2(&point, &m, &moved));
    EXPECT_EQ(10 * 1 + 20 * 3 + 5.0f, moved.M[0]);
    EXPECT_EQ(10 * 2 + 20 * 4 + 6.0f, moved.M[1]);

    const MATRIX3X3_TYP a{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
    const MATRIX3X3_TYP b{{{9, 8, 7}, {6, 5, 4}, {3, 2, 1}}};
    const MATRIX3X3_TYP ab{{{30, 24, 18}, {84, 69, 54}, {138, 114, 90}}};
    MATRIX3X3_TYP product{};
    EXPECT_EQ(1, Mat_Mul_3X3(&a, &b, &product));
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(ab.M[r][c], product.M[r][c]) << r << "," << c;
        }
    }
    const MATRIX1X3_TYP row{{1, 2, 3}};
    MATRIX1X3_TYP row_product{};
    EXPECT_EQ(1, Mat_Mul_1X3_3X3(&row, &b, &row_product));
    EXPECT_EQ(30.0f, row_product.M[0]);
    EXPECT_EQ(24.0f, row_product.M[1]);
    EXPECT_EQ(18.0f, row_product.M[2]);

    // 1e8 + 1 rounds back to 1e8 in single precision, so the order of the terms shows:
    // summed in index order the 1 is lost.
    const MATRIX3X3_TYP big{{{1e8f, 1, -1e8f}, {0, 0, 0}, {0, 0, 0}}};
    const MATRIX3X3_TYP ones{{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}}};
    EXPECT_EQ(1, Mat_Mul_3X3(&big, &ones, &product));
    EXPECT_EQ(0.0f, product.M[0][0]);
    const MATRIX1X3_TYP big_row{{1e8f, 1, -1e8f}};
    EXPECT_EQ(1, Mat_Mul_1X3_3X3(&big_row, &ones, &row_product));
    EXPECT_EQ(0.0f, row_product.M[0]);
}

TEST(BoundingBox, StartsFromTheLocalOriginAndSkipsNaN)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        std::vector<VERTEX2D_TYP> vertices;
        float min_x, max_x, min_y, max_y;
    };
    const Case cases[] = {
        {{{2, 3}, {5, 8}}, 0, 5, 0, 8},
        {{{-2, -3}, {-5, -8}}, -5, 0, -8, 0},
        {{{-4, 7}, {6, -1}, {1, 2}}, -4, 6, -1, 7},
        {{{nan, 2}, {-3, nan}}, -3, 0, 0, 2},
    };
    for (const Case& c : cases) {
        std::vector<VERTEX2D_TYP> vertices = c.vertices;
        POLYGON2D_TYP poly = polygon_of(vertices);
        float min_x = 99;
        float max_x = 99;
        float min_y = 99;
        float max_y = 99;
        ASSERT_EQ(1, Find_Bounding_Box_Poly2D(&poly, min_x, max_x, min_y, max_y));
        EXPECT_EQ(c.min_x, min_x);
        EXPECT_EQ(c.max_x, max_x);
        EXPECT_EQ(c.min_y, min_y);
        EXPECT_EQ(c.max_y, max_y);
    }
    // No vertices: 0, and the outputs are left alone.
    std::vector<VERTEX2D_TYP> none;
    POLYGON2D_TYP empty = polygon_of(none);
    float min_x = 99;
    float max_x = 99;
    float min_y = 99;
    float max_y = 99;
    EXPECT_EQ(0, Find_Bounding_Box_Poly2D(&empty, min_x, max_x, min_y, max_y));
    empty.num_vertices = 2;
    empty.vertices = nullptr;
    EXPECT_EQ(0, Find_Bounding_Box_Poly2D(&empty, min_x, max_x, min_y, max_y));
    EXPECT_EQ(0, Find_Bounding_Box_Poly2D(nullptr, min_x, max_x, min_y, max_y));
    EXPECT_EQ(99.0f, min_x);
    EXPECT_EQ(99.0f, max_x);
    EXPECT_EQ(99.0f, min_y);
    EXPECT_EQ(99.0f, max_y);
}

template <typename Pixel>
PixelSet reference_lines(const std::vector<std::pair<int, int>>& from_to, int (*line)(int, int, int, int, int, uint8_t*, int),
                         const std::vector<std::pair<int, int>>& points)
{
    GuardedBuffer<Pixel> buffer;
    for (const auto& ends : from_to) {
        const auto& a = points[static_cast<size_t>(ends.first)];
        const auto& b = points[static_cast<size_t>(ends.second)];
        line(a.first, a.second, b.first, b.second, 9, buffer.memory(), buffer.lpitch());
    }
    return buffer.changed();
}

TEST(Outline, DrawsEachEdgeThenClosesFromTheFirstVertexToTheLast)
{
    // v0 = (100, 100), v2 = (104, 102): drawn 0 -> 2 the closing line takes (101, 101)
    // and (103, 102); drawn 2 -> 0 it would take (101, 100) and (103, 101) instead.
    std::vector<VERTEX2D_TYP> vertices = {{0, 0}, {0, 20}, {4.5f, 2.9f}};
    POLYGON2D_TYP poly = polygon_of(vertices, 100, 100);
    const std::vector<std::pair<int, int>> screen = {{100, 100}, {100, 120}, {104, 102}};
    const std::vector<std::pair<int, int>> order = {{0, 1}, {1, 2}, {0, 2}};

    GuardedBuffer<uint8_t> buffer8;
    EXPECT_EQ(1, Draw_Polygon2D(&poly, buffer8.memory(), buffer8.lpitch()));
    const PixelSet drawn = buffer8.changed();
    EXPECT_EQ(reference_lines<uint8_t>(order, Draw_Line, screen), drawn);
    EXPECT_EQ(1u, drawn.count({101, 101}));
    EXPECT_EQ(1u, drawn.count({103, 102}));
    EXPECT_EQ(0u, drawn.count({101, 100}));
    EXPECT_EQ(0u, drawn.count({103, 101}));

    GuardedBuffer<uint16_t> buffer16;
    EXPECT_EQ(1, Draw_Polygon2D16(&poly, buffer16.memory(), buffer16.lpitch()));
    EXPECT_EQ(drawn, buffer16.changed());
    EXPECT_EQ(0, buffer16.changed_to_other_than(9));

    // One vertex: a line from it to itself.
    poly.num_vertices = 1;
    buffer8.clear();
    EXPECT_EQ(1, Draw_Polygon2D(&poly, buffer8.memory(), buffer8.lpitch()));
    EXPECT_EQ((PixelSet{{100, 100}}), buffer8.changed());
}

TEST(Outline, IsClippedAndRefusesDeadOrEmptyRecords)
{
    std::vector<VERTEX2D_TYP> vertices = {{-100, -100}, {900, 50}, {300, 800}};
    POLYGON2D_TYP poly = polygon_of(vertices, 0, 0);
    GuardedBuffer<uint8_t> buffer;
    EXPECT_EQ(1, Draw_Polygon2D(&poly, buffer.memory(), buffer.lpitch()));
    EXPECT_FALSE(buffer.changed().empty());
    EXPECT_EQ(0, count_outside(buffer.changed(), 0, 639, 0, 479));
    EXPECT_TRUE(buffer.guards_intact());

    buffer.clear();
    poly.state = 0;
    EXPECT_EQ(0, Draw_Polygon2D(&poly, buffer.memory(), buffer.lpitch()));
    EXPECT_EQ(0, Draw_Polygon2D16(&poly, buffer.memory(), buffer.lpitch()));
    poly.state = 1;
    poly.num_vertices = 0;
    EXPECT_EQ(0, Draw_Polygon2D(&poly, buffer.memory(), buffer.lpitch()));
    poly.num_vertices = -2;
    EXPECT_EQ(0, Draw_Polygon2D16(&poly, buffer.memory(), buffer.lpitch()));
    poly.num_vertices = 3;
    poly.vertices = nullptr;
    EXPECT_EQ(0, Draw_Polygon2D(&poly, buffer.memory(), buffer.lpitch()));
    EXPECT_EQ(0, Draw_Polygon2D(nullptr, buffer.memory(), buffer.lpitch()));
    EXPECT_EQ(0, Draw_Polygon2D16(nullptr, buffer.memory(), buffer.lpitch()));
    EXPECT_TRUE(buffer.changed().empty());
}

TEST(FastDistance, TwoDimensions)
{
    const int cases[][3] = {{3, 4, 6},     {-3, -4, 6},     {4, -3, 6},  {100, 0, 100}, {0, -100, 100},
                            {100, 100, 131}, {10, 10, 13},  {0, 0, 0},   {1, 1, 2},     {1000, 1, 1001}};
    for (const auto& c : cases) {
        EXPECT_EQ(c[2], Fast_Distance_2D(c[0], c[1])) << c[0] << "," << c[1];
    }
    // The most negative int has no positive counterpart; the result saturates.
    EXPECT_EQ(INT_MAX, Fast_Distance_2D(INT_MIN, INT_MIN));
    EXPECT_EQ(INT_MAX, Fast_Distance_2D(INT_MIN, 0));
}

TEST(FastDistance, ThreeDimensionsInWholeUnits)
{
    const float cases[][4] = {{3, 4, 0, 5},    {2, 3, 6, 7},    {10, 10, 10, 15}, {1, 1, 1, 1},
                              {0.999f, 0, 0, 0}, {-3, 0, -4, 5}, {0, 0, 0, 0},     {6, 3, 2, 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(c[3], Fast_Distance_3D(c[0], c[1], c[2])) << c[0] << "," << c[1] << "," << c[2];
    }
    // Far beyond 32-bit fixed point: a large finite answer, not an overflow.
    const float huge = Fast_Distance_3D(1e30f, 0, 0);
    EXPECT_TRUE(std::isfinite(huge));
    EXPECT_GT(huge, 1e12f);
}

} // namespace
