// demo_scene.cpp - building and drawing the KORA demo's scene.
#include "demo_scene.h"

#include "KR_TerrainMesh.h"  // the same heights as the terrain, to keep the eye above them

#include <GL/freeglut.h>
#include <KORA/KR_GLState.h>
#include <KORA/KR_TextureManager.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace KORA;

namespace {

const float FIELD_OF_VIEW = 60.0f;  // degrees, vertical
const float NEAR_PLANE = 0.5f;      // inside the sky box's unit half-size
const float FAR_PLANE = 1500.0f;

// Terrain: 97 x 97 vertices 5 units apart, 60 hills up to 40 units high.
const int TERRAIN_SIZE = 97;
const int TERRAIN_HILLS = 60;
const float TERRAIN_RESOLUTION = 5.0f;
const int TERRAIN_SCALE = 40;

// The plain round the terrain: tiles of this size, drawn round the eye wherever it goes, out
// to where the fog has turned the ground into haze (the fog's depth at the window's corners is
// about 0.7 of the distance, so a little beyond its end); beyond, the haze ring below the
// horizon stands in for the ground.
const float OUTSKIRT_TILE = 40.0f;
const int OUTSKIRT_REACH = 20;  // tiles from the eye's tile on each side: 800 units

const float MOVE_STEP = 3.0f;  // free camera: units per key press
const float TURN_STEP = 3.0f;  // degrees per key press
const int ORBIT_STEP = 5;      // follow camera: degrees per key press

// Distance fog in the sky's horizon colour hides the terrain's edge.
const GLfloat HAZE[4] = {0.68f, 0.78f, 0.88f, 1.0f};
// Sunlight from where the sky box shows the sun: the disc lies on the front face (z = -1) at
// column 74 and row 154 of its 512 x 512 picture, whose s runs from x = +1 to x = -1, so 18
// degrees above the horizon towards (0.71, 0, -1). A sun that low leaves flat ground at a
// third of its full light: the ambient light makes up for it.
const GLfloat LIGHT_DIRECTION[4] = {0.709f, 0.396f, -1.0f, 0.0f};

// The eye stays this far above the ground under it (the near plane is 0.5 away).
const float EYE_CLEARANCE = 2.5f;

// The haze over the sky box's horizon: the sky's pictures put a dark treeline right on the
// horizon, above a band of its own pale colour, while the fogged plain ends some degrees below
// the horizon. Drawn over the sky, haze that thins out upwards from the horizon (fully opaque
// at and below it) lets the distant hills fade into the fog like the plain does.
const float HAZE_TOP = 8.0f;     // degrees above the horizon where the haze has gone
const float HAZE_RADIUS = 0.9f;  // inside the sky box, beyond the near plane
const int HAZE_SEGMENTS = 48;
KR_Material makeMaterial(float r, float g, float b) {
  KR_Material m;
  m.ambient = {{r * 0.3f, g * 0.3f, b * 0.3f, 1}};
  m.diffuse = {{r, g, b, 1}};
  m.specular = {{0.6f, 0.6f, 0.6f, 1}};
  m.specularExponent = 30;
  return m;
}

}  // namespace

