"""The archives in dist/ checked as a player meets them, and the Linux install.

    python3 -m tests.e2e.release --dist dist --native build --release-build build-release
                                 [--windows-build build-windows] --out DIR [--only NAME ...]

  archives  SHA256SUMS; one folder each, holding what its README promises; the Linux
            game needs only SDL2, libpng and the C library; the Windows programs carry
            the icon and the version
  linux     unpacked, started from / with an empty HOME as an ordinary user: the demo
            plays to the build tree's trace, exit 0, no box, debug.txt in the state folder
  install   cmake --install: the standard places, a valid desktop entry and metainfo,
            no engine tools; the installed game plays the demo the same way
  windows   under Wine on a 16-bit screen through its launcher: the title page, exit 0 on
            Escape; the game started in its folder with 16BITCOLOR; without muffins.exe
            the launcher says so and ends with 1
  web       unpacked and played by the web checks web-title and web-demo (skipped when
            there is no web archive)
"""

import argparse
import glob
import os
import re
import shutil
import stat
import subprocess
import tarfile
import tempfile
import time
import zipfile

from . import web as web_checks
from .harness import game, pe
from .harness.game import DEMO, WINDOWED_START_LINES, log_lines
from .harness.session import Failure, check, empty_folder, main, run_scenarios, say, sha256
from .harness.wine import Wine
from .harness.xserver import Display, check_title, escape_quits

NAME = "muffin-meltdown"
LAUNCHER = "Muffin Meltdown.exe"
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
# What the Linux game may need from the system: SDL2 (libsdl2-2.0-0), libpng and the C
# and C++ runtimes, which every desktop has, in versions of Debian 12 and Ubuntu 22.04.
# (Linking the C++ runtime in would ask for a newer C library: glibc 2.36.)
LINUX_LIBRARIES = {"libSDL2-2.0.so.0", "libpng16.so.16", "libstdc++.so.6", "libgcc_s.so.1",
                   "libm.so.6", "libc.so.6", "ld-linux-x86-64.so.2"}
NEWEST_SYMBOLS = {"GLIBC": (2, 34), "GLIBCXX": (3, 4, 30), "CXXABI": (1, 3, 13)}
NOBODY = 65534
# The demo closes the window at frame 2850; a game that cannot read it still ends here.
FRAME_LIMIT = 4000


def project_version(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as stream:
        match = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", stream.read(), re.M)
    check(match, "%s/CMakeCache.txt names no project version" % build)
    return match.group(1)


def archive_path(ctx, suffix):
    return os.path.join(ctx.dist, "%s-%s-%s" % (NAME, ctx.version, suffix))


# Unpacking, refusing anything that would land outside the folder or is not a plain
# file or folder, as a careful player's tools would.

def safe_name(name):
    return not name.startswith("/") and ".." not in name.split("/") and "\\" not in name


def unpack(path, into):
    """The archive unpacked into `into`: its one folder, named like it, and its members."""
    tar = path.endswith(".tar.gz")
    with tarfile.open(path, "r:gz") if tar else zipfile.ZipFile(path) as archive:
        members = archive.getmembers() if tar else archive.infolist()
        names = [member.name if tar else member.filename for member in members]
        for name, member in zip(names, members):
            check(safe_name(name), "unsafe name in %s: %r" % (path, name))
            check(not tar or member.isfile() or member.isdir(),
                  "%s holds %r, neither file nor folder" % (path, name))
            check(tar or not stat.S_ISLNK(member.external_attr >> 16), "%s holds a link %r"
                  % (path, name))
        archive.extractall(into, members=members)
    for info in [] if tar else members:  # the modes a zip carries, which it does not apply
        mode = (info.external_attr >> 16) & 0o777
        if mode and not info.is_dir():
            os.chmod(os.path.join(into, info.filename), mode)
    top = os.path.basename(path)[:-len(".tar.gz" if tar else ".zip")]
    check({name.split("/")[0] for name in names} == {top}, "%s is not one folder %s"
          % (os.path.basename(path), top))
    return os.path.join(into, top), members


def tree(folder):
    found = set()
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(root, name), folder))
    return found


def check_holds(folder, what, wanted):
    for name in wanted:
        check(os.path.exists(os.path.join(folder, name)), "%s has no %s" % (what, name))


