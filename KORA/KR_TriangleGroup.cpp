// KR_TriangleGroup.cpp - copying and drawing of indexed triangle fans and strips.
#include "KR_TriangleGroup.h"

#include <memory>

namespace KORA {

KR_TriangleGroup::KR_TriangleGroup(const KR_TriangleGroup& g)
    : indices(nullptr), numberIndices(0), texCoords(nullptr) {
  copyFrom(g);
}

KR_TriangleGroup& KR_TriangleGroup::operator=(const KR_TriangleGroup& g) {
  if (this != &g) {
    // The old arrays go once the copy stands, so the group stays whole if allocation fails.
    unsigned int* oldIndices = indices;
    scalar* oldTexCoords = texCoords;
    copyFrom(g);
    delete[] oldIndices;
    delete[] oldTexCoords;
  }
  return *this;
}

KR_TriangleGroup::~KR_TriangleGroup() { release(); }

void KR_TriangleGroup::copyFrom(const KR_TriangleGroup& g) {
  // Both arrays are allocated before either is stored, so a failed allocation leaks nothing.
  std::unique_ptr<unsigned int[]> newIndices(new unsigned int[g.numberIndices]);
  std::unique_ptr<scalar[]> newTexCoords(new scalar[2 * size_t(g.numberIndices)]);
  for (unsigned int i = 0; i < g.numberIndices; ++i) newIndices[i] = g.indices[i];
  for (size_t i = 0; i < 2 * size_t(g.numberIndices); ++i) newTexCoords[i] = g.texCoords[i];
  numberIndices = g.numberIndices;
  indices = newIndices.release();
  texCoords = newTexCoords.release();
}

void KR_TriangleGroup::release() {
  delete[] indices;
  indices = nullptr;
  delete[] texCoords;
  texCoords = nullptr;
}

void KR_TriangleGroup::emit(GLenum mode, const KR_Vertex* vertices) const {
  glBegin(mode);
  for (unsigned int i = 0; i < numberIndices; ++i) {
    const KR_Vertex& v = vertices[indices[i]];
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3fv(v.normal.data);
    glTexCoord2fv(texCoords + 2 * size_t(i));
    glVertex3fv(v.point.data);
  }
  glEnd();
}

void KR_TriangleGroup::emit(GLenum mode, const KR_Vertex* frameA, const KR_Vertex* frameB,
                            scalar interpolation) const {
  glBegin(mode);
  for (unsigned int i = 0; i < numberIndices; ++i) {
    const KR_Vertex& a = frameA[indices[i]];
    KR_Vertex p(a);
    p.lerp3D(&frameB[indices[i]], interpolation);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3fv(a.normal.data);
    glTexCoord2fv(texCoords + 2 * size_t(i));
    glVertex3fv(p.point.data);
  }
  glEnd();
}

KR_TriangleFan& KR_TriangleFan::operator=(const KR_TriangleFan& f) {
  if (this != &f) KR_TriangleGroup::operator=(f);
  return *this;
}

void KR_TriangleFan::drawOpenGL(const KR_Vertex* verticesFrameA, const KR_Vertex* verticesFrameB,
                                scalar interpolation) const {
  emit(GL_TRIANGLE_FAN, verticesFrameA, verticesFrameB, interpolation);
}

void KR_TriangleFan::drawOpenGL(const KR_Vertex* vertices) const {
  emit(GL_TRIANGLE_FAN, vertices);
}

KR_TriangleStrip& KR_TriangleStrip::operator=(const KR_TriangleStrip& s) {
  if (this != &s) KR_TriangleGroup::operator=(s);
  return *this;
}

void KR_TriangleStrip::drawOpenGL(const KR_Vertex* verticesFrameA, const KR_Vertex* verticesFrameB,
                                  scalar interpolation) const {
  emit(GL_TRIANGLE_STRIP, verticesFrameA, verticesFrameB, interpolation);
}

void KR_TriangleStrip::drawOpenGL(const KR_Vertex* vertices) const {
  emit(GL_TRIANGLE_STRIP, vertices);
}

}  // namespace KORA
