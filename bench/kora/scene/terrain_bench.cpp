// Terrain construction on the CPU (heights, quads, face and vertex normals), 50 hills, for
// growing grids; beside it the whole-list scan for vertex normals that the linear pass
// replaces, at 129 x 129, for the ratio.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "KR_TerrainMesh.h"
#include "terrain_normal_scan.h"

using namespace KORA;

namespace {

const int HILLS = 50;

void TerrainConstruction(benchmark::State& state) {
  int n = int(state.range(0));
  for (auto _ : state) {
    srandom(1);
    KR_TerrainMesh mesh(n, n, HILLS, 1.0f, 20);
    benchmark::DoNotOptimize(mesh.at(n / 2, n / 2).normal.data[1]);
  }
  state.counters["vertices"] = double(n) * n;
}
BENCHMARK(TerrainConstruction)->Arg(129)->Arg(257)->Arg(513)->Unit(benchmark::kMillisecond);

// Both normal passes on the same mesh, construction outside the timing.
void VertexNormalsLinear(benchmark::State& state) {
  int n = int(state.range(0));
  srandom(1);
  KR_TerrainMesh mesh(n, n, HILLS, 1.0f, 20);
  for (auto _ : state) {
    mesh.computeVertexNormals();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(VertexNormalsLinear)->Arg(129)->Arg(257)->Arg(513)->Unit(benchmark::kMillisecond);

void VertexNormalsWholeListScan(benchmark::State& state) {
  int n = int(state.range(0));
  srandom(1);
  KR_TerrainMesh mesh(n, n, HILLS, 1.0f, 20);
  for (auto _ : state) {
    computeVertexNormalsByScan(mesh);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(VertexNormalsWholeListScan)->Arg(129)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
