// demo_scene.cpp - building and drawing the KORA demo's scene.
#include "demo_scene.h"

#include <GL/freeglut.h>
#include <KORA/KR_GLState.h>
#include <KORA/KR_TextureManager.h>

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

// The plain round the terrain: tiles of this size out to about the far plane.
const float OUTSKIRT_TILE = 40.0f;
const int OUTSKIRT_REACH = 30;  // tiles beyond the terrain on each side

const float MOVE_STEP = 3.0f;  // free camera: units per key press
const float TURN_STEP = 3.0f;  // degrees per key press
const int ORBIT_STEP = 5;      // follow camera: degrees per key press

// Distance fog in the sky's horizon colour hides the terrain's edge.
const GLfloat HAZE[4] = {0.68f, 0.78f, 0.88f, 1.0f};
// The terrain's vertex normals are (1, 1, 1) plus face normals that are (1, 1, 1) on flat
// quads and otherwise (+-1, 0, 0): they range from (-3, 1, 1) to (5, 1, 1) in direction. A
// light from high up, nearly without an x part, lights all of them (none turns black) and
// flat ground brightest, so that the hills stand out against the plain.
const GLfloat LIGHT_DIRECTION[4] = {0.1f, 1.0f, 0.35f, 0.0f};

KR_Material makeMaterial(float r, float g, float b) {
  KR_Material m;
  m.ambient = {{r * 0.3f, g * 0.3f, b * 0.3f, 1}};
  m.diffuse = {{r, g, b, 1}};
  m.specular = {{0.6f, 0.6f, 0.6f, 1}};
  m.specularExponent = 30;
  return m;
}

}  // namespace

DemoScene::DemoScene(KR_Init& _init, int _width, int _height)
    : init(_init), camera(KR_Camera::getInstance()), picked(-1), showRay(false), follow(true),
      paused(false), help(true), width(_width), height(_height), clock(0), lastTime(0), outskirts(0),
      outskirtsTexture(0) {
  camera->setFrustumAndCamera(FIELD_OF_VIEW, unsigned(width), unsigned(height), NEAR_PLANE, FAR_PLANE,
                              KR_Point3D(0, 80, 160), KR_Point3D(0, 40, 0), KR_Vector3D(0, 1, 0));
  camera->follow_distance = 16.0f;
  camera->follow_angleX = 0;
  camera->follow_angleY = 0;
  camera->follow_angleZ = 0;
  camera->fixed_object = &crystal;

  ground.ambient = {{0.42f, 0.42f, 0.42f, 1}};
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
  const GLfloat ambient[4] = {0.35f, 0.35f, 0.38f, 1}, diffuse[4] = {0.85f, 0.82f, 0.75f, 1};
  const GLfloat white[4] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, HAZE);
  glFogf(GL_FOG_START, 60.0f);
  glFogf(GL_FOG_END, 520.0f);

  // Built after the switches above: the sky box's list turns off only what the tracker
  // remembers as on.
  sky.reset(new KR_SkyBox("sky_front.bmp", "sky_right.bmp", "sky_back.bmp", "sky_left.bmp", "sky_top.bmp",
                          "sky_bottom.bmp"));
  terrain.reset(new KR_Terrain(TERRAIN_SIZE, TERRAIN_SIZE, TERRAIN_HILLS, TERRAIN_RESOLUTION, TERRAIN_SCALE));
  terrain->setMiddlePoint(KR_Point3D(0, 0, 0));
  buildOutskirts();
}

