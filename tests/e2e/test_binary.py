"""The built program: a 64-bit GUI executable that imports Windows system DLLs only."""
import subprocess
import unittest

from harness import SCR

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "opengl32.dll", "glu32.dll",
               "comctl32.dll", "comdlg32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "uxtheme.dll",
               "version.dll", "msvcrt.dll"}


class Binary(unittest.TestCase):
    def headers(self):
        return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", SCR], check=True,
                              stdout=subprocess.PIPE).stdout.decode()

    def test_pe32_plus_gui(self):
        text = self.headers()
        self.assertIn("pei-x86-64", text)
        self.assertRegex(text, r"Subsystem\s+00000002")

    def test_imports_only_system_dlls(self):
        imports = {line.split(":", 1)[1].strip().lower() for line in self.headers().splitlines()
                   if "DLL Name:" in line}
        self.assertTrue(imports, "no imports found")
        self.assertLessEqual(imports, SYSTEM_DLLS)
        self.assertIn("opengl32.dll", imports)


if __name__ == "__main__":
    unittest.main()
