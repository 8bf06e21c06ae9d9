// The vertex record, single triangles and indexed triangle fans and strips.
#include <gtest/gtest.h>

#include <algorithm>

#include "KR_Triangle.h"
#include "KR_TriangleGroup.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

// Fills a group's arrays the way mesh code does.
template <class Group>
void fill(Group& g, std::vector<unsigned int> idx, std::vector<float> st) {
  g.numberIndices = unsigned(idx.size());
  g.indices = new unsigned int[idx.size()];
  g.texCoords = new scalar[st.size()];
  std::copy(idx.begin(), idx.end(), g.indices);
  std::copy(st.begin(), st.end(), g.texCoords);
}

KR_Vertex vertex(float x, float y, float z, float nx, float ny, float nz) {
  return KR_Vertex(KR_Point3D(x, y, z), KR_Vector3D(nx, ny, nz));
}

}  // namespace

TEST(VertexRecord, DefaultsAndCopies) {
  KR_Vertex v;
  EXPECT_EQ(v.point.data[0], 0.0f);
  EXPECT_EQ(v.point.data[3], 1.0f);
  EXPECT_EQ(v.normal.data[1], 0.0f);
  EXPECT_EQ(v.normal.data[3], 0.0f);
  KR_Vertex a = vertex(1, 2, 3, 0, 1, 0);
  a.texCoords[0] = 0.25f;
  a.texCoords[1] = 0.75f;
  KR_Vertex b(a), c;
  c = a;
  for (const KR_Vertex* x : {&b, &c}) {
    EXPECT_EQ(x->point.data[2], 3.0f);
    EXPECT_EQ(x->normal.data[1], 1.0f);
    EXPECT_EQ(x->texCoords[1], 0.75f);
  }
}

TEST(VertexRecord, Lerp3DMovesOnlyThePosition) {
  KR_Vertex a = vertex(0, 10, -4, 1, 0, 0), b = vertex(4, 20, 4, 0, 1, 0);
  a.lerp3D(&b, 0.25f);
  EXPECT_FLOAT_EQ(a.point.data[0], 1.0f);
  EXPECT_FLOAT_EQ(a.point.data[1], 12.5f);
  EXPECT_FLOAT_EQ(a.point.data[2], -2.0f);
  EXPECT_EQ(a.normal.data[0], 1.0f);
  a.lerp3D(&b, 2.0f);  // not clamped: extrapolates
  EXPECT_FLOAT_EQ(a.point.data[0], 1.0f + 2.0f * 3.0f);
}

class TriangleDrawing : public koratest::GLTest {};

TEST_F(TriangleDrawing, TriangleEmitsItsThreeCornersWithoutBeginEnd) {
  KR_Vertex v[3] = {vertex(0, 0, 0, 0, 0, 1), vertex(1, 0, 0, 0, 1, 0), vertex(0, 1, 0, 1, 0, 0)};
  v[2].texCoords[0] = 0.5f;
  v[2].texCoords[1] = 1.0f;
  KR_Triangle t;
  for (int i = 0; i < 3; ++i) t.vertices[i] = &v[i];
  koratest::startRecording();
  t.drawOpenGL();
  koratest::stopRecording();
  auto calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 12u) << koratest::recordedText();
  EXPECT_EQ(koratest::countCalls("glBegin"), 0u);
  EXPECT_EQ(calls[0].str(), "glColor4f(1, 1, 1, 1)");
  EXPECT_EQ(calls[1].str(), "glNormal3fv(0, 0, 1)");
  EXPECT_EQ(calls[2].str(), "glTexCoord2fv(0, 0)");
  EXPECT_EQ(calls[3].str(), "glVertex3fv(0, 0, 0)");
  EXPECT_EQ(calls[9].str(), "glNormal3fv(1, 0, 0)");
  EXPECT_EQ(calls[10].str(), "glTexCoord2fv(0.5, 1)");
  EXPECT_EQ(calls[11].str(), "glVertex3fv(0, 1, 0)");
}

TEST_F(TriangleDrawing, FanUsesTheTexturePairOfEachPosition) {
  KR_Vertex v[3] = {vertex(0, 0, 0, 0, 0, 1), vertex(1, 0, 0, 0, 0, 1), vertex(0, 1, 0, 0, 0, 1)};
  KR_TriangleFan fan;
  fill(fan, {0, 1, 2, 1}, {0.5f, 0.5f, 1, 0, 0, 1, 0.25f, 0.75f});
  koratest::startRecording();
  fan.drawOpenGL(v);
  koratest::stopRecording();
  auto calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 2u + 4u * 4u) << koratest::recordedText();
  EXPECT_EQ(calls[0].args[0], GL_TRIANGLE_FAN);
  EXPECT_EQ(calls[7].str(), "glTexCoord2fv(1, 0)");  // vertex 1 at position 1
  EXPECT_EQ(calls[8].str(), "glVertex3fv(1, 0, 0)");
  EXPECT_EQ(calls[15].str(), "glTexCoord2fv(0.25, 0.75)");  // vertex 1 again, its own pair
  EXPECT_EQ(calls[16].str(), "glVertex3fv(1, 0, 0)");
  EXPECT_EQ(calls[17].name, "glEnd");
}

