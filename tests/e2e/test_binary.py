"""The built program: a stripped 64-bit GUI executable that imports Windows system DLLs only."""
import subprocess
import unittest

from harness import SCR

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "opengl32.dll", "glu32.dll",
               "comctl32.dll", "comdlg32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "uxtheme.dll",
               "version.dll", "msvcrt.dll"}
# Only the settings dialog, the About box and picture decoding call into these:
# loaded at process start they would cost the full-screen start-up time.
LOADED_AT_FIRST_CALL = {"comdlg32.dll", "shell32.dll", "uxtheme.dll", "version.dll", "ole32.dll", "oleaut32.dll"}


class Binary(unittest.TestCase):
    def headers(self):
        return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", SCR], check=True,
                              stdout=subprocess.PIPE).stdout.decode()

    def test_debug_information_only_in_the_file_beside_it(self):
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", SCR], check=True,
                                  stdout=subprocess.PIPE).stdout.decode()
        self.assertNotIn(".debug_", sections)
        self.assertIn(".gnu_debuglink", sections)
        debug = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", SCR + ".debug"], check=True,
                               stdout=subprocess.PIPE).stdout.decode()
        self.assertIn(".debug_info", debug)

    def test_pe32_plus_gui(self):
        text = self.headers()
        self.assertIn("pei-x86-64", text)
        self.assertRegex(text, r"Subsystem\s+00000002")

    def imports(self):
        """The DLLs bound at process start."""
        return {line.split(":", 1)[1].strip().lower() for line in self.headers().splitlines()
                if "DLL Name:" in line}

    def test_imports_only_system_dlls(self):
        imports = self.imports()
        self.assertTrue(imports, "no imports found")
        self.assertLessEqual(imports, SYSTEM_DLLS)
        self.assertIn("opengl32.dll", imports)

    def test_dialog_and_picture_dlls_load_at_first_call(self):
        self.assertEqual(self.imports() & LOADED_AT_FIRST_CALL, set())
        # They are still named in the program, for the delayed load.
        with open(SCR, "rb") as f:
            program = f.read().lower()
        for dll in LOADED_AT_FIRST_CALL:
            self.assertIn(dll.encode(), program)


if __name__ == "__main__":
    unittest.main()
