#!/usr/bin/env python3
"""Serves a folder of the browser build on 127.0.0.1 and prints its address.

usage: serve.py DIR [--port N]   (port 0, the default, takes any free one)
"""
import functools
import http.server
import os
import signal
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript", ".html": "text/html"}

    def end_headers(self):
        # A rebuilt program must never meet a cached page of the last one.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass


def make_server(folder, port=0):
    handler = functools.partial(Handler, directory=folder)
    return http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--port"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = argv[1]
    if not os.path.isfile(os.path.join(folder, "Vorn.html")):
        print(f"serve.py: no Vorn.html in {folder}", file=sys.stderr)
        return 1
    try:
        port = int(argv[3]) if len(argv) == 4 else 0
        if not 0 <= port <= 65535:
            raise ValueError
    except ValueError:
        print("serve.py: the port is a number from 0 to 65535", file=sys.stderr)
        return 2
    try:
        server = make_server(folder, port)
    except OSError as e:
        print(f"serve.py: cannot listen on 127.0.0.1:{port}: {e.strerror}", file=sys.stderr)
        return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print(f"Vorn: http://127.0.0.1:{server.server_address[1]}/Vorn.html  (Ctrl+C ends)", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
