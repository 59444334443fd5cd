#!/usr/bin/env python3
"""scripts/po-resources over small catalogues: what the catalogue does not
translate stays English, per text, and a broken catalogue is named."""
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "scripts", "lib"))
from pseudo_text import pseudo  # noqa: E402

HEADER = 'msgid ""\nmsgstr ""\n"Language: de\\n"\n"Content-Type: text/plain; charset=UTF-8\\n"\n\n'


def entry(context, english, translation, fuzzy=False):
    return (("#, fuzzy\n" if fuzzy else "")
            + f'msgctxt "{context}"\nmsgid "{english}"\nmsgstr "{translation}"\n\n')


class PoResourcesTest(unittest.TestCase):
    def generate(self, catalogue):
        self.folder = tempfile.mkdtemp()
        po = os.path.join(self.folder, "de.po")
        with open(po, "w", encoding="utf-8") as f:
            f.write(catalogue)
        run = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "po-resources"), po,
                              os.path.join(self.folder, "out")], capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        return run

    def output(self, name):
        with open(os.path.join(self.folder, "out", name), encoding="utf-8") as f:
            return f.read()

    def strings(self):
        return dict(re.findall(r"^(\d+)=(.*)$", self.output("strings.ini"), re.M))

    def test_translated_missing_fuzzy_and_outdated_texts(self):
        run = self.generate(HEADER
                            + entry("57362", "Paired Devices", "Gepaarte Geräte")
                            + entry("57363", "PIN Code", "PIN-Kode", fuzzy=True)
                            + entry("57364", "Device name of old", "Gerätename")
                            + entry("57414", " · ", " – ")
                            + entry("dialog 110 2", "_Cancel", "_Abbrechen"))
        strings = self.strings()
        self.assertEqual(strings["57362"], "Gepaarte Geräte")
        self.assertEqual(strings["57363"], "PIN Code")      # fuzzy
        self.assertEqual(strings["57364"], "Device Name")   # made for another English text
        self.assertEqual(strings["57359"], "Device Name")   # missing
        self.assertEqual(strings["57414"], "\\s–\\s")
        self.assertIn("<property name=\"label\">_Abbrechen</property>", self.output("dialog/110.ui"))
        self.assertIn("<property name=\"label\">_OK</property>", self.output("dialog/110.ui"))
        rc = self.output("language.rc")
        self.assertRegex(rc, r'PUSHBUTTON\s+"Abbrechen", IDCANCEL')
        self.assertIn('57362, "Gepaarte Geräte"', rc)
        self.assertIn('57363, "PIN Code"', rc)
        report = re.match(r"de: 3 of (\d+) texts translated; untranslated: (.*)$", run.stdout.strip())
        self.assertIsNotNone(report, run.stdout)
        untranslated = report.group(2).split(", ")
        self.assertIn("57363", untranslated)
        self.assertIn("dialog 110 1", untranslated)
        self.assertNotIn("57362", untranslated)
        self.assertEqual(int(report.group(1)) - 3, len(untranslated))

    def test_broken_catalogue_names_its_line_and_stays_english(self):
        run = self.generate(HEADER + entry("57362", "Paired Devices", "Gepaarte Geräte")
                            + 'msgctxt "57363"\nmsgid "PIN Code"\nmsgstr "PIN-Code\n')
        self.assertRegex(run.stderr, r"de\.po:\d+: .*stays English")
        self.assertEqual(self.strings()["57362"], "Paired Devices")

    def test_desktop_entry_and_metainfo_take_translated_texts_only(self):
        self.generate(HEADER + entry("desktop GenericName", "Bluetooth Access Point Settings", "Zugriffspunkt")
                      + entry("metainfo summary", "Configure a Bluetooth access point on a serial port",
                              "Einrichten", fuzzy=True)
                      + entry("metainfo screenshot 4 caption", "Changing the PIN code", "PIN <ändern>"))
        written = {}
        for name in ("apconfig.desktop.in", "apconfig.metainfo.xml.in"):
            output = os.path.join(self.folder, name)
            subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "po-data"),
                            os.path.join(ROOT, "data", name), output, os.path.join(self.folder, "de.po")],
                           check=True)
            with open(output, encoding="utf-8") as f:
                written[name] = f.read()
        desktop, metainfo = written["apconfig.desktop.in"], written["apconfig.metainfo.xml.in"]
        self.assertIn("\nGenericName=Bluetooth Access Point Settings\nGenericName[de]=Zugriffspunkt\n", desktop)
        self.assertNotIn("Comment[de]", desktop)
        self.assertNotIn('<summary xml:lang="de">', metainfo)
        self.assertIn('<caption xml:lang="de">PIN &lt;ändern&gt;</caption>', metainfo)

    def test_pseudo_text(self):
        text = pseudo("C_urrent PIN for %1:", "_")
        self.assertTrue(text.startswith("[") and text.endswith("]"))
        self.assertIn("_u", text)            # the access key keeps its letter
        self.assertIn("%1", text)
        self.assertNotRegex(text, "[a-zA-Z]{2}")
        self.assertGreaterEqual(len(text) - 2 - 1, 1.4 * len("Current PIN for %1:"))
        self.assertEqual(pseudo(" two\nlines ").count("\n"), 1)
        self.assertTrue(pseudo(" · ").startswith(" [") and pseudo(" · ").endswith("] "))


if __name__ == "__main__":
    unittest.main()