DemoScene::DemoScene(KR_Init& _init, int _width, int _height, unsigned seed)
    : init(_init),
      camera(KR_Camera::getInstance()),
      picked(-1),
      showRay(false),
      follow(true),
      paused(false),
      help(true),
      helpAsked(false),
      helpHidden(false),
      width(_width),
      height(_height),
      clock(0),
      lastTime(0),
      outskirts(0),
      outskirtsTexture(0),
      haze(0) {
  camera->setFrustumAndCamera(FIELD_OF_VIEW, unsigned(width), unsigned(height), NEAR_PLANE,
                              FAR_PLANE, KR_Point3D(0, 80, 160), KR_Point3D(0, 40, 0),
                              KR_Vector3D(0, 1, 0));
  camera->follow_distance = 16.0f;
  camera->follow_angleX = 0;
  camera->follow_angleY = 0;
  camera->follow_angleZ = 0;
  camera->fixed_object = &crystal;

  ground.ambient = {{0.75f, 0.75f, 0.75f, 1}};  // the low sun lights flat ground at a third
  ground.diffuse = {{0.85f, 0.85f, 0.85f, 1}};

  const struct {
    float x, y, z, r;
    const char* name;
    float cr, cg, cb;
  } layout[4] = {{55, 42, -45, 6, "red", 0.9f, 0.15f, 0.1f},
                 {-60, 52, -30, 8, "green", 0.2f, 0.8f, 0.25f},
                 {-35, 38, 62, 5, "blue", 0.2f, 0.35f, 0.95f},
                 {40, 58, 55, 7, "white", 0.9f, 0.9f, 0.9f}};
  for (int i = 0; i < 4; ++i) {
    spheres[i].centre = KR_Point3D(layout[i].x, layout[i].y, layout[i].z);
    spheres[i].radius = layout[i].r;
    spheres[i].name = layout[i].name;
    spheres[i].material = makeMaterial(layout[i].cr, layout[i].cg, layout[i].cb);
  }

  KR_GLState* state = KR_GLState::getInstance();
  glClearColor(HAZE[0], HAZE[1], HAZE[2], 1);
  glShadeModel(GL_SMOOTH);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  state->enableDepthTest();
  state->enableCulling();
  state->enableLighting();
  state->enableLight0();
  const GLfloat ambient[4] = {0.62f, 0.62f, 0.66f, 1}, diffuse[4] = {1.0f, 0.95f, 0.84f, 1};
  const GLfloat white[4] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, HAZE);
  glFogf(GL_FOG_START, 60.0f);
  glFogf(GL_FOG_END, 520.0f);

  // The sky box is drawn last, only where nothing else was drawn: depth-tested at the far
  // plane. Its list turns off only what the tracker remembers as on, so it is built with the
  // depth test remembered off; the list leaves the tracker remembering it on, and GL is made to
  // agree.
  state->disableDepthTest();
  sky.reset(new KR_SkyBox("sky_front.bmp", "sky_right.bmp", "sky_back.bmp", "sky_left.bmp",
                          "sky_top.bmp", "sky_bottom.bmp"));
  glEnable(GL_DEPTH_TEST);
  buildHaze();

  // The heights come from random(): the same seed gives the terrain and the copy of its
  // heights that keeps the eye above it.
  srandom(seed);
  {
    KR_TerrainMesh mesh(TERRAIN_SIZE, TERRAIN_SIZE, TERRAIN_HILLS, TERRAIN_RESOLUTION,
                        TERRAIN_SCALE);
    heights.resize(size_t(TERRAIN_SIZE) * TERRAIN_SIZE);
    for (int k = 0; k < TERRAIN_SIZE; ++k)
      for (int l = 0; l < TERRAIN_SIZE; ++l)
        heights[size_t(k) * TERRAIN_SIZE + l] = mesh.at(k, l).point.data[1];
  }
  srandom(seed);
  terrain.reset(
      new KR_Terrain(TERRAIN_SIZE, TERRAIN_SIZE, TERRAIN_HILLS, TERRAIN_RESOLUTION, TERRAIN_SCALE));
  terrain->setMiddlePoint(KR_Point3D(0, 0, 0));
  buildOutskirts();
  // One mip level per pixel instead of a blend of two: the same picture under the haze, and
  // fewer texture reads for the many small, far quads.
  glBindTexture(GL_TEXTURE_2D, outskirtsTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

float DemoScene::groundHeight(float x, float z) const {
  // Vertex (k, l) lies at x = k r - h, z = l r - h (r the spacing, h half of size * r).
  const float half = float(TERRAIN_SIZE) * TERRAIN_RESOLUTION * 0.5f;
  const float fk = (x + half) / TERRAIN_RESOLUTION, fl = (z + half) / TERRAIN_RESOLUTION;
  if (!(fk >= 0 && fl >= 0 && fk <= float(TERRAIN_SIZE - 1) && fl <= float(TERRAIN_SIZE - 1)))
    return 0;
  // The highest corner of the cell and of its neighbours: the near plane reaches a little
  // beyond the eye's own cell.
  const int k = int(fk), l = int(fl);
  float highest = 0;
  for (int i = std::max(0, k - 1); i <= std::min(TERRAIN_SIZE - 1, k + 2); ++i)
    for (int j = std::max(0, l - 1); j <= std::min(TERRAIN_SIZE - 1, l + 2); ++j)
      highest = std::max(highest, heights[size_t(i) * TERRAIN_SIZE + j]);
  return highest;
}

void DemoScene::buildHaze() {
  // Rings round the eye from HAZE_TOP degrees above the horizon down to straight below (the
  // last ring closes at the nadir: no sky shows through under a camera looking down beyond the
  // plain); the alpha grows from 0 at the top to 1 at the horizon.
  const float elevations[] = {HAZE_TOP, 6.0f, 4.5f, 3.2f,  2.2f,   1.4f,
                              0.8f,     0.3f, 0.0f, -5.0f, -30.0f, -90.0f};
  const int rings = int(sizeof elevations / sizeof elevations[0]);
  haze = glGenLists(1);
  glNewList(haze, GL_COMPILE);
  for (int r = 0; r + 1 < rings; ++r) {
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= HAZE_SEGMENTS; ++i) {
      const float a = 2.0f * float(M_PI) * float(i) / float(HAZE_SEGMENTS);
      for (int e = r; e <= r + 1; ++e) {
        const float el = elevations[e] * float(M_PI) / 180.0f;
        const float above = std::max(0.0f, elevations[e]) / HAZE_TOP;
        const float alpha = (1.0f - above) * (1.0f - above) * (1.0f - above);
        glColor4f(HAZE[0], HAZE[1], HAZE[2], alpha);
        glVertex3f(HAZE_RADIUS * std::cos(el) * std::cos(a), HAZE_RADIUS * std::sin(el),
                   HAZE_RADIUS * std::cos(el) * std::sin(a));
      }
    }
    glEnd();
  }
  glEndList();
}

