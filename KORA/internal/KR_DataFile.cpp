#include "KR_DataFile.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#ifndef KORA_DATA_FROM_LIBDIR
#define KORA_DATA_FROM_LIBDIR "../share/mirvo"
#endif
#ifndef KORA_DATA_FROM_BINDIR
#define KORA_DATA_FROM_BINDIR "../share/mirvo"
#endif

namespace KORA {

namespace {

std::string folderOf(const std::string& file) {
  size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// The installed data folders: beside libKORA, then beside the running program (which is
// the only place when the library is linked into the program).
std::vector<std::string> installedFolders() {
  std::vector<std::string> folders;
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  const std::string program(exe, n > 0 ? static_cast<size_t>(n) : 0);
  Dl_info info;
  // A program's own name may come back as typed (relative): /proc/self/exe covers it.
  // The library's real place: the loader may have found it through a link (/lib -> usr/lib).
  char library[PATH_MAX];
  if (dladdr(reinterpret_cast<void*>(&folderOf), &info) && info.dli_fname &&
      info.dli_fname[0] == '/' && realpath(info.dli_fname, library) && program != library) {
    std::string dir = folderOf(library);
    if (!dir.empty()) folders.push_back(dir + KORA_DATA_FROM_LIBDIR);
  }
  const std::string dir = folderOf(program);
  if (!dir.empty()) folders.push_back(dir + KORA_DATA_FROM_BINDIR);
  return folders;
}

}  // namespace

std::string findDataFile(const std::string& path, std::string* looked) {
  std::vector<std::string> tried;
  auto readable = [&tried](const std::string& candidate) {
    for (const std::string& t : tried)
      if (t == candidate) return false;
    tried.push_back(candidate);
    return access(candidate.c_str(), R_OK) == 0;
  };
  std::string found;
  if (readable(path)) {
    found = path;
  } else if (!path.empty() && path[0] != '/') {
    size_t at = 0;
    while (path.compare(at, 3, "../") == 0 || path.compare(at, 2, "./") == 0)
      at += path.compare(at, 3, "../") == 0 ? 3 : 2;
    const std::string below = path.substr(at);
    std::vector<std::string> folders;
    const char* env = getenv("MIRVO_DATA_DIR");
    if (env && *env) folders.push_back(env);
    for (const std::string& f : installedFolders()) folders.push_back(f);
    for (const std::string& f : folders) {
      if (readable(f + "/" + below)) {
        found = f + "/" + below;
        break;
      }
    }
  }
  if (looked) {
    looked->clear();
    for (const std::string& t : tried) *looked += (looked->empty() ? "" : ", ") + t;
  }
  return found;
}

}  // namespace KORA
