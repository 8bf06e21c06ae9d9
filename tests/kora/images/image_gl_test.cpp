// KR_Image on a real (headless) GL context: the pixel zoom its constructors set, texture
// upload with and without mip-maps, frame buffer read-back and upright drawing.
#include <GL/glu.h>
#include <KORA/KR_Image.h>

#include <string>

#include "image_files.h"
#include "kora_gl.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using koratest::countCalls;
using koratest::recordedCalls;
using koratest::recordedText;

namespace {

class ImageGL : public koratest::GLTest {};

GLint texParameter(GLenum name) {
  GLint v = -1;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
  return v;
}

GLint levelParameter(GLint level, GLenum name) {
  GLint v = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &v);
  return v;
}

KR_Image gradient(int w, int h) {
  KR_Image image(w, h);
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c)
      image.setPixel(r, c, KR_RGBA(std::uint8_t(c), std::uint8_t(r), 99, 255));
  return image;
}

TEST_F(ImageGL, DefaultSizedAndFileConstructorsSetPixelZoomOneMinusOneAndCopiesDoNot) {
  imgtest::ScratchDir dir;
  const std::string path = dir.write("one.bmp", imgtest::bmp24(1, 1, {KR_RGBA(1, 2, 3, 255)}));
  glPixelZoom(2.0f, 2.0f);
  koratest::startRecording();
  KR_Image a;
  KR_Image b(3, 2);
  KR_Image c(path);
  koratest::stopRecording();
  ASSERT_EQ(countCalls("glPixelZoom"), 3u) << recordedText();
  for (const auto& call : koratest::recordedCalls("glPixelZoom")) {
    EXPECT_EQ(call.args.at(0), 1.0);
    EXPECT_EQ(call.args.at(1), -1.0);
  }
  GLfloat zoom[2] = {0, 0};
  glGetFloatv(GL_ZOOM_X, &zoom[0]);
  glGetFloatv(GL_ZOOM_Y, &zoom[1]);
  EXPECT_EQ(zoom[0], 1.0f);
  EXPECT_EQ(zoom[1], -1.0f);
  EXPECT_EQ(c.columns, 1);
  koratest::startRecording();
  KR_Image d(b);
  d = c;
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
}

TEST_F(ImageGL, TextureWithoutMipmapsUploads100By50Level0Unscaled) {
  KR_Image image = gradient(100, 50);
  GLuint id = 0;
  koratest::startRecording();
  image.setTextureGL(&id, GL_CLAMP_TO_EDGE, GL_REPEAT, GL_NEAREST, GL_LINEAR, false);
  koratest::stopRecording();
  ASSERT_NE(id, 0u);
  const std::vector<std::string> expected = {
      "glGenTextures",   "glBindTexture",   "glTexParameteri", "glTexParameteri",
      "glTexParameteri", "glTexParameteri", "glTexImage2D"};
  ASSERT_EQ(koratest::recordedNames(), expected) << recordedText();
  const auto& calls = recordedCalls();
  EXPECT_EQ(calls[1].args, (std::vector<double>{GL_TEXTURE_2D, double(id)}));
  EXPECT_EQ(calls[2].args,
            (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE}));
  EXPECT_EQ(calls[3].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}));
  EXPECT_EQ(calls[4].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
  EXPECT_EQ(calls[5].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}));
  ASSERT_GE(calls[6].args.size(), 8u);
  EXPECT_EQ(
      std::vector<double>(calls[6].args.begin(), calls[6].args.begin() + 8),
      (std::vector<double>{GL_TEXTURE_2D, 0, GL_RGBA, 100, 50, 0, GL_RGBA, GL_UNSIGNED_BYTE}));

  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), id);  // stays bound
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 100);
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 50);
  EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 0);
  EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  std::vector<KR_RGBA> back(100 * 50);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
  EXPECT_EQ(back[0], KR_RGBA(0, 0, 99, 255));
  EXPECT_EQ(back[49 * 100 + 99], KR_RGBA(99, 49, 99, 255));  // row 49, column 99: unscaled
  EXPECT_NE(image.data(), nullptr);                          // the image keeps its pixels
  glDeleteTextures(1, &id);
}

TEST_F(ImageGL, TextureWithMipmapsBuildsEveryLevelDownToOneByOne) {
  KR_Image image = gradient(64, 16);
  GLuint id = 0;
  koratest::startRecording();
  image.setTextureGL(&id, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, true);
  koratest::stopRecording();
  ASSERT_EQ(countCalls("gluBuild2DMipmaps"), 1u) << recordedText();
  const auto mip = koratest::recordedCalls("gluBuild2DMipmaps")[0].args;
  EXPECT_EQ(std::vector<double>(mip.begin(), mip.begin() + 6),
            (std::vector<double>{GL_TEXTURE_2D, GL_RGBA, 64, 16, GL_RGBA, GL_UNSIGNED_BYTE}));
  // 64 x 16, 32 x 8, 16 x 4, 8 x 2, 4 x 1, 2 x 1, 1 x 1
  const int widths[] = {64, 32, 16, 8, 4, 2, 1};
  const int heights[] = {16, 8, 4, 2, 1, 1, 1};
  for (int level = 0; level < 7; ++level) {
    EXPECT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), widths[level]) << level;
    EXPECT_EQ(levelParameter(level, GL_TEXTURE_HEIGHT), heights[level]) << level;
  }
  EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  glDeleteTextures(1, &id);

  // A picture of other sizes is scaled to powers of two first.
  KR_Image odd = gradient(100, 50);
  odd.setTextureGL(&id, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, true);
  const GLint w = levelParameter(0, GL_TEXTURE_WIDTH), h = levelParameter(0, GL_TEXTURE_HEIGHT);
  EXPECT_TRUE(w > 0 && (w & (w - 1)) == 0) << w;
  EXPECT_TRUE(h > 0 && (h & (h - 1)) == 0) << h;
  glDeleteTextures(1, &id);
}

