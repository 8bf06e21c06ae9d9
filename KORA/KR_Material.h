// KR_Material.h - a surface material: ambient, diffuse, specular and emissive colours and a
// shininess exponent, with fixed defaults, loaded into GL for both faces by initMaterialGL.
#ifndef KORA_KR_MATERIAL_H
#define KORA_KR_MATERIAL_H

#include "KR_Def.h"

namespace KORA {

// An RGBA colour of four scalars, ready for glMaterialfv / glColor4fv.
struct KR_Color {
  scalar components[4];
};

class KR_Material {
 public:
  // Ambient (0.11, 0.11, 0.11, 1), diffuse (0.75, 0.75, 0.75, 1), specular and emissive
  // (0, 0, 0, 1), exponent 0, transparency 0 (opaque).
  KR_Material();
  KR_Material(const KR_Material& m) = default;
  ~KR_Material();

  // Copies the four colours and the exponent; the material keeps its own transparency.
  KR_Material& operator=(const KR_Material& m);

  // Restores the default r, g, b of the four colours and exponent 0; alphas and transparency
  // stay as they are.
  void setDefault();
  // glMaterialfv for ambient, diffuse, specular and emission, then glMaterialf for shininess,
  // all for GL_FRONT_AND_BACK. Transparency is not sent.
  void initMaterialGL() const;
  // Stores the transparency (0 opaque .. 1 fully transparent); nothing in GL changes.
  void setTransparency(scalar t);
  scalar getTransparency() const { return transparency; }

  KR_Color ambient;
  KR_Color diffuse;
  KR_Color specular;
  KR_Color emissive;
  scalar specularExponent;
  scalar transparency;
};

}  // namespace KORA

#endif
