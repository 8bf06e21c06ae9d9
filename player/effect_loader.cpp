// Loading effect modules by name through libltdl.
#include "effect_loader.h"

#include <dlfcn.h>
#include <ltdl.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <climits>
#include <unistd.h>

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

template <typename Fn>
bool bind(lt_dlhandle handle, const mirvo_effect_module &module, const char *entry, Fn &fn,
          std::string &error)
{
    fn = reinterpret_cast<Fn>(lt_dlsym(handle, entry));
    if (fn)
        return true;
    error = "effect module \"" + module.name + "\" has no entry point " + entry + " (" +
            module.name + "_LTX_" + entry + ")";
    return false;
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
    std::vector<std::string> dirs = mirvo_module_search_path(extra_dirs);
    lt_dlhandle handle = nullptr;
    if (name.find('/') != std::string::npos) {
        handle = lt_dlopenext(name.c_str());
        if (!handle) {
            const char *why = lt_dlerror();
            error = "effect module \"" + name + "\" cannot be loaded: " + (why ? why : "unknown");
            lt_dlexit();
            return false;
        }
    } else {
        // Folder by folder, so that a module file that exists but cannot be loaded is
        // reported with the loader's reason, and a good one further on is still found.
        std::string reasons;
        for (size_t i = 0; i < dirs.size() && !handle; ++i) {
            for (const char *ext : {".la", ".so"}) {
                std::string path = dirs[i] + "/" + name + ext;
                if (access(path.c_str(), F_OK) != 0)
                    continue;
                handle = lt_dlopen(path.c_str());
                if (handle)
                    break;
                reasons += (reasons.empty() ? "" : "; ") + path + ": " + load_failure(path);
            }
        }
        if (!handle) {
            if (!reasons.empty())
                error = "effect module \"" + name + "\" cannot be loaded: " + reasons;
            else
                error = "no effect module \"" + name + "\" (searched " +
                        (dirs.empty() ? std::string("no folders") : join(dirs)) + ")";
            lt_dlexit();
            return false;
        }
        if (!reasons.empty())
            fprintf(stderr, "effect module \"%s\": skipped %s\n", name.c_str(), reasons.c_str());
    }
    module.handle = handle;
    // libltdl takes the module name from the file name: a module file must be named after
    // the prefix of its entry points for the plain names to resolve.
    if (!bind(handle, module, "init_effect", module.init_effect, error) ||
        !bind(handle, module, "init_effect_valist", module.init_effect_valist, error) ||
        !bind(handle, module, "draw_effect", module.draw_effect, error) ||
        !bind(handle, module, "free_effect", module.free_effect, error) ||
        !bind(handle, module, "is_filter", module.is_filter, error)) {
        mirvo_unload_effect(module);
        module.name = name;
        return false;
    }
    // The instance entry points, where the module has them (older modules do not).
    module.make_instance =
        reinterpret_cast<mirvo_make_instance_fn>(lt_dlsym(handle, "make_instance"));
    module.draw_instance =
        reinterpret_cast<mirvo_draw_instance_fn>(lt_dlsym(handle, "draw_instance"));
    module.set_instance_parameter = reinterpret_cast<mirvo_set_instance_parameter_fn>(
        lt_dlsym(handle, "set_instance_parameter"));
    module.free_instance =
        reinterpret_cast<mirvo_free_instance_fn>(lt_dlsym(handle, "free_instance"));
    return true;
}

void mirvo_unload_effect(mirvo_effect_module &module)
{
    if (module.handle) {
        lt_dlclose(static_cast<lt_dlhandle>(module.handle));
        lt_dlexit();
    }
    module = mirvo_effect_module();
}
