// KR_Terrain.cpp - terrain construction (mesh, texture, display list) and drawing.
#include "KR_Terrain.h"

#include "KR_GLState.h"
#include "KR_TerrainMesh.h"
#include "KR_TextureManager.h"

namespace KORA {

namespace {
// Texture coordinates of the corners vertices[3], [2], [1], [0]: one whole texture per quad.
const scalar CORNER_ST[4][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
}  // namespace

KR_Terrain::KR_Terrain(int width, int height, int number_iterations, scalar resolution, int scale)
    : displayID(0), displacement_x(0.0f), displacement_y(0.0f), middle(0.0f, 0.0f, 0.0f) {
  KR_TerrainMesh mesh(width, height, number_iterations, resolution, scale);

  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->mipmapping = true;
  GLuint texture = GLuint(tm->getTexture("terrain.pcx", this, false));

  KR_GLState* state = KR_GLState::getInstance();
  displayID = glGenLists(1);
  glNewList(displayID, GL_COMPILE);
  glPushMatrix();
  state->enableTexture2D();
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1);
  for (const KR_Quad& q : mesh.quadList()) {
    glBegin(GL_POLYGON);
    for (int corner = 0; corner < 4; ++corner) {
      const KR_Vertex* v = q.vertices[3 - corner];
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
      glTexCoord2f(CORNER_ST[corner][0], CORNER_ST[corner][1]);
      glNormal3fv(v->normal.data);
      glVertex3fv(v->point.data);
    }
    glEnd();
  }
  state->disableTexture2D();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0);
  glPopMatrix();
  glEndList();

  // x runs along the rows and z along the columns, so each axis is centred on its own extent.
  int rows = height < 0 ? 0 : height, columns = width < 0 ? 0 : width;
  displacement_x = scalar(rows) * resolution * 0.5f;
  displacement_y = scalar(columns) * resolution * 0.5f;
}

KR_Terrain::~KR_Terrain() {
  if (displayID != 0) glDeleteLists(displayID, 1);
}

void KR_Terrain::drawTerrain() const {
  glPushMatrix();
  glTranslatef(middle.data[0] - displacement_x, middle.data[1], middle.data[2] - displacement_y);
  glCallList(displayID);
  glPopMatrix();
}

void KR_Terrain::setMiddlePoint(const KR_Point3D& p) { middle = p; }

}  // namespace KORA