void DemoScene::drawHaze() const {
  KR_GLState* state = KR_GLState::getInstance();
  state->disableLighting();
  state->disableCulling();
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPushMatrix();
  glTranslatef(camera->eye.data[0], camera->eye.data[1], camera->eye.data[2]);
  glCallList(haze);
  glPopMatrix();
  glDepthMask(GL_TRUE);
  state->enableCulling();
  state->enableLighting();
}

void DemoScene::placeCamera(const KR_Point3D& eye, const KR_Point3D& look, const KR_Vector3D& up) {
  KR_GLState::getInstance()->projection();
  glPopMatrix();  // the projection that the last set-up pushed
  KR_GLState::getInstance()->modelview();
  camera->setFrustumAndCamera(FIELD_OF_VIEW, unsigned(width), unsigned(height), NEAR_PLANE,
                              FAR_PLANE, eye, look, up);
}

void DemoScene::turnAboutWorldUp(float degrees) {
  // Turning about the camera's own v would roll the horizon once the camera has pitched; a
  // turn about the world's y axis keeps it level, as small engines' free cameras do.
  const float a = degrees * float(M_PI) / 180.0f, c = std::cos(a), s = std::sin(a);
  auto turn = [c, s](const KR_Vector3D& w) {
    return KR_Vector3D(c * w.data[0] + s * w.data[2], w.data[1], -s * w.data[0] + c * w.data[2]);
  };
  const KR_Vector3D n = turn(camera->getN()), v = turn(camera->getV());
  const KR_Point3D eye = camera->eye;
  placeCamera(eye,
              KR_Point3D(eye.data[0] - n.data[0], eye.data[1] - n.data[1], eye.data[2] - n.data[2]),
              v);
}

void DemoScene::pitchWithin(float degrees) {
  // The view line's elevation stays within straight up and straight down, so that the turn
  // about the world's up axis never runs backwards.
  const float up =
      std::asin(std::max(-1.0f, std::min(1.0f, -camera->getN().data[1]))) * 180.0f / float(M_PI);
  const float to = std::max(-90.0f, std::min(90.0f, up + degrees));
  if (to != up) camera->rotate(to - up, 0, 0);
}

