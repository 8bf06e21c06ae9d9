// KR_TextureManagerState.h - read-only views of the texture manager's private records, for the
// library's own checks and tests (private to the library).
#ifndef KORA_KR_TEXTURE_MANAGER_STATE_H
#define KORA_KR_TEXTURE_MANAGER_STATE_H

#include <cstddef>

#include "KR_TextureManager.h"

namespace KORA {

// The number of texture records whose owner list holds `owner` (the manager's countTextures).
int textureOwnerCount(const KR_TextureManager& manager, void* owner);
// The number of texture records the manager holds.
std::size_t textureRecordCount(const KR_TextureManager& manager);

}  // namespace KORA

#endif
