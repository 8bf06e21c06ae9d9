// editor_descriptions - Kdenlive and Shotcut descriptions of an effect's frei0r module.
#include "editor_descriptions.h"

#include <dlfcn.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// frei0r.h's structures and entry points, as far as the generator reads them.
struct f0r_plugin_info {
    const char *name, *author;
    int plugin_type, color_model, frei0r_version, major_version, minor_version, num_params;
    const char *explanation;
};
struct f0r_param_info {
    const char *name;
    int type;
    const char *explanation;
};
struct f0r_colour {
    float r, g, b;
};

std::string number(double v)
{
    char buf[40];
    snprintf(buf, sizeof buf, "%.9g", std::fabs(v) < 1e-12 ? 0.0 : v);
    return buf;
}

std::string xml_escape(const std::string &s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A JavaScript string literal in single quotes.
std::string js_string(const std::string &s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'' || c == '\\')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "'";
}

std::string capitalised(std::string s)
{
    if (!s.empty())
        s[0] = (char)toupper((unsigned char)s[0]);
    return s;
}

std::string colour_text(const float c[3], const char *prefix, bool alpha)
{
    char buf[16];
    auto byte = [](float f) { return (int)std::lround(std::fmin(1.f, std::fmax(0.f, f)) * 255); };
    snprintf(buf, sizeof buf, "%s%02x%02x%02x%s", prefix, byte(c[0]), byte(c[1]), byte(c[2]),
             alpha ? "ff" : "");
    return buf;
}

bool is_choice(const editor_param &p)
{
    return p.entry && p.entry->control == MIRVO_CONTROL_CHOICE && p.entry->nchoices > 0;
}

// The choices in the order a bool or a list shows them: false before true for a bool.
std::vector<mirvo_choice> shown_choices(const editor_param &p)
{
    std::vector<mirvo_choice> c(p.entry->choices, p.entry->choices + p.entry->nchoices);
    if (p.frei0r.type == EDITOR_BOOL && c.size() == 2 && c[0].value > c[1].value)
        std::swap(c[0], c[1]);
    return c;
}

// The frei0r value of one choice.
double choice_value(const editor_param &p, const mirvo_choice &c)
{
    if (p.frei0r.type == EDITOR_BOOL)
        return c.value == shown_choices(p)[1].value ? 1 : 0;
    return editor_to_frei0r(p, (double)c.value);
}

// The control's label, and its unit after it.
std::string label_of(const editor_param &p)
{
    if (!p.entry)
        return capitalised(p.frei0r.name);
    return p.entry->label ? p.entry->label : p.entry->name;
}

std::string help_of(const editor_param &p)
{
    if (!p.entry)
        return p.frei0r.explanation;
    std::string help = p.entry->help ? p.entry->help : "";
    if (p.entry->control == MIRVO_CONTROL_FILE)
        help += " (empty: the effect's own)";
    // One colour for three components: the red one's help less its ", red".
    const std::string red = ", red";
    if (p.frei0r.type == EDITOR_COLOR && help.size() > red.size() &&
        help.compare(help.size() - red.size(), red.size(), red) == 0)
        help.resize(help.size() - red.size());
    return help;
}

bool integral(const editor_param &p)
{
    return p.entry ? p.entry->type != MIRVO_PARAM_TEXT : p.whole;
}

// A few whole numbers not starting at 0 (the adapter's scale, 1 to 8): Kdenlive shows a
// slider's value as frei0r's times its factor, with no offset, so its slider would read one
// less than the module draws; a list shows the numbers themselves.
bool few_whole_numbers(const editor_param &p)
{
    return !p.entry && p.whole && p.min != 0 && p.max - p.min <= 15;
}

