#!/usr/bin/env python3
"""The Debian package end to end: made by cpack from the build, unpacked by dpkg into a scratch
root, then run from there: --help, --dump-track on a recording made with the sample tool, and the
window started by a user who cannot write to the program's folder, so that the player must put
its page files into the user's data folder and its screenshot folder into the pictures folder.

  check_package.py --build DIR [--cpack CPACK] --vindrel BIN --maker TOOL --work DIR

dpkg -x rather than cmake --install: what is checked is the file that users install, with the
paths, the stripping and the control fields it really has.
"""

import argparse
import glob
import os
import pwd
import shutil
import signal
import subprocess
import sys
import time

PAGE_FILES = ("startup.html", "googlearth.html")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def make_package(args):
    out = os.path.join(args.work, "cpack")
    subprocess.run([args.cpack, "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"),
                    "-B", out], check=True, stdout=subprocess.DEVNULL)
    debs = glob.glob(os.path.join(out, "*.deb"))
    check(len(debs) == 1, f"one package made, not {debs}")
    return debs[0]


def control_field(deb, name):
    return subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                          text=True).stdout.strip()


def check_control(deb):
    depends = [d.strip().split(" ")[0] for d in control_field(deb, "Depends").split(",")]
    # Found by dpkg-shlibdeps in what is linked, and named because it is loaded at run time or
    # needed by the window's texts.
    for package in ("libc6", "libqt6webenginecore6", "libqt6widgets6", "libxcb1", "libmpv2", "fonts-noto-cjk"):
        check(package in depends, f"Depends names {package}: {depends}")
    return control_field(deb, "Version")


def unpack(deb, root):
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    os.chmod(root, 0o755)
    for path in ("usr/bin/vindrel", "usr/lib/vindrel/libvindrel_player.so",
                 "usr/share/applications/vindrel.desktop", "usr/share/icons/hicolor/256x256/apps/vindrel.png",
                 "usr/share/doc/vindrel/leaflet/LICENSE"):
        check(os.path.isfile(os.path.join(root, path)), f"the package holds /{path}")
    return os.path.join(root, "usr", "bin", "vindrel")


def check_options(installed, built, maker, work, version):
    help_run = subprocess.run([installed, "--help"], capture_output=True, text=True)
    check(help_run.returncode == 0, f"--help exits 0: {help_run.stderr}")
    first = help_run.stdout.splitlines()[0] if help_run.stdout else ""
    check(first == f"Vindrel {version}", f"--help starts with the package's version {version}: {first!r}")

    movie = os.path.join(work, "AMBA0001.MOV")
    subprocess.run([maker, "movie", movie, "--seconds", "6", "--size", "160x90", "--fps", "5"],
                   check=True, stdout=subprocess.DEVNULL)
    dumps = [subprocess.run([program, "--dump-track", movie], capture_output=True) for program in (installed, built)]
    check(dumps[0].returncode == 0, f"--dump-track exits 0: {dumps[0].stderr.decode(errors='replace')}")
    lines = dumps[0].stdout.decode(errors="replace").splitlines()
    # The tool writes the record text track: a head line naming it and five seconds with a fix.
    check(len(lines) == 6 and "source=native" in lines[0], f"--dump-track prints the track: {lines[:2]}")
    check(dumps[0].stdout == dumps[1].stdout, "the installed program reads the track as the built one does")
    return movie


def start_display():
    """An Xvfb of our own when the caller has no display; None when there is one already."""
    if os.environ.get("DISPLAY"):
        return None
    for n in range(130, 160):
        if os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            continue
        server = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(50):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                os.environ["DISPLAY"] = f":{n}"
                return server
            time.sleep(0.1)
        server.kill()
    raise AssertionError("no X display could be started")


def unprivileged(root, home):
    """The command prefix that runs the player as a user who cannot write to the program's
    folder: another user when we are root (root may write anywhere), else a read-only folder."""
    bin_folder = os.path.join(root, "usr", "bin")
    if os.geteuid() != 0:
        os.chmod(bin_folder, 0o555)
        return []
    user = pwd.getpwnam("nobody")
    for dirpath, dirnames, filenames in os.walk(home):
        os.chown(dirpath, user.pw_uid, user.pw_gid)
        for name in filenames:
            os.chown(os.path.join(dirpath, name), user.pw_uid, user.pw_gid)
    return ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]


def check_window(installed, root, movie, work):
    home = os.path.join(work, "home")
    shutil.rmtree(home, ignore_errors=True)
    data, config, pictures = (os.path.join(home, d) for d in ("data", "config", "pictures"))
    for folder in (data, config, pictures, os.path.join(home, "cache"), os.path.join(home, "runtime")):
        os.makedirs(folder)
    os.chmod(os.path.join(home, "runtime"), 0o700)
    # The pictures folder as the desktop names it (XDG user directories).
    with open(os.path.join(config, "user-dirs.dirs"), "w") as f:
        f.write(f'XDG_PICTURES_DIR="{pictures}"\n')
    prefix = unprivileged(root, home)
    env = dict(os.environ)
    env.update({
        "HOME": home, "XDG_DATA_HOME": data, "XDG_CONFIG_HOME": config,
        "XDG_CACHE_HOME": os.path.join(home, "cache"), "XDG_RUNTIME_DIR": os.path.join(home, "runtime"),
        "QTWEBENGINE_CHROMIUM_FLAGS": env.get("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu"),
        "QTWEBENGINE_DISABLE_SANDBOX": "1",
    })
    bin_before = sorted(os.listdir(os.path.dirname(installed)))
    log_path = os.path.join(work, "window.log")
    with open(log_path, "wb") as log:
        player = subprocess.Popen([*prefix, installed, "--verbose", movie], stdout=log, stderr=subprocess.STDOUT,
                                  env=env, cwd=home)
    try:
        deadline = time.monotonic() + 60
        shown = False
        while time.monotonic() < deadline and player.poll() is None:
            with open(log_path, "rb") as f:
                shown = b"vindrel.window: shown;" in f.read()
            if shown:
                break
            time.sleep(0.2)
        log_text = open(log_path, "rb").read().decode(errors="replace")
        check(shown, f"the window is shown (exit {player.poll()}):\n{log_text[-3000:]}")
        url_folders = [p for p in glob.glob(os.path.join(data, "**", "URL"), recursive=True) if os.path.isdir(p)]
        check(len(url_folders) == 1, f"one page folder in the user's data folder: {url_folders}")
        for name in PAGE_FILES:
            check(os.path.isfile(os.path.join(url_folders[0], name)), f"{name} written to {url_folders[0]}")
        check(os.path.isdir(os.path.join(pictures, "VideoShots")), "the screenshot folder is in the pictures folder")
        check(sorted(os.listdir(os.path.dirname(installed))) == bin_before, "nothing written beside the program")
        check(player.poll() is None, "the player still runs")
    finally:
        player.send_signal(signal.SIGTERM)
        try:
            player.wait(15)
        except subprocess.TimeoutExpired:
            player.kill()
            player.wait()
        os.chmod(os.path.join(root, "usr", "bin"), 0o755)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--cpack", default="cpack")
    parser.add_argument("--vindrel", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    os.chmod(args.work, 0o755)

    deb = make_package(args)
    version = check_control(deb)
    root = os.path.join(args.work, "root")
    installed = unpack(deb, root)
    movie = check_options(installed, args.vindrel, args.maker, args.work, version)
    display = start_display()
    try:
        check_window(installed, root, movie, args.work)
    finally:
        if display:
            display.kill()
            display.wait()
    print("package: ok")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        print(f"package: FAILED: {e}")
        sys.exit(1)
