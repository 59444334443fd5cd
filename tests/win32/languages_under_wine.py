#!/usr/bin/python3
"""apconfig.exe under Wine in the user's language, one Wine session per
locale, against apsim's pty served as COM5: the port dialog, the three tab
labels, the paired devices and device name pages, the name dialog and the
message box after a name change read back as window texts (window_texts.exe
in the same session) and compared with that language's texts of the build.
The device name, UTF-8 on the line, is shown and typed in the language's
ANSI code page (CP932 in Japanese).

languages_under_wine.py <apsim> <bin folder> <build's l10n folder> [LANGUAGE...]"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

APSIM, BIN, L10N = sys.argv[1:4]
WAIT_SECONDS = 40
PORT_SELECT, MAIN, LINK_PAGE, NAME_PAGE, NAME_EDIT = 110, 121, 122, 125, 126
TAB_LINKS, TAB_PIN, TAB_NAME, NAME_CAPTION, UPDATE_DONE = 57362, 57363, 57364, 57359, 57354
IDOK, IDC_CHANGE_NAME, IDC_NAME = 1, 1013, 1017
LOCALES = {"de": "de_DE.UTF-8", "ja": "ja_JP.UTF-8"}


def strings_of(language):
    """The language's table as the build made it: number=text, key-file escapes."""
    table = {}
    with open(os.path.join(L10N, language, "strings.ini"), encoding="utf-8") as lines:
        for line in lines:
            number, sep, text = line.rstrip("\n").partition("=")
            if sep and number.isdigit():
                table[int(number)] = re.sub(r"\\(.)", lambda m: {"n": "\n", "s": " "}.get(m[1], m[1]), text)
    return table


def dialogs_of(language):
    """Each template's caption and control texts in the language's block."""
    dialogs, current, body = {}, None, False
    with open(os.path.join(L10N, language, "language.rc"), encoding="utf-8") as lines:
        for line in lines:
            head = re.match(r"(\d+) DIALOGEX", line)
            text = re.search(r'"((?:[^"]|"")*)"', line)
            value = text[1].replace('""', '"') if text else ""
            if head:
                current, body = dialogs.setdefault(int(head[1]), {"caption": None, "texts": []}), False
            elif current is None:
                continue
            elif line.startswith("CAPTION"):
                current["caption"] = value
            elif line.startswith("BEGIN"):
                body = True
            elif line.startswith("END"):
                current = None
            elif body and value:
                current["texts"].append(value)
    return dialogs