// An adapter's own number whose explanation says "0 to 1 for A to B": the whole numbers A to B.
void whole_range_of(editor_param &p)
{
    const std::string &text = p.frei0r.explanation;
    const std::string says = "0 to 1 for ";
    const size_t at = text.find(says);
    long lo = 0, hi = 0;
    int used = 0;
    if (p.frei0r.type != EDITOR_DOUBLE || at == std::string::npos ||
        sscanf(text.c_str() + at + says.size(), "%ld to %ld%n", &lo, &hi, &used) != 2 || hi <= lo)
        return;
    const char next = text[at + says.size() + (size_t)used];
    if (next != '\0' && next != ' ' && next != ')' && next != ',')
        return; /* "0 to 1 for 1 to 8.5" or "... to 8px": not a plain whole range */
    p.min = (double)lo;
    p.max = (double)hi;
    p.whole = true;
}

}  // namespace

double editor_to_frei0r(const editor_param &p, double v)
{
    return p.max > p.min ? (v - p.min) / (p.max - p.min) : 0;
}

double editor_from_frei0r(const editor_param &p, double f)
{
    return p.min + f * (p.max - p.min);
}

bool editor_effect_from(const mirvo_effect_descriptor &d,
                        const std::vector<frei0r_param_report> &frei0r, editor_effect &out,
                        std::string &error)
{
    out = editor_effect();
    out.name = d.name;
    out.label = capitalised(d.name);
    out.version = d.version ? d.version : "";
    out.description = d.description ? d.description : "";
    out.filter = d.filter != 0;
    size_t j = 0;
    for (int i = 0; i < d.nparams; ++j) {
        const mirvo_param &e = d.params[i];
        if (j >= frei0r.size()) {
            error = std::string("the frei0r module has no parameter for ") + e.name;
            return false;
        }
        editor_param p;
        p.frei0r = frei0r[j];
        p.entry = &e;
        p.min = (double)e.min;
        p.max = (double)e.max;
        const int t = p.frei0r.type;
        bool fits = false;
        int used = 1;
        if (e.control == MIRVO_CONTROL_COLOUR_RED && t == EDITOR_COLOR) {
            fits = i + 2 < d.nparams && d.params[i + 1].control == MIRVO_CONTROL_COLOUR_GREEN &&
                   d.params[i + 2].control == MIRVO_CONTROL_COLOUR_BLUE;
            used = 3;
        } else if (e.type == MIRVO_PARAM_TEXT) {
            fits = t == EDITOR_STRING && p.frei0r.name == e.name;
        } else if (t == EDITOR_BOOL) {
            fits = e.control == MIRVO_CONTROL_CHOICE && e.nchoices == 2 && p.frei0r.name == e.name;
        } else {
            fits = t == EDITOR_DOUBLE && p.frei0r.name == e.name;
        }
        if (!fits) {
            error = "frei0r parameter " + std::to_string(j) + " (" + p.frei0r.name +
                    ") does not fit the catalogue's " + e.name;
            return false;
        }
        out.params.push_back(p);
        i += used;
    }
    for (; j < frei0r.size(); ++j) {
        editor_param p;
        p.frei0r = frei0r[j];
        whole_range_of(p);
        out.params.push_back(p);
    }
    return true;
}

