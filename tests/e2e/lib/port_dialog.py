#!/usr/bin/python3
"""apconfig's open port dialog, read and driven through the accessibility bus.

  port_dialog.py choose COM5   chooses the port by its COM name
  port_dialog.py items         prints the items, one a line
  port_dialog.py hints         prints what the dialog says of ports it cannot offer

Waits up to 20 s for the dialog (and for choose, the port); exits 1 when it
does not come, printing what the list holds."""
import os
import sys
import time

import pyatspi

# The dialog's title in the language apconfig runs in.
TITLE = os.environ.get("APCONFIG_PORT_DIALOG_TITLE", "Select Port")


def find_all(accessible, role, found):
    if accessible is None:
        return found
    if accessible.getRoleName() == role:
        found.append(accessible)
    for i in range(accessible.childCount):
        find_all(accessible.getChildAtIndex(i), role, found)
    return found


def dialog():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "apconfig":
            for window in find_all(app, "dialog", []):
                if window.name == TITLE:
                    return window
    return None


def port_list(window):
    combos = find_all(window, "combo box", [])
    menus = find_all(combos[0], "menu", []) if combos else []
    if not menus:
        return None, []
    return combos[0], [menus[0].getChildAtIndex(i).name for i in range(menus[0].childCount)]


def labels(window):
    return [label.name for label in find_all(window, "label", []) if label.name]


def main():
    command = sys.argv[1]
    deadline = time.time() + 20
    items = []
    while time.time() < deadline:
        window = dialog()
        if window is not None:
            combo, items = port_list(window)
            if command == "items":
                print("\n".join(items))
                return 0
            if command == "hints":
                # The first label asks for the port; the others tell about it.
                print("\n".join(labels(window)[1:]))
                return 0
            wanted = sys.argv[2]
            for index, text in enumerate(items):
                if text == wanted or text.startswith(wanted + " "):
                    combo.querySelection().selectChild(index)
                    print(text)
                    return 0
        time.sleep(0.2)
    print("no port dialog, or no such port among: %s" % items, file=sys.stderr)
    return 1


sys.exit(main())
