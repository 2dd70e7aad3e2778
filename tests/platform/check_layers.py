#!/usr/bin/python3
"""Checks the platform layer's include graph: no cycle between its modules (a module is a
header and its sources: subset/surface.h with subset/surface.cpp), and hosts that reach
only down to the seam and up to the event sink.

    check_layers.py [SOURCE_ROOT]     prints the modules in dependency order; exit 1 on a fault
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"(engine/platform/[^"]+)"', re.M)
# What a host may include of the subset: the seam, the event sink, the record of settings
# it is started with, and the headers those include; and of the platform, the report of
# requested files that could not be written (a host may write one, such as a capture) and
# the diagnostic log.
HOST_MAY_INCLUDE = {"subset/host.h", "subset/events.h", "subset/settings.h", "subset/windows.h",
                    "subset/pixel_masks.h", "requested_files.h", "diagnostics.h"}


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


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    graph, files = modules(root)
    faults = []
    cycle = find_cycle(graph)
    if cycle:
        faults.append("include cycle: " + " -> ".join(cycle))
    for path, included in sorted(files.items()):
        if not path.startswith("hosts/"):
            continue
        own = "/".join(path.split("/")[:2]) + "/"
        for header in included:
            if header.startswith(own) or header in HOST_MAY_INCLUDE:
                continue
            faults.append("%s includes %s: a host reaches only host.h, events.h and settings.h"
                          % (path, header))
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
