// KORA's matrix, vector, point and ray operations against GLM's equivalents. After the
// Google Benchmark table, a ratio table prints KORA time / GLM time for each pair.
#include <KORA/KR_Matrix3D.h>
#include <KORA/KR_Ray3D.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

using namespace KORA;

namespace {

// A rotation with translation: products of such matrices stay bounded.
glm::mat4 glmAffine(float angle, float x) {
  glm::mat4 g = glm::translate(glm::mat4(1.0f), glm::vec3(x, -x, 0.5f * x));
  return glm::rotate(g, glm::radians(angle), glm::normalize(glm::vec3(1.0f, 2.0f, 3.0f)));
}

KR_Matrix3D koraAffine(float angle, float x) {
  glm::mat4 g = glmAffine(angle, x);
  return KR_Matrix3D(glm::value_ptr(g));
}

void KORA_matrix_product(benchmark::State& st) {
  KR_Matrix3D a = koraAffine(10, 0.1f);
  const KR_Matrix3D b = koraAffine(0.5f, 0);
  for (auto _ : st) {
    a *= b;
    benchmark::DoNotOptimize(a.data);
  }
}
void GLM_matrix_product(benchmark::State& st) {
  glm::mat4 a = glmAffine(10, 0.1f);
  const glm::mat4 b = glmAffine(0.5f, 0);
  for (auto _ : st) {
    a = a * b;
    benchmark::DoNotOptimize(glm::value_ptr(a));
  }
}

void KORA_preMultiply(benchmark::State& st) {
  KR_Matrix3D a = koraAffine(10, 0.1f);
  const KR_Matrix3D b = koraAffine(0.5f, 0);
  for (auto _ : st) {
    a.preMultiply(b);
    benchmark::DoNotOptimize(a.data);
  }
}
void GLM_preMultiply(benchmark::State& st) {
  glm::mat4 a = glmAffine(10, 0.1f);
  const glm::mat4 b = glmAffine(0.5f, 0);
  for (auto _ : st) {
    a = b * a;
    benchmark::DoNotOptimize(glm::value_ptr(a));
  }
}

void KORA_inverse(benchmark::State& st) {
  const KR_Matrix3D m = koraAffine(33, 2);
  for (auto _ : st) {
    KR_Matrix3D c(m);
    benchmark::DoNotOptimize(c.data);
    benchmark::DoNotOptimize(c.inverse());
    benchmark::DoNotOptimize(c.data);
  }
}
void GLM_inverse(benchmark::State& st) {
  glm::mat4 m = glmAffine(33, 2);
  for (auto _ : st) {
    benchmark::DoNotOptimize(glm::value_ptr(m));
    glm::mat4 c = glm::inverse(m);
    benchmark::DoNotOptimize(glm::value_ptr(c));
  }
}

void KORA_crossProduct(benchmark::State& st) {
  const KR_Vector3D b(0.3f, 1, -0.2f);
  for (auto _ : st) {
    KR_Vector3D a(1, 0.5f, 0.25f);
    benchmark::DoNotOptimize(a.data);
    benchmark::DoNotOptimize(a.crossProduct(b));
    benchmark::DoNotOptimize(a.data);
  }
}
void GLM_crossProduct(benchmark::State& st) {
  const glm::vec3 b(0.3f, 1, -0.2f);
  for (auto _ : st) {
    glm::vec3 a(1, 0.5f, 0.25f);
    benchmark::DoNotOptimize(glm::value_ptr(a));
    a = glm::cross(a, b);
    benchmark::DoNotOptimize(glm::value_ptr(a));
  }
}

void KORA_normalize(benchmark::State& st) {
  for (auto _ : st) {
    KR_Vector3D a(3, 4, 12);
    benchmark::DoNotOptimize(a.data);
    a.normalize();
    benchmark::DoNotOptimize(a.data);
  }
}
void GLM_normalize(benchmark::State& st) {
  for (auto _ : st) {
    glm::vec3 a(3, 4, 12);
    benchmark::DoNotOptimize(glm::value_ptr(a));
    a = glm::normalize(a);
    benchmark::DoNotOptimize(glm::value_ptr(a));
  }
}

void KORA_point_times_matrix(benchmark::State& st) {
  const KR_Matrix3D m = koraAffine(1, 0);
  KR_Point3D p(1, 2, 3);
  for (auto _ : st) {
    p *= m;
    benchmark::DoNotOptimize(p.data);
  }
}
void GLM_point_times_matrix(benchmark::State& st) {
  const glm::mat4 m = glmAffine(1, 0);
  glm::vec4 p(1, 2, 3, 1);
  for (auto _ : st) {
    p = m * p;
    benchmark::DoNotOptimize(glm::value_ptr(p));
  }
}

void KORA_ray_sphere(benchmark::State& st) {
  const KR_Matrix3D m = koraAffine(20, 0.5f);
  const KR_Ray3D ray(KR_Point3D(0.2f, 0.1f, -8), KR_Vector3D(0, 0, 1));
  for (auto _ : st) benchmark::DoNotOptimize(ray.sphere_intersection(m));
}
// The same algorithm written with GLM: invert, carry the ray, solve the quadratic.
float glmSphere(const glm::mat4& m, const glm::vec3& start, const glm::vec3& dir) {
  const glm::mat4 inv = glm::inverse(m);
  const glm::vec3 s(inv * glm::vec4(start, 1));
  const glm::vec3 d(inv * glm::vec4(dir, 0));
  const float a = glm::dot(d, d), b = glm::dot(s, d), c = glm::dot(s, s) - 1;
  const float disc = b * b - a * c;
  if (disc < 0) return 0;
  const float root = std::sqrt(disc);
  const float t1 = (-b - root) / a;
  if (t1 > 0.0001f) return t1;
  const float t2 = (-b + root) / a;
  return t2 > 0.0001f ? t2 : 0;
}
void GLM_ray_sphere(benchmark::State& st) {
  const glm::mat4 m = glmAffine(20, 0.5f);
  const glm::vec3 start(0.2f, 0.1f, -8), dir(0, 0, 1);
  for (auto _ : st) {
    benchmark::DoNotOptimize(glm::value_ptr(m));
    benchmark::DoNotOptimize(glmSphere(m, start, dir));
  }
}

#define PAIR(name)        \
  BENCHMARK(KORA_##name); \
  BENCHMARK(GLM_##name)
PAIR(matrix_product);
PAIR(preMultiply);
PAIR(inverse);
PAIR(crossProduct);
PAIR(normalize);
PAIR(point_times_matrix);
PAIR(ray_sphere);

// Collects the CPU time per run (the median when repeated) and prints KORA / GLM for each
// pair at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
        times_[r.run_name.str()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-20s %12s %12s %8s\n", "operation", "KORA ns", "GLM ns", "KORA/GLM");
    for (const auto& [name, t] : times_) {
      if (name.rfind("KORA_", 0) != 0) continue;
      const std::string op = name.substr(5);
      const auto peer = times_.find("GLM_" + op);
      if (peer == times_.end() || peer->second <= 0) continue;
      std::printf("%-20s %12.2f %12.2f %8.2f\n", op.c_str(), t, peer->second, t / peer->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
