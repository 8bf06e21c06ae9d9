// Terrain: hills, normalising, positions, quads, face and vertex normals, the display list,
// the texture request and centring.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KR_GLState.h"
#include "KR_Terrain.h"
#include "KR_TerrainMesh.h"
#include "KR_TextureManager.h"
#include "kora_gl.h"
#include "scene_files.h"
#include "terrain_normal_scan.h"

using namespace KORA;

namespace {

// The documented hill rule over the whole grid, row k, column l, with the same random() calls.
std::vector<float> referenceHills(int width, int height, int hills) {
  std::vector<float> h(size_t(width) * height, 0.0f);
  for (int i = 0; i < hills; ++i) {
    int cx = int(random() % width);
    int cy = int(random() % height);
    int r = int(random() % (width / 2));
    int s = 2 * r;
    for (int k = 0; k < height; ++k)
      for (int l = 0; l < width; ++l) {
        float value = float(s - (cy - k) * (cy - k) - (cx - l) * (cx - l));
        if (value > 0) {
          float& y = h[size_t(k) * width + l];
          y = y > 0 ? y + value : value;
        }
      }
  }
  return h;
}

std::vector<float> normals(const KR_TerrainMesh& m) {
  std::vector<float> out;
  for (int k = 0; k < m.rowCount(); ++k)
    for (int l = 0; l < m.columnCount(); ++l)
      for (int c = 0; c < 4; ++c) out.push_back(m.at(k, l).normal.data[c]);
  return out;
}

}  // namespace

// --- heights -------------------------------------------------------------------------------

TEST(TerrainHeights, NoHillsGivesAFlatGridAtZero) {
  KR_TerrainMesh m(4, 3, 0, 2.0f, 10);
  for (int k = 0; k < 3; ++k)
    for (int l = 0; l < 4; ++l) {
      EXPECT_EQ(m.at(k, l).point.data[1], 0.0f);
      EXPECT_EQ(m.at(k, l).point.data[0], 2.0f * k);  // x follows the row
      EXPECT_EQ(m.at(k, l).point.data[2], 2.0f * l);  // z follows the column
      EXPECT_EQ(m.at(k, l).point.data[3], 1.0f);
    }
}

TEST(TerrainHeights, HillsFollowTheRandomSequenceAndAddWhereTheyOverlap) {
  const int W = 24, H = 17, HILLS = 12;
  srandom(20261208);
  std::vector<float> expected = referenceHills(W, H, HILLS);
  srandom(20261208);
  KR_TerrainMesh m(W, H);
  m.raiseHills(HILLS);
  for (int k = 0; k < H; ++k)
    for (int l = 0; l < W; ++l)
      ASSERT_EQ(m.at(k, l).point.data[1], expected[size_t(k) * W + l])
          << "row " << k << " column " << l;
  // The seed is chosen so that hills overlap: some height is the sum of two values, i.e.
  // larger than any single hill can make (2 * (W / 2 - 1) at most).
  float highest = 0;
  for (float h : expected) highest = std::max(highest, h);
  EXPECT_GT(highest, float(2 * (W / 2 - 1)));
}

TEST(TerrainHeights, ASecondHillAddsToTheFirst) {
  KR_TerrainMesh m(8, 8);
  // Two single hills by hand through the same rule: first sets, second adds.
  srandom(1);
  long cx = random() % 8, cy = random() % 8, r = random() % 4;
  srandom(1);
  m.raiseHills(1);
  float once = m.at(int(cy), int(cx)).point.data[1];
  EXPECT_EQ(once, float(2 * r));  // the centre gets s = 2r (twice r, not r squared)
  srandom(1);
  m.raiseHills(1);
  EXPECT_EQ(m.at(int(cy), int(cx)).point.data[1], 2 * once);
}

TEST(TerrainHeights, NormalisedHeightsRunFromZeroToOneBeforeScaling) {
  srandom(77);
  KR_TerrainMesh m(33, 29, 6, 1.0f, 1);
  float lo = 1e9f, hi = -1e9f;
  for (int k = 0; k < 29; ++k)
    for (int l = 0; l < 33; ++l) {
      lo = std::min(lo, m.at(k, l).point.data[1]);
      hi = std::max(hi, m.at(k, l).point.data[1]);
    }
  EXPECT_EQ(lo, 0.0f);
  EXPECT_EQ(hi, 1.0f);
}