void DemoScene::buildOutskirts() {
  // The terrain spans [-h, -h + (n - 1) r] on x and z (h half its extent, r its spacing), its
  // flat ground lies at height 0 with the normal (1, 1, 1) that flat quads get, and it shows
  // one whole texture per quad. The plain continues that ground outwards in tiles that leave
  // the terrain's square free; far out it vanishes in the fog, whose colour is the sky box's
  // at the horizon, so the landscape meets the sky without an edge.
  outskirtsTexture = GLuint(KR_TextureManager::getInstance()->getTexture("terrain.pcx", this, false));
  const float half = float(TERRAIN_SIZE) * TERRAIN_RESOLUTION * 0.5f;
  const int inside = int(float(TERRAIN_SIZE - 1) * TERRAIN_RESOLUTION / OUTSKIRT_TILE + 0.5f);
  const float n = 1.0f / std::sqrt(3.0f);
  outskirts = glGenLists(1);
  glNewList(outskirts, GL_COMPILE);
  glColor4f(1, 1, 1, 1);
  glNormal3f(n, n, n);
  glBegin(GL_QUADS);
  for (int i = -OUTSKIRT_REACH; i < inside + OUTSKIRT_REACH; ++i)
    for (int j = -OUTSKIRT_REACH; j < inside + OUTSKIRT_REACH; ++j) {
      if (i >= 0 && i < inside && j >= 0 && j < inside) continue;
      const float x0 = -half + float(i) * OUTSKIRT_TILE, x1 = x0 + OUTSKIRT_TILE;
      const float z0 = -half + float(j) * OUTSKIRT_TILE, z1 = z0 + OUTSKIRT_TILE;
      const float s0 = float(i) * OUTSKIRT_TILE / TERRAIN_RESOLUTION, s1 = s0 + OUTSKIRT_TILE / TERRAIN_RESOLUTION;
      const float t0 = float(j) * OUTSKIRT_TILE / TERRAIN_RESOLUTION, t1 = t0 + OUTSKIRT_TILE / TERRAIN_RESOLUTION;
      // Counter-clockwise seen from above.
      glTexCoord2f(s0, t0);
      glVertex3f(x0, 0, z0);
      glTexCoord2f(s0, t1);
      glVertex3f(x0, 0, z1);
      glTexCoord2f(s1, t1);
      glVertex3f(x1, 0, z1);
      glTexCoord2f(s1, t0);
      glVertex3f(x1, 0, z0);
    }
  glEnd();
  glEndList();
}

void DemoScene::drawOutskirts() const {
  KR_GLState* state = KR_GLState::getInstance();
  state->enableTexture2D();
  glBindTexture(GL_TEXTURE_2D, outskirtsTexture);
  glCallList(outskirts);
  state->disableTexture2D();
}

DemoScene::~DemoScene() {
  // Give the textures back so that the manager deletes them now rather than never.
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->removeTextures(sky.get());
  tm->removeTextures(terrain.get());
  tm->removeTextures(this);
  if (outskirts != 0) glDeleteLists(outskirts, 1);
  camera->fixed_object = nullptr;
}

void DemoScene::resize(int w, int h) {
  if (w <= 0 || h <= 0) return;
  width = w;
  height = h;
  init.vSetViewPort(0, w, h, 0);
  // Set the camera up afresh for the new aspect ratio, keeping where it stands and looks.
  KR_Vector3D n = camera->getN(), v = camera->getV();
  KR_Point3D eye = camera->eye;
  KR_Point3D look(eye.data[0] - n.data[0], eye.data[1] - n.data[1], eye.data[2] - n.data[2]);
  KR_GLState::getInstance()->projection();
  glPopMatrix();  // the projection that the last set-up pushed
  KR_GLState::getInstance()->modelview();
  camera->setFrustumAndCamera(FIELD_OF_VIEW, unsigned(w), unsigned(h), NEAR_PLANE, FAR_PLANE, eye, look, v);
}

void DemoScene::toggleFollow() {
  follow = !follow;
  camera->fixed_object = follow ? &crystal : nullptr;
}

