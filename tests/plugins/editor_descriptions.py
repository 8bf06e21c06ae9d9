#!/usr/bin/env python3
"""Checks the Kdenlive and Shotcut descriptions of one effect against its two modules.

editor_descriptions.py EFFECT_MODULE FREI0R_MODULE KDENLIVE_DIR SHOTCUT_DIR

The folders hold what mirvo-describe made (share/kdenlive and share/shotcut/qml/filters). The
effect's catalogue is
read from its descriptor and the frei0r parameters, with the defaults of a fresh instance,
from the frei0r module, both through ctypes: every control of the descriptions must name a
frei0r parameter of the right kind, show the catalogue's range and units and start at the
module's default.
"""
import ctypes as C
import math
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

F0R_BOOL, F0R_DOUBLE, F0R_COLOR, F0R_STRING = 0, 1, 2, 4
NUMBER, RED, GREEN, BLUE, CHOICE, TEXT, FILE = range(7)
PARAM_TEXT = 2
DEFAULT_FIXED = 0


class Choice(C.Structure):
    _fields_ = [("value", C.c_long), ("label", C.c_char_p)]


class Param(C.Structure):
    _fields_ = [("name", C.c_char_p), ("type", C.c_int), ("min", C.c_long), ("max", C.c_long),
                ("source", C.c_int), ("fallback", C.c_char_p), ("help", C.c_char_p),
                ("label", C.c_char_p), ("control", C.c_int), ("choices", C.POINTER(Choice)),
                ("nchoices", C.c_int), ("unit", C.c_char_p)]


class Descriptor(C.Structure):
    _fields_ = [("abi", C.c_int), ("name", C.c_char_p), ("version", C.c_char_p),
                ("description", C.c_char_p), ("filter", C.c_int), ("params", C.POINTER(Param)),
                ("nparams", C.c_int)]


class PluginInfo(C.Structure):
    _fields_ = [("name", C.c_char_p), ("author", C.c_char_p), ("plugin_type", C.c_int),
                ("color_model", C.c_int), ("frei0r_version", C.c_int),
                ("major_version", C.c_int), ("minor_version", C.c_int),
                ("num_params", C.c_int), ("explanation", C.c_char_p)]


class ParamInfo(C.Structure):
    _fields_ = [("name", C.c_char_p), ("type", C.c_int), ("explanation", C.c_char_p)]


failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def text(b):
    return b.decode() if b else ""


def catalogue(path):
    lib = C.CDLL(path)
    lib.mirvo_effect_describe.restype = C.POINTER(Descriptor)
    d = lib.mirvo_effect_describe().contents
    params = []
    for i in range(d.nparams):
        p = d.params[i]
        params.append({"name": text(p.name), "type": p.type, "min": p.min, "max": p.max,
                       "source": p.source, "fallback": text(p.fallback),
                       "label": text(p.label), "control": p.control, "unit": text(p.unit),
                       "choices": [(p.choices[k].value, text(p.choices[k].label))
                                   for k in range(p.nchoices)]})
    return text(d.name), bool(d.filter), params, lib


def whole_range(kind, explanation):
    """The whole numbers an adapter's own number names ("0 to 1 for 1 to 8"), or None."""
    m = re.search(r"0 to 1 for (-?\d+) to (-?\d+)(?=$|[ ),])", explanation)
    if kind != F0R_DOUBLE or not m or int(m[2]) <= int(m[1]):
        return None
    return int(m[1]), int(m[2])


def frei0r_report(path):
    lib = C.CDLL(path)
    lib.f0r_construct.restype = C.c_void_p
    lib.f0r_construct.argtypes = [C.c_uint, C.c_uint]
    lib.f0r_get_param_value.argtypes = [C.c_void_p, C.c_void_p, C.c_int]
    lib.f0r_destruct.argtypes = [C.c_void_p]
    lib.f0r_init()
    info = PluginInfo()
    lib.f0r_get_plugin_info(C.byref(info))
    inst = lib.f0r_construct(640, 480)
    out = []
    for i in range(info.num_params):
        pi = ParamInfo()
        lib.f0r_get_param_info(C.byref(pi), i)
        r = {"name": text(pi.name), "type": pi.type, "default": None,
             "whole": whole_range(pi.type, text(pi.explanation))}
        if inst:
            if pi.type in (F0R_DOUBLE, F0R_BOOL):
                v = C.c_double()
                lib.f0r_get_param_value(inst, C.byref(v), i)
                r["default"] = v.value
            elif pi.type == F0R_COLOR:
                v = (C.c_float * 3)()
                lib.f0r_get_param_value(inst, v, i)
                r["default"] = [round(min(1, max(0, x)) * 255) for x in v]
            elif pi.type == F0R_STRING:
                v = C.c_char_p()
                lib.f0r_get_param_value(inst, C.byref(v), i)
                r["default"] = text(v.value)
        out.append(r)
    if inst:
        lib.f0r_destruct(inst)
    return out


