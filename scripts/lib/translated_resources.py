"""apconfig's resources in another language: strings.ini, the dialog
templates and the Windows resource script, each a copy of the English one
with its texts replaced. A text the catalogue does not translate (missing,
empty, fuzzy, or made for another English text) stays English.
"""
import os
import re
import sys
from xml.sax.saxutils import escape

import po_catalog
import source_texts
from po_catalog import ACCESS_KEY_NOTE
from pseudo_text import pseudo
from string_table_rc import key_file_value, rc_string, string_table

# The resource script's LANGUAGE of each catalogue; Windows picks the block
# that matches its display language, and falls back to English.
WINDOWS_LANGUAGES = {
    "de": "LANG_GERMAN, SUBLANG_NEUTRAL", "fr": "LANG_FRENCH, SUBLANG_NEUTRAL",
    "es": "LANG_SPANISH, SUBLANG_NEUTRAL", "ja": "LANG_JAPANESE, SUBLANG_NEUTRAL",
    "it": "LANG_ITALIAN, SUBLANG_NEUTRAL", "nl": "LANG_DUTCH, SUBLANG_NEUTRAL",
    "pl": "LANG_POLISH, SUBLANG_NEUTRAL", "ru": "LANG_RUSSIAN, SUBLANG_NEUTRAL",
    "ko": "LANG_KOREAN, SUBLANG_NEUTRAL", "pt": "LANG_PORTUGUESE, SUBLANG_NEUTRAL",
    "pt_BR": "LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN",
    "zh_CN": "LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED",
    "zh_TW": "LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL",
}


class Translations:
    """The texts of one language by (context, English text)."""

    def __init__(self, texts):
        self.texts = texts

    @classmethod
    def read(cls, path):
        """The translated, not fuzzy entries of a catalogue; a catalogue that
        cannot be read gives none, and says where it went wrong."""
        try:
            entries = po_catalog.read(path)
        except (OSError, ValueError) as error:
            print(f"error: {error}: the whole language stays English", file=sys.stderr)
            return cls({})
        return cls({e.key: e.msgstr for e in entries if e.msgid and e.msgstr and not e.fuzzy})

    def __call__(self, entry):
        """The text in this language, None where it stays English."""
        return self.texts.get(entry.key)


class PseudoTranslations(Translations):
    def __init__(self):
        super().__init__({})

    def __call__(self, entry):
        return pseudo(entry.msgid, "_" if ACCESS_KEY_NOTE in entry.extracted else None)


class Sources:
    """Every text of the English resources, and where it is."""

    def __init__(self):
        self.program, version = source_texts.project()
        self.strings = source_texts.string_entries()
        self.dialogs = source_texts.dialogs(self.program, version)

    def entries(self):
        """Every text, the desktop entry's and the metainfo's too."""
        data = [e for *_, e in source_texts.desktop_texts()] + [e for *_, e in source_texts.metainfo_texts()]
        return self.strings + [e for d in self.dialogs for e in d.entries] + data

    def report(self, language, translate):
        """One line: how many texts are translated, and which are not."""
        entries = self.entries()
        missing = [e.msgctxt for e in entries if translate(e) is None]
        line = f"{language}: {len(entries) - len(missing)} of {len(entries)} texts translated"
        return line + (f"; untranslated: {', '.join(missing)}" if missing else "")

    def strings_ini(self, translate):
        by_line = {int(e.references[0].rpartition(":")[2]): e for e in self.strings}
        lines = source_texts.read_lines(source_texts.STRINGS)
        for number, entry in by_line.items():
            text = translate(entry)
            if text is not None:
                lines[number - 1] = f"{entry.msgctxt}={key_file_value(text)}"
        return "\n".join(lines) + "\n"

    def string_table(self, translate):
        return string_table(sorted((int(e.msgctxt), translate(e) or e.msgid) for e in self.strings))

    @staticmethod
    def dialog_ui(dialog, translate):
        with open(source_texts.path(f"{source_texts.DIALOGS}/{dialog.number}.ui"), "rb") as f:
            data = f.read()
        for start, end, entry in sorted(dialog.ui_spans, key=lambda s: s[0], reverse=True):
            text = translate(entry)
            if text is not None:
                data = data[:start] + escape(text).encode("utf-8") + data[end:]
        return data

    def resource_script(self, translate):
        """The lines of lidany.rc with the dialogs' texts translated."""
        lines = source_texts.read_lines(source_texts.RC)
        for dialog in self.dialogs:
            for number, english, entry in dialog.rc_lines:
                text = translate(entry)
                if text is None:
                    continue
                if ACCESS_KEY_NOTE in entry.extracted:
                    text = source_texts.windows_marks(text, source_texts.has_windows_access_key(english))
                else:
                    text = text.replace("&", "&&")
                lines[number - 1] = source_texts.rc_line_with_text(lines[number - 1], rc_string(text))
        return lines


def dialog_blocks(lines):
    """Every DIALOGEX statement of a resource script, blank line between."""
    blocks, inside = [], False
    for line in lines:
        if re.match(r"\d+\s+DIALOGEX\b", line.strip()):
            inside = True
        if inside:
            blocks.append(line)
        if inside and line.strip() == "END":
            inside = False
            blocks.append("")
    return blocks


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(path, "wb") as f:
        f.write(data)


def write_templates(sources, translate, folder):
    write(os.path.join(folder, "strings.ini"), sources.strings_ini(translate))
    for dialog in sources.dialogs:
        write(os.path.join(folder, "dialog", f"{dialog.number}.ui"), sources.dialog_ui(dialog, translate))


def write_language(sources, language, translate, folder):
    """strings.ini, the dialog templates and language.rc, the resource
    script's block of this language, in folder."""
    write_templates(sources, translate, folder)
    rc = [f"// {language}: generated from po/{language}.po at build time.", "#pragma code_page(65001)"]
    if language in WINDOWS_LANGUAGES:
        rc += [f"LANGUAGE {WINDOWS_LANGUAGES[language]}", ""] + sources.string_table(translate) + [""]
        rc += dialog_blocks(sources.resource_script(translate))
    else:
        print(f"warning: no Windows language for {language}: lidany.dll leaves it out", file=sys.stderr)
    write(os.path.join(folder, "language.rc"), "\n".join(rc) + "\n")


def write_pseudo(sources, folder):
    """The pseudo-language in place of English: strings.ini and the dialog
    templates, and a whole resource script (lidany.rc) with its own
    strings.rc and an empty translations.rc beside it."""
    translate = PseudoTranslations()
    write_templates(sources, translate, folder)
    note = "// The pseudo-language of the layout tests; generated at build time."
    write(os.path.join(folder, "lidany.rc"), "\n".join(sources.resource_script(translate)) + "\n")
    write(os.path.join(folder, "strings.rc"), "\n".join([note] + sources.string_table(translate)) + "\n")
    write(os.path.join(folder, "translations.rc"), note + "\n")
