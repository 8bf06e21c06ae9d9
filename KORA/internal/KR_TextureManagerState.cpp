// KR_TextureManagerState.cpp - read-only views of the texture manager's private records.
#include "KR_TextureManagerState.h"

namespace KORA {

namespace {

// The records and the owner count are private members of the manager, and its interface stays
// as it is. An explicit instantiation may name private members (access is not checked there):
// instantiating MemberOf once for each member below defines get(Tag), which hands back the
// pointer to that member. Nothing else in the library reaches the manager this way.
template <auto Member, typename Tag>
struct MemberOf {
  friend constexpr auto get(Tag) { return Member; }
};

struct Records {
  friend constexpr auto get(Records);
};
struct CountTextures {
  friend constexpr auto get(CountTextures);
};

template struct MemberOf<&KR_TextureManager::textures, Records>;
template struct MemberOf<&KR_TextureManager::countTextures, CountTextures>;

}  // namespace

int textureOwnerCount(const KR_TextureManager& manager, void* owner) {
  return (manager.*get(CountTextures{}))(owner);
}

std::size_t textureRecordCount(const KR_TextureManager& manager) {
  return (manager.*get(Records{})).size();
}

}  // namespace KORA
