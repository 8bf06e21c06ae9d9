// The 3D ray: transformation, reflection, unit-sphere intersection and drawing.
#include <KORA/KR_Ray3D.h>

#include <random>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "kora_gl.h"

using namespace KORA;

namespace {

KR_Ray3D ray(float sx, float sy, float sz, float dx, float dy, float dz) {
  return KR_Ray3D(KR_Point3D(sx, sy, sz), KR_Vector3D(dx, dy, dz));
}

const KR_Matrix3D identity;

TEST(RaySphere, HitsAheadMeasuredInDirectionLengths) {
  EXPECT_FLOAT_EQ(ray(0, 0, -5, 0, 0, 1).sphere_intersection(identity), 4.0f);
  EXPECT_FLOAT_EQ(ray(0, 0, -5, 0, 0, 2).sphere_intersection(identity), 2.0f);
}

TEST(RaySphere, FromInsideTheFarRootCounts) {
  EXPECT_FLOAT_EQ(ray(0, 0, 0, 1, 0, 0).sphere_intersection(identity), 1.0f);
}

TEST(RaySphere, BehindAndBesideAreMisses) {
  EXPECT_EQ(ray(0, 0, 5, 0, 0, 1).sphere_intersection(identity), 0.0f);
  EXPECT_EQ(ray(0, 2, -5, 0, 0, 1).sphere_intersection(identity), 0.0f);
}

TEST(RaySphere, GrazingRayReturnsItsSingleRoot) {
  EXPECT_FLOAT_EQ(ray(0, 1, -5, 0, 0, 1).sphere_intersection(identity), 5.0f);
}

TEST(RaySphere, StartOnTheSurfaceIgnoresTheRootAtTheStart) {
  // t1 = 0 is too close; the exit at t = 2 counts.
  EXPECT_FLOAT_EQ(ray(0, 0, -1, 0, 0, 1).sphere_intersection(identity), 2.0f);
}

// In float, t1 here rounds to 1.000055e-4, just past the bound; unrounded it lies at or below
// 0.0001, so the hit is the far root.
TEST(RaySphere, TheNearRootIsComparedBeforeRounding) {
  const float t = ray(0, 0, -1.00022352f, 0, 0, 2.23539233f).sphere_intersection(identity);
  EXPECT_NEAR(t, 0.8948f, 1e-4);
  // The root itself, checked independently: the exit point lies on the unit sphere.
  EXPECT_NEAR(-1.00022352 + double(t) * 2.23539233, 1.0, 1e-6);
}

TEST(RaySphere, ZeroDirectionNeverHits) {
  EXPECT_EQ(ray(0, 0, -5, 0, 0, 0).sphere_intersection(identity), 0.0f);
}

TEST(RaySphere, MatrixPlacesTheSphere) {
  EXPECT_FLOAT_EQ(ray(0, 0, -5, 0, 0, 1).sphere_intersection(KR_Matrix3D(SCALING_MATRIX, 2, 2, 2)),
                  3.0f);
  EXPECT_FLOAT_EQ(
      ray(0, 0, -5, 0, 0, 1).sphere_intersection(KR_Matrix3D(TRANSLATION_MATRIX, 0, 0, 3)), 7.0f);
  EXPECT_EQ(ray(0, 0, -5, 0, 0, 1).sphere_intersection(KR_Matrix3D(TRANSLATION_MATRIX, 3, 0, 0)),
            0.0f);
}

TEST(RaySphere, MatrixWithoutAnInverseIsAMiss) {
  // Carried by the matrix itself these rays would hit (at 4 and at 3).
  KR_Matrix3D notAffine;
  notAffine.data[3] = 0.5f;
  EXPECT_EQ(ray(0, 0, -5, 0, 0, 1).sphere_intersection(notAffine), 0.0f);
  // A sphere flattened to a disc has no inside to hit.
  const KR_Matrix3D flat(SCALING_MATRIX, 0, 1, 1);
  EXPECT_EQ(ray(0, 0, -5, 0, 0, 1).sphere_intersection(flat), 0.0f);
}

TEST(RaySphere, HitPointLiesOnTheTransformedSphere) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> angle(-180, 180), scale(0.5f, 2), move(-3, 3);
  for (int round = 0; round < 200; ++round) {
    glm::mat4 g(1.0f);
    g = glm::translate(g, glm::vec3(move(rng), move(rng), move(rng)));
    g = glm::rotate(g, glm::radians(angle(rng)),
                    glm::normalize(glm::vec3(move(rng), 1.0f, move(rng))));
    g = glm::scale(g, glm::vec3(scale(rng), scale(rng), scale(rng)));
    const glm::vec3 target(g * glm::vec4(move(rng) / 6, move(rng) / 6, move(rng) / 6, 1));
    const glm::vec3 from(move(rng) * 5, move(rng) * 5, 20);
    const glm::vec3 dir = target - from;
    const KR_Ray3D r = ray(from.x, from.y, from.z, dir.x, dir.y, dir.z);
    const float t = r.sphere_intersection(KR_Matrix3D(glm::value_ptr(g)));
    ASSERT_GT(t, 0.0f) << "round " << round << ": the ray aims inside the sphere";
    const glm::vec3 local(glm::inverse(g) * glm::vec4(from + t * dir, 1));
    EXPECT_NEAR(glm::length(local), 1.0f, 2e-3f) << "round " << round;
  }
}

