"""The saver runs only its own code. A .scr is often tried straight from a
download folder, where anyone may have left DLLs under system names beside it
or a program in the current directory: none of them may run, in any run mode."""
import os
import shutil
import subprocess
import time
import unittest

from harness import PROGRAM_KEY, SCR, WIN_DIR, SaverTestCase, wait_exit, windows_path

PLANTED_DLL = os.path.join(WIN_DIR, "tests", "win", "planted.dll")
PLANTED_PROGRAM = os.path.join(WIN_DIR, "tests", "win", "planted_program.exe")
PREVIEW_HOST = os.path.join(WIN_DIR, "Scrprev.exe")
# None of them is a KnownDLL, which Windows would take from the system folder
# whatever the search order. version.dll, which the About box loads, is not
# planted here: Wine's own user32 imports it (Windows' does not), so under Wine
# every program, even one that imports nothing but user32, takes a planted
# version.dll at its start, before its first instruction. The Win32 test
# SystemFolders checks that the About box's copy comes from the system folder.
PLANTED_DLLS = ("opengl32", "glu32", "uxtheme")
# Wine prefers its own DLLs; told so, it searches for these as Windows does,
# the program's own folder first.
SEARCH_AS_WINDOWS = ",".join(PLANTED_DLLS) + "=n,b"
SETTINGS_TITLE = "Einstellungen zu Nightloom (App)"
ABOUT_BUTTON = "104"
OK_BUTTON = "1"
CANCEL_BUTTON = "2"
WS_VISIBLE = 0x10000000
QUIET = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}


class PlantedCode(SaverTestCase):
    def setUp(self):
        super().setUp()
        root = self.session.tmp
        # The saver as downloaded, with the DLLs beside it; a current directory
        # with a program named like the preview host; and a folder on PATH with
        # the real preview host, which the saver may still find there.
        self.downloads = os.path.join(root, "Downloads")
        self.current = os.path.join(root, "Arbeitsordner")
        self.on_path = os.path.join(root, "Programme")
        for folder in (self.downloads, self.current, self.on_path):
            os.makedirs(folder)
        self.saver = shutil.copy(SCR, os.path.join(self.downloads, "nightloom.scr"))
        for name in PLANTED_DLLS:
            shutil.copy(PLANTED_DLL, os.path.join(self.downloads, name + ".dll"))
        shutil.copy(PLANTED_PROGRAM, os.path.join(self.current, "Scrprev.exe"))
        shutil.copy(PREVIEW_HOST, os.path.join(self.on_path, "Scrprev.exe"))

    def start(self, *switches):
        env = dict(self.session.env, WINEPATH=windows_path(self.on_path))
        env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";" + SEARCH_AS_WINDOWS
        process = subprocess.Popen(["wine", self.saver, *switches], env=env, cwd=self.current, **QUIET)
        self.session.processes.append(process)
        return process

    def assert_only_its_own_code_ran(self):
        markers = {}
        for folder in (self.downloads, self.current):
            for name in os.listdir(folder):
                if name.endswith(".ran"):
                    with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                        markers[name] = f.read()
        self.assertEqual(markers, {}, "planted code ran")

    def frames_drawn(self, timeout=60):
        """Two shots in a row that differ, both with the glowing cube in them."""
        def lit(shot):
            return shot.count(lambda r, g, b: r.astype(int) + g + b > 300) > 500

        deadline = time.monotonic() + timeout
        before = None
        while time.monotonic() < deadline:
            shot = self.session.screenshot("planted-code-fullscreen")
            if before is not None and lit(before) and lit(shot) and shot.difference(before) > 0.1:
                return True
            before = shot
            time.sleep(0.5)
        return False

    def test_full_screen_with_pictures_over_the_desktop(self):
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", 1)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 1)
        saver = self.start("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        drawn = window is not None and self.frames_drawn()
        self.assert_only_its_own_code_ran()
        self.assertTrue(drawn, "the saver drew no frames")
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assert_only_its_own_code_ran()

    def open_settings(self, *switches):
        saver = self.start(*switches)
        code, dialog = self.session.probe("dialog", SETTINGS_TITLE, "--timeout", "60000")
        self.assert_only_its_own_code_ran()
        self.assertEqual(code, 0, "no settings dialog")
        return saver, dialog

    def click(self, dialog, control_id):
        code, control = self.session.probe("child-id", dialog["hwnd"], control_id)
        self.assertEqual(code, 0, control)
        self.assertEqual(self.session.probe("click", control["hwnd"])[0], 0)

    def test_settings_and_about_box(self):
        saver, dialog = self.open_settings("/c")
        self.click(dialog, ABOUT_BUTTON)
        code, about = self.session.probe("dialog", "Info", "--timeout", "60000")
        self.assert_only_its_own_code_ran()
        self.assertEqual(code, 0, "no About box")
        self.click(about, OK_BUTTON)
        # Then the settings dialog, usable again, closes with "Abbrechen".
        deadline = time.monotonic() + 30
        while self.session.probe("dialog", "Info", "--timeout", "0")[0] == 0:
            self.assertLess(time.monotonic(), deadline, "the About box did not close")
            time.sleep(0.2)
        self.click(dialog, CANCEL_BUTTON)
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assert_only_its_own_code_ran()

    def test_settings_without_a_switch(self):
        saver, dialog = self.open_settings()
        self.click(dialog, CANCEL_BUTTON)
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assert_only_its_own_code_ran()

    def test_preview_host_from_the_path_not_the_current_directory(self):
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", 1)
        saver = self.start("/p", "scrprev")
        host = self.session.wait_for_window("Scrprev")
        self.assert_only_its_own_code_ran()
        self.assertIsNotNone(host, "the preview host on PATH was not started")
        # The preview shows once its OpenGL context is made.
        code, screen = self.session.probe("child", host["hwnd"])
        self.assertEqual(code, 0, "the host has no screen")
        deadline = time.monotonic() + 60
        shown = False
        while not shown and time.monotonic() < deadline:
            code, tree = self.session.probe("tree", screen["hwnd"])
            shown = code == 0 and any(int(child["style"], 16) & WS_VISIBLE for child in tree["children"])
            time.sleep(0.2)
        self.assert_only_its_own_code_ran()
        self.assertTrue(shown, "no preview in the host")
        self.session.probe("close", host["hwnd"])
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assert_only_its_own_code_ran()


if __name__ == "__main__":
    unittest.main()
