"""The settings dialog, its two pages and the About box, driven as a user would:
mouse clicks and keys through the X server, messages only where X cannot reach."""
import os
import time
import unittest

from harness import BASE_KEY, COMMON_KEY, PROBE, PROGRAM_KEY, SaverTestCase, project_version, scene_table, wait_exit

TITLE = "Einstellungen zu Nightloom (App)"
SCENES = scene_table.dialog_list()
PLACEMENTS = ["Zentriert", "Gef\u00fcllt", "Angepasst", "Gestreckt"]
# What the Xvfb display offers: its own size at three depths, rate 0.
MODES = ["1280 x 1024 Pixel, %d Bit Farbtiefe, 0 Hz" % bits for bits in (8, 16, 32)]
DEFAULT_COLORS = [0x000000, 0xC80000, 0x4BA532, 0xB4AA19, 0x2828B4, 0xB428AA, 0x0050A0, 0xAAAAAA,
                  0x646464, 0xF08C32, 0x64FA46, 0xF0E650, 0x5A64F0, 0xF064F0, 0x28FAFA, 0xFFFFFF]
LOGO = r"C:\Bilder\Logo.bmp"


def rect(control):
    return [int(v) for v in control["rect"].split(",")]


def center(box):
    return (box[0] + box[2]) // 2, (box[1] + box[3]) // 2


def stored_defaults():
    """{(subkey, value name): DWORD} that confirming an untouched dialog writes
    on a first run on the Xvfb display."""
    expected = {
        (r"\Common", "TabIndex"): 0, ("", "Use1Monitor"): 0, (r"\Status", "SwitchDisplay"): 0,
        ("", "FullWidth"): 1280, ("", "FullHeight"): 1024, ("", "FullBits"): 32, ("", "FullFrequency"): 0,
        ("", "SceneStrategy"): 0, ("", "ShowDesktop"): 1, (r"\Image", "LoadDlgIndex"): 6,
        (r"\Image", "AdjustmentNo"): 2, (r"\Colors", "BackColor"): 0,
    }
    for i, colour in enumerate(DEFAULT_COLORS):
        expected[(r"\Colors", "RgbColors%02d" % i)] = colour
    return expected


def parse_export(path):
    """{key: {value name: data}} of a `reg export` file."""
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8")
    keys, current = {}, None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and "=" in line:
            name, _, data = line.partition("=")
            current[name] = data
    return keys