TEST(TerrainHeights, HeightsAreSquaredAfterNormalisingThenScaled) {
  KR_TerrainMesh m(3, 1);
  m.at(0, 0).point.data[1] = 0;
  m.at(0, 1).point.data[1] = 2;
  m.at(0, 2).point.data[1] = 4;
  m.normaliseHeights();
  m.placeVertices(1.0f, 8);
  EXPECT_EQ(m.at(0, 0).point.data[1], 0.0f);
  EXPECT_EQ(m.at(0, 1).point.data[1], 0.25f * 8);  // (2 / 4) squared, times the scale
  EXPECT_EQ(m.at(0, 2).point.data[1], 8.0f);
}

// --- quads and normals ---------------------------------------------------------------------

TEST(TerrainNormals, FlatGridFacesStraightUpEverywhere) {
  // Flat ground gave (1, 1, 1) faces and diagonal vertex normals, and the last row and column
  // kept (0, 0, 0).
  KR_TerrainMesh m(4, 3, 0, 1.0f, 5);
  ASSERT_EQ(m.quadList().size(), 6u);
  for (const KR_Quad& q : m.quadList()) {
    EXPECT_EQ(q.normal.data[0], 0.0f);
    EXPECT_EQ(q.normal.data[1], 1.0f);
    EXPECT_EQ(q.normal.data[2], 0.0f);
  }
  for (int k = 0; k < 3; ++k)
    for (int l = 0; l < 4; ++l) {
      EXPECT_EQ(m.at(k, l).normal.data[0], 0.0f) << k << "," << l;
      EXPECT_EQ(m.at(k, l).normal.data[1], 1.0f) << k << "," << l;
      EXPECT_EQ(m.at(k, l).normal.data[2], 0.0f) << k << "," << l;
    }
}

TEST(TerrainNormals, QuadCornersAndTheNormalOfARaisedCorner) {
  KR_TerrainMesh m(2, 2, 0, 1.0f, 1);
  m.at(1, 1).point.data[1] = 1;  // corner (k + 1, l + 1) one above the other three
  m.buildQuads();
  ASSERT_EQ(m.quadList().size(), 1u);
  const KR_Quad& q = m.quadList()[0];
  EXPECT_EQ(q.vertices[0], &m.at(1, 1));
  EXPECT_EQ(q.vertices[1], &m.at(0, 1));
  EXPECT_EQ(q.vertices[2], &m.at(0, 0));
  EXPECT_EQ(q.vertices[3], &m.at(1, 0));
  // Spanning edges (0, 0.5, 1) along the columns and (1, 0.5, 0) along the rows: their product
  // (-0.5, 1, -0.5) leans away from the raised corner, towards -x and -z.
  const float s6 = std::sqrt(6.0f);
  EXPECT_FLOAT_EQ(q.normal.data[0], -1.0f / s6);
  EXPECT_FLOAT_EQ(q.normal.data[1], 2.0f / s6);
  EXPECT_FLOAT_EQ(q.normal.data[2], -1.0f / s6);
}

TEST(TerrainNormals, VertexNormalsSumFromZero) {
  // A single quad: every corner's sum is that quad's normal alone. Starting the sum at
  // (1, 1, 1) tilted it towards the diagonal.
  KR_TerrainMesh m(2, 2, 0, 1.0f, 1);
  m.at(1, 1).point.data[1] = 1;
  m.buildQuads();
  m.computeVertexNormals();
  const KR_Vector3D& face = m.quadList()[0].normal;
  for (int k = 0; k < 2; ++k)
    for (int l = 0; l < 2; ++l)
      for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(m.at(k, l).normal.data[c], face.data[c]);
}

