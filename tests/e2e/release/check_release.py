#!/usr/bin/python3
"""The archives in dist/ checked as a player meets them, and the Linux install.

    check_release.py --dist dist --native build --release-build build-release
                     [--windows-build build-windows] --out DIR [--only NAME ...]

  archives  SHA256SUMS matches; each archive holds one folder named like it with what
            its README promises; the Linux game needs only SDL2, libpng and the C
            library; the Windows programs carry the icon and the version.
  linux     the Linux archive unpacked into an empty folder, started from / with an
            empty HOME (as an ordinary user): the demo plays headless to the build
            tree's trace, exit 0, no message box, debug.txt in the user's state folder.
  install   cmake --install into a temporary prefix: the standard places, a valid
            desktop entry and AppStream metainfo, no engine tools; the installed game
            plays the demo the same way.
  windows   the Windows archive under Wine on a 16-bit screen, started through its
            launcher from another folder: the title page, exit code 0 on Escape; a
            program in the game's place finds itself started in its folder with the
            16BITCOLOR layer; without muffins.exe the launcher says so and ends with 1.
  web       the web archive unpacked, served on 127.0.0.1 and played in headless
            Chromium by the web checks: the title page on the canvas, the demo's trace
            as the native one, exit 0 (skipped when there is no web archive).

Every process is bounded in time and stopped by its own id.
"""

import argparse
import glob
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))

import pe  # noqa: E402
import run_e2e  # noqa: E402
from session import Display, Failure, Process, check, run_scenarios, wait_for  # noqa: E402

NAME = "muffin-meltdown"
LAUNCHER = "Muffin Meltdown.exe"
DEMO = os.path.join(SOURCE, "tools", "demo", "demo.script")
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
# What the Linux game may need from the system: SDL2 (libsdl2-2.0-0), libpng and the C
# and C++ runtimes, which every desktop has, in versions of Debian 12 and Ubuntu 22.04.
# (Linking the C++ runtime in would ask for a newer C library: glibc 2.36.)
LINUX_LIBRARIES = {"libSDL2-2.0.so.0", "libpng16.so.16", "libstdc++.so.6", "libgcc_s.so.1",
                   "libm.so.6", "libc.so.6", "ld-linux-x86-64.so.2"}
NEWEST_SYMBOLS = {"GLIBC": (2, 34), "GLIBCXX": (3, 4, 30), "CXXABI": (1, 3, 13)}
NOBODY = 65534


def say(message):
    print("release-test: " + message, flush=True)


def project_version(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as stream:
        match = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", stream.read(), re.M)
    check(match, "%s/CMakeCache.txt names no project version" % build)
    return match.group(1)


def archive_path(args, suffix):
    return os.path.join(args.dist, "%s-%s-%s" % (NAME, args.version, suffix))


def sha256(path):
    with open(path, "rb") as stream:
        return hashlib.sha256(stream.read()).hexdigest()


# Unpacking, refusing anything that would land outside the folder or is not a plain
# file or folder, as a careful player's tools would.

def safe_name(name):
    parts = name.split("/")
    return not name.startswith("/") and ".." not in parts and "\\" not in name


def unpack_tar(path, into):
    with tarfile.open(path, "r:gz") as archive:
        members = archive.getmembers()
        for member in members:
            check(safe_name(member.name), "unsafe name in %s: %r" % (path, member.name))
            check(member.isfile() or member.isdir(), "%s holds %r, neither file nor folder" % (
                path, member.name))
        archive.extractall(into, members=members)
    return members


def unpack_zip(path, into):
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        for info in infos:
            check(safe_name(info.filename), "unsafe name in %s: %r" % (path, info.filename))
            archive.extract(info, into)
            mode = (info.external_attr >> 16) & 0o777
            if mode and not info.is_dir():
                os.chmod(os.path.join(into, info.filename), mode)
    return infos


def empty_folder(parent, name):
    path = os.path.join(parent, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def tree(folder):
    found = set()
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(root, name), folder))
    return found


# The game played headless: the reference from the build tree, and a released copy
# started the way a player on a desktop would, as an ordinary user.

# The demo closes the window at frame 2850; a game that cannot read it still ends here.
FRAME_LIMIT = 4000


def headless_env(script, trace, home):
    env = {"PATH": "/usr/bin:/bin", "HOME": home, "TOLVO_HOST": "headless",
           "TOLVO_SCRIPT": script, "TOLVO_TRACE": trace, "TOLVO_FRAMES": str(FRAME_LIMIT)}
    if os.environ.get("LANG"):
        env["LANG"] = os.environ["LANG"]
    return env


