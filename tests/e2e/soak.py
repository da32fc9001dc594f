#!/usr/bin/env python3
"""Soak runs: the real nightloom.scr full screen under Wine for minutes per
scene, its handles, private memory, working set, GDI and USER objects sampled
from outside the process every few seconds by the probe. They must stay flat.

  soak.py [--minutes M] [--interval S] [--scene N ...] [--log FILE]

As a program (`./dev soak [MINUTES]`) it runs every scene, prints a table per
scene and exits 1 naming what grew; test_soak.py runs one scene for a minute.

Flat means: after a warm-up (a quarter of the run, at most a minute: textures,
display lists, fonts and the allocator's first pages settle there), the largest
value of the later two thirds of the samples exceeds the largest of the first
third by no more than the resource's tolerance, and the least-squares slope over
the judged samples stays under its tolerance per minute.

- Handles, GDI objects and USER objects are exact counts: tolerance 0. A frame
  loop that leaks one object per frame adds thousands a minute, while a count
  that only comes and goes (a handle opened and closed inside a frame) shows
  in both parts alike.
- Private memory (committed private pages) grows in whole pages as the heap
  needs them: it may rise by 256 KiB at most, a leak of 16 bytes a frame
  (about 56 KiB a minute at 60 fps) shows within minutes.
- The working set also holds what Mesa allocates on the Unix side, GL textures
  and display lists among them, which the private count does not see. Pages
  are touched late, in steps of a megabyte or two within the first minutes, so
  it may rise by 8 MiB and 8 MiB a minute. Such steps inside the 45 judged
  seconds of a one-minute run make a slope of several MiB a minute on their
  own (a Kalender run whose later maximum was 2 MiB above its early one, flat
  in everything else, failed on 4.2), while a leaked 256 x 256 texture a
  second (15 MiB a minute) still fails the slope.
"""
import argparse
import json
import os
import sys
import time

import harness

SCENES = {scene.number: scene.class_name for scene in harness.scene_table.SCENES}
RENDER_CLASS = "DriftlanternsApp"
COUNTS = ("handles", "gdi", "user")
KIB, MIB = 1024, 1024 * 1024
# resource: (tolerated rise of the later maximum over the early one, tolerated slope per minute)
TOLERANCES = {
    "handles": (0, 0.0),
    "gdi": (0, 0.0),
    "user": (0, 0.0),
    "private": (256 * KIB, 128.0 * KIB),
    "working_set": (8 * MIB, 8.0 * MIB),
}
RESOURCES = tuple(TOLERANCES)
MAX_WARM_UP = 60.0  # seconds


class Sample:
    def __init__(self, seconds, report):
        self.seconds = seconds
        self.values = {name: int(report.get(name, -1)) for name in RESOURCES}
        self.sources = {name: report.get(name + "_source") for name in RESOURCES if report.get(name + "_source")}


def sample(session):
    code, report = session.probe("usage", RENDER_CLASS, timeout=60)
    return report if code == 0 else None


def soak_scene(scene, seconds, interval):
    """Runs one scene for `seconds`, sampling every `interval` seconds; returns
    (samples, problem): problem is text when the run itself went wrong."""
    with harness.SaverSession() as session:
        session.clear_settings()
        session.reg_add(harness.PROGRAM_KEY, "SceneStrategy", "REG_DWORD", scene)
        saver = session.start_saver("/s")
        window = session.wait_for_window(RENDER_CLASS, timeout_ms=30000)
        if window is None:
            return [], "no render window appeared"
        samples = []
        start = time.monotonic()
        while True:
            elapsed = time.monotonic() - start
            if saver.poll() is not None:
                return samples, "the saver ended by itself after %.0f s" % elapsed
            report = sample(session)
            if report is None:
                return samples, "the probe could not sample the saver after %.0f s" % elapsed
            samples.append(Sample(elapsed, report))
            if elapsed >= seconds:
                break
            time.sleep(max(0.0, start + len(samples) * interval - time.monotonic()))
        session.probe("close", window["hwnd"])
        if harness.wait_exit(saver, 20) != 1:
            return samples, "the saver did not end with exit code 1 after WM_CLOSE"
        return samples, None


