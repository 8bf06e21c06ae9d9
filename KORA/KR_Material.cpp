// KR_Material.cpp - the surface material.
#include "KR_Material.h"

namespace KORA {

KR_Material::KR_Material()
    : ambient{{0.11f, 0.11f, 0.11f, 1}},
      diffuse{{0.75f, 0.75f, 0.75f, 1}},
      specular{{0, 0, 0, 1}},
      emissive{{0, 0, 0, 1}},
      specularExponent(0),
      transparency(0) {}

KR_Material::~KR_Material() {}

KR_Material& KR_Material::operator=(const KR_Material& m) {
  if (this == &m) return *this;
  ambient = m.ambient;
  diffuse = m.diffuse;
  specular = m.specular;
  emissive = m.emissive;
  specularExponent = m.specularExponent;
  return *this;
}

void KR_Material::setDefault() {
  const scalar rgb[4][3] = {{0.11f, 0.11f, 0.11f}, {0.75f, 0.75f, 0.75f}, {0, 0, 0}, {0, 0, 0}};
  KR_Color* colours[4] = {&ambient, &diffuse, &specular, &emissive};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 3; ++k) colours[i]->components[k] = rgb[i][k];
  specularExponent = 0;
}

void KR_Material::initMaterialGL() const {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient.components);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse.components);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.components);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive.components);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, specularExponent);
}

void KR_Material::setTransparency(scalar t) { transparency = t; }

}  // namespace KORA