# The game played headless: the reference from the build tree, and a released copy
# started the way a player on a desktop would, as an ordinary user.

def play_headless(argv, cwd, script, trace, home):
    """The demo played headless: (exit status, standard error, the trace)."""
    env = {"PATH": "/usr/bin:/bin", "HOME": home, "TOLVO_HOST": "headless",
           "TOLVO_SCRIPT": script, "TOLVO_TRACE": trace, "TOLVO_FRAMES": str(FRAME_LIMIT)}
    if os.environ.get("LANG"):
        env["LANG"] = os.environ["LANG"]
    done = subprocess.run(argv, cwd=cwd, env=env, capture_output=True, timeout=120)
    with open(trace, "rb") if os.path.exists(trace) else open(os.devnull, "rb") as stream:
        return done.returncode, done.stderr.decode(errors="replace"), stream.read()


def reference_trace(ctx):
    """The demo's trace from the build tree's game, in its own folder as documented."""
    if not getattr(ctx, "reference", None):
        status, _, ctx.reference = play_headless(
            [os.path.join(ctx.native, "muffins")], ctx.native, DEMO,
            os.path.join(ctx.out, "reference-trace.jsonl"), os.environ.get("HOME", "/"))
        check(status == 0, "the build tree's game ended with %d" % status)
        check(ctx.reference.count(b"\n") > 1000, "the reference trace is too short")
    return ctx.reference


def as_player():
    """Run as nobody when this runs as root, so / and an installed folder are read-only
    as they are to a player."""
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]


def play_demo(ctx, program, name):
    """The demo with program, started from / with an empty HOME."""
    work = empty_folder(ctx.player, name)
    home = empty_folder(work, "home")
    if os.geteuid() == 0:
        for path in (work, home):
            os.chown(path, NOBODY, NOBODY)
    script = os.path.join(work, "demo.script")
    shutil.copy(DEMO, script)
    status, stderr, released = play_headless(as_player() + [program], "/", script,
                                             os.path.join(work, "trace.jsonl"), home)
    with open(os.path.join(ctx.out, name + "-stderr.txt"), "w") as stream:
        stream.write(stderr)
    check(status == 0, "%s ended with %d: %s" % (name, status, stderr[-500:]))
    check("[message box]" not in stderr, "%s showed a message box: %s" % (
        name, stderr[stderr.find("[message box]"):][:300]))
    reference = reference_trace(ctx)
    check(released == reference, "%s: the trace differs from the build tree's (%d and %d "
          "lines)" % (name, released.count(b"\n"), reference.count(b"\n")))
    say("  %s: the demo played to the build tree's trace (%d frames), exit 0, no message box"
        % (name, released.count(b"\n")))
    log = os.path.join(home, ".local", "state", NAME, "debug.txt")
    if os.access("/", os.W_OK) and not as_player():
        say("  (/ is writable here, so debug.txt stays in the working directory)")
    else:
        check(os.path.exists(log), "%s wrote no %s" % (name, log))
        check(log_lines(log)[:1] == [WINDOWED_START_LINES[0]],
              "%s: %s does not start with the start-up line" % (name, log))
        say("  %s: debug.txt in the empty HOME's state folder" % name)


def tool(argv, timeout=120, quiet=False):
    """A tool run to its end, which must succeed (and, when quiet, report no error or
    warning, E: or W:): its standard output."""
    done = subprocess.run(argv, capture_output=True, text=True, timeout=timeout)
    output = (done.stdout + done.stderr).strip()
    check(done.returncode == 0, "%s failed: %s" % (" ".join(argv[:2]), output[-500:]))
    check(not quiet or ("E:" not in output and "W:" not in output), "%s: %s" % (
        " ".join(argv[:2]), output))
    return done.stdout


def dotted(version):
    return ".".join(map(str, version))


