"""The step trees for the Python drivers: (level, Dutch text, English text) in pre-order, the absolute
index being the position. They are the C++ tests' own table (steptable.h), written at build time into
the JSON file that MOHRWALK_STEP_TABLE names (the ctest entries set it)."""

import json
import os


def nodes():
    with open(os.environ["MOHRWALK_STEP_TABLE"], encoding="utf-8") as f:
        return [(row["level"], row["dutch"], row["english"]) for row in json.load(f)]
