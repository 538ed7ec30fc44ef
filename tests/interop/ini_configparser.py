#!/usr/bin/env python3
"""Reads the settings file Vantrel wrote with Python's configparser and
compares every section, key and value with what Vantrel itself reads back
(settings_expected.json, written next to it by config_interop_files).

configparser hands values back raw, so the one rule of the platform's INI
reader that it lacks is applied here: a value wrapped in matching quotes
loses them. Keys compare case-insensitively, as in both readers."""

import configparser
import json
import sys
from pathlib import Path


def unquote(value):
    if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
        return value[1:-1]
    return value


def main():
    folder = Path(sys.argv[1])
    settings = folder / "plgVantrel.cfg"
    raw = settings.read_bytes()
    if b"\n" in raw.replace(b"\r\n", b""):
        print("line ends other than CR LF in", settings)
        return 1

    parser = configparser.ConfigParser(interpolation=None, strict=True)
    with open(settings, encoding="cp1251", newline="") as f:
        parser.read_file(f)
    expected = json.loads((folder / "settings_expected.json").read_text(encoding="utf-8"))

    failures = []
    if parser.sections() != list(expected):
        failures.append(f"sections {parser.sections()} != {list(expected)}")
    for section, keys in expected.items():
        if not parser.has_section(section):
            continue
        got = {k: unquote(v) for k, v in parser.items(section)}
        want = {k.lower(): v for k, v in keys.items()}
        if len(want) != len(keys):
            failures.append(f"[{section}] has keys differing only in case")
        for key in sorted(set(got) | set(want)):
            if got.get(key) != want.get(key):
                failures.append(f"[{section}] {key}: {got.get(key)!r} != {want.get(key)!r}")

    # The Cyrillic texts must have come through code page 1251.
    if parser.get("general", "srcFileKorvex", fallback=None) != "Испытание 5":
        failures.append("srcFileKorvex is not the Cyrillic text written")

    for f in failures:
        print(f)
    count = sum(len(k) for k in expected.values())
    print(f"{count} keys in {len(expected)} sections compared, {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
