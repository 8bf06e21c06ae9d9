#!/usr/bin/env python3
"""The page as people use it: headless Chromium with the browser's usual throttling, driven
by the mouse, keys and typed text (web/browser.py), one case per way the page once let its
users down.
  page_test.py [--build] SITE
SITE is the folder tools/web.sh built (with --build, builds it first). Exit status 77 when
emscripten or Chromium is missing (CTest counts the test as skipped).
"""
import base64
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web"))
import browser  # noqa: E402

SITE = ""
WAIT = 60  # seconds a condition may take on a loaded machine

# Counts, before the page's own scripts run, the frames put on its canvas and every timer or
# animation-frame callback the page's scripts get.
COUNTERS = """
window.seen = {frames: 0, callbacks: 0};
const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...a) {
  window.seen.frames++;
  return put.apply(this, a);
};
for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
  const original = window[name];
  window[name] = function (callback, ...rest) {
    const counted = typeof callback !== 'function' ? callback : function (...a) {
      window.seen.callbacks++;
      return callback.apply(this, a);
    };
    return original.call(window, counted, ...rest);
  };
}
"""


def setUpModule():
    global server, page, base
    server = browser.serve(SITE)
    base = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    page = browser.Page("about:blank", browser.chromium_program(), throttled=True)
    page.command("Page.enable")
    page.command("Network.enable")
    page.command("Log.enable")
    page.command("Page.addScriptToEvaluateOnNewDocument", source=COUNTERS)


def tearDownModule():
    page.close()
    server.shutdown()
    server.server_close()


def address(words=None, **more):
    query = dict(more)
    if words is not None:
        query["play"] = words
    return base + ("?" + urllib.parse.urlencode(query) if query else "")