class SettingsDialogCase(SaverTestCase):
    session_options = {"window_manager": True}

    # Registry ---------------------------------------------------------------

    def seed(self):
        """Stored settings that differ from every default."""
        add = self.session.reg_add
        add(PROGRAM_KEY + r"\Common", "TabIndex", "REG_DWORD", 0)
        add(PROGRAM_KEY, "Use1Monitor", "REG_DWORD", 1)
        add(PROGRAM_KEY + r"\Status", "SwitchDisplay", "REG_DWORD", 1)
        add(PROGRAM_KEY, "FullWidth", "REG_DWORD", 1280)
        add(PROGRAM_KEY, "FullHeight", "REG_DWORD", 1024)
        add(PROGRAM_KEY, "FullBits", "REG_DWORD", 16)
        add(PROGRAM_KEY, "FullFrequency", "REG_DWORD", 0)
        add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", 3)
        add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        add(PROGRAM_KEY + r"\Image", "LogoPath", "REG_SZ", LOGO)
        add(PROGRAM_KEY + r"\Image", "LoadDlgIndex", "REG_DWORD", 2)
        add(PROGRAM_KEY + r"\Image", "AdjustmentNo", "REG_DWORD", 1)
        add(PROGRAM_KEY + r"\Colors", "BackColor", "REG_DWORD", 0x3080F0)
        add(COMMON_KEY, "OpenGL_MaxTextureSize", "REG_DWORD", 4096)

    def export(self):
        path = os.path.join(self.session.tmp, "export-%d.reg" % time.monotonic_ns())
        result = self.session.wine("reg", "export", BASE_KEY, "Z:" + path, "/y")
        self.assertEqual(result.returncode, 0, result.stderr)
        return parse_export(path)

    def assert_only_tab_index_changed(self, before, after, tab_index):
        dialog_key = "HKEY_CURRENT_USER\\" + PROGRAM_KEY[len("HKCU\\"):] + "\\Common"
        self.assertEqual(after[dialog_key].pop('"TabIndex"'), "dword:%08x" % tab_index)
        before[dialog_key].pop('"TabIndex"', None)
        self.assertEqual(after, before)

    # The dialog -------------------------------------------------------------

    def open_dialog(self, *switches):
        self.saver = self.session.start_saver(*switches)
        return self.find_dialog(TITLE)

    def find_dialog(self, title):
        code, dialog = self.session.probe("dialog", title, "--timeout", "60000")
        self.assertEqual(code, 0, "no dialog %r" % title)
        return dialog

    def controls(self, dialog):
        code, report = self.session.probe("controls", dialog["hwnd"])
        self.assertEqual(code, 0)
        return report["controls"]

    def pages(self, dialog):
        """The two page windows and their controls, keyed by control id."""
        blocks = self.controls(dialog)
        pages = [b for b in blocks if b["class"] == "#32770"]
        self.assertEqual(len(pages), 2)
        top = {b["id"]: b for b in blocks if b["parent"] == dialog["hwnd"] and b["class"] != "#32770"}
        inner = [[b for b in blocks if b["parent"] == page["hwnd"]] for page in pages]
        return top, pages, inner

    def click(self, box):
        x, y = center(box)
        self.session.xdotool("mousemove", str(x), str(y), "click", "1")

    def click_tab(self, tabs, index):
        self.click([int(v) for v in tabs["itemrects"].split("\n")[index].split(",")])

    def key(self, name):
        self.session.xdotool("key", name)

    def wait_ended(self):
        self.assertEqual(wait_exit(self.saver, 30), 1, "the settings run did not end with code 1")

    def wait_page_shown(self, dialog, index):
        for _ in range(50):
            top, pages, inner = self.pages(dialog)
            if pages[index]["visible"] == "1" and pages[1 - index]["visible"] == "0":
                return top, pages, inner
            time.sleep(0.1)
        self.fail("page %d did not come up" % index)

    def shown_state(self, dialog):
        """What the user sees and can change: texts, checks and selections."""
        return [(b["id"], b["class"], b["text"], b["visible"], b["enabled"], b.get("check"), b.get("items"),
                 b.get("selected")) for b in self.controls(dialog)]


