// kora-demo end to end, under Xvfb: a counted run writes a picture that shows the scene and
// the overlay; Escape ends the program early; unknown options are refused.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include "png_image.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

// Runs the demo from `folder` with its standard output and error going to the files `out` and
// `err` ("" for /dev/null); returns the exit status.
int runDemoIn(const std::string& folder, const std::string& arguments, const std::string& out = "",
              const std::string& err = "", const std::string& prefix = "") {
  // In sanitizer builds the demo runs without LeakSanitizer: Mesa's GLX driver holds memory to
  // the end and is unloaded before the leak check (valgrind covers the demo's own leaks).
  std::string command =
      "cd '" + folder + "' && env -u MIRVO_DATA_DIR ASAN_OPTIONS=detect_leaks=0 " + prefix +
      " '" KORA_DEMO_PROGRAM "' " + arguments + " > '" + (out.empty() ? "/dev/null" : out) +
      "' 2> '" + (err.empty() ? "/dev/null" : err) + "'";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the demo from its own folder (it reads "../TEXTURES/").
int runDemo(const std::string& arguments) { return runDemoIn(KORA_DEMO_DIR, arguments); }

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Many colours: the scene was drawn, not a cleared window.
size_t colourCount(const mirvo_test::PngImage& p) {
  std::set<int> colours;
  for (const mirvo_test::Rgb& c : p.pixels) colours.insert(c.r << 16 | c.g << 8 | c.b);
  return colours.size();
}

class DemoRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kora_demo_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

}  // namespace

TEST_F(DemoRun, CountedRunCapturesTheSceneAndTheOverlay) {
  std::string png = dir + "/frame.png";
  ASSERT_EQ(runDemo("--size 320x240 --frames 4 --capture " + png), 0);
  const mirvo_test::PngImage p = mirvo_test::readPng(png);
  ASSERT_EQ(p.width, 320);
  ASSERT_EQ(p.height, 240);
  // Not blank: sky, terrain and object give many colours.
  std::set<int> colours;
  for (const mirvo_test::Rgb& c : p.pixels) colours.insert(c.r << 16 | c.g << 8 | c.b);
  EXPECT_GT(colours.size(), 500u);
  // Sky above (blue over red), ground below (green over blue).
  const mirvo_test::Rgb& sky = p.at(300, 30);
  EXPECT_GT(sky.b, sky.r);
  const mirvo_test::Rgb& ground = p.at(160, 235);
  EXPECT_GT(ground.g, ground.b);
  // The overlay's title line: white text pixels in the top left corner.
  int white = 0;
  for (int y = 2; y < 24; ++y)
    for (int x = 8; x < 200; ++x)
      white += p.at(x, y).r > 240 && p.at(x, y).g > 240 && p.at(x, y).b > 240;
  EXPECT_GT(white, 50);
}

