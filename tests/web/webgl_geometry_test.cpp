// The web GL layer's geometry (webgl/geometry.cpp), natively: GL's primitives taken apart into
// independent triangles, lines and points; a large batch sorted into cells; the view test
// that skips cells; lines cut at the near plane.
#include "geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

using webgl::Cell;
using webgl::Vertex;

namespace {

Vertex at(GLfloat x, GLfloat y, GLfloat z)
{
    Vertex v{};
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    return v;
}

// Vertices numbered by their x.
std::vector<Vertex> numbered(int n)
{
    std::vector<Vertex> v;
    for (int i = 0; i < n; ++i)
        v.push_back(at(GLfloat(i), 0, 0));
    return v;
}

std::vector<int> numbers(const std::vector<Vertex> &v)
{
    std::vector<int> n;
    for (const Vertex &x : v)
        n.push_back(int(x.position[0]));
    return n;
}

struct PrimitiveCase {
    const char *name;
    GLenum mode;
    int vertices;
    GLenum kind;
    std::vector<int> drawn;  // the vertices drawn, by number, in order
};

void PrintTo(const PrimitiveCase &c, std::ostream *os)
{
    *os << c.name << " of " << c.vertices;
}

class Primitives : public ::testing::TestWithParam<PrimitiveCase> { };

// GL's rules for each mode: fans share the first vertex, a strip's odd triangles swap their
// first two vertices so that all face the same way, a quad strip's quad k is vertices 2k,
// 2k+1, 2k+3, 2k+2, a loop closes, and an unfinished last primitive is not drawn.
const std::vector<PrimitiveCase> PRIMITIVES = {
    {"polygon", GL_POLYGON, 5, GL_TRIANGLES, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
    {"fan", GL_TRIANGLE_FAN, 4, GL_TRIANGLES, {0, 1, 2, 0, 2, 3}},
    {"quad_strip", GL_QUAD_STRIP, 6, GL_TRIANGLES, {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}},
    {"quad_strip_odd", GL_QUAD_STRIP, 5, GL_TRIANGLES, {0, 1, 2, 2, 1, 3}},
    {"strip", GL_TRIANGLE_STRIP, 5, GL_TRIANGLES, {0, 1, 2, 2, 1, 3, 2, 3, 4}},
    {"quads", GL_QUADS, 9, GL_TRIANGLES, {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}},
    {"triangles", GL_TRIANGLES, 7, GL_TRIANGLES, {0, 1, 2, 3, 4, 5}},
    {"polygon_too_short", GL_POLYGON, 2, GL_TRIANGLES, {}},
    {"line_strip", GL_LINE_STRIP, 4, GL_LINES, {0, 1, 1, 2, 2, 3}},
    {"line_loop", GL_LINE_LOOP, 3, GL_LINES, {0, 1, 1, 2, 2, 0}},
    {"lines", GL_LINES, 5, GL_LINES, {0, 1, 2, 3}},
    {"points", GL_POINTS, 3, GL_POINTS, {0, 1, 2}},
};

TEST_P(Primitives, DrawnAsGLDrawsThem)
{
    const PrimitiveCase &c = GetParam();
    std::vector<Vertex> out = numbered(1);  // appended to, not replaced
    webgl::decompose(c.mode, numbered(c.vertices), out);
    std::vector<int> want = {0};
    want.insert(want.end(), c.drawn.begin(), c.drawn.end());
    EXPECT_EQ(numbers(out), want);
    EXPECT_EQ(webgl::kindOf(c.mode), c.kind);
}

INSTANTIATE_TEST_SUITE_P(Modes, Primitives, ::testing::ValuesIn(PRIMITIVES),
                         [](const ::testing::TestParamInfo<PrimitiveCase> &i) {
                             return std::string(i.param.name);
                         });

// Twice the signed area of a triangle's shadow on the xz plane seen from above (+y).
double turn(const Vertex &a, const Vertex &b, const Vertex &c)
{
    const double ux = b.position[0] - a.position[0], uz = b.position[2] - a.position[2];
    const double vx = c.position[0] - a.position[0], vz = c.position[2] - a.position[2];
    return uz * vx - ux * vz;
}

// A quad strip and a polygon laid out counter-clockwise seen from above give triangles that
// all face up: a culled or lit quad strip stays as it was.
TEST(PrimitiveFaces, QuadStripsAndPolygonsKeepTheirFrontFace)
{
    std::vector<Vertex> strip;
    for (int i = 0; i < 5; ++i) {
        strip.push_back(at(GLfloat(i), 0, 0));  // the row at z = 0 first: counter-clockwise
        strip.push_back(at(GLfloat(i), 0, 1));
    }
    const std::vector<Vertex> polygon = {at(0, 0, 0), at(0, 0, 1), at(1, 0, 2), at(2, 0, 1),
                                         at(2, 0, 0)};
    ASSERT_GT(turn(polygon[0], polygon[1], polygon[2]), 0);
    ASSERT_GT(turn(strip[0], strip[1], strip[3]), 0);
    for (const auto &p : {std::make_pair(GLenum(GL_QUAD_STRIP), strip),
                          std::make_pair(GLenum(GL_POLYGON), polygon)}) {
        std::vector<Vertex> t;
        webgl::decompose(p.first, p.second, t);
        ASSERT_FALSE(t.empty());
        for (size_t i = 0; i + 2 < t.size(); i += 3)
            EXPECT_GT(turn(t[i], t[i + 1], t[i + 2]), 0) << "triangle " << i / 3;
    }
}

// A terrain-like batch: n x n quads on the xz plane, heights rising along x.
std::vector<Vertex> grid(int n)
{
    std::vector<Vertex> quads, triangles;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const GLfloat x = GLfloat(i), z = GLfloat(j);
            quads.insert(quads.end(), {at(x, x, z), at(x, x, z + 1), at(x + 1, x + 1, z + 1),
                                       at(x + 1, x + 1, z)});
        }
    webgl::decompose(GL_QUADS, quads, triangles);
    return triangles;
}

bool sameVertex(const Vertex &a, const Vertex &b)
{
    return std::equal(a.position, a.position + 3, b.position);
}

// Every triangle lands in one cell, whole, inside the cell's box, in its first order among
// the cell's triangles; the cells follow each other without a gap.
TEST(Cells, EveryTriangleOnceInsideItsCellsBox)
{
    std::vector<Vertex> triangles = grid(20);
    const std::vector<Vertex> original = triangles;
    const std::vector<Cell> cells = webgl::divideIntoCells(triangles, 4);
    ASSERT_EQ(triangles.size(), original.size());
    EXPECT_EQ(cells.size(), 16u);
    GLint next = 0;
    for (const Cell &cell : cells) {
        ASSERT_EQ(cell.first, next);
        ASSERT_EQ(cell.count % 3, 0);
        next += cell.count;
        long lastIndex = -1;
        for (GLint t = cell.first; t < cell.first + cell.count; t += 3) {
            for (GLint k = t; k < t + 3; ++k)
                for (int axis = 0; axis < 3; ++axis) {
                    EXPECT_GE(triangles[size_t(k)].position[axis], cell.low[axis]);
                    EXPECT_LE(triangles[size_t(k)].position[axis], cell.high[axis]);
                }
            // Where the triangle was: the same three vertices, later than the last one here.
            long found = -1;
            for (size_t o = 0; o + 2 < original.size() && found < 0; o += 3)
                if (sameVertex(original[o], triangles[size_t(t)]) &&
                    sameVertex(original[o + 1], triangles[size_t(t) + 1]) &&
                    sameVertex(original[o + 2], triangles[size_t(t) + 2]))
                    found = long(o);
            ASSERT_GE(found, 0) << "a triangle that was not in the batch";
            EXPECT_GT(found, lastIndex);
            lastIndex = found;
        }
    }
    EXPECT_EQ(size_t(next), original.size());
}

// A perspective projection (90 degrees, square, near 1, far 100) of a camera at the origin
// looking down -z, moved by `modelview`'s translation (tx, 0, tz).
void viewMatrix(GLfloat tx, GLfloat tz, GLfloat *mvp)
{
    const GLfloat n = 1, f = 100;
    const GLfloat projection[16] = {
        1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    const GLfloat modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, tx, 0, tz, 1};
    webgl::multiply(projection, modelview, mvp);
}

struct ViewCase {
    const char *name;
    Cell box;
    bool seen;
};

TEST(Cells, OnlyBoxesOutsideTheViewAreSkipped)
{
    GLfloat mvp[16];
    viewMatrix(0, 0, mvp);
    const ViewCase cases[] = {
        {"ahead", {0, 3, {-1, -1, -10}, {1, 1, -5}}, true},
        {"behind", {0, 3, {-1, -1, 5}, {1, 1, 10}}, false},
        {"across the near plane", {0, 3, {-1, -1, -3}, {1, 1, 3}}, true},
        {"left, beyond 45 degrees", {0, 3, {-100, -1, -10}, {-20, 1, -5}}, false},
        {"above", {0, 3, {-1, 20, -10}, {1, 30, -5}}, false},
        {"beyond the far plane", {0, 3, {-1, -1, -300}, {1, 1, -200}}, false},
        {"round the eye", {0, 3, {-50, -50, -50}, {50, 50, 50}}, true},
    };
    for (const ViewCase &c : cases)
        EXPECT_EQ(webgl::inView(mvp, c.box), c.seen) << c.name;
    // The modelview counts: a box moved 20 to the right comes into view from the left.
    viewMatrix(20, 0, mvp);
    EXPECT_TRUE(webgl::inView(mvp, cases[3].box));
    EXPECT_FALSE(webgl::inView(mvp, cases[0].box));
}

TEST(Lines, CutAtTheNearPlane)
{
    GLfloat mvp[16];
    viewMatrix(0, 0, mvp);
    std::vector<Vertex> lines = {at(0, 0, -10), at(0, 0, 5),    // across: cut at z = -1
                                 at(1, 0, 2),   at(1, 0, 5),    // behind: gone
                                 at(2, 0, -3),  at(2, 0, -50),  // ahead: kept
                                 at(4, 0, 3),   at(0, 0, -5)};  // across, the far end first
    lines[0].colour[0] = 0.5f;
    webgl::clipLinesAtNearPlane(lines, mvp);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_FLOAT_EQ(lines[0].position[2], -10);
    EXPECT_NEAR(lines[1].position[2], -1, 1e-5);
    EXPECT_FLOAT_EQ(lines[0].colour[0], 0.5f);
    EXPECT_FLOAT_EQ(lines[2].position[2], -3);
    EXPECT_FLOAT_EQ(lines[3].position[2], -50);
    EXPECT_NEAR(lines[4].position[2], -1, 1e-5);
    EXPECT_NEAR(lines[4].position[0], 2, 1e-5);  // along the line: z 3 to -1 is half of it
    EXPECT_FLOAT_EQ(lines[5].position[2], -5);
}

}  // namespace