def expected_controls(params, frei0r):
    """Pairs the catalogue with the frei0r parameters as the conventions say."""
    out, i = [], 0
    for f in frei0r:
        if i >= len(params):
            out.append((f, None))  # the adapter's own
            continue
        e = params[i]
        if f["type"] == F0R_COLOR:
            check(e["control"] == RED and [p["control"] for p in params[i + 1:i + 3]] == [GREEN, BLUE],
                  f"{f['name']}: a colour where the catalogue has {e['name']}")
            out.append((f, params[i:i + 3]))
            i += 3
        else:
            check(f["name"] == e["name"], f"frei0r parameter {f['name']} where the catalogue has {e['name']}")
            out.append((f, [e]))
            i += 1
    check(i == len(params), "catalogue entries without a frei0r parameter")
    return out


def close(a, b):
    return math.isclose(float(a), float(b), rel_tol=1e-6, abs_tol=1e-7)


def capital(s):
    return s[:1].upper() + s[1:]


def check_kdenlive(path, name, filter_, controls):
    if shutil.which("xmllint"):
        r = subprocess.run(["xmllint", "--noout", path], capture_output=True, text=True)
        check(r.returncode == 0, f"xmllint: {r.stderr.strip()}")
    root = ET.parse(path).getroot()
    check(root.tag == ("effect" if filter_ else "generator"), f"{path}: <{root.tag}>")
    check(root.get("tag") == "frei0r." + name and root.get("id") == "frei0r." + name,
          f"{path}: tag {root.get('tag')}")
    xml = root.findall("parameter")
    check([x.get("name") for x in xml] == [f["name"] for f, _ in controls],
          f"{path}: parameters {[x.get('name') for x in xml]}")
    for x, (f, entries) in zip(xml, controls):
        what = f"{name}.{f['name']}"
        kind, d = x.get("type"), f["default"]
        e = entries[0] if entries else None
        if e and e["control"] == CHOICE:
            check(kind == "list", f"{what}: {kind} for a choice")
            values = x.get("paramlist").split(";")
            labels = x.find("paramlistdisplay").text.split(",")
            choices = sorted(e["choices"]) if f["type"] == F0R_BOOL else e["choices"]
            want = ([0, 1] if f["type"] == F0R_BOOL else
                    [(v - e["min"]) / (e["max"] - e["min"]) for v, _ in choices])
            check(len(values) == len(want) and all(map(close, values, want)), f"{what}: values {values}")
            check(labels == [capital(label) for _, label in choices], f"{what}: labels {labels}")
            check(x.get("default") in values, f"{what}: default {x.get('default')} not listed")
            check(close(x.get("default"), min(want, key=lambda v: abs(v - d))), f"{what}: default")
        elif not e and f["whole"] and f["whole"][0] != 0:
            # A few whole numbers not from 0: listed, as Kdenlive's slider would read one less.
            lo, hi = f["whole"]
            values = x.get("paramlist", "").split(";")
            want = [(v - lo) / (hi - lo) for v in range(lo, hi + 1)]
            check(kind == "list" and len(values) == len(want) and all(map(close, values, want)),
                  f"{what}: {kind} {values} for the whole numbers {lo} to {hi}")
            check((x.findtext("paramlistdisplay") or "").split(",") == [str(v) for v in range(lo, hi + 1)],
                  f"{what}: labels")
            check(close(x.get("default"), min(want, key=lambda v: abs(v - d))), f"{what}: default")
        elif f["type"] == F0R_DOUBLE:
            check(kind == "animated", f"{what}: {kind} for a number")
            lo, hi = (e["min"], e["max"]) if e else (0, 1)
            check(close(x.get("min"), lo) and close(x.get("max"), hi), f"{what}: range")
            check(close(x.get("factor"), hi - lo), f"{what}: factor {x.get('factor')}")
            if e:
                # Kdenlive cuts default x factor to a whole number: it must show the module's.
                shown, want = float(x.get("default")) * (hi - lo), round(d * (hi - lo))
                check(math.floor(shown) == want and round(shown) == want,
                      f"{what}: default {x.get('default')} shows {shown}, module {d}")
            else:
                check(close(x.get("default"), d), f"{what}: default {x.get('default')}, module {d}")
            if e and e["unit"]:
                check(x.get("suffix", "").strip() == e["unit"], f"{what}: unit")
            # A module that follows frei0r's range starts at the catalogue's default.
            if e and e["source"] == DEFAULT_FIXED and 0 <= d <= 1:
                check(close(lo + d * (hi - lo), e["fallback"]), f"{what}: default shows {lo + d * (hi - lo)}")
        elif f["type"] == F0R_BOOL:
            check(kind == "bool" and close(x.get("default"), d >= 0.5), f"{what}: bool")
        elif f["type"] == F0R_COLOR:
            check(kind == "color", f"{what}: {kind} for a colour")
            check(x.get("default") == "0x%02x%02x%02xff" % tuple(d), f"{what}: default {x.get('default')}")
            if all(p["source"] == DEFAULT_FIXED for p in entries):
                check(d == [int(p["fallback"]) for p in entries], f"{what}: colour {d}")
        else:
            want = "url" if e and e["control"] == FILE else "keywords"
            check(kind == want, f"{what}: {kind} for a text")
            # A file is left empty: the module then takes its own, wherever it is installed.
            check(x.get("default") == ("" if e and e["control"] == FILE else mlt_text(d)),
                  f"{what}: default {x.get('default')!r}")
        if e:
            check(x.find("name").text == e["label"], f"{what}: label {x.find('name').text}")


