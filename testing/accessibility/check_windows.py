"""QuilloToDo as a screen reader and a keyboard meet it, on a real X server (Xvfb) with Qt's AT-SPI
bridge on: names, roles and states of the controls and rows, the Tab order, the sidebar's keys,
the selected row, the transparency slider's percentage, and the announced results of an export
and of sending feedback.

    check_windows.py BIN_DIR     run inside a display and a session bus (scripts/accessibility)
"""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_probe import application, describe, find, focused, has, named, press, pump, role, walk  # noqa: E402

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def start(bin_dir, work):
    bundle = subprocess.run([f"{bin_dir}/quillotodo-demo-library", work], check=True, capture_output=True,
                            text=True).stdout.strip()
    os.makedirs(f"{work}/config/QuilloToDo")
    # The application's socket in a private folder of the run's own, not one it makes under /tmp.
    os.makedirs(f"{work}/runtime", mode=0o700)
    subprocess.run([f"{bin_dir}/quillotodo-watch-library", f"{work}/config/QuilloToDo/QuilloToDo.conf", bundle],
                   check=True, capture_output=True)
    env = dict(os.environ, XDG_CONFIG_HOME=f"{work}/config", XDG_DATA_HOME=f"{work}/data",
               XDG_RUNTIME_DIR=f"{work}/runtime", QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QUILLOTODO_REMINDERS_DIR=f"{work}/reminders",
               # Nothing may leave the machine: a closed port on loopback.
               QUILLOTODO_UPDATE_FEED_URL="http://127.0.0.1:9/feed.xml",
               QUILLOTODO_FEEDBACK_URL="http://127.0.0.1:9/feedback")
    log = open(f"{work}/app.log", "w")
    return subprocess.Popen([f"{bin_dir}/QuilloToDo"], env=env, stdout=log, stderr=subprocess.STDOUT)


def focus_window(pid):
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid)], check=True,
                            capture_output=True, text=True, timeout=30).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    pump(0.5)


def tab_until(app, accept, limit=80):
    """Presses Tab until the focused accessible is one `accept` takes; the walk, described."""
    walk_seen = []
    for _ in range(limit):
        press("Tab")
        node = focused(app)
        walk_seen.append(describe(node))
        if node is not None and accept(node):
            return node, walk_seen
    return None, walk_seen


def in_order(seen, expected):
    """Whether `expected` occurs in `seen` in this order (other entries may stand between)."""
    position = 0
    for entry in seen:
        if position < len(expected) and entry == expected[position]:
            position += 1
    return position == len(expected)


def check_names_and_rows(app):
    check(find(app, named("Search markers")) is not None, "the search field is named 'Search markers'")
    rows = [node for node in walk(app) if role(node) == "list item" and node.description]
    descriptions = {node.description for node in rows}
    check("To-Do, open" in descriptions, "an open to-do's row reads 'To-Do, open'")
    check(any(d in descriptions for d in ("Chapter", "Standard")), "a chapter or standard marker reads its kind")
    check(all(node.name.strip() for node in rows), "every item row reads its text")


def check_tab_order_and_sidebar_keys(app):
    # From the window's first control, the one over its top-left corner, once round.
    start, _ = tab_until(app, named("Hide Sidebar"))
    if not check(start is not None, "Tab reaches the sidebar switch in the window's corner"):
        return
    row, seen = tab_until(app, lambda node: role(node) == "list item")
    check(row is not None, "Tab reaches a row of the list: " + " > ".join(seen))
    check(in_order(seen, ["push button 'Add Library...'", "push button 'Detect from Final Cut Pro'",
                          "check box 'Standard'", "check box 'To-Do'", "check box 'Chapter'"]),
          "Tab goes from the sidebar's buttons to the marker types")
    check(in_order(seen, ["check box 'Chapter'", describe(find(app, named("Search markers"))),
                          "push button 'Refresh now'", "push button 'Export shown to-dos as a Reminders list'",
                          "check box 'Details'", "check box 'Status'", "check box 'Open'", "check box 'Done'",
                          "check box 'N/A'", "check box 'Assignee'", "check box 'Event'", "check box 'Timeline'"]),
          "Tab follows the reading order of the toolbar and the filter rows")
    headers = [entry for entry in seen if entry.startswith("push button") and
               any(has(n, pyatspi.STATE_EXPANDABLE) for n in walk(app) if describe(n) == entry)]
    check(bool(headers) and seen.index(headers[0]) < seen.index("push button 'Add Library...'"),
          "the event cards' headers come before the sidebar's buttons")

    header, _ = tab_until(app, lambda node: has(node, pyatspi.STATE_EXPANDABLE))
    if not check(header is not None, "an event header takes the focus"):
        return
    same_header = named(header.name)
    now = flips(app, "space", header, pyatspi.STATE_EXPANDED, same_header,
                "Space folds an event header and the focus stays on it")
    now = flips(app, "Return", now, pyatspi.STATE_EXPANDED, same_header, "Return folds it back")
    if now is not None and not has(now, pyatspi.STATE_EXPANDED):
        press("space")

    all_timelines = lambda node: role(node) == "check box" and "all timelines" in node.name  # noqa: E731
    box, _ = tab_until(app, all_timelines, limit=3)
    if check(box is not None, "the card's all-timelines check box follows its header"):
        flips(app, "space", box, pyatspi.STATE_CHECKED, all_timelines,
              "Space switches all timelines and the focus stays on the check box")
        press("space")

    timeline, _ = tab_until(app, lambda node: role(node) == "check box" and not all_timelines(node), limit=3)
    if check(timeline is not None, "a timeline row follows the check box"):
        flips(app, "space", timeline, pyatspi.STATE_CHECKED, named(timeline.name),
              "Space switches a timeline and the focus stays on its row")
        press("space")