def reference_trace(args):
    """The demo's trace from the build tree's game, in its own folder as documented."""
    trace = os.path.join(args.out, "reference-trace.jsonl")
    if not getattr(args, "reference", None):
        done = subprocess.run([os.path.join(args.native, "muffins")], cwd=args.native,
                              env=headless_env(DEMO, trace, os.environ.get("HOME", "/")),
                              capture_output=True, timeout=120)
        check(done.returncode == 0, "the build tree's game ended with %d" % done.returncode)
        with open(trace, "rb") as stream:
            args.reference = stream.read()
        check(args.reference.count(b"\n") > 1000, "the reference trace is too short")
    return args.reference


def as_player():
    """Run as nobody when this runs as root, so / and an installed folder are read-only
    as they are to a player."""
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]


def play_demo(args, program, name):
    """The demo with program, started from / with an empty HOME; returns that HOME."""
    work = empty_folder(args.player, name)
    home = empty_folder(work, "home")
    trace = os.path.join(work, "trace.jsonl")
    if os.geteuid() == 0:
        for path in (work, home):
            os.chown(path, NOBODY, NOBODY)
    script = os.path.join(work, "demo.script")
    shutil.copy(DEMO, script)
    done = subprocess.run(as_player() + [program], cwd="/", env=headless_env(script, trace, home),
                          capture_output=True, timeout=120)
    stderr = done.stderr.decode(errors="replace")
    with open(os.path.join(args.out, name + "-stderr.txt"), "w") as stream:
        stream.write(stderr)
    check(done.returncode == 0, "%s ended with %d: %s" % (name, done.returncode, stderr[-500:]))
    check("[message box]" not in stderr, "%s showed a message box: %s" % (
        name, stderr[stderr.find("[message box]"):][:300]))
    with open(trace, "rb") as stream:
        released = stream.read()
    reference = reference_trace(args)
    check(released == reference, "%s: the trace differs from the build tree's (%d and %d "
          "lines)" % (name, released.count(b"\n"), reference.count(b"\n")))
    say("  %s: the demo played to the build tree's trace (%d frames), exit 0, no message box"
        % (name, released.count(b"\n")))
    log = os.path.join(home, ".local", "state", NAME, "debug.txt")
    if os.access("/", os.W_OK) and not as_player():
        say("  (/ is writable here, so debug.txt stays in the working directory)")
    else:
        check(os.path.exists(log), "%s wrote no %s" % (name, log))
        check(run_e2e.log_lines(log)[:1] == [run_e2e.WINDOWED_START_LINES[0]],
              "%s: %s does not start with the start-up line" % (name, log))
        say("  %s: debug.txt in the empty HOME's state folder" % name)
    return home


def readelf(args_list):
    done = subprocess.run(["readelf"] + args_list, capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, "readelf %s failed" % " ".join(args_list))
    return done.stdout


def check_linux_program(path):
    dynamic = readelf(["-d", path])
    needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", dynamic))
    check(needed <= LINUX_LIBRARIES, "the game needs %s besides %s" % (
        sorted(needed - LINUX_LIBRARIES), sorted(LINUX_LIBRARIES)))
    check("RPATH" not in dynamic and "RUNPATH" not in dynamic, "the game carries a run path")
    symbols = readelf(["--dyn-syms", "-W", path])
    newest = {}
    for family, version in re.findall(r"@(GLIBC|GLIBCXX|CXXABI)_([0-9.]+)", symbols):
        newest[family] = max(newest.get(family, ()), tuple(int(p) for p in version.split(".")))
    for family, version in newest.items():
        check(version <= NEWEST_SYMBOLS[family], "the game needs %s %s" % (
            family, ".".join(map(str, version))))
    return sorted(needed), newest


# Scenarios.

