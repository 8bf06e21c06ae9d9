// KR_TextureManager.cpp - texture records, sharing by name and owner counting.
#include "KR_TextureManager.h"
#include "internal/KR_DataFile.h"

#include <algorithm>
#include <iostream>
#include <new>

namespace KORA {

namespace {
const char TEXTURE_DIRECTORY[] = "../TEXTURES/";
}

KR_TextureManager* KR_TextureManager::tm_instance = nullptr;

KR_TextureManager* KR_TextureManager::getInstance() {
  if (tm_instance == nullptr) tm_instance = new KR_TextureManager();
  return tm_instance;
}

KR_TextureManager::KR_TextureManager() : mipmapping(false) {}

KR_TextureManager::~KR_TextureManager() {
  textures.clear();  // in list order; each record deletes its GL texture
  if (tm_instance == this) tm_instance = nullptr;  // the next getInstance() makes a fresh one
}

int KR_TextureManager::getTexture(const std::string& name, void* owner, bool keepImages) {
  if (KR_Texture* found = findInstance(name)) {
    found->owners.push_back(owner);
    return static_cast<int>(found->texture_id);
  }
  KR_Texture& texture = textures.emplace_back(name, keepImages);
  if (texture.texture_ok) {
    texture.owners.push_back(owner);
    return static_cast<int>(texture.texture_id);
  }
  textures.pop_back();
  std::cerr << "Error: Unable to get texture " << name << '\n';
  return 0;
}

KR_Image* KR_TextureManager::getImage(GLuint id) {
  KR_Texture* texture = findInstance(id);
  return texture != nullptr ? texture->image.get() : nullptr;
}

bool KR_TextureManager::removeTextures(void* owner) {
  const int counter = countTextures(owner);
  if (counter == 0) return true;
  int removed = 0;
  for (int walk = 0; walk < counter; ++walk) {
    for (auto it = textures.begin(); it != textures.end(); ++it) {
      if (!it->removeInstance(owner)) continue;
      ++removed;
      if (it->owners.empty()) {
        textures.erase(it);
        break;  // the next walk starts again from the start of the list
      }
    }
  }
  return removed == counter;
}

KR_TextureManager::KR_Texture* KR_TextureManager::findInstance(const std::string& name) {
  for (KR_Texture& texture : textures)
    if (texture.name == name) return &texture;
  return nullptr;
}

KR_TextureManager::KR_Texture* KR_TextureManager::findInstance(GLuint id) {
  for (KR_Texture& texture : textures)
    if (texture.texture_id == id) return &texture;
  return nullptr;
}

int KR_TextureManager::countTextures(void* owner) const {
  int count = 0;
  for (const KR_Texture& texture : textures)
    if (std::find(texture.owners.begin(), texture.owners.end(), owner) != texture.owners.end())
      ++count;
  return count;
}

// ---------------------------------------------------------------------------------------------
// Texture records

KR_TextureManager::KR_Texture::KR_Texture() : texture_id(0), texture_ok(false) {}

KR_TextureManager::KR_Texture::KR_Texture(const std::string& requested, bool keepImages)
    : name(requested), texture_id(0), texture_ok(false) {
  try {
    const std::string path = TEXTURE_DIRECTORY + name;
    // Outside the source tree the file comes from the data folder; a file found nowhere is
    // read (and reported) under its own path.
    const std::string found = findDataFile(path, nullptr);
    image.reset(new KR_Image());
    if (image->loadImage(found.empty() ? path : found)) {
      if (KR_TextureManager::getInstance()->mipmapping)
        image->setTextureGL(&texture_id, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR,
                            true);
      else
        image->setTextureGL(&texture_id, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR,
                            false);
    }
    if (texture_id != 0) {
      texture_ok = true;
      if (!keepImages) image.reset();
    } else {
      std::cerr << "Creation of texture " << path << " failed\n";
    }
  } catch (const std::bad_alloc&) {
    // No memory for the picture: left as far as it got, texture_ok false unless the GL
    // texture exists.
  }
}

KR_TextureManager::KR_Texture::~KR_Texture() {
  if (texture_id != 0) glDeleteTextures(1, &texture_id);
}

bool KR_TextureManager::KR_Texture::removeInstance(void* owner) {
  auto it = std::find(owners.begin(), owners.end(), owner);
  if (it == owners.end()) return false;
  owners.erase(it);
  return true;
}

}  // namespace KORA
