// editor_descriptions - what a video editor shows for an effect's frei0r module: Kdenlive's
// effect or generator XML and Shotcut's filter metadata and controls, made from the effect's
// descriptor (labels, units, ranges, choices) and its frei0r module (parameter names, frei0r
// types and defaults, in the module's order).
//
// The frei0r module's parameters follow the catalogue: a number is a double in [0, 1] mapped
// linearly onto the entry's [min, max]; the three components of one colour are one colour; a
// choice of two values is a bool (the larger value true); texts and files are strings.
// Parameters the module has past the catalogue's (the adapter's own) are shown as frei0r
// describes them: a number from 0 to 1, or the whole numbers its explanation names ("0 to 1
// for 1 to 8").
#ifndef MIRVO_EDITOR_DESCRIPTIONS_H
#define MIRVO_EDITOR_DESCRIPTIONS_H

#include <string>
#include <vector>

#include "mirvo_effect.h"

// frei0r's parameter types (frei0r.h), repeated so the generator builds without it.
enum editor_frei0r_type { EDITOR_BOOL = 0, EDITOR_DOUBLE = 1, EDITOR_COLOR = 2, EDITOR_STRING = 4 };

// One frei0r parameter of a module as the module reports it.
struct frei0r_param_report {
    std::string name;
    int type = EDITOR_DOUBLE;
    std::string explanation;
    double number = 0;            // the default of a double or bool
    float colour[3] = {0, 0, 0};  // the default of a colour
    std::string text;             // the default of a string
};

// One control of an editor's panel.
struct editor_param {
    frei0r_param_report frei0r;
    const mirvo_param *entry = nullptr;  // the catalogue entry (the red one of a colour), valid
                                         // while its module is loaded; null for a parameter
                                         // of the adapter's own
    double min = 0, max = 1;             // the numbers the user sees
    bool whole = false;                  // whole numbers only (an adapter's own parameter)
};

struct editor_effect {
    std::string name, label, version, description;
    bool filter = true;
    std::vector<editor_param> params;
};

// Pairs the catalogue with the frei0r module's parameters; false with the reason when they
// do not follow the conventions above.
bool editor_effect_from(const mirvo_effect_descriptor &d,
                        const std::vector<frei0r_param_report> &frei0r, editor_effect &out,
                        std::string &error);

// Reads a frei0r module's parameters and the defaults of a fresh 640 x 480 instance.
bool frei0r_module_report(const std::string &file, std::vector<frei0r_param_report> &out,
                          std::string &error);

// The frei0r value of catalogue number v of an entry, and back.
double editor_to_frei0r(const editor_param &p, double v);
double editor_from_frei0r(const editor_param &p, double f);

// Kdenlive's <effect> (a filter) or <generator> (a source) file.
std::string kdenlive_description(const editor_effect &fx);
// A text as an MLT property that MLT reads back whole. MLT takes a frei0r text's '=' and ';'
// as keyframes ("time=value;..."): font 1's characters, as written, would become the part
// after the '='. Such a text is put in double quotes, which MLT takes off; one that holds a
// double quote as well cannot be written so and is left empty (the module's default).
std::string editor_mlt_text(const std::string &text);
// Shotcut's meta.qml and ui.qml of a filter.
std::string shotcut_meta(const editor_effect &fx);
std::string shotcut_ui(const editor_effect &fx);

#endif