class Pages(SettingsDialogCase):
    def test_pages_show_the_stored_settings_and_cancel_stores_only_the_tab(self):
        self.seed()
        before = self.export()
        dialog = self.open_dialog()
        self.assertEqual(dialog["owner"], "0")
        top, pages, (display, application) = self.pages(dialog)

        self.assertEqual(top["140"]["items"], "Anzeige\nAnwendung")
        self.assertEqual(top["140"]["selected"], "0")
        self.assertEqual({i: top[i]["text"] for i in ("83", "104", "1", "2")},
                         {"83": "Standa&rd-Einstellungen setzen", "104": "?", "1": "\u00dcb&ernehmen",
                          "2": "&Abbrechen"})
        self.assertEqual([p["visible"] for p in pages], ["1", "0"])

        shown = [(c["id"], c["text"], c["visible"], c["enabled"], c.get("check")) for c in display
                 if c["class"] == "Button"]
        self.assertEqual(shown, [
            ("-1", " Bildschirmaufl\u00f6sung: ", "1", "1", "0"),
            ("200", "Aufl\u00f6sung \u00e4ndern (Nur prim\u00e4rer Bildschirm)", "1", "1", "1"),
            ("202", "Selektiere aktuelle Aufl\u00f6sung", "1", "1", "0"),
            ("203", "Nur prim\u00e4ren Monitor verwenden", "1", "1", "1"),
            ("-1", " Framerate: ", "0", "1", "0"),
        ])
        modes = [c for c in display if c["id"] == "201"][0]
        self.assertEqual(modes["items"].split("\n"), MODES)
        self.assertEqual(modes["selected"], "1", "the stored 16-bit mode is not selected")
        self.session.screenshot("settings-display-page")

        self.click_tab(top["140"], 1)
        top, pages, (display, application) = self.wait_page_shown(dialog, 1)
        self.assertEqual(top["140"]["selected"], "1")
        by_id = {c["id"]: c for c in application if c["id"] != "-1"}
        self.assertEqual(by_id["212"]["items"].split("\n"), SCENES)
        self.assertEqual(by_id["212"]["selected"], "3")
        self.assertEqual((by_id["210"]["text"], by_id["210"]["check"], by_id["210"]["enabled"]),
                         ("&Desktop anzeigen", "0", "1"))
        self.assertEqual(by_id["213"]["text"], LOGO)
        self.assertEqual(by_id["214"]["text"], "...")
        self.assertEqual(by_id["215"]["items"].split("\n"), PLACEMENTS)
        self.assertEqual(by_id["215"]["selected"], "1")
        for logo_control in ("213", "214", "215", "216"):
            self.assertEqual(by_id[logo_control]["enabled"], "0", logo_control)
        statics = [(c["text"], c["enabled"]) for c in application if c["class"] == "Static"]
        self.assertEqual(statics, [("Einf\u00fcgen des Images:", "0"), ("Hintergrundfarbe:", "0")])
        groups = [c["text"] for c in application if c["id"] == "-1" and c["class"] == "Button"]
        self.assertEqual(groups, [" OpenGL - Szenen: ", " Eigenes Logo: "])

        # The browse button fills the right end of the edit's inner area.
        edit, browse = rect(by_id["213"]), rect(by_id["214"])
        border = 2
        self.assertEqual(browse[2], edit[2] - border)
        self.assertEqual((browse[1], browse[3]), (edit[1] + border, edit[3] - border))
        self.assertLess(edit[0], browse[0])
        self.session.screenshot("settings-application-page")
        self.assert_swatch(by_id["216"], (0xF0, 0x80, 0x30))

        self.click(rect(top["2"]))
        self.wait_ended()
        self.assert_only_tab_index_changed(before, self.export(), 1)

    def assert_swatch(self, button, colour):
        """The colour button, enabled for the picture only: BackColor with an
        unpainted (black) margin of one pixel left and top, two right and bottom."""
        code, _ = self.session.probe("enable", button["hwnd"], "1")
        self.assertEqual(code, 0)
        left, top, right, bottom = rect(button)
        full = (right - left - 3) * (bottom - top - 3)

        def painted_in(shot):
            return [(x, y) for y in range(top, bottom) for x in range(left, right) if shot.at(x, y) == colour]

        # The enabled button is painted anew some time after the message.
        image = self.session.screenshot_when("settings-colour-swatch", lambda shot: len(painted_in(shot)) >= full,
                                             timeout=30)
        painted = painted_in(image)
        self.assertTrue(painted, "the swatch does not show BackColor")
        xs, ys = [p[0] for p in painted], [p[1] for p in painted]
        self.assertEqual((min(xs), min(ys), max(xs) + 1, max(ys) + 1), (left + 1, top + 1, right - 2, bottom - 2))
        self.assertEqual(len(painted), full)
        for x, y in ((left, top), (right - 1, bottom - 1), (right - 2, top + 5), (left + 5, bottom - 2)):
            self.assertEqual(image.at(x, y), (0, 0, 0), (x, y))
        self.session.probe("enable", button["hwnd"], "0")

    def test_confirm_on_an_untouched_dialog_writes_every_value_but_the_texture_size(self):
        dialog = self.open_dialog()
        top, _, _ = self.pages(dialog)
        self.click(rect(top["1"]))
        self.wait_ended()
        dword = lambda key, name: self.session.reg_dword(key, name)
        expected = stored_defaults()
        stored = {(sub, name): dword(PROGRAM_KEY + sub, name) for sub, name in expected}
        self.assertEqual(stored, expected)
        self.assertEqual(self.session.reg_query(PROGRAM_KEY + r"\Image", "LogoPath"), ("REG_SZ", ""))
        self.assertIsNone(self.session.reg_query(COMMON_KEY, "OpenGL_MaxTextureSize"))


