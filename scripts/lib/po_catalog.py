"""Reading and writing gettext catalogues (.po, .pot) for scripts/po-template
and scripts/po-check, with nothing but the standard library.

Entries are written the way `msgcat --no-wrap` writes them, so that running
the gettext tools over a file (msgmerge --no-wrap) changes nothing but what
they mean to change.
"""
from dataclasses import dataclass, field

# The extracted comment that marks a text with an access key; po-check holds
# every translation of such a text to exactly one.
ACCESS_KEY_NOTE = "Access key: the letter after _ (written & on Windows)."

_ESCAPES = {"\\": "\\\\", '"': '\\"', "\n": "\\n", "\t": "\\t", "\r": "\\r"}
_UNESCAPES = {"\\": "\\", '"': '"', "n": "\n", "t": "\t", "r": "\r",
              "a": "\a", "b": "\b", "f": "\f", "v": "\v"}


@dataclass
class Entry:
    msgid: str
    msgstr: str = ""
    msgctxt: str | None = None
    comments: list[str] = field(default_factory=list)    # "# " translator
    extracted: list[str] = field(default_factory=list)   # "#." from the sources
    references: list[str] = field(default_factory=list)  # "#:" file:line
    flags: list[str] = field(default_factory=list)       # "#,"
    line: int = 0  # where the entry starts in the file it was read from

    @property
    def key(self):
        return (self.msgctxt, self.msgid)

    @property
    def fuzzy(self):
        return "fuzzy" in self.flags


def quote(keyword, text):
    """The keyword and its string, split after each line break."""
    escaped = "".join(_ESCAPES.get(c, c) for c in text)
    parts = escaped.split("\\n")
    lines = [p + "\\n" for p in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    if len(lines) <= 1:
        return [f'{keyword} "{escaped}"']
    return [f'{keyword} ""'] + [f'"{line}"' for line in lines]


def format_entry(entry):
    out = [f"# {c}".rstrip() for c in entry.comments]
    out += [f"#. {c}".rstrip() for c in entry.extracted]
    if entry.references:
        out.append("#: " + " ".join(entry.references))
    if entry.flags:
        out.append("#, " + ", ".join(entry.flags))
    if entry.msgctxt is not None:
        out += quote("msgctxt", entry.msgctxt)
    out += quote("msgid", entry.msgid)
    out += quote("msgstr", entry.msgstr)
    return "\n".join(out) + "\n"


def write(path, entries):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(format_entry(e) for e in entries))


def _unquote(token, where):
    if len(token) < 2 or token[0] != '"' or token[-1] != '"':
        raise ValueError(f"{where}: expected a quoted string")
    out, chars = [], iter(token[1:-1])
    for c in chars:
        if c == "\\":
            e = next(chars, "")
            if e not in _UNESCAPES:
                raise ValueError(f"{where}: unknown escape \\{e}")
            c = _UNESCAPES[e]
        out.append(c)
    return "".join(out)


def read(path):
    """The entries of a catalogue in file order, the header first; obsolete
    (#~) entries and plural forms other than msgstr[0] are left out."""
    entries, entry, target, has_msgid = [], None, None, False
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for number, raw in enumerate(lines, 1):
        where = f"{path}:{number}"
        line = raw.strip()
        if not line or line.startswith("#~"):
            continue
        keyword, _, token = line.partition(" ")
        starts_entry = line.startswith("#") or keyword in ("msgctxt", "msgid")
        if entry is None or (has_msgid and starts_entry):
            entry, target, has_msgid = Entry(msgid="", line=number), None, False
            entries.append(entry)
        if line.startswith("#"):
            bucket = {"#": entry.comments, "#.": entry.extracted,
                      "#:": entry.references, "#,": entry.flags}.get(keyword)
            if keyword == "#:":
                bucket.extend(token.split())
            elif keyword == "#,":
                bucket.extend(flag.strip() for flag in token.split(","))
            elif bucket is not None:
                bucket.append(token)
            continue
        if line.startswith('"'):
            if target is None:
                raise ValueError(f"{where}: string outside an entry")
            if target != "ignored":
                setattr(entry, target, getattr(entry, target) + _unquote(line, where))
            continue
        if keyword == "msgstr[0]":
            keyword = "msgstr"
        elif keyword.startswith("msgstr[") or keyword == "msgid_plural":
            target = "ignored"
            continue
        if keyword not in ("msgctxt", "msgid", "msgstr"):
            raise ValueError(f"{where}: unknown keyword {keyword}")
        target = keyword
        has_msgid = has_msgid or keyword == "msgid"
        setattr(entry, target, _unquote(token, where))
    return entries


def header_fields(entries):
    """The fields of the header entry (msgid ""), as a dict."""
    for e in entries:
        if e.msgid == "" and e.msgctxt is None:
            return dict(line.partition(": ")[::2] for line in e.msgstr.splitlines() if line)
    return {}
