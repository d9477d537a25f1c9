#!/usr/bin/env python3
"""The Debian package made by cpack, unpacked by dpkg into a scratch root (the file users install,
with its real paths and control fields) and run from there: --help, --dump-track, and the window
started on the caller's DISPLAY, by the caller and by a user who cannot write to the program's folder: an
installed player keeps its files in the user's folders either way, even when root could write beside it.

  check_package.py --build DIR --cpack CPACK --vindrel BIN --maker TOOL --work DIR
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


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def make_and_unpack(args, root):
    out = os.path.join(args.work, "cpack")
    subprocess.run([args.cpack, "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B", out],
                   check=True, stdout=subprocess.DEVNULL)
    [deb] = glob.glob(os.path.join(out, "*.deb"))
    field = lambda name: subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                                        text=True).stdout.strip()
    depends = [d.strip().split(" ")[0] for d in field("Depends").split(",")]
    # Linked (found by dpkg-shlibdeps), loaded at run time, and the fonts of the window's texts.
    for package in ("libqt6webenginecore6", "libqt6widgets6", "libxcb1", "libmpv2", "fonts-noto-cjk"):
        check(package in depends, f"Depends names {package}: {depends}")
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    os.chmod(root, 0o755)
    for path in ("usr/lib/vindrel/libvindrel_player.so", "usr/share/applications/vindrel.desktop",
                 "usr/share/icons/hicolor/256x256/apps/vindrel.png", "usr/share/doc/vindrel/leaflet/LICENSE"):
        check(os.path.isfile(os.path.join(root, path)), f"the package holds /{path}")
    return field("Version")


def check_options(installed, args, version):
    first = subprocess.run([installed, "--help"], check=True, capture_output=True, text=True).stdout.splitlines()[0]
    check(first == f"Vindrel {version}", f"--help starts with the package's version {version}: {first!r}")
    movie = os.path.join(args.work, "AMBA0001.MOV")
    subprocess.run([args.maker, "movie", movie, "--seconds", "6", "--size", "160x90", "--fps", "5"],
                   check=True, stdout=subprocess.DEVNULL)
    dumps = [subprocess.run([p, "--dump-track", movie], capture_output=True) for p in (installed, args.vindrel)]
    lines = dumps[0].stdout.decode(errors="replace").splitlines()
    # The tool writes the record text track: a head line naming it and five seconds with a fix.
    check(len(lines) == 6 and "source=native" in lines[0], f"--dump-track prints the track: {lines[:2]}")
    check(dumps[0].stdout == dumps[1].stdout, "the installed program reads the track as the built one does")
    return movie


def check_window(installed, movie, work, as_caller):
    home = os.path.join(work, "home")
    shutil.rmtree(home, ignore_errors=True)
    env = dict(os.environ, HOME=home, QTWEBENGINE_DISABLE_SANDBOX="1")
    env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu")
    for variable, folder in (("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                             ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime")):
        env[variable] = os.path.join(home, folder)
        os.makedirs(env[variable], mode=0o700)
    # The pictures folder as the desktop names it (XDG user directories).
    with open(os.path.join(home, "config", "user-dirs.dirs"), "w") as f:
        f.write(f'XDG_PICTURES_DIR="{home}/pictures"\n')
    bin_folder = os.path.dirname(installed)
    if as_caller:
        prefix = []
    elif os.geteuid() == 0:  # root writes anywhere: the player runs as another user
        user = pwd.getpwnam("nobody")
        for folder, _, files in os.walk(home):
            for path in [folder] + [os.path.join(folder, name) for name in files]:
                os.chown(path, user.pw_uid, user.pw_gid)
        prefix = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]
    else:
        os.chmod(bin_folder, 0o555)
        prefix = []
    log_path = os.path.join(work, "window.log")
    with open(log_path, "wb") as log:
        player = subprocess.Popen([*prefix, installed, "--verbose", movie], stdout=log, stderr=subprocess.STDOUT,
                                  env=env, cwd=home)
    try:
        deadline = time.monotonic() + 60
        while player.poll() is None and time.monotonic() < deadline:
            if b"vindrel.window: shown;" in open(log_path, "rb").read():
                break
            time.sleep(0.2)
        log_text = open(log_path, "rb").read().decode(errors="replace")
        check("vindrel.window: shown;" in log_text, f"the window is shown (exit {player.poll()}):\n{log_text[-3000:]}")
        pages = glob.glob(os.path.join(home, "data", "**", "URL", "googlearth.html"), recursive=True)
        check(len(pages) == 1, f"the page files are in the user's data folder: {pages}")
        check(os.path.isdir(os.path.join(home, "pictures", "VideoShots")), "screenshots go to the pictures folder")
        check(os.listdir(bin_folder) == ["vindrel"], "nothing is written beside the program")
    finally:
        player.send_signal(signal.SIGTERM)
        try:
            player.wait(15)
        except subprocess.TimeoutExpired:
            player.kill()
        os.chmod(bin_folder, 0o755)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--build", "--cpack", "--vindrel", "--maker", "--work"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    os.makedirs(args.work, mode=0o755, exist_ok=True)
    root = os.path.join(args.work, "root")
    version = make_and_unpack(args, root)
    installed = os.path.join(root, "usr", "bin", "vindrel")
    movie = check_options(installed, args, version)
    for as_caller in (True, False):
        check_window(installed, movie, args.work, as_caller)
    print("package: ok")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        sys.exit(f"package: FAILED: {e}")
