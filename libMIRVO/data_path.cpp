// Finding the data files (the font) from wherever a program runs: the path as given,
// then $MIRVO_DATA_DIR, then the installed data folder beside this library.
#include "internal.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#ifndef MIRVO_DATA_FROM_LIBDIR
#define MIRVO_DATA_FROM_LIBDIR "../share/mirvo"
#endif

namespace {

std::string found_path;
std::string looked_places;

// "../GFX/font.pcx" -> "GFX/font.pcx": the part of a relative path below the data folder.
std::string below_data_folder(const std::string &path)
{
    size_t at = 0;
    for (;;) {
        if (path.compare(at, 3, "../") == 0)
            at += 3;
        else if (path.compare(at, 2, "./") == 0)
            at += 2;
        else
            return path.substr(at);
    }
}

// The installed data folder: relative to the folder this library was loaded from.
std::string installed_data_folder()
{
    Dl_info info;
    char real[PATH_MAX];
    // The library's real place: the loader may have found it through a link (/lib -> usr/lib).
    if (!dladdr(reinterpret_cast<void *>(&installed_data_folder), &info) || !info.dli_fname ||
        info.dli_fname[0] != '/' || !realpath(info.dli_fname, real))
        return "";
    std::string lib(real);
    size_t slash = lib.rfind('/');
    if (slash == std::string::npos)
        return "";
    return lib.substr(0, slash + 1) + MIRVO_DATA_FROM_LIBDIR;
}

bool readable(const std::string &path, std::string &looked)
{
    if (!looked.empty())
        looked += ", ";
    looked += path;
    return access(path.c_str(), R_OK) == 0;
}

}  // namespace

MIRVO_API const char *MIRVO_find_data(const char *path, const char **looked)
{
    if (looked)
        *looked = "";
    if (!path)
        return NULL;
    looked_places.clear();
    std::string given(path);
    found_path.clear();
    if (readable(given, looked_places))
        found_path = given;
    if (found_path.empty() && given[0] != '/') {
        std::string below = below_data_folder(given);
        const char *env = getenv("MIRVO_DATA_DIR");
        if (env && *env && readable(std::string(env) + "/" + below, looked_places))
            found_path = std::string(env) + "/" + below;
        std::string installed = installed_data_folder();
        if (found_path.empty() && !installed.empty() &&
            readable(installed + "/" + below, looked_places))
            found_path = installed + "/" + below;
    }
    if (looked)
        *looked = looked_places.c_str();
    return found_path.empty() ? NULL : found_path.c_str();
}
