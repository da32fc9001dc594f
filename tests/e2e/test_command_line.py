"""The saver's switches as the system's screensaver machinery passes them."""
import os
import shutil
import subprocess
import unittest

from harness import COMMON_KEY, PREFIX, SCR, SaverTestCase, windows_path

NOT_FOUND = "Das Fenster kann nicht gefunden werden !"
SETTINGS_TITLE = "Einstellungen zu Nightloom (App)"


class ErrorBox(SaverTestCase):
    def assert_not_found_box(self, *switches):
        saver = self.session.start_saver(*switches)
        box = self.session.wait_for_box("Vorschau")
        self.assertIsNotNone(box, "no 'Vorschau' box for %r" % (switches,))
        self.assertEqual(box["text"], NOT_FOUND)
        self.assertEqual(box["buttons"], "ok")
        self.assertEqual(box["owner"], "0")
        self.assertEqual(saver.wait(timeout=30), 1)

    def test_bad_switch(self):
        self.assert_not_found_box("/x")

    def test_digit_is_a_bad_switch(self):
        self.assert_not_found_box("/1")

    def test_preview_without_handle(self):
        self.assert_not_found_box("/p")

    def test_preview_with_handle_zero(self):
        self.assert_not_found_box("/p", "0")

    def test_preview_host_in_other_capitalisation_is_handle_zero(self):
        self.assert_not_found_box("/p", "scrPrev")

    def test_password_without_handle(self):
        self.assert_not_found_box("/a")


class QuietExits(SaverTestCase):
    def assert_exits_without_box(self, *switches, program=windows_path(SCR)):
        # Watched while it runs: once it has ended, no box of it can be seen.
        code, boxes = self.session.run_watched(program, *switches)
        self.assertEqual(boxes, [], switches)
        self.assertEqual(code, 1, switches)

    def test_password_switch_with_handle_is_accepted(self):
        self.assert_exits_without_box("/a", "1234")
        self.assert_exits_without_box("-A:1234")

    def test_quoted_program_path_with_blanks(self):
        # Wine quotes a program path that contains blanks; the whole quoted path is
        # skipped before the switch is read.
        folder = os.path.join(PREFIX, "drive_c", "Program Files", "Night loom")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(SCR, os.path.join(folder, "nightloom.scr"))
        self.assert_exits_without_box("/a", "1234", program=r"C:\Program Files\Night loom\nightloom.scr")

    def test_settings_run_writes_no_texture_size(self):
        # Closed through its cancel button, or (with 1234, which is no window)
        # through the box that says the dialog could not open.
        for switches, title, button in (((), SETTINGS_TITLE, "2"), (("/c",), SETTINGS_TITLE, "2"),
                                        (("/c:1234",), "Fehler", "1")):
            saver = self.session.start_saver(*switches)
            code, dialog = self.session.probe("dialog", title, "--timeout", "60000")
            self.assertEqual(code, 0, switches)
            code, controls = self.session.probe("child-id", dialog["hwnd"], button)
            self.assertEqual(code, 0, switches)
            self.session.probe("click", controls["hwnd"])
            self.assertEqual(saver.wait(timeout=30), 1, switches)
            self.assertIsNone(self.session.reg_query(COMMON_KEY, "OpenGL_MaxTextureSize"), switches)


class ScreenSaverFlag(SaverTestCase):
    def test_flag_is_restored_as_it_was(self):
        for before in (True, False):
            self.session.set_screensaver_active(before)
            saver = self.session.start_saver("/x")
            self.assertIsNotNone(self.session.wait_for_box("Vorschau"))
            self.assertEqual(saver.wait(timeout=30), 1)
            self.assertEqual(self.session.screensaver_active(), before)

    def test_flag_is_off_while_the_box_shows(self):
        self.session.set_screensaver_active(True)
        saver = self.session.start_saver("/x")
        code, box = self.session.probe("box", "Vorschau", "--press", "none", "--timeout", "60000")
        self.assertEqual(code, 0)
        self.assertFalse(self.session.screensaver_active())
        self.session.probe("box", "Vorschau", "--press", "ok")
        self.assertEqual(saver.wait(timeout=30), 1)
        self.assertTrue(self.session.screensaver_active())


if __name__ == "__main__":
    unittest.main()