TEST(RayTransform, PointMovesDirectionOnlyTurns) {
  const KR_Ray3D r = ray(1, 1, 1, 0, 0, 1);
  const KR_Ray3D moved = r.createInverseTransformedRay(KR_Matrix3D(TRANSLATION_MATRIX, 1, 2, 3));
  EXPECT_EQ(moved.start.data[0], 2.0f);
  EXPECT_EQ(moved.start.data[1], 3.0f);
  EXPECT_EQ(moved.start.data[2], 4.0f);
  EXPECT_EQ(moved.direction.data[2], 1.0f);
  EXPECT_EQ(moved.direction.data[0], 0.0f);
  EXPECT_EQ(r.start.data[0], 1.0f);  // the ray itself is unchanged
  const KR_Ray3D scaled = r.createInverseTransformedRay(KR_Matrix3D(SCALING_MATRIX, 2, 3, 4));
  EXPECT_EQ(scaled.start.data[2], 4.0f);
  EXPECT_EQ(scaled.direction.data[2], 4.0f);
}

TEST(RayReflection, MirrorsAboutTheNormalAtTheTip) {
  const KR_Ray3D r = ray(0, 0, 0, 1, -1, 0);
  const KR_Ray3D m = r.createReflectedRay(KR_Vector3D(0, 1, 0));
  EXPECT_EQ(m.start.data[0], 1.0f);
  EXPECT_EQ(m.start.data[1], -1.0f);
  EXPECT_EQ(m.start.data[2], 0.0f);
  EXPECT_EQ(m.direction.data[0], 1.0f);
  EXPECT_EQ(m.direction.data[1], 1.0f);
  EXPECT_EQ(m.direction.data[2], 0.0f);
  // A normal that is not unit length is used as given: k = 2 (d . n).
  const KR_Ray3D s = ray(0, 0, 0, 0, -1, 0).createReflectedRay(KR_Vector3D(0, 2, 0));
  EXPECT_EQ(s.direction.data[1], 7.0f);  // -1 - 2 * (-2) * 2
}

TEST(RayDefault, StartsAtTheOriginWithNoDirection) {
  const KR_Ray3D r;
  EXPECT_EQ(r.start.data[0], 0.0f);
  EXPECT_EQ(r.start.data[3], 1.0f);
  EXPECT_EQ(r.direction.length(), 0.0f);
}

class RayDrawing : public koratest::GLTest {};

TEST_F(RayDrawing, DrawsOneLineFromStartToTip) {
  koratest::startRecording();
  ray(1, 2, 3, 4, 5, 6).draw();
  koratest::stopRecording();
  const auto& calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 4u) << koratest::recordedText();
  EXPECT_EQ(calls[0].name, "glBegin");
  EXPECT_EQ(calls[0].args, std::vector<double>{GL_LINES});
  EXPECT_EQ(calls[1].name, "glVertex3fv");
  EXPECT_EQ(calls[1].args, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(calls[2].args, (std::vector<double>{5, 7, 9}));
  EXPECT_EQ(calls[3].name, "glEnd");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