class Reset(SettingsDialogCase):
    def reset_box(self, top, answer):
        self.click(rect(top["83"]))
        box = self.session.wait_for_box("Einstellungen zur\u00fccksetzen", press=answer)
        self.assertIsNotNone(box, "no reset question")
        self.assertEqual(box["text"], "Die Einstellungen werden zur\u00fcckgesetzt.\nSind sie sicher?")
        self.assertEqual(box["buttons"], "yes,no")

    def test_reset_asks_refills_with_defaults_and_stores_nothing_and_escape_cancels(self):
        self.seed()
        self.session.reg_add(PROGRAM_KEY + r"\Common", "TabIndex", "REG_DWORD", 1)
        before = self.export()
        dialog = self.open_dialog()
        top, pages, _ = self.pages(dialog)
        self.assertEqual(([p["visible"] for p in pages], top["140"]["selected"]), (["0", "1"], "1"),
                         "a stored TabIndex 1 does not open on \"Anwendung\"")
        untouched = self.shown_state(dialog)

        self.reset_box(top, "no")
        self.assertEqual(self.shown_state(dialog), untouched)

        self.reset_box(top, "yes")
        self.assertEqual(self.find_dialog(TITLE)["hwnd"], dialog["hwnd"], "the title changed")
        top, pages, (display, application) = self.pages(dialog)
        by_id = {c["id"]: c for c in display + application if c["id"] != "-1"}
        self.assertEqual((by_id["200"]["check"], by_id["203"]["check"]), ("0", "0"))
        # The desktop's own mode: 32 bits.
        self.assertEqual(by_id["201"]["selected"], "2")
        self.assertEqual((by_id["212"]["selected"], by_id["210"]["check"]), ("0", "1"))
        self.assertEqual(by_id["215"]["selected"], "2")
        self.assertEqual(by_id["213"]["text"], LOGO, "the logo path is no default")
        self.assertEqual(self.export(), before, "reset stored something")

        # Escape after a reset: the defaults in memory are dropped.
        self.click([int(v) for v in top["140"]["itemrects"].split("\n")[0].split(",")])
        self.key("Escape")
        self.wait_ended()
        self.assert_only_tab_index_changed(before, self.export(), 0)


class About(SettingsDialogCase):
    def test_question_mark_opens_the_about_box_above_the_dialog(self):
        dialog = self.open_dialog()
        top, _, _ = self.pages(dialog)
        untouched = self.shown_state(dialog)
        self.click(rect(top["104"]))
        about = self.find_dialog("Info")
        self.assertEqual(about["owner"], dialog["hwnd"])
        code, settings_now = self.session.probe("dialog", TITLE)
        self.assertEqual(settings_now["enabled"], "0", "the settings dialog stays usable under a modal box")

        texts = {c["id"]: c["text"] for c in self.controls(about)}
        self.assertEqual(texts["1000"], "DriftlanternsApp " + project_version())
        self.assertEqual(texts["1001"], "Copyright \u00a9 2026 Velbrook")
        self.assertEqual(texts["1002"], "https://nightloom.test")
        self.assertEqual(texts["1003"], "Ein OpenGL-Bildschirmschoner.")
        self.assertEqual(texts["1004"], "\nEs kann frei genutzt und verteilt werden.\n\n"
                                        "Dieses Programm wurde entwickelt f\u00fcr die\nAusf\u00fchrung unter:\n\n"
                                        "- Windows 10 / 11\n- Windows Server 2019 / 2022\n")
        self.assertEqual(texts["1"], "OK")
        time.sleep(0.3)
        self.session.screenshot("about-box")

        self.key("Return")
        for _ in range(50):
            code, now = self.session.probe("dialog", TITLE)
            if now.get("enabled") == "1":
                break
            time.sleep(0.1)
        self.assertEqual(now["enabled"], "1", "the About box did not close")
        code, _ = self.session.probe("dialog", "Info", "--timeout", "0")
        self.assertEqual(code, 1, "the About box is still there")
        self.assertEqual(self.shown_state(dialog), untouched)
        self.click(rect(top["2"]))
        self.wait_ended()