def check_linux_program(path):
    dynamic = tool(["readelf", "-d", path])
    needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", dynamic))
    check(needed <= LINUX_LIBRARIES, "the game needs %s besides %s" % (
        sorted(needed - LINUX_LIBRARIES), sorted(LINUX_LIBRARIES)))
    check("RPATH" not in dynamic and "RUNPATH" not in dynamic, "the game carries a run path")
    newest = {}
    for family, version in re.findall(r"@(GLIBC|GLIBCXX|CXXABI)_([0-9.]+)",
                                      tool(["readelf", "--dyn-syms", "-W", path])):
        newest[family] = max(newest.get(family, ()), tuple(int(p) for p in version.split(".")))
    for family, version in newest.items():
        check(version <= NEWEST_SYMBOLS[family], "the game needs %s %s" % (family, dotted(version)))
    say("  Linux game needs %s; symbols up to %s" % (", ".join(sorted(needed)), ", ".join(
        "%s %s" % (family, dotted(version)) for family, version in sorted(newest.items()))))


def check_windows_program(path, version):
    program = os.path.basename(path)
    info = pe.read(path)
    check(info.subsystem == pe.SUBSYSTEM_WINDOWS_GUI, "%s is not a windowed program" % program)
    check(info.timestamp == 0, "%s carries its link time" % program)
    check(info.icon_sizes() == ICON_SIZES, "%s has icons of %s" % (program, info.icon_sizes()))
    found = info.version_info()
    check(found, "%s has no version information" % program)
    check(found[0] == version + ".0", "%s is version %s" % (program, found[0]))
    check("Muffin Meltdown" in found[2] and program in found[2],
          "%s does not name the game and itself in its version information" % program)


# Scenarios.

def scenario_archives(ctx):
    sums_path = os.path.join(ctx.dist, "SHA256SUMS")
    check(os.path.exists(sums_path), "no %s" % sums_path)
    with open(sums_path) as stream:
        sums = dict(reversed(line.rstrip("\n").split("  ", 1)) for line in stream if line.strip())
    expected = [os.path.basename(archive_path(ctx, suffix)) for suffix in (
        "linux-x86_64.tar.gz", "windows.zip", "web.zip")]
    if not os.path.exists(archive_path(ctx, "web.zip")):
        expected.pop()
    check(sorted(sums) == sorted(expected), "SHA256SUMS lists %s, expected %s" % (
        sorted(sums), sorted(expected)))
    for name, digest in sums.items():
        path = os.path.join(ctx.dist, name)
        check(sha256(path) == digest, "%s does not match SHA256SUMS" % name)
        say("  %s: %.1f MB, checksum matches" % (name, os.path.getsize(path) / 1e6))

    work = empty_folder(ctx.out, "archives")
    folder, members = unpack(archive_path(ctx, "linux-x86_64.tar.gz"), work)
    check({m.name: m.mode for m in members}.get(os.path.basename(folder) + "/" + NAME) == 0o755,
          "%s is not an executable of the archive" % NAME)
    check(all(m.mtime == members[0].mtime and m.uid == 0 for m in members), "the Linux archive's "
          "entries differ in date or owner")
    check_holds(folder, "the Linux archive", ("README.txt", "Images/titlepage.tif", "Sounds"))
    check(not [m for m in members if os.path.basename(m.name).startswith(".")],
          "the Linux archive holds hidden files")
    check_linux_program(os.path.join(folder, NAME))

    folder, _ = unpack(archive_path(ctx, "windows.zip"), work)
    check_holds(folder, "the Windows archive", (LAUNCHER, "muffins.exe", "README.txt",
                                                "Images/titlepage.tif", "Sounds"))
    with open(os.path.join(folder, "README.txt"), encoding="utf-8") as stream:
        readme = stream.read()
    for promise in (LAUNCHER, "Reduced color mode", "16-bit (65536)"):
        check(promise in readme, "the Windows README.txt does not mention %r" % promise)
    for program in (LAUNCHER, "muffins.exe"):
        check_windows_program(os.path.join(folder, program), ctx.version)
    say("  Windows programs: windowed, icons %s, version %s" % (ICON_SIZES, ctx.version))

    if os.path.exists(archive_path(ctx, "web.zip")):
        folder, _ = unpack(archive_path(ctx, "web.zip"), work)
        check_holds(folder, "the web archive", ("index.html",))


def scenario_linux(ctx):
    folder, _ = unpack(archive_path(ctx, "linux-x86_64.tar.gz"),
                       empty_folder(ctx.player, "linux-unpacked"))
    before = tree(folder)
    play_demo(ctx, os.path.join(folder, NAME), "linux")
    check(tree(folder) == before, "the game wrote into its unpacked folder: %s" % sorted(
        tree(folder) - before))
    # Started through a link from elsewhere (a ~/bin of the player's), it still finds
    # its data beside its real file.
    links = empty_folder(ctx.player, "linux-link")
    os.symlink(os.path.join(folder, NAME), os.path.join(links, NAME))
    play_demo(ctx, os.path.join(links, NAME), "linux-through-a-link")