TEST(TerrainNormals, OneRowOrOneColumnMakesNoQuads) {
  EXPECT_TRUE(KR_TerrainMesh(5, 1, 0, 1.0f, 1).quadList().empty());
  EXPECT_TRUE(KR_TerrainMesh(1, 5, 0, 1.0f, 1).quadList().empty());
  KR_TerrainMesh m(3, 4, 0, 1.0f, 1);
  EXPECT_EQ(m.quadList().size(), 6u);
  // Row by row, columns ascending: quad 4 is (k = 2, l = 0).
  EXPECT_EQ(m.quadList()[4].vertices[2], &m.at(2, 0));
}

TEST(TerrainNormals, LinearTimeNormalsAreBitIdenticalToTheWholeListScan) {
  struct Case {
    int width, height, hills, scale;
    float resolution;
    unsigned seed;
  } cases[] = {{2, 2, 3, 9, 1.0f, 1},   {7, 5, 4, 13, 0.75f, 2},  {16, 16, 20, 40, 2.0f, 3},
               {31, 9, 11, 7, 1.5f, 4}, {9, 31, 11, 55, 0.3f, 5}, {40, 40, 50, 120, 3.0f, 6},
               {25, 3, 2, 1, 10.0f, 7}, {3, 25, 60, 2, 0.1f, 8}};
  for (const Case& c : cases) {
    srandom(c.seed);
    KR_TerrainMesh fast(c.width, c.height, c.hills, c.resolution, c.scale);
    srandom(c.seed);
    KR_TerrainMesh slow(c.width, c.height, c.hills, c.resolution, c.scale);
    computeVertexNormalsByScan(slow);
    std::vector<float> a = normals(fast), b = normals(slow);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)))
        << c.width << " x " << c.height << " seed " << c.seed;
    // And the scan really computed something: the interior is not left at zero.
    EXPECT_NE(b[0] * b[0] + b[1] * b[1] + b[2] * b[2], 0.0f);
  }
}

bool anyNaN(const std::vector<float>& v) {
  for (float x : v)
    if (std::isnan(x)) return true;
  return false;
}

// Hills of many sizes and seeds: no NaN anywhere, and every normal a unit vector pointing up.
TEST(TerrainNormals, NoNormalIsNaNOrPointsDownOverManySeedsAndSizes) {
  for (int size = 33; size <= 129; size += 16)
    for (unsigned seed = 1; seed <= 12; ++seed) {
      srandom(seed);
      KR_TerrainMesh mesh(size, size, 60, 5.0f, 40);
      for (const KR_Quad& q : mesh.quadList())
        ASSERT_GT(q.normal.data[1], 0.0f) << size << " x " << size << " seed " << seed;
      const std::vector<float> n = normals(mesh);
      ASSERT_FALSE(anyNaN(n)) << size << " x " << size << " seed " << seed;
      for (size_t i = 0; i < n.size(); i += 4) {
        ASSERT_GT(n[i + 1], 0.0f) << size << " x " << size << " seed " << seed;
        ASSERT_NEAR(n[i] * n[i] + n[i + 1] * n[i + 1] + n[i + 2] * n[i + 2], 1.0f, 1e-5f);
      }
    }
}

TEST(TerrainNormals, LinearTimeNormalsEqualTheScanOnLargeHillyGrids) {
  const int sizes[] = {33, 49, 97};
  for (int size : sizes)
    for (unsigned seed = 1; seed <= (size == 97 ? 1u : 3u); ++seed) {
      srandom(seed);
      KR_TerrainMesh fast(size, size, 60, 5.0f, 40);
      srandom(seed);
      KR_TerrainMesh slow(size, size, 60, 5.0f, 40);
      computeVertexNormalsByScan(slow);
      std::vector<float> a = normals(fast), b = normals(slow);
      ASSERT_EQ(a.size(), b.size());
      EXPECT_FALSE(anyNaN(b));
      EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)))
          << size << " seed " << seed;
    }
}

// --- lighting ------------------------------------------------------------------------------

