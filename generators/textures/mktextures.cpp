// mktextures - generates the picture files under TEXTURES/ that the KORA demo and the
// library's scene classes load: a six-face sky box and the tiling ground texture.
//
//   cmake --build build --target textures   (writes TEXTURES/ in the source tree)
//
// Every sky box texel is the colour of the sky in the direction that texel covers on the
// cube, so neighbouring faces meet without seams. The ground texture is built from noise
// with a period equal to the picture size, so it tiles. Output is deterministic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "picture_writer.h"

namespace {

struct Rgb {
  float r, g, b;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
float smoothstep(float e0, float e1, float x) {
  float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}

struct Picture {
  int width, height;
  std::vector<Rgb> texels;  // row-major, top row first
  Picture(int w, int h) : width(w), height(h), texels(size_t(w) * h, Rgb{0, 0, 0}) {}
  Rgb& at(int row, int col) { return texels[size_t(row) * width + col]; }
};

// ---------------------------------------------------------------------------------------
// Gradient noise. The lattice is hashed modulo a period (0: no period) so that a plane
// texture can tile exactly.

uint32_t hash3(int x, int y, int z) {
  uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(z) * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}

float gradDot3(int x, int y, int z, float dx, float dy, float dz) {
  // 12 edge directions of a cube, as in improved Perlin noise.
  switch (hash3(x, y, z) % 12u) {
    case 0: return dx + dy;
    case 1: return -dx + dy;
    case 2: return dx - dy;
    case 3: return -dx - dy;
    case 4: return dx + dz;
    case 5: return -dx + dz;
    case 6: return dx - dz;
    case 7: return -dx - dz;
    case 8: return dy + dz;
    case 9: return -dy + dz;
    case 10: return dy - dz;
    default: return -dy - dz;
  }
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

int wrap(int i, int period) {
  if (period <= 0) return i;
  int m = i % period;
  return m < 0 ? m + period : m;
}

// Noise in about -1 .. 1; x and y repeat every `period` lattice cells when period > 0.
float noise3(float x, float y, float z, int period = 0) {
  int x0 = int(std::floor(x)), y0 = int(std::floor(y)), z0 = int(std::floor(z));
  float fx = x - x0, fy = y - y0, fz = z - z0;
  float u = fade(fx), v = fade(fy), w = fade(fz);
  int xa = wrap(x0, period), xb = wrap(x0 + 1, period);
  int ya = wrap(y0, period), yb = wrap(y0 + 1, period);
  float n000 = gradDot3(xa, ya, z0, fx, fy, fz);
  float n100 = gradDot3(xb, ya, z0, fx - 1, fy, fz);
  float n010 = gradDot3(xa, yb, z0, fx, fy - 1, fz);
  float n110 = gradDot3(xb, yb, z0, fx - 1, fy - 1, fz);
  float n001 = gradDot3(xa, ya, z0 + 1, fx, fy, fz - 1);
  float n101 = gradDot3(xb, ya, z0 + 1, fx - 1, fy, fz - 1);
  float n011 = gradDot3(xa, yb, z0 + 1, fx, fy - 1, fz - 1);
  float n111 = gradDot3(xb, yb, z0 + 1, fx - 1, fy - 1, fz - 1);
  float nx00 = n000 + u * (n100 - n000), nx10 = n010 + u * (n110 - n010);
  float nx01 = n001 + u * (n101 - n001), nx11 = n011 + u * (n111 - n011);
  float nxy0 = nx00 + v * (nx10 - nx00), nxy1 = nx01 + v * (nx11 - nx01);
  return nxy0 + w * (nxy1 - nxy0);
}

// Fractal sum of octaves; each octave doubles the frequency (and the period).
float fbm(float x, float y, float z, int octaves, int period = 0, float gain = 0.5f) {
  float sum = 0.0f, amp = 1.0f, norm = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * noise3(x, y, z, period);
    norm += amp;
    amp *= gain;
    x *= 2.0f;
    y *= 2.0f;
    z = z * 2.0f + 17.0f;
    if (period > 0) period *= 2;
  }
  return sum / norm;
}

// ---------------------------------------------------------------------------------------
// The sky, as a function of the viewing direction (x right, y up, z towards the viewer).

struct Vec3 {
  float x, y, z;
};
Vec3 normalized(Vec3 v) {
  float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x / l, v.y / l, v.z / l};
}
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

const Vec3 SUN = normalized({0.55f, 0.30f, -0.78f});  // low afternoon sun, front right

const Rgb ZENITH = {0.13f, 0.32f, 0.66f};
const Rgb HORIZON = {0.68f, 0.78f, 0.88f};
const Rgb SUN_GLOW = {1.00f, 0.86f, 0.62f};
const Rgb FAR_HILLS = {0.43f, 0.53f, 0.64f};
const Rgb NEAR_HILLS = {0.24f, 0.34f, 0.30f};
const Rgb GROUND = {0.20f, 0.27f, 0.17f};

// Height above the horizon (as the sine of the elevation) of a mountain ridge at azimuth a.
float ridge(float azimuth, float radius, float seed, float base, float amount) {
  float n = fbm(std::cos(azimuth) * radius, std::sin(azimuth) * radius, seed, 5, 0, 0.55f);
  return base + amount * (0.5f + 0.5f * n);
}

Rgb skyColour(Vec3 d) {
  d = normalized(d);
  float e = d.y;
  float azimuth = std::atan2(d.x, -d.z);
  float sunCos = dot(d, SUN);

  // Sky dome: deep blue overhead, pale near the horizon, warm around the sun.
  float up = clamp01(e);
  Rgb sky = mix(HORIZON, ZENITH, std::pow(up, 0.55f));
  float glow = std::pow(clamp01(sunCos), 6.0f);
  sky = mix(sky, SUN_GLOW, 0.45f * glow * (1.0f - 0.5f * up));
  if (sunCos > 0.9990f)
    sky = mix(sky, Rgb{1.0f, 0.98f, 0.92f}, smoothstep(0.9990f, 0.9996f, sunCos));

  // Clouds on a plane above the viewer, thinning out towards the horizon.
  if (e > 0.0f) {
    float px = d.x / (e + 0.10f), pz = d.z / (e + 0.10f);
    float n = fbm(px * 1.3f, pz * 1.3f, 3.5f, 7, 0, 0.52f);
    float density = smoothstep(-0.02f, 0.35f, n) * smoothstep(0.0f, 0.22f, e);
    // Cloud tops facing the sun are bright, the rest grey-blue.
    float shade = 0.5f + 0.5f * fbm(px * 1.3f + 0.15f, pz * 1.3f + 0.1f, 3.5f, 5, 0, 0.5f);
    Rgb cloud = mix(Rgb{0.66f, 0.70f, 0.78f}, Rgb{1.0f, 0.99f, 0.96f}, clamp01(shade + 0.35f));
    cloud = mix(cloud, SUN_GLOW, 0.35f * glow);
    sky = mix(sky, cloud, 0.92f * density);
  }

  // Two mountain ranges on the horizon, the far one hazy blue, the near one darker.
  float farTop = ridge(azimuth, 2.2f, 11.0f, 0.02f, 0.17f);
  float nearTop = ridge(azimuth, 3.7f, 29.0f, -0.03f, 0.13f);
  Rgb colour = sky;
  if (e < farTop) {
    float t = clamp01((farTop - e) / 0.12f);
    Rgb hills = mix(mix(HORIZON, FAR_HILLS, 0.75f), FAR_HILLS, t);
    hills = hills * (0.94f + 0.06f * fbm(azimuth * 40.0f, e * 60.0f, 5.0f, 3));
    colour = hills;
  }
  if (e < nearTop) {
    float t = clamp01((nearTop - e) / 0.10f);
    Rgb hills = mix(mix(FAR_HILLS, NEAR_HILLS, 0.8f), NEAR_HILLS, t);
    hills = hills * (0.90f + 0.10f * fbm(azimuth * 70.0f, e * 90.0f, 9.0f, 3));
    colour = hills;
  }
  // Below the ranges: the haze of the distant lowland, darkening towards the ground.
  float lowland = std::min(nearTop, 0.0f);
  if (e < lowland) {
    Rgb haze = HORIZON;  // the colour of the demo's distance fog
    colour = mix(haze, GROUND, smoothstep(lowland, -0.6f, e));
  }
  return colour;
}

// Direction covered by texel (s, t) of a face, following the sky box's face table:
// each face maps s and t in 0 .. 1 onto its quad, t = 0 along the top scan line.
Vec3 faceDirection(int face, float s, float t) {
  float a = 2.0f * s, b = 2.0f * t;
  switch (face) {
    case 0: return {1 - a, 1 - b, -1};   // front, z = -1
    case 1: return {1, 1 - b, 1 - a};    // right, x = +1
    case 2: return {-1 + a, 1 - b, 1};   // back, z = +1
    case 3: return {-1, 1 - b, -1 + a};  // left, x = -1
    case 4: return {-1 + b, 1, 1 - a};   // top, y = +1
    default: return {1 - b, -1, 1 - a};  // bottom, y = -1
  }
}

Picture skyFace(int face, int size) {
  Picture p(size, size);
  // 2 x 2 samples per texel smooth the sun disc and the ridge lines.
  for (int row = 0; row < size; ++row)
    for (int col = 0; col < size; ++col) {
      Rgb sum{0, 0, 0};
      for (int sy = 0; sy < 2; ++sy)
        for (int sx = 0; sx < 2; ++sx) {
          float s = (col + 0.25f + 0.5f * sx) / size, t = (row + 0.25f + 0.5f * sy) / size;
          sum = sum + skyColour(faceDirection(face, s, t));
        }
      p.at(row, col) = sum * 0.25f;
    }
  return p;
}

// ---------------------------------------------------------------------------------------
// Ground: grass with drier patches, worn soil and grey rock outcrops; tiles every `size`.

Picture ground(int size) {
  Picture p(size, size);
  const int CELLS = 4;  // lattice cells across the picture for the lowest octave
  for (int row = 0; row < size; ++row)
    for (int col = 0; col < size; ++col) {
      float x = float(col) / size * CELLS, y = float(row) / size * CELLS;
      float patches = fbm(x, y, 0.5f, 5, CELLS);
      float dry = fbm(x * 2 + 3.3f, y * 2 + 1.1f, 7.5f, 4, CELLS * 2);
      float blades = fbm(x * 16, y * 16, 2.5f, 3, CELLS * 16, 0.6f);
      float fine = noise3(x * 64, y * 64, 4.5f, CELLS * 64);

      Rgb grassDark = {0.16f, 0.29f, 0.08f}, grassLight = {0.38f, 0.54f, 0.17f};
      Rgb grassDry = {0.55f, 0.55f, 0.25f};
      Rgb grass = mix(grassDark, grassLight, clamp01(0.5f + 0.9f * patches + 0.5f * blades));
      grass = mix(grass, grassDry, 0.55f * smoothstep(0.05f, 0.45f, dry));
      grass = grass * (0.88f + 0.12f * fine);

      float rockMask = smoothstep(0.24f, 0.34f, patches + 0.25f * dry);
      float cracks = std::fabs(fbm(x * 6, y * 6, 9.5f, 4, CELLS * 6));
      Rgb rock = mix(Rgb{0.40f, 0.38f, 0.35f}, Rgb{0.62f, 0.60f, 0.56f},
                     clamp01(0.5f + 1.2f * fbm(x * 8, y * 8, 1.5f, 5, CELLS * 8)));
      rock = rock * (0.55f + 0.45f * smoothstep(0.0f, 0.12f, cracks));
      Rgb soil = {0.42f, 0.33f, 0.22f};
      float edge = smoothstep(0.05f, 0.18f, patches + 0.25f * dry) * (1.0f - rockMask);
      Rgb c = mix(grass, soil * (0.85f + 0.15f * fine), 0.7f * edge);
      p.at(row, col) = mix(c, rock, rockMask);
    }
  return p;
}

// ---------------------------------------------------------------------------------------
// Colour reduction for the palette formats: median cut into 256 boxes, nearest colour.

using Rgb8 = picture::Rgb;

Rgb8 to8(Rgb c) {
  auto q = [](float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); };
  return {q(c.r), q(c.g), q(c.b)};
}

