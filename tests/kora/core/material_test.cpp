// The material: defaults, assignment, loading into GL.
#include <KORA/KR_Material.h>

#include "kora_gl.h"

using namespace KORA;

namespace {

void expectColor(const KR_Color& c, float r, float g, float b, float a) {
  EXPECT_EQ(c.components[0], r);
  EXPECT_EQ(c.components[1], g);
  EXPECT_EQ(c.components[2], b);
  EXPECT_EQ(c.components[3], a);
}

TEST(MaterialSetDefault, RestoresColoursButNotAlphaOrTransparency) {
  KR_Material m;
  m.ambient = KR_Color{{0.5f, 0.6f, 0.7f, 0.2f}};
  m.diffuse = KR_Color{{0, 0, 0, 0.3f}};
  m.specular = KR_Color{{1, 1, 1, 0.4f}};
  m.emissive = KR_Color{{1, 0, 1, 0.5f}};
  m.specularExponent = 64;
  m.setTransparency(0.25f);
  m.setDefault();
  expectColor(m.ambient, 0.11f, 0.11f, 0.11f, 0.2f);
  expectColor(m.diffuse, 0.75f, 0.75f, 0.75f, 0.3f);
  expectColor(m.specular, 0, 0, 0, 0.4f);
  expectColor(m.emissive, 0, 0, 0, 0.5f);
  EXPECT_EQ(m.specularExponent, 0.0f);
  EXPECT_EQ(m.getTransparency(), 0.25f);
}

TEST(MaterialAssignment, CopiesColoursAndExponentButKeepsItsOwnTransparency) {
  KR_Material a, b;
  a.diffuse = KR_Color{{0.1f, 0.2f, 0.3f, 0.4f}};
  a.specularExponent = 12;
  a.setTransparency(0.5f);
  b.setTransparency(0.9f);
  b = a;
  expectColor(b.diffuse, 0.1f, 0.2f, 0.3f, 0.4f);
  EXPECT_EQ(b.specularExponent, 12.0f);
  EXPECT_EQ(b.getTransparency(), 0.9f);
  KR_Material& alias = b;
  b = alias;
  expectColor(b.diffuse, 0.1f, 0.2f, 0.3f, 0.4f);
}

class MaterialGL : public koratest::GLTest {};

TEST_F(MaterialGL, LoadsBothFacesInOrder) {
  KR_Material m;
  m.specular = KR_Color{{0.2f, 0.3f, 0.4f, 1}};
  m.specularExponent = 20;
  koratest::startRecording();
  m.initMaterialGL();
  koratest::stopRecording();
  const auto& calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 5u) << koratest::recordedText();
  const GLenum pnames[5] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(calls[i].name, i < 4 ? "glMaterialfv" : "glMaterialf");
    EXPECT_EQ(calls[i].args.at(0), GL_FRONT_AND_BACK);
    EXPECT_EQ(calls[i].args.at(1), pnames[i]);
  }
  EXPECT_EQ(calls[0].args.at(2), 0.11f);
  EXPECT_EQ(calls[2].args.at(3), 0.3f);
  EXPECT_EQ(calls[4].args.at(2), 20.0f);
  GLfloat back[4];
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, back);
  EXPECT_EQ(back[0], 0.75f);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, back);
  EXPECT_EQ(back[0], 20.0f);
}

// A fresh material, loaded, lights as the documented grey: what GL holds afterwards, not
// what the members say.
TEST_F(MaterialGL, DefaultMaterialLoadsTheDocumentedColoursIntoGL) {
  const float grey[4] = {0.11f, 0.11f, 0.11f, 1}, light[4] = {0.75f, 0.75f, 0.75f, 1},
              none[4] = {0, 0, 0, 1};
  struct {
    GLenum pname;
    const float* expected;
  } colours[] = {{GL_AMBIENT, grey}, {GL_DIFFUSE, light}, {GL_SPECULAR, none}, {GL_EMISSION, none}};
  // Something else first, so that the load has to change every value.
  const float other[4] = {0.5f, 0.25f, 0.125f, 0.5f};
  for (const auto& c : colours) glMaterialfv(GL_FRONT_AND_BACK, c.pname, other);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 33);
  KR_Material().initMaterialGL();
  for (GLenum face : {GL_FRONT, GL_BACK}) {
    for (const auto& c : colours) {
      GLfloat got[4];
      glGetMaterialfv(face, c.pname, got);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], c.expected[i]) << c.pname << " " << i;
    }
    GLfloat shininess = -1;
    glGetMaterialfv(face, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 0.0f);
  }
}

}  // namespace