def scenario_archives(args):
    sums_path = os.path.join(args.dist, "SHA256SUMS")
    check(os.path.exists(sums_path), "no %s" % sums_path)
    with open(sums_path) as stream:
        sums = dict(reversed(line.rstrip("\n").split("  ", 1)) for line in stream if line.strip())
    expected = [os.path.basename(archive_path(args, suffix))
                for suffix in ("linux-x86_64.tar.gz", "windows.zip")]
    if os.path.exists(archive_path(args, "web.zip")):
        expected.append(os.path.basename(archive_path(args, "web.zip")))
    check(sorted(sums) == sorted(expected), "SHA256SUMS lists %s, expected %s" % (
        sorted(sums), sorted(expected)))
    for name, digest in sums.items():
        path = os.path.join(args.dist, name)
        check(sha256(path) == digest, "%s does not match SHA256SUMS" % name)
        say("  %s: %.1f MB, checksum matches" % (name, os.path.getsize(path) / 1e6))

    work = empty_folder(args.out, "archives")
    linux = archive_path(args, "linux-x86_64.tar.gz")
    top = os.path.basename(linux)[:-len(".tar.gz")]
    members = unpack_tar(linux, work)
    check({m.name.split("/")[0] for m in members} == {top}, "the Linux archive is not one "
          "folder %s" % top)
    modes = {m.name: m.mode for m in members}
    check(modes.get(top + "/" + NAME) == 0o755, "%s is not an executable of the archive" % NAME)
    check(all(m.mtime == members[0].mtime and m.uid == 0 for m in members), "the Linux archive's "
          "entries differ in date or owner")
    for wanted in ("README.txt", "Images/titlepage.tif", "Sounds"):
        check(os.path.exists(os.path.join(work, top, wanted)), "the Linux archive has no %s" % wanted)
    check(not [m for m in members if os.path.basename(m.name).startswith(".")],
          "the Linux archive holds hidden files")
    needed, newest = check_linux_program(os.path.join(work, top, NAME))
    say("  Linux game needs %s; symbols up to %s" % (", ".join(needed), ", ".join(
        "%s %s" % (family, ".".join(map(str, version))) for family, version in sorted(newest.items()))))

    windows = archive_path(args, "windows.zip")
    top = os.path.basename(windows)[:-len(".zip")]
    infos = unpack_zip(windows, work)
    check({i.filename.split("/")[0] for i in infos} == {top}, "the Windows archive is not one "
          "folder %s" % top)
    for wanted in (LAUNCHER, "muffins.exe", "README.txt", "Images/titlepage.tif", "Sounds"):
        check(os.path.exists(os.path.join(work, top, wanted)), "the Windows archive has no %s"
              % wanted)
    with open(os.path.join(work, top, "README.txt"), encoding="utf-8") as stream:
        readme = stream.read()
    for promise in (LAUNCHER, "Reduced color mode", "16-bit (65536)"):
        check(promise in readme, "the Windows README.txt does not mention %r" % promise)
    for program in (LAUNCHER, "muffins.exe"):
        info = pe.read(os.path.join(work, top, program))
        check(info.subsystem == pe.SUBSYSTEM_WINDOWS_GUI, "%s is not a windowed program" % program)
        check(info.timestamp == 0, "%s carries its link time" % program)
        check(info.icon_sizes() == ICON_SIZES, "%s has icons of %s" % (program, info.icon_sizes()))
        version = info.version_info()
        check(version, "%s has no version information" % program)
        check(version[0] == args.version + ".0", "%s is version %s" % (program, version[0]))
        check("Muffin Meltdown" in version[2] and program in version[2],
              "%s does not name the game and itself in its version information" % program)
    say("  Windows programs: windowed, icons %s, version %s" % (ICON_SIZES, args.version))

    web = archive_path(args, "web.zip")
    if os.path.exists(web):
        top = os.path.basename(web)[:-len(".zip")]
        infos = unpack_zip(web, work)
        check({i.filename.split("/")[0] for i in infos} == {top}, "the web archive is not one "
              "folder %s" % top)
        check(os.path.exists(os.path.join(work, top, "index.html")), "the web archive has no "
              "index.html")


def scenario_linux(args):
    work = empty_folder(args.player, "linux-unpacked")
    unpack_tar(archive_path(args, "linux-x86_64.tar.gz"), work)
    folder = os.path.join(work, os.listdir(work)[0])
    before = tree(folder)
    play_demo(args, os.path.join(folder, NAME), "linux")
    check(tree(folder) == before, "the game wrote into its unpacked folder: %s" % sorted(
        tree(folder) - before))
    # Started through a link from elsewhere (a ~/bin of the player's), it still finds
    # its data beside its real file.
    links = empty_folder(args.player, "linux-link")
    os.symlink(os.path.join(folder, NAME), os.path.join(links, NAME))
    play_demo(args, os.path.join(links, NAME), "linux-through-a-link")


