// scene_files.h - a private texture folder for the scene tests. The library reads textures
// from "../TEXTURES/" relative to the working directory, so a SceneFolder makes
// <tmp>/TEXTURES and <tmp>/run, changes into run, and writes small solid-colour pictures.
#ifndef KORA_TEST_SCENE_FILES_H
#define KORA_TEST_SCENE_FILES_H

#include <cstdint>
#include <string>

namespace scenetest {

struct Colour {
  std::uint8_t r, g, b;
};

class SceneFolder {
 public:
  SceneFolder();   // creates the folders and changes into <tmp>/run
  ~SceneFolder();  // changes back and removes everything

  // Solid pictures of size x size pixels under TEXTURES/.
  void writeBmp24(const std::string& name, Colour c, int size = 4) const;
  void writePcx8(const std::string& name, Colour c, int size = 4) const;
  std::string texturePath(const std::string& name) const;

 private:
  std::string top_, previous_;
};

}  // namespace scenetest

#endif
