// KR_SkyBox.h - a textured cube of edge 2 drawn around the eye as the scene's background,
// with depth testing and depth writes off. The sky box owns its display list; its face
// textures stay registered with the texture manager under the sky box as owner.
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

  // Draws the cube centred on p (normally the eye).
  void drawSkyBox(const KR_Point3D& p) const;

  GLuint getDisplayList() const { return displayID; }

 private:
  GLuint displayID;
};

}  // namespace KORA

#endif
