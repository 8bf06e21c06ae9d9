#!/usr/bin/env python3
"""Drives kora-demo's page (web/kora/) in Debian's headless Chromium, through web/browser.py.

  kora_browser.py SITE frames OUT ARGS...
      runs the page with kora-demo's options ARGS (which end the run: --frames N, and
      --capture NAME for the frames to keep) and writes each captured frame as OUT/NAME
  kora_browser.py SITE measure [SECONDS [swiftshader]]
      a cold load at 800 x 600 in a window of that inside: milliseconds to the first frame, bytes
      transferred, the frames per second the page draws over SECONDS (default 10) and the
      renderer WebGL reports; WebGL draws with the system's OpenGL (Mesa's llvmpipe, as a
      native GL program does), which needs an X display (xvfb-run), or with SwiftShader
  kora_browser.py SITE click OUT.png X Y [ARGS...]
      once the page draws, a left click with the mouse at (X, Y) of the canvas; a second
      later, a picture of the canvas as OUT.png
  kora_browser.py SITE screenshot OUT.png [WxH] [ARGS...]
      a picture of the page after six seconds, its window made W x H (default: Chromium's
      headless window) once it runs, so the canvas follows the window

SITE is the folder tools/web.sh built (the page is SITE/kora/index.html); it is served on
127.0.0.1 at a free port for the run. Exit status 0, or 1 with a message.
"""
import base64
import json
import os
import re
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import browser  # noqa: E402  (web/browser.py: the server, Chromium and the DevTools client)

RUN_SECONDS = 600


def open_page(site, args, gl=None):
    server = browser.serve(site)
    query = urllib.parse.urlencode({"args": " ".join(args)}) if args else ""
    url = f"http://127.0.0.1:{server.server_address[1]}/kora/index.html" + ("?" + query if query else "")
    page = browser.Page(url, browser.chromium_program(), gl=gl)
    return server, page


def wait_for(page, expression, seconds, what):
    deadline = time.monotonic() + seconds
    while not page.evaluate(expression):
        errors = page.evaluate("window.kora ? kora.errors : []") or []
        if errors:
            raise RuntimeError(f"the page failed: {errors[0]}")
        if time.monotonic() > deadline:
            raise RuntimeError(f"the page did not {what} within {seconds} s")
        time.sleep(0.1)


def frames(site, out, args):
    server, page = open_page(site, args)
    try:
        wait_for(page, "!!(window.kora && kora.done)", RUN_SECONDS, "finish its frames")
        captures = page.evaluate("kora.captures")
        if not captures:
            raise RuntimeError("the page captured no frame (--capture?)")
        os.makedirs(out, exist_ok=True)
        for name, url in captures.items():
            with open(os.path.join(out, os.path.basename(name)), "wb") as f:
                f.write(base64.b64decode(url.split(",", 1)[1]))
    finally:
        page.close()
        server.shutdown()


RENDERER = """(() => {
    const gl = document.createElement("canvas").getContext("webgl");
    const info = gl && gl.getExtension("WEBGL_debug_renderer_info");
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : "unknown";
})()"""


def measure(site, seconds, swiftshader=False):
    if not swiftshader and not os.environ.get("DISPLAY"):
        raise RuntimeError("measuring on the system's OpenGL needs an X display (xvfb-run -a)")
    gl = None if swiftshader else browser.system_gl(800, 600)
    server, page = open_page(site, ["--size", "800x600"], gl)
    try:
        wait_for(page, "!!(window.kora && kora.frames > 0)", 60, "draw its first frame")
        if not swiftshader and page.fit_window(800, 600) != [800, 600]:
            raise RuntimeError("the window's inside did not become 800 x 600")
        if page.evaluate("[canvas.width, canvas.height, devicePixelRatio]") != [800, 600, 1]:
            raise RuntimeError("the canvas is not 800 x 600 device pixels")
        first = page.evaluate("kora.firstFrame")
        transferred = page.evaluate(
            "performance.getEntriesByType('navigation').concat(performance.getEntriesByType("
            "'resource')).reduce((n, e) => n + e.transferSize, 0)")
        time.sleep(1)
        rate = page.evaluate(f"kora.rate({int(seconds * 1000)})")
        return {"first_frame_ms": round(first, 1), "bytes": transferred, "fps": round(rate, 2),
                "renderer": page.evaluate(RENDERER)}
    finally:
        page.close()
        server.shutdown()


def canvas_picture(page, out):
    width, height = page.evaluate("[canvas.width, canvas.height]")
    shot = page.command("Page.captureScreenshot", format="png",
                        clip={"x": 0, "y": 0, "width": width, "height": height, "scale": 1})
    with open(out, "wb") as f:
        f.write(base64.b64decode(shot["data"]))


def click(site, out, x, y, args):
    server, page = open_page(site, args)
    try:
        wait_for(page, "!!(window.kora && kora.frames > 2)", 60, "draw its first frames")
        for kind in ("mousePressed", "mouseReleased"):
            page.command("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                         clickCount=1)
        time.sleep(1)
        canvas_picture(page, out)
    finally:
        page.close()
        server.shutdown()


def screenshot(site, out, window, args):
    server, page = open_page(site, args)
    try:
        wait_for(page, "!!(window.kora && kora.frames > 0)", 60, "draw its first frame")
        if window:
            width, height = (int(v) for v in window.split("x"))
            page.command("Emulation.setDeviceMetricsOverride", width=width, height=height,
                         deviceScaleFactor=1, mobile=False)
        time.sleep(6)
        shot = page.command("Page.captureScreenshot", format="png")
        with open(out, "wb") as f:
            f.write(base64.b64decode(shot["data"]))
    finally:
        page.close()
        server.shutdown()


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    site, what, rest = argv[1], argv[2], argv[3:]
    try:
        if what == "frames" and len(rest) >= 2:
            frames(site, rest[0], rest[1:])
        elif what == "measure" and rest[1:] in ([], ["swiftshader"]):
            print(json.dumps(measure(site, float(rest[0]) if rest else 10.0, rest[1:] != [])))
        elif what == "click" and len(rest) >= 3:
            click(site, rest[0], int(rest[1]), int(rest[2]), rest[3:])
        elif what == "screenshot" and rest:
            sized = len(rest) > 1 and re.fullmatch(r"[0-9]+x[0-9]+", rest[1])
            screenshot(site, rest[0], rest[1] if sized else None, rest[2 if sized else 1:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (RuntimeError, OSError) as e:
        print(f"kora_browser.py: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