def scenario_install(ctx):
    prefix = empty_folder(ctx.player, "install-prefix")
    tool(["cmake", "--install", ctx.release_build, "--prefix", prefix], 300)
    share = os.path.join(prefix, "share")
    icon = "share/icons/hicolor/%dx%d/apps/" + NAME + ".png"
    check_holds(prefix, "the install", ["bin/" + NAME, "share/%s/Images/titlepage.tif" % NAME,
                                        "share/applications/%s.desktop" % NAME] +
                [icon % (size, size) for size in ICON_SIZES])
    sounds = os.path.join(share, NAME, "Sounds")
    check(os.path.isdir(sounds) and os.listdir(sounds), "the install has no sounds")
    check(os.listdir(os.path.join(prefix, "bin")) == [NAME], "bin/ holds more than the game: "
          "%s" % os.listdir(os.path.join(prefix, "bin")))
    hidden = [p for p in tree(prefix) if os.path.basename(p).startswith(".")]
    check(not hidden, "the install holds hidden files: %s" % hidden)
    for size in ICON_SIZES:
        with open(os.path.join(prefix, icon % (size, size)), "rb") as stream:
            header = stream.read(24)
        check(header[:8] == b"\x89PNG\r\n\x1a\n" and
              (int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")) ==
              (size, size), "the %d-pixel icon is not a %dx%d PNG" % (size, size, size))
    metainfo = glob.glob(os.path.join(share, "metainfo", "*.metainfo.xml"))
    check(len(metainfo) == 1, "the install has %d metainfo files" % len(metainfo))
    with open(metainfo[0], encoding="utf-8") as stream:
        text = stream.read()
    for promise in ("<screenshot", "<description>", 'version="%s"' % ctx.version,
                    "%s.desktop" % NAME):
        check(promise in text, "the metainfo has no %s" % promise)

    desktop = os.path.join(share, "applications", NAME + ".desktop")
    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", "--pedantic", metainfo[0]],
                    ["appstreamcli", "validate-tree", "--no-net", prefix]):
        tool(command, quiet=True)
        say("  %s passes" % " ".join(word for word in command[:2] if "/" not in word))
    say("  installed: bin/%s, share/%s/{Images,Sounds}, desktop entry, %d icons, metainfo"
        % (NAME, NAME, len(ICON_SIZES)))
    play_demo(ctx, os.path.join(prefix, "bin", NAME), "installed")


def build_probe(ctx):
    """layer_probe.cpp cross-built, to stand in for muffins.exe."""
    probe = os.path.join(ctx.out, "layer_probe.exe")
    compiler = shutil.which("x86_64-w64-mingw32-g++-posix") or "x86_64-w64-mingw32-g++"
    tool([compiler, "-O1", "-mwindows", "-static", "-o", probe,
          os.path.join(os.path.dirname(pe.__file__), "layer_probe.cpp")])
    return probe


def windows_name(path):
    """How Wine names a host path: on drive Z:, with backslashes, in any case."""
    return ("Z:" + path.replace("/", "\\")).rstrip("\\").lower()


