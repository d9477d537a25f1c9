#!/usr/bin/env python3
"""Starts the real player again and again on a one-recording command line and checks each start.

Every start runs with the built-in map provider's answers delayed at random (0 to 2.5 s, so that
the map-load watchdog fires now and then) and, at random, with the processor kept busy and the
browser's caches empty. A start passes when

  - within 5 s of the window's showing, the video area shows a frame of the movie: the
    recording's test picture is made of strong colours, which neither the stop picture nor an
    empty area has; and
  - the map shows the route (its blue line on the map's plain background) within 5 s of the map
    page's load (the conversion service answers late too), or the log says that the watchdog
    gave up on the map page, which then rightly shows the no-connection page.

The times come from the player's log (--verbose): "shown" and the map page's load report.

  startup_stress.py --vindrel BIN --maker TOOL --work DIR [--starts N] [--seconds S] [--seed N]

Needs DISPLAY (an X server of the caller's, 1920 x 1080). Prints one line a start and a summary;
exit status 0 when every start passed. The player's log of a failed start is kept in DIR.
"""

import argparse
import ctypes
import ctypes.util
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WINDOW_W, WINDOW_H = 1160, 678
VIDEO = (5, 45, 720, 405)   # x, y, width, height within the window
MAP = (725, 45, 430, 405)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p),
                ("create_image", ctypes.c_void_p), ("destroy_image", ctypes.c_void_p)]


class Screen:
    """Reads rectangles of the root window's pixels (24-bit TrueColor, 32 bits a pixel)."""

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("startup_stress: cannot open the display")
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixels(self, x, y, w, h):
        """The (r, g, b) of every fourth pixel of every fourth row of the rectangle."""
        self.x.XSync(self.display, 0)
        image = self.x.XGetImage(self.display, self.root, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return []
        img = image.contents
        out = []
        try:
            if img.bits_per_pixel == 32:
                raw = ctypes.string_at(img.data, img.bytes_per_line * img.height)
                for row in range(0, img.height, 4):
                    base = row * img.bytes_per_line
                    for col in range(0, img.width, 4):
                        b, g, r = raw[base + 4 * col], raw[base + 4 * col + 1], raw[base + 4 * col + 2]
                        out.append((r, g, b))
        finally:
            destroy = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(XImage))(img.destroy_image)
            destroy(image)
        return out


def strong_colour_share(pixels):
    """Share of pixels with a strong colour (the test picture's bars and gradients)."""
    if not pixels:
        return 0.0
    strong = sum(1 for r, g, b in pixels if max(r, g, b) - min(r, g, b) > 90)
    return strong / len(pixels)


def route_pixels(pixels):
    """Pixels of the route: blue at 60 % over the map's light plain background."""
    return sum(1 for r, g, b in pixels if b > 200 and r < 150 and g < 150 and abs(r - g) < 25)


def log_time(log_text, marker):
    """Seconds since the player's start of the first log line holding marker, or None."""
    for line in log_text.splitlines():
        if marker in line:
            try:
                return float(line.split()[0])
            except (IndexError, ValueError):
                return None
    return None


def busy_loop():
    """A process that keeps one processor busy until it is killed."""
    return subprocess.Popen([sys.executable, "-c", "while True: pass"])


def window_origin(screen_w=1920, screen_h=1080):
    # The player centres its window on the work area; Xvfb has no panels.
    return (screen_w - WINDOW_W) // 2, (screen_h - WINDOW_H) // 2


