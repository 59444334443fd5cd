"""The texts apconfig shows, read from its resources: the string table, the
GTK dialog templates and the Windows resource script. scripts/po-template
writes the catalogue template from them; scripts/po-resources writes the
translated resources back in the same places. Its docstring and
po-template's give the context each text gets.
"""
import os
import re
import sys
from dataclasses import dataclass, field
from xml.parsers import expat

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "resources", "win32"))
from po_catalog import ACCESS_KEY_NOTE, Entry  # noqa: E402
from string_table_rc import unescape  # noqa: E402

STRINGS = "resources/strings.ini"
DIALOGS = "resources/dialog"
RC = "resources/win32/lidany.rc"
VERSION_HEADER = "resources/win32/lidany_version.h.in"
DESKTOP = "data/apconfig.desktop.in"
METAINFO = "data/apconfig.metainfo.xml.in"

TEXT_PROPERTIES = ("label", "title", "subtitle", "tooltip-text", "placeholder-text")
OWN_TEXT = ("label", "title")
KINDS = {("GtkButton", "label"): "Button", ("GtkLabel", "label"): "Label",
         ("GtkTreeViewColumn", "title"): "Column heading",
         ("GtkHeaderBar", "subtitle"): "Subtitle under the window's title"}
RC_TEXT_CONTROLS = {"LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "PUSHBOX",
                    "GROUPBOX", "CONTROL", "CHECKBOX", "AUTOCHECKBOX", "RADIOBUTTON",
                    "AUTORADIOBUTTON", "STATE3", "AUTO3STATE"}
RC_IDS = {"IDOK": "1", "IDCANCEL": "2"}
NO_ACCESS_KEY_ON_WINDOWS = "Windows shows this text without an access key."
DESKTOP_KEYS = {"GenericName": "What the program is, under its name in menus",
                "Comment": "Tooltip of the menu entry",
                "Keywords": "Words to find the program by: each ends in a semicolon"}
# The translatable elements of the metainfo, and the context of the n-th.
METAINFO_TEXTS = {
    "summary": ("metainfo summary", "Software centres: the line under the program's name"),
    "p": ("metainfo description paragraph {n}", "Software centres: a paragraph of the description"),
    "li": ("metainfo description item {n}", "Software centres: an item of the description's list"),
    "caption": ("metainfo screenshot {n} caption", "Software centres: the caption of a screenshot")}
RC_STRING = r'"(?:[^"]|"")*"'
# The text of a dialog's caption, or of a control: the token after the keyword.
RC_CAPTION = re.compile(rf"(\s*CAPTION\s+)({RC_STRING})")
RC_CONTROL = re.compile(rf"(\s*([A-Z0-9]+)\s+)({RC_STRING}|\w+)(\s*,\s*([\w-]+))")


def path(relative):
    return os.path.join(ROOT, relative)


def read_lines(relative):
    with open(path(relative), encoding="utf-8") as f:
        return f.read().splitlines()


def project():
    """The project's name and version, as CMakeLists.txt declares them."""
    text = "\n".join(read_lines("CMakeLists.txt"))
    found = re.search(r"project\(\s*(\S+)\s+VERSION\s+(\S+)", text)
    if not found:
        sys.exit("CMakeLists.txt: no project(<name> VERSION <version>)")
    return found.group(1), found.group(2)


def string_entries():
    """One entry per `number=text` of the [strings] group, with the comment
    lines above it (a comment holds until a blank line or the next one)."""
    group, note, entries = None, [], []
    in_comment = False
    for number, line in enumerate(read_lines(STRINGS), 1):
        stripped = line.strip()
        if not stripped:
            note, in_comment = [], False
            continue
        if stripped.startswith("#"):
            note = (note if in_comment else []) + [stripped.lstrip("#").strip()]
            in_comment = True
            continue
        in_comment = False
        if stripped.startswith("[") and stripped.endswith("]"):
            group, note = stripped[1:-1], []
            continue
        if group != "strings":
            continue
        key, _, value = line.partition("=")
        text = unescape(value.lstrip(" \t"), f"{STRINGS}:{number}")
        extracted = list(note)
        if text != text.strip(" "):
            extracted.append("The leading or trailing space counts (\\s in strings.ini).")
        entries.append(Entry(msgctxt=key.strip(), msgid=text, extracted=extracted,
                             references=[f"{STRINGS}:{number}"]))
    return entries


