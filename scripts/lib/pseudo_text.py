"""The pseudo-language the layout tests run in: every letter accented and
each line 40 % longer, so that a text cut short or a control too narrow
shows before a translation finds it.
"""
import re

_PLAIN = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
_ACCENTED = "áḃçðëḟğĥïĵķľṁñöṗɋřšťüṽŵẋýžÁḂÇÐËḞĞĤÏĴĶĽṀÑÖṖɊŘŠŤÜṼŴẊÝŽ"
_ACCENTS = str.maketrans(_PLAIN, _ACCENTED)
FILLER = "~"


def _line(line, mark):
    core = line.strip(" ")
    if not core:
        return line
    lead, trail = line[:len(line) - len(line.lstrip(" "))], line[len(line.rstrip(" ")):]
    # The access key keeps its letter, so that it can still be typed; a
    # doubled mark is the mark itself.
    pieces, shown = [], 0
    pattern = f"({re.escape(mark)}{re.escape(mark)}|{re.escape(mark)}.)|(.)" if mark else "()(.)"
    for kept, letter in re.findall(pattern, core, flags=re.S):
        pieces.append(kept or letter.translate(_ACCENTS))
        shown += 1
    wanted = (14 * shown + 9) // 10
    # Words of filler rather than one run, so that a wrapping control can
    # break a long line as it would a translation.
    length = max(1, wanted - shown - 1)
    padding = "".join(" " if i % 7 == 6 and i < length - 1 else FILLER for i in range(length))
    return f"{lead}[{''.join(pieces)} {padding}]{trail}"


def pseudo(text, mark=None):
    """The text in the pseudo-language; `mark` is the access-key mark the
    text uses (_ or &), if any. Spaces at either end and line breaks stay."""
    return "\n".join(_line(line, mark) for line in text.split("\n"))
