// The editors' descriptions made from a catalogue and a frei0r module's report: frei0r's
// conventions (a colour for three components, a bool for a choice of two, numbers in [0, 1])
// become colour pickers, lists and sliders in the catalogue's units, and a report that does
// not follow the catalogue is refused with the parameter named.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BOXFLOOD/boxflood_params.h"
#include "editor_descriptions.h"

namespace {

mirvo_effect_descriptor boxflood_descriptor()
{
    mirvo_effect_descriptor d{};
    d.abi = MIRVO_EFFECT_ABI;
    d.name = "boxflood";
    d.version = "1.0";
    d.description = "a box";
    d.filter = 1;
    d.params = boxflood_params;
    d.nparams = BOXFLOOD_NPARAMS;
    return d;
}

frei0r_param_report number(const char *name, double v)
{
    frei0r_param_report r;
    r.name = name;
    r.type = EDITOR_DOUBLE;
    r.number = v;
    return r;
}

frei0r_param_report of_type(const char *name, int type, double v = 0)
{
    frei0r_param_report r = number(name, v);
    r.type = type;
    return r;
}

// boxflood as a module following frei0r's conventions reports it.
std::vector<frei0r_param_report> conventional()
{
    frei0r_param_report colour = of_type("colour", EDITOR_COLOR);
    colour.colour[0] = 1, colour.colour[1] = 160 / 255.f, colour.colour[2] = 0;
    return {of_type("direction", EDITOR_BOOL, 1), number("rate", 4 / 255.0), colour};
}

struct described {
    const char *what;
    std::vector<frei0r_param_report> report;
    std::vector<std::string> kdenlive;  // lines the Kdenlive file holds
    std::vector<std::string> shotcut;   // lines the Shotcut panel holds
};

class Describes : public ::testing::TestWithParam<described> { };

TEST_P(Describes, TheControlsInTheCataloguesUnits)
{
    const described &c = GetParam();
    const mirvo_effect_descriptor d = boxflood_descriptor();
    editor_effect fx;
    std::string error;
    ASSERT_TRUE(editor_effect_from(d, c.report, fx, error)) << error;
    ASSERT_EQ(fx.params.size(), c.report.size());
    const std::string xml = kdenlive_description(fx), ui = shotcut_ui(fx);
    EXPECT_NE(xml.find("<effect tag=\"frei0r.boxflood\" id=\"frei0r.boxflood\">"),
              std::string::npos);
    EXPECT_NE(shotcut_meta(fx).find("mlt_service: 'frei0r.boxflood'"), std::string::npos);
    for (const std::string &line : c.kdenlive)
        EXPECT_NE(xml.find(line), std::string::npos) << line << "\n" << xml;
    for (const std::string &line : c.shotcut)
        EXPECT_NE(ui.find(line), std::string::npos) << line << "\n" << ui;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Describes,
    ::testing::Values(
        described{"conventional",
                  conventional(),
                  {"<parameter type=\"list\" name=\"direction\" default=\"1\" paramlist=\"0;1\">",
                   "<paramlistdisplay>Shrink to the centre,Grow from the centre</paramlistdisplay>",
                   "<parameter type=\"animated\" name=\"rate\" default=\"0.0156866667\" min=\"0\" "
                   "max=\"255\" factor=\"255\" decimals=\"0\" suffix=\" px\">",
                   "<parameter type=\"color\" name=\"colour\" default=\"0xffa000ff\">",
                   "<comment>Fill colour</comment>"},
                  {"filter.set('colour', '#ffa000');", "Shotcut.ColorPicker {",
                   "ListElement { text: 'Grow from the centre'; value: 1 }",
                   "onValueChanged: if (ready) filter.set('rate', (value - 0) / 255)",
                   // a whole-number slider rounds as the module does (a spin box would cut)
                   "control1.value = 0 + Math.round(filter.getDouble('rate') * 255);"}},
        // A parameter past the catalogue (the adapter's own) is shown as frei0r gives it...
        described{
            "with an adapter's own",
            [] {
                auto r = conventional();
                r.push_back(number("scale", 0.25));
                return r;
            }(),
            {"<parameter type=\"animated\" name=\"scale\" default=\"0.25\" min=\"0\" "
             "max=\"1\" factor=\"1\" decimals=\"3\">"},
            {"filter.set('scale', 0.25);", "control3.value = 0 + filter.getDouble('scale') * 1;"}},
        // ... or as the whole numbers its explanation names: Kdenlive lists them (its slider
        // would read one less), Shotcut's slider runs over them and rounds as the module does.
        described{"with an adapter's own whole numbers",
                  [] {
                      auto r = conventional();
                      r.push_back(number("scale", 0.25));
                      r.back().explanation = "pixels as squares: 0 to 1 for 1 to 8 (default 0: 1)";
                      return r;
                  }(),
                  {"<parameter type=\"list\" name=\"scale\" default=\"0.285714286\" "
                   "paramlist=\"0;0.142857143;0.285714286;0.428571429;0.571428571;0.714285714;"
                   "0.857142857;1\">",
                   "<paramlistdisplay>1,2,3,4,5,6,7,8</paramlistdisplay>"},
                  {"minimumValue: 1\n            maximumValue: 8\n            stepSize: 1",
                   "control3.value = 1 + Math.round(filter.getDouble('scale') * 7);",
                   "onValueChanged: if (ready) filter.set('scale', (value - 1) / 7)"}},
        described{"with an adapter's own range not whole",
                  [] {
                      auto r = conventional();
                      r.push_back(number("scale", 0.25));
                      r.back().explanation = "0 to 1 for 1 to 8.5";
                      return r;
                  }(),
                  {"name=\"scale\" default=\"0.25\" min=\"0\" max=\"1\" factor=\"1\""},
                  {"control3.value = 0 + filter.getDouble('scale') * 1;"}},
        // Three numbers for the three components, and a choice as a number: each its own.
        described{"colour as three numbers",
                  {number("direction", 1 / 255.0), number("rate", 0), number("red", 1),
                   number("green", 0.5), number("blue", 0)},
                  {"paramlist=\"0.00392156863;0\"",
                   "name=\"green\" default=\"0.501961176\" min=\"0\" "
                   "max=\"255\" factor=\"255\""},
                  {"ListElement { text: 'Grow from the centre'; value: 0.00392156863 }"}}),
    [](const auto &info) {
        std::string n = info.param.what;
        for (char &ch : n)
            if (!isalnum((unsigned char)ch))
                ch = '_';
        return n;
    });

struct refused {
    const char *what;
    std::vector<frei0r_param_report> report;
    const char *named;  // in the reason
};

class Refuses : public ::testing::TestWithParam<refused> { };

TEST_P(Refuses, AReportThatDoesNotFitTheCatalogue)
{
    const mirvo_effect_descriptor d = boxflood_descriptor();
    editor_effect fx;
    std::string error;
    EXPECT_FALSE(editor_effect_from(d, GetParam().report, fx, error));
    EXPECT_NE(error.find(GetParam().named), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Refuses,
    ::testing::Values(
        refused{"too_few", {of_type("direction", EDITOR_BOOL, 1), number("rate", 0)}, "red"},
        refused{"renamed",
                {of_type("direction", EDITOR_BOOL, 1), number("speed", 0),
                 of_type("colour", EDITOR_COLOR)},
                "speed"},
        refused{"text_for_a_number",
                {of_type("direction", EDITOR_BOOL, 1), of_type("rate", EDITOR_STRING),
                 of_type("colour", EDITOR_COLOR)},
                "rate"},
        refused{"colour_for_a_choice",
                {of_type("direction", EDITOR_COLOR), number("rate", 0), number("red", 0),
                 number("green", 0), number("blue", 0)},
                "direction"}),
    [](const auto &info) { return std::string(info.param.what); });

// A range that does not start at 0 maps its ends onto 0 and 1 and back.
TEST(EditorMapping, NumbersOntoTheUnitRangeAndBack)
{
    editor_param glyph;
    glyph.min = 1;
    glyph.max = 255;
    for (double v : {1.0, 16.0, 32.0, 255.0})
        EXPECT_DOUBLE_EQ(editor_from_frei0r(glyph, editor_to_frei0r(glyph, v)), v);
    EXPECT_DOUBLE_EQ(editor_to_frei0r(glyph, 1), 0);
    EXPECT_DOUBLE_EQ(editor_to_frei0r(glyph, 255), 1);
    EXPECT_DOUBLE_EQ(editor_to_frei0r(glyph, 16), 15.0 / 254);
}

// A text goes to MLT as it stands unless MLT would read it as keyframes: with '=' or ';' it
// is quoted, and with a double quote as well (which cannot be quoted) left to the module.
TEST(EditorMapping, TextsThatMltWouldReadAsKeyframesAreQuoted)
{
    const std::pair<std::string, std::string> cases[] = {
        {"HELLO WORLD", "HELLO WORLD"},
        {"", ""},
        {":;<=>?", "\":;<=>?\""},
        {"A=B", "\"A=B\""},
        {"ONE; TWO", "\"ONE; TWO\""},
        {"SAY \"HI\"", "SAY \"HI\""},
        {"\"A\"=B", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(editor_mlt_text(c.first), c.second) << c.first;
}

}  // namespace
