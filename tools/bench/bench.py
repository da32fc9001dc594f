#!/usr/bin/env python3
"""The benchmark: one table for every scene at 1920x1080 under Wine.

  bench.py BUILD [SECONDS] [--scene N ...] [--rounds N] [--starts N] [--exits N]

Everything runs in one Wine session (one Xvfb, one warm wineserver), so each
program is started the same way, with `wine PROGRAM`:

- the frame loop: frame_bench.exe, the saver's own start-up and loop with the
  scene wrapped and the swap hooked, for SECONDS (20) per scene, with the
  desktop backdrop off and on, and on once more with Mesa playing a strict
  OpenGL 1.1 (power-of-two textures only, as Windows' own renderer). The
  seconds are split into ROUNDS (4) rounds. In each round, each scene's three
  rows run in a group with the three floor rows beside them (clear, off,
  picture, on, picture 1.1, on 1.1). This virtual machine's llvmpipe runs
  at one of two speeds, for stretches of seconds to a minute (a full-screen
  picture takes 9.8 or 12.6 ms, within one process too), so rows that are
  compared are taken seconds apart. A row's median is the median of its
  rounds' medians;
- the backdrop beside the floor: seconds apart is not near enough (a round's
  ratio moved by 0.3 or more with a change of speed), so in each round each
  backdrop row also runs once "interleaved": frame_bench.exe runs the loop
  unpaced, and its frames take turns with the minimal program's frames,
  drawn in the same window (floor clear, backdrop off, floor picture,
  backdrop on, ...). The backdrop's extra frame time is on minus off, the
  floor's is picture minus clear, each the median of the rounds', and their
  ratio the median of the rounds' ratios. The paced rows' own ratio is
  printed beside it;
- start-up: from the moment this script starts a program to its first frame
  on screen, for the saver (frame_bench.exe ending after its first frame) and,
  interleaved with it, for minimal_gl.exe, the least an OpenGL program does;
- exit latency: the real nightloom.scr /s; once its loop runs, a horizontal
  mouse movement through the X server (xdotool); exit_watch.exe polls about
  once a millisecond for the window and the process to go;
- the floor: minimal_gl.exe paced like the saver, in the groups above,
  clearing only
  ("floor: clear") and drawing a screen-sized picture at 1:1 with nearest
  filtering over a cleared depth buffer ("floor: picture", also on the strict
  OpenGL 1.1): what the platform itself needs for a frame and for the picture;
- start-up steps: every start of frame_bench.exe and minimal_gl.exe also
  prints how long each of its start-up steps took (STEPS), from this script's
  start of the program ("launch", up to its wmain) to its first frame;
- the frame's pieces: frame_bench.exe "profile" for PROFILE seconds (5) per
  row waits for OpenGL around the clear, the backdrop quad and the scene's
  drawing, and prints their medians, and minimal_gl.exe "picture ... profile"
  times its picture the same way; these runs are not the loop's rows.

The table goes to BUILD/bench.md, and its figures to BUILD/bench.json.

Stamps taken inside Windows programs are the system time, which Wine reads
from the clock behind Python's time.time(), so they compare with this script's.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "harness"))
import launcher  # noqa: E402
import scene_table  # noqa: E402

SCREEN = "1920x1080x24"
SCENES = {scene.number: scene.class_name for scene in scene_table.SCENES}
SETTINGS_KEY = r"HKCU\Software\Wow6432Node\Velbrook"
PROGRAM_KEY = r"HKCU\Software\Wow6432Node\Velbrook\ScreenSaver\DriftlanternsApp"
RENDER_WINDOW_CLASS = "DriftlanternsApp"
STRICT_GL = {"MESA_GL_VERSION_OVERRIDE": "1.1", "MESA_EXTENSION_OVERRIDE": "-GL_ARB_texture_non_power_of_two"}
# Each scene's rows: the backdrop's name in the table, whether it is on, and
# what the OpenGL is.
BACKDROPS = (("off", False, {}), ("on", True, {}), ("on, OpenGL 1.1", True, STRICT_GL))
BACKDROP_KEYS = ("off", "on", "on-gl11")
# The minimal program's floor rows: name in the table, its mode, the OpenGL.
# The start-up steps in the order they run, with their names in the notes.
STEPS = (("launch", "launch (Wine starts the program)"), ("initialize", "`Initialize`"),
         ("scene", "`CreateScene`"), ("capture", "snapshot"), ("window", "window class and window"),
         ("context", "pixel format, context, shown"), ("view", "view"), ("scene_init", "scene `Init`"),
         ("font_backdrop_clock", "overlay font, backdrop upload, frame clock"),
         ("first_release", "to the first release"), ("first_frame", "first frame"))
FLOORS = (("floor: clear", "clear", {}), ("floor: picture", "picture", {}),
          ("floor: picture, OpenGL 1.1", "picture", STRICT_GL))


def parse_figures(text):
    """frame_bench's and the other programs' "name value..." lines as a dict of lists of numbers."""
    figures = {}
    for line in text.replace("\r", "").splitlines():
        parts = line.split()
        if len(parts) < 2:
            continue
        figures[parts[0]] = [float(v) for v in parts[1:] if re.fullmatch(r"-?[0-9]+(\.[0-9]*)?", v)]
    return figures


def median(values):
    return statistics.median(values) if values else float("nan")


def merge_rounds(runs):
    """One row's figures from its rounds: each figure the median of the rounds', frames added up."""
    merged = {}
    for key in runs[0]:
        values = [run[key] for run in runs if key in run]
        if key == "frames" or key == "floor_frames":
            merged[key] = [sum(value[0] for value in values)]
        elif isinstance(values[0], list) and all(isinstance(v, (int, float)) for v in values[0]):
            merged[key] = [median([value[i] for value in values]) for i in range(len(values[0]))]
        else:
            merged[key] = values[0]
    return merged


def startup_steps(started, figures):
    """One start's steps in milliseconds, by name; launch from this script's start of the program."""
    steps = {name[len("step."):]: values[0] for name, values in figures.items() if name.startswith("step.")}
    if "main_epoch" in figures:
        steps["launch"] = (figures["main_epoch"][0] - started) * 1000.0
    return steps


def median_steps(runs):
    """The median of each step over the runs that have it, in STEPS' order."""
    return {name: median([run[name] for run in runs if name in run])
            for name, _ in STEPS if any(name in run for run in runs)}


