#!/usr/bin/python3
"""Checks that no folder of src/ includes from a folder above it.

  check_layers.py RULES SRC [STAMP]

RULES holds lines "folder: layers it builds on" (the build writes it from the CMake
declarations; a folder with several targets has a line for each) and lines
"tolvex/name.hpp: layer" naming the layer each public header belongs to. A folder may include
its own headers, those of every layer it builds on, directly or through others, and the public
headers of those layers. The public headers, in the include/ folder beside SRC, may include
only public headers of their own layer and the layers below it, so that an installed copy
needs nothing else. Every offending include is named with its file and line; the exit status
is 1 when there is one. STAMP, when given, is touched on success.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
PUBLIC = "tolvex"


def read_rules(path):
    rules, owners = {}, {}
    with open(path) as f:
        for line in f:
            if ":" in line:
                name, layers = (part.strip() for part in line.split(":", 1))
                if name.startswith(PUBLIC + "/"):
                    owners[name] = layers
                else:
                    rules.setdefault(name, set()).update(layers.split())
    return rules, owners


def reachable(rules, folder):
    seen, todo = set(), [folder]
    while todo:
        for layer in rules.get(todo.pop(), ()):
            if layer not in seen:
                seen.add(layer)
                todo.append(layer)
    return seen


def includes(path):
    with open(path) as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if match and "/" in match.group(1):
                yield number, match.group(1)


def below(allowed, layer):
    return ", ".join(sorted(allowed - {layer})) or "nothing"


def source_offences(rules, owners, src):
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
            for number, included in includes(os.path.join(path, name)):
                top = included.split("/")[0]
                layer = owners.get(included) if top == PUBLIC else top
                if layer in allowed:
                    continue
                found.append('%s/%s:%d: includes "%s", but %s builds on %s only' % (
                    folder, name, number, included, folder, below(allowed, folder)))
    return found


def header_offences(rules, owners, include):
    found = []
    folder = os.path.join(include, PUBLIC)
    if not os.path.isdir(folder):
        return found
    for name in sorted(os.listdir(folder)):
        header = PUBLIC + "/" + name
        if header not in owners:
            found.append("%s: a public header that no layer declares" % header)
            continue
        layer = owners[header]
        allowed = reachable(rules, layer) | {layer}
        for number, included in includes(os.path.join(folder, name)):
            if owners.get(included) in allowed:
                continue
            found.append('%s:%d: includes "%s", but a public header of %s includes public headers of %s only' % (
                header, number, included, layer, ", ".join(sorted(allowed))))
    return found


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    rules, owners = read_rules(sys.argv[1])
    src = sys.argv[2]
    include = os.path.join(os.path.dirname(os.path.abspath(src)), "include")
    found = source_offences(rules, owners, src) + header_offences(rules, owners, include)
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
