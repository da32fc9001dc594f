"""What the user sees when the display, OpenGL or the desktop snapshot cannot
be had."""
import unittest

from fault_case import FaultCase, WatchedRun
from harness import CLOCK_SCENE, COMMON_KEY, PROGRAM_KEY, wait_exit
from test_desktop import QUADRANTS, DesktopCase, clear_band_boxes, clock_shows, near

GENERAL = "CreateWindowEx() or PrepareEngine() failed!"


class Failures(FaultCase):
    def display_mode(self):
        code, mode = self.session.probe("display")
        self.assertEqual(code, 0)
        return mode["width"], mode["height"], mode["bits"]

    def assert_no_render_window(self):
        code, _ = self.session.probe("wait-gone", "DriftlanternsApp", "--timeout", "30000")
        self.assertEqual(code, 0, "a render window was left behind")

    def test_display_that_cannot_switch(self):
        # A plain X server offers only its own mode: the switch is refused.
        before = self.display_mode()
        self.session.reg_add(PROGRAM_KEY + r"\Status", "SwitchDisplay", "REG_DWORD", 1)
        self.session.reg_add(PROGRAM_KEY, "FullWidth", "REG_DWORD", 800)
        self.session.reg_add(PROGRAM_KEY, "FullHeight", "REG_DWORD", 600)
        saver = self.session.start_saver("/s")
        box = self.session.wait_for_box("DisplaySettings()", press="none")
        self.assertIsNotNone(box)
        self.assertEqual(box["text"], "Die Aufl\u00f6sung konnte nicht ge\u00e4ndert werden !!\n\n"
                                      "Das Programm wird beendet !")
        self.assert_no_render_window()
        self.session.wait_for_box("DisplaySettings()")
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assertEqual(self.display_mode(), before)
        self.assert_nothing_left()


class NoOpenGl(FaultCase):
    session_options = {"glx": False}

    def test_pixel_format_box_then_general_box(self):
        saver = self.session.start_saver("/s")
        specific = self.session.wait_for_box("Fehler")
        self.assertIsNotNone(specific, "no pixel format box")
        self.assertEqual(specific["text"], "Es konnte kein Pixelformat f\u00fcr OpenGL ausw\u00e4hlt werden !\n\n"
                                           "Das Programm wird beendet !")
        general = self.session.wait_for_box("CreateApplicationWindow()", press="none")
        self.assertIsNotNone(general, "no general box")
        self.assertEqual(general["text"], GENERAL)
        self.assertEqual(general["owner"], "0")
        self.assert_no_render_window()
        self.session.wait_for_box("CreateApplicationWindow()")
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assert_nothing_left()

    assert_no_render_window = Failures.assert_no_render_window


class CaptureFails(FaultCase, DesktopCase):
    """A desktop snapshot that cannot be made is no error: the run goes on
    without a backdrop."""

    def test_run_without_backdrop_and_the_next_limit_healed(self):
        # A stored texture size below zero, as another program could leave it,
        # asks for a snapshot surface that cannot exist.
        self.session.reg_add(COMMON_KEY, "OpenGL_MaxTextureSize", "REG_DWORD", "0xfffffffe")
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        self.show_known_picture("capture-fails-known-picture")
        run = WatchedRun(self.session, ["/s"])
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        shot = self.session.screenshot_when("capture-fails-kalender", clock_shows)
        self.assertTrue(clock_shows(shot), "no clock in %s" % shot.path)
        self.assertIsNone(run.process.poll(), "the saver ended by itself")
        self.assert_corners(shot, ((0, 0, 0),) * 4, "no backdrop", boxes=clear_band_boxes)
        for colour in QUADRANTS:
            self.assertEqual(shot.count(near(colour, 10)), 0, "%s in %s" % (colour, shot.path))
        self.session.probe("sendkey", window["hwnd"], "27")
        self.assert_ended_cleanly(run.result())
        self.assertGreaterEqual(self.session.reg_dword(COMMON_KEY, "OpenGL_MaxTextureSize"), 1024)


if __name__ == "__main__":
    unittest.main()
