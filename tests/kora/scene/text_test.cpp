// Bitmap text through KR_Draw_2D::vDrawString (GLUT fonts need glutInit, so these tests run
// under Xvfb).
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "KR_2D.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

class BitmapText : public koratest::GLTest {
 protected:
  void SetUp() override {
    koratest::GLTest::SetUp();
    glViewport(0, 0, width_, height_);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width_, 0, height_, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
  }
  // Lit pixels in a window rectangle.
  int litPixels(int x, int y, int w, int h) {
    std::vector<unsigned char> p(size_t(w) * h * 4);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    int n = 0;
    for (size_t i = 0; i < p.size(); i += 4) n += p[i] > 128;
    return n;
  }
};

}  // namespace

TEST_F(BitmapText, GlyphsAdvanceByTheirWidthsOnOneBaseline) {
  KR_Draw_2D d;
  koratest::startRecording();
  d.vDrawString(GLUT_BITMAP_9_BY_15, "AbC", 10, 20);  // a fixed-width font, 9 pixels a glyph
  koratest::stopRecording();
  auto pos = koratest::recordedCalls("glRasterPos2i");
  ASSERT_EQ(pos.size(), 3u);
  EXPECT_EQ(pos[0].str(), "glRasterPos2i(10, 20)");
  EXPECT_EQ(pos[1].str(), "glRasterPos2i(19, 20)");
  EXPECT_EQ(pos[2].str(), "glRasterPos2i(28, 20)");
  auto glyphs = koratest::recordedCalls("glutBitmapCharacter");
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0].args[1], 'A');
  EXPECT_EQ(glyphs[1].args[1], 'b');
  EXPECT_EQ(glyphs[2].args[1], 'C');
  // Per glyph: position, glyph, then the width that moves the pen.
  auto names = koratest::recordedNames();
  ASSERT_EQ(names.size(), 9u);
  EXPECT_EQ(names[0], "glRasterPos2i");
  EXPECT_EQ(names[1], "glutBitmapCharacter");
  EXPECT_EQ(names[2], "glutBitmapWidth");
}

TEST_F(BitmapText, ProportionalFontsAdvanceByEachGlyph) {
  KR_Draw_2D d;
  koratest::startRecording();
  d.vDrawString(GLUT_BITMAP_HELVETICA_12, "iW", 0, 5);
  koratest::stopRecording();
  auto pos = koratest::recordedCalls("glRasterPos2i");
  ASSERT_EQ(pos.size(), 2u);
  int narrow = glutBitmapWidth(GLUT_BITMAP_HELVETICA_12, 'i');
  EXPECT_EQ(pos[1].args[0], double(narrow));
  EXPECT_LT(narrow, glutBitmapWidth(GLUT_BITMAP_HELVETICA_12, 'W'));
}

TEST_F(BitmapText, EmptyTextIssuesNothing) {
  koratest::startRecording();
  KR_Draw_2D().vDrawString(GLUT_BITMAP_9_BY_15, "", 10, 20);
  koratest::stopRecording();
  EXPECT_TRUE(koratest::recordedCalls().empty());
}

TEST_F(BitmapText, TextAppearsWhereItIsDrawn) {
  EXPECT_EQ(litPixels(100, 100, 120, 20), 0);
  KR_Draw_2D().vDrawString(GLUT_BITMAP_9_BY_15, "KORA 2D", 100, 104);
  EXPECT_GT(litPixels(100, 100, 7 * 9, 16), 40);
  EXPECT_EQ(litPixels(300, 300, 50, 50), 0);
}

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
