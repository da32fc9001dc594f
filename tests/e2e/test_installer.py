"""The installer nightloom-setup.exe under Wine: where the saver lands, the
uninstall entry, the current screensaver, and what uninstalling leaves;
silently, over a saver in use, and page by page as a person meets it."""
import glob
import ntpath
import os
import shutil
import subprocess
import time
import unittest

import harness

SETUP = os.path.join(harness.WIN_DIR, "nightloom-setup.exe")
SYSTEM32 = os.path.join(harness.PREFIX, "drive_c", "windows", "system32")
SYSTEM_SAVER = os.path.join(SYSTEM32, "nightloom.scr")
SYSTEM_SAVER_WINDOWS = r"C:\windows\system32\nightloom.scr"
WOW64_SAVER = os.path.join(harness.PREFIX, "drive_c", "windows", "syswow64", "nightloom.scr")
DEFAULT_FOLDER = os.path.join(harness.PREFIX, "drive_c", "Program Files", "Velbrook")
OTHER_FOLDER = r"C:\Andere\Nightloom"
OTHER_FOLDER_UNIX = os.path.join(harness.PREFIX, "drive_c", "Andere")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nightloom"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SESSION_MANAGER_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager"
SETTINGS_KEY = harness.PROGRAM_KEY
SETTINGS_TITLE = "Einstellungen zu Nightloom (App)"
# NSIS's caption, then each page's subcaption, which the modern pages leave blank.
INSTALLER_TITLE = "Installation von Nightloom "
UNINSTALLER_TITLE = "Deinstallation von Nightloom "
REBOOT_REQUIRED = 3010
QUIET = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}


def read(path):
    with open(path, "rb") as f:
        return f.read()