// The demo's terrain (97 x 97, 60 hills, 5 apart, up to 40 high) lit from (0.3, 1, 0.2). Face
// normals built from two edges along the columns could only be (1, 1, 1) or +-x, so slopes
// went pitch black under such a light and the last row and column had no normal at all.
TEST(TerrainLighting, HillsLitFromAnOrdinaryLightHaveNoNormalPointingDownOrAway) {
  const double light[3] = {0.3 / std::sqrt(1.13), 1.0 / std::sqrt(1.13), 0.2 / std::sqrt(1.13)};
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    srandom(seed);
    KR_TerrainMesh mesh(97, 97, 60, 5.0f, 40);
    int slopes = 0;
    for (const KR_Quad& q : mesh.quadList()) {
      // The spanning edges, worked out here in double: the mean of the two edges along the
      // columns (+z) and the mean of the two along the rows (+x).
      double a[3], b[3];
      for (int c = 0; c < 3; ++c) {
        const double p0 = q.vertices[0]->point.data[c], p1 = q.vertices[1]->point.data[c];
        const double p2 = q.vertices[2]->point.data[c], p3 = q.vertices[3]->point.data[c];
        a[c] = ((p1 - p2) + (p0 - p3)) / 2;
        b[c] = ((p3 - p2) + (p0 - p1)) / 2;
      }
      const double x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2],
                   z = a[0] * b[1] - a[1] * b[0];
      const double l = std::sqrt(x * x + y * y + z * z);
      const double nl = std::sqrt(double(q.normal.data[0]) * q.normal.data[0] +
                                  double(q.normal.data[1]) * q.normal.data[1] +
                                  double(q.normal.data[2]) * q.normal.data[2]);
      const double cosine =
          (x * q.normal.data[0] + y * q.normal.data[1] + z * q.normal.data[2]) / (l * nl);
      ASSERT_GT(cosine, std::cos(1.0 * M_PI / 180.0)) << "quad at " << q.vertices[2]->point.data[0];
      if (std::fabs(x) + std::fabs(z) > 1e-3 * l) ++slopes;
    }
    EXPECT_GT(slopes, 1000);  // the hills are really there
    double darkest = 1;
    for (int k = 0; k < mesh.rowCount(); ++k)
      for (int l = 0; l < mesh.columnCount(); ++l) {
        const KR_Vector3D& n = mesh.at(k, l).normal;
        ASSERT_GT(n.data[1], 0.0f) << k << "," << l;  // no normal points down
        ASSERT_NEAR(n.data[0] * n.data[0] + n.data[1] * n.data[1] + n.data[2] * n.data[2], 1.0f,
                    1e-5f)
            << k << "," << l;  // the last row and column included
        darkest =
            std::min(darkest, n.data[0] * light[0] + n.data[1] * light[1] + n.data[2] * light[2]);
      }
    // Every vertex faces the light: no pitch-black patch anywhere.
    EXPECT_GT(darkest, 0.2);
  }
}

// --- unsound sizes -------------------------------------------------------------------------

TEST(TerrainSizes, WidthBelowTwoWithHillsRaisesNoHills) {
  KR_TerrainMesh one(1, 6, 10, 1.0f, 5);
  KR_TerrainMesh zero(0, 6, 10, 1.0f, 5);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(one.at(k, 0).point.data[1], 0.0f);
  EXPECT_EQ(zero.columnCount(), 0);
  KR_TerrainMesh noRows(6, 0, 10, 1.0f, 5);  // random() mod 0 for the row as well
  EXPECT_EQ(noRows.rowCount(), 0);
}

