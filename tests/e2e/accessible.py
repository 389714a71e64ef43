"""Reads the accessibility tree (AT-SPI) of the process PID as a screen reader does and checks what it tells
of the scroll test window. Exits 0 when every row holds; otherwise prints the rows that fail and the tree.
Usage: /usr/bin/python3 accessible.py PID"""
import sys
import time

import pyatspi


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def nodes(accessible, depth=0):
    yield depth, accessible
    for child in accessible:
        if child is not None:
            yield from nodes(child, depth + 1)


def describe(accessible):
    return f"{accessible.getRoleName()} {accessible.name!r}"


def main():
    pid = int(sys.argv[1])
    # The window registers its controls with the bus once it is shown: wait for the last of them.
    deadline = time.monotonic() + 30
    while True:
        app = application(pid)
        tree = [(depth, node) for depth, node in nodes(app)] if app else []
        if any(node.getRoleName() == "text" for _, node in tree) or time.monotonic() > deadline:
            break
        time.sleep(0.2)

    if app is None:
        print(f"FAIL: no application with process id {pid} on the accessibility bus")
        return 1
    windows = [node for node in app]
    controls = [node for depth, node in tree if depth >= 2]

    def focusable(role):
        found = [node for node in controls if node.getRoleName() == role]
        return bool(found) and all(node.getState().contains(pyatspi.STATE_FOCUSABLE) for node in found)

    def named(role, name):
        return any(node.getRoleName() == role and name(node.name) for node in controls)

    rows = [
        ("one window, a frame named by its title", [describe(node) for node in windows] == ["frame 'Form1'"]),
        ("the picture is an image named after BG.bmp", named("image", lambda name: "BG.bmp" in name)),
        ("the interval field is named by its label", named("text", lambda name: name == "Interval (ms)")),
        ("the button takes keyboard focus", focusable("push button")),
        ("the radio buttons take keyboard focus", focusable("radio button")),
        ("the interval field takes keyboard focus", focusable("text")),
    ]
    failed = [name for name, holds in rows if not holds]
    for name, holds in rows:
        print(f"{'ok  ' if holds else 'FAIL'} {name}")
    if failed:
        for depth, node in tree:
            print("  " * depth + describe(node))
    return 1 if failed else 0


sys.exit(main())