def mlt_text(t):
    """A text as MLT reads it back whole: MLT takes '=' and ';' as keyframes, and a text in
    double quotes as it stands (one holding a double quote too cannot be written: empty)."""
    if "=" not in t and ";" not in t:
        return t
    return "" if '"' in t else '"' + t + '"'


def check_shotcut(folder, name, controls):
    meta = open(os.path.join(folder, "meta.qml")).read()
    ui = open(os.path.join(folder, "ui.qml")).read()
    check(f"mlt_service: 'frei0r.{name}'" in meta, "meta.qml: mlt_service")
    check("qml: 'ui.qml'" in meta and "type: Metadata.Filter" in meta, "meta.qml: filter and ui")
    check(ui.count("{") == ui.count("}"), "ui.qml: unbalanced braces")
    # The defaults a new filter gets.
    defaults = dict(re.findall(r"filter\.set\('([^']*)', ([^)]*)\);", ui.split("ready = true")[0]))
    written = set(re.findall(r"filter\.set\('([^']*)'", ui))
    check(written == {f["name"] for f, _ in controls}, f"ui.qml writes {sorted(written)}")
    sliders = re.findall(r"minimumValue: (\S+)\s+maximumValue: (\S+)", ui)
    # A parameter the descriptor does not have (the adapter's scale) is frei0r's 0 to 1, or
    # the whole numbers its explanation names.
    want = [(e[0]["min"], e[0]["max"]) if e else (f["whole"] or (0, 1)) for f, e in controls
            if f["type"] == F0R_DOUBLE and not (e and e[0]["control"] == CHOICE)]
    check([(float(a), float(b)) for a, b in sliders] == [(float(a), float(b)) for a, b in want],
          f"ui.qml: slider ranges {sliders}")
    # A new filter's slider opens on the value the module draws from the default the panel
    # wrote, which it rounds to a whole number: a spin box cuts what it is given, so the
    # written 0.0156862745 x 255 = 3.99999... must be rounded in the panel to show 4.
    reads = {m[2]: m for m in re.findall(
        r"\.value = (\S+) \+ (Math\.round\()?filter\.getDouble\('([^']*)'\) \* ([0-9.e+-]+)", ui)}
    for f, e in controls:
        if f["type"] != F0R_DOUBLE or (e and e[0]["control"] == CHOICE) or not (e or f["whole"]):
            continue
        lo, rounded, _, span = reads.get(f["name"], ("nan", "", "", "nan"))
        shown = float(defaults.get(f["name"], "nan")) * float(span)
        shown = float(lo) + (math.floor(shown + 0.5) if rounded else shown)
        first, last = (e[0]["min"], e[0]["max"]) if e else f["whole"]
        want = first + math.floor(f["default"] * (last - first) + 0.5)
        check(math.floor(shown) == want, f"ui.qml: {f['name']} opens on {shown}, the module draws {want}")
    for f, _ in controls:
        got = defaults.get(f["name"])
        if f["type"] in (F0R_DOUBLE, F0R_BOOL):
            check(got is not None and close(got, f["default"]), f"ui.qml: default of {f['name']}: {got}")
        elif f["type"] == F0R_COLOR:
            check(got == "'#%02x%02x%02x'" % tuple(f["default"]), f"ui.qml: colour {got}")


def main():
    module, frei0r, kdenlive, shotcut = sys.argv[1:5]
    name, filter_, params, keep = catalogue(module)
    controls = expected_controls(params, frei0r_report(frei0r))
    where = "effects" if filter_ else "generators"
    check_kdenlive(os.path.join(kdenlive, where, f"mirvo_{name}.xml"), name, filter_, controls)
    folder = os.path.join(shotcut, f"mirvo_{name}")
    if filter_:
        check_shotcut(folder, name, controls)
    else:
        check(not os.path.exists(folder), f"{folder}: Shotcut has no place for a source")
    for f in failures:
        print("FAIL:", f)
    print(f"{name}: {len(controls)} controls, {len(failures)} failures")
    del keep
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
