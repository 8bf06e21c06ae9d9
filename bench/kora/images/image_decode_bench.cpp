// Decode time of KR_Image::loadImage against its peers for the same result, a 32-bit RGBA
// picture: SDL_image (IMG_Load, then conversion to an RGBA surface) and stb_image asked for RGBA
// (BMP only), on the same 4096 x 4096 files in the same run: 24-bit, 8-bit raw and RLE8 BMP,
// 8-bit and 24-bit PCX, read from the (warm) page cache. Every benchmark runs seven
// repetitions; after the table KORA's time is printed as a fraction of each peer's (below 1.0
// means KORA is faster), from the median CPU times, with the spread, and beside it the floor:
// what any reader pays that reads the whole file into a fresh buffer and allocates a fresh
// RGBA raster, without decoding (the kernel's first touch of both blocks dominates it).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <KORA/KR_Image.h>
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stb_image.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "picture_writer.h"

namespace {

using picture::Bytes;
const int SIDE = 4096;
std::string scratch;

// Test picture: the left half in runs of eight pixels, the right half noisy, as textures mix.
std::uint8_t indexAt(int x, int y) {
  if (x < SIDE / 2) return std::uint8_t((x >> 3) + (y >> 4));
  std::uint32_t h = std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u;
  return std::uint8_t((h >> 13) & 255);
}
void rgbAt(int x, int y, std::uint8_t out[3]) {
  const std::uint8_t i = indexAt(x, y);
  out[0] = std::uint8_t(i * 13);
  out[1] = std::uint8_t(i * 101 + y);
  out[2] = std::uint8_t(i * 7 + 50);
}

std::vector<picture::Rgb> palette() {  // index i -> (13 i, 101 i, 7 i + 50)
  std::vector<picture::Rgb> p;
  for (int i = 0; i < 256; ++i)
    p.push_back({std::uint8_t(i * 13), std::uint8_t(i * 101), std::uint8_t(i * 7 + 50)});
  return p;
}
std::vector<std::uint8_t> indices() {
  std::vector<std::uint8_t> v;
  v.reserve(std::size_t(SIDE) * SIDE);
  for (int y = 0; y < SIDE; ++y)
    for (int x = 0; x < SIDE; ++x) v.push_back(indexAt(x, y));
  return v;
}
std::vector<picture::Rgb> colours() {
  std::vector<picture::Rgb> v;
  v.reserve(std::size_t(SIDE) * SIDE);
  for (int y = 0; y < SIDE; ++y)
    for (int x = 0; x < SIDE; ++x) {
      std::uint8_t c[3];
      rgbAt(x, y, c);
      v.push_back({c[0], c[1], c[2]});
    }
  return v;
}

Bytes bmp24() { return picture::bmp24(SIDE, SIDE, colours().data()); }
Bytes bmp8() { return picture::bmp8(SIDE, SIDE, indices().data(), palette().data()); }
Bytes bmpRle8() { return picture::bmpRle8(SIDE, SIDE, indices().data(), palette().data()); }
Bytes pcx8() { return picture::pcx8(SIDE, SIDE, indices().data(), palette().data()); }
Bytes pcx24() { return picture::pcx24(SIDE, SIDE, colours().data()); }

struct File {
  const char* name;
  Bytes (*make)();
  bool stb;  // stb_image reads it
};
const File FILES[] = {{"bmp24.bmp", bmp24, true},
                      {"bmp8raw.bmp", bmp8, true},
                      {"bmp8rle.bmp", bmpRle8, false},
                      {"pcx8.pcx", pcx8, false},
                      {"pcx24.pcx", pcx24, false}};

std::string pathOf(const File& f) { return scratch + "/" + f.name; }

void setRate(benchmark::State& state) {
  state.counters["MPix/s"] = benchmark::Counter(
      double(SIDE) * SIDE * 1e-6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void kora(benchmark::State& state, const File* f) {
  const std::string path = pathOf(*f);
  for (auto _ : state) {
    KORA::KR_Image image;
    if (!image.loadImage(path)) {
      state.SkipWithError("KR_Image::loadImage failed");
      break;
    }
    benchmark::DoNotOptimize(image.data());
  }
  setRate(state);
}

// The part of a load that no decoder avoids: one read of the whole file into a fresh buffer, as
// KR_Image reads it, and a fresh raster of default (opaque black) pixels.
void floorOf(benchmark::State& state, const File* f) {
  const std::string path = pathOf(*f);
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
      if (fd >= 0) close(fd);
      state.SkipWithError("cannot read the file");
      break;
    }
    std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[std::size_t(st.st_size) + 1]);
    const ssize_t n = read(fd, file.get(), std::size_t(st.st_size) + 1);
    close(fd);
    std::unique_ptr<KORA::KR_RGBA[]> raster(new KORA::KR_RGBA[std::size_t(SIDE) * SIDE]);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(file.get());
    benchmark::DoNotOptimize(raster.get());
  }
  setRate(state);
}

