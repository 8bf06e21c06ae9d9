// effect_params - the parameter lists of the known effect modules, read from each
// effect's catalogue: names, types, defaults, parsing from the command line, and the
// two ways of handing them to a module (a mirvo_node chain or a va_list).
#ifndef MIRVO_EFFECT_PARAMS_H
#define MIRVO_EFFECT_PARAMS_H

#include <string>
#include <vector>

#include "mirvo_effect.h"

enum class param_type { u8, u16, text };

// One parameter as the module's catalogue (its descriptor, or PLUGINS/NAME/NAME_params.h)
// declares it.
struct param_spec {
    const char *name;
    param_type type;
    long min, max;         // accepted range of numbers
    const char *fallback;  // default; null: computed from the surface, as `from` says
    const char *help;
    mirvo_default_kind from;
    const mirvo_param *entry;  // the catalogue's record (label, control, choices, unit)
};

struct module_spec {
    const char *module;
    std::vector<param_spec> params;
    const mirvo_effect_descriptor *descriptor;  // of a loaded module; null for a built-in
};

// The parameter table of a known module, or null. The known modules are the tree's
// effects (PLUGINS/effects.cmake) and every descriptor registered since.
const module_spec *find_module_spec(const std::string &module);
const std::vector<module_spec> &known_modules();
// Makes a loaded module's effect known by its descriptor's name, in place of a built-in
// of that name. The descriptor must outlive its use here.
const module_spec &register_effect(const mirvo_effect_descriptor *descriptor);

struct param_value {
    param_type type = param_type::u8;
    Uint8 u8 = 0;
    Uint16 u16 = 0;
    std::string text;
    const char *text_ptr = nullptr;  // what a node's data points at for a string
};

// One effect of a sequence with its parameters, complete and in the module's order.
struct effect_setup {
    std::string module;
    std::vector<param_value> values;
    std::vector<mirvo_node> nodes;
    // Builds `nodes` over `values` (call again after copying the object).
    MIRVO_NODE *argument_list();
    // The values as a descriptor's make takes them (texts point into `values`).
    std::vector<mirvo_value> value_array() const;
};

// Parses the words that follow an effect name: positional values in the module's order
// and/or name=value pairs. Missing parameters take their defaults for a surface of
// width x height. On a bad word returns false with a one-line `error` naming the
// parameter and what was expected.
bool parse_effect_params(const module_spec &desc, const std::vector<std::string> &words,
                         int surface_width, int surface_height, effect_setup &out,
                         std::string &error);

// Calls the module's va_list entry point with the values, each passed with the default
// argument promotions (numbers as int, strings as char pointers).
void call_init_valist(mirvo_init_effect_valist_fn init, SDL_Surface *s, mirvo_restart_fn restart,
                      const std::vector<param_value> &values);

// The catalogues as the Markdown table of docs/effects.md (mirvo-play --list-markdown).
std::string catalogue_markdown();

// SDL 1.2 makes no surface 16384 pixels wide or wider.
const int MAX_SURFACE_WIDTH = 16383;

// Checks the parameters against a surface `surface_width` pixels wide before the effect
// is started on it (wavetext's text strip is that width plus a character width). On a
// misfit returns false with a one-line `error` naming the parameter.
bool check_effect_fits(const effect_setup &setup, int surface_width, std::string &error);

// The number of spaces to append to a scroller's text so that its last character has
// left a surface `surface_width` pixels wide before the effect reports that it has
// finished; 0 for an effect without a text.
size_t leave_screen_padding(const effect_setup &setup, int surface_width);

// Appends `spaces` spaces to the setup's text parameter, if it has one.
void pad_text(effect_setup &setup, size_t spaces);

#endif
