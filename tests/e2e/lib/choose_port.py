#!/usr/bin/python3
"""Chooses a port in apconfig's open port dialog by its COM name, through the
accessibility bus: choose_port.py COM5. Exits 1 when the dialog or the port
is not there (within 20 s), printing what the list holds."""
import sys
import time

import pyatspi


def find(accessible, role, name=None):
    if accessible is None:
        return None
    if accessible.getRoleName() == role and (name is None or accessible.name == name):
        return accessible
    for i in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(i), role, name)
        if found:
            return found
    return None


def port_list():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "apconfig":
            dialog = find(app, "dialog", "Select Port")
            combo = find(dialog, "combo box")
            menu = find(combo, "menu")
            if combo and menu:
                return combo, [menu.getChildAtIndex(i).name for i in range(menu.childCount)]
    return None, []


def main():
    wanted = sys.argv[1]
    deadline = time.time() + 20
    while True:
        combo, items = port_list()
        for index, text in enumerate(items):
            if text == wanted or text.startswith(wanted + " "):
                combo.querySelection().selectChild(index)
                print(text)
                return 0
        if time.time() > deadline:
            print("no %s among the ports: %s" % (wanted, items), file=sys.stderr)
            return 1
        time.sleep(0.2)


sys.exit(main())
