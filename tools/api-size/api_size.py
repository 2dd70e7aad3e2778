#!/usr/bin/python3
"""The size of the engine's public API, as a game sees it through <tolvo/tolvo.h>:

    api_size.py PREFIX        (PREFIX: where `make engine-install` put the engine)

Parses the header with clang (its AST as JSON) and counts what is declared in the
installed headers: types, free functions, public member functions, variables and
constants, enumerators; the engine's own apart from the Win32/DirectDraw/DirectSound
subset it brings off Windows (subset/sdk).
"""

import collections
import json
import os
import subprocess
import sys
import tempfile


def ast(prefix):
    include = os.path.join(prefix, "include")
    with tempfile.NamedTemporaryFile("w", suffix=".cpp") as source:
        source.write("#include <tolvo/tolvo.h>\n")
        source.flush()
        out = subprocess.run(["clang++", "-std=c++17", "-fsyntax-only", "-Xclang", "-ast-dump=json",
                              "-I" + include, "-I" + os.path.join(include, "tolvo"), source.name],
                             check=True, capture_output=True).stdout
    return json.loads(out), os.path.join(os.path.abspath(include), "tolvo") + os.sep


class Counter:
    def __init__(self, folder):
        self.folder = folder
        self.file = None  # clang names a node's file only where it changes
        self.counts = collections.Counter()

    def see(self, location):
        for key in ("spellingLoc", "expansionLoc"):
            if key in location:
                self.see(location[key])
        self.file = location.get("file", self.file)

    def walk(self, node, access=None, record=None):
        self.see(node.get("loc", {}))
        self.see(node.get("range", {}).get("begin", {}))
        file = self.file
        self.see(node.get("range", {}).get("end", {}))
        kind = node.get("kind")
        if file and file.startswith(self.folder) and not node.get("isImplicit"):
            part = "subset" if "subset/sdk" in file else "engine"
            self.count(part, kind, node, access, record)
        if kind == "CXXRecordDecl" and node.get("completeDefinition"):
            inner = "private" if node.get("tagUsed") == "class" else "public"
            for child in node.get("inner", []):
                if child.get("kind") == "AccessSpecDecl":
                    inner = child.get("access")
                    self.see(child.get("loc", {}))
                else:
                    self.walk(child, inner, node.get("name"))
            return
        for child in node.get("inner", []):
            self.walk(child, access, record)

    def count(self, part, kind, node, access, record):
        name = node.get("name")
        if kind == "FunctionDecl" and record is None:
            what = "free functions"
        elif kind in ("CXXMethodDecl", "CXXConstructorDecl", "CXXDestructorDecl"):
            if access != "public" or node.get("explicitlyDeleted"):
                return
            what = "public member functions"
        elif kind in ("CXXRecordDecl", "EnumDecl", "TypedefDecl", "TypeAliasDecl"):
            if not name or name == record or access not in (None, "public"):
                return
            if kind == "CXXRecordDecl" and not node.get("completeDefinition"):
                return
            what = "types"
        elif kind == "VarDecl" and record is None:
            what = "variables and constants"
        elif kind == "EnumConstantDecl":
            what = "enumerators"
        else:
            return
        self.counts[(part, what)] += 1


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    tree, folder = ast(sys.argv[1])
    counter = Counter(folder)
    counter.walk(tree)
    for (part, what), count in sorted(counter.counts.items()):
        print("%-7s %-24s %4d" % (part, what, count))
    return 0


if __name__ == "__main__":
    sys.exit(main())