void DemoScene::key(int code, bool special) {
  if (!special) {
    switch (code) {
      case ' ':
      case '\t':
        toggleFollow();
        return;
      case 'p':
        togglePause();
        return;
      case 'h':
        help = !help;
        return;
      case 'r':
        showRay = !showRay;
        return;
      default:
        break;
    }
  }
  if (follow) {
    if (special) {
      switch (code) {
        case GLUT_KEY_LEFT: camera->follow_angleY -= ORBIT_STEP; break;
        case GLUT_KEY_RIGHT: camera->follow_angleY += ORBIT_STEP; break;
        case GLUT_KEY_UP: camera->follow_angleX -= ORBIT_STEP; break;
        case GLUT_KEY_DOWN: camera->follow_angleX += ORBIT_STEP; break;
        case GLUT_KEY_PAGE_UP: camera->follow_distance = std::max(4.0f, camera->follow_distance - 2.0f); break;
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
      case GLUT_KEY_LEFT: camera->rotate(0, TURN_STEP, 0); break;
      case GLUT_KEY_RIGHT: camera->rotate(0, -TURN_STEP, 0); break;
      case GLUT_KEY_UP: camera->rotate(TURN_STEP, 0, 0); break;
      case GLUT_KEY_DOWN: camera->rotate(-TURN_STEP, 0, 0); break;
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

  state->disableFog();
  sky->drawSkyBox(camera->eye);  // leaves depth test, lighting and culling on
  lights();
  state->enableFog();
  ground.initMaterialGL();
  terrain->drawTerrain();
  drawOutskirts();
  crystal.draw();
  drawSpheres();
  state->disableFog();

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
  char line[128];
  const int left = 12, lineHeight = 16;
  void* const titleFont = GLUT_BITMAP_9_BY_15;
  void* const helpFont = GLUT_BITMAP_HELVETICA_12;

  // Title: frame rate and camera mode, on one line when it fits the window, else on two.
  char rate[48], mode[64];
  std::snprintf(rate, sizeof rate, "KORA demo   %.1f fps", framesPerSecond);
  std::snprintf(mode, sizeof mode, "camera: %s%s", follow ? "following the crystal" : "free",
                paused ? "   (paused)" : "");
  std::vector<std::string> title;
  std::snprintf(line, sizeof line, "%s   %s", rate, mode);
  if (left + textWidth(titleFont, line) <= width - left) {
    title.push_back(line);
  } else {
    title.push_back(rate);
    title.push_back(mode);
  }
  if (picked >= 0) {
    std::snprintf(line, sizeof line, "picked: the %s sphere", spheres[picked].name);
    title.push_back(line);
  }
  int titleWidth = 0;
  for (const std::string& t : title) titleWidth = std::max(titleWidth, textWidth(titleFont, t));
  int y = height - 22;
  shadePanel(left - 6, y + 17, left + titleWidth + 6, y - int(title.size() - 1) * (lineHeight + 2) - 6);
  for (size_t i = 0; i < title.size(); ++i, y -= lineHeight + 2) {
    const bool pickLine = picked >= 0 && i + 1 == title.size();
    glColor3f(0.05f, 0.08f, 0.12f);
    d.vDrawString(titleFont, title[i], left + 1, y - 1);  // shadow
    if (pickLine)
      glColor3f(1.0f, 0.9f, 0.3f);
    else
      glColor3f(1.0f, 1.0f, 1.0f);
    d.vDrawString(titleFont, title[i], left, y);
  }

  if (help) {
    static const char* const followHelp[] = {"space  free camera", "arrows orbit the crystal",
                                             "q e    roll", "w s    nearer / farther",
                                             "0      reset the orbit"};
    static const char* const freeHelp[] = {"space  follow the crystal", "arrows turn",
                                           "w s a d  move", "PgUp PgDn  up / down", "q e    roll"};
    static const char* const common[] = {"click  pick a sphere", "r      pick ray on / off",
                                         "p      pause   h  help", "Esc    quit"};
    const char* const* modeLines = follow ? followHelp : freeHelp;
    const int lines = 5 + 4;
    int helpWidth = 0;
    for (int i = 0; i < 5; ++i) helpWidth = std::max(helpWidth, textWidth(helpFont, modeLines[i]));
    for (int i = 0; i < 4; ++i) helpWidth = std::max(helpWidth, textWidth(helpFont, common[i]));
    const int boxTop = y + 8, boxBottom = y - lines * lineHeight - 6, boxRight = left + helpWidth + 10;
    // A dark pane under the text keeps it readable over the bright haze and sky.
    shadePanel(left - 6, boxTop, boxRight, boxBottom);
    KR_Point2D frame[4] = {{float(left - 6), float(boxTop)}, {float(boxRight), float(boxTop)},
                           {float(boxRight), float(boxBottom)}, {float(left - 6), float(boxBottom)}};
    glColor3f(0.85f, 0.9f, 1.0f);
    d.vDrawPolyLine(frame, 4, true);
    glColor3f(1.0f, 1.0f, 1.0f);
    y -= lineHeight - 2;
    for (int i = 0; i < 5; ++i, y -= lineHeight) d.vDrawString(helpFont, modeLines[i], left, y);
    for (int i = 0; i < 4; ++i, y -= lineHeight) d.vDrawString(helpFont, common[i], left, y);
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