void DemoScene::keepAboveGround() {
  KR_Point3D& eye = camera->eye;
  const float lowest = groundHeight(eye.data[0], eye.data[2]) + EYE_CLEARANCE;
  if (eye.data[1] >= lowest) return;
  if (!follow) {
    eye.data[1] = lowest;
    camera->rotate(0, 0, 0);  // reloads the viewing matrix from the raised eye
    return;
  }
  // Orbiting below the ground: lift the eye and keep looking at the crystal.
  const KR_Point3D lifted(eye.data[0], lowest, eye.data[2]);
  const KR_Point3D target(crystal.getXPos(), crystal.getYPos(), crystal.getZPos());
  KR_Vector3D up = camera->getV();
  KR_Vector3D line = lifted - target;
  if (!KR_Vector3D(up).crossProduct(line)) up = KR_Vector3D(0, 0, 1);
  placeCamera(lifted, target, up);
}

void DemoScene::buildOutskirts() {
  // The terrain spans [-h, -h + (n - 1) r] on x and z (h half its extent, r its spacing), its
  // flat ground lies at height 0 with the normal (0, 1, 0) that flat quads get, and it shows
  // one whole texture per quad. The plain continues that ground outwards in tiles that leave
  // the terrain's square free (drawOutskirts, round the eye); far out it vanishes in the fog,
  // whose colour is the sky box's at the horizon, so the landscape meets the sky without an
  // edge. The list holds what does not move: the walls at the terrain's edge.
  outskirtsTexture =
      GLuint(KR_TextureManager::getInstance()->getTexture("terrain.pcx", this, false));
  const float half = float(TERRAIN_SIZE) * TERRAIN_RESOLUTION * 0.5f;
  outskirts = glGenLists(1);
  glNewList(outskirts, GL_COMPILE);
  glColor4f(1, 1, 1, 1);
  glNormal3f(0, 1, 0);
  // Where a hill reaches the terrain's edge, the edge stands above the plain: a wall from the
  // edge down to the plain closes the gap through which the sky showed. Drawn from both sides.
  glDisable(GL_CULL_FACE);
  const int last = TERRAIN_SIZE - 1;
  for (int side = 0; side < 4; ++side) {
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= last; ++i) {
      const int k = side == 0 ? 0 : side == 1 ? last : i;
      const int l = side < 2 ? i : (side == 2 ? 0 : last);
      const float x = -half + float(k) * TERRAIN_RESOLUTION,
                  z = -half + float(l) * TERRAIN_RESOLUTION;
      const float h = heights[size_t(k) * TERRAIN_SIZE + l];
      glTexCoord2f(float(i), h / TERRAIN_RESOLUTION);
      glVertex3f(x, h, z);
      glTexCoord2f(float(i), 0);
      glVertex3f(x, 0, z);
    }
    glEnd();
  }
  glEnable(GL_CULL_FACE);
  glEndList();
}

void DemoScene::drawOutskirts() const {
  KR_GLState* state = KR_GLState::getInstance();
  state->enableTexture2D();
  glBindTexture(GL_TEXTURE_2D, outskirtsTexture);
  glCallList(outskirts);
  // The tiles of the plain round the eye's tile, on the grid that starts at the terrain's
  // corner, so that the plain never ends however far the free camera flies. Each tile shows
  // a whole number of textures, the same wherever it lies.
  const float half = float(TERRAIN_SIZE) * TERRAIN_RESOLUTION * 0.5f;
  const int inside = int(float(TERRAIN_SIZE - 1) * TERRAIN_RESOLUTION / OUTSKIRT_TILE + 0.5f);
  const int ei = int(std::floor((camera->eye.data[0] + half) / OUTSKIRT_TILE));
  const int ej = int(std::floor((camera->eye.data[2] + half) / OUTSKIRT_TILE));
  const float repeat = OUTSKIRT_TILE / TERRAIN_RESOLUTION;
  glColor4f(1, 1, 1, 1);
  glNormal3f(0, 1, 0);
  glBegin(GL_QUADS);
  for (int i = ei - OUTSKIRT_REACH; i <= ei + OUTSKIRT_REACH; ++i)
    for (int j = ej - OUTSKIRT_REACH; j <= ej + OUTSKIRT_REACH; ++j) {
      if (i >= 0 && i < inside && j >= 0 && j < inside) continue;
      const float x0 = -half + float(i) * OUTSKIRT_TILE, x1 = x0 + OUTSKIRT_TILE;
      const float z0 = -half + float(j) * OUTSKIRT_TILE, z1 = z0 + OUTSKIRT_TILE;
      // Counter-clockwise seen from above.
      glTexCoord2f(0, 0);
      glVertex3f(x0, 0, z0);
      glTexCoord2f(0, repeat);
      glVertex3f(x0, 0, z1);
      glTexCoord2f(repeat, repeat);
      glVertex3f(x1, 0, z1);
      glTexCoord2f(repeat, 0);
      glVertex3f(x1, 0, z0);
    }
  glEnd();
  state->disableTexture2D();
}

