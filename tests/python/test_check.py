"""The check through the module: findings as dataclasses, and the first error of every invalid
document the recorded tool runs know is exactly the line tolvexqr printed for it."""

import pytest

import tolvex
from conftest import EXPECTED, golden

# The failures of a document itself, not of options, logos or files.
DOCUMENT_STATUSES = {4, 7, 9, 254}


def invalid_documents():
    for name, tool, args, stdin, files, made in golden.cases():
        outcome = EXPECTED[name]
        if tool != "qr" or made or any(a.lower().startswith("-i=") for a in args):
            continue
        if outcome["status"] in DOCUMENT_STATUSES:
            yield pytest.param(stdin, outcome["stderr"], id=name)


@pytest.mark.parametrize("document, stderr", list(invalid_documents()))
def test_first_error_is_the_tools_line(document, stderr):
    findings = tolvex.check(document)
    assert findings and findings[0].severity == "error"
    assert findings[0].error_line + "\n" == stderr


def test_there_are_invalid_documents_to_hold():
    assert len(list(invalid_documents())) >= 8


def test_findings_of_a_payment_with_several_problems():
    document = (
        '<Pay xmlns="http://tolvex.org/tolvex">\n'
        "<Payments><Payment>\n"
        "<PaymentOptions>paymentorder</PaymentOptions>\n"
        "<Amout>5</Amout><CurrencyCode>EUR</CurrencyCode>\n"
        "<BankAccounts><BankAccount><IBAN>SK3112000000198742637542</IBAN><BIC>TATRSKBX</BIC></BankAccount>"
        "</BankAccounts>\n"
        "</Payment></Payments></Pay>"
    )
    findings = tolvex.check(document)
    assert all(isinstance(f, tolvex.Finding) for f in findings)
    by_rule = {f.rule: f for f in findings}
    unknown = by_rule["xml.unknown-element"]
    assert (unknown.path, unknown.line, unknown.column, unknown.value) == ("Payments/0/Amout", 4, 1, "Amout")
    assert "did you mean Amount?" in unknown.message
    iban = by_rule["pay.bank-account.iban.check-digits"]
    assert (iban.severity, iban.line, iban.error_line) == ("warning", 5, None)


def test_an_error_in_an_encoded_text():
    findings = tolvex.check("0123")
    assert findings[0].severity == "error"
    assert findings[0].line is None
    assert findings[0].error_line.startswith("ERROR_")


def test_reports_match_their_json_schema():
    import json
    import os

    import jsonschema

    from conftest import SOURCE

    with open(os.path.join(SOURCE, "docs", "schema", "check-report.schema.json")) as f:
        schema = json.load(f)
    documents = [stdin for stdin, _ in (p.values for p in invalid_documents())]
    documents.append(b'<Pay xmlns="http://tolvex.org/tolvex"><Payments><Payment><Amout>1</Amout>'
                     b"<IBAN>XX12</IBAN></Payment></Payments></Pay>")
    for document in documents:
        data = document if isinstance(document, bytes) else document.encode()
        # The library's own report, as tolvex_check hands it out.
        report = json.loads(tolvex._text_out(tolvex._lib.tolvex_check, data, len(data)))
        jsonschema.validate(report, schema)
    # The schema refuses what it should: a key out of form.
    bad = {"valid": True, "diagnostics": [dict(report["diagnostics"][0], rule="Not A Key")]}
    with pytest.raises(jsonschema.ValidationError):
        jsonschema.validate(bad, schema)
