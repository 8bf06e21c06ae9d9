// The committed pictures under TEXTURES/: they load through the library's readers, the sky
// box faces meet without seams, and the ground texture tiles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "KR_Image.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

const std::string DIR = KORA_TEXTURE_DIR;

class CommittedTextures : public koratest::GLTest {};

double diff(const KR_RGBA& a, const KR_RGBA& b) {
  return (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b)) / 3.0;
}

// Mean colour difference between column ca of a and column cb of b, rows matched by `row`.
template <class RowMap>
double columnDifference(const KR_Image& a, int ca, const KR_Image& b, int cb, RowMap row) {
  double sum = 0;
  for (int r = 0; r < a.rows; ++r) sum += diff(*a.getPixel(r, ca), *b.getPixel(row(r), cb));
  return sum / a.rows;
}

KR_Image load(const std::string& name) {
  KR_Image img;
  EXPECT_TRUE(img.loadImage(DIR + "/" + name)) << name;
  return img;
}

std::vector<unsigned char> bytes(const std::string& name) {
  std::ifstream in(DIR + "/" + name, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(CommittedTextures, SkyFacesLoadAtFiveHundredTwelveSquare) {
  for (const char* f : {"front", "right", "back", "left", "top", "bottom"}) {
    KR_Image img = load(std::string("sky_") + f + ".bmp");
    EXPECT_EQ(img.rows, 512) << f;
    EXPECT_EQ(img.columns, 512) << f;
  }
}

TEST_F(CommittedTextures, BottomFaceIsRunLengthEightBitTheOthersTrueColour) {
  std::vector<unsigned char> bottom = bytes("sky_bottom.bmp"), front = bytes("sky_front.bmp");
  ASSERT_GT(bottom.size(), 54u);
  ASSERT_GT(front.size(), 54u);
  EXPECT_EQ(bottom[28], 8);  // bits per pixel
  EXPECT_EQ(bottom[30], 1);  // run-length (BI_RLE8)
  EXPECT_EQ(front[28], 24);
  EXPECT_EQ(front[30], 0);
}

TEST_F(CommittedTextures, SideFacesMeetWithoutSeams) {
  KR_Image front = load("sky_front.bmp"), right = load("sky_right.bmp"),
           back = load("sky_back.bmp"), left = load("sky_left.bmp"), top = load("sky_top.bmp");
  const int last = 511;
  auto same = [](int r) { return r; };
  // Within a face, neighbouring columns differ by about this much: a seam must not be worse.
  double inside = columnDifference(front, 255, front, 256, same);
  struct Seam {
    const KR_Image *a, *b;
    const char* name;
  } seams[] = {{&front, &right, "front | right"},
               {&right, &back, "right | back"},
               {&back, &left, "back | left"},
               {&left, &front, "left | front"}};
  for (const Seam& s : seams) {
    // Column 0 of one face lies against the last column of the next, row for row.
    double across = columnDifference(*s.a, 0, *s.b, last, same);
    EXPECT_LT(across, 1.5 * inside + 1.0) << s.name;
  }
  // The front's top row lies against the top face's last column, reversed.
  double sum = 0;
  for (int c = 0; c <= last; ++c) sum += diff(*front.getPixel(0, c), *top.getPixel(last - c, last));
  EXPECT_LT(sum / 512, 1.5 * inside + 1.0) << "front / top";
}

TEST_F(CommittedTextures, GroundTextureTilesInBothFormats) {
  KR_Image eight = load("terrain.pcx"), full = load("terrain24.pcx");
  ASSERT_EQ(eight.rows, 256);
  ASSERT_EQ(eight.columns, 256);
  ASSERT_EQ(full.rows, 256);
  ASSERT_EQ(full.columns, 256);
  double palette = 0;
  for (int r = 0; r < 256; ++r)
    for (int c = 0; c < 256; ++c) palette += diff(*eight.getPixel(r, c), *full.getPixel(r, c));
  EXPECT_LT(palette / (256.0 * 256.0), 4.0) << "the palette picture is the true-colour one reduced";
  auto same = [](int r) { return r; };
  double inside = columnDifference(full, 100, full, 101, same);
  EXPECT_LT(columnDifference(full, 255, full, 0, same), 1.5 * inside + 1.0)
      << "left and right edges";
  double rows = 0, rowsInside = 0;
  for (int c = 0; c < 256; ++c) {
    rows += diff(*full.getPixel(255, c), *full.getPixel(0, c));
    rowsInside += diff(*full.getPixel(100, c), *full.getPixel(101, c));
  }
  EXPECT_LT(rows, 1.5 * rowsInside + 256.0) << "top and bottom edges";
}
