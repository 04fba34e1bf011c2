#!/usr/bin/python3
"""The first error `tolvex check` reports is the line tolvexqr printed, for every failing document
the golden cases hold (tests/golden/expected.json keeps what tolvexqr printed).

  first_errors_test.py TOLVEX
"""

import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "golden"))
import golden  # noqa: E402

# Failures of tolvexqr that are not the document's, with why the check does not share them.
NOT_THE_DOCUMENTS = {
    # tolvexqr draws an encoded text without decoding it: these fail while drawing, and the
    # check, which decodes, finds what decoding meets instead.
    "family without pictures",
    "text too long for a QR code",
    "empty text, plain",
    # Told apart by its letters, a text with a letter outside the alphabet reads as XML.
    "character outside the alphabet",
}

# Options that leave the document's reading as it is: a case with any other failed for them.
DOCUMENT_OPTIONS = ("-l=" + golden.LOGO, "-f=" + golden.OUTPUT, "-i=base32hex", "--no_logo")


def failing_documents():
    with open(golden.EXPECTED) as f:
        expected = json.load(f)
    for name, tool, args, stdin, files, made in golden.cases():
        outcome = expected[name]
        if tool != "qr" or outcome["status"] == 0 or files or made or not args:
            continue
        if all(arg in DOCUMENT_OPTIONS for arg in args):
            yield name, stdin, outcome["stderr"]


def main():
    tolvex = sys.argv[1]
    checked, wrong = 0, []
    for name, stdin, printed in failing_documents():
        if name in NOT_THE_DOCUMENTS:
            continue
        done = subprocess.run([tolvex, "check", "--json", "-"], input=stdin, capture_output=True, timeout=60)
        report = json.loads(done.stdout)
        errors = [d for d in report["diagnostics"] if d["severity"] == "error"]
        first = errors[0]["errorLine"] + "\n" if errors else None
        checked += 1
        if done.returncode != 1 or first != printed:
            wrong.append("%s: check gave %r (exit %d), tolvexqr printed %r" % (name, first, done.returncode, printed))
    print("first errors: %d documents, %d differ" % (checked, len(wrong)))
    for line in wrong:
        print("  " + line)
    # The golden cases must keep giving documents to hold this over.
    return 1 if wrong or checked < 10 else 0


if __name__ == "__main__":
    sys.exit(main())
