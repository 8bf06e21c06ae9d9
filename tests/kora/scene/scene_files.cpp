// scene_files.cpp - the scene tests' private texture folder.
#include "scene_files.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "picture_writer.h"

namespace scenetest {

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

std::string SceneFolder::texturePath(const std::string& name) const {
  return top_ + "/TEXTURES/" + name;
}

void SceneFolder::writeBmp24(const std::string& name, Colour c, int size) const {
  const std::vector<picture::Rgb> pixels(std::size_t(size) * size, picture::Rgb{c.r, c.g, c.b});
  if (!picture::save(texturePath(name), picture::bmp24(size, size, pixels.data()), "scene test"))
    throw std::runtime_error("cannot write " + name);
}

// Every pixel palette entry 1, which holds the colour; the other entries are black.
void SceneFolder::writePcx8(const std::string& name, Colour c, int size) const {
  const std::vector<std::uint8_t> indices(std::size_t(size) * size, 1);
  picture::Rgb palette[256] = {};
  palette[1] = picture::Rgb{c.r, c.g, c.b};
  if (!picture::save(texturePath(name), picture::pcx8(size, size, indices.data(), palette),
                     "scene test"))
    throw std::runtime_error("cannot write " + name);
}

}  // namespace scenetest
