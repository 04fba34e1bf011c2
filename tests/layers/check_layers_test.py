#!/usr/bin/python3
"""The layer check against small source trees: what it lets through and what it names."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_layers.py")
RULES = ("base: \ncodec: base\nfamily: codec\npipeline: family\ncapi: pipeline\n"
         "tolvex/error.hpp: base\ntolvex/encode.hpp: pipeline\ntolvex/tolvex.h: capi\n")


def check(files, rules=RULES):
    """files maps paths under src/, or under include/ when they start with "tolvex/", to texts."""
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "src"))
        for path, text in files.items():
            full = os.path.join(root, "include" if path.startswith("tolvex/") else "src", path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
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

    def test_a_public_header_counts_as_its_layers_header(self):
        status, errors = check({
            "codec/c.cpp": '#include "tolvex/error.hpp"\n',
            "pipeline/p.cpp": '#include "tolvex/encode.hpp"\n#include "tolvex/tolvex.h"\n#include "tolvex/stray.hpp"\n',
        })
        self.assertEqual(status, 1)
        self.assertIn('pipeline/p.cpp:2: includes "tolvex/tolvex.h"', errors)
        self.assertIn('pipeline/p.cpp:3: includes "tolvex/stray.hpp"', errors)
        self.assertNotIn("codec/c.cpp", errors)

    def test_public_headers_include_public_headers_from_their_layer_down_only(self):
        status, errors = check({
            "tolvex/error.hpp": '#include <string>\n',
            "tolvex/encode.hpp": '#include "tolvex/error.hpp"\n#include "base/internal.h"\n',
            "tolvex/tolvex.h": '#include "tolvex/encode.hpp"\n',
        })
        self.assertEqual(status, 1)
        self.assertIn('tolvex/encode.hpp:2: includes "base/internal.h"', errors)
        self.assertEqual(errors.count("layer check"), 1)

    def test_a_public_header_below_may_not_include_one_above(self):
        status, errors = check({"tolvex/error.hpp": '#include "tolvex/encode.hpp"\n'})
        self.assertEqual(status, 1)
        self.assertIn('tolvex/error.hpp:1: includes "tolvex/encode.hpp"', errors)

    def test_a_public_header_without_an_owner_is_reported(self):
        status, errors = check({"tolvex/stray.hpp": "int x;\n"})
        self.assertEqual(status, 1)
        self.assertIn("tolvex/stray.hpp: a public header that no layer declares", errors)

    def test_a_folder_without_rules_is_reported(self):
        status, errors = check({"stray/s.cpp": "int x;\n"})
        self.assertEqual(status, 1)
        self.assertIn("stray/: a folder that no layer declares", errors)


if __name__ == "__main__":
    unittest.main()
