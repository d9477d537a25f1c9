#!/usr/bin/env python3
"""End-to-end checks of the command line on recordings made with the ffmpeg tool.

The expected track is computed here from ffprobe's own reading of the text track's packets and a
separate decoding of the records, not from the player's code. Each case is one ctest test:

  check_cli.py --vindrel BIN --maker TOOL --work DIR CASE
"""

import argparse
import json
import math
import os
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET


# ---------------------------------------------------------------- independent reference

def probe_samples(movie):
    """(time scale, [(start, duration, payload bytes)]) of the third track, read by ffprobe."""
    streams = json.loads(subprocess.run(
        ["ffprobe", "-v", "error", "-show_entries", "stream=index,time_base", "-of", "json", movie],
        check=True, capture_output=True, text=True).stdout)["streams"]
    if len(streams) < 3:
        return None, []
    num, den = streams[2]["time_base"].split("/")
    assert num == "1"
    packets = json.loads(subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "2", "-show_packets", "-show_data", "-of", "json", movie],
        check=True, capture_output=True, text=True).stdout)["packets"]
    samples = []
    for p in packets:
        data = bytearray()
        for line in p.get("data", "").strip().splitlines():
            hexpart = line.split(":", 1)[1][:41]
            data += bytes.fromhex(hexpart.replace(" ", ""))
        samples.append((int(p["pts"]), int(p["duration"]), bytes(data)))
    return int(den), samples


def reference_texts(movie):
    """Record texts as the player reads them: sample c is read at (c + 1) seconds of media time."""
    scale, samples = probe_samples(movie)
    if scale is None:
        return False, []
    texts = []
    for c in range(len(samples)):
        t = (c + 1) * scale
        hit = [s for s in samples if s[0] <= t < s[0] + s[1]]
        if not hit:
            continue  # past the last sample: nothing read for this index
        data = hit[0][2]
        text = ""
        if len(data) >= 3 and (data[0] << 8 | data[1]) + 2 == len(data) and data[2:3] in (b"A", b"V"):
            text = data[2:].decode("latin-1")
        texts.append(text)
    return True, texts


def c_atof(text):
    """atof in the C locale: leading blanks, the longest decimal prefix, 0 when there is none."""
    s = text.lstrip(" \t\n\r\f\v")
    best = 0.0
    for end in range(len(s), 0, -1):
        try:
            best = float(s[:end])
            if s[:end].strip().lower() in ("inf", "nan", "infinity", "+inf", "-inf"):
                continue
            return best
        except ValueError:
            pass
    return 0.0


def fields(record):
    return record.split(",")


def coordinate(field):
    v = c_atof(field)
    degrees = int(math.trunc(v)) // 100 if v >= 0 else -((-int(math.trunc(v))) // 100)
    minutes = math.fmod(v, 100)
    return "%.6f" % (degrees + minutes / 60)


def reference_track(texts):
    """Decodes the records field by field (fields 3 to 10), then fills the start."""
    track = []
    current = {"lat": "0.0", "lon": "0.0", "hemi": "", "speed": 0}
    for text in texts:
        if not text:
            continue
        body = text.split(";")[0]
        f = fields(body)
        get = lambda i: f[i] if i < len(f) else ""
        if text[0] == "A":
            lat, lon = coordinate(get(3)), coordinate(get(5))
            hemi = get(4)[:1] + get(6)[:1]
            v = c_atof(get(7))
            r = int(math.trunc(v)) + (1 if v - math.trunc(v) > 0.5 else 0)
            speed = int(math.trunc(r / 1.852))
            if hemi[:1] == "S":
                lat = "-" + lat
            if hemi[1:2] == "W":
                lon = "-" + lon
            current = {"lat": lat, "lon": lon, "hemi": hemi, "speed": speed}
        g = (c_atof(get(8)), c_atof(get(9)), c_atof(get(10)))
        track.append(dict(current, g=g))
    first = next((i for i, e in enumerate(track) if e["lat"] != "0.0" or e["lon"] != "0.0"), None)
    if first:
        for e in track[:first]:
            e.update(lat=track[first]["lat"], lon=track[first]["lon"], hemi=track[first]["hemi"])
    return track


