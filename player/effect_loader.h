// effect_loader - finds effect modules on the module path with libltdl, by their
// descriptors (mirvo_effect_describe), whatever their files are called, and binds their
// entry points. The player uses it, and so do the tests that drive the modules in-process.
#ifndef MIRVO_EFFECT_LOADER_H
#define MIRVO_EFFECT_LOADER_H

#include <string>
#include <vector>

#include "mirvo_effect.h"

struct mirvo_effect_module {
    std::string name;        // the effect's name (its descriptor's), or as asked for
    std::string file;        // the module file it came from
    void *handle = nullptr;  // lt_dlhandle; null when not loaded
    const mirvo_effect_descriptor *descriptor = nullptr;
    // The five entry points, found under the descriptor's name.
    mirvo_init_effect_fn init_effect = nullptr;
    mirvo_init_effect_valist_fn init_effect_valist = nullptr;
    mirvo_draw_effect_fn draw_effect = nullptr;
    mirvo_free_effect_fn free_effect = nullptr;
    mirvo_is_filter_fn is_filter = nullptr;
    // The node-list instance entry points.
    mirvo_make_instance_fn make_instance = nullptr;
    mirvo_draw_instance_fn draw_instance = nullptr;
    mirvo_set_instance_parameter_fn set_instance_parameter = nullptr;
    mirvo_free_instance_fn free_instance = nullptr;
};

// The folders searched, in order: `extra` (e.g. a --module-dir option), the
// colon-separated MIRVO_MODULE_PATH, then the module folder beside the running program
// (the build tree's, or the installed one).
std::vector<std::string> mirvo_module_search_path(const std::vector<std::string> &extra = {});

// Opens the module of effect `name`: a file NAME.la or NAME.so in the first search folder
// that has one it can load, or else any module on the path whose descriptor is named
// `name` (a name with a slash is taken as a path). A module file that exists but cannot be
// loaded is skipped with the loader's reason (written to stderr when a later folder's
// module loads, in `error` when none does). Binds the descriptor (its ABI checked) and the
// entry points under the descriptor's name. On failure returns false, leaves `module`
// unloaded and sets `error` to one line naming the module and what is wrong.
bool mirvo_load_effect(const std::string &name, mirvo_effect_module &module, std::string &error,
                       const std::vector<std::string> &extra_dirs = {});

// Every effect module on the search path, loaded, one per effect name (the first found
// wins), in the path's order and then by file name. Files that are not effect modules are
// passed over; the reasons of those that look like modules but fail go to `problems`.
std::vector<mirvo_effect_module> mirvo_find_effects(const std::vector<std::string> &extra_dirs,
                                                    std::vector<std::string> &problems);

// Closes a module opened by mirvo_load_effect; does nothing for an unloaded one.
void mirvo_unload_effect(mirvo_effect_module &module);

#endif
