#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Reads a metrics file with the Prometheus client library's own parser and
prints what it found, for the tests to compare: a line "# TYPE NAME TYPE HELP"
for each metric family, then one "NAME{LABEL="VALUE",...} VALUE" for each of
its samples, the labels sorted by name and their values escaped as the text
format escapes them, a whole number without its fraction. A file the parser
refuses ends the script with status 1 and the parser's reason."""

import sys

from prometheus_client.parser import text_string_to_metric_families


def escaped(value):
    return value.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")


def number(value):
    return str(int(value)) if value.is_integer() else repr(value)


def main(path):
    sys.stdout.reconfigure(encoding="utf-8")
    with open(path, encoding="utf-8") as file:
        text = file.read()
    try:
        families = list(text_string_to_metric_families(text))
    except Exception as error:  # the parser's refusals are of several types
        print(f"check-metrics: {path}: {error}", file=sys.stderr)
        return 1
    for family in families:
        print(f"# TYPE {family.name} {family.type} {family.documentation}")
        for sample in family.samples:
            labels = ",".join(f'{name}="{escaped(value)}"' for name, value in sorted(sample.labels.items()))
            print(f"{sample.name}{{{labels}}} {number(sample.value)}" if labels else f"{sample.name} {number(sample.value)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