def scenario_install(args):
    prefix = empty_folder(args.player, "install-prefix")
    done = subprocess.run(["cmake", "--install", args.release_build, "--prefix", prefix],
                          capture_output=True, text=True, timeout=300)
    check(done.returncode == 0, "cmake --install failed: %s" % done.stderr[-500:])
    share = os.path.join(prefix, "share")
    wanted = ["bin/" + NAME, "share/%s/Images/titlepage.tif" % NAME,
              "share/applications/%s.desktop" % NAME]
    wanted += ["share/icons/hicolor/%dx%d/apps/%s.png" % (s, s, NAME) for s in ICON_SIZES]
    for path in wanted:
        check(os.path.exists(os.path.join(prefix, path)), "the install has no %s" % path)
    sounds = os.path.join(share, NAME, "Sounds")
    check(os.path.isdir(sounds) and os.listdir(sounds), "the install has no sounds")
    check(os.listdir(os.path.join(prefix, "bin")) == [NAME], "bin/ holds more than the game: "
          "%s" % os.listdir(os.path.join(prefix, "bin")))
    hidden = [p for p in tree(prefix) if os.path.basename(p).startswith(".")]
    check(not hidden, "the install holds hidden files: %s" % hidden)
    for size in ICON_SIZES:
        with open(os.path.join(share, "icons/hicolor/%dx%d/apps/%s.png" % (size, size, NAME)),
                  "rb") as stream:
            header = stream.read(24)
        check(header[:8] == b"\x89PNG\r\n\x1a\n" and
              (int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")) ==
              (size, size), "the %d-pixel icon is not a %dx%d PNG" % (size, size, size))
    metainfo = glob.glob(os.path.join(share, "metainfo", "*.metainfo.xml"))
    check(len(metainfo) == 1, "the install has %d metainfo files" % len(metainfo))
    with open(metainfo[0], encoding="utf-8") as stream:
        text = stream.read()
    for promise in ("<screenshot", "<description>", 'version="%s"' % args.version,
                    "%s.desktop" % NAME):
        check(promise in text, "the metainfo has no %s" % promise)

    desktop = os.path.join(share, "applications", NAME + ".desktop")
    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", "--pedantic", metainfo[0]],
                    ["appstreamcli", "validate-tree", "--no-net", prefix]):
        done = subprocess.run(command, capture_output=True, text=True, timeout=120)
        output = (done.stdout + done.stderr).strip()
        check(done.returncode == 0 and "E:" not in output and "W:" not in output,
              "%s: %s" % (" ".join(command[:2]), output))
        say("  %s passes" % " ".join(word for word in command[:2] if "/" not in word))
    say("  installed: bin/%s, share/%s/{Images,Sounds}, desktop entry, %d icons, metainfo"
        % (NAME, NAME, len(ICON_SIZES)))
    play_demo(args, os.path.join(prefix, "bin", NAME), "installed")


def build_probe(args):
    """layer_probe.cpp cross-built, to stand in for muffins.exe."""
    probe = os.path.join(args.out, "layer_probe.exe")
    compiler = shutil.which("x86_64-w64-mingw32-g++-posix") or "x86_64-w64-mingw32-g++"
    done = subprocess.run([compiler, "-O1", "-mwindows", "-static", "-o", probe,
                           os.path.join(HERE, "layer_probe.cpp")],
                          capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, "the layer probe did not build: %s" % done.stderr[-500:])
    return probe


def settle(wine, display):
    """Wait until every process of the Wine prefix has ended, so the next run starts
    afresh."""
    subprocess.run([wine.server, "-w"], env=wine.env(display), stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=60)


def windows_name(path):
    """How Wine names a host path: on drive Z:, with backslashes, in any case."""
    return ("Z:" + path.replace("/", "\\")).rstrip("\\").lower()


