// KR_GLState.cpp - the GL switch tracker.
#include "KR_GLState.h"

namespace KORA {

KR_GLState* KR_GLState::_instance = nullptr;

KR_GLState* KR_GLState::getInstance() {
  if (_instance == nullptr) _instance = new KR_GLState();
  return _instance;
}

KR_GLState::KR_GLState()
    : lighting(false),
      culling(false),
      texture2D(false),
      blending(false),
      depthTest(false),
      normalize(false),
      light0(false),
      light1(false),
      light2(false),
      light3(false),
      light4(false),
      light5(false),
      light6(false),
      light7(false),
      polygonSmooth(false),
      fog(false),
      _modelview(false),
      _projection(false),
      _selection(false) {}

void KR_GLState::switchOn(bool& flag, GLenum cap) {
  if (!flag) {
    glEnable(cap);
    flag = true;
  }
}

void KR_GLState::switchOff(bool& flag, GLenum cap) {
  if (flag) {
    glDisable(cap);
    flag = false;
  }
}

bool* KR_GLState::lightFlag(GLuint i) {
  bool* flags[8] = {&light0, &light1, &light2, &light3, &light4, &light5, &light6, &light7};
  return i < 8 ? flags[i] : nullptr;
}

void KR_GLState::enableLighting() { switchOn(lighting, GL_LIGHTING); }
void KR_GLState::disableLighting() { switchOff(lighting, GL_LIGHTING); }
void KR_GLState::enableCulling() { switchOn(culling, GL_CULL_FACE); }
void KR_GLState::disableCulling() { switchOff(culling, GL_CULL_FACE); }
void KR_GLState::enableTexture2D() { switchOn(texture2D, GL_TEXTURE_2D); }
void KR_GLState::disableTexture2D() { switchOff(texture2D, GL_TEXTURE_2D); }
void KR_GLState::enableBlending() { switchOn(blending, GL_BLEND); }
void KR_GLState::disableBlending() { switchOff(blending, GL_BLEND); }
void KR_GLState::enableDepthTest() { switchOn(depthTest, GL_DEPTH_TEST); }
void KR_GLState::disableDepthTest() { switchOff(depthTest, GL_DEPTH_TEST); }
void KR_GLState::enableNormalize() { switchOn(normalize, GL_NORMALIZE); }
void KR_GLState::disableNormalize() { switchOff(normalize, GL_NORMALIZE); }
void KR_GLState::enablePolygonSmooth() { switchOn(polygonSmooth, GL_POLYGON_SMOOTH); }
void KR_GLState::disablePolygonSmooth() { switchOff(polygonSmooth, GL_POLYGON_SMOOTH); }
void KR_GLState::enableFog() { switchOn(fog, GL_FOG); }
void KR_GLState::disableFog() { switchOff(fog, GL_FOG); }

void KR_GLState::enableLight0() { switchOn(light0, GL_LIGHT0); }
void KR_GLState::disableLight0() { switchOff(light0, GL_LIGHT0); }
void KR_GLState::enableLight1() { switchOn(light1, GL_LIGHT1); }
void KR_GLState::disableLight1() { switchOff(light1, GL_LIGHT1); }
void KR_GLState::enableLight2() { switchOn(light2, GL_LIGHT2); }
void KR_GLState::disableLight2() { switchOff(light2, GL_LIGHT2); }
void KR_GLState::enableLight3() { switchOn(light3, GL_LIGHT3); }
void KR_GLState::disableLight3() { switchOff(light3, GL_LIGHT3); }
void KR_GLState::enableLight4() { switchOn(light4, GL_LIGHT4); }
void KR_GLState::disableLight4() { switchOff(light4, GL_LIGHT4); }
void KR_GLState::enableLight5() { switchOn(light5, GL_LIGHT5); }
void KR_GLState::disableLight5() { switchOff(light5, GL_LIGHT5); }
void KR_GLState::enableLight6() { switchOn(light6, GL_LIGHT6); }
void KR_GLState::disableLight6() { switchOff(light6, GL_LIGHT6); }
void KR_GLState::enableLight7() { switchOn(light7, GL_LIGHT7); }
void KR_GLState::disableLight7() { switchOff(light7, GL_LIGHT7); }

void KR_GLState::enableLighti(GLuint i) {
  if (bool* flag = lightFlag(i)) switchOn(*flag, GL_LIGHT0 + i);
}

void KR_GLState::disableLighti(GLuint i) {
  if (bool* flag = lightFlag(i)) switchOff(*flag, GL_LIGHT0 + i);
}

void KR_GLState::modelview() {
  if (!_modelview) {
    glMatrixMode(GL_MODELVIEW);
    _modelview = true;
    _projection = false;
  }
}

void KR_GLState::projection() {
  if (!_projection) {
    glMatrixMode(GL_PROJECTION);
    _projection = true;
    _modelview = false;
  }
}

void KR_GLState::selection_mode() {
  if (!_selection) {
    glRenderMode(GL_SELECT);
    _selection = true;
  }
}

int KR_GLState::render_mode() {
  if (!_selection) return 0;
  _selection = false;
  return glRenderMode(GL_RENDER);
}

}  // namespace KORA
