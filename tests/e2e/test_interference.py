"""Other programs and the user interfering with a full-screen run: a second
instance, a flood of input while the saver starts, and WM_CLOSE sent from
outside, which ends the run like the saver's own close (exit code 1)."""
import subprocess
import threading
import time
import unittest

from fault_case import FaultCase, WatchedRun
from harness import CLOCK_SCENE, PROGRAM_KEY
from test_display_switch import DESKTOP, DisplaySwitchCase

VK_ESCAPE = "27"


class Interference(FaultCase):
    session_options = {"window_manager": True}

    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)

    def render_windows(self, count):
        code, found = self.session.probe("window", "DriftlanternsApp", "--count", count, "--timeout", "30000")
        self.assertEqual(code, 0, "%s render window(s) expected: %r" % (count, found))
        return [window["hwnd"] for window in found["windows"]]

    def test_second_instance_runs_and_ends_on_its_own(self):
        first = WatchedRun(self.session, ["/s"])
        (first_window,) = self.render_windows(1)
        second = WatchedRun(self.session, ["/s"])
        windows = self.render_windows(2)
        (second_window,) = [hwnd for hwnd in windows if hwnd != first_window]

        # The second found the flag already off: ending it must not turn it on
        # while the first still runs.
        self.session.probe("sendkey", second_window, VK_ESCAPE)
        self.assert_ended_cleanly_beside_another(second.result())
        self.assertEqual(self.system_state()["active"], "0", "the flag came back while a saver runs")
        self.assertIsNone(first.process.poll(), "the first saver ended with the second")

        self.session.probe("sendkey", first_window, VK_ESCAPE)
        self.assert_ended_cleanly(first.result())

    def assert_ended_cleanly_beside_another(self, report):
        self.assertNotIn("error", report, "the saver did not end: %r" % report)
        self.assertEqual((report.get("exit"), report.get("boxes")), ("1", []))

    def test_input_flood_during_start_up(self):
        flooding = threading.Event()
        flooding.set()

        def flood():
            # Keys, clicks and sideways moves, as fast as the X server takes them.
            while flooding.is_set():
                subprocess.run(["xdotool", "mousemove", "100", "100", "key", "space", "mousemove", "900", "700",
                                "click", "1", "key", "Escape"], env=self.session.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        flooder = threading.Thread(target=flood, daemon=True)
        flooder.start()
        try:
            run = WatchedRun(self.session, ["/s"])
            report = run.result()
        finally:
            flooding.clear()
            flooder.join()
        self.assert_ended_cleanly(report)


class CloseFromOutside(FaultCase, DisplaySwitchCase):
    """WM_CLOSE posted by another program to a run that switched the display:
    a normal end, the display back in its mode."""
    desktop = DESKTOP

    def test_wm_close_ends_the_run_and_restores_the_display(self):
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        run = WatchedRun(self.session, ["/s"], hook="NoteDisplayModeAtWindowEnd", desktop=DESKTOP)
        self.wait_for_desktop_owner()
        code, window = self.session.probe("window", "DriftlanternsApp", "--timeout", "30000", desktop=DESKTOP)
        self.assertEqual(code, 0, "no render window")
        self.assertEqual(self.display(), ("800", "600", "32"))
        self.assertIsNone(run.process.poll())
        code, _ = self.session.probe("close", window["hwnd"], desktop=DESKTOP)
        self.assertEqual(code, 0)
        report = run.result()
        self.assert_ended_cleanly(report)
        self.assertEqual(report.get("hook-noted"), "1", "the display was not back when the window went")
        self.assertEqual(self.display(), ("1280", "1024", "32"))


if __name__ == "__main__":
    unittest.main()
