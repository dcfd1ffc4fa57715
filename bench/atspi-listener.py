#!/usr/bin/python3
"""A screen reader's ears for bench/run: registers for every object and window event on the
accessibility bus of the session it runs in, as a screen reader does, so that Qt's bridge sends
them; counts what arrives until SIGTERM.

    atspi-listener.py READY_FILE COUNT_FILE

READY_FILE is created once the listener is registered; COUNT_FILE receives the number of events
heard when it stops.
"""

import signal
import sys

import pyatspi
from gi.repository import GLib


def main(ready_path, count_path):
    heard = 0

    def hear(_event):
        nonlocal heard
        heard += 1

    pyatspi.Registry.registerEventListener(hear, "object:", "window:")
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: pyatspi.Registry.stop() or False)
    open(ready_path, "w").close()
    pyatspi.Registry.start()
    with open(count_path, "w", encoding="utf-8") as f:
        f.write(f"{heard}\n")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: atspi-listener.py READY_FILE COUNT_FILE", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
