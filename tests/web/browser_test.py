#!/usr/bin/env python3
"""The browser build in headless Chromium, driven through its DevTools
protocol: a held frame equal to vorn-capture's, sound started by the click,
a key and a pictured button reaching the program, no console errors.

usage: browser_test.py --build DIR --capture VORN_CAPTURE [--at MS] [--screenshot PNG]
"""
import argparse
import base64
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
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web"))
import serve  # noqa: E402

LCD_X, LCD_Y, LCD_W, LCD_H = 169, 45, 320, 240
# Window rectangles of the pictured volume buttons (down, up).
VOL_DOWN, VOL_UP = (54, 233), (106, 233)


class WebSocket:
    """Just enough of a websocket client for the DevTools protocol."""

    def __init__(self, url):
        assert url.startswith("ws://")
        hostport, path = url[5:].split("/", 1)
        host, port = hostport.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {hostport}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise ConnectionError("websocket handshake cut short")
            head += chunk
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise ConnectionError("websocket refused: " + head.decode(errors="replace"))

    def _exact(self, n):
        buf = bytearray()
        while len(buf) < n:
            chunk = self.sock.recv(n - len(buf))
            if not chunk:
                raise ConnectionError("websocket closed")
            buf += chunk
        return bytes(buf)

    def send(self, text):
        data = text.encode()
        head = bytearray([0x81])
        n = len(data)
        if n < 126:
            head.append(0x80 | n)
        elif n < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", n)
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", n)
        mask = os.urandom(4)
        self.sock.sendall(bytes(head) + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def recv(self):
        message = bytearray()
        while True:
            b0, b1 = self._exact(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._exact(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._exact(8))[0]
            payload = self._exact(n)
            opcode = b0 & 0x0F
            if opcode == 8:
                raise ConnectionError("websocket closed by the browser")
            if opcode in (9, 10):  # ping / pong: the browser does not need replies here
                continue
            message += payload
            if b0 & 0x80:
                return message.decode()


class Browser:
    def __init__(self, chromium):
        self.profile = tempfile.mkdtemp(prefix="vorn-chromium-")
        self.proc = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-extensions", "--mute-audio", "--window-size=1100,760",
             f"--user-data-dir={self.profile}", "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if self.proc.poll() is not None or time.time() > deadline:
                raise RuntimeError("chromium did not start")
            time.sleep(0.1)
        port = int(open(port_file).read().split()[0])
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10) as r:
            pages = [t for t in json.load(r) if t["type"] == "page"]
        self.ws = WebSocket(pages[0]["webSocketDebuggerUrl"])
        self.next_id = 0
        self.errors = []
        self.console = []  # everything the page wrote, shown when a check fails
        self.send("Runtime.enable")
        self.send("Log.enable")
        self.send("Page.enable")

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _event(self, msg):
        method, p = msg.get("method"), msg.get("params", {})
        if method == "Runtime.consoleAPICalled":
            self.console.append(" ".join(str(a.get("value", a.get("description"))) for a in p.get("args", [])))
        if method == "Runtime.consoleAPICalled" and p.get("type") in ("error", "assert"):
            self.errors.append("console: " + " ".join(str(a.get("value", a.get("description")))
                                                      for a in p.get("args", [])))
        elif method == "Runtime.exceptionThrown":
            d = p.get("exceptionDetails", {})
            self.errors.append("exception: " + str(d.get("exception", {}).get("description", d.get("text"))))
        elif method == "Log.entryAdded" and p.get("entry", {}).get("level") == "error":
            self.errors.append("log: " + p["entry"].get("text", ""))

    def send(self, method, **params):
        self.next_id += 1
        mine = self.next_id
        self.ws.send(json.dumps({"id": mine, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get("id") == mine:
                if "error" in msg:
                    raise RuntimeError(f"{method}: {msg['error']}")
                return msg.get("result", {})
            self._event(msg)

    def eval(self, expr):
        r = self.send("Runtime.evaluate", expression=expr, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in r:
            raise RuntimeError(f"{expr}: {r['exceptionDetails']}")
        return r["result"].get("value")

    def wait_for(self, expr, seconds, what):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.eval(expr):
                return
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}")

    def click(self, x, y, hold=0.0):
        self.send("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
        self.send("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button="left", clickCount=1)
        time.sleep(hold)
        self.send("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, button="left", clickCount=1)

    def open(self, url):
        self.send("Page.navigate", url=url)
        self.wait_for("window.vorn !== undefined && vorn.ready", 60, "the program to load")
        # The whole page is the "click to start" layer until then.
        self.click(300, 300)
        self.wait_for("vorn.frames >= 1", 30, "the first frame")

    def window_point(self, x, y):
        r = self.eval("(() => { const r = Module.canvas.getBoundingClientRect();"
                      " return [r.left, r.top, r.width / Module.canvas.width]; })()")
        return r[0] + (x + 0.5) * r[2], r[1] + (y + 0.5) * r[2]

    def state(self):
        s = self.eval("Module._VORN_WebState()")
        return {"volume": s & 0xFF, "shown": bool(s & 0x100), "menu": (s >> 16) & 0xFF}


def read_bmp24(path):
    """Width, height and top-down RGB bytes of a 24-bit BMP file."""
    data = open(path, "rb").read()
    assert data[:2] == b"BM", path
    off = struct.unpack_from("<I", data, 10)[0]
    w, h = struct.unpack_from("<ii", data, 18)
    assert struct.unpack_from("<H", data, 28)[0] == 24, f"{path}: not 24 bits per pixel"
    pitch = (w * 3 + 3) & ~3
    rows = []
    for y in range(abs(h)):
        src = y if h < 0 else abs(h) - 1 - y
        line = data[off + src * pitch: off + src * pitch + w * 3]
        rgb = bytearray(w * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::3], line[1::3], line[0::3]
        rows.append(bytes(rgb))
    return w, abs(h), b"".join(rows)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--capture", required=True)
    # Inside the opening, whose pictures depend on the rounds before them.
    ap.add_argument("--at", type=int, default=15000)
    ap.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    ap.add_argument("--screenshot")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="vorn-web-test-")
    server = serve.make_server(args.build)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/Vorn.html"
    browser = None
    failures = []
    try:
        ref = os.path.join(work, "ref.bmp")
        subprocess.run([args.capture, "--at", str(args.at), "--out", ref], check=True,
                       stdout=subprocess.DEVNULL, env=dict(os.environ, SDL_VIDEODRIVER="dummy",
                                                          SDL_AUDIODRIVER="dummy"))
        w, h, want = read_bmp24(ref)
        assert (w, h) == (LCD_W, LCD_H), (w, h)

        browser = Browser(args.chromium)

        # 1. Held at a presentation time: the screen is vorn-capture's frame.
        browser.open(f"{base}?at={args.at}")
        b64 = browser.eval(
            f"(() => {{ const d = Module.canvas.getContext('2d').getImageData({LCD_X}, {LCD_Y}, {LCD_W}, {LCD_H}).data;"
            " let s = ''; for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i+1], d[i+2]);"
            " return btoa(s); })()")
        got = base64.b64decode(b64)
        if got != want:
            diff = sum(1 for i in range(0, len(got), 3) if got[i:i + 3] != want[i:i + 3])
            failures.append(f"held frame at {args.at} ms: {diff} of {LCD_W * LCD_H} pixels differ from vorn-capture")
        compose_ms = browser.eval("Module._VORN_WebTimeCompose(60)")
        if args.screenshot:
            shot = browser.send("Page.captureScreenshot", format="png")["data"]
            with open(args.screenshot + ".part", "wb") as f:
                f.write(base64.b64decode(shot))
            os.replace(args.screenshot + ".part", args.screenshot)

        # 2. A real run: sound started by the click, a key and a pictured
        # button each reaching the program.
        browser.open(base)
        first_ms, ready_ms = browser.eval("[vorn.firstFrameMs, vorn.readyMs]")
        browser.wait_for("vorn.audio.length > 0 && vorn.audio.every(c => c.state === 'running')", 10,
                         "the audio context to run")
        t0, f0 = time.time(), browser.eval("vorn.frames")
        time.sleep(1.0)
        fps = (browser.eval("vorn.frames") - f0) / (time.time() - t0)
        before = browser.state()
        if before["shown"]:
            failures.append("volume indicator shown before any key")
        for kind in ("keyDown", "keyUp"):
            browser.send("Input.dispatchKeyEvent", type=kind, key="+", code="NumpadAdd",
                         windowsVirtualKeyCode=107, nativeVirtualKeyCode=107, location=3)
            time.sleep(0.15)
        browser.wait_for("(Module._VORN_WebState() & 0x100) != 0", 5, "the volume indicator after keypad +")
        after_key = browser.state()
        if after_key["volume"] != before["volume"] + 1:
            failures.append(f"keypad +: volume {before['volume']} -> {after_key['volume']}")
        x, y = browser.window_point(*VOL_DOWN)
        browser.click(x, y, hold=0.25)
        browser.wait_for(f"(Module._VORN_WebState() & 0xFF) < {after_key['volume']}", 5,
                         "a click on the pictured volume-down button")
        if browser.state()["menu"] != 0:
            failures.append("the tiny menu opened on a volume click")
        if browser.eval("vorn.ended") != -1:
            failures.append("the program ended early")

        errors = browser.errors + browser.eval("vorn.errors")
        if errors:
            failures.append("errors in the page: " + "; ".join(errors[:5]))
        print(f"page ready {ready_ms:.0f} ms after navigation; first frame {first_ms:.0f} ms after the click; composition {compose_ms:.2f} ms (fastest of 60); "
              f"{fps:.0f} rounds per second")
    except Exception:
        if browser:
            print("page console:\n  " + "\n  ".join(browser.console[-30:] + browser.errors), file=sys.stderr)
        raise
    finally:
        if browser:
            browser.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
