#!/usr/bin/env python3
"""Turns quillo-bench's JSON output and the scan's peak memory into the results table and results.json.

usage: report.py BENCHMARKS_JSON PEAK_RSS_KB PROCESS_WALL RESULTS_JSON CONTROLLERS_JSON VIEWS_JSON IPC_JSON
                 VIEWS_A11Y_JSON LAUNCH_JSON SERVICES_JSON VIEWS_XCB_JSON ATSPI_HEARD OUTSIDE_JSON
PROCESS_WALL is GNU time's elapsed "[h:]m:ss.ss" of the same quillotodo-scan process; CONTROLLERS_JSON
is quillo-controllers-bench's output, VIEWS_JSON quillo-views-bench's, IPC_JSON quillo-ipc-bench's,
VIEWS_A11Y_JSON quillo-views-bench's on a real X server with the accessibility bridge on and a
screen reader's client listening, VIEWS_XCB_JSON the same run without the bridge, ATSPI_HEARD the file
with the number of events that client heard, LAUNCH_JSON quillo-launch-bench's, SERVICES_JSON
quillo-services-bench's, OUTSIDE_JSON outside-search.py's samples.
Exits 1 when a target is missed.
"""

import json
import statistics
import sys

TO_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def aggregates(path, aggregate):
    """The wall-clock seconds and counters of each benchmark's `aggregate` ("median", "min", "max"), by
    its registered name."""
    with open(path, encoding="utf-8") as f:
        runs = json.load(f)["benchmarks"]
    found = {}
    for run in runs:
        if run.get("aggregate_name") == aggregate:
            name = run["run_name"].split("/")[0]
            found[name] = (run["real_time"] * TO_SECONDS[run["time_unit"]], run)
    return found


def medians(path):
    return aggregates(path, "median")


def spread(samples):
    """Median, lowest and highest of a list of samples."""
    return statistics.median(samples), min(samples), max(samples)


def keystrokes(path, prefix=""):
    """The window's two keystroke figures of one quillo-views-bench run, in milliseconds: the median of
    the repetitions and their smallest and largest; the fewest paints of the list's viewport a
    keystroke of each made; and whether the accessibility bridge was on."""
    median, low, high = (aggregates(path, aggregate) for aggregate in ("median", "min", "max"))
    figures = {}
    for which in ("first_character", "clear"):
        name = "window_search_" + which
        figures[prefix + name + "_ms"] = median[name][0] * 1e3
        figures[prefix + name + "_min_ms"] = low[name][0] * 1e3
        figures[prefix + name + "_max_ms"] = high[name][0] * 1e3
        figures[prefix + name + "_paints"] = low[name][1]["viewport_paints"]
    figures[prefix + "window_search_accessibility_active"] = median["window_search_first_character"][1][
        "accessibility_active"]
    return figures


def row(figure, value, unit="", digits=0, at_most=None, spread=None, note="", before="", also=True, target=""):
    """One line of the table: the figure, its value text, its target text and whether it was met (None: no
    target). `value` in `unit` with `digits`, after `before`; its `spread` (lowest, highest) and `note` in
    parentheses after it. The target is `at_most` in the same unit, or a `target` text of its own checked
    by `also`; `also` must hold too, and flags a row without a target when it does not."""
    gap = "" if unit.startswith("x") or not unit else " "
    remarks = [f"spread {spread[0]:.{digits}f}-{spread[1]:.{digits}f}{gap}{unit.split()[0]}"] if spread else []
    remarks += [note] if note else []
    text = f"{before}{value:.{digits}f}{gap}{unit}" + (f" ({'; '.join(remarks)})" if remarks else "")
    if at_most is not None:
        return figure, text, f"<= {at_most:g}{gap}{unit}", also and value <= at_most
    return figure, text, target, also if target else (None if also else False)


def keystroke(figure, r, prefix, which, **check):
    """A row of one of the window's keystrokes."""
    name = prefix + "window_search_" + which
    return row(figure, r[name + "_ms"], "ms", 1, spread=(r[name + "_min_ms"], r[name + "_max_ms"]),
               note=f"{r[name + '_paints']:.0f} list paint at least", **check)


def painted(r, prefix):
    """Whether every keystroke of the run painted the list (the benchmark fails otherwise)."""
    return (r[prefix + "window_search_first_character_paints"] >= 1 and
            r[prefix + "window_search_clear_paints"] >= 1)


def outside(figure, r, name, unit, **check):
    """A row of one of the samples taken from outside the program: their median and spread."""
    median, low, high = r["outside_" + name]
    return row(figure, median, unit, 2 if unit == "s" else 1, spread=(low, high), **check)


