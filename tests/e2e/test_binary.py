"""The built program: a stripped 64-bit GUI executable that imports Windows
system DLLs only, and whose first icon, the one the shell shows, comes in every
size."""
import os
import re
import struct
import subprocess
import tempfile
import unittest

from PIL import Image

from harness import SCR, WIN_DIR

SETUP = os.path.join(WIN_DIR, "nightloom-setup.exe")
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# Windows' KnownDLLs: taken from the system folder whatever the search order.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comdlg32.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "msvcrt.dll"}
# Bound at process start, OpenGL and GLU would come from the saver's own folder
# before any of its code could narrow the search; the dialog, About box and
# picture DLLs would cost the full-screen start-up time.
LOADED_AT_FIRST_CALL = {"opengl32.dll", "glu32.dll", "comdlg32.dll", "shell32.dll", "uxtheme.dll",
                        "version.dll", "ole32.dll", "oleaut32.dll"}


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

    def test_imports_at_start_only_known_dlls(self):
        imports = self.imports()
        self.assertTrue(imports, "no imports found")
        self.assertLessEqual(imports, KNOWN_DLLS)

    def test_hardened(self):
        text = self.headers()
        for flag in ("HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT"):
            self.assertRegex(text, r"DllCharacteristics[^\n]*\n(\s+[A-Z_]+\n)*\s+%s\n" % flag, flag)
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", SCR], check=True,
                                  stdout=subprocess.PIPE).stdout.decode()
        self.assertRegex(sections, r"\.reloc\s+[0-9a-f]*[1-9a-f][0-9a-f]*\s", "no relocation table")
        listing = subprocess.run(["x86_64-w64-mingw32-nm", SCR + ".debug"], check=True,
                                 stdout=subprocess.PIPE).stdout.decode()
        symbols = {line.split()[-1] for line in listing.splitlines() if line.strip()}
        self.assertEqual({"__stack_chk_fail", "__stack_chk_guard"} - symbols, set(), "no stack protector")

    def test_dialog_gl_and_picture_dlls_load_at_first_call(self):
        self.assertEqual(self.imports() & LOADED_AT_FIRST_CALL, set())
        # They are still named in the program, for the delayed load.
        with open(SCR, "rb") as f:
            program = f.read().lower()
        for dll in LOADED_AT_FIRST_CALL:
            self.assertIn(dll.encode(), program)



def first_icon_group(program, folder):
    """The program's first icon group as an .ico file, taken out by icoutils,
    a reader independent of the code that wrote it."""
    listing = subprocess.run(["wrestool", "-l", "-t", "14", program], check=True,
                             stdout=subprocess.PIPE).stdout.decode()
    names = re.findall(r"--name=(\S+)", listing)
    assert names, "no icon group in %s" % program
    path = os.path.join(folder, "first.ico")
    subprocess.run(["wrestool", "-x", "-t", "14", "-n", names[0], "-o", path, program], check=True)
    return path


def png_sizes(ico):
    """Sizes of the images stored as PNG (the directory entry says 0 for 256)."""
    with open(ico, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<H", data, 4)[0]
    sizes = []
    for i in range(count):
        width, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        if data[offset:offset + len(PNG_SIGNATURE)] == PNG_SIGNATURE:
            sizes.append(width or 256)
    return sizes


class ShellIcon(unittest.TestCase):
    def check_first_icon(self, program):
        folder = tempfile.TemporaryDirectory(prefix="nightloom-icon-")
        self.addCleanup(folder.cleanup)
        ico = first_icon_group(program, folder.name)
        listing = subprocess.run(["icotool", "-l", ico], check=True, stdout=subprocess.PIPE).stdout.decode()
        entries = re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listing)
        self.assertEqual(sorted(int(w) for w, h, _ in entries if w == h), ICON_SIZES, listing)
        self.assertEqual({depth for _, _, depth in entries}, {"32"}, listing)
        self.assertEqual(png_sizes(ico), [256])
        # Each image has its own alpha: clear round corners, an opaque middle.
        subprocess.run(["icotool", "-x", "-o", folder.name, ico], check=True)
        for index, size in enumerate(ICON_SIZES, 1):
            with Image.open(os.path.join(folder.name, "first_%d_%dx%dx32.png" % (index, size, size))) as picture:
                alpha = picture.convert("RGBA").getchannel("A")
            self.assertLess(alpha.getpixel((0, 0)), 128, "%d pixels: corner" % size)
            self.assertEqual(alpha.getpixel((size // 2, size // 2)), 255, "%d pixels: middle" % size)

    def test_the_saver_shows_every_size(self):
        self.check_first_icon(SCR)

    def test_the_installer_shows_the_same_icon(self):
        self.check_first_icon(SETUP)


if __name__ == "__main__":
    unittest.main()
