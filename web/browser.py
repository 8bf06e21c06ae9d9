#!/usr/bin/env python3
"""Drives the page in Debian's headless Chromium through the DevTools protocol, with
nothing but Python's standard library (the websocket framing is written out here).

  browser.py SITE frames OUT FRAMES [--exact] NAME=WORDS...
      the first FRAMES frames of each program, read back from the page's canvas, as
      OUT/NAME/frame-NNNNNN.png (WORDS as on mirvo-play's command line)
  browser.py SITE rate SECONDS [WORDS]
      frames the page's main loop draws per second of its own clock over SECONDS
  browser.py SITE cost FRAMES WORDS
      milliseconds the page spends on one frame (drawn and put on the canvas), stepped
  browser.py SITE screenshot OUT.png [--size WIDTHxHEIGHT] [WORDS]
      a picture of the page (default 1280 x 720) after four seconds of play

SITE is the folder tools/web.sh built (index.html, page.js, mirvo-web.js, mirvo-web.wasm);
it is served on 127.0.0.1 at a free port for the run. Exit status 0, or 1 with a message.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-extensions", "--disable-default-apps", "--mute-audio",
    "--remote-debugging-port=0", "--remote-allow-origins=*", "--window-size=1280,720",
]
# For the frame and rate runs, which must keep their 50 frames whatever the browser thinks
# of a page nobody looks at; the page's own test runs with the browser's usual throttling.
UNTHROTTLED = ["--disable-background-timer-throttling", "--disable-renderer-backgrounding",
               "--disable-backgrounding-occluded-windows"]
# WebGL on the machine's own OpenGL, Mesa's llvmpipe here (ANGLE over desktop GL in an X
# display, Xvfb without a screen): the rasteriser a native GL program draws with, where the
# default (--disable-gpu) puts WebGL on SwiftShader. The window is made as large as the canvas
# so that the compositor fills no more than the canvas (Page.fit_window takes off the window's
# own bars).
def system_gl(width, height):
    return ["--use-gl=angle", "--use-angle=gl", "--ignore-gpu-blocklist",
            f"--window-size={width},{height}"]


START_SECONDS = 60


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript"})

    def log_message(self, *args):
        pass

    def log_request(self, code="-", size="-"):
        self.server.requests.append((self.path, int(code)))


def serve(site):
    """Serves `site` on 127.0.0.1 at a free port; server.requests lists (path, status)."""
    handler = functools.partial(Quiet, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.requests = []
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class WebSocket:
    """A client for one websocket: text frames out (masked), whole messages in."""

    def __init__(self, url):
        parts = urllib.parse.urlparse(url)
        self.sock = socket.create_connection((parts.hostname, parts.port), timeout=300)
        key = base64.b64encode(os.urandom(16)).decode()
        request = (f"GET {parts.path} HTTP/1.1\r\nHost: {parts.hostname}:{parts.port}\r\n"
                   "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                   f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode())
        reply = b""
        while b"\r\n\r\n" not in reply:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise RuntimeError("the browser closed the DevTools connection")
            reply += chunk
        head, self.pending = reply.split(b"\r\n\r\n", 1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise RuntimeError("DevTools refused the websocket: " + head.decode(errors="replace"))

    def _read(self, n):
        while len(self.pending) < n:
            chunk = self.sock.recv(1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed the DevTools connection")
            self.pending += chunk
        data, self.pending = self.pending[:n], self.pending[n:]
        return data

    def send(self, text):
        payload = text.encode()
        n = len(payload)
        if n < 126:
            head = struct.pack("!BB", 0x81, 0x80 | n)
        elif n < 1 << 16:
            head = struct.pack("!BBH", 0x81, 0x80 | 126, n)
        else:
            head = struct.pack("!BBQ", 0x81, 0x80 | 127, n)
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(head + mask + masked)

    def receive(self):
        message = b""
        while True:
            b0, b1 = self._read(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack("!H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack("!Q", self._read(8))[0]
            mask = self._read(4) if b1 & 0x80 else None
            data = self._read(n)
            if mask:
                data = bytes(b ^ mask[i % 4] for i, b in enumerate(data))
            opcode = b0 & 0x0F
            if opcode == 0x8:
                raise RuntimeError("the browser closed the DevTools connection")
            if opcode in (0x9, 0xA):  # ping, pong: not part of a message
                continue
            message += data
            if b0 & 0x80:
                return message.decode()


class Page:
    """One Chromium with one page, spoken to through the DevTools protocol."""

    def __init__(self, url, chromium, throttled=False, gl=None):
        """`gl`: flags choosing where WebGL draws (system_gl()); the default is SwiftShader."""
        flags = CHROMIUM_FLAGS
        if gl:
            flags = [f for f in flags
                     if f != "--disable-gpu" and not f.startswith("--window-size=")] + gl
        self.profile = tempfile.mkdtemp(prefix="mirvo-chromium-")
        self.events = []
        self.process = subprocess.Popen(
            [chromium] + flags + ([] if throttled else UNTHROTTLED) +
            [f"--user-data-dir={self.profile}", url],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + START_SECONDS
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise RuntimeError(f"{chromium} did not start its DevTools server")
            time.sleep(0.1)
        with open(port_file) as f:
            port = f.read().split()[0]
        targets = []
        while not any(t.get("type") == "page" for t in targets):
            if time.monotonic() > deadline:
                self.close()
                raise RuntimeError("Chromium opened no page")
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list") as reply:
                targets = json.load(reply)
            time.sleep(0.1)
        page = next(t for t in targets if t.get("type") == "page")
        self.socket = WebSocket(page["webSocketDebuggerUrl"])
        self.next_id = 0

    def command(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            reply = json.loads(self.socket.receive())
            if "method" in reply:
                self.events.append(reply)
            elif reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]

    def evaluate(self, expression):
        result = self.command("Runtime.evaluate", expression=expression, awaitPromise=True,
                              returnByValue=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            raise RuntimeError(f"the page failed: {text}")
        return result["result"].get("value")

    def wait_for(self, expression, what, seconds=START_SECONDS):
        """Waits until `expression` is true on the page; its value, or an error naming `what`."""
        deadline = time.monotonic() + seconds
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise RuntimeError(f"waited {seconds} s for {what}")
            time.sleep(0.05)

    def size(self, width, height):
        """The page's window as a screen of width x height CSS pixels."""
        self.command("Emulation.setDeviceMetricsOverride", width=width, height=height,
                     deviceScaleFactor=1, mobile=False)

    def fit_window(self, width, height):
        """Makes the window's inside (the viewport, without the window's own bars) width x
        height pixels; returns the viewport's size as the page then sees it."""
        window = self.command("Browser.getWindowForTarget")
        inner = self.evaluate("[innerWidth, innerHeight]")
        bounds = {"width": window["bounds"]["width"] + width - inner[0],
                  "height": window["bounds"]["height"] + height - inner[1]}
        self.command("Browser.setWindowBounds", windowId=window["windowId"], bounds=bounds)
        deadline = time.monotonic() + 5
        while inner != [width, height] and time.monotonic() < deadline:
            time.sleep(0.05)
            inner = self.evaluate("[innerWidth, innerHeight]")
        return inner

    # Input as a person gives it: the mouse at an element's middle, keys, typed text.
    def click(self, selector):
        box = self.evaluate(f"""(() => {{
            const e = document.querySelector({json.dumps(selector)});
            if (!e) return null;
            e.scrollIntoView({{block: 'center', inline: 'center'}});
            const r = e.getBoundingClientRect();
            return [r.left + r.width / 2, r.top + r.height / 2];
        }})()""")
        if not box:
            raise RuntimeError(f"nothing on the page matches {selector}")
        for kind in ("mousePressed", "mouseReleased"):
            self.command("Input.dispatchMouseEvent", type=kind, x=box[0], y=box[1],
                         button="left", clickCount=1)

    KEYS = {" ": ("Space", 32), "Enter": ("Enter", 13), "Tab": ("Tab", 9),
            "ArrowDown": ("ArrowDown", 40), "ArrowUp": ("ArrowUp", 38),
            "Backspace": ("Backspace", 8)}

    def key(self, key):
        if key in self.KEYS:
            code, number = self.KEYS[key]
        elif key.isalpha():
            code, number = "Key" + key.upper(), ord(key.upper())
        else:
            code, number = {".": ("Period", 190)}[key]
        text = key if len(key) == 1 else "\r" if key == "Enter" else ""
        self.command("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", key=key,
                     code=code, windowsVirtualKeyCode=number, text=text)
        self.command("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                     windowsVirtualKeyCode=number)

    def type(self, selector, text):
        """Clicks into a field, selects what it holds, types `text` over it and presses Enter."""
        self.click(selector)
        for kind in ("rawKeyDown", "keyUp"):  # Ctrl+A
            self.command("Input.dispatchKeyEvent", type=kind, key="a", code="KeyA",
                         windowsVirtualKeyCode=65, modifiers=2, commands=["selectAll"])
        self.key("Backspace")
        if text:
            self.command("Input.insertText", text=text)
        self.key("Enter")

    def wait_ready(self):
        deadline = time.monotonic() + START_SECONDS
        while not self.evaluate("!!(window.mirvo && window.mirvo.ready)"):
            if time.monotonic() > deadline:
                status = self.evaluate("document.getElementById('status').textContent")
                raise RuntimeError(f"the page did not start: {status!r}")
            time.sleep(0.1)

    def close(self):
        if getattr(self, "socket", None):
            self.socket.sock.close()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def chromium_program():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("no chromium on PATH")


def open_page(site, words=None, paused=False, throttled=False):
    server = serve(site)
    query = {}
    if words:
        query["play"] = words
    if paused:
        query["paused"] = "1"
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    if query:
        url += "?" + urllib.parse.urlencode(query)
    page = Page(url, chromium_program(), throttled)
    try:
        page.wait_ready()
    except Exception:
        page.close()
        server.shutdown()
        raise
    return server, page


def frames(site, out, count, exact, jobs):
    server, page = open_page(site, paused=True)
    try:
        for name, words in jobs:
            urls = page.evaluate(
                f"mirvo.capture({json.dumps(words.split())}, {count}, {'true' if exact else 'false'})")
            folder = os.path.join(out, name)
            os.makedirs(folder, exist_ok=True)
            for i, url in enumerate(urls, 1):
                with open(os.path.join(folder, f"frame-{i:06d}.png"), "wb") as f:
                    f.write(base64.b64decode(url.split(",", 1)[1]))
    finally:
        page.close()
        server.shutdown()


def rate(site, seconds, words):
    server, page = open_page(site, words)
    try:
        time.sleep(1)  # past the first frames and the compilation
        return page.evaluate(f"mirvo.rate({int(seconds * 1000)})")
    finally:
        page.close()
        server.shutdown()


def cost(site, count, words):
    server, page = open_page(site, paused=True)
    try:
        page.evaluate(f"mirvo.cost({json.dumps(words.split())}, 50)")  # compiled and warm
        return page.evaluate(f"mirvo.cost({json.dumps(words.split())}, {count})")
    finally:
        page.close()
        server.shutdown()


def screenshot(site, out, words, width=1280, height=720, seconds=4):
    server, page = open_page(site, words)
    try:
        page.size(width, height)
        time.sleep(seconds)
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
        if what == "frames" and len(rest) >= 3:
            exact = "--exact" in rest
            rest = [r for r in rest if r != "--exact"]
            jobs = [tuple(j.split("=", 1)) for j in rest[2:]]
            frames(site, rest[0], int(rest[1]), exact, jobs)
        elif what == "rate" and rest:
            print(f"{rate(site, float(rest[0]), ' '.join(rest[1:]) or None):.2f}")
        elif what == "cost" and len(rest) >= 2:
            print(f"{cost(site, int(rest[0]), ' '.join(rest[1:])):.3f}")
        elif what == "screenshot" and rest:
            width, height = 1280, 720
            if len(rest) >= 3 and rest[1] == "--size":
                width, height = (int(n) for n in rest[2].split("x"))
                rest = rest[:1] + rest[3:]
            screenshot(site, rest[0], " ".join(rest[1:]) or None, width, height)
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (RuntimeError, OSError) as e:
        print(f"browser.py: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
