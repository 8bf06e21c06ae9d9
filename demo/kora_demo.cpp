// kora_demo.cpp - kora-demo, the KORA library at work: a sky box, a random terrain, a crystal
// flying over it that the camera follows (or a free camera), spheres to pick with the mouse,
// and a 2D overlay. It reads "../TEXTURES/" (run it from a folder next to TEXTURES/), else the
// data folder of $MIRVO_DATA_DIR or of the installed share/mirvo/.
//
//   kora-demo [--size WxH] [--frames N] [--capture FILE.png] [--capture-every K]
//             [--press FRAME:KEY]... [--click FRAME:X,Y]... [--seed N] [--free] [--help]
#include <GL/freeglut.h>
#include <KORA/KR_Init.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KR_DataFile.h"  // the library's own data lookup, so the check finds what it will load
#include "demo_scene.h"
#include "png_capture.h"

namespace {

const int ESCAPE = 27;
const float FIXED_STEP = 1.0f / 30.0f;  // animation seconds per frame for counted runs

struct ScriptedEvent {
  int key;       // GLUT key code
  bool special;  // a GLUT special key (arrows, page keys)
  bool click;    // a mouse click at x, y instead of a key
  int x, y;
};

struct Options {
  int width = 800, height = 600;
  long frames = 0;        // 0: run until Escape
  std::string capture;    // PNG path; "%d" in it is replaced by the frame number
  long captureEvery = 0;  // with %d: every K-th frame; 0: only the last frame
  long long seed = -1;    // up to UINT_MAX, beyond a 32-bit long
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
bool meterReady = false;
int runStart = 0;
// Without --frames, the last frame drawn, written to the --capture file when the program ends.
std::vector<unsigned char> lastFrame;
int lastWidth = 0, lastHeight = 0;
long lastFrameNumber = 0;
// Set by SIGINT or SIGTERM; the idle function then ends the run like Escape.
volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal) { stopSignal = signal; }

// The landscape drawn without --seed: random() unseeded runs the sequence of seed 1.
const long DEFAULT_SEED = 1;

void usage(FILE* out) {
  std::fprintf(
      out,
      "usage: kora-demo [--size WxH] [--frames N] [--capture FILE.png] [--capture-every K]\n"
      "                 [--press FRAME:KEY]... [--click FRAME:X,Y]... [--seed N] [--free] "
      "[--help]\n"
      "  KEY: a character, or esc, space, tab, left, right, up, down, pgup, pgdn\n"
      "  --seed N: another landscape (0 to %u); without it the landscape is that of seed %ld\n",
      UINT_MAX, DEFAULT_SEED);
}

// The textures the scene loads, and the folder the texture manager reads them from.
const char* const TEXTURE_FOLDER = "../TEXTURES/";
const char* const TEXTURE_FILES[] = {"sky_front.bmp", "sky_right.bmp", "sky_back.bmp",
                                     "sky_left.bmp",  "sky_top.bmp",   "sky_bottom.bmp",
                                     "terrain.pcx"};

// The names of the textures that cannot be found, separated by spaces, and every place looked
// in; "" when all can be read. The texture manager reads each from the same place.
std::string missingTextures(std::string& looked) {
  std::string missing;
  for (const char* name : TEXTURE_FILES) {
    std::string tried;
    if (!KORA::findDataFile(std::string(TEXTURE_FOLDER) + name, &tried).empty()) continue;
    missing += missing.empty() ? name : std::string(" ") + name;
    if (looked.empty()) looked = tried;
  }
  return missing;
}

// A whole number in [low, high] and nothing else; false otherwise.
bool parseNumber(const std::string& text, long long low, long long high, long long& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

// "A<separator>B", two whole numbers in [low, high].
bool parsePair(const std::string& text, char separator, long long low, long long high, long long& a,
               long long& b) {
  size_t at = text.find(separator);
  return at != std::string::npos && parseNumber(text.substr(0, at), low, high, a) &&
         parseNumber(text.substr(at + 1), low, high, b);
}

bool parseKey(const std::string& name, ScriptedEvent& e) {
  static const std::map<std::string, std::pair<int, bool>> names = {
      {"esc", {ESCAPE, false}},
      {"space", {' ', false}},
      {"tab", {'\t', false}},
      {"left", {GLUT_KEY_LEFT, true}},
      {"right", {GLUT_KEY_RIGHT, true}},
      {"up", {GLUT_KEY_UP, true}},
      {"down", {GLUT_KEY_DOWN, true}},
      {"pgup", {GLUT_KEY_PAGE_UP, true}},
      {"pgdn", {GLUT_KEY_PAGE_DOWN, true}}};
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

// Reads the options into `options`. On a bad option, `error` says what was wrong and the
// result is false.
bool parseOptions(int argc, char** argv, std::string& error, bool& help) {
  help = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      help = true;
      return true;
    }
    if (a == "--free") {
      options.free = true;
      continue;
    }
    const bool takesValue = a == "--size" || a == "--frames" || a == "--capture" ||
                            a == "--capture-every" || a == "--seed" || a == "--press" ||
                            a == "--click";
    if (!takesValue) {
      error = "unknown option '" + a + "'";
      return false;
    }
    if (i + 1 >= argc) {
      error = a + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    const std::string bad = a + ": '" + value + "' is not ";
    long long x = 0, y = 0;
    if (a == "--size") {
      if (!parsePair(value, 'x', 16, 8192, x, y)) {
        error = bad + "WxH with each from 16 to 8192";
        return false;
      }
      options.width = int(x);
      options.height = int(y);
    } else if (a == "--frames" || a == "--capture-every") {
      if (!parseNumber(value, 1, LONG_MAX, x)) {
        error = bad + "a whole number from 1 up";
        return false;
      }
      (a == "--frames" ? options.frames : options.captureEvery) = x;
    } else if (a == "--capture") {
      if (value.empty()) {
        error = "--capture needs a file name";
        return false;
      }
      options.capture = value;
    } else if (a == "--seed") {
      if (!parseNumber(value, 0, UINT_MAX, x)) {
        error = bad + "a whole number from 0 to " + std::to_string(UINT_MAX);
        return false;
      }
      options.seed = x;
    } else {  // --press FRAME:KEY or --click FRAME:X,Y
      const size_t colon = value.find(':');
      long long at = 0;
      if (colon == std::string::npos || !parseNumber(value.substr(0, colon), 0, LONG_MAX, at)) {
        error = bad + (a == "--press" ? "FRAME:KEY" : "FRAME:X,Y") +
                " with FRAME a whole number from 0 up";
        return false;
      }
      ScriptedEvent e{};
      if (a == "--press") {
        if (!parseKey(value.substr(colon + 1), e)) {
          error = bad + "FRAME:KEY with KEY one character or a key name";
          return false;
        }
      } else {
        e.click = true;
        if (!parsePair(value.substr(colon + 1), ',', 0, 65535, x, y)) {
          error = bad + "FRAME:X,Y with X and Y whole numbers from 0";
          return false;
        }
        e.x = int(x);
        e.y = int(y);
      }
      options.script.emplace(at, e);
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
  float time =
      options.frames > 0 ? float(frameNumber) * FIXED_STEP : float(now - runStart) / 1000.0f;
  scene->frame(time, framesPerSecond);

  bool last = options.frames > 0 && frameNumber + 1 >= options.frames;
  if (options.frames == 0 && !options.capture.empty()) {
    // Kept for the capture at the end, however the run ends.
    glReadBuffer(GL_BACK);
    lastWidth = glutGet(GLUT_WINDOW_WIDTH);
    lastHeight = glutGet(GLUT_WINDOW_HEIGHT);
    readFrame(lastWidth, lastHeight, lastFrame);  // the same buffer every frame
    lastFrameNumber = frameNumber;
  }
  std::string path = capturePath(frameNumber, last);
  if (!path.empty()) {
    glReadBuffer(GL_BACK);
    if (!captureFramePng(path, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT)))
      exitStatus = 1;
  }
  glutSwapBuffers();

  ++frameNumber;
  ++meterFrames;
  if (now - meterStart >= 500) {
    meterReady = true;
    framesPerSecond = 1000.0f * float(meterFrames) / float(now - meterStart);
    meterStart = now;
    meterFrames = 0;
  } else if (!meterReady && now > runStart) {
    // Until the meter has its first half second, the rate since the start.
    framesPerSecond = 1000.0f * float(frameNumber) / float(now - runStart);
  }
  if (last) {
    float seconds = float(glutGet(GLUT_ELAPSED_TIME) - runStart) / 1000.0f;
    std::printf("kora-demo: %ld frames in %.2f s, %.1f frames per second\n", frameNumber, seconds,
                seconds > 0 ? float(frameNumber) / seconds : 0.0f);
    quit(exitStatus);
  }
}

void idle() {
  if (stopSignal != 0 && scene) {
    quit(128 + int(stopSignal));
    return;
  }
  glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
  // Our options are read from a copy taken before GLUT looks at the command line; GLUT's own
  // (-display, -geometry, -sync and so on) are skipped here and handled by glutInit.
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("kora-demo %s\n", MIRVO_VERSION);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::printf(
        "The KORA library at work: a sky box, a terrain, a followed object, picking\n"
        "and a 2D overlay, in a GLUT window.\n\n");
    usage(stdout);
    std::printf(
        "\nTextures are read from ../TEXTURES/, relative to the working folder; when\n"
        "not there, from $MIRVO_DATA_DIR/TEXTURES/, then from the installed data\n"
        "folder share/mirvo/TEXTURES/.\n");
    return 0;
  }
  std::vector<char*> ours{argv[0]};
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if ((a == "-display" || a == "-geometry") && i + 1 < argc)
      ++i;
    else if (a != "-direct" && a != "-indirect" && a != "-iconic" && a != "-gldebug" &&
             a != "-sync")
      ours.push_back(argv[i]);
  }
  std::string error;
  bool help = false;
  if (!parseOptions(int(ours.size()), ours.data(), error, help)) {
    std::fprintf(stderr, "kora-demo: %s\n", error.c_str());
    usage(stderr);
    return 2;
  }
  if (help) {
    usage(stdout);
    return 0;
  }
  std::string looked;
  const std::string missing = missingTextures(looked);
  if (!missing.empty()) {
    std::fprintf(stderr, "kora-demo: textures not found (looked in %s): %s\n", looked.c_str(),
                 missing.c_str());
    return 1;
  }
  init = new KORA::KR_Init(argc, argv);
  if (options.seed >= 0) srandom(unsigned(options.seed));

  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(options.width, options.height);
  int window = glutCreateWindow("KORA demo");
  scene.reset(new DemoScene(*init, options.width, options.height,
                            unsigned(options.seed >= 0 ? options.seed : DEFAULT_SEED)));
  if (options.free) scene->toggleFollow();

  glutDisplayFunc(display);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(special);
  glutMouseFunc(mouse);
  glutIdleFunc(idle);
  runStart = meterStart = glutGet(GLUT_ELAPSED_TIME);
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  glutMainLoop();

  if (!lastFrame.empty()) {
    const std::string path = capturePath(lastFrameNumber, true);
    if (!writeFramePng(path, lastFrame, lastWidth, lastHeight)) exitStatus = 1;
  }

  scene.reset();
  // Close the window and GLUT's display connection, so that GL frees what it holds for them.
  if (glutGetWindow() == window) glutDestroyWindow(window);
  glutExit();
  delete init;
  return exitStatus;
}
