"""A display scaled to 150 %: the logical resolution raised to 144 pixels per inch.

Wine 8 does not virtualise programs that declare no DPI awareness: every process
sees 144 and the full screen whether the manifest declares awareness or not. So
these runs show that the program works at a raised resolution (pictures at their
own pixel size, full-screen window on every pixel, dialogs laid out in the larger
font); that the declaration is present is checked on the manifest itself
(win_unit.SaverManifest).
"""
import os
import subprocess
import time
import unittest

from harness import CLOCK_SCENE, PROGRAM_KEY, SaverTestCase, WIN_DIR, wait_exit

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
HIGH_DPI = 144
WIN_TESTS = os.path.join(WIN_DIR, "tests", "win", "nightloom_win_tests.exe")
DIALOG_TITLE = "Einstellungen zu Nightloom (App)"


class HighDpiCase(SaverTestCase):
    session_options = {"window_manager": True}

    def setUp(self):
        super().setUp()
        # The prefix is shared with every other test: put 96 back whatever happens.
        self.addCleanup(self.set_logical_resolution, 96)

    def set_logical_resolution(self, dpi):
        """Every program started from now on sees dpi: without that the runs below test nothing."""
        self.session.reg_add(DESKTOP_KEY, "LogPixels", "REG_DWORD", dpi)
        code, display = self.session.probe("display")
        self.assertEqual((code, display.get("logpixels")), (0, str(dpi)), "a new program does not see %d" % dpi)


class PicturesAtHighDpi(HighDpiCase):
    def test_jpg_pictures_and_picture_files_arrive_at_their_own_pixel_size(self):
        self.set_logical_resolution(HIGH_DPI)
        tests = "ImageSourceTest.*:TextureTest.ResourcesBecomeRgbaTexturesTopRowFirst"
        result = subprocess.run(["wine", WIN_TESTS, "--gtest_filter=" + tests], env=self.session.env, timeout=120,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        output = result.stdout.decode("utf-8", "replace")
        self.assertEqual(result.returncode, 0, output)
        self.assertIn("[  PASSED  ] 6 tests", output)


class SaverAtHighDpi(HighDpiCase):
    def dialog_rect(self, name):
        saver = self.session.start_saver("/c")
        code, dialog = self.session.probe("dialog", DIALOG_TITLE, "--timeout", "60000")
        self.assertEqual(code, 0, "no settings dialog")
        time.sleep(1.0)
        self.session.screenshot(name)
        code, report = self.session.probe("controls", dialog["hwnd"])
        self.assertEqual(code, 0)
        cancel = next(c for c in report["controls"] if c["id"] == "2" and c["parent"] == dialog["hwnd"])
        box = [int(v) for v in cancel["rect"].split(",")]
        self.session.xdotool("mousemove", str((box[0] + box[2]) // 2), str((box[1] + box[3]) // 2), "click", "1")
        self.assertEqual(wait_exit(saver, 30), 1)
        return [int(v) for v in dialog["rect"].split(",")], report["controls"]

    def test_settings_dialog_keeps_every_control_inside(self):
        self.set_logical_resolution(HIGH_DPI)
        high, controls = self.dialog_rect("settings-144dpi")
        for control in controls:
            if control["visible"] != "1":
                continue
            box = [int(v) for v in control["rect"].split(",")]
            self.assertTrue(high[0] <= box[0] and box[2] <= high[2] and high[1] <= box[1] and box[3] <= high[3],
                            "%s %r outside the dialog %r" % (control["class"], control["text"], high))

    def test_full_screen_covers_every_pixel(self):
        self.set_logical_resolution(HIGH_DPI)
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        self.assertEqual(window["rect"], "0,0,1280,1024")
        self.assertEqual(window["client"], "1280,1024")
        # The calendar sheet is centred on the whole screen: its grid reaches
        # into all four quadrants (once the frames come: a loaded machine is
        # slow to draw the first), and black reaches the far corner.
        quadrants = ((0, 0, 640, 512), (640, 0, 1280, 512), (0, 512, 640, 1024), (640, 512, 1280, 1024))
        def grid(shot):
            return [shot.count_near((255, 255, 255), 30, box) for box in quadrants]
        shot = self.session.screenshot_when("fullscreen-144dpi", lambda shot: min(grid(shot)) > 50)
        self.assertGreater(min(grid(shot)), 50, "grid %r in %s" % (grid(shot), shot.path))
        # (Below row 960 the rocking sheet never reaches at any tilt.)
        self.assertGreater(shot.fraction_near((0, 0, 0), 10, (1180, 964, 1280, 1024)), 0.9)
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 30), 1)


if __name__ == "__main__":
    unittest.main()
