#!/usr/bin/python3
"""Doxygen's input filter for the engine's headers: reads their plain // comments as
documentation, so the headers keep the code style's comments and no markup.

    doxygen_filter.py HEADER     (Doxygen runs it; it prints the header as Doxygen reads it)

- The comment at the top of a header describes the file.
- A comment right above a declaration describes it; one with a blank line or a
  preprocessor line below it is a remark, left alone, as are comments in class bodies
  above an access label.
- The include guard is left out, and a # in a comment is only a character.
- A comment after a declaration on its line (`int width; // pixels`) describes it.
- A comment above a run of declarations (to the next blank line or comment) heads them
  as a group when they carry comments of their own, and describes each one otherwise.
"""

import re
import sys

COMMENT = re.compile(r"^(\s*)//\s?(.*)$")
TRAILING = re.compile(r"^(\s*[^/\s#].*?[;,{]|\s*#define\s.*?)(\s+)//\s?(.*)$")
SEVERAL = re.compile(r"^(\s*)([\w:*&<> ]+?)\s+(\w+(?:\s*,\s*\w+)+);$")
NOT_DECLARED = re.compile(r"^\s*(#(?!define)|$|public:|private:|protected:|\}|//)")
GUARD = re.compile(r"^#ifndef (\w+_H)$")


def described(line):
    """A line with its trailing comment as Doxygen's; `int a, b; // c` as one line each."""
    trailing = TRAILING.match(line)
    if not trailing:
        return line
    code, space, text = trailing.groups()
    several = SEVERAL.match(code)
    if not several:
        return "%s%s///< %s" % (code, space, text)
    indent, kind, names = several.groups()
    return "\n".join("%s%s %s; ///< %s" % (indent, kind, name.strip(), text)
                     for name in names.split(","))


def ended(line):
    """Whether a declaration ends on this line."""
    return line.rstrip().endswith((";", "}")) or line.startswith("#define")


def declarations(lines, i):
    """Declarations from line i to the next blank line, comment or access label."""
    count = 0
    while i < len(lines) and not NOT_DECLARED.match(lines[i]):
        count += ended(lines[i])
        i += 1
    return count


def doc_lines(lines):
    guard = next((GUARD.match(line).group(1) for line in lines if GUARD.match(line)), None)
    lines = ["" if line == "#define %s" % guard else line for line in lines]
    out = []
    first = True
    i = 0
    while i < len(lines):
        if not COMMENT.match(lines[i]):
            first = first and not lines[i].strip() == ""
            out.append(described(lines[i]))
            i += 1
            continue
        block = []
        while i < len(lines) and COMMENT.match(lines[i]):
            block.append(COMMENT.match(lines[i]).groups())
            i += 1
        after = lines[i] if i < len(lines) else ""
        block = [(indent, text.replace("#", "\\#")) for indent, text in block]
        if first:
            out.append("/// @file")
            out.extend("%s/// %s" % groups for groups in block)
        elif TRAILING.match(after):
            # Members with comments of their own, under a heading.
            indent = block[0][0]
            out.append("%s/// @name %s" % block[0])
            out.extend("%s/// %s" % groups for groups in block[1:])
            out.append("%s/// @{" % indent)
            while i < len(lines) and not NOT_DECLARED.match(lines[i]):
                out.append(described(lines[i]))
                i += 1
            out.append("%s/// @}" % indent)
        elif declarations(lines, i) > 1:
            # Members that share one comment: each of them gets it.
            start = True
            while i < len(lines) and not NOT_DECLARED.match(lines[i]):
                if start:
                    out.extend("%s/// %s" % groups for groups in block)
                out.append(lines[i])
                start = ended(lines[i])
                i += 1
        elif NOT_DECLARED.match(after):
            out.extend("%s// %s" % groups for groups in block)
        else:
            out.extend("%s/// %s" % groups for groups in block)
        first = False
    return out


def main():
    with open(sys.argv[1], encoding="utf-8") as stream:
        lines = stream.read().split("\n")
    sys.stdout.write("\n".join(doc_lines(lines)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
