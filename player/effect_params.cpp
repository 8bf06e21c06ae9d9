// Parameter tables of the effects (the tree's, and those a host has loaded), and their
// parsing.
#include "effect_params.h"

#include <cstdarg>
#include <cstdlib>

#include "mirvo_effect_list.h"

namespace {

module_spec from_catalogue(const char *module, const mirvo_param *params, int n)
{
    module_spec m{module, {}, nullptr};
    for (int i = 0; i < n; ++i) {
        const mirvo_param &c = params[i];
        param_type t = c.type == MIRVO_PARAM_U8    ? param_type::u8
                       : c.type == MIRVO_PARAM_U16 ? param_type::u16
                                                   : param_type::text;
        m.params.push_back({c.name, t, c.min, c.max,
                            c.from == MIRVO_DEFAULT_FIXED ? c.fallback : nullptr, c.help, c.from,
                            &c});
    }
    return m;
}

std::vector<module_spec> &modules()
{
#define MIRVO_BUILT_IN(name, NAME) from_catalogue(#name, name##_params, NAME##_NPARAMS),
    static std::vector<module_spec> all = {MIRVO_EFFECT_LIST(MIRVO_BUILT_IN)};
#undef MIRVO_BUILT_IN
    return all;
}

const char *type_words(param_type t)
{
    switch (t) {
    case param_type::u8:
        return "a whole number";
    case param_type::u16:
        return "a whole number";
    default:
        return "a text";
    }
}

std::string expected_names(const module_spec &desc)
{
    std::string s;
    for (const param_spec &p : desc.params) {
        if (!s.empty())
            s += ' ';
        s += p.name;
    }
    return s;
}

bool parse_value(const module_spec &desc, const param_spec &p, const std::string &word,
                 param_value &v, std::string &error)
{
    v.type = p.type;
    if (p.type == param_type::text) {
        v.text = word;
        return true;
    }
    // Plain decimal digits only: no sign, no blanks, no octal or hexadecimal prefix, so
    // "010" is ten and "08" is eight.
    bool digits = !word.empty() && word.size() <= 9;
    for (char c : word)
        digits = digits && c >= '0' && c <= '9';
    long n = digits ? strtol(word.c_str(), nullptr, 10) : -1;
    if (!digits || n < p.min || n > p.max) {
        error = std::string(desc.module) + ": " + p.name + ": expected " + type_words(p.type) +
                " from " + std::to_string(p.min) + " to " + std::to_string(p.max) + ", got \"" +
                word + "\"";
        return false;
    }
    if (p.type == param_type::u8)
        v.u8 = static_cast<Uint8>(n);
    else
        v.u16 = static_cast<Uint16>(n);
    return true;
}

int index_of(const module_spec &desc, const char *name)
{
    for (size_t i = 0; i < desc.params.size(); ++i)
        if (std::string(desc.params[i].name) == name)
            return static_cast<int>(i);
    return -1;
}

// The defaults that depend on the surface.
std::string computed_default(const module_spec &desc, const param_spec &p,
                             const std::vector<param_value> &values, int width, int height)
{
    if (p.from == MIRVO_DEFAULT_SURFACE_WIDTH)
        return std::to_string(width < 0 ? 0 : width > 65535 ? 65535 : width);
    int ch = index_of(desc, "character_height");
    int h = height - (ch >= 0 ? values[ch].u8 : 0);
    return std::to_string(h < 0 ? 0 : h > 65535 ? 65535 : h);
}

// Up to MAX_PARAMS values are forwarded; each position may be a number or a string.
const size_t MAX_PARAMS = 8;

void forward_valist(mirvo_init_effect_valist_fn init, SDL_Surface *s, mirvo_restart_fn restart, ...)
{
    va_list ap;
    va_start(ap, restart);
    init(s, restart, ap);
    va_end(ap);
}

template <size_t I, typename... A>
void dispatch(mirvo_init_effect_valist_fn init, SDL_Surface *s, mirvo_restart_fn restart,
              const std::vector<param_value> &values, A... args)
{
    if constexpr (I == MAX_PARAMS) {
        forward_valist(init, s, restart, args...);
    } else {
        if (I >= values.size()) {
            forward_valist(init, s, restart, args...);
            return;
        }
        const param_value &v = values[I];
        switch (v.type) {
        case param_type::text:
            dispatch<I + 1>(init, s, restart, values, args..., v.text.c_str());
            break;
        case param_type::u8:
            dispatch<I + 1>(init, s, restart, values, args..., static_cast<int>(v.u8));
            break;
        case param_type::u16:
            dispatch<I + 1>(init, s, restart, values, args..., static_cast<int>(v.u16));
            break;
        }
    }
}

}  // namespace