class PageTest(unittest.TestCase):
    def open(self, url, width=1280, height=720):
        page.size(width, height)
        page.events.clear()
        server.requests.clear()
        page.command("Page.navigate", url=url)
        page.wait_for("document.readyState === 'complete' && window.mirvo && window.mirvo.ready",
                      "the page to start")

    def value(self, expression):
        return page.evaluate(expression)

    def frames(self):
        return self.value("window.seen.frames")

    def wait_frames(self, more=10):
        """Waits until the page has drawn `more` further frames."""
        start = self.frames()
        page.wait_for(f"window.seen.frames >= {start + more}", f"{more} more frames", WAIT)

    def status(self):
        return self.value("document.getElementById('status').textContent")

    def query(self):
        return urllib.parse.parse_qs(urllib.parse.urlparse(self.value("location.href")).query)

    def field(self, entry, param, kind="input"):
        return f"#entries fieldset:nth-of-type({entry + 1}) {kind}[data-param={param}]"

    def still(self, expression, seconds=1.5):
        """The value of `expression` before and after `seconds` without input."""
        before = self.value(expression)
        time.sleep(seconds)
        return before, self.value(expression)

    # 1. A refused value is marked, never stored, and the chain plays on with the last
    # accepted one; a corrected value is taken.
    def test_refused_value_leaves_the_chain_playing(self):
        self.open(address("boxflood"))
        rate = self.field(0, "rate") + "[type=number]"
        page.type(rate, "999")
        self.assertEqual(self.value(f"document.querySelector('{rate}').getAttribute('aria-invalid')"), "true")
        self.assertIn("\u201c999\u201d", self.status())
        for button in ("#add", "#restart"):
            page.click(button)
            self.wait_frames()
        self.assertNotIn("999", self.value("location.search"))
        page.type(self.field(0, "rate") + "[type=number]", "8")
        self.wait_frames()
        self.assertTrue(self.query()["play"][0].startswith("boxflood rate=8 + "), self.query())
        self.assertEqual(self.value("mirvo.sequence().entries[0].values.rate"), 8)

    # 2, 3. With every effect removed nothing is drawn, the canvas is cleared and the read-out
    # says so; so does it while the tab is hidden.
    def test_read_out_says_when_nothing_is_drawn(self):
        self.open(address("wavetext"))
        self.wait_frames()
        page.click("#entries fieldset button")
        before, after = self.still("window.seen.frames")
        self.assertEqual(before, after, "frames drawn with the chain empty")
        self.assertIn("Nothing drawn", self.value("document.getElementById('fps').textContent"))
        self.assertEqual(self.value("""(() => { const c = document.getElementById('screen');
            return c.getContext('2d').getImageData(0, 0, c.width, c.height).data
                    .some((v, i) => i % 4 != 3 && v); })()"""), False)
        self.assertIn("add an effect", self.status())

    # 8, 2. A hidden page draws nothing and its read-out does not pretend otherwise; a paused
    # one runs no timer at all; back in view it draws again.
    def test_hidden_or_paused_page_does_no_work(self):
        self.open(address("rasterwave"))
        self.wait_frames()
        other = page.command("Target.createTarget", url="about:blank")["targetId"]
        page.wait_for("document.hidden", "the page to be hidden")
        before, after = self.still("window.seen.frames", 2.5)
        self.assertEqual(before, after, "frames drawn while hidden")
        self.assertNotIn("frames per second", self.value("document.getElementById('fps').textContent"))
        page.command("Target.closeTarget", targetId=other)
        page.command("Page.bringToFront")
        page.wait_for("!document.hidden", "the page to be shown")
        self.wait_frames()
        page.click("#pause")
        before, after = self.still("window.seen.callbacks")
        self.assertEqual(before, after, "timer callbacks while paused")

    # 4. Paused, a newly chosen program shows its own first frame at once, and Save writes
    # that frame under its name.
    def test_program_chosen_while_paused_shows_its_own_frame(self):
        folder = tempfile.mkdtemp(prefix="mirvo-web-download-")
        try:
            page.command("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder)
            self.open(address("wavetext"))
            page.click("#pause")
            old = self.value("document.getElementById('screen').toDataURL()")
            page.evaluate("document.getElementById('program').focus()")
            page.key("ArrowUp")
            page.wait_for("document.getElementById('program').value === 'rasterwave'", "rasterwave")
            self.assertEqual(self.value("[screen.width, screen.height]".replace(
                "screen.", "document.getElementById('screen').")), [480, 360])
            shown = self.value("document.getElementById('screen').toDataURL()")
            self.assertNotEqual(shown, old)
            self.assertIn("rasterwave", self.status())
            page.click("#save")
            deadline = time.monotonic() + WAIT
            while not glob.glob(os.path.join(folder, "*.png")) and time.monotonic() < deadline:
                time.sleep(0.1)
            saved = glob.glob(os.path.join(folder, "*.png"))
            self.assertEqual([os.path.basename(p) for p in saved], ["mirvo-rasterwave-frame-000001.png"])
            with open(saved[0], "rb") as f:
                self.assertEqual(f.read(), base64.b64decode(shown.split(",", 1)[1]))
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    # 5. Narrow, common and wide windows show the whole canvas with no sideways scrolling,
    # scaled by whole pixels where it fits; pausing moves nothing; the status stays in view.
    def test_layout_fits_every_window(self):
        for width, height in ((360, 740), (1280, 720), (2560, 1440)):
            with self.subTest(width=width):
                self.open(address("wavetext + boxflood + bouncetext"), width, height)
                box = self.value("""(() => { const r = document.getElementById('screen').getBoundingClientRect();
                    return {left: r.left, right: r.right, width: r.width,
                            page: document.documentElement.scrollWidth, room: innerWidth}; })()""")
                self.assertLessEqual(box["page"], box["room"])
                self.assertGreaterEqual(box["left"], 0)
                self.assertLessEqual(box["right"], box["room"])
                if width >= 1280:
                    self.assertEqual(box["width"] % 640, 0)
                    self.assertGreaterEqual(box["width"], 640 * (width // 1280))
        page.click("#fullscreen")
        page.wait_for("document.fullscreenElement === document.getElementById('stage')", "full screen")
        page.wait_for("""(() => { const r = document.getElementById('screen').getBoundingClientRect();
            return r.width >= 1280 && r.right <= innerWidth && r.bottom <= innerHeight; })()""",
                      "the picture filling the screen")
        page.key("f")
        page.wait_for("!document.fullscreenElement", "full screen left")
        where = """(() => { const r = document.getElementById('entries').getBoundingClientRect();
            return [r.left + scrollX, r.top + scrollY, r.width]; })()"""
        before = self.value(where)
        page.click("#pause")
        self.assertEqual(self.value(where), before)
        self.open(address("wavetext"), 1280, 720)
        for _ in range(6):
            page.click("#add")
        self.assertIn("effect 7", self.status())
        self.assertTrue(self.value("""(() => { const r = document.getElementById('status').getBoundingClientRect();
            return r.top >= 0 && r.bottom <= innerHeight; })()"""))

    # 6. The page says what it is; labels are words, help is text on the page, choices are
    # choices, sliders stay on the screen, the playing entry is marked, values are quoted.
    def test_page_explains_itself(self):
        self.open(address("wavetext + boxflood + bouncetext"))
        text = self.value("document.body.innerText")
        self.assertIn("WebAssembly", text)
        catalogue = self.value("mirvo.catalogue")
        for module in catalogue:
            for p in module["params"]:
                self.assertIn(p["help"] if not p["name"] in ("red", "green", "blue") else "", text)
        labels = self.value("[...document.querySelectorAll('#entries label')].map(l => l.textContent)")
        self.assertTrue(labels)
        self.assertEqual([l for l in labels if "_" in l], [])
        self.assertEqual(self.value(f"[...document.querySelectorAll('{self.field(1, 'direction', 'select')} option')]"
                                    ".map(o => o.value).sort()"), ["0", "1"])
        self.assertLessEqual(self.value(f"Math.max(...[...document.querySelectorAll("
                                        f"'#entries fieldset:nth-of-type(3) input[type=range]')].map(r => +r.max))"), 640)
        self.assertEqual(self.value("[...document.querySelectorAll('#entries fieldset')]"
                                    ".map(f => f.getAttribute('aria-current'))"), ["true", None, None])
        page.type(self.field(0, "text"), "")
        self.assertIn("\u201c\u201d", self.status())

    # 7. The address holds the whole state: positional values honoured or refused aloud,
    # texts with spaces kept, and a link reproduces it all in a fresh browser.
    def test_address_holds_the_whole_state(self):
        self.open(address("boxflood 0 8 0 0 255"))
        self.assertEqual(self.value(f"document.querySelector('{self.field(0, 'rate')}[type=number]').value"), "8")
        self.assertEqual(self.query()["play"], ["boxflood direction=0 rate=8 red=0 green=0 blue=255"])
        self.open(address("boxflood 0 8 0 0 999"))
        self.assertIn("999", self.status())
        self.wait_frames()
        self.open(address("wavetext + boxflood"))
        page.type(self.field(0, "text"), "HELLO  WORLD ")
        page.click("#exact")
        page.click("#pause")
        link, state = self.value("location.href"), self.value("mirvo.sequence()")
        self.assertEqual(state["entries"][0]["values"]["text"], "HELLO  WORLD ")
        fresh = browser.Page(link, browser.chromium_program(), throttled=True)
        try:
            fresh.wait_ready()
            self.assertEqual(fresh.evaluate("mirvo.sequence()"), state)
            self.assertEqual(fresh.evaluate(f"document.querySelector('{self.field(0, 'text')}').value"),
                             "HELLO  WORLD ")
            self.assertEqual(fresh.evaluate("[document.getElementById('exact').checked,"
                                            " document.getElementById('pause').getAttribute('aria-pressed')]"),
                             [True, "true"])
        finally:
            fresh.close()

    # 9. No failed request on load (a favicon), a hint when opened from disk, keys for pause
    # and step, a labelled canvas and an announced status.
    def test_small_things(self):
        self.open(address("rasterwave"))
        self.wait_frames()
        # The icon the browser asks for (once per browser: it keeps it) is there.
        self.assertEqual(self.value("""fetch((document.querySelector('link[rel~=icon]') ||
            {href: '/favicon.ico'}).href).then(r => r.status)"""), 200)
        failed = [path for path, code in server.requests if code >= 400]
        errors = [e["params"]["entry"]["text"] for e in page.events
                  if e["method"] == "Log.entryAdded" and e["params"]["entry"]["level"] == "error"]
        self.assertEqual(failed + errors, [])
        self.assertTrue(self.value("!!document.getElementById('screen').getAttribute('aria-label')"))
        self.assertEqual(self.value("document.getElementById('status').getAttribute('aria-live')"), "polite")
        page.click("h1")
        page.key(" ")
        page.wait_for("document.getElementById('pause').getAttribute('aria-pressed') === 'true'", "a pause")
        before, after = self.still("window.seen.frames", 0.5)
        self.assertEqual(before, after)
        page.key(".")
        page.wait_for(f"window.seen.frames > {after}", "a step")
        self.assertEqual(self.frames(), after + 1)
        page.command("Page.navigate", url="file://" + os.path.join(SITE, "index.html"))
        page.wait_for("document.readyState === 'complete'", "the page from disk")
        self.assertIn("tools/web.sh --serve", self.status())


def main():
    global SITE
    build = len(sys.argv) > 1 and sys.argv[1] == "--build"
    if build:
        sys.argv.pop(1)
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    SITE = os.path.abspath(sys.argv.pop(1))
    for program in (["emcmake"] if build else []) + ["chromium"]:
        if not shutil.which(program):
            print(f"page_test: no {program} on PATH (tools/deps.sh test:web installs it)")
            return 77
    if build:
        top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
        if subprocess.run([os.path.join(top, "tools", "web.sh"), SITE]).returncode:
            return 1
    return 0 if unittest.main(verbosity=2, exit=False).result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
