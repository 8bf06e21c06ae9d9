// Decode throughput, in megapixels per second, of KR_Image::loadImage against SDL_image's
// IMG_Load and stb_image on the same 4096 x 4096 files in the same run: 24-bit, 8-bit raw and
// RLE8 BMP, 8-bit and 24-bit PCX. Every decoder reads the file from the (warm) page cache.
// After the table the ratios KORA / peer are printed from CPU times (above 1.0 means KORA is
// faster).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <KORA/KR_Image.h>
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <stb_image.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
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

void put(Bytes& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

Bytes bmpHeader(int bits, int compression) {
  Bytes b = {'B', 'M'};
  put(b, 0, 4);
  put(b, 0, 4);
  put(b, bits == 8 ? 1078 : 54, 4);
  put(b, 40, 4);
  put(b, SIDE, 4);
  put(b, SIDE, 4);
  put(b, 1, 2);
  put(b, std::uint32_t(bits), 2);
  put(b, std::uint32_t(compression), 4);
  put(b, 0, 4);
  put(b, 2835, 4);
  put(b, 2835, 4);
  put(b, bits == 8 ? 256 : 0, 4);
  put(b, 0, 4);
  if (bits == 8)
    for (int i = 0; i < 256; ++i) {
      b.push_back(std::uint8_t(i * 7 + 50));
      b.push_back(std::uint8_t(i * 101));
      b.push_back(std::uint8_t(i * 13));
      b.push_back(0);
    }
  return b;
}

Bytes bmp24() {
  Bytes b = bmpHeader(24, 0);
  for (int y = SIDE - 1; y >= 0; --y)
    for (int x = 0; x < SIDE; ++x) {
      std::uint8_t c[3];
      rgbAt(x, y, c);
      b.insert(b.end(), {c[2], c[1], c[0]});
    }
  return b;
}

Bytes bmp8() {
  Bytes b = bmpHeader(8, 0);
  for (int y = SIDE - 1; y >= 0; --y)
    for (int x = 0; x < SIDE; ++x) b.push_back(indexAt(x, y));
  return b;
}

Bytes bmpRle8() {
  Bytes b = bmpHeader(8, 1);
  std::vector<std::uint8_t> row(SIDE);
  for (int y = SIDE - 1; y >= 0; --y) {
    for (int x = 0; x < SIDE; ++x) row[x] = indexAt(x, y);
    int x = 0;
    while (x < SIDE) {
      int run = 1;
      while (x + run < SIDE && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 3) {
        b.insert(b.end(), {std::uint8_t(run), row[x]});
        x += run;
        continue;
      }
      int lit = 0;  // literal span up to the next run of three
      while (x + lit < SIDE && lit < 255 &&
             !(x + lit + 2 < SIDE && row[x + lit] == row[x + lit + 1] && row[x + lit] == row[x + lit + 2]))
        ++lit;
      if (lit < 3) {
        for (int i = 0; i < lit; ++i) b.insert(b.end(), {1, row[x + i]});
      } else {
        b.insert(b.end(), {0, std::uint8_t(lit)});
        b.insert(b.end(), row.begin() + x, row.begin() + x + lit);
        if (lit & 1) b.push_back(0);
      }
      x += lit;
    }
    b.insert(b.end(), {0, 0});
  }
  b.insert(b.end(), {0, 1});
  return b;
}

void pcxLine(Bytes& b, const std::uint8_t* v, int n) {
  int x = 0;
  while (x < n) {
    int run = 1;
    while (x + run < n && run < 63 && v[x + run] == v[x]) ++run;
    if (run > 1 || v[x] >= 0xC0)
      b.insert(b.end(), {std::uint8_t(0xC0 | run), v[x]});
    else
      b.push_back(v[x]);
    x += run;
  }
}

Bytes pcxHeader(int planes) {
  Bytes b = {10, 5, 1, 8};
  put(b, 0, 2);
  put(b, 0, 2);
  put(b, SIDE - 1, 2);
  put(b, SIDE - 1, 2);
  put(b, 72, 2);
  put(b, 72, 2);
  b.resize(65, 0);
  b.push_back(std::uint8_t(planes));
  put(b, SIDE, 2);
  put(b, 1, 2);
  b.resize(128, 0);
  return b;
}

Bytes pcx8() {
  Bytes b = pcxHeader(1);
  std::vector<std::uint8_t> row(SIDE);
  for (int y = 0; y < SIDE; ++y) {
    for (int x = 0; x < SIDE; ++x) row[x] = indexAt(x, y);
    pcxLine(b, row.data(), SIDE);
  }
  b.push_back(12);
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {std::uint8_t(i * 13), std::uint8_t(i * 101), std::uint8_t(i * 7 + 50)});
  return b;
}