class Owners(SettingsDialogCase):
    def picture_window(self):
        self.session.start(PROBE, "show-picture", "--color", "203040", "--topmost", "0")
        window = self.session.wait_for_window("ProbePicture")
        self.assertIsNotNone(window)
        return window["hwnd"]

    def close(self, dialog):
        top, _, _ = self.pages(dialog)
        self.click(rect(top["2"]))
        self.wait_ended()

    def test_owner_from_the_handle_or_the_foreground_window(self):
        picture = self.picture_window()
        dialog = self.open_dialog("/c:" + picture)
        self.assertEqual(dialog["owner"], picture)
        self.close(dialog)

        code, foreground = self.session.probe("foreground")
        self.assertNotEqual(foreground["hwnd"], "0")
        dialog = self.open_dialog("/c")
        self.assertEqual(dialog["owner"], foreground["hwnd"])
        self.close(dialog)

    def test_dialog_that_cannot_open_is_reported(self):
        # 1234 is no window: the dialog cannot be made with it as owner.
        saver = self.session.start_saver("/c:1234")
        box = self.session.wait_for_box("Fehler")
        self.assertIsNotNone(box, "a failed dialog ended silently")
        self.assertEqual(box["text"], "Die Einstellungen k\u00f6nnen nicht angezeigt werden !\n\n"
                                      "Das Programm wird beendet !")
        self.assertEqual(box["owner"], "0")
        self.assertEqual(wait_exit(saver, 30), 1)
        self.assertIsNone(self.session.reg_query(COMMON_KEY, "OpenGL_MaxTextureSize"))


