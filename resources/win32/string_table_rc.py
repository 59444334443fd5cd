#!/usr/bin/env python3
"""Writes the resource script's string table from strings.ini.

Usage: string_table_rc.py <strings.ini> <output.rc>

Each `number=text` of the [strings] group becomes one entry. The key file's
escapes (\\s, \\n, \\t, \\r, \\\\) are undone first, then the text is written as
a resource-script string: quotes doubled, backslashes and control characters
escaped. The output is UTF-8 for `#pragma code_page(65001)`. A key that is
not a 16-bit number, or given twice, fails the build.
"""
import sys

KEY_FILE_ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
# Written back as escapes, but for the space, which only needs one at either end.
KEY_FILE_WRITES = {c: "\\" + e for e, c in KEY_FILE_ESCAPES.items() if e != "s"}
RC_ESCAPES = {'"': '""', "\\": "\\\\", "\n": "\\n", "\t": "\\t", "\r": "\\r"}


def unescape(value, where):
    out = []
    chars = iter(value)
    for c in chars:
        if c != "\\":
            out.append(c)
            continue
        e = next(chars, None)
        if e not in KEY_FILE_ESCAPES:
            sys.exit(f"{where}: unknown escape \\{e or ''}")
        out.append(KEY_FILE_ESCAPES[e])
    return "".join(out)


def key_file_value(text):
    """The text as strings.ini writes it: line breaks and other control
    characters escaped, a space at either end as \\s."""
    core = text.strip(" ")
    if not core:
        return "\\s" * len(text)
    lead = len(text) - len(text.lstrip(" "))
    trail = len(text) - len(text.rstrip(" "))
    escaped = "".join(KEY_FILE_WRITES.get(c, c) for c in core)
    return "\\s" * lead + escaped + "\\s" * trail


def rc_string(text):
    return '"' + "".join(RC_ESCAPES.get(c, c) for c in text) + '"'


def entries(lines, name):
    group = None
    seen = {}
    for number, line in enumerate(lines, 1):
        where = f"{name}:{number}"
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if stripped.startswith("[") and stripped.endswith("]"):
            group = stripped[1:-1]
            continue
        if group != "strings":
            continue
        key, sep, value = line.partition("=")
        key = key.strip()
        if not sep or not key.isdigit() or not 0 <= int(key) <= 0xFFFF:
            sys.exit(f"{where}: not a `number=text` entry")
        if int(key) in seen:
            sys.exit(f"{where}: {key} already given on line {seen[int(key)]}")
        seen[int(key)] = number
        yield int(key), unescape(value.lstrip(" \t").rstrip("\r\n"), where)


def string_table(table):
    """The STRINGTABLE statement of (number, text) pairs, as lines."""
    return ["STRINGTABLE", "BEGIN"] + [f"  {key}, {rc_string(text)}" for key, text in table] + ["END"]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, target = sys.argv[1:]
    with open(source, encoding="utf-8") as f:
        table = sorted(entries(f.readlines(), source))
    lines = ["// Generated from strings.ini at build time; edit that file instead."]
    lines += string_table(table) + [""]
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