class Bench:
    def __init__(self, build, session):
        self.session = session
        self.tools = os.path.join(build, "win", "tools", "bench")
        self.scr = os.path.join(build, "win", "nightloom.scr")

    def run(self, program, *args, timeout=300, gl_env=None):
        """Starts a program, returns (when it was started, its figures)."""
        started = time.time()
        result = subprocess.run(["wine", os.path.join(self.tools, program), *args],
                                env=dict(self.session.env, **(gl_env or {})),
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=timeout)
        figures = parse_figures(result.stdout.decode("utf-8", "replace"))
        if result.returncode != 0 or "first_present_epoch" not in figures:
            # Wine's own messages are all there is to say why a program ended without a word.
            raise RuntimeError("%s %s failed (%d): %r; Wine said %r" % (
                program, " ".join(args), result.returncode, result.stdout[-400:], result.stderr[-1200:]))
        return started, figures

    def start_up(self, program, *args, timeout=300, gl_env=None):
        """Seconds from starting the program to its first presented frame, and the figures."""
        started, figures = self.run(program, *args, timeout=timeout, gl_env=gl_env)
        figures["steps"] = startup_steps(started, figures)
        return figures["first_present_epoch"][0] - started, figures

    def frame_loop(self, scene, backdrop, seconds, profile=False, interleaved=False):
        _, desktop, gl_env = BACKDROPS[backdrop]
        args = (["/s", str(seconds), str(scene)] + (["desktop"] if desktop else []) + (["profile"] if profile else [])
                + (["interleaved"] if interleaved else []))
        return self.start_up("frame_bench.exe", *args, timeout=seconds + 300, gl_env=gl_env)

    def set_scene(self, scene, desktop):
        """The build prefix's settings as the defaults (tests leave theirs), with this scene and backdrop."""
        self.session.wine("reg", "delete", SETTINGS_KEY, "/f")
        for name, value in (("SceneStrategy", scene), ("ShowDesktop", 1 if desktop else 0)):
            self.session.wine("reg", "add", PROGRAM_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f",
                              check=True)

    def exit_latency(self, direction):
        """(to window gone, to process gone, poll mean, poll max), seconds, for one run of the real saver."""
        saver = subprocess.Popen(["wine", self.scr, "/s"], env=self.session.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine's own messages go to the watcher's stderr: when it ends without a
        # word, they are all there is to say why.
        watch_errors = tempfile.TemporaryFile()
        watch = subprocess.Popen(["wine", os.path.join(self.tools, "exit_watch.exe"), RENDER_WINDOW_CLASS],
                                 env=self.session.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=watch_errors)
        try:
            ready = watch.stdout.readline().decode("ascii", "replace")
            if not ready.startswith("ready"):
                watch.wait(timeout=60)
                watch_errors.seek(0)
                raise RuntimeError("exit_watch: %r, exit code %s, stderr %r; the saver %s" % (
                    ready.strip(), watch.returncode, watch_errors.read()[-600:].decode("utf-8", "replace"),
                    "runs" if saver.poll() is None else "ended with %d" % saver.returncode))
            subprocess.run(["xdotool", "mousemove_relative", "--", str(direction), "0"], env=self.session.env,
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # xdotool has sent the movement to the X server (flushed) when it returns.
            moved = time.time()
            figures = parse_figures(watch.communicate(timeout=60)[0].decode("ascii", "replace"))
            saver.wait(timeout=60)
        finally:
            for process in (watch, saver):
                if process.poll() is None:
                    process.kill()
                    process.wait()
            watch_errors.close()
        if watch.returncode != 0:
            raise RuntimeError("exit_watch did not see the saver go: %r" % figures)
        return (figures["window_gone_epoch"][0] - moved, figures["process_gone_epoch"][0] - moved,
                figures["poll_ms"][0], figures["poll_ms"][1])


def load_average():
    return "%.1f / %.1f / %.1f" % os.getloadavg()


def ms(seconds):
    return "%.0f" % (seconds * 1000.0)


def measure(args):
    build = os.path.realpath(args.build)
    scenes = sorted(set(args.scene)) if args.scene else sorted(SCENES)
    conditions = [(scene, backdrop) for scene in scenes for backdrop in range(len(BACKDROPS))]
    rows = {condition: {"starts": [], "step_runs": []} for condition in conditions}
    minimal_starts = []
    minimal_steps = []
    polls = []
    loads = [load_average()]
    log = sys.stderr
    # With a window manager, as on a desktop: without one, Wine waits 2 s for
    # the missing manager when a full-screen window goes, and each exit takes that.
    with launcher.WineSession(os.path.join(build, "wine"), screen=SCREEN, window_manager=True) as session:
        bench = Bench(build, session)
        share = args.seconds / args.rounds
        floor_runs = [[] for _ in FLOORS]
        for round_index in range(args.rounds):
            print("== frame loops, round %d of %d, %g s per row" % (round_index + 1, args.rounds, share), file=log,
                  flush=True)
            for scene, backdrop in conditions:
                # Each row's floor (clear for off, picture for on) just before it.
                _, mode, gl_env = FLOORS[backdrop]
                floor = bench.start_up("minimal_gl.exe", mode, str(share), timeout=share + 300, gl_env=gl_env)[1]
                floor_runs[backdrop].append(floor)
                start, figures = bench.frame_loop(scene, backdrop, share)
                row = rows[(scene, backdrop)]
                row.setdefault("rounds", []).append(figures)
                row.setdefault("floor_rounds", []).append(floor)
                row["starts"].append(start)
                row["step_runs"].append(figures["steps"])
                if backdrop:
                    row.setdefault("interleaved_rounds", []).append(
                        bench.frame_loop(scene, backdrop, share, interleaved=True)[1]["interleaved_ms"])
        for row in rows.values():
            row.update(merge_rounds(row["rounds"]))
        floors = [merge_rounds(runs) for runs in floor_runs]
        for floor, (name, mode, gl_env) in list(zip(floors, FLOORS))[1:] if args.profile else ():
            print("== %s, profiled, %g s" % (name, args.profile), file=log, flush=True)
            floor["floor_quad_ms"] = bench.start_up("minimal_gl.exe", mode, str(args.profile), "profile",
                                                    timeout=args.profile + 300, gl_env=gl_env)[1]["floor_quad_ms"]
        for scene, backdrop in conditions if args.profile else ():
            print("== frame pieces: %s, backdrop %s, %g s" % (SCENES[scene], BACKDROPS[backdrop][0], args.profile),
                  file=log, flush=True)
            rows[(scene, backdrop)]["profile_ms"] = bench.frame_loop(scene, backdrop, args.profile,
                                                                     profile=True)[1]["profile_ms"]
        loads.append(load_average())
        print("== start-up: %d starts of each, beside the minimal OpenGL program" % args.starts, file=log, flush=True)
        for _ in range(args.starts):
            for scene, backdrop in conditions:
                if backdrop == 0:
                    start, figures = bench.start_up("minimal_gl.exe")
                    minimal_starts.append(start)
                    minimal_steps.append(figures["steps"])
                start, figures = bench.frame_loop(scene, backdrop, 0)
                rows[(scene, backdrop)]["starts"].append(start)
                rows[(scene, backdrop)]["step_runs"].append(figures["steps"])
        loads.append(load_average())
        for scene, backdrop in conditions:
            name, desktop, gl_env = BACKDROPS[backdrop]
            if not args.exits or gl_env:
                continue
            print("== exit latency: %s, backdrop %s, %d runs" % (SCENES[scene], name, args.exits), file=log,
                  flush=True)
            bench.set_scene(scene, desktop)
            runs = [bench.exit_latency(1 if i % 2 == 0 else -1) for i in range(args.exits)]
            rows[(scene, backdrop)]["exit"] = runs
            polls += [(run[2], run[3]) for run in runs]
        loads.append(load_average())
    return rows, conditions, minimal_starts, polls, loads, os.path.getsize(bench.scr), floors, minimal_steps


def snapshot_size():
    width, height = SCREEN.split("x")[:2]
    return [int(width), int(height)]


def budget_from(extras, floors):
    ratios = [extra / floor for extra, floor in zip(extras, floors) if floor > 0]
    return median(extras), median(floors), median(ratios), ratios


def backdrop_budget(rows, scene, backdrop):
    """(the backdrop's extra frame time, the floor's extra, extra over floor), each the median of the rounds'
    interleaved runs, and the rounds' ratios."""
    runs = rows[(scene, backdrop)]["interleaved_rounds"]
    return budget_from([on - off for off, on, _, _, _ in runs], [picture - clear for _, _, clear, picture, _ in runs])


def quad_budget(rows, scene, backdrop):
    """The same for the backdrop quad alone (on minus the scene drawn as over the desktop without it), and
    the scene's own extra drawing over the desktop (that minus off), the median of the rounds'."""
    runs = rows[(scene, backdrop)]["interleaved_rounds"]
    return budget_from([on - bare for _, on, _, _, bare in runs],
                       [picture - clear for _, _, clear, picture, _ in runs]) + (
        median([bare - off for off, _, _, _, bare in runs]),)


def loop_budget(rows, scene, backdrop):
    """The same from the paced rows and their floor rows, seconds apart."""
    on, off = rows[(scene, backdrop)], rows[(scene, 0)]
    return budget_from([a["work_ms"][0] - b["work_ms"][0] for a, b in zip(on["rounds"], off["rounds"])],
                       [a["floor_ms"][0] - b["floor_ms"][0] for a, b in zip(on["floor_rounds"], off["floor_rounds"])])


def budget_notes(rows, conditions, floors):
    """Each scene's backdrop cost beside the floor's: extra frame time (on minus off) over the picture's."""
    notes = []
    for scene in sorted({scene for scene, _ in conditions}):
        if (scene, 0) not in rows:
            continue
        parts = []
        for backdrop in (1, 2):
            if (scene, backdrop) in rows:
                extra, floor, ratio, ratios = backdrop_budget(rows, scene, backdrop)
                quad = quad_budget(rows, scene, backdrop)
                parts.append("%s %+.1f ms (%.2f times the floor's %+.1f ms; rounds %s; paced rows %.2f): the quad "
                             "%+.1f ms (%.2f times), the scene's own drawing over the desktop %+.1f ms" % (
                                 BACKDROPS[backdrop][0], extra, ratio, floor, " ".join("%.2f" % r for r in ratios),
                                 loop_budget(rows, scene, backdrop)[2], quad[0], quad[2], quad[4]))
        notes.append("- %s: %s." % (SCENES[scene], "; ".join(parts)))
    return notes


PROFILE_PIECES = ("clear", "backdrop_quad", "scene_draw", "rest")


def startup_ratio_to_on(rows, scene, backdrop):
    """The strict profile's median start-up over the any-size profile's, for the strict row only."""
    if BACKDROP_KEYS[backdrop] != "on-gl11" or (scene, 1) not in rows:
        return None
    return median(rows[(scene, backdrop)]["starts"]) / median(rows[(scene, 1)]["starts"])


def startup_notes(rows, conditions, minimal_steps):
    """Each row's start-up step by step (medians), beside the minimal program's, and strict over any-size."""
    lines = ["", "Start-up step by step, median ms of all starts of each row:", "",
             "| Scene | backdrop | " + " | ".join(title for _, title in STEPS) + " | sum of the medians |",
             "|---|---|" + "---|" * (len(STEPS) + 1)]

    def line(scene, backdrop, steps):
        cells = ["%.1f" % steps[name] if name in steps else "-" for name, _ in STEPS]
        return "| %s | %s | %s | %.0f |" % (scene, backdrop, " | ".join(cells), sum(steps.values()))
    for scene, backdrop in conditions:
        lines.append(line(SCENES[scene], BACKDROPS[backdrop][0], median_steps(rows[(scene, backdrop)]["step_runs"])))
    lines.append(line("minimal OpenGL program", "", median_steps(minimal_steps)))
    ratios = ["%s %.2f" % (SCENES[scene], startup_ratio_to_on(rows, scene, backdrop))
              for scene, backdrop in conditions if startup_ratio_to_on(rows, scene, backdrop) is not None]
    if ratios:
        lines += ["", "Start-up on OpenGL 1.1 over start-up with textures of any size (backdrop on, medians): %s."
                  % "; ".join(ratios)]
    return lines


def profile_notes(rows, conditions, floors):
    """Where the backdrop's frame time goes: the floor's picture, the quad itself, the scene's extra drawing."""
    if not any("profile_ms" in rows[condition] for condition in conditions):
        return []
    lines = ["", "The frame's pieces in the profiling runs (glFinish around each; median ms): clear / backdrop "
             "quad / scene's drawing / rest, and the scene's drawing with the backdrop minus without it. "
             "The minimal program's picture, timed the same way: %s." % "; ".join(
                 "%s %.1f ms" % (FLOORS[i][0], floors[i]["floor_quad_ms"][0]) for i in (1, 2)
                 if "floor_quad_ms" in floors[i]), ""]
    for scene in sorted({scene for scene, _ in conditions}):
        off = rows.get((scene, 0), {}).get("profile_ms")
        parts = []
        for backdrop in range(len(BACKDROPS)):
            pieces = rows.get((scene, backdrop), {}).get("profile_ms")
            if not pieces:
                continue
            text = "%s %s" % (BACKDROPS[backdrop][0], " / ".join("%.1f" % v for v in pieces))
            if backdrop and off:
                text += " (floor's picture %+.1f, quad %.1f, scene's extra drawing %+.1f)" % (
                    loop_budget(rows, scene, backdrop)[1], pieces[1], pieces[2] - off[2])
            parts.append(text)
        lines.append("- %s: %s." % (SCENES[scene], "; ".join(parts)))
    return lines


def figures_json(rows, conditions, minimal_starts, floors, minimal_steps):
    """What the table shows, for scripts."""
    def budget(scene, backdrop):
        return backdrop_budget(rows, scene, backdrop) if backdrop else (None,) * 4

    def loop(scene, backdrop):
        return loop_budget(rows, scene, backdrop) if backdrop and (scene, 0) in rows else (None,) * 4

    def interleaved(scene, backdrop):
        runs = rows[(scene, backdrop)].get("interleaved_rounds")
        return dict(zip(("off", "on", "floor_clear", "floor_picture", "on_without_quad"),
                        (median([run[i] for run in runs]) for i in range(5)))) if runs else None

    return {
        "rows": [{
            "scene": SCENES[scene],
            "backdrop": BACKDROP_KEYS[backdrop],
            "frame_ms_median": rows[(scene, backdrop)]["work_ms"][0],
            "backdrop_extra_ms": budget(scene, backdrop)[0],
            "floor_extra_ms": budget(scene, backdrop)[1],
            "extra_over_floor": budget(scene, backdrop)[2],
            "interleaved_ms": interleaved(scene, backdrop),
            "quad_over_floor": quad_budget(rows, scene, backdrop)[2] if backdrop else None,
            "paced_extra_over_floor": loop(scene, backdrop)[2],
            "startup_ms_median": median(rows[(scene, backdrop)]["starts"]) * 1000.0,
            "peak_private_mb": rows[(scene, backdrop)]["peak_private_bytes"][0] / 2**20,
            "startup_steps_ms": median_steps(rows[(scene, backdrop)]["step_runs"]),
            "startup_ratio_to_on": startup_ratio_to_on(rows, scene, backdrop),
            "frame_profile_ms": (dict(zip(PROFILE_PIECES, rows[(scene, backdrop)]["profile_ms"]))
                                 if "profile_ms" in rows[(scene, backdrop)] else None),
        } for scene, backdrop in conditions],
        "minimal_startup_steps_ms": median_steps(minimal_steps),
        "floor_clear_ms": floors[0]["floor_ms"][0],
        "floor_picture_ms": floors[1]["floor_ms"][0],
        "floor_picture_gl11_ms": floors[2]["floor_ms"][0],
        "floor_picture_quad_ms": floors[1].get("floor_quad_ms", [None])[0],
        "floor_picture_quad_gl11_ms": floors[2].get("floor_quad_ms", [None])[0],
        "minimal_startup_ms": median(minimal_starts) * 1000.0,
        "snapshot": snapshot_size(),
    }


def table(args, rows, conditions, minimal_starts, polls, loads, scr_size, floors, minimal_steps):
    minimal = median(minimal_starts)
    lines = [
        "| Scene | backdrop | frames | `Advance` + `ComposeFrame`, median / p99 | interval between releases, "
        "mean / p1 / p99 | interval between presented frames, mean / p1 / p99 | process start to first "
        "presented frame, median | ratio to the minimal OpenGL program | exit: to window gone / to process "
        "gone, median | peak private memory |",
        "|---|---|---|---|---|---|---|---|---|---|",
    ]
    for scene, backdrop in conditions:
        row = rows[(scene, backdrop)]
        work = row["work_ms"]
        release = row["release_interval_ms"]
        present = row["present_interval_ms"]
        start = median(row["starts"])
        exits = row.get("exit", [])
        exit_text = ("%s / %s ms" % (ms(median([e[0] for e in exits])), ms(median([e[1] for e in exits])))
                     if exits else "-")
        lines.append("| %s | %s | %d | %.1f / %.1f ms | %.1f / %.1f / %.1f ms | %.1f / %.1f / %.1f ms | %s ms "
                     "| %.2f | %s | %.0f MB |" % (
                         SCENES[scene], BACKDROPS[backdrop][0], row["frames"][0], work[0], work[1],
                         release[0], release[1], release[2], present[0], present[1], present[2], ms(start),
                         start / minimal, exit_text, row["peak_private_bytes"][0] / 2**20))
    lines.append("| minimal OpenGL program | | | | | | %s ms | 1.00 | | |" % ms(minimal))
    for (name, _, _), figures in zip(FLOORS, floors):
        lines.append("| %s | | %d | %.1f / %.1f ms | | | | | | |" % (
            name, figures["floor_frames"][0], figures["floor_ms"][0], figures["floor_ms"][1]))
    notes = [
        "",
        "%g s of the frame loop per row in %d rounds; start-up: median of %d starts per row and of %d starts of the "
        "minimal program, interleaved; exit: median of %d runs of `nightloom.scr /s`, polled every %.1f ms "
        "(longest gap %.1f ms)." % (
            args.seconds, args.rounds, args.starts + args.rounds, len(minimal_starts), args.exits,
            statistics.mean(p[0] for p in polls) if polls else 0.0, max((p[1] for p in polls), default=0.0)),
        "`nightloom.scr`: %d bytes (%.0f KB). Load average (1 / 5 / 15 min) at start, after the loops, "
        "after the starts, at the end: %s." % (scr_size, scr_size / 1024.0, "; ".join(loads)),
        "",
        "The backdrop's extra frame time (on minus off) beside the floor's extra for the picture (picture "
        "minus clear), from the interleaved runs; \"paced rows\" gives the same ratio from the rows above:",
        "",
    ] + budget_notes(rows, conditions, floors) + profile_notes(rows, conditions, floors) + startup_notes(
        rows, conditions, minimal_steps)
    return "\n".join(lines + notes) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build")
    parser.add_argument("seconds", nargs="?", type=float, default=20.0)
    parser.add_argument("--scene", type=int, choices=sorted(SCENES), action="append",
                        help="only this scene (SceneStrategy N); may be given more than once")
    parser.add_argument("--rounds", type=int, default=4, help="rounds the frame loop's seconds are split into")
    parser.add_argument("--starts", type=int, default=3, help="short start-up runs per row (beside the loop's)")
    parser.add_argument("--exits", type=int, default=10, help="exit latency runs per row")
    parser.add_argument("--profile", type=float, default=5.0,
                        help="seconds of the profiling run per row (the frame's pieces); 0 leaves it out")
    args = parser.parse_args()
    began = time.time()
    result = measure(args)
    text = table(args, *result)
    rows, conditions, minimal_starts, _, _, _, floors, minimal_steps = result
    with open(os.path.join(args.build, "bench.json"), "w", encoding="utf-8") as f:
        json.dump(figures_json(rows, conditions, minimal_starts, floors, minimal_steps), f, indent=2)
        f.write("\n")
    text += "Whole run: %.0f s, %d cores, Wine 8, Mesa llvmpipe.\n" % (time.time() - began, os.cpu_count())
    with open(os.path.join(args.build, "bench.md"), "w", encoding="utf-8") as f:
        f.write(text)
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
