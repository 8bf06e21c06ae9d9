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
#include <utility>
#include <vector>

#include "crystal.h"

class DemoScene {
 public:
  // The terrain's landscape is that of random()'s sequence after srandom(seed).
  DemoScene(KORA::KR_Init& init, int width, int height, unsigned seed);
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

  // The overlay's text and fonts, chosen to fit the window: the title (frame rate, camera
  // mode, picked sphere) and the key help when it is shown.
  // The help is a table of keys and what they do, the second column starting at keyWidth.
  struct Overlay {
    void* titleFont = nullptr;
    void* helpFont = nullptr;
    int margin = 0, titleLine = 0, helpLine = 0;
    int titleWidth = 0, helpWidth = 0, keyWidth = 0;
    std::vector<std::string> title;
    std::vector<std::pair<std::string, std::string>> help;
    bool helpHidden = false;  // shown by default, but it would cover the followed crystal
  };

  void drawSpheres() const;
  Overlay layOutOverlay(float framesPerSecond) const;
  void drawOverlay(float framesPerSecond) const;
  // Width in pixels of text in a GLUT bitmap font.
  static int textWidth(void* font, const std::string& text);
  // A translucent dark pane between two window corners (overlay coordinates).
  static void shadePanel(int x0, int y0, int x1, int y1);
  void lights() const;
  void buildOutskirts();
  void drawOutskirts() const;
  void buildHaze();
  void drawHaze() const;
  // Height of the terrain round (x, z): the highest vertex of the cell under it and of its
  // neighbours; 0 off the terrain.
  float groundHeight(float x, float z) const;
  // Raises the eye to EYE_CLEARANCE above the ground when it is lower (following: still
  // looking at the crystal).
  void keepAboveGround();
  // Sets the camera up afresh (popping the projection the last set-up pushed).
  void placeCamera(const KORA::KR_Point3D& eye, const KORA::KR_Point3D& look,
                   const KORA::KR_Vector3D& up);
  // Free camera: turns about the world's y axis; pitches, stopping at straight up or down.
  void turnAboutWorldUp(float degrees);
  void pitchWithin(float degrees);

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
  // Until h is pressed the help shows only where it leaves the middle of the window, where the
  // followed crystal flies, free; once asked for, it shows wherever it fits.
  bool helpAsked;
  mutable bool helpHidden;  // the last layout left the help out for the crystal's sake
  int width, height;
  float clock;  // animation time, frozen while paused
  float lastTime;
  GLuint outskirts;            // display list of the plain round the terrain
  GLuint outskirtsTexture;     // the terrain's ground texture, shared through the manager
  GLuint haze;                 // display list of the haze over the sky's horizon
  std::vector<float> heights;  // the terrain's heights, row k (along x) by column l (along z)
};

#endif