bool frei0r_module_report(const std::string &file, std::vector<frei0r_param_report> &out,
                          std::string &error)
{
    out.clear();
    void *h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char *why = dlerror();
        error = file + ": " + (why ? why : "cannot be loaded");
        return false;
    }
    auto init = (int (*)())dlsym(h, "f0r_init");
    auto deinit = (void (*)())dlsym(h, "f0r_deinit");
    auto plugin_info = (void (*)(f0r_plugin_info *))dlsym(h, "f0r_get_plugin_info");
    auto param_info = (void (*)(f0r_param_info *, int))dlsym(h, "f0r_get_param_info");
    auto construct = (void *(*)(unsigned, unsigned))dlsym(h, "f0r_construct");
    auto destruct = (void (*)(void *))dlsym(h, "f0r_destruct");
    auto get_value = (void (*)(void *, void *, int))dlsym(h, "f0r_get_param_value");
    if (!init || !deinit || !plugin_info || !param_info || !construct || !destruct || !get_value) {
        error = file + ": not a frei0r module";
        dlclose(h);
        return false;
    }
    init();
    f0r_plugin_info info{};
    plugin_info(&info);
    void *instance = construct(640, 480);
    for (int i = 0; i < info.num_params; ++i) {
        f0r_param_info pi{};
        param_info(&pi, i);
        frei0r_param_report r;
        r.name = pi.name ? pi.name : "";
        r.type = pi.type;
        r.explanation = pi.explanation ? pi.explanation : "";
        if (instance) {
            if (r.type == EDITOR_DOUBLE || r.type == EDITOR_BOOL) {
                get_value(instance, &r.number, i);
            } else if (r.type == EDITOR_COLOR) {
                f0r_colour c{};
                get_value(instance, &c, i);
                r.colour[0] = c.r, r.colour[1] = c.g, r.colour[2] = c.b;
            } else if (r.type == EDITOR_STRING) {
                char *s = nullptr;
                get_value(instance, &s, i);
                r.text = s ? s : "";
            }
        }
        out.push_back(r);
    }
    if (instance)
        destruct(instance);
    deinit();
    dlclose(h);
    return true;
}

std::string editor_mlt_text(const std::string &text)
{
    if (text.find_first_of("=;") == std::string::npos)
        return text;
    return text.find('"') == std::string::npos ? '"' + text + '"' : std::string();
}

std::string kdenlive_description(const editor_effect &fx)
{
    const char *element = fx.filter ? "effect" : "generator";
    std::string s = "<?xml version=\"1.0\"?>\n<!DOCTYPE kpartgui>\n";
    s += std::string("<") + element + " tag=\"frei0r." + fx.name + "\" id=\"frei0r." + fx.name +
         "\">\n";
    s += "    <name>" + xml_escape(fx.label) + "</name>\n";
    s += "    <description>" + xml_escape(capitalised(fx.description)) + "</description>\n";
    s += "    <author>Mirvo</author>\n";
    for (const editor_param &p : fx.params) {
        const std::string name = xml_escape(p.frei0r.name);
        std::string attrs;
        std::string inner;
        if (is_choice(p) || few_whole_numbers(p)) {
            // A list of frei0r values and their labels; the default as written in the list:
            // the entry nearest the module's default.
            std::vector<std::pair<double, std::string>> entries;
            if (is_choice(p))
                for (const mirvo_choice &c : shown_choices(p))
                    entries.push_back({choice_value(p, c),
                                       capitalised(c.label ? c.label : std::to_string(c.value))});
            else
                for (long v = (long)p.min; v <= (long)p.max; ++v)
                    entries.push_back({editor_to_frei0r(p, (double)v), std::to_string(v)});
            std::string values, labels, chosen;
            double nearest = 2;
            for (auto &[v, label] : entries) {
                if (std::fabs(v - p.frei0r.number) < nearest)
                    nearest = std::fabs(v - p.frei0r.number), chosen = number(v);
                values += (values.empty() ? "" : ";") + number(v);
                // Kdenlive splits the labels at commas.
                for (char &ch : label)
                    if (ch == ',')
                        ch = ';';
                labels += (labels.empty() ? "" : ",") + xml_escape(label);
            }
            attrs = "type=\"list\" name=\"" + name + "\" default=\"" + chosen + "\" paramlist=\"" +
                    values + "\"";
            inner = "        <paramlistdisplay>" + labels + "</paramlistdisplay>\n";
        } else if (p.frei0r.type == EDITOR_DOUBLE) {
            // Kdenlive shows the value times factor, cut to whole numbers, and keeps the default
            // in frei0r's units: a whole default is nudged up so that 15 / 254 x 254 shows 15
            // rather than 14 (the module rounds, so the nudge changes nothing it draws).
            double shown = p.frei0r.number;
            if (integral(p) && p.max > p.min)
                shown = (std::floor(shown * (p.max - p.min) + 0.5) + 1e-4) / (p.max - p.min);
            attrs = "type=\"animated\" name=\"" + name + "\" default=\"" + number(shown) +
                    "\" min=\"" + number(p.min) + "\" max=\"" + number(p.max) + "\" factor=\"" +
                    number(p.max - p.min) + "\"" +
                    (integral(p) ? " decimals=\"0\"" : " decimals=\"3\"");
            if (p.entry && p.entry->unit)
                attrs += std::string(" suffix=\" ") + xml_escape(p.entry->unit) + "\"";
        } else if (p.frei0r.type == EDITOR_BOOL) {
            attrs = "type=\"bool\" name=\"" + name + "\" default=\"" +
                    number(p.frei0r.number >= 0.5 ? 1 : 0) + "\"";
        } else if (p.frei0r.type == EDITOR_COLOR) {
            attrs = "type=\"color\" name=\"" + name + "\" default=\"" +
                    colour_text(p.frei0r.colour, "0x", true) + "\"";
        } else if (p.entry && p.entry->control == MIRVO_CONTROL_FILE) {
            // Empty: the module's own file, found beside it wherever it is installed.
            attrs = "type=\"url\" name=\"" + name + "\" default=\"\"";
        } else {
            attrs = "type=\"keywords\" name=\"" + name + "\" default=\"" +
                    xml_escape(editor_mlt_text(p.frei0r.text)) + "\" paramlist=\"\"";
        }
        s += "    <parameter " + attrs + ">\n";
        s += "        <name>" + xml_escape(label_of(p)) + "</name>\n";
        s += inner;
        const std::string help = help_of(p);
        if (!help.empty())
            s += "        <comment>" + xml_escape(capitalised(help)) + "</comment>\n";
        s += "    </parameter>\n";
    }
    s += std::string("</") + element + ">\n";
    return s;
}

