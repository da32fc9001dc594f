"""Preview: the saver draws into a window of another process and ends with it.

Under Wine a child window owned by another process is created, sized and sent
messages like on Windows, but what it draws does not reach the X display, so
these tests look at windows and processes rather than pixels.
"""
import os
import time
import unittest

from harness import CLOCK_SCENE, PROGRAM_KEY, SaverTestCase, WIN_DIR, wait_exit, wait_for_work

PREVIEW_HOST = os.path.join(WIN_DIR, "Scrprev.exe")
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000


def centre(window):
    left, top, right, bottom = (int(v) for v in window["rect"].split(","))
    return (left + right) // 2, (top + bottom) // 2


class Preview(SaverTestCase):
    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)

    def start_host(self):
        self.session.start(PREVIEW_HOST)
        host = self.session.wait_for_window("Scrprev")
        self.assertIsNotNone(host, "preview host did not start")
        code, screen = self.session.probe("child", host["hwnd"])
        self.assertEqual(code, 0)
        return host, screen

    def wait_for_preview(self, host):
        """Waits for the render window inside the host and checks the host's
        window tree: host, its screen, and in the screen the render window alone,
        filling it."""
        code, screen = self.session.probe("child", host["hwnd"])
        self.assertEqual(code, 0, "the host has no screen")
        code, _ = self.session.probe("child", screen["hwnd"], "--timeout", "60000")
        self.assertEqual(code, 0, "no preview window inside the host")
        # The window exists before it is shown: it appears once its GL context is
        # ready, which takes a while on a loaded machine.
        deadline = time.monotonic() + 60
        while True:
            code, tree = self.session.probe("tree", host["hwnd"])
            self.assertEqual(code, 0)
            shown = [child for screen in tree["children"] for child in screen["children"]
                     if int(child["style"], 16) & WS_VISIBLE]
            if shown or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        self.assertEqual([child["class"] for child in tree["children"]], ["ScrprevScreen"])
        screen = tree["children"][0]
        self.assertEqual([child["class"] for child in screen["children"]], ["DriftlanternsApp"])
        preview = screen["children"][0]
        self.assertEqual(preview["parent"], screen["hwnd"])
        self.assertNotEqual(preview["pid"], tree["pid"], "the render window belongs to the saver")
        self.assertEqual(int(preview["style"], 16) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE)
        self.assertEqual(preview["rect"], screen["rect"])
        self.assertEqual(preview["client"], screen["client"])
        self.assertEqual(preview["children"], [])
        return preview

    def test_preview_fills_the_given_window_and_ignores_input(self):
        host, screen = self.start_host()
        saver = self.session.start_saver("/p", screen["hwnd"])
        preview = self.wait_for_preview(host)
        self.assertEqual(preview["client"], "152,112")
        for key in ("32", "27"):  # space, escape
            self.session.probe("sendkey", preview["hwnd"], key)
        x, y = centre(preview)
        code, target = self.session.probe("hit", x, y)
        self.assertEqual((code, target.get("hwnd")), (0, preview["hwnd"]), "the click would miss the preview")
        self.session.xdotool("mousemove", str(x), str(y))
        self.session.xdotool("click", "1")
        # A second of drawing after the input, and still there.
        self.assertTrue(wait_for_work(saver, 1.0), "the preview stopped drawing after the input")
        self.assertIsNone(saver.poll(), "input ended the preview")
        self.assertFalse(self.session.screensaver_active())

        # The control panel replaces its preview: the window goes, the run ends.
        code, _ = self.session.probe("destroy-child", preview["hwnd"])
        self.assertEqual(code, 0)
        # How soon is Wine's teardown, slower on a loaded machine; that the run ends is ours.
        self.assertEqual(wait_exit(saver, 30), 1, "the preview kept running without its window")

    def test_closing_the_host_ends_the_preview(self):
        host, screen = self.start_host()
        saver = self.session.start_saver("/p:" + screen["hwnd"])
        self.wait_for_preview(host)
        self.session.probe("close", host["hwnd"])
        self.assertEqual(wait_exit(saver, 30), 1)

    def test_scrprev_starts_the_preview_host(self):
        saver = self.session.start_saver("/p", "scrprev")
        host = self.session.wait_for_window("Scrprev")
        self.assertIsNotNone(host, "the saver did not start its preview host")
        self.wait_for_preview(host)
        self.assertIsNone(saver.poll())
        self.session.probe("close", host["hwnd"])
        self.assertEqual(wait_exit(saver, 30), 1)

    def test_scrprev_uses_a_running_host(self):
        host, _ = self.start_host()
        saver = self.session.start_saver("/l", "SCRPREV")
        self.wait_for_preview(host)  # in the host that was already running
        self.session.probe("close", host["hwnd"])
        self.assertEqual(wait_exit(saver, 30), 1)


if __name__ == "__main__":
    unittest.main()