Bytes pcx24() {
  Bytes b = pcxHeader(3);
  std::vector<std::uint8_t> plane[3];
  for (auto& p : plane) p.resize(SIDE);
  for (int y = 0; y < SIDE; ++y) {
    for (int x = 0; x < SIDE; ++x) {
      std::uint8_t c[3];
      rgbAt(x, y, c);
      for (int k = 0; k < 3; ++k) plane[k][x] = c[k];
    }
    for (auto& p : plane) pcxLine(b, p.data(), SIDE);
  }
  return b;
}

struct File {
  const char* name;
  Bytes (*make)();
  bool stb;  // stb_image reads it
};
const File FILES[] = {{"bmp24.bmp", bmp24, true}, {"bmp8raw.bmp", bmp8, true},
                      {"bmp8rle.bmp", bmpRle8, false}, {"pcx8.pcx", pcx8, false},
                      {"pcx24.pcx", pcx24, false}};

std::string pathOf(const File& f) { return scratch + "/" + f.name; }

void setRate(benchmark::State& state) {
  state.counters["MPix/s"] = benchmark::Counter(double(SIDE) * SIDE * 1e-6 * double(state.iterations()),
                                                benchmark::Counter::kIsRate);
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

void sdl(benchmark::State& state, const File* f) {
  const std::string path = pathOf(*f);
  for (auto _ : state) {
    SDL_Surface* s = IMG_Load(path.c_str());
    if (s == nullptr) {
      state.SkipWithError("IMG_Load failed");
      break;
    }
    benchmark::DoNotOptimize(s);
    SDL_FreeSurface(s);
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

// Collects the mean real time per benchmark to print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        seconds[run.benchmark_name()] = run.GetAdjustedCPUTime();  // steadier on a shared machine
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/kora_images_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  scratch = pattern;
  for (const File& f : FILES) {
    const Bytes b = f.make();
    std::ofstream(pathOf(f), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  }
  for (const File& f : FILES) {
    benchmark::RegisterBenchmark((std::string("KORA/") + f.name).c_str(), kora, &f)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("SDL_image/") + f.name).c_str(), sdl, &f)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("SDL_image+RGBA/") + f.name).c_str(), sdlRgba, &f)->Unit(benchmark::kMillisecond);
    if (f.stb)
      benchmark::RegisterBenchmark((std::string("stb_image/") + f.name).c_str(), stb, &f)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nThroughput ratio KORA / peer (same files, same run):\n");
  for (const File& f : FILES) {
    const auto k = reporter.seconds.find(std::string("KORA/") + f.name);
    if (k == reporter.seconds.end()) continue;
    for (const char* peer : {"SDL_image/", "SDL_image+RGBA/", "stb_image/"}) {
      const auto p = reporter.seconds.find(std::string(peer) + f.name);
      if (p != reporter.seconds.end())
        std::printf("  %-12s vs %-15s %6.2fx\n", f.name, peer, p->second / k->second);
    }
  }
  std::filesystem::remove_all(scratch);
  return 0;
}