DemoScene::~DemoScene() {
  // Give the textures back so that the manager deletes them now rather than never.
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->removeTextures(sky.get());
  tm->removeTextures(terrain.get());
  tm->removeTextures(this);
  if (outskirts != 0) glDeleteLists(outskirts, 1);
  if (haze != 0) glDeleteLists(haze, 1);
  camera->fixed_object = nullptr;
}

void DemoScene::resize(int w, int h) {
  if (w <= 0 || h <= 0) return;
  width = w;
  height = h;
  init.vSetViewPort(0, w, h, 0);
  // Set the camera up afresh for the new aspect ratio, keeping where it stands and looks.
  const KR_Vector3D n = camera->getN();
  const KR_Point3D eye = camera->eye;
  placeCamera(eye,
              KR_Point3D(eye.data[0] - n.data[0], eye.data[1] - n.data[1], eye.data[2] - n.data[2]),
              camera->getV());
}

void DemoScene::toggleFollow() {
  follow = !follow;
  camera->fixed_object = follow ? &crystal : nullptr;
}

void DemoScene::key(int code, bool special) {
  if (!special) {
    switch (code) {
      case ' ':
      case '\t': toggleFollow(); return;
      case 'p': togglePause(); return;
      case 'h':
        // A help left out for the crystal's sake shows on the first press.
        help = helpHidden ? true : !help;
        helpAsked = true;
        return;
      case 'r': showRay = !showRay; return;
      default: break;
    }
  }
  if (follow) {
    if (special) {
      switch (code) {
        case GLUT_KEY_LEFT: camera->follow_angleY -= ORBIT_STEP; break;
        case GLUT_KEY_RIGHT: camera->follow_angleY += ORBIT_STEP; break;
        case GLUT_KEY_UP: camera->follow_angleX -= ORBIT_STEP; break;
        case GLUT_KEY_DOWN: camera->follow_angleX += ORBIT_STEP; break;
        case GLUT_KEY_PAGE_UP:
          camera->follow_distance = std::max(4.0f, camera->follow_distance - 2.0f);
          break;
        case GLUT_KEY_PAGE_DOWN: camera->follow_distance += 2.0f; break;
        default: break;
      }
    } else {
      switch (code) {
        case 'q': camera->follow_angleZ -= ORBIT_STEP; break;
        case 'e': camera->follow_angleZ += ORBIT_STEP; break;
        case 'w': camera->follow_distance = std::max(4.0f, camera->follow_distance - 2.0f); break;
        case 's': camera->follow_distance += 2.0f; break;
        case '0': camera->follow_angleX = camera->follow_angleY = camera->follow_angleZ = 0; break;
        default: break;
      }
    }
    return;
  }
  if (special) {
    switch (code) {
      case GLUT_KEY_LEFT: turnAboutWorldUp(TURN_STEP); break;
      case GLUT_KEY_RIGHT: turnAboutWorldUp(-TURN_STEP); break;
      case GLUT_KEY_UP: pitchWithin(TURN_STEP); break;
      case GLUT_KEY_DOWN: pitchWithin(-TURN_STEP); break;
      case GLUT_KEY_PAGE_UP: camera->slide(0, MOVE_STEP, 0); break;
      case GLUT_KEY_PAGE_DOWN: camera->slide(0, -MOVE_STEP, 0); break;
      default: break;
    }
  } else {
    switch (code) {
      case 'w': camera->slide(0, 0, -MOVE_STEP); break;
      case 's': camera->slide(0, 0, MOVE_STEP); break;
      case 'a': camera->slide(-MOVE_STEP, 0, 0); break;
      case 'd': camera->slide(MOVE_STEP, 0, 0); break;
      case 'q': camera->rotate(0, 0, TURN_STEP); break;
      case 'e': camera->rotate(0, 0, -TURN_STEP); break;
      default: break;
    }
  }
}

