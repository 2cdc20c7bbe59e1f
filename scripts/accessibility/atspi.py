"""What the accessibility checks share: walking the tree a screen reader sees over AT-SPI,
waiting for a node, and finding the program."""
import sys
import time

import pyatspi
from gi.repository import GLib


def nodes(root):
    stack = [(root, 0)]
    while stack:
        node, depth = stack.pop()
        yield node, depth
        children = [c for c in node if c is not None]
        stack.extend((c, depth + 1) for c in reversed(children))


def wait_for(find, seconds=30, what="it"):
    for _ in range(seconds * 4):
        try:
            found = find()
        except GLib.GError:
            # A node went while the tree was walked (the window changed under the walk): look
            # again on the next round.
            found = None
        if found is not None and found is not False:
            return found
        time.sleep(0.25)
    shown = [(w.getRoleName(), w.name, [n.name for n, _ in nodes(w) if n.getRoleName() == "label"])
             for app in pyatspi.Registry.getDesktop(0) if app is not None
             for w in app if w is not None and w.getRoleName() != "frame"]
    sys.exit("%s did not come on the accessibility bus; windows: %s" % (what, shown))


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "quillon" in (app.name or ""):
            return app
    return None


def child(root, role, name):
    return next((n for n, _ in nodes(root) if n.getRoleName() == role and n.name == name), None)


def window(app, name):
    """A top-level window of the program, as a window: a dialog or a frame."""
    return next((w for w in app if w is not None and w.name == name and
                 w.getRoleName() in ("dialog", "frame")), None)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def press(node):
    node.queryAction().doAction(0)


def print_tree(root):
    for node, depth in nodes(root):
        role = node.getRoleName()
        if role in ("list item", "filler", "scroll bar"):
            continue
        print("%s%s: %r [%s]" % ("  " * depth, role, node.name, node.description))
