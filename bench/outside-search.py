#!/usr/bin/python3
"""The search as a person meets it, measured from outside the program: QuilloToDo on a real X server
watching a large library, keys pressed through the X server (xdotool), the footer's count read
through AT-SPI, as a screen reader reads it. The program runs with its accessibility bridge on,
which AT-SPI needs to read it: these are the figures of a user with a screen reader.

    outside-search.py QUILLOTODO SETTINGS_FILE ITEMS RESULTS_JSON

Run inside a display and a session bus with the AT-SPI bus on it (bench/run does). SETTINGS_FILE
watches the library (quillotodo-watch-library), ITEMS is the number of its to-dos. Each of several
launches in fresh folders counts from the spawn until the footer reads ITEMS markers; then "h" is
typed into the search field and timed until the footer shows another count, and Backspace until it
reads ITEMS again, several times; one xdotool process reads the keys as they come, so that none
waits for a process to start. RESULTS_JSON receives every sample, in seconds and milliseconds, and
what one reading of the footer costs (the resolution of the figures).
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "testing", "accessibility"))
from atspi_probe import application  # noqa: E402

LAUNCHES = 5
KEYSTROKES = 6  # pairs of "h" and Backspace per launch
SETTLE_S = 0.4  # after each key, for the list to be laid out and painted before the next
TIMEOUT_S = 60
COUNT = re.compile(r"^\d+ markers?$")
# What the walk to the footer need not enter: the list's rows are tens of thousands.
LEAVES = {"list", "list box", "table", "tree table", "tree"}


def find(node, accept, depth=0):
    """The first accessible under `node` that `accept` takes, not looking inside lists."""
    if node is None or depth > 40:
        return None
    try:
        if accept(node):
            return node
        if node.getRoleName() in LEAVES:
            return None
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return None
    for child in children:
        found = find(child, accept, depth + 1)
        if found is not None:
            return found
    return None


def wait_for(app, accept):
    end = time.monotonic() + TIMEOUT_S
    while time.monotonic() < end:
        found = find(app, accept)
        if found is not None:
            return found
        time.sleep(0.01)
    raise SystemExit("the window never showed what was looked for")


def read(node):
    """The accessible's name as the program answers now, not as AT-SPI's cache holds it."""
    node.clear_cache()
    return node.name


def until(node, accept):
    """Polls the name until `accept` takes it; the moment it did."""
    end = time.monotonic() + TIMEOUT_S
    while time.monotonic() < end:
        if accept(read(node)):
            return time.monotonic()
        time.sleep(0.0005)
    raise SystemExit("the footer never showed the count")


class Keyboard:
    """One xdotool that reads its commands as they come: a key costs no process start."""

    def __init__(self):
        self.process = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, text=True)

    def press(self, key):
        self.process.stdin.write(f"key --clearmodifiers {key}\n")
        self.process.stdin.flush()

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=10)


def launch(program, settings, items, work):
    config = os.path.join(work, "config", "QuilloToDo")
    os.makedirs(config)
    shutil.copy(settings, os.path.join(config, "QuilloToDo.conf"))
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_DATA_HOME=os.path.join(work, "data"),
               XDG_CACHE_HOME=os.path.join(work, "cache"), QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QUILLOTODO_REMINDERS_DIR=os.path.join(work, "reminders"),
               # Nothing may leave the machine: a closed port on loopback.
               QUILLOTODO_UPDATE_FEED_URL="http://127.0.0.1:9/feed.xml",
               QUILLOTODO_FEEDBACK_URL="http://127.0.0.1:9/feedback")
    whole = f"{items} markers"
    log = open(os.path.join(work, "app.log"), "w")
    started = time.monotonic()
    process = subprocess.Popen([program], env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        app = application(process.pid, TIMEOUT_S, poll=0.005)
        footer = wait_for(app, lambda node: node.getRoleName() == "label" and COUNT.match(node.name or ""))
        shown = until(footer, lambda name: name == whole)
        launch_s = shown - started

        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(process.pid)],
                                check=True, capture_output=True, text=True, timeout=TIMEOUT_S).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        field = wait_for(app, lambda node: node.name == "Search markers" and node.getRoleName() != "label")
        x, y, width, height = field.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2), "click", "1"], check=True)
        # Started before the settling time: its own start would otherwise fall into the first key's.
        keyboard = Keyboard()
        time.sleep(SETTLE_S)

        first, clear = [], []
        try:
            for _ in range(KEYSTROKES):
                before = time.monotonic()
                keyboard.press("h")
                first.append((until(footer, lambda name: name != whole) - before) * 1e3)
                time.sleep(SETTLE_S)
                before = time.monotonic()
                keyboard.press("BackSpace")
                clear.append((until(footer, lambda name: name == whole) - before) * 1e3)
                time.sleep(SETTLE_S)
        finally:
            keyboard.close()
        return launch_s, first, clear, reading_ms(footer)
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        log.close()


def reading_ms(footer):
    """What one reading of the footer through AT-SPI costs by itself."""
    samples = []
    for _ in range(20):
        before = time.monotonic()
        read(footer)
        samples.append((time.monotonic() - before) * 1e3)
    return samples


def main(program, settings, items, results):
    samples = {"launch_to_count_s": [], "first_character_ms": [], "clear_ms": [], "reading_ms": []}
    for _ in range(LAUNCHES):
        work = tempfile.mkdtemp(prefix="quillo-outside-")
        try:
            launch_s, first, clear, reading = launch(program, settings, items, work)
        finally:
            shutil.rmtree(work, ignore_errors=True)
        samples["launch_to_count_s"].append(launch_s)
        samples["first_character_ms"] += first
        samples["clear_ms"] += clear
        samples["reading_ms"] += reading
        print(f"launch {launch_s:.2f} s, first character {min(first):.1f}-{max(first):.1f} ms, "
              f"clearing {min(clear):.1f}-{max(clear):.1f} ms", flush=True)
    with open(results, "w", encoding="utf-8") as f:
        json.dump(samples, f, indent=2)
        f.write("\n")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]))
