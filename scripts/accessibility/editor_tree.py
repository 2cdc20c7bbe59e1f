"""Prints the code-table editor as assistive technology sees it over AT-SPI and checks that
every key button says its key and code and that the lists have names. Started by
scripts/accessibility-check inside a display and a D-Bus session of its own."""
import re
import sys
import time

import pyatspi

from atspi import application, child, nodes, wait_for

KEY = re.compile(r"^Key \d+(, Jack (IN|OUT))?, code 0x[0-9A-F]{2}, .+$")
MODIFIER = re.compile(r"^Key \d+(, Jack (IN|OUT))? modifier, .+$")


def main():
    app = wait_for(application)
    button = wait_for(lambda: child(app, "push button", "Customise Code Table"))
    button.queryAction().doAction(0)
    editor = wait_for(lambda: next((w for w in app if w is not None and
                                     w.getRoleName() in ("dialog", "frame") and
                                     "Layout" in w.name), None))
    faults = []
    for node, depth in nodes(editor):
        role, name, text = node.getRoleName(), node.name, node.description
        if role == "list item":
            continue  # the entries: their number is printed with the list
        entries = " (%d entries)" % node.childCount if role == "list" else ""
        print("%s%s: %r [%s]%s" % ("  " * depth, role, name, text, entries))
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
        if role == "push button" and name.startswith("Key") and showing:
            if not (KEY.match(name) or MODIFIER.match(name)) or not text:
                faults.append(name)
        if role == "combo box" and not name:
            faults.append("a list without a name")
    key2 = child(editor, "push button", next(n.name for n, _ in nodes(editor)
                                             if n.name.startswith("Key 2, code")))
    key2.queryAction().doAction(0)
    time.sleep(1)
    print("after pressing key 2: %r [%s]" % (key2.name, key2.description))
    if key2.description != "selected":
        faults.append("key 2 does not say it is selected")
    for fault in faults:
        print("FAULT:", fault)
    return 1 if faults else 0


sys.exit(main())