def log_status(log_lines):
    a = sum(1 for line in log_lines if line.startswith("A"))
    b = sum(1 for line in log_lines if line.startswith("V"))
    return "NoGpsInfo" if a < 0.2 * (a + b) else "GpsPresent"


def expected_dump(movie, status):
    valid, texts = reference_texts(movie)
    track = reference_track(texts) if valid else []
    source = "native" if track else "none"
    lines = [f"# status={status} valid={1 if valid else 0} elements={len(track)} source={source}"]
    for k, e in enumerate(track):
        gx, gy, gz = e["g"]
        lines.append(f"{k}\t{e['lat']}\t{e['lon']}\t{e['hemi']}\t{e['speed']}\t{gx:.6f}\t{gy:.6f}\t{gz:.6f}")
    return lines


# ---------------------------------------------------------------- the cases

class Context:
    def __init__(self, args):
        self.vindrel = os.path.abspath(args.vindrel)
        self.maker = args.maker
        self.work = os.path.join(args.work, args.case)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)

    def make(self, rel, seconds=12, no_fix="", log=True, audio=True):
        path = os.path.join(self.work, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        cmd = [self.maker, "movie", path, "--seconds", str(seconds), "--size", "160x90", "--fps", "5"]
        if no_fix:
            cmd += ["--no-fix", no_fix]
        if log:
            # The log lies in a gps folder two levels above the recording's folder.
            base = os.path.splitext(os.path.basename(path))[0]
            base = base[4:] if ("AMBA" in base or "CADR" in base) else base.split("_", 1)[-1]
            top = os.path.dirname(os.path.dirname(os.path.dirname(path)))
            cmd += ["--log", os.path.join(top, "gps", "gps" + base + ".log")]
        if not audio:
            cmd.append("--no-audio")
        subprocess.run(cmd, check=True)
        return path

    def run(self, *args, env=None, cwd=None):
        return subprocess.run([self.vindrel, *args], capture_output=True, env=env, cwd=cwd)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def compare_dump(ctx, movie, status, env=None, cwd=None, arg=None):
    result = ctx.run("--dump-track", arg or movie, env=env, cwd=cwd)
    check(result.returncode == 0, f"exit {result.returncode}: {result.stderr.decode(errors='replace')}")
    got = result.stdout.decode("utf-8").splitlines()
    want = expected_dump(movie, status)
    for i, (g, w) in enumerate(zip(got, want)):
        check(g == w, f"line {i}: got {g!r}, want {w!r}")
    check(len(got) == len(want), f"{len(got)} lines, want {len(want)}")
    return got


def case_track(ctx):
    """A drive with a tunnel: fixes, no-fix seconds, and the log's rating."""
    movie = ctx.make("card/DCIM/100MEDIA/AMBA0007.MOV", seconds=15, no_fix="4:9")
    with open(os.path.join(ctx.work, "card", "gps", "gps0007.log")) as f:
        status = log_status(f.read().splitlines())
    got = compare_dump(ctx, movie, status)
    check(got[0].startswith("# status=GpsPresent valid=1 elements="), got[0])
    check(any("\t0\t" in line for line in got[1:]), "the drive starts standing")


def case_no_fix_start(ctx):
    """No fix in the first seconds: the first position is copied back, speeds stay 0."""
    movie = ctx.make("card/DCIM/100MEDIA/clip_start.mov", seconds=10, no_fix="0:4")
    got = compare_dump(ctx, movie, "GpsPresent")
    first = got[1].split("\t")
    check(first[1] != "0.0" and first[3] == "NE", f"back-filled start: {got[1]}")


def case_locale(ctx):
    """Numbers are read and written with '.' under a German locale too."""
    movie = ctx.make("card/DCIM/100MEDIA/AMBA0001.MOV", seconds=8)
    env = dict(os.environ, LC_ALL="de_DE.UTF-8", LANG="de_DE.UTF-8")
    got = compare_dump(ctx, movie, "GpsPresent", env=env)
    check("," not in "".join(got[1:]).replace("\t", ""), "no decimal commas")


def case_relative_and_odd_path(ctx):
    """A relative path is made absolute; blanks, '#', and non-ASCII letters are fine."""
    movie = ctx.make("Fahrt #2 (Köln)/DCIM/100MEDIA/AMBA0002.MOV", seconds=6, log=False)
    rel = os.path.relpath(movie, ctx.work)
    compare_dump(ctx, movie, "NoGpsFile", cwd=ctx.work, arg=rel)


def case_two_tracks(ctx):
    """A movie without the third track plays without GPS: header only, exit 0."""
    movie = ctx.make("card/DCIM/100MEDIA/AMBA0003.MOV", seconds=4, audio=False, log=False)
    result = ctx.run("--dump-track", movie)
    check(result.returncode == 0, result.stderr)
    check(result.stdout.decode() == "# status=NoGpsFile valid=0 elements=0 source=none\n", result.stdout)


def case_bad_files(ctx):
    """Missing, empty, truncated and non-movie files: one message on stderr, status 1."""
    movie = ctx.make("card/DCIM/100MEDIA/AMBA0004.MOV", seconds=4, log=False)
    data = open(movie, "rb").read()
    cases = {"missing.mov": None, "empty.mov": b"", "text.mov": b"hello, this is not a movie\n" * 50,
             "half.mov": data[: len(data) // 2], "head.mov": data[:24],
             "random.mov": bytes((i * 7919 + 13) % 256 for i in range(4096))}
    # moov is written last, so cutting the file anywhere loses it.
    for name, content in cases.items():
        path = os.path.join(ctx.work, name)
        if content is not None:
            open(path, "wb").write(content)
        result = ctx.run("--dump-track", path)
        err = result.stderr.decode(errors="replace")
        check(result.returncode == 1, f"{name}: exit {result.returncode}")
        check(result.stdout == b"", f"{name}: printed {result.stdout[:80]!r}")
        check(err.count("\n") == 1 and name in err, f"{name}: stderr {err!r}")
    directory = ctx.run("--dump-track", ctx.work)
    check(directory.returncode == 1, "a folder is not a movie")

    # A damaged GPS track (its media time scale 0) is left out: an empty track, status 0, one
    # message on stderr naming the track.
    damaged = bytearray(data)
    mdhd = damaged.find(b"mdhd", damaged.find(b"mdhd", damaged.find(b"mdhd") + 1) + 1) - 4  # the third track's
    damaged[mdhd + 20:mdhd + 24] = b"\0\0\0\0"
    path = os.path.join(ctx.work, "damaged-gps.mov")
    open(path, "wb").write(damaged)
    result = ctx.run("--dump-track", path)
    err = result.stderr.decode(errors="replace")
    check(result.returncode == 0, f"damaged GPS track: exit {result.returncode}")
    check(result.stdout.decode().startswith("# status=NoGpsFile valid=0 elements=0 source=none\n"),
          f"damaged GPS track: printed {result.stdout[:80]!r}")
    check(err.count("\n") == 1 and "track 3 skipped: malformed: " in err and "time scale 0" in err,
          f"damaged GPS track: stderr {err!r}")



def case_gpx(ctx):
    """The GPX file parses back with one point per positioned element."""
    movie = ctx.make("card/DCIM/100MEDIA/AMBA0005.MOV", seconds=10, no_fix="0:3")
    dump = ctx.run("--dump-track", movie).stdout.decode().splitlines()[1:]
    out = os.path.join(ctx.work, "track & <name>.gpx")
    result = ctx.run("--export-gpx", movie, out)
    check(result.returncode == 0, result.stderr)
    ns = {"g": "http://www.topografix.com/GPX/1/1",
          "x": "http://www.garmin.com/xmlschemas/TrackPointExtension/v2"}
    root = ET.parse(out).getroot()
    check(root.get("version") == "1.1", "GPX 1.1")
    points = root.findall("g:trk/g:trkseg/g:trkpt", ns)
    positioned = [line.split("\t") for line in dump if float(line.split("\t")[1]) or float(line.split("\t")[2])]
    check(len(points) == len(positioned), f"{len(points)} points for {len(positioned)} positions")
    for p, d in zip(points, positioned):
        check(abs(float(p.get("lat")) - float(d[1])) < 1e-9 and abs(float(p.get("lon")) - float(d[2])) < 1e-9,
              f"point {p.attrib} vs {d}")
        speed = float(p.find("g:extensions/x:TrackPointExtension/x:speed", ns).text)
        check(abs(speed - int(d[4]) / 3.6) < 1e-3, f"speed {speed} for {d[4]} km/h")
    stdout = ctx.run("--export-gpx", movie)
    check(stdout.returncode == 0 and ET.fromstring(stdout.stdout).tag.endswith("gpx"), "GPX on stdout")
    unwritable = ctx.run("--export-gpx", movie, os.path.join(out, "inside-a-file.gpx"))
    check(unwritable.returncode == 1 and unwritable.stderr, "an unwritable target is an error")


def case_options(ctx):
    """--help lists the options; unknown options fail with the usage."""
    help_text = ctx.run("--help")
    check(help_text.returncode == 0, "help exits 0")
    for option in (b"--dump-track", b"--export-gpx", b"--list", b"--events", b"--frame"):
        check(option in help_text.stdout, f"{option} listed")
    bad = ctx.run("--no-such-option")
    check(bad.returncode != 0 and b"--dump-track" in bad.stderr, "usage on stderr")
    short = ctx.run("--dump-track")
    check(short.returncode != 0, "a missing FILE is an error")


# ---------------------------------------------------------------- other camera families

START_EPOCH = 1773477000  # the sample tool's second 0 of the drive, UTC


def expected_family_track(truth_lines):
    """The per-second track the truth gives: a second without a fix keeps the last one, the
    seconds before the first fix take its position (not its speed)."""
    track, current = [], None
    for line in truth_lines:
        second, fix, lat, lon, kmh, gx, gy, gz = line.split("\t")
        if fix == "A":
            current = (float(lat), float(lon), float(kmh))
        track.append({"second": int(second), "pos": current, "fix": fix == "A",
                      "g": (float(gx), float(gy), float(gz))})
    first = next((e["pos"] for e in track if e["pos"]), None)
    for e in track:
        if e["pos"] is None and first:
            e["pos"] = (first[0], first[1], 0.0)
    return track


def check_family_dump(got, truth_lines, source, with_g):
    want = expected_family_track(truth_lines)
    head = got[0].split(" ")
    check(head[-1] == f"source={source}", f"{source}: {got[0]}")
    check(head[3] == f"elements={len(want)}", f"{source}: {got[0]}, want {len(want)} elements")
    check(head[1] == "status=GpsPresent", f"{source}: mostly fixes, no log: {got[0]}")
    for line, w in zip(got[1:], want):
        k, lat, lon, hemi, speed, gx, gy, gz = line.split("\t")
        wlat, wlon, wkmh = w["pos"]
        check(abs(float(lat) - wlat) <= 1e-6 and abs(float(lon) - wlon) <= 1e-6, f"{source} {line} vs {w}")
        check(hemi == ("N" if wlat >= 0 else "S") + ("E" if wlon >= 0 else "W"), f"{source} {line}")
        check(abs(int(speed) - wkmh) <= 1, f"{source} speed {line} vs {wkmh:.2f}")
        g = (float(gx), float(gy), float(gz))
        check(all(abs(a - (b if with_g else 0.0)) <= 0.011 for a, b in zip(g, w["g"])), f"{source} g {line} vs {w['g']}")


def case_families(ctx):
    """Each camera family: a drive with no-fix seconds and one damaged second, written by the
    sample tool from the formats' layouts and read back; its GPX carries the GPS times."""
    table = [  # tool options, source, with acceleration
        (["--gps", "nmea"], "nmea-track", False),
        (["--gps", "novatek"], "novatek", False),
        (["--gps", "novatek", "--no-index", "--early-layout"], "novatek", False),
        (["--gps", "blackvue"], "blackvue", True),
        (["--gps", "gpmf"], "gpmf", True),
        (["--gps", "none", "--nmea-log"], "nmea-log", False),
    ]
    for i, (options, source, with_g) in enumerate(table):
        movie = os.path.join(ctx.work, f"family{i}", "FILE0001.MOV")
        truth = movie + ".truth"
        os.makedirs(os.path.dirname(movie))
        subprocess.run([ctx.maker, "movie", movie, "--seconds", "12", "--offset", "108", "--size", "160x90",
                        "--fps", "5", "--no-fix", "3:5", "--spoil", "8", "--truth", truth, *options], check=True)
        result = ctx.run("--dump-track", movie)
        check(result.returncode == 0, f"{source}: exit {result.returncode}")
        truth_lines = open(truth).read().splitlines()
        got = result.stdout.decode().splitlines()
        check_family_dump(got, truth_lines, source, with_g)

        gpx = ET.fromstring(ctx.run("--export-gpx", movie).stdout)
        ns = {"g": "http://www.topografix.com/GPX/1/1"}
        points = gpx.findall("g:trk/g:trkseg/g:trkpt", ns)
        check(len(points) == len(got) - 1, f"{source}: {len(points)} GPX points")
        fixes = [int(line.split("\t")[0]) for line in truth_lines if line.split("\t")[1] == "A"]
        timed = [p.find("g:time", ns).text for p in points if p.find("g:time", ns) is not None]
        check(len(timed) == len(fixes), f"{source}: {len(timed)} times for {len(fixes)} fixes")
        first = time.strftime("%Y-%m-%dT%H:%M:%S.000Z", time.gmtime(START_EPOCH + fixes[0]))
        check(timed[0] == first, f"{source}: first time {timed[0]}, want {first}")


def case_family_order(ctx):
    """Two families in one recording: the earlier in the order wins; none at all gives none. Without
    a log the status comes from the fixes of another family (1 of 5 seconds is enough),
    never from the native track's."""
    table = [  # tool options, first line of the dump
        (["--gps", "native", "--nmea-log"], "# status=NoGpsFile valid=1 elements=4 source=native"),
        (["--gps", "nmea", "--nmea-log"], "# status=GpsPresent valid=1 elements=5 source=nmea-track"),
        (["--gps", "novatek", "--nmea-log"], "# status=GpsPresent valid=1 elements=5 source=novatek"),
        (["--gps", "gpmf", "--nmea-log"], "# status=GpsPresent valid=1 elements=5 source=gpmf"),
        (["--gps", "blackvue", "--no-fix", "1:5"], "# status=GpsPresent valid=1 elements=5 source=blackvue"),
        (["--gps", "blackvue", "--no-fix", "0:5"], "# status=NoGpsInfo valid=1 elements=5 source=blackvue"),
        (["--gps", "none"], "# status=NoGpsFile valid=0 elements=0 source=none"),
    ]
    for i, (options, want) in enumerate(table):
        movie = os.path.join(ctx.work, f"order{i}.mov")
        subprocess.run([ctx.maker, "movie", movie, "--seconds", "5", "--size", "160x90", "--fps", "5", *options],
                       check=True)
        result = ctx.run("--dump-track", movie)
        head = result.stdout.decode().splitlines()[0]
        check(result.returncode == 0 and head == want, f"{options}: {head}, want {want}")


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vindrel", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    if not shutil.which("ffmpeg") or not shutil.which("ffprobe"):
        print("SKIP: the ffmpeg tools are missing")
        return 77
    CASES[args.case](Context(args))
    print(f"{args.case}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
