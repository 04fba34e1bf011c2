#!/usr/bin/python3
"""Checks that every fixed failure message is an entry of the message table.

  check_messages.py ROOT

Reads the C and C++ sources under ROOT/src and ROOT/include. The table, ROOT/src/base/messages.h,
is the one place where message texts are written; anywhere else these string literals are
named with their file and line:

- any literal among the arguments of set_error or set_error_message: sources record failures
  through the table's report functions;
- a literal among the arguments of report, report_field, report_around, require or
  check_must_be_null that is more than a name (a field's name, a path, an option such as "-o");
- a literal shaped like a message wherever it stands, without a line break or tab: a capitalised
  phrase of three words or more, a capitalised sentence of two words or more ending in "." or
  ". ", or a field's detail (" is too long. ");
- a literal that repeats a text of the table of two words or more.
Usage texts break their lines and pass; the few one-line texts the tools print that are no
failure (NOT_FAILURES) pass too.

In the table, every entry must also be listed in kEveryMessage, and every name listed there must
be an entry, so that the tests over the table see all of it. The exit status is 1 when anything
is named.
"""

import os
import re
import sys

TABLE = os.path.join("src", "base", "messages.h")
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp")

# Recording a message by hand: no literal belongs here at all.
RECORDERS = {"set_error", "set_error_message"}
# Calls that take a table entry; their other arguments may be names only.
REPORTERS = {"report", "report_field", "report_around", "require", "check_must_be_null"}

TOKEN = re.compile(
    r'(?P<comment>//[^\n]*|/\*.*?\*/)'
    r'|(?P<include>^[ \t]*#[ \t]*include[^\n]*)'
    r'|(?P<raw>(?:u8|[uUL])?R"(?P<delimiter>[^(\s]*)\((?P<raw_text>.*?)\)(?P=delimiter)")'
    r'|(?P<string>(?:u8|[uUL])?"(?P<text>(?:\\.|[^"\\\n])*)")'
    r"|(?P<char>'(?:\\.|[^'\\\n])+')"
    r'|(?P<name>[A-Za-z_]\w*)'
    r'|(?P<space>\s+)'
    r'|(?P<other>.)',
    re.S | re.M)
ESCAPE = re.compile(r'\\(x[0-9A-Fa-f]+|[0-7]{1,3}|.)', re.S)
# Printed by the tools, but no failure: no entry of the table.
NOT_FAILURES = {"Tolvex QR code encoder tool. Version: "}

NAME = re.compile(r'^-{0,2}[A-Za-z][A-Za-z0-9_./-]*\Z')
SHAPES = (re.compile(r'[A-Z][^ ]*(?: [^ ]+){2,} ?'),       # Error in getting root and type
          re.compile(r'[A-Z][^ ]* [^ ].*\. ?'),            # Checksum mismatch.
          re.compile(r' [a-z].*\. ?'))                      #  cannot be NULL.
SEVERAL_WORDS = re.compile(r'\w\W+\w')
ENTRY = re.compile(r'inline\s+constexpr\s+Message\s+(k\w+)\s*\{')
EVERY = re.compile(r'kEveryMessage\s*\{(?P<names>[^}]*)\}', re.S)


def unescape(text):
    simple = {"n": "\n", "t": "\t", "r": "\r", "0": "\0"}
    return ESCAPE.sub(lambda m: simple.get(m.group(1), "\x01" if len(m.group(1)) > 1 else m.group(1)), text)


def tokens(source):
    """(kind, value, line) for names, literals and punctuation; adjacent literals are joined."""
    found = []
    line = 1
    for match in TOKEN.finditer(source):
        kind = match.lastgroup
        start_line = line
        line += match.group(0).count("\n")
        if kind in ("comment", "include", "space", "char"):
            continue
        if kind in ("string", "raw"):
            text = unescape(match.group("text")) if kind == "string" else match.group("raw_text")
            if found and found[-1][0] == "literal":
                found[-1] = ("literal", found[-1][1] + text, found[-1][2])
            else:
                found.append(("literal", text, start_line))
        elif kind == "name":
            found.append(("name", match.group(0), start_line))
        else:
            found.append(("punct", match.group(0), start_line))
    return found


def arguments(stream, open_index):
    """The literal tokens between the parenthesis at open_index and its partner."""
    depth = 0
    for token in stream[open_index:]:
        if token[0] == "punct" and token[1] == "(":
            depth += 1
        elif token[0] == "punct" and token[1] == ")":
            depth -= 1
            if depth == 0:
                return
        elif token[0] == "literal":
            yield token


def show(text):
    return '"' + text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t").replace('"', '\\"') + '"'


def message_shaped(text):
    if text in NOT_FAILURES or "\n" in text or "\t" in text:
        return False
    return any(shape.fullmatch(text) for shape in SHAPES)


def table_texts(path):
    with open(path, encoding="utf-8") as f:
        return {text for kind, text, _ in tokens(f.read()) if kind == "literal" and SEVERAL_WORDS.search(text)}


def source_offences(path, shown, known):
    with open(path, encoding="utf-8", errors="replace") as f:
        stream = tokens(f.read())
    offences = {}
    for index, (kind, value, line) in enumerate(stream):
        # A literal already named as an argument keeps that, more telling, reason.
        if kind == "literal" and value in known:
            offences.setdefault((line, value), "a text of the table written again")
        elif kind == "literal" and message_shaped(value):
            offences.setdefault((line, value), "a message literal outside the table")
        if kind != "name" or value not in RECORDERS | REPORTERS:
            continue
        if index + 1 >= len(stream) or stream[index + 1][1] != "(":
            continue
        for _, text, at in arguments(stream, index + 1):
            if value in RECORDERS:
                offences[(at, text)] = f"a literal recorded with {value}; report an entry of the table"
            elif not NAME.match(text):
                offences[(at, text)] = f"a literal given to {value} that is no name; use an entry of the table"
    return [f"{shown}:{line}: {why}: {show(text)}" for (line, text), why in sorted(offences.items())]


def table_offences(path, shown):
    with open(path, encoding="utf-8") as f:
        source = "".join(value if kind != "comment" else "" for kind, value in
                         ((m.lastgroup, m.group(0)) for m in TOKEN.finditer(f.read())))
    entries = ENTRY.findall(source)
    every = EVERY.search(source)
    listed = re.findall(r'\w+', every.group("names")) if every else []
    problems = []
    if every is None:
        problems.append(f"{shown}: no kEveryMessage list of the entries")
    problems += [f"{shown}: {name} is not listed in kEveryMessage" for name in entries if name not in listed]
    problems += [f"{shown}: kEveryMessage lists {name}, which is no entry" for name in listed if name not in entries]
    problems += [f"{shown}: kEveryMessage lists {name} twice" for name in sorted(set(listed))
                 if listed.count(name) > 1]
    return problems


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    root = argv[1]
    problems = []
    table = os.path.join(root, TABLE)
    known = table_texts(table) if os.path.exists(table) else set()
    for folder in ("src", "include"):
        for directory, subdirectories, files in os.walk(os.path.join(root, folder)):
            subdirectories.sort()
            for name in sorted(files):
                path = os.path.join(directory, name)
                shown = os.path.relpath(path, root)
                if shown == TABLE:
                    problems += table_offences(path, shown)
                elif name.endswith(SOURCE_SUFFIXES):
                    problems += source_offences(path, shown, known)
    if not os.path.exists(table):
        problems.append(f"{TABLE}: the message table is missing")
    if problems:
        sys.stderr.write("message check: every fixed failure message belongs in src/base/messages.h\n")
        sys.stderr.write("".join(problem + "\n" for problem in problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