TEST(TerrainSizes, NegativeSizesGiveAnEmptyMesh) {
  KR_TerrainMesh a(-5, 10, 3, 1.0f, 5), b(10, -5, 3, 1.0f, 5), c(-1, -1, 0, 1.0f, 5);
  for (const KR_TerrainMesh* m : {&a, &b, &c}) {
    EXPECT_EQ(m->rowCount(), 0);
    EXPECT_EQ(m->columnCount(), 0);
    EXPECT_TRUE(m->quadList().empty());
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define KORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORA_UNDER_ASAN 1
#endif
#endif

TEST(TerrainSizesDeathTest, HeightMapAllocationFailureEndsTheProcess) {
#ifdef KORA_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer aborts on impossible allocations instead of failing them";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The child caps its address space, so the 80 GB row fails whatever the overcommit policy.
  auto attempt = [] {
    struct rlimit cap = {rlim_t(4) << 30, rlim_t(4) << 30};
    setrlimit(RLIMIT_AS, &cap);
    KR_TerrainMesh mesh(INT_MAX, 1);
  };
  EXPECT_EXIT(attempt(), ::testing::ExitedWithCode(255),
              "Unable to allocate memory for height_map");
#endif
}

// --- display list, texture and drawing ------------------------------------------------------

class TerrainGL : public koratest::GLTest {
 protected:
  void SetUp() override {
    koratest::GLTest::SetUp();
    folder.writePcx8("terrain.pcx", {40, 200, 60});
  }
  scenetest::SceneFolder folder;
};

TEST_F(TerrainGL, TextureIsRequestedMipMappedAndRepeating) {
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->mipmapping = false;
  koratest::startRecording();
  KR_Terrain t(3, 3, 0, 1.0f, 1);
  koratest::stopRecording();
  EXPECT_TRUE(tm->mipmapping);
  auto binds = koratest::recordedCalls("glBindTexture");
  ASSERT_FALSE(binds.empty());
  GLuint tex = GLuint(binds.back().args[1]);
  ASSERT_NE(tex, 0u);
  glBindTexture(GL_TEXTURE_2D, tex);
  GLint minFilter = 0, wrap = 0, level1 = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(wrap, GL_REPEAT);
  EXPECT_EQ(level1, 2);  // a 4 x 4 picture has a 2 x 2 second level
  EXPECT_EQ(tm->getTexture("terrain.pcx", this, false), int(tex));  // registered by name
  tm->removeTextures(this);
}

TEST_F(TerrainGL, ListDrawsEveryQuadCornerInOrder) {
  KR_GLState::getInstance()->disableTexture2D();
  koratest::startRecording();
  KR_Terrain t(3, 2, 0, 1.0f, 1);  // width 3 (z), height 2 (x): two quads
  koratest::stopRecording();
  auto list = koratest::recordedListContents();
  ASSERT_EQ(list.size(), 4u + 2u * (2u + 16u) + 3u) << koratest::recordedText();
  EXPECT_EQ(list[0].name, "glPushMatrix");
  EXPECT_EQ(list[1].str(), "glEnable(GL_TEXTURE_2D)");  // through the tracker
  EXPECT_EQ(list[2].name, "glBindTexture");
  EXPECT_EQ(list[3].str(), "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1)");
  EXPECT_EQ(list[4].args[0], GL_POLYGON);
  // Corners (k + 1, l), (k, l), (k, l + 1), (k + 1, l + 1) with (0, 0), (0, 1), (1, 1), (1, 0).
  const char* st[4] = {"glTexCoord2f(0, 0)", "glTexCoord2f(0, 1)", "glTexCoord2f(1, 1)",
                       "glTexCoord2f(1, 0)"};
  const char* xyz[4] = {"glVertex3fv(1, 0, 0)", "glVertex3fv(0, 0, 0)", "glVertex3fv(0, 0, 1)",
                        "glVertex3fv(1, 0, 1)"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(list[5 + 4 * c].str(), "glColor4f(1, 1, 1, 1)");
    EXPECT_EQ(list[6 + 4 * c].str(), st[c]);
    EXPECT_EQ(list[7 + 4 * c].name, "glNormal3fv");
    EXPECT_EQ(list[8 + 4 * c].str(), xyz[c]);
  }
  EXPECT_EQ(list[21].name, "glEnd");
  EXPECT_EQ(list[23 + 4 * 3 + 3].str(), "glVertex3fv(1, 0, 2)");  // second quad, last corner
  // Flat ground: every corner, the last row (k = 1) and last column (l = 2) included, is
  // drawn with the normal (0, 1, 0).
  EXPECT_EQ(list[7].str(), "glNormal3fv(0, 1, 0)");                   // (1, 0)
  EXPECT_EQ(list[11].str(), "glNormal3fv(0, 1, 0)");                  // (0, 0)
  EXPECT_EQ(list[23 + 4 * 2 + 3 - 1].str(), "glNormal3fv(0, 1, 0)");  // (0, 2)
  size_t n = list.size();
  EXPECT_EQ(list[n - 3].str(), "glDisable(GL_TEXTURE_2D)");
  EXPECT_EQ(list[n - 2].str(), "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0)");
  EXPECT_EQ(list[n - 1].name, "glPopMatrix");
  EXPECT_FALSE(KR_GLState::getInstance()->texture2D);
}

TEST_F(TerrainGL, SingleRowListHoldsOnlyTheTextureSetUp) {
  KR_GLState::getInstance()->disableTexture2D();
  for (int w : {1, 7}) {
    koratest::startRecording();
    KR_Terrain t(w, w == 1 ? 7 : 1, 0, 1.0f, 1);
    koratest::stopRecording();
    std::vector<std::string> names;
    for (const auto& c : koratest::recordedListContents()) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"glPushMatrix", "glEnable", "glBindTexture",
                                               "glTexParameteri", "glDisable", "glTexParameteri",
                                               "glPopMatrix"}));
  }
}