TEST_F(DemoRun, CapturePatternNumbersTheFrames) {
  ASSERT_EQ(runDemo("--size 160x120 --frames 4 --capture-every 2 --capture " + dir + "/f%d.png"),
            0);
  EXPECT_TRUE(std::filesystem::exists(dir + "/f0000.png"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/f0001.png"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/f0002.png"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/f0003.png"));  // the last frame always
}

TEST_F(DemoRun, EscapeQuitsBeforeTheLastFrame) {
  std::string png = dir + "/never.png";
  ASSERT_EQ(runDemo("--size 160x120 --frames 100000 --press 2:esc --capture " + png), 0);
  EXPECT_FALSE(std::filesystem::exists(png));
}

TEST_F(DemoRun, UnknownOptionsAreRefused) {
  EXPECT_EQ(runDemo("--no-such-option"), 2);
  EXPECT_EQ(runDemo("--size 10"), 2);
  EXPECT_EQ(runDemo("--frames 0"), 2);
  EXPECT_EQ(runDemo("--press 3:nokey"), 2);
}

TEST_F(DemoRun, WithoutFramesTheLastFrameIsCapturedOnEscape) {
  std::string png = dir + "/last.png";
  ASSERT_EQ(runDemo("--size 160x120 --press 3:esc --capture " + png), 0);
  ASSERT_TRUE(std::filesystem::exists(png));
  const mirvo_test::PngImage p = mirvo_test::readPng(png);
  EXPECT_EQ(p.width, 160);
  EXPECT_EQ(p.height, 120);
  EXPECT_GT(colourCount(p), 300u);
}

TEST_F(DemoRun, WithoutFramesTheLastFrameIsCapturedOnTermination) {
  std::string png = dir + "/last.png";
  // timeout sends SIGTERM after a few seconds of drawing, and itself reports 124.
  EXPECT_EQ(
      runDemoIn(KORA_DEMO_DIR, "--size 160x120 --capture " + png, "", "", "timeout -s TERM 6"),
      124);
  ASSERT_TRUE(std::filesystem::exists(png));
  EXPECT_GT(colourCount(mirvo_test::readPng(png)), 300u);
}

TEST_F(DemoRun, BadOptionsAreNamedOnOneLineThenTheUsage) {
  const char* const bad[] = {"--frames 5x",       "--press -1:h", "--seed abc",
                             "--seed -3",         "--size 20x",   "--click 4:10",
                             "--capture-every 0", "--frames",     "--unknown"};
  for (const char* arguments : bad) {
    const std::string err = dir + "/err.txt";
    EXPECT_EQ(runDemoIn(KORA_DEMO_DIR, arguments, "", err), 2) << arguments;
    const std::vector<std::string> lines = readLines(err);
    ASSERT_GE(lines.size(), 2u) << arguments;
    EXPECT_EQ(lines[0].rfind("kora-demo: ", 0), 0u) << lines[0];
    // The first line names the option at fault; the usage follows at once.
    const std::string option = std::string(arguments).substr(0, std::string(arguments).find(' '));
    EXPECT_NE(lines[0].find(option), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("usage: kora-demo", 0), 0u) << arguments;
  }
}

TEST_F(DemoRun, HelpNamesTheDefaultSeed) {
  const std::string out = dir + "/out.txt";
  EXPECT_EQ(runDemoIn(KORA_DEMO_DIR, "--help", out), 0);
  const std::vector<std::string> lines = readLines(out);
  bool usageLine = false, seedLine = false;
  for (const std::string& l : lines) {
    usageLine |= l.rfind("usage: kora-demo", 0) == 0;
    seedLine |= l.find("--seed") != std::string::npos && l.find("seed 1") != std::string::npos;
  }
  EXPECT_TRUE(usageLine);
  EXPECT_TRUE(seedLine);
}

TEST_F(DemoRun, MissingTexturesAreOneLineAndStatusOne) {
  // Run from dir/run: the demo looks for dir/TEXTURES/, which does not exist, then in the data
  // folders, which the build tree does not have.
  std::filesystem::create_directory(dir + "/run");
  const std::string err = dir + "/err.txt";
  EXPECT_EQ(runDemoIn(dir + "/run", "--size 160x120 --frames 2", "", err), 1);
  const std::vector<std::string> lines = readLines(err);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("../TEXTURES/"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("share/mirvo/TEXTURES/"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("terrain.pcx"), std::string::npos) << lines[0];
}

namespace {

// "--press FROM:KEY" for `count` frames in a row.
std::string presses(const std::string& key, int from, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += " --press " + std::to_string(from + i) + ":" + key;
  return out;
}

// The lowest row (counted from the top) of column x that still shows the plain haze colour
// of the fog and the sky's horizon, or -1.
int lowestHazeRow(const mirvo_test::PngImage& p, int x) {
  for (int y = p.height - 1; y >= 0; --y) {
    const mirvo_test::Rgb& c = p.at(x, y);
    if (std::abs(c.r - 173) <= 3 && std::abs(c.g - 199) <= 3 && std::abs(c.b - 224) <= 3) return y;
  }
  return -1;
}

}  // namespace

// The free camera turned about its own up axis: after pitching 60 degrees up, a turn of 45
// degrees rolled the horizon by some 35 degrees. Turning about the world's up axis, then
// pitching back down, leaves it level.
TEST_F(DemoRun, FreeCameraTurnsKeepTheHorizonLevel) {
  const std::string png = dir + "/level.png";
  ASSERT_EQ(runDemo("--size 320x240 --frames 70 --free --press 1:h" + presses("up", 2, 20) +
                    presses("left", 22, 15) + presses("down", 37, 20) + " --capture " + png),
            0);
  const mirvo_test::PngImage p = mirvo_test::readPng(png);
  const int left = lowestHazeRow(p, 40), right = lowestHazeRow(p, 280);
  ASSERT_GE(left, 0);
  ASSERT_GE(right, 0);
  EXPECT_LE(std::abs(left - right), 3)
      << "haze ends at row " << left << " on the left, " << right << " on the right";
}

// Flying down as far as the keys go: the eye stops above the ground, which stays in view (from
// below, the ground's back faces are culled and the sky's green floor showed through).
TEST_F(DemoRun, FreeCameraCannotFlyBelowTheGround) {
  const std::string png = dir + "/low.png";
  ASSERT_EQ(runDemo("--size 320x240 --frames 90 --free --press 1:h" + presses("up", 2, 5) +
                    presses("pgdn", 7, 60) + presses("down", 67, 10) + " --capture " + png),
            0);
  const mirvo_test::PngImage p = mirvo_test::readPng(png);
  // Looking 29 degrees down from just above the ground: the lower half is lit, textured ground
  // (many colours), not the few smooth shades of the sky box's bottom face.
  std::set<int> colours;
  for (int y = p.height / 2; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const mirvo_test::Rgb& c = p.at(x, y);
      colours.insert(c.r << 16 | c.g << 8 | c.b);
    }
  EXPECT_GT(colours.size(), 2000u);
}

// 1800 units out, beyond the terrain: the plain ended at 1440; looking back showed a strip of
// ground over empty haze, looking down a dark disc in the haze. The ground goes on: the lower
// quarter is textured (many colours), not the haze's one.
TEST_F(DemoRun, FarBeyondTheTerrainTheGroundGoesOn) {
  for (const std::string& view : {presses("left", 602, 60), presses("down", 602, 30)}) {
    const std::string png = dir + "/far.png";
    ASSERT_EQ(runDemo("--size 320x240 --frames 665 --free --press 1:h" + presses("w", 2, 600) +
                      view + " --capture " + png),
              0);
    const mirvo_test::PngImage p = mirvo_test::readPng(png);
    std::set<int> colours;
    for (int i = p.width * p.height * 3 / 4; i < p.width * p.height; ++i)
      colours.insert(p.pixels[size_t(i)].r << 16 | p.pixels[size_t(i)].g << 8 |
                     p.pixels[size_t(i)].b);
    EXPECT_GT(colours.size(), 300u) << view.substr(0, 20);
  }
}

// At 160 x 120 the key help covered most of the picture, the followed crystal included: until
// h asks for it, it stays out of the middle, where the crystal shows in its orange.
TEST_F(DemoRun, SmallWindowLeavesTheFollowedCrystalInView) {
  auto orangeInTheMiddle = [this](const std::string& keys) {
    EXPECT_EQ(runDemo("--size 160x120 --frames 10" + keys + " --capture " + dir + "/s.png"), 0);
    const mirvo_test::PngImage p = mirvo_test::readPng(dir + "/s.png");
    int orange = 0;
    for (int y = p.height / 4; y < p.height * 3 / 4; ++y)
      for (int x = p.width * 3 / 8; x < p.width * 5 / 8; ++x) {
        const mirvo_test::Rgb& c = p.at(x, y);
        orange += c.r > 150 && c.r > c.g + 40 && c.g > c.b + 30;
      }
    return orange;
  };
  const int free = orangeInTheMiddle("");
  EXPECT_GT(free, 50);
  EXPECT_LT(orangeInTheMiddle(" --press 2:h"), free / 2);  // asked for, it covers the crystal
}
