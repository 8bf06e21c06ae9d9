// Loading effect modules through libltdl and their descriptors.
#include "effect_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <ltdl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

// The module folder as seen from the program's own folder (the build tree mirrors it).
#ifndef MIRVO_MODULES_FROM_BINDIR
#define MIRVO_MODULES_FROM_BINDIR "../lib/mirvo/modules"
#endif

namespace {

void split_path(const char *list, std::vector<std::string> &out)
{
    if (!list)
        return;
    std::string s(list);
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(':', start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            out.push_back(s.substr(start, end - start));
        start = end + 1;
    }
}

std::string join(const std::vector<std::string> &dirs)
{
    std::string out;
    for (const std::string &d : dirs) {
        if (!out.empty())
            out += ':';
        out += d;
    }
    return out;
}

// libltdl says "file not found" for a file it found but could not load; the system's
// loader says why.
std::string load_failure(const std::string &path)
{
    lt_dlerror();  // clear libltdl's own message
    void *h = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (h) {
        dlclose(h);
        return "libltdl cannot open it";
    }
    const char *e = dlerror();
    std::string why = e ? e : "unknown";
    if (why.compare(0, path.size() + 2, path + ": ") == 0)
        why.erase(0, path.size() + 2);
    return why;
}

template <typename Fn> Fn entry(lt_dlhandle handle, const std::string &effect, const char *name)
{
    return reinterpret_cast<Fn>(lt_dlsym(handle, (effect + "_LTX_" + name).c_str()));
}

// Binds an opened module's descriptor and entry points; false with `error` when it is
// not an effect module this host can drive.
bool bind_module(lt_dlhandle handle, const std::string &file, mirvo_effect_module &module,
                 std::string &error)
{
    const mirvo_describe_fn describe =
        reinterpret_cast<mirvo_describe_fn>(lt_dlsym(handle, MIRVO_EFFECT_DESCRIBE_SYMBOL));
    const mirvo_effect_descriptor *d = describe ? describe() : nullptr;
    if (!d) {
        error = "\"" + file + "\" is not an effect module: it has no " MIRVO_EFFECT_DESCRIBE_SYMBOL;
        return false;
    }
    if (d->abi < MIRVO_EFFECT_ABI_OLDEST || d->abi > MIRVO_EFFECT_ABI) {
        error = "\"" + file + "\" is an effect module of ABI " + std::to_string(d->abi) +
                "; this host drives ABI " + std::to_string(MIRVO_EFFECT_ABI_OLDEST) + " to " +
                std::to_string(MIRVO_EFFECT_ABI);
        return false;
    }
    if (!d->name || !*d->name || !d->make || !d->draw || !d->set || !d->free ||
        (d->nparams > 0 && !d->params) || d->nparams < 0 || d->nparams > MIRVO_EFFECT_MAX_PARAMS) {
        error = "\"" + file + "\" has an incomplete effect descriptor";
        return false;
    }
    module.handle = handle;
    module.file = file;
    module.descriptor = d;
    module.name = d->name;
    module.init_effect = entry<mirvo_init_effect_fn>(handle, d->name, "init_effect");
    module.init_effect_valist =
        entry<mirvo_init_effect_valist_fn>(handle, d->name, "init_effect_valist");
    module.draw_effect = entry<mirvo_draw_effect_fn>(handle, d->name, "draw_effect");
    module.free_effect = entry<mirvo_free_effect_fn>(handle, d->name, "free_effect");
    module.is_filter = entry<mirvo_is_filter_fn>(handle, d->name, "is_filter");
    module.make_instance = entry<mirvo_make_instance_fn>(handle, d->name, "make_instance");
    module.draw_instance = entry<mirvo_draw_instance_fn>(handle, d->name, "draw_instance");
    module.set_instance_parameter =
        entry<mirvo_set_instance_parameter_fn>(handle, d->name, "set_instance_parameter");
    module.free_instance = entry<mirvo_free_instance_fn>(handle, d->name, "free_instance");
    return true;
}

// Opens `path` as an effect module; false with `error` (and nothing left open) otherwise.
bool open_module(const std::string &path, mirvo_effect_module &module, std::string &error)
{
    lt_dlhandle handle = lt_dlopen(path.c_str());
    if (!handle) {
        error = path + ": " + load_failure(path);
        return false;
    }
    if (!bind_module(handle, path, module, error)) {
        lt_dlclose(handle);
        module = mirvo_effect_module();
        return false;
    }
    return true;
}

bool has_suffix(const std::string &s, const char *suffix)
{
    const std::string x(suffix);
    return s.size() > x.size() && s.compare(s.size() - x.size(), x.size(), x) == 0;
}

// The module files of a folder, by name: NAME.so (NAME.so.0 is the same module) and NAME.la.
std::vector<std::string> module_files(const std::string &dir)
{
    std::vector<std::string> files;
    DIR *d = opendir(dir.c_str());
    if (!d)
        return files;
    while (const dirent *e = readdir(d)) {
        const std::string name = e->d_name;
        if (!has_suffix(name, ".so") && !has_suffix(name, ".la"))
            continue;
        struct stat st;
        const std::string path = dir + "/" + name;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            files.push_back(path);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::vector<std::string> mirvo_module_search_path(const std::vector<std::string> &extra)
{
    std::vector<std::string> dirs(extra);
    split_path(getenv("MIRVO_MODULE_PATH"), dirs);
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string program(exe, n > 0 ? static_cast<size_t>(n) : 0);
    if (program.rfind('/') != std::string::npos)
        dirs.push_back(program.substr(0, program.rfind('/') + 1) + MIRVO_MODULES_FROM_BINDIR);
    return dirs;
}

bool mirvo_load_effect(const std::string &name, mirvo_effect_module &module, std::string &error,
                       const std::vector<std::string> &extra_dirs)
{
    module = mirvo_effect_module();
    module.name = name;
    if (name.empty()) {
        error = "no effect module named";
        return false;
    }
    if (lt_dlinit() != 0) {
        error = std::string("cannot start libltdl: ") + lt_dlerror();
        return false;
    }
    if (name.find('/') != std::string::npos) {
        std::string why;
        if (access(name.c_str(), F_OK) != 0) {
            error = "effect module \"" + name + "\" cannot be loaded: no such file";
        } else if (open_module(name, module, why)) {
            return true;
        } else {
            error = "effect module \"" + name + "\" cannot be loaded: " + why;
        }
        module = mirvo_effect_module();
        module.name = name;
        lt_dlexit();
        return false;
    }
    const std::vector<std::string> dirs = mirvo_module_search_path(extra_dirs);
    // A file named after the effect first, folder by folder, so that one that exists but
    // cannot be loaded is reported with the loader's reason and a good one further on is
    // still found.
    std::string reasons;
    for (const std::string &dir : dirs) {
        for (const char *ext : {".la", ".so"}) {
            const std::string path = dir + "/" + name + ext;
            if (access(path.c_str(), F_OK) != 0)
                continue;
            std::string why;
            if (open_module(path, module, why)) {
                if (!reasons.empty())
                    fprintf(stderr, "effect module \"%s\": skipped %s\n", name.c_str(),
                            reasons.c_str());
                return true;
            }
            reasons += (reasons.empty() ? "" : "; ") + why;
        }
    }
    // Then any module whose descriptor has the name, whatever its file is called.
    for (const std::string &dir : dirs) {
        for (const std::string &path : module_files(dir)) {
            std::string why;
            mirvo_effect_module candidate;
            if (!open_module(path, candidate, why))
                continue;
            if (candidate.name == name) {
                module = candidate;
                return true;
            }
            lt_dlclose(static_cast<lt_dlhandle>(candidate.handle));
        }
    }
    if (!reasons.empty())
        error = "effect module \"" + name + "\" cannot be loaded: " + reasons;
    else
        error = "no effect module \"" + name + "\" (searched " +
                (dirs.empty() ? std::string("no folders") : join(dirs)) + ")";
    module = mirvo_effect_module();
    module.name = name;
    lt_dlexit();
    return false;
}

std::vector<mirvo_effect_module> mirvo_find_effects(const std::vector<std::string> &extra_dirs,
                                                    std::vector<std::string> &problems)
{
    std::vector<mirvo_effect_module> found;
    for (const std::string &dir : mirvo_module_search_path(extra_dirs)) {
        for (const std::string &path : module_files(dir)) {
            if (lt_dlinit() != 0)
                return found;
            mirvo_effect_module m;
            std::string why;
            if (!open_module(path, m, why)) {
                // A library that is not an effect module is no problem of the path's.
                if (why.find("is not an effect module") == std::string::npos)
                    problems.push_back(why);
                lt_dlexit();
                continue;
            }
            bool seen = false;
            for (const mirvo_effect_module &f : found)
                seen = seen || f.name == m.name;
            if (seen)
                mirvo_unload_effect(m);
            else
                found.push_back(m);
        }
    }
    return found;
}

void mirvo_unload_effect(mirvo_effect_module &module)
{
    if (module.handle) {
        lt_dlclose(static_cast<lt_dlhandle>(module.handle));
        lt_dlexit();
    }
    module = mirvo_effect_module();
}
