#!/usr/bin/python3
"""apconfig in one language, read back through the accessibility bus.

  language_texts.py LANGUAGE

Waits for the port dialog, compares its title, label and buttons, presses OK;
then the main window's three tab labels, the PIN code page's texts, and two
message boxes: a PIN change with a confirmation that does not match the new
PIN is confirmed, and refused for it. Each text is compared with the
language's catalogue, po/LANGUAGE.po, as the build turns it into the
language's table: the translation, or the English for one left untranslated
or fuzzy; access keys as shown, without their mark. Leaves the main window
open. Exits 1, saying what differs, at the first text that does not match."""
import os
import re
import sys
import time

import pyatspi

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
sys.path.insert(0, os.path.join(ROOT, "scripts", "lib"))
import po_catalog  # noqa: E402

WAIT_SECONDS = 20


class Catalogue:
    def __init__(self, language):
        entries = po_catalog.read(os.path.join(ROOT, "po", language + ".po"))
        self.texts = {e.msgctxt: e.msgstr if e.msgstr and not e.fuzzy else e.msgid
                      for e in entries if e.msgctxt}

    def __call__(self, context):
        """The text as shown: an access key's mark dropped, "__" a "_"."""
        return re.sub(r"_(.)", r"\1", self.texts[context])


def find_all(accessible, roles, found):
    if accessible is None:
        return found
    if accessible.getRoleName() in roles:
        found.append(accessible)
    for i in range(accessible.childCount):
        find_all(accessible.getChildAtIndex(i), roles, found)
    return found


def names(accessible, *roles):
    return [a.name for a in find_all(accessible, roles, []) if a.name]


def wait_for(what, find):
    deadline = time.time() + WAIT_SECONDS
    while time.time() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit("%s did not show within %d s" % (what, WAIT_SECONDS))


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "apconfig":
            return app
    return None


def window(roles, test):
    """apconfig's showing window of those roles for which test holds."""
    app = application()
    for candidate in find_all(app, roles, []) if app else []:
        if candidate.getState().contains(pyatspi.STATE_SHOWING) and test(candidate):
            return candidate
    return None


def expect(what, shown, wanted):
    if wanted not in shown:
        sys.exit("%s: %r is not among %r" % (what, wanted, shown))


def click(button):
    """A click in the button's middle, through the X server as a user's is:
    an action asked of the program itself would wait on the message box it
    opens."""
    box = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, pyatspi.MOUSE_B1C)


def press(container, name):
    for button in find_all(container, ("push button",), []):
        if button.name == name:
            click(button)
            return
    sys.exit("no button %r among %r" % (name, names(container, "push button")))


def message_box(text):
    """The message box saying text, once it shows."""
    return wait_for("the message box %r" % text,
                    lambda: window(("alert", "dialog"), lambda w: text in names(w, "label")))


def main():
    t = Catalogue(sys.argv[1])
    port = wait_for("the port dialog", lambda: window(("dialog",), lambda w: w.name == t("dialog 110 title")))
    expect("the port dialog's labels", names(port, "label"), t("dialog 110 port_label"))
    for button in ("dialog 110 1", "dialog 110 2"):
        expect("the port dialog's buttons", names(port, "push button"), t(button))
    press(port, t("dialog 110 1"))

    main_window = wait_for("the main window", lambda: window(("dialog", "frame"), lambda w: w.name == "apconfig"
                                                             and names(w, "page tab")))
    tabs = names(main_window, "page tab")
    wanted_tabs = [t("57362"), t("57363"), t("57364")]
    if tabs != wanted_tabs:
        sys.exit("the tab labels are %r, not %r" % (tabs, wanted_tabs))
    find_all(main_window, ("page tab list",), [])[0].querySelection().selectChild(1)

    page = wait_for("the PIN code page", lambda: next(
        (p for p in find_all(main_window, ("page tab",), []) if p.name == t("57363")
         and t("dialog 123 intro") in names(p, "label")), None))
    for label in ("dialog 123 current_label", "dialog 123 new_label", "dialog 123 again_label"):
        expect("the PIN code page's labels", names(page, "label"), t(label))
    expect("the PIN code page's button", names(page, "push button"), t("dialog 123 1015"))
    fields = find_all(page, ("password text",), [])
    if len(fields) != 3:
        sys.exit("the PIN code page has %d PIN fields, not 3" % len(fields))
    for field, pin in zip(fields, ("2468", "1111", "2222")):
        field.queryEditableText().setTextContents(pin)
    press(page, t("dialog 123 1015"))

    # OK is the box's last button, Cancel before it.
    confirmation = message_box(t("57351"))
    click(find_all(confirmation, ("push button",), [])[-1])
    refusal = message_box(t("57353"))
    click(find_all(refusal, ("push button",), [])[-1])
    # Gone before the caller closes the main window.
    wait_for("the message box to close", lambda: None if window(
        ("alert", "dialog"), lambda w: t("57353") in names(w, "label")) else True)
    print("%s: port dialog, tabs, PIN code page and message boxes as the catalogue says" % sys.argv[1])
    return 0


sys.exit(main())
