#!/usr/bin/python3
"""Checks the platform layer's include graph: no cycle between its modules (a module is a
header and its sources: subset/ddraw/surface.h with subset/ddraw/surface.cpp), and the
rules of its folders:

  subset/sdk/             the SDK-shaped headers: only each other
  subset/seam/            what a host sees; its sources reach the shared state
  subset/<family>/        an API family (user32, gdi32, kernel32, ddraw, dsound): the SDK
                          headers, the seam, its own folder, the shared state and the test
                          controls' hooks; never another family's insides
  subset/test_controls/   anything of the subset (they inject faults and read the state)
  hosts/<name>/           its own folder, the seam, the SDK headers and the common files
  main/                   anything: it starts a host and calls WinMain

    check_layers.py [SOURCE_ROOT]     prints the modules in dependency order; exit 1 on a fault
    check_layers.py --planted [ROOT]  checks the checker: a copy with planted faults must fail
"""

import os
import re
import shutil
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s+"(engine/platform/[^"]+)"', re.M)
FAMILIES = {"user32", "gdi32", "kernel32", "ddraw", "dsound"}
# A family's headers that other families use: the subset's state that more than one API
# reaches (windows, device contexts, the desktop and screen, the sound stream).
SHARED_STATE = {"subset/user32/window_manager.h", "subset/gdi32/device_context.h",
                "subset/ddraw/desktop.h", "subset/ddraw/screen.h", "subset/dsound/sound_stream.h"}
# What the test controls give the API: call counting and fault injection, and the input
# feed (scripts, recording, the frame limit).
TEST_HOOKS = {"subset/test_controls/calls.h", "subset/test_controls/feed.h"}
# The platform's own files that every layer may use: requested files that could not be
# written (a host may write one, such as a capture) and the diagnostic log.
COMMON = {"requested_files.h", "diagnostics.h", "file_names.h"}


def folder_of(path):
    parts = path.split("/")
    return "/".join(parts[:2]) if parts[0] in ("subset", "hosts") and len(parts) > 2 else parts[0]


def allowed(path, header):
    """Why `path` may include `header`, or None."""
    mine, theirs = folder_of(path), folder_of(header)
    if mine == theirs:
        return "own"
    if mine == "subset/sdk":
        return None
    if header in COMMON:
        return "common"
    if mine in ("main", "subset/test_controls") or path == "subset/seam/reset.cpp":
        return "everything"
    below = theirs in ("subset/sdk", "subset/seam")
    if mine.startswith("hosts/"):
        return "seam" if below else None
    if mine == "subset/seam" or mine.split("/")[-1] in FAMILIES:
        return "shared" if below or header in SHARED_STATE or header in TEST_HOOKS else None
    return "sdk" if theirs == "subset/sdk" else None  # platform.h and the common files


def modules(root):
    """{module: set of modules it includes}, module names relative to engine/platform."""
    base = os.path.join(root, "engine", "platform")
    graph = {}
    files = {}
    for folder, _, names in os.walk(base):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, base)
            module = os.path.splitext(relative)[0]
            with open(path, encoding="utf-8") as f:
                text = f.read()
            included = [i[len("engine/platform/"):] for i in INCLUDE.findall(text)]
            files[relative] = included
            graph.setdefault(module, set()).update(
                os.path.splitext(i)[0] for i in included if os.path.splitext(i)[0] != module)
    return graph, files


def find_cycle(graph):
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for other in sorted(graph.get(node, ())):
            if state.get(other) == 1:
                return stack[stack.index(other):] + [other]
            if other not in state:
                found = visit(other)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def order(graph):
    done, out = set(), []

    def visit(node):
        if node in done:
            return
        done.add(node)
        for other in sorted(graph.get(node, ())):
            visit(other)
        out.append(node)

    for node in sorted(graph):
        visit(node)
    return out


def faults_in(root):
    graph, files = modules(root)
    faults = []
    cycle = find_cycle(graph)
    if cycle:
        faults.append("include cycle: " + " -> ".join(cycle))
    for path, included in sorted(files.items()):
        for header in included:
            if not allowed(path, header):
                faults.append("%s includes %s: %s may not reach into %s"
                              % (path, header, folder_of(path), folder_of(header)))
    return graph, faults


PLANTED = [("subset/ddraw/direct_draw.cpp", "subset/gdi32/font.h"),
           ("hosts/sdl/sdl_audio.cpp", "subset/dsound/mixer.h"),
           ("subset/sdk/windows.h", "subset/seam/host.h")]


def planted(root):
    """Copies the platform, plants one fault of each kind and expects each reported."""
    with tempfile.TemporaryDirectory() as copy:
        shutil.copytree(os.path.join(root, "engine", "platform"),
                        os.path.join(copy, "engine", "platform"))
        for path, header in PLANTED:
            with open(os.path.join(copy, "engine", "platform", path), "a") as f:
                f.write('\n#include "engine/platform/%s"\n' % header)
        _, faults = faults_in(copy)
    missed = [p for p in PLANTED if not any(f.startswith("%s includes %s:" % p) for f in faults)]
    for path, header in missed:
        print("planted fault not found: %s includes %s" % (path, header))
    print("%d planted faults, %d found" % (len(PLANTED), len(PLANTED) - len(missed)))
    return 1 if missed else 0


def main():
    arguments = sys.argv[1:]
    check_checker = arguments[:1] == ["--planted"]
    arguments = arguments[1:] if check_checker else arguments
    root = arguments[0] if arguments else os.path.join(os.path.dirname(__file__), "..", "..")
    if check_checker:
        return planted(root)
    graph, faults = faults_in(root)
    if faults:
        print("\n".join(faults))
        return 1
    print("platform modules, each after what it uses:")
    for module in order(graph):
        uses = ", ".join(sorted(graph.get(module, ()))) or "-"
        print("  %-28s uses %s" % (module, uses))
    return 0


if __name__ == "__main__":
    sys.exit(main())