def scenario_windows(args):
    wine = run_e2e.Wine(args.windows_build)
    work = empty_folder(args.out, "windows-unpacked")
    unpack_zip(archive_path(args, "windows.zip"), work)
    folder = os.path.join(work, os.listdir(work)[0])
    home = empty_folder(args.out, "windows-home")
    # The title page as the archive has it; near the top, as the engine's reader takes
    # names of at most 99 characters.
    shutil.copy(os.path.join(folder, "Images", "titlepage.tif"), empty_folder(args.out, "title"))
    title = run_e2e.expected_title(args.native, os.path.join(args.out, "title"), args.out)
    display = Display(16, log=os.path.join(args.out, "xvfb-release-windows.log"))
    game = None
    try:
        wine.ensure_prefix(display)
        env = wine.env(display, {"HOME": home, "__COMPAT_LAYER": "HighDpiAware"})
        game = Process([wine.loader, os.path.join(folder, LAUNCHER)], cwd="/", env=env,
                       log=os.path.join(args.out, "release-windows.log"))
        window = display.find_window("the game window", 60, class_has="muffins.exe",
                                     min_width=run_e2e.VIEW_WIDTH - 10,
                                     min_height=run_e2e.VIEW_HEIGHT - 10)
        log = os.path.join(folder, "debug.txt")
        wait_for("the start-up lines in debug.txt beside muffins.exe", lambda: os.path.exists(log)
                 and len(run_e2e.log_lines(log)) >= len(run_e2e.WINDOWED_START_LINES), 30)
        run_e2e.check_start_lines(log)
        time.sleep(2.0)  # the title page shows from the first frames
        run_e2e.check_title(display, window, title, args.out, "release-windows-title")
        boxes = [w for w in display.windows() if w["name"] in ("Tolvo", "Muffin Meltdown")]
        check(not boxes, "a message box is open: %s" % boxes)
        display.focus(window)
        display.tap("Escape")
        code = game.wait(20)
        check(code == 0, "the launcher ended with %d after Escape, expected 0" % code)
        say("  Escape ended the game and its launcher with exit code 0")
        game.stop()
        game = None
        settle(wine, display)

        # What the game is started with, seen from inside by a program in its place; a
        # layer the player already asked for is kept, and the 16-bit one added.
        os.replace(build_probe(args), os.path.join(folder, "muffins.exe"))
        game = Process([wine.loader, os.path.join(folder, LAUNCHER)], cwd="/", env=env,
                       log=os.path.join(args.out, "release-windows-probe.log"))
        code = game.wait(60)
        check(code == 7, "the launcher ended with %d, not its game's 7" % code)
        with open(os.path.join(folder, "probe.txt"), encoding="latin-1") as stream:
            layer, started_in = (stream.read().split("\n") + ["", ""])[:2]
        check(layer == "HighDpiAware 16BITCOLOR", "the game runs with __COMPAT_LAYER=%r" % layer)
        check(started_in.rstrip("\\").lower() == windows_name(folder), "the game runs in %r, "
              "not its own folder" % started_in)
        say("  the launcher starts the game in its own folder with __COMPAT_LAYER=%s and "
            "passes on its exit code" % layer)
        game.stop()
        game = None
        settle(wine, display)

        # Without the game beside it, the launcher says so and ends with 1.
        os.remove(os.path.join(folder, "muffins.exe"))
        game = Process([wine.loader, os.path.join(folder, LAUNCHER)], cwd="/", env=env,
                       log=os.path.join(args.out, "release-windows-missing.log"))
        box = display.find_window("the launcher's message box", 60, name="Muffin Meltdown",
                                  min_width=100)
        time.sleep(1.0)
        display.focus(box)
        display.tap("Return")
        code = game.wait(20)
        check(code == 1, "the launcher without muffins.exe ended with %d, expected 1" % code)
        say("  without muffins.exe the launcher shows a message and ends with 1")
    finally:
        if game:
            game.stop()
        wine.shutdown(display)
        display.stop()


def scenario_web(args):
    web = archive_path(args, "web.zip")
    if not os.path.exists(web):
        say("  no web archive in %s: skipped" % args.dist)
        return
    sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e", "web"))
    import run_web
    work = empty_folder(args.player, "web-unpacked")
    unpack_zip(web, work)
    site = os.path.join(work, os.listdir(work)[0])
    # The web checks' own title and demo runs, on the site as unpacked: the title page on
    # the canvas, and the demo's trace as the native one with "exit 0".
    failed = run_web.run_all(site, args.native, os.path.join(args.out, "web"),
                             only=["title", "demo"])
    check(not failed, "the unpacked web site failed: " + ", ".join(failed))
    say("  the unpacked web site shows the title page and plays the demo to the native trace")


SCENARIOS = [("archives", scenario_archives), ("linux", scenario_linux),
             ("install", scenario_install), ("windows", scenario_windows),
             ("web", scenario_web)]


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default="dist")
    parser.add_argument("--native", default="build")
    parser.add_argument("--release-build", default="build-release")
    parser.add_argument("--windows-build", default="build-windows")
    parser.add_argument("--out", default="build/release-test")
    parser.add_argument("--only", action="append", choices=[name for name, _ in SCENARIOS])
    args = parser.parse_args()
    for name in ("dist", "native", "release_build", "windows_build", "out"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    os.makedirs(args.out, exist_ok=True)
    try:
        args.version = project_version(args.release_build)
    except (Failure, OSError) as failure:
        say("FAIL: %s" % failure)
        return 1
    # Where the game is unpacked, installed and played: a folder of its own that the
    # ordinary user it runs as can reach, wherever the build folders are.
    args.player = tempfile.mkdtemp(prefix="muffin-release-test-")
    os.chmod(args.player, 0o755)
    try:
        failed = run_scenarios(SCENARIOS, args.only, lambda run: run(args), say,
                               (tarfile.TarError, zipfile.BadZipFile, pe.PeError))
    finally:
        shutil.rmtree(args.player, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