const std::vector<module_spec> &known_modules()
{
    return modules();
}

const module_spec *find_module_spec(const std::string &module)
{
    for (const module_spec &m : known_modules())
        if (module == m.module)
            return &m;
    return nullptr;
}

const module_spec &register_effect(const mirvo_effect_descriptor *descriptor)
{
    module_spec m = from_catalogue(descriptor->name, descriptor->params, descriptor->nparams);
    m.descriptor = descriptor;
    for (module_spec &known : modules())
        if (std::string(known.module) == descriptor->name)
            return known = std::move(m);
    modules().push_back(std::move(m));
    return modules().back();
}

std::vector<mirvo_value> effect_setup::value_array() const
{
    std::vector<mirvo_value> out(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const param_value &v = values[i];
        if (v.type == param_type::text)
            out[i].text = v.text.c_str();
        else
            out[i].number = v.type == param_type::u8 ? v.u8 : v.u16;
    }
    return out;
}

MIRVO_NODE *effect_setup::argument_list()
{
    nodes.assign(values.size(), mirvo_node());
    for (size_t i = 0; i < values.size(); ++i) {
        param_value &v = values[i];
        switch (v.type) {
        case param_type::u8:
            nodes[i].data = &v.u8;
            break;
        case param_type::u16:
            nodes[i].data = &v.u16;
            break;
        case param_type::text:
            v.text_ptr = v.text.c_str();
            nodes[i].data = &v.text_ptr;
            break;
        }
        nodes[i].next_node = i + 1 < values.size() ? &nodes[i + 1] : nullptr;
        nodes[i].previous_node = i > 0 ? &nodes[i - 1] : nullptr;
    }
    return nodes.empty() ? nullptr : &nodes[0];
}

bool parse_effect_params(const module_spec &desc, const std::vector<std::string> &words,
                         int surface_width, int surface_height, effect_setup &out,
                         std::string &error)
{
    const size_t n = desc.params.size();
    std::vector<param_value> values(n);
    std::vector<bool> given(n, false);
    size_t next_positional = 0;
    for (const std::string &word : words) {
        // NAME=VALUE only when NAME is one of the effect's parameters: any other word,
        // "E=MC2" included, is the next positional value.
        size_t eq = word.find('=');
        int index = eq != std::string::npos ? index_of(desc, word.substr(0, eq).c_str()) : -1;
        std::string value = word;
        if (index >= 0) {
            value = word.substr(eq + 1);
        } else {
            if (next_positional >= n) {
                error = std::string(desc.module) + ": too many parameters: expected at most " +
                        std::to_string(n) + " (" + expected_names(desc) + "), got \"" + word +
                        "\" as parameter " + std::to_string(next_positional + 1);
                return false;
            }
            index = static_cast<int>(next_positional++);
        }
        const param_spec &p = desc.params[index];
        if (given[index]) {
            error = std::string(desc.module) + ": " + p.name + " given twice";
            return false;
        }
        if (!parse_value(desc, p, value, values[index], error))
            return false;
        given[index] = true;
    }
    for (size_t i = 0; i < n; ++i) {
        if (given[i] || !desc.params[i].fallback)
            continue;
        if (!parse_value(desc, desc.params[i], desc.params[i].fallback, values[i], error))
            return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (given[i] || desc.params[i].fallback)
            continue;
        std::string d =
            computed_default(desc, desc.params[i], values, surface_width, surface_height);
        if (!parse_value(desc, desc.params[i], d, values[i], error))
            return false;
    }
    out.module = desc.module;
    out.values = std::move(values);
    out.nodes.clear();
    return true;
}