class Session:
    """One Wine prefix with its own X server, apsim linked as its COM5."""

    def __init__(self, locale, name):
        self.folder = tempfile.mkdtemp(prefix="apconfig-languages.")
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-noreset", "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        # Wine takes the user's language from the locale variables, generated
        # on this machine or not.
        self.env = dict(os.environ, WINEPREFIX=os.path.join(self.folder, "prefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=", DISPLAY=":" + display,
                        LANG=locale, LC_ALL=locale)
        subprocess.run(["wine", "wineboot", "--init"], env=self.env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=self.env)
        self.record = os.path.join(self.folder, "record")
        dosdevices = os.path.join(self.env["WINEPREFIX"], "dosdevices")
        self.sim = subprocess.Popen([APSIM, "--folder", dosdevices, "--com", "5", "--devices", "2", "--name", name,
                                     "--record", self.record, "--state", os.path.join(self.folder, "state")],
                                    stdout=subprocess.PIPE)
        self.sim.stdout.readline()
        # Wine lists a port its own port table names, read when it starts.
        pty = os.readlink(os.path.join(dosdevices, "com5"))
        subprocess.run(["wine", "reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM5", "/d", pty, "/f"],
                       env=self.env, capture_output=True, check=True)
        subprocess.run(["wineserver", "-k"], env=self.env)
        self.app = subprocess.Popen(["wine", os.path.join(BIN, "apconfig.exe")], env=self.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        for process in (self.app, self.sim, self.xvfb):
            process.terminate()
            process.wait(10)
            if process.stdout:
                process.stdout.close()
        subprocess.run(["wineserver", "-k"], env=self.env)
        shutil.rmtree(self.folder, ignore_errors=True)

    def probe(self, *args):
        # Into a file, not a pipe: the session's services that this run may
        # start would hold a pipe open after it ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run(["wine", os.path.join(BIN, "window_texts.exe")] + list(args), env=self.env,
                                    stdout=out, stderr=err, timeout=60).returncode
            out.seek(0)
            err.seek(0)
            if status != 0:
                raise AssertionError("window_texts %s: %s" % (" ".join(args), err.read().decode(errors="replace")))
            return out.read().decode("utf-8")

    def windows(self):
        """{title: [(hwnd, id, class, text) or ("tab", index, label)]} of the visible windows."""
        found, controls = {}, None
        for line in self.probe("list").splitlines():
            fields = line.split("\t")
            if fields[0] == "window":
                controls = found.setdefault(fields[2], [])
            elif controls is not None and len(fields) >= 3:
                controls.append(tuple(fields[:-1]) + (fields[-1].replace("\\n", "\n"),))
        return found

    def wait_for(self, title, ready=lambda controls: True):
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            controls = self.windows().get(title)
            if controls is not None and ready(controls):
                return controls
            if self.app.poll() is not None:
                raise AssertionError("apconfig.exe ended before %r was shown" % title)
            time.sleep(0.5)
        raise AssertionError("no window %r as awaited within %d s; shown: %s" % (title, WAIT_SECONDS, self.windows()))

    def requests(self):
        with open(self.record) as lines:
            return lines.read().split("\n")


def texts(controls):
    return [control[3] for control in controls if control[0] != "tab"]


def control(controls, number):
    return next(c for c in controls if c[0] != "tab" and c[1] == str(number))


class LanguagesUnderWine(unittest.TestCase):
    def run_language(self, language, name_bytes, shown_name, refused_name, new_name):
        strings, dialogs = strings_of(language), dialogs_of(language)
        session = Session(LOCALES[language], name_bytes)
        self.addCleanup(session.close)

        port_dialog = session.wait_for(dialogs[PORT_SELECT]["caption"])
        for text in dialogs[PORT_SELECT]["texts"]:
            self.assertIn(text, texts(port_dialog), "the port dialog")
        session.probe("click", control(port_dialog, IDOK)[0])

        main = session.wait_for(dialogs[MAIN]["caption"], lambda c: any(x[0] == "tab" for x in c))
        self.assertEqual([c[2] for c in main if c[0] == "tab"],
                         [strings[TAB_LINKS], strings[TAB_PIN], strings[TAB_NAME]], "the tab labels")
        for text in dialogs[LINK_PAGE]["texts"]:
            self.assertIn(text, texts(main), "the paired devices page")

        session.probe("tab", next(c for c in main if c[2] == "SysTabControl32")[0], "2")
        main = session.wait_for(dialogs[MAIN]["caption"], lambda c: control(c, IDC_NAME)[3] == shown_name)
        for text in dialogs[NAME_PAGE]["texts"]:
            self.assertIn(text, texts(main), "the device name page")

        session.probe("click", control(main, IDC_CHANGE_NAME)[0])
        entry = session.wait_for(dialogs[NAME_EDIT]["caption"])
        for text in dialogs[NAME_EDIT]["texts"]:
            self.assertIn(text, texts(entry), "the name dialog")
        if refused_name:
            # Double-byte characters have no place in a name: the dialog
            # empties the field and stays, and nothing is sent.
            session.probe("settext", control(entry, IDC_NAME)[0], refused_name.encode("utf-8").hex())
            self.assertEqual(control(session.windows()[dialogs[NAME_EDIT]["caption"]], IDC_NAME)[3], refused_name)
            session.probe("click", control(entry, IDOK)[0])
            session.wait_for(dialogs[NAME_EDIT]["caption"], lambda c: control(c, IDC_NAME)[3] == "")
            self.assertFalse([r for r in session.requests() if r.startswith("LNAMUPDAT")], "a refused name was sent")
        session.probe("settext", control(entry, IDC_NAME)[0], new_name.encode("utf-8").hex())
        session.probe("click", control(entry, IDOK)[0])

        box = session.wait_for(strings[NAME_CAPTION], lambda c: strings[UPDATE_DONE] in texts(c))
        self.assertIn(strings[UPDATE_DONE], texts(box), "the message box after the name change")
        self.assertIn("LNAMUPDAT " + new_name.encode("utf-8").hex() + "0a", session.requests(),
                      "the new name, typed in the ANSI code page, travels as UTF-8")
        main = session.wait_for(dialogs[MAIN]["caption"])
        self.assertEqual(control(main, IDC_NAME)[3], new_name, "the page shows the name as sent")

    def test_german(self):
        # ü is one byte in Windows-1252, two in UTF-8.
        self.run_language("de", "Empfang".encode(), "Empfang", None, "Küche")

    def test_japanese(self):
        # The name travels as UTF-8 and is shown through CP932, Japanese
        # Windows' ANSI code page, where half-width katakana are one byte.
        self.run_language("ja", "日本".encode(), "日本", "東京", "ﾄｳｷｮｳ")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