class BadContents(SettingsDialogCase):
    """What a user or another program could leave in the registry: wrong types,
    DWORDs of the wrong size, a far too long LogoPath, numbers out of range."""

    def stored(self, key, name):
        """(type, size, first bytes in hex) of a value as the registry holds it;
        `reg query` and `reg export` show a DWORD of any size as four bytes."""
        code, value = self.session.probe("regvalue", key[len("HKCU\\"):], name)
        self.assertEqual(code, 0, value)
        return int(value["type"]), int(value["size"]), value["data"]

    def fill_with_garbage(self):
        base = "HKEY_CURRENT_USER\\" + PROGRAM_KEY[len("HKCU\\"):]
        colours = ['"RgbColors%02d"=%s' % (i, "hex(4):%02x,01" % i if i % 2 else "hex:%02x,01,00,00" % i)
                   for i in range(16)]
        lines = [
            "Windows Registry Editor Version 5.00", "",
            "[%s\\Common]" % base, '"TabIndex"=dword:7ffffffe', "",
            "[%s]" % base,
            '"Use1Monitor"=hex:01,00,00,00,00,00,00,00',      # REG_BINARY of 8 bytes
            '"FullWidth"="640"',
            '"FullHeight"=hex(b):e0,01,00,00,00,00,00,00',    # REG_QWORD
            '"FullBits"=hex(4):08,00,00,00,00,00,00,00',      # REG_DWORD of 8 bytes
            '"FullFrequency"=hex:4b,00',                      # REG_BINARY of 2 bytes
            '"SceneStrategy"=dword:%08x' % (len(scene_table.SCENES) + 1),  # one past the last scene
            '"ShowDesktop"=hex(4):00,00', "",                 # REG_DWORD of 2 bytes
            "[%s\\Status]" % base, '"SwitchDisplay"=hex(4):01,00', "",
            "[%s\\Image]" % base,
            '"LogoPath"="C:\\\\%s"' % ("q" * 100000),
            '"LoadDlgIndex"=hex(5):00,00,00,02',              # REG_DWORD_BIG_ENDIAN
            '"AdjustmentNo"=hex(7):31,00,00,00,00,00', "",    # REG_MULTI_SZ
            "[%s\\Colors]" % base, '"BackColor"=hex(4):ff,00,00,00,00,00,00,00', *colours, "",
            "[HKEY_CURRENT_USER\\%s]" % COMMON_KEY[len("HKCU\\"):], '"OpenGL_MaxTextureSize"=hex(4):00,02', "",
        ]
        path = os.path.join(self.session.tmp, "garbage.reg")
        with open(path, "w", encoding="utf-16", newline="\r\n") as f:
            f.write("\n".join(lines))
        result = self.session.wine("reg", "import", "Z:" + path)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.stored(PROGRAM_KEY, "FullBits"), (4, 8, "0800000000000000"), "import changed it")
        self.assertEqual(self.stored(PROGRAM_KEY + r"\Status", "SwitchDisplay"), (4, 2, "0100"))
        self.assertEqual(self.stored(PROGRAM_KEY + r"\Image", "LogoPath")[:2], (1, (3 + 100000 + 1) * 2))

    def test_dialog_shows_defaults_confirm_stores_them_and_the_saver_still_draws(self):
        self.fill_with_garbage()
        dialog = self.open_dialog("/c")
        top, pages, (display, application) = self.pages(dialog)
        # A TabIndex out of range opens the first page.
        self.assertEqual((top["140"]["selected"], [p["visible"] for p in pages]), ("0", ["1", "0"]))
        by_id = {c["id"]: c for c in display + application if c["id"] != "-1"}
        self.assertEqual((by_id["200"]["check"], by_id["203"]["check"]), ("0", "0"))
        self.assertEqual(by_id["201"]["selected"], "2", "not the desktop's own mode")
        self.assertEqual((by_id["212"]["selected"], by_id["210"]["check"]), ("0", "1"))
        self.assertEqual((by_id["213"]["text"], by_id["215"]["selected"]), ("", "2"))

        self.click(rect(top["1"]))
        self.wait_ended()
        # Every value the dialog writes is now a DWORD of four bytes with its default.
        written = {key: self.stored(PROGRAM_KEY + key[0], key[1]) for key in stored_defaults()}
        self.assertEqual(written, {key: (4, 4, "%02x%02x%02x%02x" % tuple(value.to_bytes(4, "little")))
                                   for key, value in stored_defaults().items()})
        self.assertEqual(self.stored(PROGRAM_KEY + r"\Image", "LogoPath"), (1, 2, "0000"))
        self.assertEqual(self.stored(COMMON_KEY, "OpenGL_MaxTextureSize"), (4, 2, "0002"), "the dialog wrote it")

        # The saver starts on the same garbage (a random scene, over the desktop) and draws.
        self.fill_with_garbage()
        saver = self.session.start_saver("/s")
        self.assertIsNotNone(self.session.wait_for_window("DriftlanternsApp"), "no render window")
        def lit(shot):
            return shot.count(lambda r, g, b: (r > 40) | (g > 40) | (b > 40))
        shot = self.session.screenshot_when("bad-contents-saver", lambda shot: lit(shot) > 2000)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        self.assertGreater(lit(shot), 2000, shot.path)
        self.key("Escape")
        self.assertEqual(wait_exit(saver, 30), 1)
        kind, size, _ = self.stored(COMMON_KEY, "OpenGL_MaxTextureSize")
        self.assertEqual((kind, size), (4, 4))
        self.assertGreaterEqual(self.session.reg_dword(COMMON_KEY, "OpenGL_MaxTextureSize"), 1024)

if __name__ == "__main__":
    unittest.main()
