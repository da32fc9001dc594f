"""What the user sees when the display or OpenGL cannot be had."""
import unittest

from harness import PROGRAM_KEY, SaverTestCase, wait_exit

GENERAL = "CreateWindowEx() or PrepareEngine() failed!"


class Failures(SaverTestCase):
    def display_mode(self):
        code, mode = self.session.probe("display")
        self.assertEqual(code, 0)
        return mode["width"], mode["height"], mode["bits"]

    def assert_no_render_window(self):
        code, _ = self.session.probe("wait-gone", "DriftlanternsApp", "--timeout", "5000")
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
        self.assertEqual(wait_exit(saver, 15), 1)
        self.assertEqual(self.display_mode(), before)


class NoOpenGl(SaverTestCase):
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
        self.assertEqual(wait_exit(saver, 15), 1)

    assert_no_render_window = Failures.assert_no_render_window


if __name__ == "__main__":
    unittest.main()
