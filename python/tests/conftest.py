"""What the package's tests share: the optional packages some of them need."""

import importlib
import os

import pytest


def optional(name):
    """The module `name`, or a skip of the test that needs it where it is missing; with
    ZELMOR_REQUIRE_PYTHON_EXTRAS=1 (as in CI) its absence is a failure instead."""
    if os.environ.get("ZELMOR_REQUIRE_PYTHON_EXTRAS") == "1":
        return importlib.import_module(name)
    return pytest.importorskip(name)
