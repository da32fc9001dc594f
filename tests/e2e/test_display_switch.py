"""Switching the display to the stored mode and back, inside a Wine virtual
desktop: plain Xvfb offers a single mode, a virtual desktop some forty. Every
way a run ends must leave the display in the mode it had before."""
import os
import subprocess
import time
import unittest

from harness import CLOCK_SCENE, COMMON_KEY, PROGRAM_KEY, WIN_DIR, SaverTestCase, in_desktop, wait_exit
from test_desktop import near

DESKTOP = "nightloom,1280x1024"
PREVIEW_HOST = os.path.join(WIN_DIR, "Scrprev.exe")


class DisplaySwitchCase(SaverTestCase):
    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY + r"\Status", "SwitchDisplay", "REG_DWORD", 1)
        for name, value in (("FullWidth", 800), ("FullHeight", 600), ("FullBits", 32), ("FullFrequency", 60),
                            ("SceneStrategy", CLOCK_SCENE)):
            self.session.reg_add(PROGRAM_KEY, name, "REG_DWORD", value)

    def wait_for_desktop_owner(self):
        """The desktop lives in the first process started into it: a probe
        started before the host's desktop exists would own it and wait for
        the host to end. So wait until the desktop's X window is there."""
        for _ in range(300):
            found = subprocess.run(["xdotool", "search", "--name", "Wine desktop"], env=self.session.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if found.returncode == 0:
                break
            time.sleep(0.2)
        time.sleep(2.0)

    def display(self):
        code, mode = self.session.probe("display", desktop=DESKTOP)
        self.assertEqual(code, 0)
        return mode["width"], mode["height"], mode["bits"]

    def box(self, caption, press="ok"):
        code, box = self.session.probe("box", caption, "--timeout", "30000", "--press", press, desktop=DESKTOP,
                                       timeout=120)
        self.assertEqual(code, 0, "no box %r" % caption)
        return box


class DisplaySwitch(DisplaySwitchCase):
    def test_switches_to_the_stored_mode_and_back(self):
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        saver = self.session.start_saver("/s", desktop=DESKTOP)
        self.wait_for_desktop_owner()
        # The window comes after the switch.
        code, window = self.session.probe("window", "DriftlanternsApp", "--timeout", "60000", desktop=DESKTOP)
        self.assertEqual(code, 0)
        self.assertEqual(self.display(), ("800", "600", "32"))
        self.assertEqual(window["rect"], "0,0,800,600")
        # The snapshot of the desktop (ShowDesktop is on by default) was taken
        # before the switch and is stretched over the new mode: no white.
        shot = self.session.screenshot_when("display-switch-800x600",
                                            lambda s: s.count(near((0, 255, 255), 60), (0, 0, 800, 600)) > 100)
        self.assertGreater(shot.count(near((0, 255, 255), 60), (0, 0, 800, 600)), 100, "no clock in %s" % shot.path)
        self.assertEqual(shot.count(near((255, 255, 255), 10), (0, 0, 800, 600)), 0, "white in %s" % shot.path)

        self.session.probe("sendkey", window["hwnd"], "27", desktop=DESKTOP)
        self.assertIsNotNone(wait_exit(saver, 30), "the saver did not end")
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        self.assertIsNotNone(self.session.reg_dword(COMMON_KEY, "OpenGL_MaxTextureSize"))

    def test_preview_never_switches_and_ends_with_its_parent(self):
        self.session.start(*in_desktop(DESKTOP), PREVIEW_HOST)
        self.wait_for_desktop_owner()
        code, host = self.session.probe("window", "Scrprev", "--timeout", "60000", desktop=DESKTOP)
        self.assertEqual(code, 0, "preview host did not start")
        code, screen = self.session.probe("child", host["hwnd"], desktop=DESKTOP)
        self.assertEqual(code, 0)
        saver = self.session.start_saver("/p", screen["hwnd"], desktop=DESKTOP)
        code, preview = self.session.probe("child", screen["hwnd"], "--timeout", "60000", desktop=DESKTOP)
        self.assertEqual(code, 0, "no preview window inside the host")
        time.sleep(1.0)
        self.assertEqual(self.display(), ("1280", "1024", "32"))

        self.session.probe("destroy-child", preview["hwnd"], desktop=DESKTOP)
        # (The exit code is the desktop's explorer's, not the saver's.)
        self.assertIsNotNone(wait_exit(saver, 30), "the preview kept running without its window")
        self.assertEqual(self.display(), ("1280", "1024", "32"))


class SwitchThenFailure(DisplaySwitchCase):
    """The switch succeeds, then OpenGL cannot be had (no GLX on the X server)."""
    session_options = {"glx": False}

    def test_display_is_back_before_the_last_box_and_after_the_exit(self):
        saver = self.session.start_saver("/s", desktop=DESKTOP)
        self.wait_for_desktop_owner()
        self.box("Fehler", press="none")
        self.assertEqual(self.display(), ("800", "600", "32"), "the switch came before the failure")
        self.box("Fehler")
        general = self.box("CreateApplicationWindow()", press="none")
        self.assertEqual(general["text"], "CreateWindowEx() or PrepareEngine() failed!")
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        self.box("CreateApplicationWindow()")
        self.assertIsNotNone(wait_exit(saver, 30), "the saver did not end")
        self.assertEqual(self.display(), ("1280", "1024", "32"))


if __name__ == "__main__":
    unittest.main()
