#!/usr/bin/python3
"""Checks the JSON Schemas of docs/schema/ against the JSON form of every example.

  check_json_schemas.py JSON_OF_EXAMPLE ROOT

JSON_OF_EXAMPLE prints the JSON forms of an XML file (as read, and as decoded from its text with
the computed amounts). Each must be valid against its family's schema; and each schema must
refuse documents that differ from a valid one in one wrong place. Exit status 1 on any failure.
"""

import copy
import glob
import json
import os
import subprocess
import sys

import jsonschema

FAMILIES = {"Pay": "pay", "Invoice": "invoice", "InvoiceItems": "invoice_items"}


def family_of_file(name):
    if name.startswith("pay-"):
        return "pay"
    return "invoice_items" if name.startswith("invoice-items") else "invoice"


def main():
    program, root = sys.argv[1], sys.argv[2]
    validators = {}
    for family in FAMILIES.values():
        with open(os.path.join(root, "docs", "schema", family + ".schema.json"), encoding="utf-8") as f:
            schema = json.load(f)
        jsonschema.Draft202012Validator.check_schema(schema)
        validators[family] = jsonschema.Draft202012Validator(
            schema, format_checker=jsonschema.Draft202012Validator.FORMAT_CHECKER)

    failures = []
    valid = {}
    examples = sorted(glob.glob(os.path.join(root, "examples", "*.xml")))
    for path in examples:
        name = os.path.basename(path)
        run = subprocess.run([program, path], capture_output=True, text=True)
        if run.returncode != 0:
            failures.append(f"{name}: {run.stderr.strip()}")
            continue
        family = family_of_file(name)
        for form, line in zip(("as read", "as decoded"), run.stdout.splitlines()):
            document = json.loads(line)
            for error in validators[family].iter_errors(document):
                failures.append(f"{name} {form}: {error.json_path}: {error.message}")
            valid.setdefault(family, document)
    if len(examples) < 9 or len(valid) != 3:
        failures.append(f"expected examples of all three families, found {sorted(valid)}")

    # One wrong place each, in a document otherwise valid.
    def pay(change):
        document = copy.deepcopy(valid["pay"])
        change(document["Pay"], document["Pay"]["Payments"][0])
        return document

    def invoice(change):
        document = copy.deepcopy(valid["invoice"])
        change(document["Invoice"])
        return document

    def items(change):
        document = copy.deepcopy(valid["invoice_items"])
        change(document["InvoiceItems"]["InvoiceLines"][0])
        return document

    wrong = [
        ("pay", "amount as a text", pay(lambda d, p: p.update(Amount="12.5"))),
        ("pay", "unknown member", pay(lambda d, p: p.update(Colour="red"))),
        ("pay", "list item keeps its element name",
         pay(lambda d, p: d.update(Payments=[{"Payment": p}]))),
        ("pay", "list as an object", pay(lambda d, p: d.update(Payments=p))),
        ("pay", "date not YYYY-MM-DD", pay(lambda d, p: p.update(PaymentDueDate="16.3.2026"))),
        ("pay", "flag word unknown", pay(lambda d, p: p.update(PaymentOptions="paymentorder wire"))),
        ("pay", "flags as an array", pay(lambda d, p: p.update(PaymentOptions=["paymentorder"]))),
        ("pay", "type of another family", pay(lambda d, p: d.update(type="Invoice"))),
        ("pay", "absent as null", pay(lambda d, p: p.update(BIC=None) or p.update(Amount=None))),
        ("pay", "second root member", dict(valid["pay"], Invoice={})),
        ("pay", "no root member", {}),
        ("invoice", "type word unknown", invoice(lambda d: d.update(type="Receipt"))),
        ("invoice", "integer with a fraction", invoice(lambda d: d.update(NumberOfInvoiceLines=3.5))),
        ("invoice", "unknown member in a record",
         invoice(lambda d: d["SupplierParty"]["PostalAddress"].update(Street="x"))),
        ("invoice", "payment means word unknown", invoice(lambda d: d.update(PaymentMeans="cheque"))),
        ("invoice_items", "quantity as a text", items(lambda l: l.update(InvoicedQuantity="40"))),
        ("invoice_items", "reference as a text", items(lambda l: l.update(OrderReference="OBJ-1"))),
    ]
    for family, label, document in wrong:
        if validators[family].is_valid(document):
            failures.append(f"{family} schema accepts a document with {label}")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
