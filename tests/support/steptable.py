"""The step trees for the Python drivers: (level, Dutch text, English text) in pre-order, the absolute
index being the position, and the explanations held word for word. They are the C++ tests' own table (steptable.h), written at build time into
the JSON file that MOHRWALK_STEP_TABLE names (the ctest entries set it)."""

import json
import os


def _rows():
    with open(os.environ["MOHRWALK_STEP_TABLE"], encoding="utf-8") as f:
        return json.load(f)


def nodes():
    return [(row["level"], row["dutch"], row["english"]) for row in _rows()]


def explanations():
    """The explanations held word for word: {node: (Dutch, English)}, the one the node's step shows."""
    return {k: tuple(row["explanation"]) for k, row in enumerate(_rows()) if "explanation" in row}
