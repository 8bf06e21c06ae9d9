// The texture manager on a headless GL context: loading from ../TEXTURES/, sharing by name,
// owner counting, deletion when the last owner goes, mip-mapping and kept images.
#include <KORA/KR_TextureManager.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "KR_TextureManagerState.h"
#include "image_files.h"
#include "kora_gl.h"
#include "output_capture.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using KORA::KR_TextureManager;

namespace {

using namespace imgtest;

// Runs each test from <scratch>/work with the pictures in <scratch>/TEXTURES, and starts it
// with a fresh manager.
class TextureManager : public koratest::GLTest {
 protected:
  ScratchDir dir;
  std::string previous;
  KR_TextureManager* tm = nullptr;
  int ownerA = 0, ownerB = 0;  // addresses as owner keys
  void* A = &ownerA;
  void* B = &ownerB;

  void SetUp() override {
    koratest::GLTest::SetUp();
    std::filesystem::create_directories(dir.file("work"));
    std::filesystem::create_directories(dir.file("TEXTURES"));
    dir.write("TEXTURES/sky.bmp", bmp24(2, 2, std::vector<KR_RGBA>(4, KR_RGBA(10, 20, 30, 255))));
    dir.write("TEXTURES/t1.bmp", bmp24(4, 4, std::vector<KR_RGBA>(16, KR_RGBA(1, 1, 1, 255))));
    dir.write("TEXTURES/t2.pcx",
              join(join(pcxHeader(0, 0, 7, 7, 1, 8), Bytes(64, 3)), join({12}, pcxPalette())));
    dir.write("TEXTURES/t3.bmp", bmp8(8, 2, std::vector<std::uint8_t>(16, 5)));
    previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.file("work"));
    tm = KR_TextureManager::getInstance();
  }
  void TearDown() override {
    delete KR_TextureManager::getInstance();
    std::filesystem::current_path(previous);
    koratest::GLTest::TearDown();
  }
  int count(void* owner) { return KORA::textureOwnerCount(*tm, owner); }
  std::size_t records() { return KORA::textureRecordCount(*tm); }
  int get(const std::string& name, void* owner, bool keep = false) {
    mirvotest::captureStderr();
    const int id = tm->getTexture(name, owner, keep);
    err = mirvotest::capturedStderr();
    return id;
  }
  std::string err;
};

TEST_F(TextureManager, IsOneInstanceStartingWithoutMipmapsOrTextures) {
  EXPECT_EQ(tm, KR_TextureManager::getInstance());
  EXPECT_FALSE(tm->mipmapping);
  EXPECT_EQ(records(), 0u);
}

TEST_F(TextureManager, DestroyedManagerIsReplacedByAFreshOne) {
  tm->mipmapping = true;
  const GLuint id = GLuint(get("sky.bmp", A));
  ASSERT_NE(id, 0u);
  delete tm;
  EXPECT_FALSE(glIsTexture(id));  // the destructor deleted its textures
  tm = KR_TextureManager::getInstance();
  EXPECT_FALSE(tm->mipmapping);
  EXPECT_EQ(records(), 0u);
  EXPECT_EQ(count(A), 0);
}

TEST_F(TextureManager, TwoOwnersShareOneTextureUntilTheSecondLetsGo) {
  const int first = get("sky.bmp", A);
  const int second = get("sky.bmp", B);
  ASSERT_NE(first, 0) << err;
  EXPECT_EQ(first, second);
  EXPECT_EQ(records(), 1u);  // loaded once
  EXPECT_EQ(count(A), 1);
  EXPECT_EQ(count(B), 1);
  EXPECT_TRUE(tm->removeTextures(A));
  EXPECT_TRUE(glIsTexture(GLuint(first)));
  EXPECT_EQ(records(), 1u);
  EXPECT_TRUE(tm->removeTextures(B));
  EXPECT_FALSE(glIsTexture(GLuint(first)));
  EXPECT_EQ(records(), 0u);
}

TEST_F(TextureManager, OwnerOfThreeTexturesAloneLosesAllThree) {
  const GLuint ids[] = {GLuint(get("t1.bmp", A)), GLuint(get("t2.pcx", A)),
                        GLuint(get("t3.bmp", A))};
  for (GLuint id : ids) ASSERT_TRUE(glIsTexture(id));
  EXPECT_EQ(count(A), 3);
  EXPECT_TRUE(tm->removeTextures(A));
  for (GLuint id : ids) EXPECT_FALSE(glIsTexture(id));
  EXPECT_EQ(records(), 0u);
}

TEST_F(TextureManager, SharedTextureSurvivesForTheOtherOwner) {
  const GLuint t1 = GLuint(get("t1.bmp", A));
  get("t1.bmp", B);
  const GLuint t2 = GLuint(get("t2.pcx", A));
  EXPECT_TRUE(tm->removeTextures(A));
  EXPECT_TRUE(glIsTexture(t1));
  EXPECT_FALSE(glIsTexture(t2));
  EXPECT_EQ(count(B), 1);
  EXPECT_EQ(count(A), 0);
}