void DemoScene::click(int x, int y) {
  pickRay = camera->createRayForTracing(x, y);
  showRay = true;
  picked = -1;
  float nearest = 0;
  for (int i = 0; i < 4; ++i) {
    const Sphere& s = spheres[i];
    // The unit sphere placed by translation after scaling.
    KR_Matrix3D place(TRANSLATION_MATRIX, s.centre.data[0], s.centre.data[1], s.centre.data[2]);
    place *= KR_Matrix3D(SCALING_MATRIX, s.radius, s.radius, s.radius);
    float t = pickRay.sphere_intersection(place);
    if (t > 0 && (picked < 0 || t < nearest)) {
      picked = i;
      nearest = t;
    }
  }
  // Keep the drawn ray's end just beyond the hit (or far out for a miss).
  float reach = picked >= 0 ? nearest : 400.0f / pickRay.direction.length();
  pickRay.direction *= reach;
}

void DemoScene::lights() const {
  glLightfv(GL_LIGHT0, GL_POSITION, LIGHT_DIRECTION);  // in world space: after the view
}

void DemoScene::drawSpheres() const {
  for (int i = 0; i < 4; ++i) {
    const Sphere& s = spheres[i];
    KR_Material m = s.material;
    float radius = s.radius;
    if (i == picked) {
      // The picked sphere glows and pulses.
      float pulse = 0.5f + 0.5f * std::sin(clock * 6.0f);
      m.emissive = {{0.55f + 0.3f * pulse, 0.45f + 0.25f * pulse, 0.05f, 1}};
      radius *= 1.0f + 0.06f * pulse;
    }
    m.initMaterialGL();
    glPushMatrix();
    glTranslatef(s.centre.data[0], s.centre.data[1], s.centre.data[2]);
    glutSolidSphere(radius, 32, 20);
    glPopMatrix();
  }
}

void DemoScene::frame(float time, float framesPerSecond) {
  if (!paused) clock += time - lastTime;
  lastTime = time;
  crystal.animate(clock);

  KR_GLState* state = KR_GLState::getInstance();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (follow)
    camera->followObject();  // places the camera and loads the viewing matrix
  else
    camera->rotate(0, 0, 0);  // reloads the viewing matrix
  keepAboveGround();

  lights();
  state->enableFog();
  ground.initMaterialGL();
  terrain->drawTerrain();
  drawOutskirts();
  crystal.draw();
  drawSpheres();
  state->disableFog();

  // The sky last, at the far plane, where nothing nearer was drawn: no pixel is filled twice.
  glDepthRange(1.0, 1.0);
  sky->drawSkyBox(camera->eye);  // leaves depth test, lighting and culling on
  drawHaze();
  glDepthRange(0.0, 1.0);
  glDisable(GL_BLEND);  // the sky box's list leaves blending and the alpha test on
  glDisable(GL_ALPHA_TEST);

  if (showRay) {
    state->disableLighting();
    glColor3f(1.0f, 0.9f, 0.2f);
    glLineWidth(2.0f);
    pickRay.draw();
    glLineWidth(1.0f);
    state->enableLighting();
  }
  drawOverlay(framesPerSecond);
}

int DemoScene::textWidth(void* font, const std::string& text) {
  return glutBitmapLength(font, reinterpret_cast<const unsigned char*>(text.c_str()));
}

void DemoScene::shadePanel(int x0, int y0, int x1, int y1) {
  KR_GLState* state = KR_GLState::getInstance();
  state->enableBlending();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.03f, 0.05f, 0.09f, 0.55f);
  // Lower left to upper right: counter-clockwise, a front face for the culling left on.
  glRecti(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
  state->disableBlending();
}

