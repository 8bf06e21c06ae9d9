// KR_SkyBox.cpp - sky box construction and drawing.
#include "KR_SkyBox.h"

#include "KR_GLState.h"
#include "KR_TextureManager.h"

namespace KORA {

namespace {

// Each face is one quad; (s, t) for its four vertices, t = 0 along the top edge.
const GLfloat FACE_ST[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};

// Vertices of the faces in drawing order: front, right, back, left, top, bottom.
const GLfloat FACE_VERTICES[6][4][3] = {
    {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},  // front, z = -1
    {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}},      // right, x = +1
    {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}},      // back, z = +1
    {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},  // left, x = -1
    {{1, 1, -1}, {1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}},      // top, y = +1
    {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},  // bottom, y = -1
};

}  // namespace

KR_SkyBox::KR_SkyBox() : displayID(0) {}

KR_SkyBox::KR_SkyBox(const char* front_texture, const char* right_texture, const char* back_texture,
                     const char* left_texture, const char* top_texture, const char* bottom_texture)
    : displayID(0) {
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->mipmapping = false;
  const char* names[6] = {front_texture, right_texture, back_texture,
                          left_texture,  top_texture,   bottom_texture};
  GLuint textures[6] = {0, 0, 0, 0, 0, 0};
  bool present[6];
  for (int face = 0; face < 6; ++face) {
    present[face] = names[face] != nullptr;
    if (present[face]) textures[face] = GLuint(tm->getTexture(names[face], this, false));
  }

  KR_GLState* state = KR_GLState::getInstance();
  displayID = glGenLists(1);
  glNewList(displayID, GL_COMPILE);
  glPushMatrix();
  state->disableDepthTest();
  state->disableLighting();
  state->disableCulling();
  state->enableTexture2D();
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDepthMask(GL_FALSE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  for (int face = 0; face < 6; ++face) {
    if (!present[face]) continue;
    glBindTexture(GL_TEXTURE_2D, textures[face]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
      glTexCoord2f(FACE_ST[i][0], FACE_ST[i][1]);
      glVertex3f(FACE_VERTICES[face][i][0], FACE_VERTICES[face][i][1], FACE_VERTICES[face][i][2]);
    }
    glEnd();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0);
  }
  state->enableDepthTest();
  state->disableTexture2D();
  state->enableLighting();
  state->enableCulling();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glDepthMask(GL_TRUE);
  glPopMatrix();
  glEndList();

  tm->mipmapping = true;
}

KR_SkyBox::~KR_SkyBox() {
  if (displayID != 0) glDeleteLists(displayID, 1);
}

void KR_SkyBox::drawSkyBox(const KR_Point3D& p) const {
  glPushMatrix();
  glTranslatef(p.data[0], p.data[1], p.data[2]);
  glCallList(displayID);
  glPopMatrix();
}

}  // namespace KORA
