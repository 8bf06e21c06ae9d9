// mirvo-describe - writes the descriptions video editors list an effect by, from the effect's
// module (its descriptor) and its frei0r module:
//
//   mirvo-describe [-M DIR]... --frei0r FILE [--kdenlive DIR] [--shotcut DIR] EFFECT
//
// Kdenlive's DIR/effects/mirvo_EFFECT.xml for a filter or DIR/generators/mirvo_EFFECT.xml for
// a source (DIR: share/kdenlive), Shotcut's DIR/mirvo_EFFECT/meta.qml and ui.qml for a filter
// (DIR: share/shotcut/qml/filters; Shotcut lists no sources of this kind).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor_descriptions.h"
#include "effect_loader.h"

namespace {

const char usage_text[] =
    "Usage: mirvo-describe [-M DIR]... --frei0r FILE [--kdenlive DIR] [--shotcut DIR] EFFECT\n"
    "Writes the descriptions Kdenlive and Shotcut list an effect by, from its module (found\n"
    "by name on the module path or given as a path) and its frei0r module FILE.\n\n"
    "  -M DIR           look for effect modules in DIR first\n"
    "  --frei0r FILE    the effect's frei0r module\n"
    "  --kdenlive DIR   write DIR/effects/mirvo_EFFECT.xml (a filter) or\n"
    "                   DIR/generators/mirvo_EFFECT.xml (a source); DIR: share/kdenlive\n"
    "  --shotcut DIR    write DIR/mirvo_EFFECT/meta.qml and ui.qml (filters only);\n"
    "                   DIR: share/shotcut/qml/filters\n"
    "  --help           print this and exit\n"
    "  --version        print the version and exit\n";

int usage()
{
    fprintf(stderr, "usage: mirvo-describe [-M DIR]... --frei0r FILE [--kdenlive DIR] "
                    "[--shotcut DIR] EFFECT\n");
    return 2;
}

// Makes dir and the folders above it.
bool make_dir(const std::string &dir)
{
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !make_dir(dir.substr(0, slash)))
        return false;
    if (mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    fprintf(stderr, "mirvo-describe: %s: %s\n", dir.c_str(), strerror(errno));
    return false;
}

bool write_file(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    bool ok = f && fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && fclose(f) != 0)
        ok = false;
    if (!ok)
        fprintf(stderr, "mirvo-describe: cannot write %s: %s\n", path.c_str(), strerror(errno));
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> dirs;
    std::string frei0r, kdenlive, shotcut, effect;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](std::string &to) {
            if (i + 1 >= argc)
                return false;
            to = argv[++i];
            return true;
        };
        std::string dir;
        if (a == "--help") {
            fputs(usage_text, stdout);
            return 0;
        }
        if (a == "--version") {
            printf("mirvo-describe %s\n", MIRVO_VERSION);
            return 0;
        }
        if (a == "-M" && next(dir))
            dirs.push_back(dir);
        else if (a == "--frei0r" && next(frei0r)) {
        } else if (a == "--kdenlive" && next(kdenlive)) {
        } else if (a == "--shotcut" && next(shotcut)) {
        } else if (!a.empty() && a[0] != '-' && effect.empty())
            effect = a;
        else
            return usage();
    }
    if (effect.empty() || frei0r.empty())
        return usage();

    mirvo_effect_module module;
    std::string error;
    if (!mirvo_load_effect(effect, module, error, dirs)) {
        fprintf(stderr, "mirvo-describe: %s\n", error.c_str());
        return 1;
    }
    std::vector<frei0r_param_report> report;
    editor_effect fx;
    bool ok = frei0r_module_report(frei0r, report, error) &&
              editor_effect_from(*module.descriptor, report, fx, error);
    if (!ok) {
        mirvo_unload_effect(module);
        fprintf(stderr, "mirvo-describe: %s: %s\n", effect.c_str(), error.c_str());
        return 1;
    }
    if (!kdenlive.empty()) {
        const std::string dir = kdenlive + (fx.filter ? "/effects" : "/generators");
        if (!make_dir(dir) ||
            !write_file(dir + "/mirvo_" + fx.name + ".xml", kdenlive_description(fx)))
            ok = false;
    }
    if (ok && !shotcut.empty() && fx.filter) {
        const std::string dir = shotcut + "/mirvo_" + fx.name;
        if (!make_dir(dir) || !write_file(dir + "/meta.qml", shotcut_meta(fx)) ||
            !write_file(dir + "/ui.qml", shotcut_ui(fx)))
            ok = false;
    }
    // The descriptions point into the descriptor: the module stays loaded until here.
    mirvo_unload_effect(module);
    return ok ? 0 : 1;
}