TEST_F(ImageGL, ReadFromFrameBufferTakesTheLowestWindowRowFirst) {
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 4, 1);  // the lowest window row: red
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glFinish();
  KR_Image image(7, 7);
  koratest::startRecording();
  ASSERT_TRUE(image.readFromFrameBuffer(0, 0, 4, 2));
  koratest::stopRecording();
  EXPECT_EQ(image.columns, 4);
  EXPECT_EQ(image.rows, 2);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(*image.getPixel(0, c), KR_RGBA(255, 0, 0, 255)) << c;
    EXPECT_EQ(*image.getPixel(1, c), KR_RGBA(0, 0, 255, 255)) << c;
  }
  const std::vector<std::string> expected = {"glPixelStorei", "glReadPixels"};
  ASSERT_EQ(koratest::recordedNames(), expected) << recordedText();
  EXPECT_EQ(recordedCalls()[0].args, (std::vector<double>{GL_UNPACK_ALIGNMENT, 1}));
}

TEST_F(ImageGL, DrawToFrameBufferPutsRowZeroAtTheTopLeftCornerAtTheRasterPosition) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width_, 0, height_, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  KR_Image image(3, 2);  // sets the zoom (1, -1)
  image.setPixel(0, 0, KR_RGBA(255, 0, 0, 255));
  image.setPixel(0, 2, KR_RGBA(0, 255, 0, 255));
  image.setPixel(1, 0, KR_RGBA(0, 0, 255, 255));
  image.setPixel(1, 2, KR_RGBA(255, 255, 255, 255));
  image.rasterpos_x = 10;
  image.rasterpos_y = 20;
  koratest::startRecording();
  image.drawToFrameBuffer();
  koratest::stopRecording();
  const std::vector<std::string> expected = {"glPixelStorei", "glRasterPos2i", "glDrawPixels"};
  ASSERT_EQ(koratest::recordedNames(), expected) << recordedText();
  EXPECT_EQ(recordedCalls()[1].args, (std::vector<double>{10, 20}));
  glFinish();
  // Row 0 covers window row 19 (just below the raster position), row 1 window row 18.
  KR_RGBA back[4 * 3];
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(10, 17, 3, 4, GL_RGBA, GL_UNSIGNED_BYTE, back);  // window rows 17..20, lowest first
  EXPECT_EQ(back[0 * 3 + 0], KR_RGBA(0, 0, 0, 255));            // row 17: untouched
  EXPECT_EQ(back[1 * 3 + 0], KR_RGBA(0, 0, 255, 255));          // row 18: image row 1
  EXPECT_EQ(back[1 * 3 + 2], KR_RGBA(255, 255, 255, 255));
  EXPECT_EQ(back[2 * 3 + 0], KR_RGBA(255, 0, 0, 255));  // row 19: image row 0
  EXPECT_EQ(back[2 * 3 + 2], KR_RGBA(0, 255, 0, 255));
  EXPECT_EQ(back[3 * 3 + 0], KR_RGBA(0, 0, 0, 255));  // row 20: untouched

  // Reading the drawn block back gives the picture bottom row first.
  KR_Image read;
  ASSERT_TRUE(read.readFromFrameBuffer(10, 18, 3, 2));
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(*read.getPixel(0, c), *image.getPixel(1, c)) << c;
    EXPECT_EQ(*read.getPixel(1, c), *image.getPixel(0, c)) << c;
  }
}

TEST_F(ImageGL, EmptyImageDrawsNothingAndIssuesNoCall) {
  KR_Image empty;
  KR_Image noRows(5, 0);
  koratest::startRecording();
  empty.drawToFrameBuffer();
  noRows.drawToFrameBuffer();
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
}

// Sized, but left without pixels (as a failed raster allocation leaves an image).
class Hollow : public KR_Image {
 public:
  Hollow() {
    rows = 4;
    columns = 4;
  }
};

TEST_F(ImageGL, TextureOfAnImageWithoutPixelsIsMadeWithoutReadingThem) {
  Hollow hollow;
  GLuint id = 0;
  koratest::startRecording();
  hollow.setTextureGL(&id, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, true);
  koratest::stopRecording();
  EXPECT_NE(id, 0u);
  EXPECT_EQ(countCalls("gluBuild2DMipmaps"), 0u) << recordedText();
  EXPECT_EQ(countCalls("glTexImage2D"), 1u) << recordedText();
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 4);
  glDeleteTextures(1, &id);
}

TEST_F(ImageGL, ReadFromFrameBufferWithANegativeSizeFailsWithoutAGlCall) {
  KR_Image image(2, 2);
  koratest::startRecording();
  EXPECT_FALSE(image.readFromFrameBuffer(0, 0, -4, 2));
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
  EXPECT_EQ(image.data(), nullptr);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ImageGL, ReadFromFrameBufferWithAZeroSizeReadsAnEmptyBlock) {
  for (int w : {0, 3}) {
    KR_Image image(2, 2);
    koratest::startRecording();
    EXPECT_TRUE(image.readFromFrameBuffer(1, 1, w, w == 0 ? 5 : 0));
    koratest::stopRecording();
    ASSERT_EQ(recordedCalls().size(), 2u) << recordedText();
    EXPECT_EQ(recordedCalls()[0].name, "glPixelStorei") << recordedText();
    EXPECT_EQ(recordedCalls()[1].name, "glReadPixels") << recordedText();
    EXPECT_NE(image.data(), nullptr);  // an empty array of its own
    EXPECT_EQ(image.columns, w);
    EXPECT_EQ(image.rows, w == 0 ? 5 : 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
}

}  // namespace