class UiTexts:
    """The texts of one GtkBuilder file, with the line each is on and where
    its value lies in the file's bytes."""

    def __init__(self, relative, program):
        self.relative, self.program = relative, program
        self.stack, self.texts = [], []
        self.property, self.value = None, []
        parser = expat.ParserCreate()
        parser.StartElementHandler = self.start
        parser.EndElementHandler = self.end
        parser.CharacterDataHandler = self.value.append
        self.parser = parser
        with open(path(relative), "rb") as f:
            self.data = f.read()
        parser.Parse(self.data, True)

    def start(self, tag, attrs):
        if tag == "object":
            self.stack.append({"id": attrs.get("id"), "class": attrs.get("class"),
                               "top": not self.stack, "props": {}})
        elif tag == "property" and self.stack:
            value_start = self.data.index(b">", self.parser.CurrentByteIndex) + 1
            self.property = (attrs["name"].replace("_", "-"), self.parser.CurrentLineNumber,
                             attrs.get("translatable", "yes") != "no", attrs.get("comments"),
                             value_start)
            self.value.clear()

    def end(self, tag):
        if tag == "property" and self.property:
            name, line, translatable, comment, value_start = self.property
            span = (value_start, self.parser.CurrentByteIndex)
            self.stack[-1]["props"][name] = ("".join(self.value), line, translatable, comment, span)
            self.property = None
        elif tag == "object":
            self.collect(self.stack.pop())

    def collect(self, obj):
        props = obj["props"]
        underline = props.get("use-underline", ("False",))[0].lower() in ("true", "1", "yes")
        for name in TEXT_PROPERTIES:
            if name not in props:
                continue
            text, line, translatable, comment, span = props[name]
            if not translatable or not text.strip() or text == self.program:
                continue
            if obj["top"] and name == "title":
                what, kind = "title", "Title of the window"
            else:
                what = obj["id"] if name in OWN_TEXT else f"{obj['id']} {name}"
                kind = KINDS.get((obj["class"], name), f"{obj['class']} {name}")
            extracted = [kind] + ([comment] if comment else [])
            if underline and name == "label":
                extracted.append(ACCESS_KEY_NOTE)
            self.texts.append((line, what, text, extracted, span))


def without_access_key(text, mark):
    return re.sub(re.escape(mark) + "(.)", r"\1", text)


def gtk_marks(windows_text):
    """A Windows text written as GTK writes it: &X as _X, && as &, _ as __."""
    marks = {"&&": "&", "_": "__"}
    return re.sub(r"&&|&|_", lambda m: marks.get(m.group(0), "_"), windows_text)


def windows_marks(gtk_text, with_key):
    """A GTK text written as Windows writes it: & as &&, __ as _, and _X as
    &X, or as X when the Windows text has no access key, which then also
    drops a key in parentheses such as "(_O)" after Japanese or Chinese words."""
    if not with_key:
        gtk_text = re.sub(r"\s*\(_[^_)]\)", "", gtk_text)
    marks = {"__": "_", "&": "&&", "_": "&" if with_key else ""}
    return re.sub(r"__|_|&", lambda m: marks[m.group(0)], gtk_text)


def has_windows_access_key(windows_text):
    return "&" in windows_text.replace("&&", "")


def rc_string(token, macros):
    if token.startswith('"'):
        return token[1:-1].replace('""', '"').replace("\\n", "\n").replace("\\t", "\t")
    if token not in macros:
        sys.exit(f"{RC}: {token} is neither a string nor a macro of {VERSION_HEADER}")
    return macros[token]


def version_macros(version):
    macros = {}
    for line in read_lines(VERSION_HEADER):
        found = re.match(r'#define\s+(\w+)\s+"(.*)"\s*$', line)
        if found:
            macros[found.group(1)] = found.group(2).replace("@PROJECT_VERSION@", version)
    return macros


def rc_dialog_texts(macros):
    """{dialog number: [(line, id or None, position, text)]} of the resource
    script; id None for a control numbered -1, "title" for the caption."""
    dialogs, current, position = {}, None, 0
    for number, line in enumerate(read_lines(RC), 1):
        stripped = line.strip()
        head = re.match(r"(\d+)\s+DIALOGEX\b", stripped)
        if head:
            current, position = dialogs.setdefault(head.group(1), []), 0
            continue
        if current is None:
            continue
        if stripped == "END":
            current = None
            continue
        caption = RC_CAPTION.match(line)
        if caption:
            current.append((number, "title", 0, rc_string(caption.group(2), macros)))
            continue
        control = RC_CONTROL.match(line)
        if not control:
            continue
        position += 1
        keyword, token, ident = control.group(2), control.group(3), control.group(5)
        if keyword not in RC_TEXT_CONTROLS:
            continue
        text = rc_string(token, macros)
        if text:
            ident = None if ident == "-1" else RC_IDS.get(ident, ident)
            current.append((number, ident, position, text))
    return dialogs


