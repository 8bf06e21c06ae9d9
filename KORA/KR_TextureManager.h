// KR_TextureManager.h - the process-wide owner of the library's OpenGL textures, shared by
// file name. Objects ask for a texture with their own address as owner key and get a GL
// texture name; the manager owns every texture record (its GL name and, when kept, its image)
// and lends the names until the owner's removeTextures. A texture whose last owner is withdrawn
// is deleted from OpenGL. Texture files are read from "../TEXTURES/" plus the name; a file
// that is not there is read from $MIRVO_DATA_DIR/TEXTURES/, then from the installed
// share/mirvo/TEXTURES/.
#ifndef KORA_KR_TEXTURE_MANAGER_H
#define KORA_KR_TEXTURE_MANAGER_H

#include <GL/gl.h>

#include <list>
#include <memory>
#include <string>

#include "KR_Image.h"

namespace KORA {

class KR_TextureManager {
 public:
  // How textures created from now on are set up: true gives repeating, trilinear textures with
  // a full mip-map chain; false gives edge-clamped, bilinear textures of one level.
  bool mipmapping;

  // The manager; made on first use, and made afresh after one was destroyed.
  static KR_TextureManager* getInstance();

  // The GL texture name for `name`, with `owner` registered once more on it; 0 on failure.
  int getTexture(const std::string& name, void* owner, bool keepImages);
  // The image kept by the texture `id` (lent, never to be freed); null when none is kept.
  KR_Image* getImage(GLuint id);
  // Withdraws `owner` from the textures it holds, deleting those left without owners.
  // False when an owner registered several times on one texture kept some registrations.
  bool removeTextures(void* owner);

  ~KR_TextureManager();

 private:
  class KR_Texture {
   public:
    std::string name;         // as requested, without the directory prefix
    GLuint texture_id;        // 0 while no GL texture exists
    std::list<void*> owners;  // one entry per successful request
    bool texture_ok;
    std::unique_ptr<KR_Image> image;  // kept picture, or null

    KR_Texture();
    KR_Texture(const std::string& name, bool keepImages);
    ~KR_Texture();
    bool removeInstance(void* owner);

    KR_Texture(const KR_Texture&) = delete;
    KR_Texture& operator=(const KR_Texture&) = delete;
  };

  std::list<KR_Texture> textures;  // creation order
  static KR_TextureManager* tm_instance;

  KR_TextureManager();
  KR_TextureManager(const KR_TextureManager&) = delete;
  KR_TextureManager& operator=(const KR_TextureManager&) = delete;

  KR_Texture* findInstance(const std::string& name);
  KR_Texture* findInstance(GLuint id);
  int countTextures(void* owner) const;
};

}  // namespace KORA

#endif