def slope_per_minute(samples, name):
    """Least-squares slope of one value against time, in units per minute."""
    xs = [s.seconds / 60.0 for s in samples]
    ys = [s.values[name] for s in samples]
    mean_x, mean_y = sum(xs) / len(xs), sum(ys) / len(ys)
    spread = sum((x - mean_x) ** 2 for x in xs)
    return sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, ys)) / spread if spread else 0.0


def judge(samples, seconds):
    """(rows for the table, the names of what grew, with why)."""
    warm_up = min(MAX_WARM_UP, seconds / 4.0)
    judged = [s for s in samples if s.seconds >= warm_up]
    if len(judged) < 6:
        return [], ["too few samples after the warm-up (%d)" % len(judged)]
    early, late = judged[:len(judged) // 3], judged[len(judged) // 3:]
    rows, grew = [], []
    for name in RESOURCES:
        if any(s.values[name] < 0 for s in judged):
            rows.append((name, "not readable", "", "", "", "not sampled"))
            continue
        baseline = max(s.values[name] for s in early)
        peak = max(s.values[name] for s in late)
        slope = slope_per_minute(judged, name)
        rise, steepness = TOLERANCES[name]
        # A count's slope is judged by its rise alone: one late step up is a leak
        # however small its slope.
        flat = peak - baseline <= rise and (name in COUNTS or slope <= steepness)
        if name in COUNTS:
            cells = (str(samples[0].values[name]), str(baseline), str(peak), "%+.2f/min" % slope)
        else:
            cells = (kib(samples[0].values[name]), kib(baseline), kib(peak), kib(slope) + "/min")
        rows.append((name,) + cells + ("flat" if flat else "GREW",))
        if not flat:
            grew.append("%s grew from %s to %s (slope %s)" % (name, cells[1], cells[2], cells[3]))
    return rows, grew


def kib(value):
    return "%.0f KiB" % (value / 1024.0)


SOURCE_NOTES = {
    "system handle list": "the system's handle list (GetProcessHandleCount answers 0 here)",
    "committed private regions": "its committed private regions (PrivateUsage answers 0 here)",
    "handle table": "its GDI handle table (GetGuiResources answers 0 here)",
    "windows": "its windows only (GetGuiResources answers 0 here; menus, cursors, hooks unseen)",
}


def describe_sources(samples):
    sources = samples[-1].sources
    return "; ".join("%s: %s" % (name, SOURCE_NOTES.get(source, source)) for name, source in sources.items())


def print_table(name, samples, rows, problem, out=sys.stdout):
    duration = samples[-1].seconds if samples else 0.0
    print("\n== %s: %d samples over %.0f s" % (name, len(samples), duration), file=out)
    print("| resource | first | early max | later max | slope | verdict |", file=out)
    print("|---|---|---|---|---|---|", file=out)
    for row in rows:
        print("| %s |" % " | ".join(row), file=out)
    if samples:
        print("counted: " + describe_sources(samples), file=out)
    if problem:
        print("run: " + problem, file=out)


def soak(scenes, seconds, interval, log=None):
    """Runs and judges each scene; returns {scene name: [failure texts]}."""
    failures = {}
    for scene in scenes:
        name = SCENES[scene]
        print("== %s (SceneStrategy %d) for %.0f s, a sample every %.0f s ..." % (name, scene, seconds, interval))
        samples, problem = soak_scene(scene, seconds, interval)
        if log:
            with open(log, "a", encoding="ascii") as f:
                f.write(json.dumps({"scene": name, "samples": [[s.seconds, s.values] for s in samples]}) + "\n")
        rows, grew = judge(samples, seconds) if not problem else ([], [])
        print_table(name, samples, rows, problem)
        if problem or grew:
            failures[name] = ([problem] if problem else []) + grew
    return failures


def main(argv):
    parser = argparse.ArgumentParser(description="Soak each scene under Wine and check its resources stay flat.")
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--interval", type=float, default=5.0, help="seconds between samples")
    parser.add_argument("--scene", type=int, action="append", choices=sorted(SCENES))
    parser.add_argument("--log", help="append every sample as JSON lines to this file")
    args = parser.parse_args(argv)
    harness.require_build(None)
    failures = soak(args.scene or sorted(SCENES), args.minutes * 60.0, args.interval, args.log)
    print()
    for name, texts in failures.items():
        for text in texts:
            print("SOAK FAILED: %s: %s" % (name, text))
    if not failures:
        print("soak passed: every resource stayed flat")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
