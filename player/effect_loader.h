// effect_loader - finds an effect module by name with libltdl and binds its five entry
// points. The player uses it, and so do the tests that drive the modules in-process.
#ifndef MIRVO_EFFECT_LOADER_H
#define MIRVO_EFFECT_LOADER_H

#include <string>
#include <vector>

#include "mirvo_effect.h"

struct mirvo_effect_module {
    std::string name;        // module name as asked for
    void *handle = nullptr;  // lt_dlhandle; null when not loaded
    mirvo_init_effect_fn init_effect = nullptr;
    mirvo_init_effect_valist_fn init_effect_valist = nullptr;
    mirvo_draw_effect_fn draw_effect = nullptr;
    mirvo_free_effect_fn free_effect = nullptr;
    mirvo_is_filter_fn is_filter = nullptr;
    // Instances (null when the module has none).
    mirvo_make_instance_fn make_instance = nullptr;
    mirvo_draw_instance_fn draw_instance = nullptr;
    mirvo_set_instance_parameter_fn set_instance_parameter = nullptr;
    mirvo_free_instance_fn free_instance = nullptr;
};

// The folders searched, in order: `extra` (e.g. a --module-dir option), the
// colon-separated MIRVO_MODULE_PATH, the build tree's module folder, the installed one.
std::vector<std::string> mirvo_module_search_path(const std::vector<std::string> &extra = {});

// Opens module `name` (boxflood finds boxflood.la or boxflood.so in the first search
// folder that has one it can load; a name with a slash is taken as a path) and binds the
// entry points by their plain names, which libltdl resolves to `{module}_LTX_{entry}`.
// A module file that exists but cannot be loaded is skipped with the loader's reason
// (written to stderr when a later folder's module loads, in `error` when none does).
// On failure returns false, leaves `module` unloaded and sets `error` to one line naming
// the module and what is missing.
bool mirvo_load_effect(const std::string &name, mirvo_effect_module &module, std::string &error,
                       const std::vector<std::string> &extra_dirs = {});

// Closes a module opened by mirvo_load_effect; does nothing for an unloaded one.
void mirvo_unload_effect(mirvo_effect_module &module);

#endif
