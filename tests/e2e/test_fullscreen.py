"""Full screen: the calendar covers the screen until the user touches something."""
import time
import unittest

from harness import CLOCK_SCENE, COMMON_KEY, PROGRAM_KEY, SaverTestCase, wait_exit


class FullScreenCalendar(SaverTestCase):
    session_options = {"window_manager": True}

    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)

    def start(self):
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        # It keeps running while it draws: the clock's picture changes.
        self.assertTrue(self.session.wait_for_new_frame("fullscreen-running"), "no frame drawn")
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        # Once more now that it runs: the first look may catch it before it shows.
        window = self.session.wait_for_window("DriftlanternsApp")
        return saver, window

    def test_calendar_covers_the_screen(self):
        saver, window = self.start()
        self.assertEqual(window["rect"], "0,0,1280,1024")
        self.assertEqual(window["title"], "Nightloom (App)")
        self.assertEqual(window["visible"], "1")
        # Frames are on the screen once the clock shows: a loaded machine is slow to draw the first.
        shot = self.session.screenshot_when("fullscreen-calendar", lambda s: s.count_near((0, 255, 255), 60) > 150)
        self.assertGreater(shot.fraction_near((0, 0, 0), 10), 0.4, "background is not black")
        counts = {
            "white grid": shot.count_near((255, 255, 255), 30),
            "blue month": shot.count_near((0, 0, 255), 60),
            "cyan clock": shot.count_near((0, 255, 255), 60),
            "yellow today": shot.count_near((255, 255, 0), 60),
            "red weekdays": shot.count(lambda r, g, b: (r > 110) & (g < 40) & (b < 40)),
            "green days": shot.count(lambda r, g, b: (g > 100) & (r < 60) & (b < 60)),
        }
        for name, count in counts.items():
            self.assertGreater(count, 150, "%s: only %d pixels in %s" % (name, count, shot.path))
        # The sheet is centred: its grid reaches into all four quadrants.
        for box in ((0, 0, 640, 512), (640, 0, 1280, 512), (0, 512, 640, 1024), (640, 512, 1280, 1024)):
            self.assertGreater(shot.count_near((255, 255, 255), 30, box), 50, box)
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 30), 1)

    def test_vertical_movement_keeps_it_horizontal_ends_it(self):
        saver, _ = self.start()
        # Xvfb starts with the pointer in the middle of the screen, x = 640.
        self.session.xdotool("mousemove", "640", "500")
        self.session.xdotool("mousemove_relative", "--", "0", "40")
        # Frames drawn after the movement: it was read and the saver went on.
        self.assertTrue(self.session.wait_for_new_frame("fullscreen-after-vertical"), "no frame after the movement")
        self.assertIsNone(saver.poll(), "a vertical movement ended the saver")
        self.session.xdotool("mousemove_relative", "--", "1", "0")
        self.assertEqual(wait_exit(saver, 30), 1, "one pixel to the side did not end the saver")

    def test_key_ends_it(self):
        saver, _ = self.start()
        self.session.xdotool("key", "space")
        self.assertEqual(wait_exit(saver, 30), 1)

    def test_click_ends_it(self):
        saver, _ = self.start()
        self.session.xdotool("click", "1")
        self.assertEqual(wait_exit(saver, 30), 1)

    def test_system_state_during_and_after_the_run(self):
        self.session.set_screensaver_active(True)
        saver, window = self.start()
        self.assertFalse(self.session.screensaver_active())
        code, cursor = self.session.probe("cursor")
        self.assertEqual(cursor.get("showing"), "0", "cursor still shown")
        # Requests to start the screensaver or power the monitor down are
        # swallowed: they never reach the default handling, which other system
        # commands (here the menu key) still do.
        for request, reaches_default in ((0xF140, "0"), (0xF170, "0"), (0xF100, "1")):
            code, reply = self.session.probe("syscommand", window["hwnd"], str(request))
            self.assertEqual(code, 0, reply)
            self.assertEqual((reply["result"], reply["default"]), ("0", reaches_default), hex(request))
            self.assertIsNone(saver.poll())
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assertTrue(self.session.screensaver_active())
        size = self.session.reg_dword(COMMON_KEY, "OpenGL_MaxTextureSize")
        self.assertIsNotNone(size, "OpenGL_MaxTextureSize not written")
        self.assertGreaterEqual(size, 1024)


if __name__ == "__main__":
    unittest.main()
