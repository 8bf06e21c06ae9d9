// KR_SkyBox.h - a textured cube of edge 2 drawn around the eye as the scene's background,
// with depth testing and depth writes off. The sky box owns its display list; its face
// textures stay registered with the texture manager under the sky box as owner.
//
// What the construction changes:
// - The texture manager's mipmapping flag: set false for the faces (edge-clamped, bilinear, one
//   level), then left true, whatever it was before.
// - The GL state tracker's flags: the list is compiled through the tracker, which records a
//   glDisable of the depth test, lighting and culling only for those it remembers as on at
//   that moment, and a glEnable of 2D texturing only if it remembers it off. So the list
//   depends on the tracker's flags when the sky box is built: build it with the depth test
//   remembered off and the list leaves the depth test alone (a sky drawn last, depth-tested at
//   the far plane, relies on that). Afterwards the tracker remembers depth test, lighting and
//   culling on and 2D texturing off, while GL itself is unchanged (the list is only compiled):
//   make GL agree where it differs.
//
// What drawSkyBox leaves for whatever is drawn next, whatever was on before: depth test,
// lighting and culling on, 2D texturing off, blending (glEnable(GL_BLEND)) and the alpha test
// (glEnable(GL_ALPHA_TEST)) on, depth writes on, texture environment GL_MODULATE, and the
// last face's texture bound. Blending and the alpha test are switched by direct GL calls, so
// the tracker's blending flag does not learn of them; calling the list updates no tracker
// flag at all.
#ifndef KORA_KR_SKYBOX_H
#define KORA_KR_SKYBOX_H

#include "KR_Point3D.h"

namespace KORA {

class KR_SkyBox {
 public:
  KR_SkyBox();
  // Face file names under the texture directory; top and bottom may be null (face left out).
  // Needs a current GL context.
  KR_SkyBox(const char* front_texture, const char* right_texture, const char* back_texture,
            const char* left_texture, const char* top_texture, const char* bottom_texture);
  ~KR_SkyBox();
  KR_SkyBox(const KR_SkyBox&) = delete;
  KR_SkyBox& operator=(const KR_SkyBox&) = delete;

  // Draws the cube centred on p (normally the eye): pushes and pops the model-view matrix
  // around one call of the list. See above for the state it leaves.
  void drawSkyBox(const KR_Point3D& p) const;

  GLuint getDisplayList() const { return displayID; }

 private:
  GLuint displayID;
};

}  // namespace KORA

#endif
