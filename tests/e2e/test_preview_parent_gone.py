"""The preview's parent window vanishes: before the render window is made,
between the window and the first frame, and while the preview runs. The
control panel does this whenever it replaces or closes its preview."""
import os
import unittest

from fault_case import FaultCase, WatchedRun
from harness import CLOCK_SCENE, PROGRAM_KEY, WIN_DIR

PREVIEW_HOST = os.path.join(WIN_DIR, "Scrprev.exe")
GENERAL = ("CreateApplicationWindow()", "CreateWindowEx() or PrepareEngine() failed!")
SC_SCREENSAVE = str(0xF140)


class PreviewParentGone(FaultCase):
    def setUp(self):
        super().setUp()
        # The calendar: its fonts make the slowest start, the widest gap
        # between window and first frame.
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        self.session.start(PREVIEW_HOST)
        self.host = self.session.wait_for_window("Scrprev")
        self.assertIsNotNone(self.host, "preview host did not start")

    def screen(self):
        code, screen = self.session.probe("child", self.host["hwnd"])
        self.assertEqual(code, 0, "the host has no screen")
        return screen["hwnd"]

    def remove_screen(self):
        """The host destroys its screen, the preview's parent, and puts up a new one."""
        code, reply = self.session.probe("destroy-child", self.host["hwnd"])
        self.assertEqual(code, 0, reply)

    def test_before_the_window(self):
        gone = self.screen()
        self.remove_screen()
        self.assertNotEqual(self.screen(), gone)
        run = WatchedRun(self.session, ["/p", gone])
        self.assert_ended_cleanly(run.result(), [GENERAL])

    def test_between_window_and_first_frame(self):
        # The hook removes the parent when the saver focuses its new window:
        # after the window and its GL context, before the view and the loop.
        run = WatchedRun(self.session, ["/p", self.screen()], hook="RemovePreviewParentOnFocus")
        report = run.result()
        self.assertEqual(report.get("hook-noted"), "1", "the parent was not removed at that stage: %r" % report)
        self.assert_ended_cleanly(report)

    def test_while_it_runs(self):
        screen = self.screen()
        run = WatchedRun(self.session, ["/p", screen])
        code, preview = self.session.probe("child", screen, "--timeout", "30000")
        self.assertEqual(code, 0, "no preview window inside the host")
        # A sent message is answered only once the frame loop polls the queue
        # (the probe gives up on a thread that has not polled for 5 s).
        for _ in range(6):
            code, reply = self.session.probe("syscommand", preview["hwnd"], SC_SCREENSAVE)
            if code == 0:
                break
        self.assertEqual(code, 0, "the frame loop did not answer: %r" % reply)
        self.assertIsNone(run.process.poll(), "the preview ended by itself")
        self.remove_screen()
        self.assert_ended_cleanly(run.result())


if __name__ == "__main__":
    unittest.main()
