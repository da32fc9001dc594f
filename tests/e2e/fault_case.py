"""What every fault test checks after the saver has gone: its exit code, the
boxes it showed, no render window left, and the system state as it was."""
import json
import os
import time

from harness import PROBE, SCR, SaverTestCase, in_desktop, wait_exit, windows_path


class WatchedRun:
    """The saver started by the probe, which presses and notes every box the
    saver shows while it lives and reports its exit code: a box shown by a
    process that has ended cannot be seen afterwards."""

    def __init__(self, session, switches, hook=None, desktop=None, timeout_ms=90000):
        self.session = session
        self.timeout_ms = timeout_ms
        self.out = os.path.join(session.tmp, "watched-%d.json" % time.monotonic_ns())
        args = [PROBE, "run", SCR, *switches, "--timeout", str(timeout_ms), "--out", windows_path(self.out)]
        if hook:
            args += ["--hook", hook]
        self.process = session.start(*in_desktop(desktop), *args)

    def result(self):
        """The probe's report once the run has ended: "exit", "boxes" (and
        "hook-noted" with a hook). An empty report when the probe wrote none."""
        wait_exit(self.process, self.timeout_ms / 1000 + 30)
        for _ in range(100):  # a probe inside a desktop outlives nothing, but its file may lag the exit
            if os.path.exists(self.out):
                break
            time.sleep(0.1)
        if not os.path.exists(self.out):
            return {}
        with open(self.out, encoding="ascii") as f:
            return json.load(f)


class FaultCase(SaverTestCase):
    """The screensaver-active flag is on before each run, so that a run that
    forgets to restore it, or restores it wrongly, shows."""

    desktop = None

    def setUp(self):
        super().setUp()
        self.session.set_screensaver_active(True)
        self.state_before = self.system_state()
        self.assertEqual(self.state_before["active"], "1")

    def system_state(self):
        # The flags are the session's, whichever desktop asks.
        code, values = self.session.probe("ssaver", "get")
        self.assertEqual(code, 0, "the screensaver flags cannot be read")
        return values

    def assert_ended_cleanly(self, report, boxes=()):
        """The run ended by itself with exit code 1, showed exactly the boxes
        given as (caption, text), and left no window and the flags as they were."""
        self.assertNotIn("error", report, "the saver did not end: %r" % report)
        self.assertEqual(report.get("exit"), "1")
        self.assertEqual([(box["caption"], box["text"]) for box in report["boxes"]], list(boxes))
        self.assert_nothing_left()

    def assert_nothing_left(self):
        code, _ = self.session.probe("wait-gone", "DriftlanternsApp", "--timeout", "30000", desktop=self.desktop)
        self.assertEqual(code, 0, "a render window was left behind")
        self.assertEqual(self.system_state(), self.state_before, "the screensaver flags changed")