TEST_F(TextureManager, SameNameTwiceNeedsTwoRemovals) {
  const GLuint id = GLuint(get("sky.bmp", A));
  EXPECT_EQ(GLuint(get("sky.bmp", A)), id);
  EXPECT_EQ(count(A), 1);
  EXPECT_TRUE(tm->removeTextures(A));
  EXPECT_TRUE(glIsTexture(id));
  EXPECT_EQ(count(A), 1);
  EXPECT_TRUE(tm->removeTextures(A));
  EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureManager, NameATwiceThenBOnceRemovesBothButReportsFalse) {
  const GLuint a = GLuint(get("t1.bmp", A));
  get("t1.bmp", A);
  const GLuint b = GLuint(get("t3.bmp", A));
  EXPECT_FALSE(tm->removeTextures(A));  // three registrations withdrawn against a count of two
  EXPECT_FALSE(glIsTexture(a));
  EXPECT_FALSE(glIsTexture(b));
  EXPECT_EQ(records(), 0u);
}

TEST_F(TextureManager, OwnerHoldingNothingRemovesNothingAndSucceeds) {
  const GLuint id = GLuint(get("sky.bmp", A));
  EXPECT_TRUE(tm->removeTextures(B));
  EXPECT_TRUE(glIsTexture(id));
  EXPECT_EQ(records(), 1u);
}

TEST_F(TextureManager, MipmappingDecidesTheSetUpOfTexturesMadeFromNowOn) {
  tm->mipmapping = true;
  const GLuint mipped = GLuint(get("t1.bmp", A));
  tm->mipmapping = false;
  const GLuint plain = GLuint(get("t3.bmp", A));
  GLint v = 0;
  glBindTexture(GL_TEXTURE_2D, mipped);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &v);
  EXPECT_EQ(v, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &v);
  EXPECT_EQ(v, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &v);
  EXPECT_EQ(v, GL_LINEAR_MIPMAP_LINEAR);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &v);  // 4 x 4, 2 x 2, 1 x 1
  EXPECT_EQ(v, 1);
  glBindTexture(GL_TEXTURE_2D, plain);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &v);
  EXPECT_EQ(v, GL_CLAMP_TO_EDGE);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &v);
  EXPECT_EQ(v, GL_CLAMP_TO_EDGE);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &v);
  EXPECT_EQ(v, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &v);
  EXPECT_EQ(v, GL_LINEAR);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &v);
  EXPECT_EQ(v, 8);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &v);
  EXPECT_EQ(v, 0);
  // Asking again for the mip-mapped one with the flag off shares it unchanged.
  EXPECT_EQ(GLuint(get("t1.bmp", B)), mipped);
  glBindTexture(GL_TEXTURE_2D, mipped);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &v);
  EXPECT_EQ(v, GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(TextureManager, KeptImageIsLentAndOnlyWhenAskedForAtCreation) {
  const GLuint kept = GLuint(get("sky.bmp", A, true));
  KR_Image* image = tm->getImage(kept);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->columns, 2);
  EXPECT_EQ(*image->getPixel(1, 1), KR_RGBA(10, 20, 30, 255));
  const GLuint dropped = GLuint(get("t1.bmp", A, false));
  EXPECT_EQ(GLuint(get("t1.bmp", B, true)), dropped);
  EXPECT_EQ(tm->getImage(dropped), nullptr);
  EXPECT_EQ(tm->getImage(987654), nullptr);
}

TEST_F(TextureManager, MissingFileGivesZeroAndTwoLinesEachTime) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(get("missing.bmp", A), 0);
    // The reader's own empty line for a file it cannot open, then the manager's two lines.
    EXPECT_EQ(err,
              "\nCreation of texture ../TEXTURES/missing.bmp failed\n"
              "Error: Unable to get texture missing.bmp\n");
    EXPECT_EQ(records(), 0u);
    EXPECT_EQ(count(A), 0);
  }
  EXPECT_EQ(get("sky.tga", A), 0);
  EXPECT_EQ(
      err,
      "Creation of texture ../TEXTURES/sky.tga failed\nError: Unable to get texture sky.tga\n");
  EXPECT_TRUE(tm->removeTextures(A));
}

TEST_F(TextureManager, LookupIsByExactCaseSensitiveName) {
  const GLuint id = GLuint(get("sky.bmp", A));
  dir.write("TEXTURES/sky.bmp.old", readFile(dir.file("TEXTURES/sky.bmp")));
  const GLuint other = GLuint(get("sky.bmp.old", A));
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, id);
  EXPECT_EQ(records(), 2u);
}

}  // namespace