std::string shotcut_meta(const editor_effect &fx)
{
    return "import QtQuick 2.0\n"
           "import org.shotcut.qml 1.0\n\n"
           "Metadata {\n"
           "    type: Metadata.Filter\n"
           "    name: qsTr(" +
           js_string(fx.label) +
           ")\n"
           "    keywords: " +
           js_string("mirvo " + fx.name + " " + fx.description) +
           "\n"
           "    objectName: " +
           js_string("mirvo_" + fx.name) +
           "\n"
           "    mlt_service: " +
           js_string("frei0r." + fx.name) +
           "\n"
           "    qml: 'ui.qml'\n"
           "}\n";
}

std::string shotcut_ui(const editor_effect &fx)
{
    // Each control reads the filter's value when the panel opens (a new filter gets the
    // module's defaults first) and writes the frei0r value when the user changes it.
    std::string controls, defaults, reads;
    int n = 0;
    for (const editor_param &p : fx.params) {
        const std::string id = "control" + std::to_string(n++);
        const std::string prop = js_string(p.frei0r.name);
        std::string unit = p.entry && p.entry->unit ? std::string(" ") + p.entry->unit : "";
        controls += "        Label {\n            text: qsTr(" + js_string(label_of(p)) +
                    ")\n            Layout.alignment: Qt.AlignRight\n        }\n";
        if (is_choice(p)) {
            std::string model;
            for (const mirvo_choice &c : shown_choices(p))
                model += "                ListElement { text: " +
                         js_string(capitalised(c.label ? c.label : "")) +
                         "; value: " + number(choice_value(p, c)) + " }\n";
            defaults += "            filter.set(" + prop + ", " + number(p.frei0r.number) + ");\n";
            reads += "        for (var i = 0; i < " + id +
                     ".model.count; ++i)\n"
                     "            if (Math.abs(" +
                     id + ".model.get(i).value - filter.getDouble(" + prop +
                     ")) < 0.001)\n                " + id + ".currentIndex = i;\n";
            controls += "        Shotcut.ComboBox {\n            id: " + id +
                        "\n            implicitWidth: 220\n            textRole: 'text'\n"
                        "            model: ListModel {\n" +
                        model +
                        "            }\n"
                        "            onActivated: filter.set(" +
                        prop + ", model.get(currentIndex).value)\n        }\n";
        } else if (p.frei0r.type == EDITOR_DOUBLE) {
            const std::string lo = number(p.min), span = number(p.max - p.min);
            defaults += "            filter.set(" + prop + ", " + number(p.frei0r.number) + ");\n";
            // A whole-number slider shows what the module draws: it rounds, the slider would cut
            // (4 / 255 x 255 reads 3.99999...).
            const std::string read = "filter.getDouble(" + prop + ") * " + span;
            reads += "        " + id + ".value = " + lo + " + " +
                     (integral(p) ? "Math.round(" + read + ")" : read) + ";\n";
            controls += "        Shotcut.SliderSpinner {\n            id: " + id +
                        "\n            minimumValue: " + lo +
                        "\n            maximumValue: " + number(p.max) +
                        "\n            stepSize: " + (integral(p) ? "1" : "0.001") +
                        "\n            decimals: " + (integral(p) ? "0" : "3") +
                        "\n            suffix: " + js_string(unit) +
                        "\n            onValueChanged: if (ready) filter.set(" + prop +
                        ", (value - " + lo + ") / " + span + ")\n        }\n";
        } else if (p.frei0r.type == EDITOR_BOOL) {
            defaults += "            filter.set(" + prop + ", " + number(p.frei0r.number) + ");\n";
            reads += "        " + id + ".checked = filter.getDouble(" + prop + ") >= 0.5;\n";
            controls += "        CheckBox {\n            id: " + id +
                        "\n            onClicked: filter.set(" + prop +
                        ", checked ? 1 : 0)\n        }\n";
        } else if (p.frei0r.type == EDITOR_COLOR) {
            defaults += "            filter.set(" + prop + ", " +
                        js_string(colour_text(p.frei0r.colour, "#", false)) + ");\n";
            reads += "        " + id + ".value = filter.get(" + prop + ");\n";
            controls += "        Shotcut.ColorPicker {\n            id: " + id +
                        "\n            onValueChanged: if (ready) filter.set(" + prop +
                        ", value)\n        }\n";
        } else {
            const bool file = p.entry && p.entry->control == MIRVO_CONTROL_FILE;
            defaults += "            filter.set(" + prop + ", " +
                        js_string(file ? "" : editor_mlt_text(p.frei0r.text)) + ");\n";
            reads += "        " + id + ".text = filter.get(" + prop + ");\n";
            controls += "        TextField {\n            id: " + id +
                        "\n            Layout.fillWidth: true\n            onEditingFinished: "
                        "filter.set(" +
                        prop + ", text)\n        }\n";
        }
    }
    return "import QtQuick 2.12\n"
           "import QtQuick.Controls 2.12\n"
           "import QtQuick.Layouts 1.12\n"
           "import Shotcut.Controls 1.0 as Shotcut\n\n"
           "Item {\n"
           "    property bool ready: false\n"
           "    width: 350\n"
           "    height: " +
           std::to_string(40 + 34 * n) +
           "\n"
           "    Component.onCompleted: {\n"
           "        if (filter.isNew) {\n" +
           defaults + "        }\n" + reads +
           "        ready = true;\n"
           "    }\n\n"
           "    GridLayout {\n"
           "        anchors.fill: parent\n"
           "        anchors.margins: 8\n"
           "        columns: 2\n\n" +
           controls +
           "        Item {\n"
           "            Layout.fillHeight: true\n"
           "        }\n"
           "    }\n"
           "}\n";
}