TEST_F(TerrainGL, UnsoundSizesBuildAnEmptyTerrain) {
  koratest::startRecording();
  KR_Terrain a(-3, 5, 4, 1.0f, 1), b(1, 4, 9, 1.0f, 1);
  koratest::stopRecording();
  EXPECT_EQ(koratest::countCalls("glBegin"), 0u);
  EXPECT_NE(a.getDisplayList(), 0u);
  EXPECT_TRUE(glIsList(a.getDisplayList()));
}

TEST_F(TerrainGL, NonSquareGridIsCentredOnEachAxis) {
  KR_Terrain t(10, 4, 0, 2.0f, 1);  // 10 columns along z, 4 rows along x
  t.setMiddlePoint(KR_Point3D(100, 5, -50));
  koratest::startRecording();
  t.drawTerrain();
  koratest::stopRecording();
  EXPECT_EQ(koratest::recordedNames(), (std::vector<std::string>{"glPushMatrix", "glTranslatef",
                                                                 "glCallList", "glPopMatrix"}));
  auto tr = koratest::recordedCalls("glTranslatef");
  ASSERT_EQ(tr.size(), 1u);
  EXPECT_EQ(tr[0].str(), "glTranslatef(96, 5, -60)");  // x less 4 * 2 / 2, z less 10 * 2 / 2
  EXPECT_EQ(koratest::recordedCalls("glCallList")[0].args[0], double(t.getDisplayList()));
}

TEST_F(TerrainGL, SquareGridOffsetsAreEqual) {
  KR_Terrain t(6, 6, 0, 1.5f, 1);
  koratest::startRecording();
  t.drawTerrain();
  koratest::stopRecording();
  EXPECT_EQ(koratest::recordedCalls("glTranslatef")[0].str(), "glTranslatef(-4.5, 0, -4.5)");
}

TEST_F(TerrainGL, DestructionDeletesTheList) {
  GLuint id;
  {
    KR_Terrain t(3, 3, 0, 1.0f, 1);
    id = t.getDisplayList();
    EXPECT_TRUE(glIsList(id));
    koratest::startRecording();
  }
  koratest::stopRecording();
  EXPECT_EQ(koratest::recordedCalls("glDeleteLists").at(0).str(),
            "glDeleteLists(" + std::to_string(id) + ", 1)");
  EXPECT_FALSE(glIsList(id));
}

TEST_F(TerrainGL, FlatTerrainShowsItsTextureFromAbove) {
  KR_Terrain t(9, 9, 0, 1.0f, 1);
  glViewport(0, 0, width_, height_);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-6, 6, -6, 6, -10, 10);  // looking down -y after the rotation below
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(90, 1, 0, 0);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  t.drawTerrain();  // the 8 x 8 unit grid centred on the origin
  unsigned char centre[4], corner[4];
  glReadPixels(width_ / 2, height_ / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
  glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
  EXPECT_NEAR(centre[0], 40, 2);
  EXPECT_NEAR(centre[1], 200, 2);
  EXPECT_NEAR(centre[2], 60, 2);
  EXPECT_EQ(corner[1], 0);  // beyond +-4: nothing drawn
}