TEST_F(TriangleDrawing, StripBlendsPositionsHalfwayWithFrameANormals) {
  KR_Vertex a[2] = {vertex(0, 0, 0, 0, 1, 0), vertex(2, 2, 2, 1, 0, 0)};
  KR_Vertex b[2] = {vertex(4, 0, -2, 0, 0, 1), vertex(2, 4, 6, 0, 0, 1)};
  KR_TriangleStrip strip;
  fill(strip, {1, 0}, {0, 0, 1, 1});
  koratest::startRecording();
  strip.drawOpenGL(a, b, 0.5f);
  koratest::stopRecording();
  auto calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 2u + 2u * 4u) << koratest::recordedText();
  EXPECT_EQ(calls[0].args[0], GL_TRIANGLE_STRIP);
  EXPECT_EQ(calls[1].str(), "glColor4f(1, 1, 1, 1)");
  EXPECT_EQ(calls[2].str(), "glNormal3fv(1, 0, 0)");
  EXPECT_EQ(calls[4].str(), "glVertex3fv(2, 3, 4)");
  EXPECT_EQ(calls[6].str(), "glNormal3fv(0, 1, 0)");
  EXPECT_EQ(calls[8].str(), "glVertex3fv(2, 0, -1)");
  // The key frames themselves are untouched.
  EXPECT_EQ(a[1].point.data[0], 2.0f);
  EXPECT_EQ(a[0].point.data[2], 0.0f);
}

TEST_F(TriangleDrawing, FanBlendAtZeroAndOneDrawsTheKeyFrames) {
  KR_Vertex a[1] = {vertex(1, 2, 3, 0, 1, 0)}, b[1] = {vertex(5, 6, 7, 0, 0, 1)};
  KR_TriangleFan fan;
  fill(fan, {0}, {0, 0});
  koratest::startRecording();
  fan.drawOpenGL(a, b, 0.0f);
  fan.drawOpenGL(a, b, 1.0f);
  fan.drawOpenGL(a, b, 1.5f);
  koratest::stopRecording();
  auto v = koratest::recordedCalls("glVertex3fv");
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].str(), "glVertex3fv(1, 2, 3)");
  EXPECT_EQ(v[1].str(), "glVertex3fv(5, 6, 7)");
  EXPECT_EQ(v[2].str(), "glVertex3fv(7, 8, 9)");
  EXPECT_EQ(koratest::recordedCalls()[0].args[0], GL_TRIANGLE_FAN);
}

TEST_F(TriangleDrawing, EmptyGroupsEmitOnlyBeginAndEnd) {
  KR_TriangleFan fan;
  KR_TriangleStrip strip;
  koratest::startRecording();
  fan.drawOpenGL(nullptr);
  strip.drawOpenGL(nullptr, nullptr, 0.5f);
  koratest::stopRecording();
  EXPECT_EQ(koratest::recordedNames(),
            (std::vector<std::string>{"glBegin", "glEnd", "glBegin", "glEnd"}));
}

TEST_F(TriangleDrawing, StripFillsItsTrianglesOnScreen) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 4, 0, 4, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // A square from (1, 1) to (3, 3) as a strip of two triangles.
  KR_Vertex v[4] = {vertex(1, 1, 0, 0, 0, 1), vertex(3, 1, 0, 0, 0, 1), vertex(1, 3, 0, 0, 0, 1),
                    vertex(3, 3, 0, 0, 0, 1)};
  KR_TriangleStrip strip;
  fill(strip, {0, 1, 2, 3}, {0, 0, 1, 0, 0, 1, 1, 1});
  strip.drawOpenGL(v);
  unsigned char inside[4], outside[4];
  glReadPixels(width_ / 2, height_ / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, inside);
  glReadPixels(width_ / 8, height_ / 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, outside);
  EXPECT_EQ(inside[0], 255);  // drawn in the opaque white the group sets
  EXPECT_EQ(inside[2], 255);
  EXPECT_EQ(outside[0], 0);
}

TEST(TriangleGroupCopies, CopyConstructionIsDeep) {
  KR_TriangleFan fan;
  fill(fan, {3, 1, 2}, {0, 1, 2, 3, 4, 5});
  KR_TriangleFan copy(fan);
  ASSERT_EQ(copy.numberIndices, 3u);
  EXPECT_NE(copy.indices, fan.indices);
  EXPECT_NE(copy.texCoords, fan.texCoords);
  fan.indices[0] = 9;
  fan.texCoords[5] = 9;
  EXPECT_EQ(copy.indices[0], 3u);
  EXPECT_EQ(copy.indices[2], 2u);
  EXPECT_EQ(copy.texCoords[5], 5.0f);
}

TEST(TriangleGroupCopies, AssignmentReplacesAndSelfAssignmentKeeps) {
  KR_TriangleStrip a, b;
  fill(a, {1, 2}, {1, 2, 3, 4});
  fill(b, {7, 8, 9}, {0, 0, 0, 0, 0, 0});
  b = a;
  ASSERT_EQ(b.numberIndices, 2u);
  EXPECT_NE(b.indices, a.indices);
  a.indices[1] = 5;
  EXPECT_EQ(b.indices[1], 2u);
  EXPECT_EQ(b.texCoords[3], 4.0f);
  unsigned int* before = b.indices;
  b = b;
  EXPECT_EQ(b.indices, before);
  EXPECT_EQ(b.indices[0], 1u);
  // Through the base class as well.
  KR_TriangleGroup& g = b;
  g = a;
  EXPECT_EQ(b.indices[1], 5u);
}

TEST(TriangleGroupCopies, CopyingAnEmptyGroupAllocatesEmptyArrays) {
  KR_TriangleFan empty;
  EXPECT_EQ(empty.indices, nullptr);
  KR_TriangleFan copy(empty);
  EXPECT_EQ(copy.numberIndices, 0u);
  EXPECT_NE(copy.indices, nullptr);
  EXPECT_NE(copy.texCoords, nullptr);
}
