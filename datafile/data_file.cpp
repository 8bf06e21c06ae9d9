// data_file.cpp - the data-file finder of libMIRVO and libKORA (see data_file.h).
#include "data_file.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

// Where the installed data folder is, seen from the installed lib/ and bin/ folders.
#ifndef DATA_FROM_LIBDIR
#define DATA_FROM_LIBDIR "../share/mirvo"
#endif
#ifndef DATA_FROM_BINDIR
#define DATA_FROM_BINDIR "../share/mirvo"
#endif

namespace mirvo_data {

namespace {

// "/a/b/c.so" -> "/a/b/"; "" for a name without a folder.
std::string folderOf(const std::string &file)
{
    size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// "../GFX/font.pcx" -> "GFX/font.pcx": the part of a relative path below the data folder.
std::string belowDataFolder(const std::string &path)
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

// The installed data folders: beside the library, then beside the running program.
std::vector<std::string> installedFolders()
{
    std::vector<std::string> folders;
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    const std::string program(exe, n > 0 ? static_cast<size_t>(n) : 0);
    // The library's real place: the loader may have found it through a link (/lib -> usr/lib).
    // Linked into a program, the library's place is the program's.
    Dl_info info;
    char library[PATH_MAX];
    if (dladdr(reinterpret_cast<void *>(&installedFolders), &info) && info.dli_fname &&
        info.dli_fname[0] == '/' && realpath(info.dli_fname, library) && program != library) {
        const std::string dir = folderOf(library);
        if (!dir.empty())
            folders.push_back(withoutDotSteps(dir + DATA_FROM_LIBDIR));
    }
    const std::string dir = folderOf(program);
    if (!dir.empty())
        folders.push_back(withoutDotSteps(dir + DATA_FROM_BINDIR));
    return folders;
}

}  // namespace

std::string withoutDotSteps(const std::string &absolute)
{
    if (absolute.empty() || absolute[0] != '/')
        return absolute;
    std::vector<std::string> parts;
    size_t at = 1;
    while (at <= absolute.size()) {
        size_t end = absolute.find('/', at);
        if (end == std::string::npos)
            end = absolute.size();
        const std::string part = absolute.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result;
    for (const std::string &part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::string findDataFile(const std::string &path, std::string *looked)
{
    std::vector<std::string> tried;
    auto readable = [&tried](const std::string &candidate) {
        for (const std::string &t : tried)
            if (t == candidate)
                return false;
        tried.push_back(candidate);
        return access(candidate.c_str(), R_OK) == 0;
    };
    std::string found;
    if (!path.empty() && readable(path)) {
        found = path;
    } else if (!path.empty() && path[0] != '/') {
        const std::string below = belowDataFolder(path);
        std::vector<std::string> folders;
        const char *env = getenv("MIRVO_DATA_DIR");
        if (env && *env)
            folders.push_back(env);
        for (const std::string &f : installedFolders())
            folders.push_back(f);
        for (const std::string &f : folders) {
            if (readable(f + "/" + below)) {
                found = f + "/" + below;
                break;
            }
        }
    }
    if (looked) {
        looked->clear();
        for (const std::string &t : tried)
            *looked += (looked->empty() ? "" : ", ") + t;
    }
    return found;
}

}  // namespace mirvo_data