@unittest.skipIf(shutil.which("makensis") is None, "NSIS is not installed: the build makes no installer")
class InstallerCase(harness.SaverTestCase):

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
        for path in [SYSTEM_SAVER, WOW64_SAVER] + self.moved_aside():
            if os.path.exists(path):
                os.remove(path)
        for folder in (DEFAULT_FOLDER, OTHER_FOLDER_UNIX):
            shutil.rmtree(folder, ignore_errors=True)
        self.session.reg_delete(UNINSTALL_KEY)
        self.session.reg("delete", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/f")
        self.session.reg("delete", SESSION_MANAGER_KEY, "/v", "PendingFileRenameOperations", "/f")

    @staticmethod
    def moved_aside():
        return glob.glob(os.path.join(SYSTEM32, "nightloom.scr.*"))

    def install(self, *options, expect=0):
        """Silently, watched from inside Windows, which sees the whole exit code."""
        code, boxes = self.session.run_watched(harness.windows_path(SETUP), "/S", *options, timeout_ms=120000)
        self.assertEqual(boxes, [], "a silent install showed a box")
        self.assertEqual(code, expect, "the installer's exit code")

    def uninstaller(self):
        entry = self.session.reg_query(UNINSTALL_KEY, "UninstallString")
        self.assertIsNotNone(entry, "no uninstall entry")
        return entry[1].strip('"')

    def uninstall(self):
        self.session.wine(self.uninstaller(), "/S", timeout=120)
        # The uninstaller hands its work to a copy of itself and returns at once.
        self.wait_uninstalled()

    def wait_uninstalled(self):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if not os.path.exists(SYSTEM_SAVER) and self.session.reg_query(UNINSTALL_KEY, "DisplayName") is None:
                return
            time.sleep(0.5)

    def uninstall_in_place(self):
        """`_?=FOLDER` keeps the uninstaller from handing over to a copy: it
        works in place and its exit code is the real one. NSIS reads it only
        unquoted, and the probe quotes a word with blanks: install to a folder
        without any."""
        uninstaller = self.uninstaller()
        code, boxes = self.session.run_watched(uninstaller, "/S", "_?=" + ntpath.dirname(uninstaller),
                                               timeout_ms=120000)
        self.assertEqual(boxes, [], "a silent uninstall showed a box")
        return code

    def uninstall_entry(self):
        values = {}
        for name in ("DisplayName", "UninstallString", "DisplayVersion", "Publisher"):
            value = self.session.reg_query(UNINSTALL_KEY, name)
            values[name] = value[1] if value else None
        return values

    def current_saver(self):
        value = self.session.reg_query(DESKTOP_KEY, "SCRNSAVE.EXE")
        return value[1] if value else None

    def assert_installed(self):
        self.assertTrue(os.path.exists(SYSTEM_SAVER), "not in the 64-bit system folder")
        self.assertFalse(os.path.exists(WOW64_SAVER), "landed in the 32-bit system folder")
        self.assertEqual(read(SYSTEM_SAVER), read(harness.SCR))
        entry = self.uninstall_entry()
        self.assertEqual(entry["DisplayName"], "Nightloom (Bildschirmschoner)")
        self.assertEqual(entry["DisplayVersion"], harness.project_version())
        self.assertEqual(entry["Publisher"], "Velbrook")
        self.assertRegex(entry["UninstallString"] or "", r'^"C:\\.+\.exe"$')
        return entry

    def assert_uninstalled_keeping_settings(self, entry):
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver is still there")
        self.assertEqual(self.uninstall_entry(), dict.fromkeys(entry), "the uninstall entry is still there")
        self.assertEqual(self.session.reg_dword(SETTINGS_KEY, "TabIndex"), 1, "the user's settings are gone")


class SilentInstall(InstallerCase):

    def test_install_places_the_saver_and_registers_the_uninstaller_which_keeps_the_settings(self):
        self.install()
        entry = self.assert_installed()
        self.assertIsNone(self.current_saver(), "a silent install changed the current screensaver")

        other_saver = r"C:\windows\system32\andere.scr"
        self.session.reg_add(DESKTOP_KEY, "SCRNSAVE.EXE", "REG_SZ", other_saver)
        self.session.reg_add(SETTINGS_KEY, "TabIndex", "REG_DWORD", 1)
        self.uninstall()
        self.assert_uninstalled_keeping_settings(entry)
        self.assertEqual(self.current_saver(), other_saver, "another saver's choice was undone")

    def test_only_the_word_aktiv_in_any_case_makes_it_the_current_screensaver_until_uninstalled(self):
        for near_miss in ("/AKTIV=0", "/AKTIVIEREN"):
            self.install(near_miss)
            self.assertIsNone(self.current_saver(), "%s made Nightloom current" % near_miss)
        self.install("/aktiv")
        self.assertEqual((self.current_saver() or "").lower(), SYSTEM_SAVER_WINDOWS.lower())
        self.uninstall()
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver is still there")
        self.assertIsNone(self.current_saver(), "the current screensaver still names the removed file")

    def test_a_reinstall_goes_to_the_folder_of_the_last_installation(self):
        self.install("/D=" + OTHER_FOLDER)
        self.install()
        self.assertEqual(self.uninstall_entry()["UninstallString"], '"%s\\Deinstallieren.exe"' % OTHER_FOLDER)
        self.assertFalse(os.path.exists(DEFAULT_FOLDER), "a second uninstaller in the default folder")


class SaverInUse(InstallerCase):
    """Wine, like Windows, refuses to overwrite or delete a program file that
    runs and lets it be renamed; `wineboot -r` carries out what was queued for
    the restart."""

    def restart_windows(self, running):
        running.kill()
        running.wait()
        self.session.wine("wineboot", "-r", timeout=180)

    def pending_at_restart(self):
        value = self.session.reg_query(SESSION_MANAGER_KEY, "PendingFileRenameOperations")
        return value[1].lower() if value else ""

    def test_install_over_a_running_saver_places_the_new_one_and_removes_the_old_at_the_restart(self):
        self.install()
        with open(SYSTEM_SAVER, "ab") as installed:
            installed.write(b"older")  # an older saver, told apart by its tail
        saver = self.session.start(SYSTEM_SAVER_WINDOWS, "/s")
        self.assertIsNotNone(self.session.wait_for_window("DriftlanternsApp"), "the installed saver did not start")

        self.install(expect=REBOOT_REQUIRED)
        self.assertEqual(read(SYSTEM_SAVER), read(harness.SCR), "the new saver is not in place")
        aside = self.moved_aside()
        self.assertEqual(len(aside), 1, aside)
        self.assertTrue(read(aside[0]).endswith(b"older"), "what was moved aside is not the running saver")
        self.assertIn(os.path.basename(aside[0]).lower(), self.pending_at_restart())

        self.restart_windows(saver)
        self.assertEqual(self.moved_aside(), [], "the old saver outlived the restart")
        self.assertEqual(read(SYSTEM_SAVER), read(harness.SCR), "the restart removed the new saver")

    def test_uninstalling_a_saver_in_use_spares_a_reinstall_before_the_restart(self):
        self.install("/D=" + OTHER_FOLDER)
        settings = self.session.start(SYSTEM_SAVER_WINDOWS)
        code, _ = self.session.probe("dialog", SETTINGS_TITLE, "--timeout", "30000", timeout=60)
        self.assertEqual(code, 0, "the installed saver's settings did not open")

        self.assertEqual(self.uninstall_in_place(), REBOOT_REQUIRED)
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver in use is still under its name")
        self.assertIsNone(self.session.reg_query(UNINSTALL_KEY, "DisplayName"), "the uninstall entry is still there")

        self.install()
        self.restart_windows(settings)
        self.assertTrue(os.path.exists(SYSTEM_SAVER), "the restart deleted the saver installed before it")
        self.assertEqual(self.moved_aside(), [], "the old saver outlived the restart")


class SaverStuck(InstallerCase):
    """A saver that can be neither replaced nor renamed: installing and
    uninstalling fail and say so, silently by the exit code, interactively by
    the pages."""

    def stick(self):
        # Wine quirk: as root nothing Windows does can keep a file from being
        # written or renamed; Linux's immutable flag can.
        if subprocess.run(["chattr", "+i", SYSTEM_SAVER], **QUIET).returncode != 0:
            self.skipTest("chattr +i needs root on a file system that has the flag")
        self.addCleanup(subprocess.run, ["chattr", "-i", SYSTEM_SAVER], **QUIET)

    def test_a_saver_that_cannot_be_removed_fails_the_uninstall_and_stays_current(self):
        self.install("/AKTIV", "/D=" + OTHER_FOLDER)  # /D= comes last
        self.stick()
        self.assertEqual(self.uninstall_in_place(), 2, "the uninstaller's exit code")
        self.assertIsNotNone(self.session.reg_query(UNINSTALL_KEY, "DisplayName"), "the entry of a saver still there")
        self.assertEqual((self.current_saver() or "").lower(), SYSTEM_SAVER_WINDOWS.lower(),
                         "the current screensaver was forgotten, though the saver is still installed")

    def test_a_saver_that_cannot_be_replaced_fails_the_install(self):
        with open(SYSTEM_SAVER, "wb") as older:
            older.write(b"older")
        self.stick()
        self.install(expect=2)
        self.assertEqual(read(SYSTEM_SAVER), b"older")
        self.assertIsNone(self.session.reg_query(UNINSTALL_KEY, "DisplayName"), "an entry for a failed install")

        setup = self.session.start(SETUP)
        installer = harness.Wizard(self.session, INSTALLER_TITLE)
        dialog, controls = installer.wait_for_next("&Installieren")
        self.session.probe("click", installer.next_button(controls, dialog)["hwnd"])
        box = self.session.wait_for_box(INSTALLER_TITLE.strip())
        self.assertIsNotNone(box, "no message")
        self.assertIn("Nightloom konnte nicht nach", box["text"])
        self.assertEqual(box["buttons"], "ok")
        dialog, controls = installer.wait_for_text("Abbruch der Installation")
        self.assertNotIn("Fertig", [c["text"] for c in controls])
        buttons = {c["id"]: c for c in controls if c["parent"] == dialog["hwnd"] and c["class"] == "Button"}
        self.assertEqual((buttons["1"]["enabled"], buttons["2"]["enabled"]), ("0", "1"),
                         "an aborted install must end by Abbrechen")
        self.session.probe("click", buttons["2"]["hwnd"])
        self.assertEqual(harness.wait_exit(setup, 60), 2, "the installer's exit code")


class Wizard(InstallerCase):
    """The installer and the uninstaller without /S, by keys: their German
    pages, the default choices, and the same results as a silent run."""

    session_options = {"window_manager": True}

    def install_by_keys(self, *keys):
        """Through the components page, with these keys before Return, to the end."""
        setup = self.session.start(SETUP)
        installer = harness.Wizard(self.session, INSTALLER_TITLE)
        dialog, controls = installer.wait_for_next("&Installieren")
        self.assertIn("Wählen Sie, ob er gleich der aktuelle Bildschirmschoner werden soll.",
                      "\n".join(c["text"] for c in controls))
        self.assertTrue(any(c["class"] == "SysTreeView32" and c["visible"] == "1" for c in controls),
                        "no list of components")
        for key in keys + ("Return",):
            installer.key(key)
        dialog, controls = installer.wait_for_next("&Beenden")
        self.assertIn("Fertig", [c["text"] for c in controls])
        installer.key("Return")
        self.assertEqual(harness.wait_exit(setup, 60), 0, "the installer's exit code")

    def test_a_person_installs_unticked_then_ticked_and_uninstalls(self):
        other_saver = r"C:\windows\system32\andere.scr"
        self.session.reg_add(DESKTOP_KEY, "SCRNSAVE.EXE", "REG_SZ", other_saver)
        # The list has the focus on its first entry: the next one is the box.
        self.install_by_keys("Down", "space")
        self.assertEqual(self.current_saver(), other_saver, "the unticked box changed the current screensaver")
        self.install_by_keys()
        entry = self.assert_installed()
        self.assertEqual((self.current_saver() or "").lower(), SYSTEM_SAVER_WINDOWS.lower(),
                         "the ticked box did nothing")

        self.session.reg_add(SETTINGS_KEY, "TabIndex", "REG_DWORD", 1)
        self.session.start(self.uninstaller())
        uninstaller = harness.Wizard(self.session, UNINSTALLER_TITLE)
        uninstaller.wait_for_next("&Deinstallieren")
        uninstaller.key("Return")
        dialog, controls = uninstaller.wait_for_next("&Beenden")
        self.assertIn("Fertig", [c["text"] for c in controls])
        uninstaller.key("Return")
        uninstaller.wait_gone()
        self.wait_uninstalled()
        self.assert_uninstalled_keeping_settings(entry)
        self.assertIsNone(self.current_saver(), "the current screensaver still names the removed file")


if __name__ == "__main__":
    unittest.main()
