// demo_scene.h - everything the KORA demo shows: sky box, terrain, the flying crystal, the
// spheres to pick, and the 2D overlay. Owns its sky box, terrain and crystal; needs the GL
// context current from construction to destruction.
#ifndef KORA_DEMO_SCENE_H
#define KORA_DEMO_SCENE_H

#include <KORA/KR_2D.h>
#include <KORA/KR_Camera.h>
#include <KORA/KR_Init.h>
#include <KORA/KR_Material.h>
#include <KORA/KR_Ray3D.h>
#include <KORA/KR_SkyBox.h>
#include <KORA/KR_Terrain.h>

#include <memory>
#include <string>

#include "crystal.h"

class DemoScene {
public:
  DemoScene(KORA::KR_Init& init, int width, int height);
  ~DemoScene();

  // Advances the animation to `time` seconds and draws one frame (3D, then the overlay).
  void frame(float time, float framesPerSecond);
  void resize(int width, int height);

  // Camera modes: following the crystal, or flying freely from where it was.
  bool following() const { return follow; }
  void toggleFollow();
  // Keys, by GLUT's key codes: ASCII, or special keys with `special` set.
  void key(int code, bool special);
  // Picks the sphere under window position (x, y), y counted from the top.
  void click(int x, int y);
  void togglePause() { paused = !paused; }
  bool isPaused() const { return paused; }

private:
  struct Sphere {
    KORA::KR_Point3D centre;
    float radius;
    const char* name;
    KORA::KR_Material material;
  };

  void drawSpheres() const;
  void drawOverlay(float framesPerSecond) const;
  // Width in pixels of text in a GLUT bitmap font.
  static int textWidth(void* font, const std::string& text);
  // A translucent dark pane between two window corners (overlay coordinates).
  static void shadePanel(int x0, int y0, int x1, int y1);
  void lights() const;
  void buildOutskirts();
  void drawOutskirts() const;

  KORA::KR_Init& init;
  KORA::KR_Camera* camera;
  std::unique_ptr<KORA::KR_SkyBox> sky;
  std::unique_ptr<KORA::KR_Terrain> terrain;
  Crystal crystal;
  KORA::KR_Material ground;
  Sphere spheres[4];
  int picked;  // index into spheres, -1 for none
  KORA::KR_Ray3D pickRay;
  bool showRay;
  bool follow;
  bool paused;
  bool help;
  int width, height;
  float clock;  // animation time, frozen while paused
  float lastTime;
  GLuint outskirts;         // display list of the plain round the terrain
  GLuint outskirtsTexture;  // the terrain's ground texture, shared through the manager
};

#endif
