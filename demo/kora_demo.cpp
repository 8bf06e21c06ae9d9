// kora_demo.cpp - kora-demo, the KORA library at work: a sky box, a random terrain, a crystal
// flying over it that the camera follows (or a free camera), spheres to pick with the mouse,
// and a 2D overlay. Run it from a folder next to TEXTURES/ (it reads "../TEXTURES/").
//
//   kora-demo [--size WxH] [--frames N] [--capture FILE.png] [--capture-every K]
//             [--press FRAME:KEY]... [--click FRAME:X,Y]... [--seed N] [--free]
#include <GL/freeglut.h>
#include <KORA/KR_Init.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo_scene.h"
#include "png_capture.h"

namespace {

const int ESCAPE = 27;
const float FIXED_STEP = 1.0f / 30.0f;  // animation seconds per frame for counted runs

struct ScriptedEvent {
  int key;           // GLUT key code
  bool special;      // a GLUT special key (arrows, page keys)
  bool click;        // a mouse click at x, y instead of a key
  int x, y;
};

struct Options {
  int width = 800, height = 600;
  long frames = 0;  // 0: run until Escape
  std::string capture;  // PNG path; "%d" in it is replaced by the frame number
  long captureEvery = 0;  // with %d: every K-th frame; 0: only the last frame
  long seed = -1;
  bool free = false;
  std::multimap<long, ScriptedEvent> script;
};

Options options;
KORA::KR_Init* init = nullptr;
std::unique_ptr<DemoScene> scene;
long frameNumber = 0;
int exitStatus = 0;
// Frame-rate meter over about half a second of wall-clock time.
int meterStart = 0, meterFrames = 0;
float framesPerSecond = 0;
int runStart = 0;

void usage(FILE* out = stderr) {
  std::fprintf(out,
               "usage: kora-demo [--size WxH] [--frames N] [--capture FILE.png] [--capture-every K]\n"
               "                 [--press FRAME:KEY]... [--click FRAME:X,Y]... [--seed N] [--free]\n"
               "  KEY: a character, or esc, space, tab, left, right, up, down, pgup, pgdn\n");
}

bool parseKey(const std::string& name, ScriptedEvent& e) {
  static const std::map<std::string, std::pair<int, bool>> names = {
      {"esc", {ESCAPE, false}},         {"space", {' ', false}},         {"tab", {'\t', false}},
      {"left", {GLUT_KEY_LEFT, true}},  {"right", {GLUT_KEY_RIGHT, true}}, {"up", {GLUT_KEY_UP, true}},
      {"down", {GLUT_KEY_DOWN, true}},  {"pgup", {GLUT_KEY_PAGE_UP, true}}, {"pgdn", {GLUT_KEY_PAGE_DOWN, true}}};
  e.click = false;
  auto it = names.find(name);
  if (it != names.end()) {
    e.key = it->second.first;
    e.special = it->second.second;
    return true;
  }
  if (name.size() != 1) return false;
  e.key = static_cast<unsigned char>(name[0]);
  e.special = false;
  return true;
}

bool parseOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--size" && more) {
      if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2 || options.width < 16 ||
          options.height < 16 || options.width > 8192 || options.height > 8192)
        return false;
    } else if (a == "--frames" && more) {
      options.frames = std::strtol(argv[++i], nullptr, 10);
      if (options.frames < 1) return false;
    } else if (a == "--capture" && more) {
      options.capture = argv[++i];
    } else if (a == "--capture-every" && more) {
      options.captureEvery = std::strtol(argv[++i], nullptr, 10);
      if (options.captureEvery < 1) return false;
    } else if (a == "--seed" && more) {
      options.seed = std::strtol(argv[++i], nullptr, 10);
    } else if (a == "--free") {
      options.free = true;
    } else if ((a == "--press" || a == "--click") && more) {
      std::string arg = argv[++i];
      size_t colon = arg.find(':');
      if (colon == std::string::npos) return false;
      long at = std::strtol(arg.substr(0, colon).c_str(), nullptr, 10);
      ScriptedEvent e{};
      if (a == "--press") {
        if (!parseKey(arg.substr(colon + 1), e)) return false;
      } else {
        e.click = true;
        if (std::sscanf(arg.c_str() + colon + 1, "%d,%d", &e.x, &e.y) != 2) return false;
      }
      options.script.emplace(at, e);
    } else {
      return false;
    }
  }
  return true;
}

