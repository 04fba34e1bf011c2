#!/usr/bin/python3
"""Checks that no folder of src/ includes from a folder above it.

  check_layers.py RULES SRC [STAMP]

RULES holds lines "folder: layers it builds on" (the build writes it from the CMake
declarations; a folder with several targets has a line for each); a folder may include its own headers and those of every layer it builds
on, directly or through others. The public headers under include/tolvex/ are for the C
interface alone. Every offending include is named with its file and line; the exit status is 1
when there is one. STAMP, when given, is touched on success.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
PUBLIC = {"tolvex": {"capi"}}


def read_rules(path):
    rules = {}
    with open(path) as f:
        for line in f:
            if ":" in line:
                folder, layers = line.split(":", 1)
                rules.setdefault(folder.strip(), set()).update(layers.split())
    return rules


def reachable(rules, folder):
    seen, todo = set(), [folder]
    while todo:
        for layer in rules.get(todo.pop(), ()):
            if layer not in seen:
                seen.add(layer)
                todo.append(layer)
    return seen


def offences(rules, src):
    found = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in rules:
            found.append("%s/: a folder that no layer declares" % folder)
            continue
        allowed = reachable(rules, folder) | {folder}
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(path, name)) as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match or "/" not in match.group(1):
                        continue
                    top = match.group(1).split("/")[0]
                    if top in allowed or folder in PUBLIC.get(top, ()):
                        continue
                    found.append('%s/%s:%d: includes "%s", but %s builds on %s only' % (
                        folder, name, number, match.group(1), folder, ", ".join(sorted(allowed - {folder})) or "nothing"))
    return found


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    found = offences(read_rules(sys.argv[1]), sys.argv[2])
    for offence in found:
        print("layer check: " + offence, file=sys.stderr)
    if found:
        return 1
    if len(sys.argv) == 4:
        with open(sys.argv[3], "w"):
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