// IMG_Load followed by conversion to 32-bit RGBA: SDL_image's cost for what KR_Image delivers
// (IMG_Load alone returns 8-bit pictures as a paletted surface of a quarter of the bytes).
void sdlRgba(benchmark::State& state, const File* f) {
  const std::string path = pathOf(*f);
  SDL_PixelFormat rgba = {};
  rgba.BitsPerPixel = 32;
  rgba.BytesPerPixel = 4;
  const bool little = SDL_BYTEORDER == SDL_LIL_ENDIAN;
  rgba.Rmask = little ? 0x000000FF : 0xFF000000;
  rgba.Gmask = little ? 0x0000FF00 : 0x00FF0000;
  rgba.Bmask = little ? 0x00FF0000 : 0x0000FF00;
  rgba.Amask = little ? 0xFF000000 : 0x000000FF;
  rgba.Rshift = little ? 0 : 24;
  rgba.Gshift = little ? 8 : 16;
  rgba.Bshift = little ? 16 : 8;
  rgba.Ashift = little ? 24 : 0;
  rgba.alpha = 255;
  for (auto _ : state) {
    SDL_Surface* s = IMG_Load(path.c_str());
    if (s == nullptr) {
      state.SkipWithError("IMG_Load failed");
      break;
    }
    SDL_Surface* converted = SDL_ConvertSurface(s, &rgba, SDL_SWSURFACE);
    benchmark::DoNotOptimize(converted);
    SDL_FreeSurface(converted);
    SDL_FreeSurface(s);
  }
  setRate(state);
}

void stb(benchmark::State& state, const File* f) {
  const std::string path = pathOf(*f);
  for (auto _ : state) {
    int w, h, n;
    stbi_uc* p = stbi_load(path.c_str(), &w, &h, &n, 4);  // RGBA, as KR_Image holds it
    if (p == nullptr) {
      state.SkipWithError("stbi_load failed");
      break;
    }
    benchmark::DoNotOptimize(p);
    stbi_image_free(p);
  }
  setRate(state);
}

const int REPETITIONS = 7;

// Per benchmark the median CPU time of the repetitions and its spread (fastest and slowest
// repetition), taken from the aggregates, which every output mode reports.
struct Figures {
  double median = 0, min = 0, max = 0;
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, Figures> figures;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Aggregate) continue;
      Figures& f = figures[run.run_name.function_name];
      const double t = run.GetAdjustedCPUTime();  // steadier than wall time on a shared machine
      if (run.aggregate_name == "median") f.median = t;
      if (run.aggregate_name == "min") f.min = t;
      if (run.aggregate_name == "max") f.max = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

double smallest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double largest(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/kora_images_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  scratch = pattern;
  for (const File& f : FILES) {
    const Bytes b = f.make();
    std::ofstream(pathOf(f), std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  }
  auto add = [](const std::string& name, void (*fn)(benchmark::State&, const File*),
                const File* f) {
    benchmark::RegisterBenchmark(name.c_str(), fn, f)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(REPETITIONS)
        ->ComputeStatistics("min", smallest)
        ->ComputeStatistics("max", largest);
  };
  for (const File& f : FILES) {
    add(std::string("KORA/") + f.name, kora, &f);
    add(std::string("SDL_image+RGBA/") + f.name, sdlRgba, &f);
    if (f.stb) add(std::string("stb_image/") + f.name, stb, &f);
    add(std::string("floor/") + f.name, floorOf, &f);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf(
      "\nKORA's time as a fraction of the peer's, medians of %d repetitions (same files,\n"
      "same run); in brackets the spread from the fastest and slowest repetitions; last\n"
      "the floor (fresh file buffer and raster, no decoding) as a fraction of the peer's:\n",
      REPETITIONS);
  for (const File& f : FILES) {
    const auto k = reporter.figures.find(std::string("KORA/") + f.name);
    if (k == reporter.figures.end()) continue;
    const auto fl = reporter.figures.find(std::string("floor/") + f.name);
    const double floor_ms = fl == reporter.figures.end() ? 0.0 : fl->second.median;
    for (const char* peer : {"SDL_image+RGBA/", "stb_image/"}) {
      const auto p = reporter.figures.find(std::string(peer) + f.name);
      if (p == reporter.figures.end()) continue;
      const Figures& a = k->second;
      const Figures& b = p->second;
      std::printf(
          "  %-12s vs %-15s %5.2f  [%4.2f .. %4.2f]   KORA %6.2f ms, peer %6.2f ms, floor %6.2f ms"
          " (%4.2f)\n",
          f.name, peer, a.median / b.median, a.min / b.max, a.max / b.min, a.median, b.median,
          floor_ms, floor_ms / b.median);
    }
  }
  std::filesystem::remove_all(scratch);
  return 0;
}
