"""What a screen reader sees of a running program, read through AT-SPI (pyatspi).

The program must run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same session bus; AT-SPI's bus
and registry are started by D-Bus activation. Run as a script it answers one question for the
shell (see main); imported, it offers the pieces to the checks.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def pump(seconds=0.0):
    """Lets AT-SPI deliver what is pending, for at least `seconds`."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def application(pid, timeout=30, poll=0.2):
    """The accessible application of process `pid`, once it is on the bus, looked for every `poll` s."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(index)
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:  # an application leaving the bus meanwhile
                pass
        time.sleep(poll)
    raise SystemExit(f"atspi: no accessible application of process {pid} within {timeout} s")


def walk(node, depth=0, limit=40):
    """Every accessible under `node` (the node first), depth first."""
    if node is None or depth > limit:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for index in range(count):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        yield from walk(child, depth + 1, limit)


def has(node, state):
    try:
        return node.getState().contains(state)
    except Exception:
        return False


def role(node):
    return node.getRoleName()


def focused(app):
    """The showing accessible of `app` that has the keyboard focus (the row rather than its list),
    or None."""
    found = None
    for node in walk(app):
        if not (has(node, pyatspi.STATE_FOCUSED) and has(node, pyatspi.STATE_SHOWING)):
            continue
        # Qt marks a list's current row focused also while the list itself is not.
        if role(node) in ("list item", "table cell") and not has(node.parent, pyatspi.STATE_FOCUSED):
            continue
        found = node  # a focused descendant comes later in the walk
    return found


def find(app, predicate, timeout=10):
    """The first accessible of `app` that `predicate` accepts, waiting up to `timeout` seconds."""
    end = time.monotonic() + timeout
    while True:
        for node in walk(app):
            try:
                if predicate(node):
                    return node
            except Exception:
                pass
        if time.monotonic() >= end:
            return None
        pump(0.2)


def named(name, role_name=None, showing=True):
    def accept(node):
        return (node.name == name and (role_name is None or role(node) == role_name) and
                (not showing or has(node, pyatspi.STATE_SHOWING)))
    return accept


def press(*keys):
    """Real key presses on the X server (xdotool), then a moment for the program to answer."""
    for key in keys:
        subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)
        pump(0.15)
    pump(0.3)


def describe(node):
    return f"{role(node)} '{node.name}'" if node is not None else "nothing"


def main(argv):
    """`atspi_probe.py focus PID`: prints the role and name of the focused accessible."""
    if len(argv) == 3 and argv[1] == "focus":
        app = application(int(argv[2]))
        print(describe(focused(app)))
        return 0
    print("usage: atspi_probe.py focus PID", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