DemoScene::Overlay DemoScene::layOutOverlay(float framesPerSecond) const {
  typedef std::pair<const char*, const char*> Entry;  // key, what it does
  static const Entry followHelp[] = {{"space", "free camera"},
                                     {"arrows", "orbit the crystal"},
                                     {"q e", "roll"},
                                     {"w s", "nearer / farther"},
                                     {"0", "reset the orbit"}};
  static const Entry freeHelp[] = {{"space", "follow the crystal"},
                                   {"arrows", "turn"},
                                   {"w s a d", "move"},
                                   {"PgUp PgDn", "up / down"},
                                   {"q e", "roll"}};
  static const Entry common[] = {{"click", "pick a sphere"},
                                 {"r", "pick ray on / off"},
                                 {"p", "pause"},
                                 {"h", "help on / off"},
                                 {"Esc", "quit"}};
  // Shorter help for small windows.
  static const Entry followShort[] = {{"space", "free"}, {"arrows", "orbit"}, {"w s", "near/far"}};
  static const Entry freeShort[] = {{"space", "follow"}, {"arrows", "turn"}, {"w s a d", "move"}};
  static const Entry commonShort[] = {{"click", "pick"}, {"h", "help"}, {"Esc", "quit"}};

  char rate[48], mode[64], pick[64];
  std::snprintf(rate, sizeof rate, "KORA demo   %.1f fps", framesPerSecond);
  std::snprintf(mode, sizeof mode, "camera: %s%s", follow ? "following the crystal" : "free",
                paused ? "   (paused)" : "");
  std::snprintf(pick, sizeof pick, "picked: the %s sphere",
                picked >= 0 ? spheres[picked].name : "");
  char shortRate[32], shortMode[32], shortPick[32];
  std::snprintf(shortRate, sizeof shortRate, "%.1f fps", framesPerSecond);
  std::snprintf(shortMode, sizeof shortMode, "%s%s", follow ? "following" : "free",
                paused ? ", paused" : "");
  std::snprintf(shortPick, sizeof shortPick, "picked: %s", picked >= 0 ? spheres[picked].name : "");

  // From the roomiest layout to the tightest: the first whose panes fit the window is taken.
  struct Style {
    void* titleFont;
    void* helpFont;
    int margin, titleLine, helpLine;
    bool shortText, shortHelp;
  };
  const Style styles[] = {
      {GLUT_BITMAP_9_BY_15, GLUT_BITMAP_HELVETICA_12, 12, 18, 16, false, false},
      {GLUT_BITMAP_8_BY_13, GLUT_BITMAP_HELVETICA_10, 8, 15, 12, false, false},
      {GLUT_BITMAP_HELVETICA_10, GLUT_BITMAP_HELVETICA_10, 5, 12, 11, true, false},
      {GLUT_BITMAP_HELVETICA_10, GLUT_BITMAP_HELVETICA_10, 5, 12, 11, true, true}};
  // The followed crystal fills about the middle quarter of the window's width and half of its
  // height: a help pane not asked for must end left of it or above it.
  const bool keepMiddleFree = follow && !helpAsked;
  Overlay o;
  for (int withHelp = help ? 1 : 0; withHelp >= 0; --withHelp) {
    for (const Style& st : styles) {
      o.titleFont = st.titleFont;
      o.helpFont = st.helpFont;
      o.margin = st.margin;
      o.titleLine = st.titleLine;
      o.helpLine = st.helpLine;
      o.title.clear();
      o.help.clear();
      const int room = width - 2 * st.margin;
      const std::string one =
          std::string(st.shortText ? shortRate : rate) + "   " + (st.shortText ? shortMode : mode);
      if (textWidth(st.titleFont, one) <= room) {
        o.title.push_back(one);
      } else {
        o.title.push_back(st.shortText ? shortRate : rate);
        o.title.push_back(st.shortText ? shortMode : mode);
      }
      if (picked >= 0) o.title.push_back(st.shortText ? shortPick : pick);
      if (withHelp) {
        if (st.shortHelp) {
          for (const Entry& e : follow ? followShort : freeShort) o.help.push_back(e);
          for (const Entry& e : commonShort) o.help.push_back(e);
        } else {
          for (const Entry& e : follow ? followHelp : freeHelp) o.help.push_back(e);
          for (const Entry& e : common) o.help.push_back(e);
        }
      } else if (help) {
        o.title.push_back("h: key help");
      }
      o.titleWidth = 0;
      for (const std::string& t : o.title)
        o.titleWidth = std::max(o.titleWidth, textWidth(st.titleFont, t));
      int keys = 0, texts = 0;
      for (const auto& e : o.help) {
        keys = std::max(keys, textWidth(st.helpFont, e.first));
        texts = std::max(texts, textWidth(st.helpFont, e.second));
      }
      o.keyWidth = keys + textWidth(st.helpFont, "  ");
      o.helpWidth = o.help.empty() ? 0 : o.keyWidth + texts;
      const int titleTall = int(o.title.size()) * st.titleLine + 6;
      const int tall = titleTall + (o.help.empty() ? 0 : int(o.help.size()) * st.helpLine + 10);
      if (o.titleWidth + 8 > room || o.helpWidth + 12 > room || tall + 2 * st.margin > height)
        continue;
      const bool clear =
          st.margin + o.helpWidth + 8 <= width * 3 / 8 || st.margin + tall <= height / 4;
      if (withHelp && keepMiddleFree && !clear) continue;
      o.helpHidden = help && !withHelp;
      helpHidden = o.helpHidden;
      return o;
    }
  }
  // Nothing fits (a window of a few dozen pixels): the title alone, clipped by the window.
  o.help.clear();
  o.helpHidden = help;
  helpHidden = o.helpHidden;
  return o;
}

