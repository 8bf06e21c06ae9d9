// kora-demo end to end, under Xvfb: a counted run writes a picture that shows the scene and
// the overlay; Escape ends the program early; unknown options are refused.
#include <gtest/gtest.h>

#include "png_image.h"
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

// Runs the demo from its own folder (it reads "../TEXTURES/"); returns the exit status.
int runDemo(const std::string& arguments) {
  // In sanitizer builds the demo runs without LeakSanitizer: Mesa's GLX driver holds memory to
  // the end and is unloaded before the leak check (valgrind covers the demo's own leaks).
  std::string command = "cd '" KORA_DEMO_DIR "' && ASAN_OPTIONS=detect_leaks=0 '" KORA_DEMO_PROGRAM "' " +
                        arguments + " > /dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    for (int x = 8; x < 200; ++x) white += p.at(x, y).r > 240 && p.at(x, y).g > 240 && p.at(x, y).b > 240;
  EXPECT_GT(white, 50);
}

TEST_F(DemoRun, CapturePatternNumbersTheFrames) {
  ASSERT_EQ(runDemo("--size 160x120 --frames 4 --capture-every 2 --capture " + dir + "/f%d.png"), 0);
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
