"""The installer nightloom-setup.exe, silent, under Wine: where the saver lands,
the uninstall entry, the current screensaver, and what uninstalling leaves."""
import os
import shutil
import time
import unittest

import harness

SETUP = os.path.join(harness.WIN_DIR, "nightloom-setup.exe")
SYSTEM_SAVER = os.path.join(harness.PREFIX, "drive_c", "windows", "system32", "nightloom.scr")
WOW64_SAVER = os.path.join(harness.PREFIX, "drive_c", "windows", "syswow64", "nightloom.scr")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nightloom"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTINGS_KEY = harness.PROGRAM_KEY


@unittest.skipIf(shutil.which("makensis") is None, "NSIS is not installed: the build makes no installer")
class SilentInstall(harness.SaverTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if not os.path.exists(SETUP):
            raise AssertionError("missing build output: %r" % SETUP)

    def setUp(self):
        super().setUp()
        self.forget_installation()
        self.addCleanup(self.forget_installation)

    def forget_installation(self):
        for path in (SYSTEM_SAVER, WOW64_SAVER):
            if os.path.exists(path):
                os.remove(path)
        self.session.reg_delete(UNINSTALL_KEY)
        self.session.wine("reg", "delete", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/f")

    def install(self, *options):
        result = self.session.wine(SETUP, "/S", *options, timeout=120)
        self.assertEqual(result.returncode, 0, "the installer failed")

    def uninstall(self):
        entry = self.session.reg_query(UNINSTALL_KEY, "UninstallString")
        self.assertIsNotNone(entry)
        uninstaller = entry[1].strip('"')
        self.session.wine(uninstaller, "/S", timeout=120)
        # The uninstaller hands its work to a copy of itself and returns at once.
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if not os.path.exists(SYSTEM_SAVER) and self.session.reg_query(UNINSTALL_KEY, "DisplayName") is None:
                return
            time.sleep(0.5)

    def uninstall_entry(self):
        values = {}
        for name in ("DisplayName", "UninstallString", "DisplayVersion", "Publisher"):
            value = self.session.reg_query(UNINSTALL_KEY, name)
            values[name] = value[1] if value else None
        return values

    def current_saver(self):
        value = self.session.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE")
        return value[1] if value else None

    def test_install_places_the_saver_and_registers_the_uninstaller_which_keeps_the_settings(self):
        self.install()
        self.assertTrue(os.path.exists(SYSTEM_SAVER), "not in the 64-bit system folder")
        self.assertFalse(os.path.exists(WOW64_SAVER), "landed in the 32-bit system folder")
        with open(SYSTEM_SAVER, "rb") as placed, open(harness.SCR, "rb") as built:
            self.assertEqual(placed.read(), built.read())
        entry = self.uninstall_entry()
        self.assertEqual(entry["DisplayName"], "Nightloom (Bildschirmschoner)")
        self.assertEqual(entry["DisplayVersion"], harness.project_version())
        self.assertEqual(entry["Publisher"], "Velbrook")
        self.assertRegex(entry["UninstallString"] or "", r'^"C:\\.+\.exe"$')
        self.assertIsNone(self.current_saver(), "a silent install changed the current screensaver")

        self.session.reg_add(SETTINGS_KEY, "TabIndex", "REG_DWORD", 1)
        self.uninstall()
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver is still there")
        self.assertEqual(self.uninstall_entry(), dict.fromkeys(entry), "the uninstall entry is still there")
        self.assertEqual(self.session.reg_dword(SETTINGS_KEY, "TabIndex"), 1, "the user's settings are gone")

    def test_aktiv_makes_it_the_current_screensaver_until_uninstalled(self):
        self.install("/AKTIV")
        self.assertEqual((self.current_saver() or "").lower(), r"c:\windows\system32\nightloom.scr")
        self.uninstall()
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver is still there")
        self.assertIsNone(self.current_saver(), "the current screensaver still names the removed file")


if __name__ == "__main__":
    unittest.main()
