"""Shared paths for the module's tests: the source tree, its examples and logo pictures, and the
recorded outputs of the tools (tests/golden), whose cases these tests replay through the module."""

import json
import os
import sys

import pytest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LOGO = os.path.join(SOURCE, "logo")
EXAMPLES = os.path.join(SOURCE, "examples")
sys.path.insert(0, os.path.join(SOURCE, "tests", "golden"))

import golden  # noqa: E402


def example(name):
    with open(os.path.join(EXAMPLES, name), "rb") as f:
        return f.read()


def example_names():
    return golden.EXAMPLES


with open(golden.EXPECTED) as f:
    EXPECTED = json.load(f)


def needs(name):
    """Skips a test on a library that lacks the C function it needs."""
    import tolvex

    return pytest.mark.skipif(not hasattr(tolvex._lib, name), reason="the library has no %s yet" % name)