// The path of the capture for frame n, or "" when frame n is not captured.
std::string capturePath(long n, bool last) {
  if (options.capture.empty()) return "";
  size_t at = options.capture.find("%d");
  if (at == std::string::npos) return last ? options.capture : "";
  long every = options.captureEvery > 0 ? options.captureEvery : 1;
  if (n % every != 0 && !last) return "";
  std::string path = options.capture;
  char number[32];
  std::snprintf(number, sizeof number, "%04ld", n);
  return path.replace(at, 2, number);
}

void quit(int status) {
  exitStatus = status;
  scene.reset();  // while the context is still current
  glutLeaveMainLoop();
}

void keyboard(unsigned char key, int, int) {
  if (!scene) return;
  if (key == ESCAPE) {
    quit(0);
    return;
  }
  scene->key(key, false);
}

void special(int key, int, int) {
  if (scene) scene->key(key, true);
}

void mouse(int button, int state, int x, int y) {
  if (scene && button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) scene->click(x, y);
}

void reshape(int w, int h) {
  if (scene) scene->resize(w, h);
}

void display() {
  if (!scene) return;
  // Scripted input for this frame, as if typed before it was drawn.
  auto range = options.script.equal_range(frameNumber);
  for (auto it = range.first; it != range.second; ++it) {
    const ScriptedEvent& e = it->second;
    if (e.click)
      mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, e.x, e.y);
    else if (e.special)
      special(e.key, 0, 0);
    else
      keyboard(static_cast<unsigned char>(e.key), 0, 0);
    if (!scene) return;  // Escape
  }

  int now = glutGet(GLUT_ELAPSED_TIME);
  // Counted runs advance by a fixed step, so that captures do not depend on the machine.
  float time = options.frames > 0 ? float(frameNumber) * FIXED_STEP : float(now - runStart) / 1000.0f;
  scene->frame(time, framesPerSecond);

  bool last = options.frames > 0 && frameNumber + 1 >= options.frames;
  std::string path = capturePath(frameNumber, last);
  if (!path.empty()) {
    glReadBuffer(GL_BACK);
    if (!captureFramePng(path, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT))) exitStatus = 1;
  }
  glutSwapBuffers();

  ++frameNumber;
  ++meterFrames;
  if (now - meterStart >= 500) {
    framesPerSecond = 1000.0f * float(meterFrames) / float(now - meterStart);
    meterStart = now;
    meterFrames = 0;
  }
  if (last) {
    float seconds = float(glutGet(GLUT_ELAPSED_TIME) - runStart) / 1000.0f;
    std::printf("kora-demo: %ld frames in %.2f s, %.1f frames per second\n", frameNumber, seconds,
                seconds > 0 ? float(frameNumber) / seconds : 0.0f);
    quit(exitStatus);
  }
}

void idle() { glutPostRedisplay(); }

}  // namespace

int main(int argc, char** argv) {
  // Our options are read from a copy taken before GLUT looks at the command line; GLUT's own
  // (-display, -geometry, -sync and so on) are skipped here and handled by glutInit.
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("kora-demo %s\n", MIRVO_VERSION);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::printf("The KORA library at work: a sky box, a terrain, a followed object, picking\n"
                "and a 2D overlay, in a GLUT window.\n\n");
    usage(stdout);
    std::printf("\nTextures are read from ../TEXTURES/, relative to the working folder; when\n"
                "not there, from $MIRVO_DATA_DIR/TEXTURES/, then from the installed data\n"
                "folder share/mirvo/TEXTURES/.\n");
    return 0;
  }
  std::vector<char*> ours{argv[0]};
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if ((a == "-display" || a == "-geometry") && i + 1 < argc)
      ++i;
    else if (a != "-direct" && a != "-indirect" && a != "-iconic" && a != "-gldebug" && a != "-sync")
      ours.push_back(argv[i]);
  }
  if (!parseOptions(int(ours.size()), ours.data())) {
    usage();
    return 2;
  }
  init = new KORA::KR_Init(argc, argv);
  if (options.seed >= 0) srandom(unsigned(options.seed));

  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(options.width, options.height);
  int window = glutCreateWindow("KORA demo");
  scene.reset(new DemoScene(*init, options.width, options.height));
  if (options.free) scene->toggleFollow();

  glutDisplayFunc(display);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(special);
  glutMouseFunc(mouse);
  glutIdleFunc(idle);
  runStart = meterStart = glutGet(GLUT_ELAPSED_TIME);
  glutMainLoop();

  scene.reset();
  // Close the window and GLUT's display connection, so that GL frees what it holds for them.
  if (glutGetWindow() == window) glutDestroyWindow(window);
  glutExit();
  delete init;
  return exitStatus;
}
