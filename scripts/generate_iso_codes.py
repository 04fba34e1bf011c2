#!/usr/bin/python3
"""Writes the C++ header of the ISO 3166-1 country codes and ISO 4217 currency codes from
Debian's iso-codes data.

  generate_iso_codes.py JSON_DIR VERSION OUTPUT

JSON_DIR holds iso_3166-1.json and iso_4217.json; VERSION is the package's release, kept in
the header so that a report can say where the lists come from.
"""
import json
import os
import sys


def codes(path, table, key):
    with open(path, encoding="utf-8") as f:
        return sorted({entry[key] for entry in json.load(f)[table]})


def array(name, values):
    body = ", ".join(f'"{value}"' for value in values)
    return f"inline constexpr std::array<std::string_view, {len(values)}> {name} = {{{body}}};\n"


def main():
    directory, version, output = sys.argv[1:4]
    countries = codes(os.path.join(directory, "iso_3166-1.json"), "3166-1", "alpha_2")
    currencies = codes(os.path.join(directory, "iso_4217.json"), "4217", "alpha_3")
    text = ("// Generated from Debian's iso-codes data by scripts/generate_iso_codes.py; do not edit.\n"
            "#pragma once\n\n#include <array>\n#include <string_view>\n\nnamespace tolvex {\n\n"
            f'inline constexpr std::string_view kIsoCodesRelease = "{version}";\n'
            "// Sorted, for binary search.\n"
            + array("kIsoCountryCodes", countries) + array("kIsoCurrencyCodes", currencies)
            + "\n}  // namespace tolvex\n")
    if os.path.exists(output):
        with open(output, encoding="utf-8") as f:
            if f.read() == text:
                return
    with open(output, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
