// KR_TriangleGroup.h - indexed triangle fans and strips over a model's vertex array, drawn
// from one key frame or blended between two. A group owns its index list and the texture
// coordinates of each index position; the vertex arrays are the model's and only borrowed.
#ifndef KORA_KR_TRIANGLEGROUP_H
#define KORA_KR_TRIANGLEGROUP_H

#include "KR_Vertex.h"

namespace KORA {

class KR_TriangleGroup {
 public:
  unsigned int* indices;       // vertex indices in drawing order; owned
  unsigned int numberIndices;  // entries in indices
  scalar* texCoords;           // (s, t) per index position, 2 x numberIndices; owned

  KR_TriangleGroup() : indices(nullptr), numberIndices(0), texCoords(nullptr) {}
  KR_TriangleGroup(const KR_TriangleGroup& g);
  KR_TriangleGroup& operator=(const KR_TriangleGroup& g);
  virtual ~KR_TriangleGroup();

  // Draws positions blended from frame A (interpolation 0) to frame B (1), not clamped;
  // normals come from frame A.
  virtual void drawOpenGL(const KR_Vertex* verticesFrameA, const KR_Vertex* verticesFrameB,
                          scalar interpolation) const = 0;
  virtual void drawOpenGL(const KR_Vertex* vertices) const = 0;

 protected:
  // Emits the index positions between glBegin(mode) and glEnd().
  void emit(GLenum mode, const KR_Vertex* vertices) const;
  void emit(GLenum mode, const KR_Vertex* frameA, const KR_Vertex* frameB,
            scalar interpolation) const;

 private:
  void copyFrom(const KR_TriangleGroup& g);
  void release();
};

class KR_TriangleFan : public KR_TriangleGroup {
 public:
  KR_TriangleFan() {}
  KR_TriangleFan(const KR_TriangleFan& f) : KR_TriangleGroup(f) {}
  KR_TriangleFan& operator=(const KR_TriangleFan& f);
  ~KR_TriangleFan() override {}

  void drawOpenGL(const KR_Vertex* verticesFrameA, const KR_Vertex* verticesFrameB,
                  scalar interpolation) const override;
  void drawOpenGL(const KR_Vertex* vertices) const override;
};

class KR_TriangleStrip : public KR_TriangleGroup {
 public:
  KR_TriangleStrip() {}
  KR_TriangleStrip(const KR_TriangleStrip& s) : KR_TriangleGroup(s) {}
  KR_TriangleStrip& operator=(const KR_TriangleStrip& s);
  ~KR_TriangleStrip() override {}

  void drawOpenGL(const KR_Vertex* verticesFrameA, const KR_Vertex* verticesFrameB,
                  scalar interpolation) const override;
  void drawOpenGL(const KR_Vertex* vertices) const override;
};

}  // namespace KORA

#endif