def stall(figure, stall_ms, busy_ms, **check):
    """A row of a longest main-thread stall with the busiest time between two ticks."""
    return row(figure, stall_ms, "ms", note=f"busy {busy_ms:.1f} ms", **check)


def main():
    benchmarks_path, rss_kb, results_path = sys.argv[1], int(sys.argv[2]), sys.argv[4]
    process_s = sum(float(part) * 60**i for i, part in enumerate(reversed(sys.argv[3].split(":"))))
    m = medians(benchmarks_path)
    controllers = medians(sys.argv[5])
    views = medians(sys.argv[6])
    publish = medians(sys.argv[7])["ipc_publish"][1]  # four clients, each repetition's figures
    launch = medians(sys.argv[9])["launch_to_list"]
    services = medians(sys.argv[10])
    reminders_refresh = services["reminders_refresh"]
    settings_window = services["settings_window"]
    with open(sys.argv[12], encoding="utf-8") as f:
        atspi_heard = int(f.read().strip() or 0)
    with open(sys.argv[13], encoding="utf-8") as f:
        samples = json.load(f)
    seconds = {name: value for name, (value, _) in m.items()}
    turns = m["floor_and_scans"][1]  # the floor and both scans, measured in turn each repetition
    turns_min = aggregates(benchmarks_path, "min")["floor_and_scans"][1]
    turns_max = aggregates(benchmarks_path, "max")["floor_and_scans"][1]
    results = {
        "floor_s": turns["floor_s"],
        "scan_s": turns["scan_s"],
        "scan_parallel_s": turns["scan_parallel_s"],
        "scan_threads": int(turns["threads"]),
        # Each repetition's ratio to the floor beside it: median, smallest and largest.
        "scan_ratio": turns["scan_ratio"],
        "scan_ratio_min": turns_min["scan_ratio"],
        "scan_ratio_max": turns_max["scan_ratio"],
        "scan_parallel_ratio": turns["scan_parallel_ratio"],
        "scan_parallel_ratio_min": turns_min["scan_parallel_ratio"],
        "scan_parallel_ratio_max": turns_max["scan_parallel_ratio"],
        "structure_s": seconds["structure"],
        "scan_peak_rss_mb": rss_kb / 1024,
        "filter_search_ms": seconds["filter_search"] * 1e3,
        "filter_empty_ms": seconds["filter_empty"] * 1e3,
        "todolist_encode_ms": seconds["todolist_encode"] * 1e3,
        "todolist_decode_ms": seconds["todolist_decode"] * 1e3,
        "blob_decode_ours_s": seconds["blob_decode_ours"],
        "blob_decode_libplist_s": seconds["blob_decode_libplist"],
        "markers": int(turns["markers"]),
        # The largest gap of a 5 ms main-thread timer while the index refreshes.
        "refresh_main_stall_ms": controllers["refresh_main_stall"][1]["main_stall_ms"],
        # The most processor time the main thread spent itself between two ticks: the stall without
        # what other processes of a loaded machine take from it.
        "refresh_main_busy_ms": controllers["refresh_main_stall"][1]["main_busy_ms"],
        # The same, for the refresh whose list differs from the one before: it replaces and frees it.
        "refresh_change_stall_ms": controllers["refresh_main_stall"][1]["change_stall_ms"],
        "refresh_change_busy_ms": controllers["refresh_main_stall"][1]["change_busy_ms"],
        "refresh_floor_stall_ms": controllers["refresh_main_stall"][1]["floor_stall_ms"],
        "filtered_items_search_ms": controllers["filtered_items_search"][0] * 1e3,
        "filtered_items_empty_ms": controllers["filtered_items_empty"][0] * 1e3,
        # The content pane, offscreen: a keystroke until the list is updated and laid out, one
        # viewport of rows painted, a click until Details shows the item.
        "search_keystroke_ms": views["search_keystroke"][0] * 1e3,
        "list_viewport_paint_ms": views["list_viewport_paint"][0] * 1e3,
        "details_open_ms": views["details_open"][0] * 1e3,
        # The whole main window, sidebar and content, offscreen: "h" typed into the empty field, and
        # the Backspace that empties it, each until the window is idle (nothing posted, laid out or
        # painted is left), with the list's paints.
        **keystrokes(sys.argv[6]),
        # The same on a real X server with a screen reader's client listening, and without the bridge.
        **keystrokes(sys.argv[8], "a11y_"),
        "a11y_events_heard": atspi_heard,
        **keystrokes(sys.argv[11], "xcb_"),
        # From outside: the program on a real X server, keys through the X server, the footer's count
        # read through AT-SPI (so with the accessibility bridge on). Medians, lowest and highest.
        "outside_launch_to_count_s": spread(samples["launch_to_count_s"]),
        "outside_first_character_ms": spread(samples["first_character_ms"]),
        "outside_clear_ms": spread(samples["clear_ms"]),
        "outside_reading_ms": spread(samples["reading_ms"]),
        # Process start until the list's model holds every item, and the process's peak by then.
        "launch_to_list_s": launch[0],
        "launch_peak_rss_mb": launch[1]["peak_rss_mib"],
        # A 5 ms main-thread timer from the start until idle with the list shown and published to the
        # panel link; and from adding a small library until idle with the changed list shown and published.
        "launch_main_stall_ms": launch[1]["launch_stall_ms"],
        "launch_main_busy_ms": launch[1]["launch_busy_ms"],
        "launch_change_stall_ms": launch[1]["change_stall_ms"],
        "launch_change_busy_ms": launch[1]["change_busy_ms"],
        # The longest gap of a 5 ms main-thread timer from a publish until four clients decoded the list.
        "publish_main_stall_ms": publish["publish_main_stall_ms"],
        "publish_main_busy_ms": publish["publish_main_busy_ms"],
        "publish_one_encode_ms": publish["publish_one_encode_ms"],
        "publish_all_decoded_s": publish["publish_all_decoded_s"],
        # 5,000 exported reminders: one completion refresh, and the export that wrote them.
        "reminders_refresh_s": reminders_refresh[0],
        "reminders_refresh_main_stall_ms": reminders_refresh[1]["main_stall_ms"],
        "reminders_export_s": reminders_refresh[1]["export_s"],
        "reminders_export_main_stall_ms": reminders_refresh[1]["export_main_stall_ms"],
        "reminders_export_floor_stall_ms": reminders_refresh[1]["export_floor_stall_ms"],
        # The application with 5,000 reminders exported: its settings window opened until painted, and
        # 20 slider steps and 20 timeline toggles, each written to the settings file; the same steps
        # over a settings file that still holds the mapping, as it was kept before.
        "settings_window_open_ms": settings_window[0] * 1e3,
        "settings_steps_main_stall_ms": settings_window[1]["steps_main_stall_ms"],
        "settings_steps_main_busy_ms": settings_window[1]["steps_main_busy_ms"],
        "settings_steps_old_layout_main_stall_ms": settings_window[1]["steps_old_layout_main_stall_ms"],
        "settings_steps_old_layout_main_busy_ms": settings_window[1]["steps_old_layout_main_busy_ms"],
    }
    with open(results_path, "w", encoding="utf-8") as f:
        json.dump(results, f, indent=2)
        f.write("\n")

    r = results
    rows = [
        row("floor: read 3 tables, decode every blob", r["floor_s"], "s", 3),
        # Medians of each repetition's ratio to the floor measured beside it, and their spread.
        row("TodoScanner.scan, 1 thread", r["scan_ratio"], "x floor", 2, at_most=1.5,
            spread=(r["scan_ratio_min"], r["scan_ratio_max"]), before=f"{r['scan_s']:.3f} s = "),
        row(f"TodoScanner.scan, {r['scan_threads']} threads as the application", r["scan_parallel_ratio"], "x floor",
            2, at_most=0.33, spread=(r["scan_parallel_ratio_min"], r["scan_parallel_ratio_max"]),
            before=f"{r['scan_parallel_s']:.3f} s = "),
        # A fresh heap: what the first refresh after start-up costs, the todoList encoding included.
        row("quillotodo-scan process, wall clock", process_s, "s", 1),
        row("LibraryStructureScanner.structure", r["structure_s"], "s", 3),
        row("peak RSS of quillotodo-scan", r["scan_peak_rss_mb"], "MiB", 0, at_most=400),
        row("MarkerFilter.matches, search text", r["filter_search_ms"], "ms", 2, at_most=40),
        row("MarkerFilter.matches, empty filter", r["filter_empty_ms"], "ms", 2),
        row("todoList encode", r["todolist_encode_ms"], "ms", 0, at_most=250),
        row("todoList decode", r["todolist_decode_ms"], "ms", 0, at_most=250),
        row("blobs, our property-list reader", r["blob_decode_ours_s"], "s", 3, target="<= libplist",
            also=r["blob_decode_ours_s"] <= r["blob_decode_libplist_s"]),
        row("blobs, libplist plist_from_bin", r["blob_decode_libplist_s"], "s", 3),
        row("markers the scan returned", r["markers"], target="80000", also=r["markers"] == 80000),
        stall("IndexController.refresh, longest main-thread stall", r["refresh_main_stall_ms"],
              r["refresh_main_busy_ms"], at_most=50),
        stall("IndexController.refresh changing the list, longest stall", r["refresh_change_stall_ms"],
              r["refresh_change_busy_ms"], at_most=50),
        # The same timer while the same scan runs without the controller: the machine's own share.
        row("  the same scan on a plain thread, longest stall", r["refresh_floor_stall_ms"], "ms"),
        row("filteredItems, search text, 100 timelines off", r["filtered_items_search_ms"], "ms", 2, at_most=40),
        row("filteredItems, empty filter", r["filtered_items_empty_ms"], "ms", 2, at_most=5),
        row("search keystroke to the list updated", r["search_keystroke_ms"], "ms", 1, at_most=100),
        row("one viewport of list rows painted", r["list_viewport_paint_ms"], "ms", 2, at_most=16),
        row("Details opened on a click", r["details_open_ms"], "ms", 2, at_most=16),
        keystroke("window: first character typed, until idle", r, "", "first_character", at_most=12,
                  also=painted(r, "")),
        keystroke("window: search cleared, until idle", r, "", "clear", at_most=10, also=painted(r, "")),
        keystroke(f"  first character, Xvfb, a screen reader listening ({r['a11y_events_heard']} events heard)", r,
                  "a11y_", "first_character", at_most=20,
                  also=painted(r, "a11y_") and r["a11y_window_search_accessibility_active"] == 1
                  and r["a11y_events_heard"] > 0),
        keystroke("  search cleared, the same", r, "a11y_", "clear"),
        # No target: the comparison, flagged only when the run was not the one meant.
        keystroke("  first character, Xvfb, no accessibility bridge", r, "xcb_", "first_character",
                  also=painted(r, "xcb_") and r["xcb_window_search_accessibility_active"] == 0),
        keystroke("  search cleared, the same", r, "xcb_", "clear"),
        outside("outside: launch until the footer reads every marker", r, "launch_to_count_s", "s", at_most=0.8),
        outside("outside: first character until the footer's count", r, "first_character_ms", "ms", at_most=35),
        outside("outside: search cleared until the footer's count", r, "clear_ms", "ms"),
        outside("  one reading of the footer through AT-SPI", r, "reading_ms", "ms"),
        row("launch until the first list is shown", r["launch_to_list_s"], "s", 2, at_most=0.7),
        row("peak RSS of the program, list shown", r["launch_peak_rss_mb"], "MiB", 0, at_most=300),
        stall("launch until idle, list shown and published, longest stall", r["launch_main_stall_ms"],
              r["launch_main_busy_ms"], at_most=50),
        stall("  then a refresh changing the list, longest stall", r["launch_change_stall_ms"],
              r["launch_change_busy_ms"], at_most=50),
        stall("TodoIPCServer.publish to 4 clients, longest main-thread stall", r["publish_main_stall_ms"],
              r["publish_main_busy_ms"], at_most=50),
        row("todoList, one encode beside the publish", r["publish_one_encode_ms"], "ms"),
        row("publish until 4 clients decoded the list", r["publish_all_decoded_s"], "s", 2, at_most=1.5),
        row("completion refresh over 5,000 reminders", r["reminders_refresh_s"], "s", 3, at_most=0.5),
        row("  longest main-thread stall during it", r["reminders_refresh_main_stall_ms"], "ms", 0, at_most=20),
        row("export of 5,000 new reminders", r["reminders_export_s"], "s", 1),
        row("  longest main-thread stall during it", r["reminders_export_main_stall_ms"], "ms", 0, at_most=20),
        # The timer while the same export runs on a plain thread: the machine's and the disk's share.
        row("  the same export on a plain thread, longest stall", r["reminders_export_floor_stall_ms"], "ms"),
        row("settings window opened, 5,000 reminders exported", r["settings_window_open_ms"], "ms", 1, at_most=50),
        stall("20 slider steps and 20 timeline toggles, longest stall", r["settings_steps_main_stall_ms"],
              r["settings_steps_main_busy_ms"], at_most=20),
        stall("  the same with the mapping in the settings file", r["settings_steps_old_layout_main_stall_ms"],
              r["settings_steps_old_layout_main_busy_ms"]),
    ]
    header = ("figure (median)", "value", "target", "met")
    cells = [header] + [(a, b, c, "" if ok is None else ("yes" if ok else "NO")) for a, b, c, ok in rows]
    widths = [max(len(line[i]) for line in cells) for i in range(4)]
    for i, line in enumerate(cells):
        print("  ".join(cell.ljust(width) for cell, width in zip(line, widths)).rstrip())
        if i == 0:
            print("  ".join("-" * width for width in widths))
    print(f"\nwritten to {results_path}")
    return 0 if all(ok is not False for *_, ok in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
