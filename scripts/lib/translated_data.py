"""The desktop entry and the AppStream metainfo with every language's
texts beside the English ones: Key[<language>]= lines, and elements with
xml:lang. A language that does not translate a text leaves it out, and
desktops and software centres show the English one.
"""
import os
from xml.sax.saxutils import escape

import source_texts


def languages(catalogues, translations):
    """(language, Translations) of each catalogue, by language."""
    named = [(os.path.splitext(os.path.basename(c))[0], t) for c, t in zip(catalogues, translations)]
    return sorted(named)


def desktop_entry(path, translated):
    lines = source_texts.read_lines(path)
    for index, key, entry in reversed(source_texts.desktop_texts(path)):
        lines[index + 1:index + 1] = [f"{key}[{language}]={text}" for language, translate in translated
                                      if (text := translate(entry)) is not None]
    return "\n".join(lines) + "\n"


def metainfo(path, translated):
    with open(source_texts.path(path), "rb") as f:
        data = f.read()
    for end, indent, tag, entry in reversed(source_texts.metainfo_texts(path)):
        added = "".join(f'\n{indent}<{tag} xml:lang="{language}">{escape(text)}</{tag}>'
                        for language, translate in translated if (text := translate(entry)) is not None)
        data = data[:end] + added.encode("utf-8") + data[end:]
    return data.decode("utf-8")
