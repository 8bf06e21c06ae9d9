// Sky box: texture requests, the compiled list, the tracker's part in it, placement, lifetime.
#include <gtest/gtest.h>

#include "KR_GLState.h"
#include "KR_SkyBox.h"
#include "KR_TextureManager.h"
#include "KR_TextureManagerState.h"
#include "kora_gl.h"
#include "output_capture.h"
#include "scene_files.h"

using namespace KORA;

namespace {

const scenetest::Colour FACE_COLOURS[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                           {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
const char* FACES[6] = {"front", "right", "back", "left", "top", "bottom"};

class SkyBoxGL : public koratest::GLTest {
 protected:
  // Writes six solid faces named <prefix>_<face>.bmp and returns their names.
  std::vector<std::string> writeFaces(const std::string& prefix) {
    std::vector<std::string> names;
    for (int f = 0; f < 6; ++f) {
      names.push_back(prefix + "_" + FACES[f] + ".bmp");
      folder.writeBmp24(names.back(), FACE_COLOURS[f]);
    }
    return names;
  }
  static void textureSetUp(GLuint tex, GLint& minFilter, GLint& wrap, GLint& level1Width) {
    glBindTexture(GL_TEXTURE_2D, tex);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
  }
  // The texture that the list binds for its i-th face.
  static GLuint listedTexture(size_t i) {
    std::vector<double> bound;
    for (const auto& c : koratest::recordedListContents())
      if (c.name == "glBindTexture") bound.push_back(c.args[1]);
    return i < bound.size() ? GLuint(bound[i]) : 0;
  }
  static void colourAt(int x, int y, unsigned char* p) {
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  }
  scenetest::SceneFolder folder;
};

}  // namespace

TEST_F(SkyBoxGL, SixFacesCompileSixQuadsInTableOrder) {
  auto n = writeFaces("six");
  KR_GLState* state = KR_GLState::getInstance();
  state->enableDepthTest();
  state->enableLighting();
  state->enableCulling();
  state->disableTexture2D();
  koratest::startRecording();
  KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), n[4].c_str(), n[5].c_str());
  koratest::stopRecording();
  EXPECT_EQ(textureOwnerCount(*KR_TextureManager::getInstance(), &sky), 6);
  auto list = koratest::recordedListContents();
  ASSERT_EQ(list.size(), 9u + 6u * 13u + 9u) << koratest::recordedText();
  const char* opening[9] = {"glPushMatrix()",
                            "glDisable(GL_DEPTH_TEST)",
                            "glDisable(GL_LIGHTING)",
                            "glDisable(GL_CULL_FACE)",
                            "glEnable(GL_TEXTURE_2D)",
                            "glDisable(GL_BLEND)",
                            "glDisable(GL_ALPHA_TEST)",
                            "glDepthMask(0)",
                            "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(list[size_t(i)].str(), opening[i]);
  // Front face: bound texture, priority, the quad with (s, t) before each vertex.
  EXPECT_EQ(list[9].name, "glBindTexture");
  EXPECT_EQ(list[10].str(), "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1)");
  EXPECT_EQ(list[11].str(), "glBegin(GL_QUADS)");
  const char* front[8] = {"glTexCoord2f(1, 1)",    "glVertex3f(-1, -1, -1)", "glTexCoord2f(0, 1)",
                          "glVertex3f(1, -1, -1)", "glTexCoord2f(0, 0)",     "glVertex3f(1, 1, -1)",
                          "glTexCoord2f(1, 0)",    "glVertex3f(-1, 1, -1)"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(list[size_t(12 + i)].str(), front[i]);
  EXPECT_EQ(list[20].name, "glEnd");
  EXPECT_EQ(list[21].str(), "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0)");
  // The bottom face (last) runs from (-1, -1, -1) to (1, -1, -1).
  EXPECT_EQ(list[9 + 5 * 13 + 4].str(), "glVertex3f(-1, -1, -1)");
  EXPECT_EQ(list[9 + 5 * 13 + 10].str(), "glVertex3f(1, -1, -1)");
  const char* closing[9] = {"glEnable(GL_DEPTH_TEST)",
                            "glDisable(GL_TEXTURE_2D)",
                            "glEnable(GL_LIGHTING)",
                            "glEnable(GL_CULL_FACE)",
                            "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)",
                            "glEnable(GL_BLEND)",
                            "glEnable(GL_ALPHA_TEST)",
                            "glDepthMask(1)",
                            "glPopMatrix()"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(list[size_t(87 + i)].str(), closing[i]);
  // Every face bound its own texture.
  std::vector<double> bound;
  for (const auto& c : list)
    if (c.name == "glBindTexture") bound.push_back(c.args[1]);
  ASSERT_EQ(bound.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_NE(bound[size_t(i)], 0.0);
    for (int j = 0; j < i; ++j) EXPECT_NE(bound[size_t(i)], bound[size_t(j)]);
  }
  EXPECT_TRUE(state->depthTest);
  EXPECT_FALSE(state->texture2D);
  EXPECT_TRUE(state->lighting);
  EXPECT_TRUE(state->culling);
}

TEST_F(SkyBoxGL, WithoutTopAndBottomOnlyFourFaces) {
  auto n = writeFaces("four");
  koratest::startRecording();
  KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), nullptr, nullptr);
  koratest::stopRecording();
  EXPECT_EQ(textureOwnerCount(*KR_TextureManager::getInstance(), &sky), 4);
  size_t quads = 0;
  for (const auto& c : koratest::recordedListContents())
    if (c.name == "glBegin") ++quads;
  EXPECT_EQ(quads, 4u);
}

TEST_F(SkyBoxGL, TrackerThatRemembersDepthTestOffRecordsNoOpeningDisable) {
  auto n = writeFaces("off");
  KR_GLState* state = KR_GLState::getInstance();
  state->disableDepthTest();
  state->disableLighting();
  state->disableCulling();
  state->enableTexture2D();
  koratest::startRecording();
  KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), nullptr, nullptr);
  koratest::stopRecording();
  auto list = koratest::recordedListContents();
  ASSERT_GE(list.size(), 4u);
  EXPECT_EQ(list[0].name, "glPushMatrix");
  EXPECT_EQ(list[1].str(), "glDisable(GL_BLEND)");  // straight to the direct GL calls
  size_t disables = 0;
  for (const auto& c : list)
    if (c.str() == "glDisable(GL_DEPTH_TEST)") ++disables;
  EXPECT_EQ(disables, 0u);
  EXPECT_EQ(list[list.size() - 9].str(),
            "glEnable(GL_DEPTH_TEST)");  // the closing calls are all there
  EXPECT_EQ(list[list.size() - 8].str(), "glDisable(GL_TEXTURE_2D)");
}