std::vector<Rgb8> to8(const Picture& p) {
  std::vector<Rgb8> out;
  out.reserve(p.texels.size());
  for (const Rgb& c : p.texels) out.push_back(to8(c));
  return out;
}

std::vector<Rgb8> medianCut(std::vector<Rgb8> pixels, size_t colours) {
  struct Box {
    size_t begin, end;
  };
  auto channel = [](const Rgb8& c, int k) { return k == 0 ? c.r : (k == 1 ? c.g : c.b); };
  auto widest = [&](const Box& b, int& which) {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (size_t i = b.begin; i < b.end; ++i)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min<int>(lo[k], channel(pixels[i], k));
        hi[k] = std::max<int>(hi[k], channel(pixels[i], k));
      }
    which = 0;
    for (int k = 1; k < 3; ++k)
      if (hi[k] - lo[k] > hi[which] - lo[which]) which = k;
    return hi[which] - lo[which];
  };
  std::vector<Box> boxes{{0, pixels.size()}};
  while (boxes.size() < colours) {
    size_t best = 0;
    int bestRange = -1, bestChannel = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2) continue;
      int k, range = widest(boxes[i], k);
      // Weight by population so that large smooth areas get enough shades.
      int score = range * int(std::sqrt(double(boxes[i].end - boxes[i].begin)));
      if (score > bestRange) bestRange = score, best = i, bestChannel = k;
    }
    if (bestRange <= 0) break;
    Box b = boxes[best];
    std::sort(pixels.begin() + b.begin, pixels.begin() + b.end, [&](const Rgb8& x, const Rgb8& y) {
      return channel(x, bestChannel) < channel(y, bestChannel);
    });
    size_t mid = (b.begin + b.end) / 2;
    boxes[best] = {b.begin, mid};
    boxes.push_back({mid, b.end});
  }
  std::vector<Rgb8> palette;
  for (const Box& b : boxes) {
    double sum[3] = {0, 0, 0};
    for (size_t i = b.begin; i < b.end; ++i)
      for (int k = 0; k < 3; ++k) sum[k] += channel(pixels[i], k);
    double n = double(b.end - b.begin);
    palette.push_back({uint8_t(std::lround(sum[0] / n)), uint8_t(std::lround(sum[1] / n)),
                       uint8_t(std::lround(sum[2] / n))});
  }
  palette.resize(colours, Rgb8{0, 0, 0});
  return palette;
}

