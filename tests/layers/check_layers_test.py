#!/usr/bin/python3
"""The layer check against small source trees: what it lets through and what it names."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_layers.py")
RULES = "base: \ncodec: base\nfamily: codec\npipeline: family\ncapi: pipeline\n"


def check(files, rules=RULES):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.join(root, "src", os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, "src", path), "w") as f:
                f.write(text)
        with open(os.path.join(root, "rules"), "w") as f:
            f.write(rules)
        done = subprocess.run([sys.executable, CHECK, os.path.join(root, "rules"), os.path.join(root, "src")],
                              capture_output=True, text=True)
        return done.returncode, done.stderr


class CheckLayers(unittest.TestCase):
    def test_own_and_lower_layers_pass_directly_and_through_others(self):
        status, errors = check({
            "base/a.h": '#include <vector>\n#include "base/b.h"\n',
            "family/f.cpp": '#include "family/f.h"\n#include "codec/c.h"\n#include "base/a.h"\n',
            "capi/c.cpp": '#include "tolvex/tolvex.h"\n#include "base/a.h"\n',
        })
        self.assertEqual((status, errors), (0, ""))

    def test_a_wrong_way_include_is_named_with_file_and_line(self):
        status, errors = check({"codec/c.cpp": '#include "codec/c.h"\n\n  #  include "pipeline/p.h"\n'})
        self.assertEqual(status, 1)
        self.assertIn('codec/c.cpp:3: includes "pipeline/p.h", but codec builds on base only', errors)

    def test_a_layer_beside_is_not_below(self):
        rules = RULES + "other: codec\n"
        status, errors = check({"other/o.cpp": '#include "family/f.h"\n'}, rules)
        self.assertEqual(status, 1)
        self.assertIn("other/o.cpp:1", errors)

    def test_public_headers_are_for_the_c_interface_only(self):
        status, errors = check({"pipeline/p.cpp": '#include "tolvex/tolvex.h"\n'})
        self.assertEqual(status, 1)
        self.assertIn('includes "tolvex/tolvex.h"', errors)

    def test_a_folder_without_rules_is_reported(self):
        status, errors = check({"stray/s.cpp": "int x;\n"})
        self.assertEqual(status, 1)
        self.assertIn("stray/: a folder that no layer declares", errors)


if __name__ == "__main__":
    unittest.main()
