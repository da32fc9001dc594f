"""Switching the display to the stored mode and back, inside a Wine virtual
desktop: plain Xvfb offers a single mode, a virtual desktop some forty."""
import time
import unittest

from harness import COMMON_KEY, PROGRAM_KEY, SaverTestCase, wait_exit

DESKTOP = "nightloom,1280x1024"


class DisplaySwitch(SaverTestCase):
    def display(self):
        code, mode = self.session.probe("display", desktop=DESKTOP)
        self.assertEqual(code, 0)
        return mode["width"], mode["height"], mode["bits"]

    def test_switches_to_the_stored_mode_and_back(self):
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        self.session.reg_add(PROGRAM_KEY + r"\Status", "SwitchDisplay", "REG_DWORD", 1)
        for name, value in (("FullWidth", 800), ("FullHeight", 600), ("FullBits", 32), ("FullFrequency", 60),
                            ("ShowDesktop", 0), ("SceneStrategy", 4)):
            self.session.reg_add(PROGRAM_KEY, name, "REG_DWORD", value)

        saver = self.session.start_saver("/s", desktop=DESKTOP)
        time.sleep(3.0)
        self.assertEqual(self.display(), ("800", "600", "32"))
        code, window = self.session.probe("window", "DriftlanternsApp", desktop=DESKTOP)
        self.assertEqual(code, 0)
        self.assertEqual(window["rect"], "0,0,800,600")

        self.session.probe("sendkey", window["hwnd"], "27", desktop=DESKTOP)
        self.assertIsNotNone(wait_exit(saver, 15), "the saver did not end")
        self.assertEqual(self.display(), ("1280", "1024", "32"))
        self.assertIsNotNone(self.session.reg_dword(COMMON_KEY, "OpenGL_MaxTextureSize"))


if __name__ == "__main__":
    unittest.main()