std::vector<uint8_t> indexed(const std::vector<Rgb8>& pixels, const std::vector<Rgb8>& palette) {
  std::vector<uint8_t> out;
  out.reserve(pixels.size());
  for (const Rgb8& c : pixels) {
    int best = 0, bestDist = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
      int dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
      int dist = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (dist < bestDist) bestDist = dist, best = int(i);
    }
    out.push_back(uint8_t(best));
  }
  return out;
}

// The colours reduced to a 256-colour palette, and each texel's index into it.
struct Paletted {
  std::vector<Rgb8> palette;
  std::vector<uint8_t> indices;
};

Paletted paletted(const std::vector<Rgb8>& px) {
  Paletted p{medianCut(px, 256), {}};
  p.indices = indexed(px, p.palette);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "TEXTURES";
  const int SKY_SIZE = 512, GROUND_SIZE = 256;
  const char* faces[6] = {"front", "right", "back", "left", "top", "bottom"};
  bool ok = true;
  for (int face = 0; face < 6; ++face) {
    const int n = SKY_SIZE;
    const std::vector<Rgb8> px = to8(skyFace(face, n));
    const std::string path = dir + "/sky_" + faces[face] + ".bmp";
    // The bottom face, mostly smooth ground haze, goes through the run-length path.
    const Paletted q = face == 5 ? paletted(px) : Paletted{};
    ok = picture::save(path,
                       face == 5 ? picture::bmpRle8(n, n, q.indices.data(), q.palette.data())
                                 : picture::bmp24(n, n, px.data()),
                       "mktextures") &&
         ok;
    std::printf("%s\n", path.c_str());
  }
  const int n = GROUND_SIZE;
  const std::vector<Rgb8> g = to8(ground(n));
  const Paletted q = paletted(g);
  ok = picture::save(dir + "/terrain.pcx", picture::pcx8(n, n, q.indices.data(), q.palette.data()),
                     "mktextures") &&
       ok;
  ok = picture::save(dir + "/terrain24.pcx", picture::pcx24(n, n, g.data()), "mktextures") && ok;
  std::printf("%s/terrain.pcx\n%s/terrain24.pcx\n", dir.c_str(), dir.c_str());
  return ok ? 0 : 1;
}
