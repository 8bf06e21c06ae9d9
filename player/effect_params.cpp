// Parameter tables of boxflood, wavetext and bouncetext, and their parsing.
#include "effect_params.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>

#include "effect_defaults.h"

namespace {

#define TEXT(x) #x
#define NUMBER(x) TEXT(x)

std::vector<module_spec> make_modules()
{
    std::vector<module_spec> m;
    m.push_back({"boxflood",
                 {{"direction", param_type::u8, 0, 255, NUMBER(BOXFLOOD_DEFAULT_DIRECTION),
                   "1 grows from the centre, 0 shrinks to the centre"},
                  {"rate", param_type::u8, 0, 255, NUMBER(BOXFLOOD_DEFAULT_RATE),
                   "pixels added or taken per side per frame (odd is raised by one)"},
                  {"red", param_type::u8, 0, 255, NUMBER(BOXFLOOD_DEFAULT_RED), "fill colour"},
                  {"green", param_type::u8, 0, 255, NUMBER(BOXFLOOD_DEFAULT_GREEN), "fill colour"},
                  {"blue", param_type::u8, 0, 255, NUMBER(BOXFLOOD_DEFAULT_BLUE), "fill colour"}}});
    m.push_back({"wavetext",
                 {{"text", param_type::text, 0, 0, WAVETEXT_DEFAULT_TEXT, "the text to scroll"},
                  {"font", param_type::text, 0, 0, MIRVO_FONT1, "font image file"},
                  {"characters", param_type::text, 0, 0, MIRVO_FONT1_CHARACTERS,
                   "the font's characters in glyph order"},
                  {"character_width", param_type::u8, 1, 255, NUMBER(WAVETEXT_DEFAULT_CHARACTER_WIDTH), "glyph width in pixels"},
                  {"character_height", param_type::u8, 1, 255, NUMBER(WAVETEXT_DEFAULT_CHARACTER_HEIGHT), "glyph height in pixels"},
                  {"amplitude", param_type::u16, 0, 65535, NUMBER(WAVETEXT_DEFAULT_AMPLITUDE), "wave amplitude in pixels"},
                  {"slice_width", param_type::u8, 0, 255, NUMBER(WAVETEXT_DEFAULT_SLICE_WIDTH),
                   "width of the wave's slices in pixels (0 is taken as 1)"}}});
    m.push_back({"bouncetext",
                 {{"text", param_type::text, 0, 0, BOUNCETEXT_DEFAULT_TEXT, "the text"},
                  {"font", param_type::text, 0, 0, MIRVO_FONT1, "font image file"},
                  {"characters", param_type::text, 0, 0, MIRVO_FONT1_CHARACTERS,
                   "the font's characters in glyph order"},
                  {"character_width", param_type::u8, 1, 255, NUMBER(BOUNCETEXT_DEFAULT_CHARACTER_WIDTH), "glyph width in pixels"},
                  {"character_height", param_type::u8, 1, 255, NUMBER(BOUNCETEXT_DEFAULT_CHARACTER_HEIGHT), "glyph height in pixels"},
                  {"width", param_type::u16, 0, 65535, nullptr,
                   "width of the scrolling area; letters enter at this x (default: the window's)"},
                  {"height", param_type::u16, 0, 65535, nullptr,
                   "height of the bounce (default: the window's less the character height)"}}});
    return m;
}

const char *type_words(param_type t)
{
    switch (t) {
    case param_type::u8: return "a whole number";
    case param_type::u16: return "a whole number";
    default: return "a text";
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
    const char *start = word.c_str();
    char *end = nullptr;
    errno = 0;
    long n = strtol(start, &end, 0);
    if (word.empty() || *end != '\0' || errno == ERANGE || n < p.min || n > p.max) {
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
    std::string name = p.name;
    if (name == "width")
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
    static const std::vector<module_spec> modules = make_modules();
    return modules;
}

const module_spec *find_module_spec(const std::string &module)
{
    for (const module_spec &m : known_modules())
        if (module == m.module)
            return &m;
    return nullptr;
}

MIRVO_NODE *effect_setup::argument_list()
{
    nodes.assign(values.size(), mirvo_node());
    for (size_t i = 0; i < values.size(); ++i) {
        param_value &v = values[i];
        switch (v.type) {
        case param_type::u8: nodes[i].data = &v.u8; break;
        case param_type::u16: nodes[i].data = &v.u16; break;
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
        size_t eq = word.find('=');
        int index = -1;
        std::string value = word;
        if (eq != std::string::npos && eq > 0) {
            std::string name = word.substr(0, eq);
            index = index_of(desc, name.c_str());
            if (index < 0) {
                error = std::string(desc.module) + ": no parameter named \"" + name +
                        "\" (expected one of: " + expected_names(desc) + ")";
                return false;
            }
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
        std::string d = computed_default(desc, desc.params[i], values, surface_width, surface_height);
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