def rc_line_with_text(line, token):
    """The resource script's line with its caption or control text replaced."""
    caption = RC_CAPTION.match(line)
    found = caption or RC_CONTROL.match(line)
    text = found.start(2) if caption else found.start(3)
    end = found.end(2) if caption else found.end(3)
    return line[:text] + token + line[end:]


@dataclass
class Dialog:
    """One dialog's entries, where their texts are in its .ui file (byte
    spans), and the resource script's lines that show them on Windows."""
    number: str
    entries: list = field(default_factory=list)
    ui_spans: list = field(default_factory=list)   # (start, end, entry)
    rc_lines: list = field(default_factory=list)   # (line, Windows text, entry)


def dialog_texts(number, program, rc_texts):
    relative = f"{DIALOGS}/{number}.ui"
    ui = UiTexts(relative, program)
    dialog = Dialog(number)
    for line, what, text, extracted, span in sorted(ui.texts, key=lambda t: t[:2]):
        entry = Entry(msgctxt=f"dialog {number} {what}", msgid=text,
                      extracted=extracted, references=[f"{relative}:{line}"])
        dialog.entries.append(entry)
        dialog.ui_spans.append((*span, entry))
    entries = dialog.entries
    joined = set()
    for line, ident, position, text in rc_texts:
        if text == program:
            continue
        plain = without_access_key(text, "&")
        has_key = has_windows_access_key(text)
        twins = [e for e in entries if without_access_key(e.msgid, "_") == plain]
        twin = next((e for e in twins if id(e) not in joined), twins[0] if twins else None)
        if twin is None:
            what = ident or f"win32 {position}"
            extracted = ["Windows only"] + ([ACCESS_KEY_NOTE] if has_key else [])
            twin = Entry(msgctxt=f"dialog {number} {what}", msgid=gtk_marks(text),
                         extracted=extracted, references=[])
            entries.append(twin)
        elif ACCESS_KEY_NOTE in twin.extracted and not has_key:
            twin.extracted.append(NO_ACCESS_KEY_ON_WINDOWS)
        joined.add(id(twin))
        twin.references.append(f"{RC}:{line}")
        dialog.rc_lines.append((line, text, twin))
    return dialog


def dialogs(program, version):
    """Every dialog of the .ui files, by number."""
    rc = rc_dialog_texts(version_macros(version))
    numbers = sorted((f[:-3] for f in os.listdir(path(DIALOGS)) if f.endswith(".ui")), key=int)
    return [dialog_texts(number, program, rc.get(number, [])) for number in numbers]


def desktop_texts(desktop=DESKTOP):
    """[(line index, key, entry)] of the desktop entry's translatable keys."""
    texts = []
    for index, line in enumerate(read_lines(desktop)):
        key, _, value = line.partition("=")
        if key in DESKTOP_KEYS:
            entry = Entry(msgctxt=f"desktop {key}", msgid=value, extracted=[DESKTOP_KEYS[key]],
                          references=[f"{DESKTOP}:{index + 1}"])
            texts.append((index, key, entry))
    return texts


def metainfo_texts(metainfo=METAINFO):
    """[(end, indent, tag, entry)] of the metainfo's translatable elements:
    the byte just past each one's end tag and the indent of its start tag.
    The text is the element's with its white space run together."""
    with open(path(metainfo), "rb") as f:
        data = f.read()
    parser, texts, counts, open_ = expat.ParserCreate(), [], {}, []

    def start(tag, attrs):
        if tag in METAINFO_TEXTS and "xml:lang" not in attrs:
            line_start = data.rfind(b"\n", 0, parser.CurrentByteIndex) + 1
            open_.append((tag, parser.CurrentLineNumber, data[line_start:parser.CurrentByteIndex], []))
        elif open_:
            sys.exit(f"{metainfo}:{parser.CurrentLineNumber}: markup inside <{open_[-1][0]}>")

    def text(value):
        if open_:
            open_[-1][3].append(value)

    def end(tag):
        if not open_ or open_[-1][0] != tag:
            return
        tag, line, indent, value = open_.pop()
        counts[tag] = counts.get(tag, 0) + 1
        context, note = METAINFO_TEXTS[tag]
        entry = Entry(msgctxt=context.format(n=counts[tag]), msgid=" ".join("".join(value).split()),
                      extracted=[note], references=[f"{METAINFO}:{line}"])
        texts.append((data.index(b">", parser.CurrentByteIndex) + 1, indent.decode(), tag, entry))

    parser.StartElementHandler, parser.EndElementHandler = start, end
    parser.CharacterDataHandler = text
    parser.Parse(data, True)
    return texts