def one_start(args, screen, recording, index, rng):
    delay_ms = 2500
    load = rng.choice([0, 0, 1, 2])
    fresh_caches = rng.random() < 0.5
    home = tempfile.mkdtemp(prefix="home-", dir=args.work)
    env = dict(os.environ)
    env.update({
        "VINDREL_MAP_PROVIDER_DELAY_MS": str(delay_ms),
        "QTWEBENGINE_CHROMIUM_FLAGS": env.get("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu"),
        "QTWEBENGINE_DISABLE_SANDBOX": "1",
        "XDG_RUNTIME_DIR": home,
    })
    if fresh_caches:
        env.update({"HOME": home, "XDG_CACHE_HOME": os.path.join(home, "cache"),
                    "XDG_DATA_HOME": os.path.join(home, "data"), "XDG_CONFIG_HOME": os.path.join(home, "config")})
    log_path = os.path.join(args.work, f"start-{index:03d}.log")
    busy = [busy_loop() for _ in range(load)]
    started = time.monotonic()
    with open(log_path, "wb") as log:
        player = subprocess.Popen([args.vindrel, "--verbose", recording], stdout=log, stderr=subprocess.STDOUT,
                                  env=env, cwd=home)
    ox, oy = window_origin()
    frame_at = route_at = shown_at = map_at = None
    watchdog = False
    log_text = b""
    try:
        while player.poll() is None:
            now = time.monotonic() - started
            with open(log_path, "rb") as f:
                log_text = f.read()
            if shown_at is None:
                shown_at = log_time(log_text, b"vindrel.window: shown;")
            if map_at is None:
                map_at = log_time(log_text, b'"googlearth.html" - it is the one')
            watchdog = watchdog or b"watchdog fired" in log_text
            if frame_at is None and strong_colour_share(
                    screen.pixels(ox + VIDEO[0], oy + VIDEO[1], VIDEO[2], VIDEO[3])) > 0.3:
                frame_at = now
            if route_at is None and route_pixels(screen.pixels(ox + MAP[0], oy + MAP[1], MAP[2], MAP[3])) >= 8:
                route_at = now
            # Looked at until both are there, or until it is clear that one came too late.
            frame_done = frame_at is not None or now > (shown_at or 0) + args.seconds + 1
            route_done = (route_at is not None or (watchdog and map_at is None)
                          or (map_at is not None and now > map_at + args.seconds + 1)
                          or (map_at is None and now > (shown_at or 0) + 3 * args.seconds))
            if frame_done and route_done:
                break
            time.sleep(0.05)
    finally:
        for p in busy:
            p.kill()
        player.send_signal(signal.SIGTERM)
        try:
            player.wait(10)
        except subprocess.TimeoutExpired:
            player.kill()
            player.wait()
        for p in busy:
            p.wait()
        shutil.rmtree(home, ignore_errors=True)
    # The log's times count from the player's start, the screen's from just before it.
    frame_in = None if frame_at is None or shown_at is None else frame_at - shown_at
    route_in = None if route_at is None or map_at is None else route_at - map_at
    by_watchdog = watchdog and map_at is None
    frame_ok = frame_in is not None and frame_in <= args.seconds
    route_ok = (route_in is not None and route_in <= args.seconds) or by_watchdog
    ok = frame_ok and route_ok
    show = lambda t: "-" if t is None else f"{t:.1f}s"
    print(f"start {index + 1}: {'ok' if ok else 'FAILED'}  shown at {show(shown_at)}  frame +{show(frame_in)}"
          f"  map page at {show(map_at)}  route +{show(route_in)}"
          f"{'  (watchdog: no-connection page)' if by_watchdog else ''}"
          f"{'  (a load the browser did not report)' if b'did not report the load' in log_text else ''}"
          f"  load {load}  caches {'empty' if fresh_caches else 'kept'}", flush=True)
    if ok:
        os.remove(log_path)
    else:
        print(f"  log kept: {log_path}", flush=True)
    return ok, by_watchdog


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vindrel", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--starts", type=int, default=10)
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--own-display", action="store_true", help="start an X server of its own (Xvfb)")
    args = parser.parse_args()
    server = None
    if args.own_display:
        server = start_xvfb()
        if server is None:
            print("startup_stress: Xvfb could not be started")
            return 1
    try:
        if not os.environ.get("DISPLAY"):
            print("startup_stress: no DISPLAY")
            return 77
        return run(args)
    finally:
        if server is not None:
            server.terminate()
            server.wait()


def start_xvfb():
    """An Xvfb of 1920 x 1080 on a free display number, made DISPLAY; None when none starts."""
    for n in range(140, 200):
        if os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            continue
        server = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                os.environ["DISPLAY"] = f":{n}"
                return server
            if server.poll() is not None:
                break
            time.sleep(0.05)
        server.terminate()
        server.wait()
    return None


def run(args):
    os.makedirs(args.work, exist_ok=True)
    rng = random.Random(args.seed)

    recording = os.path.join(args.work, "AMBA0001.MOV")
    if not os.path.exists(recording):
        # From second 20 of the drive on: the car moves, so the route is a line from the start.
        subprocess.run([args.maker, "movie", recording, "--seconds", "20", "--offset", "20", "--size", "640x360",
                        "--fps", "10",
                        "--log", os.path.join(args.work, "gps0001.log")], check=True, stdout=subprocess.DEVNULL)
    screen = Screen()
    passed = watchdogs = 0
    for i in range(args.starts):
        ok, by_watchdog = one_start(args, screen, recording, i, rng)
        passed += ok
        watchdogs += by_watchdog
    print(f"{passed} of {args.starts} starts showed the first frame within {args.seconds:g} s of the window and"
          f" the route within {args.seconds:g} s of the map page ({watchdogs} of them with the no-connection page"
          f" after the watchdog)")
    return 0 if passed == args.starts else 1


if __name__ == "__main__":
    sys.exit(main())
