#!/usr/bin/python3
"""apctl's texts: every number apctl asks the string table for lies in its own
range, stands in strings.ini, is said somewhere in apctl, and has a finished
translation with the same placeholders in every po/*.po."""
import glob
import os
import re
import sys
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "scripts", "lib"))
sys.path.insert(0, os.path.join(ROOT, "resources", "win32"))
import po_catalog  # noqa: E402
from string_table_rc import unescape  # noqa: E402

PLACEHOLDER = re.compile(r"%\d")


def read(relative):
    with open(os.path.join(ROOT, relative), encoding="utf-8") as f:
        return f.read()


def declared():
    """Name and number of each text apctl's header declares."""
    return {name: int(number) for name, number in
            re.findall(r"inline constexpr int (IDS_APCTL_\w+) = (\d+);", read("cli/apctl_string_ids.h"))}


def english():
    table = {}
    for line in read("resources/strings.ini").splitlines():
        key, equals, value = line.partition("=")
        if equals and key.strip().isdigit():
            table[int(key)] = unescape(value, "strings.ini")
    return table


class ApctlStrings(unittest.TestCase):
    def test_each_number_is_apctls_own_and_in_the_table(self):
        ids = declared()
        self.assertGreater(len(ids), 0)
        self.assertEqual(len(set(ids.values())), len(ids), "two names share a number")
        table = english()
        for name, number in ids.items():
            self.assertTrue(57500 <= number <= 57599, name)
            self.assertTrue(table.get(number), f"{name} ({number}) is not in strings.ini")

    def test_each_number_is_said(self):
        sources = "".join(read(os.path.relpath(path, ROOT))
                          for path in glob.glob(os.path.join(ROOT, "cli", "**", "*.cpp"), recursive=True))
        for name in declared():
            self.assertRegex(sources, r"\b" + name + r"\b", "declared but never said")

    def test_every_language_translates_each_with_its_placeholders(self):
        table = english()
        catalogues = sorted(glob.glob(os.path.join(ROOT, "po", "*.po")))
        self.assertGreater(len(catalogues), 0)
        for path in catalogues:
            entries = {e.msgctxt: e for e in po_catalog.read(path)}
            for name, number in declared().items():
                entry = entries.get(str(number))
                where = f"{os.path.basename(path)}: {name} ({number})"
                self.assertIsNotNone(entry, where + " is missing")
                self.assertEqual(entry.msgid, table[number], where + " is not the English text")
                self.assertTrue(entry.msgstr and not entry.fuzzy, where + " is untranslated or fuzzy")
                self.assertEqual(sorted(PLACEHOLDER.findall(entry.msgstr)), sorted(PLACEHOLDER.findall(entry.msgid)),
                                 where)


if __name__ == "__main__":
    unittest.main()