TEST_F(SkyBoxGL, FaceTexturesAreClampedSingleLevelAndMipMappingIsLeftOn) {
  auto n = writeFaces("clamp");
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  tm->mipmapping = true;  // whatever it was, the faces are made without mip-maps
  koratest::startRecording();
  KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), n[4].c_str(), nullptr);
  koratest::stopRecording();
  EXPECT_TRUE(tm->mipmapping);
  GLint minFilter, wrap, level1;
  GLuint front = listedTexture(0);
  textureSetUp(front, minFilter, wrap, level1);
  EXPECT_EQ(minFilter, GL_LINEAR);
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
  EXPECT_EQ(level1, 0);
  // The next texture anyone asks for is mip-mapped and repeating.
  folder.writeBmp24("after_sky.bmp", {9, 9, 9});
  tm->mipmapping = false;
  KR_SkyBox other(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), nullptr, nullptr);
  GLuint next = GLuint(tm->getTexture("after_sky.bmp", this, false));
  ASSERT_NE(next, 0u);
  textureSetUp(next, minFilter, wrap, level1);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(wrap, GL_REPEAT);
  EXPECT_EQ(level1, 2);
  tm->removeTextures(this);
}

TEST_F(SkyBoxGL, DestructionDeletesTheListButKeepsTheTextures) {
  auto n = writeFaces("keep");
  KR_TextureManager* tm = KR_TextureManager::getInstance();
  GLuint list, front;
  {
    koratest::startRecording();
    KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), nullptr, nullptr);
    koratest::stopRecording();
    list = sky.getDisplayList();
    front = listedTexture(0);
    EXPECT_TRUE(glIsList(list));
  }
  EXPECT_FALSE(glIsList(list));
  EXPECT_TRUE(glIsTexture(front));
  koratest::startRecording();
  EXPECT_EQ(tm->getTexture(n[0], this, false), int(front));
  koratest::stopRecording();
  EXPECT_EQ(koratest::countCalls("glGenTextures"), 0u);  // not loaded again
  tm->removeTextures(this);
}

