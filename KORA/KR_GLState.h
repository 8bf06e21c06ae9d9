// KR_GLState.h - the process-wide tracker of OpenGL switches.
//
// Library code turns GL capabilities on and off, and changes the matrix mode, through this
// tracker: it remembers one flag per switch and issues the GL call only when the flag differs.
// It assumes GL's initial state (everything off, no matrix mode known) and does not see changes
// made with direct GL calls. Calls made while a display list is being compiled go into the
// list, while the flags change at once.
#ifndef KORA_KR_GLSTATE_H
#define KORA_KR_GLSTATE_H

#include "KR_Def.h"

namespace KORA {

class KR_GLState {
 public:
  // The one tracker, created on first use and never destroyed.
  static KR_GLState* getInstance();

  void enableLighting();
  void disableLighting();
  void enableCulling();
  void disableCulling();
  void enableTexture2D();
  void disableTexture2D();
  void enableBlending();  // GL_BLEND
  void disableBlending();
  void enableDepthTest();
  void disableDepthTest();
  void enableNormalize();  // GL_NORMALIZE
  void disableNormalize();
  void enableLight0();
  void disableLight0();
  void enableLight1();
  void disableLight1();
  void enableLight2();
  void disableLight2();
  void enableLight3();
  void disableLight3();
  void enableLight4();
  void disableLight4();
  void enableLight5();
  void disableLight5();
  void enableLight6();
  void disableLight6();
  void enableLight7();
  void disableLight7();
  // Light i for i in 0..7; any other i does nothing.
  void enableLighti(GLuint i);
  void disableLighti(GLuint i);
  void enablePolygonSmooth();  // GL_POLYGON_SMOOTH
  void disablePolygonSmooth();
  void enableFog();  // GL_FOG
  void disableFog();

  // Make GL_MODELVIEW / GL_PROJECTION the current matrix unless the tracker knows it already is.
  void modelview();
  void projection();

  // Switch GL to selection render mode unless it is there already.
  void selection_mode();
  // Back to GL_RENDER from selection mode; returns the number of hit records that
  // glRenderMode reports (-1 when the selection buffer overflowed), 0 when not selecting.
  int render_mode();

  // What the tracker believes is on; true only while the library has switched it on.
  bool lighting;
  bool culling;
  bool texture2D;
  bool blending;
  bool depthTest;
  bool normalize;
  bool light0, light1, light2, light3, light4, light5, light6, light7;
  bool polygonSmooth;
  bool fog;
  bool _modelview;
  bool _projection;
  bool _selection;

 private:
  KR_GLState();
  KR_GLState(const KR_GLState&) = delete;
  KR_GLState& operator=(const KR_GLState&) = delete;

  static void switchOn(bool& flag, GLenum cap);
  static void switchOff(bool& flag, GLenum cap);
  bool* lightFlag(GLuint i);

  static KR_GLState* _instance;
};

}  // namespace KORA

#endif