def flips(app, key, node, state, same_control, what):
    """Presses `key` on the focused `node`: the focus must stay on it and `state` flip. The node after."""
    before = has(node, state)
    press(key)
    now = focused(app)
    check(now is not None and same_control(now) and has(now, state) != before, what)
    return now


def check_selected_row(app):
    row = find(app, lambda node: role(node) == "list item" and node.description.startswith("To-Do"))
    x, y, width, height = row.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2), "click", "1"], check=True)
    selected = find(app, lambda node: role(node) == "list item" and has(node, pyatspi.STATE_SELECTED), timeout=5)
    check(selected is not None and selected.name == row.name, "the clicked row is reported selected")


class Announcements:
    """The accessible names that changed, as a screen reader hears of them."""

    def __init__(self):
        self.seen = []
        pyatspi.Registry.registerEventListener(self.heard, "object:property-change:accessible-name")

    def heard(self, event):
        try:
            self.seen.append((role(event.source), event.source.name))
        except Exception:
            pass

    def wait_for(self, prefix, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if any(r == "alert" and name.startswith(prefix) for r, name in self.seen):
                return True
            pump(0.2)
        return False


def check_export_announced(app, announcements):
    press("ctrl+shift+e")
    export = find(app, named("Export", "push button"), timeout=10)
    if not check(export is not None, "the export sheet opens"):
        return
    press("Return")
    check(announcements.wait_for("Done: "), "the export's result is announced as an alert")
    press("Escape")


def check_settings(app, announcements, pid):
    focus_window(pid)  # without a window manager nothing gives the closed sheet's focus back
    press("ctrl+comma")
    slider = find(app, named("Window Transparency", "slider"), timeout=10)
    if not check(slider is not None, "the settings window shows the transparency slider"):
        return
    value = slider.queryValue()
    check(value.currentValue == 95 and value.maximumValue == 100, "the slider reports its value in percent")

    send = find(app, named("Send Feedback …", "push button"))
    send.queryAction().doAction(0)
    editor = find(app, named("Your Feedback"), timeout=10)
    if not check(editor is not None, "the feedback sheet opens from the settings window"):
        return
    editor.queryEditableText().setTextContents("The keyboard reaches every control.")
    pump(0.3)
    find(app, named("Send Feedback", "push button")).queryAction().doAction(0)
    check(announcements.wait_for("Thanks!"), "the feedback thank-you is announced as an alert")


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    # The AT-SPI bus and registry are up before the application looks for them.
    pyatspi.Registry.getDesktop(0)
    with tempfile.TemporaryDirectory() as work:
        program = start(os.path.abspath(argv[1]), work)
        try:
            try:
                app = application(program.pid)
            except SystemExit:
                failures.append("the application is on the AT-SPI bus")
                raise
            find(app, lambda node: role(node) == "list item" and node.description, timeout=60)
            focus_window(program.pid)
            announcements = Announcements()
            check_names_and_rows(app)
            check_tab_order_and_sidebar_keys(app)
            check_selected_row(app)
            check_export_announced(app, announcements)
            check_settings(app, announcements, program.pid)
        finally:
            program.terminate()
            program.wait(timeout=20)
            if failures:
                print(open(f"{work}/app.log").read()[-4000:], file=sys.stderr)
    print(f"{len(failures)} failed" if failures else "every check passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
