// parallel_count.cpp - counts, so that the figures can be repeated:
//  1. how many of N pairs (a, a*s) of exactly parallel vectors KR_Vector3D::crossProduct
//     refuses, and what it makes of the rest (a NaN angle, or a finite one);
//     The same for exactly parallel pairs, and for the camera's parallel-up test;
//  2. how many terrain normals are NaN: on the demo's terrain (97 x 97, 60 hills, resolution
//     5, scale 40, the random sequence the demo starts from without --seed) and over a sweep
//     of seeds and sizes.
//
//   kora_parallel_count [PAIRS] [SEEDS]     (defaults 100000 and 20)
#include <KORA/KR_Vector3D.h>
#include "KR_TerrainMesh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace KORA;

namespace {

bool isNaN(const KR_Vector3D& v) {
  return std::isnan(v.data[0]) || std::isnan(v.data[1]) || std::isnan(v.data[2]);
}

struct TerrainCount {
  long nanVertices = 0;  // vertices whose normal has a NaN component
  long nanCalls = 0;     // quad corners drawn with such a normal (glNormal3fv calls)
  long nanFaces = 0;     // quads whose face normal has a NaN component
};

TerrainCount countTerrain(int size, unsigned seed, int hills) {
  srandom(seed);
  KR_TerrainMesh mesh(size, size, hills, 5.0f, 40);
  TerrainCount c;
  for (int k = 0; k < mesh.rowCount(); ++k)
    for (int l = 0; l < mesh.columnCount(); ++l)
      if (isNaN(mesh.at(k, l).normal)) ++c.nanVertices;
  for (const KR_Quad& q : mesh.quadList()) {
    if (isNaN(q.normal)) ++c.nanFaces;
    for (const KR_Vertex* v : q.vertices)
      if (isNaN(v->normal)) ++c.nanCalls;
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  const long pairs = argc > 1 ? std::atol(argv[1]) : 100000;
  const unsigned seeds = argc > 2 ? unsigned(std::atol(argv[2])) : 20;

  // Components uniform in [-100, 100], scale factor uniform in [-10, 10] (never 0), a fixed
  // generator seed: the same pairs on every run.
  std::mt19937 gen(20261208);
  std::uniform_real_distribution<float> component(-100.0f, 100.0f), factor(-10.0f, 10.0f);
  long refused = 0, nanAngle = 0, finiteAngle = 0, nanProduct = 0;
  for (long i = 0; i < pairs; ++i) {
    KR_Vector3D a(component(gen), component(gen), component(gen));
    float s = 0;
    while (s == 0) s = factor(gen);
    KR_Vector3D b = a * s;
    const float angle = a.getDegreesBetween(b);
    KR_Vector3D c = a;
    if (!c.crossProduct(b)) {
      ++refused;
      continue;
    }
    if (std::isnan(angle))
      ++nanAngle;
    else
      ++finiteAngle;
    c.normalize();
    if (isNaN(c)) ++nanProduct;
  }
  std::printf("parallel pairs (a, a*s): %ld\n", pairs);
  std::printf("  refused by crossProduct:        %ld (%.1f %%)\n", refused,
              100.0 * double(refused) / double(pairs));
  std::printf("  accepted with a NaN angle:      %ld\n", nanAngle);
  std::printf("  accepted with a finite angle:   %ld\n", finiteAngle);
  std::printf("  accepted, NaN once normalised:  %ld\n", nanProduct);

  // The same with power-of-two factors, which scale without rounding: exactly parallel pairs.
  long exactRefused = 0;
  std::uniform_int_distribution<int> exponent(-12, 12);
  for (long i = 0; i < pairs; ++i) {
    KR_Vector3D a(component(gen), component(gen), component(gen));
    KR_Vector3D c = a;
    if (!c.crossProduct(a * std::ldexp(i % 2 ? 1.0f : -1.0f, exponent(gen)))) ++exactRefused;
  }
  std::printf("exactly parallel pairs (a, a*2^k): %ld refused of %ld\n", exactRefused, pairs);

  // The camera's steps 5 to 7 with an up vector parallel to n = eye - look (a random float
  // factor): how often the message is printed, and how often u or v ends up NaN.
  long setUps = 2000, messages = 0, nanBasis = 0;
  for (long i = 0; i < setUps; ++i) {
    KR_Vector3D n(component(gen), component(gen), component(gen));
    float s = 0;
    while (s == 0) s = factor(gen);
    KR_Vector3D u = n * s;
    if (!u.crossProduct(n)) ++messages;
    n.normalize();
    u.normalize();
    KR_Vector3D v = n;
    v.crossProduct(u);
    if (isNaN(u) || isNaN(v)) ++nanBasis;
  }
  std::printf("camera with parallel up (a*s): message in %ld of %ld set-ups, NaN basis in %ld\n",
              messages, setUps, nanBasis);

  TerrainCount demo = countTerrain(97, 1, 60);
  std::printf("demo terrain 97 x 97, 60 hills, seed 1 (the default sequence):\n");
  std::printf("  NaN face normals %ld, NaN vertex normals %ld, glNormal3fv calls with NaN %ld\n",
              demo.nanFaces, demo.nanVertices, demo.nanCalls);

  long terrains = 0, withNaN = 0, calls = 0;
  for (int size = 33; size <= 129; size += 16)
    for (unsigned seed = 1; seed <= seeds; ++seed) {
      TerrainCount c = countTerrain(size, seed, 60);
      ++terrains;
      if (c.nanCalls > 0) ++withNaN;
      calls += c.nanCalls;
    }
  std::printf(
      "sweep: sizes 33..129 step 16 x seeds 1..%u, 60 hills: %ld of %ld terrains have NaN normals"
      " (%ld glNormal3fv calls with NaN)\n",
      seeds, withNaN, terrains, calls);
  return 0;
}
