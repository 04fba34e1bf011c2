#!/usr/bin/python3
"""The message check against small source trees: what it lets through and what it names."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_messages.py")

TABLE = '''// The table.
#pragma once
namespace tolvex::messages {
// Memory.
inline constexpr Message kNotEnoughMemory{ERROR_IO, "Not enough memory. "};
inline constexpr Message kGettingRootElementError{ERROR_XML, "Getting root element error\\n"};
inline constexpr Message kCannotBeNull{ERROR_INVALID_VALUE, " cannot be NULL. "};
inline constexpr Message kIllegalValueFor{ERROR_ILLEGAL_ARGUMENT, "Illegal value for: "};
inline constexpr std::array kEveryMessage{
    kNotEnoughMemory, kGettingRootElementError, kCannotBeNull, kIllegalValueFor,
};
}
'''

CLEAN = '''#include "base/messages.h"
#include <string>

// Records "Not enough memory. " when the buffer cannot grow.
ErrorCode grow() { return report(messages::kNotEnoughMemory); }
ErrorCode field() { return report_field("PeriodFromDate", messages::kCannotBeNull); }
ErrorCode option() { return report(messages::kIllegalValueFor, "-o"); }
ErrorCode path(const char* p) { return require(p, messages::kCannotBeNull); }
std::string usage() {
  return "\\nUsage: tool [options]\\n"
         "\\tWrites the picture. It is replaced once complete. \\n";
}
const char* version() { return "Tolvex QR code encoder tool. Version: "; }
char quote() { return '"'; }
const char* raw() { return R"(a "quoted" word)"; }
std::string ending() { return std::string("Written ") + "." + " failed"; }
'''


def check(sources, table=TABLE):
    """sources maps paths under the root (src/... or include/...) to texts."""
    with tempfile.TemporaryDirectory() as root:
        files = dict(sources)
        if table is not None:
            files["src/base/messages.h"] = table
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return done.returncode, done.stderr


class CheckMessages(unittest.TestCase):
    def test_a_tree_that_names_table_entries_passes(self):
        self.assertEqual(check({"src/pay/rules.cpp": CLEAN, "include/tolvex/x.hpp": "int x;\n"}), (0, ""))

    def test_a_literal_recorded_by_hand_is_named_with_file_and_line(self):
        status, errors = check({"src/image/out.cpp": CLEAN + '\nint f() {\n'
                                '  return set_error_message(ERROR_IO, "Not enough memory. ");\n}\n'})
        self.assertEqual(status, 1)
        self.assertIn('src/image/out.cpp:19: a literal recorded with set_error_message; report an entry of the '
                      'table: "Not enough memory. "', errors)

    def test_a_text_of_the_table_written_again_is_named(self):
        status, errors = check({"src/image/out.cpp": 'constexpr std::string_view kNoMemory = "Not enough memory. ";\n'})
        self.assertEqual(status, 1)
        self.assertIn('src/image/out.cpp:1: a text of the table written again: "Not enough memory. "', errors)

    def test_every_literal_given_to_the_recorders_is_named(self):
        cases = {
            "one word": 'set_error_message(ERROR_IO, "Failed")',
            "a field name": 'set_error(ERROR_XML, "Amount", detail)',
            "a new text over lines": 'tolvex::set_error_message(ERROR_QR,\n    "Too long" + std::to_string(n))',
        }
        for label, call in cases.items():
            with self.subTest(label):
                status, errors = check({"src/cli/run.cpp": "int f() { return " + call + "; }\n"})
                self.assertEqual(status, 1)
                self.assertIn("recorded with set_error", errors)

    def test_a_reporter_takes_names_but_no_texts(self):
        status, errors = check({"src/cli/batch.cpp":
                                'int f() {\n  report(messages::kIllegalValueFor, "-j");\n'
                                '  return report(messages::kIllegalValueFor, "while reading the list");\n}\n'})
        self.assertEqual(status, 1)
        self.assertIn('src/cli/batch.cpp:3: a literal given to report that is no name', errors)
        self.assertNotIn('"-j"', errors)

    def test_message_shaped_literals_are_named_wherever_they_stand(self):
        cases = {
            "a sentence": 'constexpr const char* kText = "Cannot open file. ";',
            "a sentence without the space": 'auto text = "Cannot open file.";',
            "a phrase": 'std::string_view reason = "SEPA direct debit scheme selected";',
            "a field's detail": 'constexpr std::string_view kDetail = " is too short. ";',
            "joined over lines": 'auto text = "Creating pictures is "\n    "not supported.";',
            "a text of the table with its line break": 'auto text = "Getting root element error\\n";',
        }
        for label, line in cases.items():
            with self.subTest(label):
                status, errors = check({"src/scan/scan.cpp": "// A comment.\n" + line + "\n"})
                self.assertEqual(status, 1)
                self.assertIn("src/scan/scan.cpp:2:", errors)

    def test_comments_and_includes_are_not_read(self):
        source = ('#include "base/messages.h"\n// Cannot open file. \n/* set_error_message(ERROR_IO, "x");\n'
                  '   "Not enough memory. " */\nint x;\n')
        self.assertEqual(check({"src/codec/c.cpp": source}), (0, ""))

    def test_a_public_header_is_read_too(self):
        status, errors = check({"include/tolvex/error.hpp": 'inline const char* k = "Not a document. ";\n'})
        self.assertEqual(status, 1)
        self.assertIn("include/tolvex/error.hpp:1:", errors)

    def test_every_entry_of_the_table_is_listed_once_and_only_entries_are(self):
        table = TABLE.replace("kCannotBeNull, kIllegalValueFor,", "kIllegalValueFor, kIllegalValueFor, kGone,")
        status, errors = check({}, table)
        self.assertEqual(status, 1)
        self.assertIn("kCannotBeNull is not listed in kEveryMessage", errors)
        self.assertIn("kEveryMessage lists kGone, which is no entry", errors)
        self.assertIn("kEveryMessage lists kIllegalValueFor twice", errors)

    def test_a_missing_table_is_named(self):
        status, errors = check({"src/base/error.cpp": "int x;\n"}, table=None)
        self.assertEqual(status, 1)
        self.assertIn("the message table is missing", errors)


if __name__ == "__main__":
    unittest.main()