void DemoScene::drawOverlay(float framesPerSecond) const {
  KR_GLState* state = KR_GLState::getInstance();
  state->disableLighting();
  state->disableDepthTest();
  state->disableTexture2D();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  init.vSetWindow(0, float(width), float(height), 0);  // y from 0 at the bottom up to height
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  KR_Draw_2D d;
  const Overlay o = layOutOverlay(framesPerSecond);
  const int left = o.margin;

  int y = height - o.margin - o.titleLine + 4;  // base line of the first title line
  shadePanel(left - 4, height - o.margin + 4, left + o.titleWidth + 4,
             y - int(o.title.size() - 1) * o.titleLine - 5);
  for (size_t i = 0; i < o.title.size(); ++i, y -= o.titleLine) {
    const bool pickLine = picked >= 0 && i + 1 == o.title.size();
    glColor3f(0.05f, 0.08f, 0.12f);
    d.vDrawString(o.titleFont, o.title[i], left + 1, y - 1);  // shadow
    if (pickLine)
      glColor3f(1.0f, 0.9f, 0.3f);
    else
      glColor3f(1.0f, 1.0f, 1.0f);
    d.vDrawString(o.titleFont, o.title[i], left, y);
  }

  if (!o.help.empty()) {
    const int boxTop = y + o.titleLine - 8,
              boxBottom = boxTop - int(o.help.size()) * o.helpLine - 8;
    const int boxRight = left + o.helpWidth + 8;
    // A dark pane under the text keeps it readable over the bright haze and sky.
    shadePanel(left - 4, boxTop, boxRight, boxBottom);
    KR_Point2D frame[4] = {{float(left - 4), float(boxTop)},
                           {float(boxRight), float(boxTop)},
                           {float(boxRight), float(boxBottom)},
                           {float(left - 4), float(boxBottom)}};
    glColor3f(0.85f, 0.9f, 1.0f);
    d.vDrawPolyLine(frame, 4, true);
    glColor3f(1.0f, 1.0f, 1.0f);
    y = boxTop - o.helpLine + 1;
    for (const auto& h : o.help) {
      glColor3f(1.0f, 0.9f, 0.55f);
      d.vDrawString(o.helpFont, h.first, left, y);
      glColor3f(1.0f, 1.0f, 1.0f);
      d.vDrawString(o.helpFont, h.second, left + o.keyWidth, y);
      y -= o.helpLine;
    }
  }
  if (!follow) {
    // A cross-hair in the middle of the window for the free camera.
    glColor3f(1, 1, 1);
    d.vDrawLine(width / 2 - 8, height / 2, width / 2 + 8, height / 2);
    d.vDrawLine(width / 2, height / 2 - 8, width / 2, height / 2 + 8);
  }

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);  // where the state tracker believes it is
  state->enableDepthTest();
  state->enableLighting();
}