def scenario_windows(ctx):
    wine = Wine(ctx.windows_build)
    folder, _ = unpack(archive_path(ctx, "windows.zip"), empty_folder(ctx.out, "windows-unpacked"))
    home = empty_folder(ctx.out, "windows-home")
    # The title page as the archive has it; near the top, as the engine's reader takes
    # names of at most 99 characters.
    shutil.copy(os.path.join(folder, "Images", "titlepage.tif"), empty_folder(ctx.out, "title"))
    title = game.expected_title(ctx.native, os.path.join(ctx.out, "title"), ctx.out)
    extra = {"HOME": home, "__COMPAT_LAYER": "HighDpiAware"}

    def launch(display, name):
        return wine.start(display, os.path.join(folder, LAUNCHER), "/",
                          os.path.join(ctx.out, name + ".log"), extra)

    with Display(16, log=os.path.join(ctx.out, "xvfb-release-windows.log")) as display, \
            wine.running(display):
        with launch(display, "release-windows") as launcher:
            window = game.find_game_window(display, class_has="muffins.exe")
            # debug.txt beside muffins.exe
            game.check_start_lines(os.path.join(folder, "debug.txt"), wait=30)
            time.sleep(2.0)  # the title page shows from the first frames
            check_title(display, window, title, ctx.out, "release-windows-title")
            boxes = [w for w in display.windows() if w["name"] in ("Tolvo", "Muffin Meltdown")]
            check(not boxes, "a message box is open: %s" % boxes)
            escape_quits(display, launcher, window, "the game and its launcher")
        wine.settle(display)

        # What the game is started with, seen from inside by a program in its place; a
        # layer the player already asked for is kept, and the 16-bit one added.
        os.replace(build_probe(ctx), os.path.join(folder, "muffins.exe"))
        with launch(display, "release-windows-probe") as launcher:
            code = launcher.wait(60)
        check(code == 7, "the launcher ended with %d, not its game's 7" % code)
        with open(os.path.join(folder, "probe.txt"), encoding="latin-1") as stream:
            layer, started_in = (stream.read().split("\n") + ["", ""])[:2]
        check(layer == "HighDpiAware 16BITCOLOR", "the game runs with __COMPAT_LAYER=%r" % layer)
        check(started_in.rstrip("\\").lower() == windows_name(folder), "the game runs in %r, "
              "not its own folder" % started_in)
        say("  the launcher starts the game in its own folder with __COMPAT_LAYER=%s and "
            "passes on its exit code" % layer)
        wine.settle(display)

        # Without the game beside it, the launcher says so and ends with 1.
        os.remove(os.path.join(folder, "muffins.exe"))
        with launch(display, "release-windows-missing") as launcher:
            box = display.find_window("the launcher's message box", 60, name="Muffin Meltdown",
                                      min_width=100)
            time.sleep(1.0)
            display.focus(box)
            display.tap("Return")
            code = launcher.wait(20)
        check(code == 1, "the launcher without muffins.exe ended with %d, expected 1" % code)
        say("  without muffins.exe the launcher shows a message and ends with 1")


def scenario_web(ctx):
    if not os.path.exists(archive_path(ctx, "web.zip")):
        say("  no web archive in %s: skipped" % ctx.dist)
        return
    site, _ = unpack(archive_path(ctx, "web.zip"), empty_folder(ctx.player, "web-unpacked"))
    # The web checks' own title and demo runs, on the site as unpacked: the title page on
    # the canvas, and the demo's trace as the native one with "exit 0".
    failed = web_checks.run(ctx.native, site, os.path.join(ctx.out, "web"),
                            ["web-title", "web-demo"])
    check(not failed, "the unpacked web site failed: " + ", ".join(failed))
    say("  the unpacked web site shows the title page and plays the demo to the native trace")


SCENARIOS = [("archives", scenario_archives), ("linux", scenario_linux),
             ("install", scenario_install), ("windows", scenario_windows),
             ("web", scenario_web)]


def run(args):
    try:
        args.version = project_version(args.release_build)
    except (Failure, OSError) as failure:
        say("FAIL: %s" % failure)
        return ["version"]
    # Where the game is unpacked, installed and played: a folder of its own that the
    # ordinary user it runs as can reach, wherever the build folders are.
    args.player = tempfile.mkdtemp(prefix="muffin-release-test-")
    os.chmod(args.player, 0o755)
    try:
        return run_scenarios(SCENARIOS, args, args.only,
                             (tarfile.TarError, zipfile.BadZipFile, pe.PeError))
    finally:
        shutil.rmtree(args.player, ignore_errors=True)


def parser():
    parser = argparse.ArgumentParser(prog="python3 -m tests.e2e.release",
                                     description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default="dist")
    parser.add_argument("--native", default="build")
    parser.add_argument("--release-build", default="build-release")
    parser.add_argument("--windows-build", default="build-windows")
    parser.add_argument("--out", default="build/release-test")
    parser.add_argument("--only", action="append", choices=[name for name, _ in SCENARIOS])
    return parser


if __name__ == "__main__":
    raise SystemExit(main("release-test", parser(), run))