TEST_F(SkyBoxGL, MissingFaceStillDrawsItsQuad) {
  auto n = writeFaces("gap");
  mirvotest::captureStderr();
  koratest::startRecording();
  KR_SkyBox sky(n[0].c_str(), "no_such_face.bmp", n[2].c_str(), n[3].c_str(), nullptr, nullptr);
  koratest::stopRecording();
  std::string err = mirvotest::capturedStderr();
  EXPECT_NE(err.find("Error: Unable to get texture no_such_face.bmp"), std::string::npos);
  std::vector<koratest::GLCall> binds;
  for (const auto& c : koratest::recordedListContents())
    if (c.name == "glBindTexture") binds.push_back(c);
  ASSERT_EQ(binds.size(), 4u);
  EXPECT_EQ(binds[1].args[1], 0.0);
}

TEST_F(SkyBoxGL, DrawnAtAPointTheCubeSpansOneEitherSide) {
  auto n = writeFaces("place");
  // As an application has it: depth test, lighting and culling on, so the list turns them off.
  KR_GLState* state = KR_GLState::getInstance();
  state->enableDepthTest();
  state->enableLighting();
  state->enableCulling();
  KR_SkyBox sky(n[0].c_str(), n[1].c_str(), n[2].c_str(), n[3].c_str(), n[4].c_str(), n[5].c_str());
  koratest::startRecording();
  sky.drawSkyBox(KR_Point3D(10, 2, -5));
  koratest::stopRecording();
  EXPECT_EQ(koratest::recordedNames(), (std::vector<std::string>{"glPushMatrix", "glTranslatef",
                                                                 "glCallList", "glPopMatrix"}));
  EXPECT_EQ(koratest::recordedCalls("glTranslatef")[0].str(), "glTranslatef(10, 2, -5)");

  // Looking down -z with x 5 .. 15 and y -3 .. 7 across the 640 x 480 window: 64 pixels per
  // unit across, 48 up. The back face (blue), drawn after the front one, covers x 9 .. 11, y 1
  // .. 3.
  glViewport(0, 0, width_, height_);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(5, 15, -3, 7, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sky.drawSkyBox(KR_Point3D(10, 2, -5));
  unsigned char p[4];
  colourAt(260, 196, p);
  EXPECT_EQ(p[2], 255) << "inside, lower left";
  EXPECT_EQ(p[0], 0);
  colourAt(380, 284, p);
  EXPECT_EQ(p[2], 255) << "inside, upper right";
  colourAt(250, 240, p);
  EXPECT_EQ(p[2], 0) << "left of x = 9";
  colourAt(390, 240, p);
  EXPECT_EQ(p[2], 0) << "right of x = 11";
  colourAt(320, 186, p);
  EXPECT_EQ(p[2], 0) << "below y = 1";
  colourAt(320, 294, p);
  EXPECT_EQ(p[2], 0) << "above y = 3";

  // Looking along -x (view x = world z): the left face (yellow), drawn last of the two side
  // faces, covers z -6 .. -4, shown at x -10 .. 0.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10, 0, -3, 7, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(90, 0, 1, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  sky.drawSkyBox(KR_Point3D(10, 2, -5));
  colourAt(260, 240, p);
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 255);
  EXPECT_EQ(p[2], 0);
  colourAt(250, 240, p);
  EXPECT_EQ(p[0], 0) << "beyond z = -6";
  colourAt(390, 240, p);
  EXPECT_EQ(p[0], 0) << "beyond z = -4";
}
