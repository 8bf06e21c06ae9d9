// scene_files.cpp - the scene tests' private texture folder.
#include "scene_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace scenetest {

namespace {

void put16(std::vector<std::uint8_t>& f, unsigned v) {
  f.push_back(std::uint8_t(v));
  f.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& f, std::uint32_t v) {
  put16(f, v & 0xFFFFu);
  put16(f, v >> 16);
}

void save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

SceneFolder::SceneFolder() {
  char tmpl[] = "/tmp/kora_scene_XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  top_ = tmpl;
  std::filesystem::create_directory(top_ + "/TEXTURES");
  std::filesystem::create_directory(top_ + "/run");
  previous_ = std::filesystem::current_path().string();
  std::filesystem::current_path(top_ + "/run");
}

SceneFolder::~SceneFolder() {
  std::error_code ec;
  std::filesystem::current_path(previous_, ec);
  std::filesystem::remove_all(top_, ec);
}

std::string SceneFolder::texturePath(const std::string& name) const { return top_ + "/TEXTURES/" + name; }

void SceneFolder::writeBmp24(const std::string& name, Colour c, int size) const {
  int rowBytes = (size * 3 + 3) & ~3;
  std::vector<std::uint8_t> f{'B', 'M'};
  put32(f, std::uint32_t(54 + rowBytes * size));
  put32(f, 0);
  put32(f, 54);
  put32(f, 40);
  put32(f, std::uint32_t(size));
  put32(f, std::uint32_t(size));
  put16(f, 1);
  put16(f, 24);
  for (int i = 0; i < 6; ++i) put32(f, 0);
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      f.push_back(c.b);
      f.push_back(c.g);
      f.push_back(c.r);
    }
    for (int pad = size * 3; pad < rowBytes; ++pad) f.push_back(0);
  }
  save(texturePath(name), f);
}

void SceneFolder::writePcx8(const std::string& name, Colour c, int size) const {
  std::vector<std::uint8_t> f{10, 5, 1, 8};
  put16(f, 0);
  put16(f, 0);
  put16(f, unsigned(size - 1));
  put16(f, unsigned(size - 1));
  put16(f, 72);
  put16(f, 72);
  f.resize(f.size() + 49, 0);
  f.push_back(1);  // one plane: palette picture
  put16(f, unsigned(size));
  put16(f, 1);
  put16(f, 0);
  put16(f, 0);
  f.resize(128, 0);
  for (int row = 0; row < size; ++row) {  // every line one run of palette entry 1
    f.push_back(std::uint8_t(0xC0 | size));
    f.push_back(1);
  }
  f.push_back(12);
  for (int i = 0; i < 256; ++i) {
    f.push_back(i == 1 ? c.r : 0);
    f.push_back(i == 1 ? c.g : 0);
    f.push_back(i == 1 ? c.b : 0);
  }
  save(texturePath(name), f);
}

}  // namespace scenetest