void call_init_valist(mirvo_init_effect_valist_fn init, SDL_Surface *s, mirvo_restart_fn restart,
                      const std::vector<param_value> &values)
{
    dispatch<0>(init, s, restart, values);
}

namespace {

long value_of(const module_spec &desc, const effect_setup &setup, const char *name)
{
    int i = index_of(desc, name);
    if (i < 0)
        return -1;
    const param_value &v = setup.values[i];
    return v.type == param_type::u8 ? v.u8 : v.type == param_type::u16 ? v.u16 : -1;
}

long ceil_div(long a, long b)
{
    return (a + b - 1) / b;
}

}  // namespace

bool check_effect_fits(const effect_setup &setup, int surface_width, std::string &error)
{
    const module_spec *desc = find_module_spec(setup.module);
    if (!desc || setup.module != "wavetext")
        return true;
    // wavetext's text strip is the surface's width plus one glyph.
    long cw = value_of(*desc, setup, "character_width");
    long strip = surface_width + cw;
    if (strip > MAX_SURFACE_WIDTH) {
        error = setup.module + ": character_width: the text strip (window width " +
                std::to_string(surface_width) + " + character width " + std::to_string(cw) + " = " +
                std::to_string(strip) + " pixels) is wider than SDL's limit of " +
                std::to_string(MAX_SURFACE_WIDTH) + " pixels";
        return false;
    }
    return true;
}

size_t leave_screen_padding(const effect_setup &setup, int surface_width)
{
    const module_spec *desc = find_module_spec(setup.module);
    if (!desc)
        return 0;
    long cw = value_of(*desc, setup, "character_width");
    if (setup.module == "wavetext") {
        // A glyph enters the strip every 16 frames, the strip moves 2 pixels a frame, and
        // the strip's last 2 columns smear a glyph's tail up to the next glyph, 32
        // pixels on. The effect ends 16 frames after the last glyph entered.
        long extent = surface_width + (cw > 32 ? cw : 32);
        return static_cast<size_t>(ceil_div(ceil_div(extent, 2) + 1, 16));
    }
    if (setup.module == "bouncetext") {
        // Letters enter at the area's width at least 11 frames apart and move 3 pixels
        // a frame; the effect ends at the first entry after the text is used up.
        long extent = value_of(*desc, setup, "width") + cw;
        return static_cast<size_t>(ceil_div(ceil_div(extent, 3) + 1, 11));
    }
    return 0;
}

void pad_text(effect_setup &setup, size_t spaces)
{
    const module_spec *desc = find_module_spec(setup.module);
    int i = desc ? index_of(*desc, "text") : -1;
    if (i >= 0 && spaces > 0)
        setup.values[i].text.append(spaces, ' ');
}

std::string catalogue_markdown()
{
    std::string out = "| effect | # | parameter | type | default | meaning |\n"
                      "|---|---|---|---|---|---|\n";
    for (const module_spec &m : known_modules()) {
        for (size_t i = 0; i < m.params.size(); ++i) {
            const param_spec &p = m.params[i];
            std::string type = p.type == param_type::text ? "text"
                                                          : "number " + std::to_string(p.min) +
                                                                "–" + std::to_string(p.max);
            std::string def;
            if (p.from == MIRVO_DEFAULT_SURFACE_WIDTH)
                def = "the window's width";
            else if (p.from == MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH)
                def = "the window's height less `character_height`";
            else if (std::string(p.fallback).size() > 24)
                def = "built in (`--list`)";
            else
                def = "`" + std::string(p.fallback) + "`";
            out += "| `" + std::string(m.module) + "` | " + std::to_string(i + 1) + " | `" +
                   p.name + "` | " + type + " | " + def + " | " + p.help + " |\n";
        }
    }
    return out;
}
