"""Opens the self test or the firmware upgrade window of a quillon-config on a 16-key keypad,
prints it as a screen reader meets it over AT-SPI, and checks it:
  selftest SOCKET (the keypad served by quillon-sim, so that its keys can be pressed): a window
    named by its title; pictures "Key 1" to "Key 16", no hidden or unnamed one in the tree, each
    saying "not yet pressed" and, once its key is pressed on the keypad, "pressed", heard as it
    changes; the stages saying their state;
  firmware (a simulated keypad, whose built-in RAM loader the upgrade accepts): a window named
    by its title; its buttons, device count and progress bar described; the log's last line
    readable after an Upgrade without a file.
Started by scripts/accessibility-check inside a display and a D-Bus session of its own."""
import socket
import sys
import time

import pyatspi
from gi.repository import GLib

from atspi import application, child, nodes, press, print_tree, showing, wait_for, window

KEYPAD = "sim-1-if0"
faults = []


def check(ok, fault):
    if not ok:
        faults.append(fault)
    return ok


def press_key(path, key):
    with socket.socket(socket.AF_UNIX) as served:
        served.connect(path)
        served.sendall(b"PRESS %s %d\n" % (KEYPAD.encode(), key))
        return served.makefile().readline().strip()


def named(root, role, prefix=""):
    return [n for n, _ in nodes(root) if n.getRoleName() == role and n.name.startswith(prefix)]


def answer_box(app, button):
    """Presses `button` of the message box the program shows now."""
    found = wait_for(lambda: next((b for w in app if w is not None and w.getRoleName() in
                                   ("alert", "dialog") for b in named(w, "push button", button)
                                   if b.name == button), None), what="a box with " + button)
    press(found)


def heard_while(action, seconds):
    """Runs `action` every half second for up to `seconds` until it returns true, noting every
    description change a screen reader hears meanwhile."""
    heard = []

    def listener(event):
        heard.append((event.source.name, event.source.description))

    pyatspi.Registry.registerEventListener(listener,
                                           "object:property-change:accessible-description")

    def step():
        if action():
            pyatspi.Registry.stop()
            return False
        return True

    GLib.timeout_add(500, step)
    GLib.timeout_add(seconds * 1000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(listener,
                                             "object:property-change:accessible-description")
    return heard


def self_test(app, path):
    press(wait_for(lambda: child(app, "push button", "Test Quillon™"), what="Test Quillon™"))
    test = wait_for(lambda: window(app, "Self Test"), what="the Self Test window")
    print("== %s: %r" % (test.getRoleName(), test.name))
    print_tree(test)
    pictures = [p for p in named(test, "push button") if p.name.startswith("Key ")]
    check([p.name for p in pictures] == ["Key %d" % k for k in range(1, 17)],
          "the pictures are not Key 1 to Key 16: %s" % [p.name for p in pictures])
    check(all(showing(p) for p in pictures), "a picture in the tree is hidden")
    check(not [b for b in named(test, "push button") if not b.name], "an unnamed button")
    for picture in pictures:
        check(picture.description == "not yet pressed", "%s says %r at the start" %
              (picture.name, picture.description))
    answer_box(app, "OK")  # the key test's notice
    for box, stage in (("LED flash", "LED flash"), ("LED brightness steps", "LED brightness"),
                       ("Buzzer", "Buzzer")):
        node = child(test, "check box", box)
        check(node is not None and node.getState().contains(pyatspi.STATE_CHECKED),
              "the %s box is not ticked once the keys are asked for" % stage)
        check(node is not None and node.description == box + ": done",
              "the %s box says %r" % (stage, node and node.description))
    test.queryComponent().grabFocus()  # keys go to the window in front
    key3 = child(test, "push button", "Key 3")
    heard = heard_while(lambda: press_key(path, 3) == "OK" and key3.description == "pressed", 20)
    print("after PRESS 3: %r [%s]; heard %s" % (key3.name, key3.description, heard))
    check(key3.description == "pressed", "Key 3 does not say it was pressed")
    check(("Key 3", "pressed") in heard, "the change of Key 3 was not heard")
    key4 = child(test, "push button", "Key 4")
    check(key4.description == "not yet pressed", "Key 4 says %r" % key4.description)
    press(child(test, "push button", "Close"))
    wait_for(lambda: window(app, "Self Test") is None, what="the self test's end")


def firmware(app):
    press(wait_for(lambda: child(app, "push button", "Update Quillon™ Keypad Firmware"),
                   what="the firmware button"))
    answer_box(app, "Yes")  # "Are you sure you want to upgrade the firmware?"
    upgrade = wait_for(lambda: window(app, "Vorla Quillon™ Firmware Upgrade"),
                       what="the firmware upgrade window")
    wait_for(lambda: child(upgrade, "label", "Found 1 device"), what="the loader's count")
    print("== %s: %r" % (upgrade.getRoleName(), upgrade.name))
    print_tree(upgrade)
    for button in ("Browse", "Upgrade Firmware", "Close"):
        node = child(upgrade, "push button", button)
        check(node is not None and node.description, "%s has no description" % button)
    count = child(upgrade, "label", "Found 1 device")
    check(count is not None and count.description, "the device count has no description")
    bar = next(iter(named(upgrade, "progress bar")), None)
    check(bar is not None and bar.name == "Upgrade progress", "the progress bar has no name")
    check(bar is not None and bar.queryValue().currentValue == 0, "the progress is not readable")
    log = next((n for n in named(upgrade, "text") if n.name == "Upgrade log"), None)
    press(child(upgrade, "push button", "Upgrade Firmware"))  # no file chosen: only a log line
    last = wait_for(lambda: log is not None and log.description == "No file specified" and
                    log.description, seconds=10, what="the log's last line")
    print("log after Upgrade without a file: %r" % last)
    press(child(upgrade, "push button", "Close"))


def main():
    app = wait_for(application, what="quillon-config")
    if sys.argv[1] == "selftest":
        self_test(app, sys.argv[2])
    else:
        firmware(app)
    for fault in faults:
        print("FAULT:", fault)
    return 1 if faults else 0


sys.exit(main())
