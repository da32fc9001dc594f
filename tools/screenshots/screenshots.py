#!/usr/bin/env python3
"""The gallery: pictures of the real nightloom.scr under Wine for the README.

  screenshots.py BUILD OUTDIR

Each scene is shown full screen at 1280x720 and taken when it looks its best;
some run over a desktop of our own (artgen --desktop, shown by the probe as a
Wine window, since the saver snapshots only what Wine windows show). Then the
settings dialog's two pages and the About box, and the pages of the installer
and the uninstaller (installer-*), each cut out with a margin of what lies
around it. Last every scene's preview at the control panel's 152x112, as the
in-process preview host draws them, side by side in one picture. Scenes are
written as JPEG, dialogs and previews as PNG.
"""
import os
import subprocess
import sys
import time

from PIL import Image, ImageDraw, ImageStat

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import harness  # noqa: E402

SCREEN = "1280x720x24"
# Wine leaves a captioned window's frame to the window manager unless told
# otherwise; there is none here, so it is told, for our programs alone (the
# uninstaller runs as a copy of itself named Un.exe).
APP_DEFAULTS_KEY = r"HKCU\Software\Wine\AppDefaults"
DECORATED_PROGRAMS = ("nightloom.scr", "nightloom-setup.exe", "Un.exe")
SETTINGS_TITLE = "Einstellungen zu Nightloom (App)"
ABOUT_TITLE = "Info"
# NSIS's caption, then each page's subcaption, which the modern pages leave blank.
INSTALLER_TITLE = "Installation von Nightloom "
UNINSTALLER_TITLE = "Deinstallation von Nightloom "
UNINSTALLER = r"C:\Program Files\Velbrook\Nightloom\Deinstallieren.exe"
TABS, ABOUT_BUTTON, OK_BUTTON, CANCEL_BUTTON = 140, 104, 1, 2
DIALOG_MARGIN = 24

# How each scene is taken: (ShowDesktop, seconds to let the scene develop,
# shots a second apart after that, of which the brightest is kept); a scene
# not listed gets DEFAULT_LOOK. The fog swells and fades, and its banner shows
# only while it is bright.
LOOKS = {
    "wuerfel": (1, 6.0, 1),
    "nebel": (0, 3.0, 15),
    "sterne": (0, 10.0, 1),
    "kalender": (1, 3.0, 1),
    "butterfly": (1, 10.0, 1),
}
DEFAULT_LOOK = (1, 6.0, 1)
# (file name, SceneStrategy, ShowDesktop, settle, shots) for every scene of the table.
SCENES = [(scene.key, scene.number) + LOOKS.get(scene.key, DEFAULT_LOOK) for scene in harness.scene_table.SCENES]


# The previews: each at twice its size, nearest neighbour so that the real
# pixels show, in a small monitor of bezel and stand.
PREVIEW_SIZE = (152, 112)
PREVIEW_ZOOM = 2
PREVIEW_BEZEL, PREVIEW_GAP = 12, 24
BEZEL_COLOUR, STAND_COLOUR, BACKGROUND = (40, 40, 44), (90, 90, 96), (236, 236, 236)


def small_monitor(picture):
    """The picture in a bezel on a neck and foot, on the page's background."""
    width = picture.width + 2 * PREVIEW_BEZEL
    height = picture.height + 2 * PREVIEW_BEZEL
    neck, foot = (40, 14), (140, 10)
    framed = Image.new("RGB", (width, height + neck[1] + foot[1]), BACKGROUND)
    draw = ImageDraw.Draw(framed)
    draw.rounded_rectangle((0, 0, width - 1, height - 1), radius=6, fill=BEZEL_COLOUR)
    draw.rectangle(((width - neck[0]) // 2, height, (width + neck[0]) // 2 - 1, height + neck[1] - 1),
                   fill=STAND_COLOUR)
    draw.rounded_rectangle(((width - foot[0]) // 2, height + neck[1], (width + foot[0]) // 2 - 1,
                            height + neck[1] + foot[1] - 1), radius=3, fill=STAND_COLOUR)
    framed.paste(picture, (PREVIEW_BEZEL, PREVIEW_BEZEL))
    return framed


class Gallery:
    def __init__(self, session, build, out):
        self.session = session
        self.build = build
        self.out = out

    def show_desktop(self):
        """Our desktop picture over the whole screen, below everything else."""
        picture = os.path.join(self.session.tmp, "desktop.bmp")
        subprocess.run([os.path.join(self.build, "artgen"), "--desktop", picture], check=True)
        self.session.start(harness.PROBE, "show-picture", "--file", harness.windows_path(picture), "--topmost", "0")
        if not self.session.wait_for_window("ProbePicture"):
            raise SystemExit("the desktop picture did not appear")
        time.sleep(1.0)

    def grab(self):
        path = os.path.join(self.session.tmp, "screen.png")
        subprocess.run(["import", "-window", "root", path], env=self.session.env, check=True)
        with Image.open(path) as picture:
            return picture.convert("RGB")

    def save(self, picture, name):
        if name.endswith(".jpg"):
            picture.save(os.path.join(self.out, name), "JPEG", quality=90, optimize=True, progressive=True)
        else:
            picture.save(os.path.join(self.out, name), "PNG", optimize=True)
        print("wrote %s" % os.path.join(self.out, name))

    def brightest(self, count):
        shots = []
        for _ in range(count):
            shots.append(self.grab())
            time.sleep(1.0)
        return max(shots, key=lambda shot: ImageStat.Stat(shot.convert("L")).mean[0])

    def scene(self, name, strategy, show_desktop, settle, shots):
        self.session.reg_add(harness.PROGRAM_KEY, "SceneStrategy", "REG_DWORD", strategy)
        self.session.reg_add(harness.PROGRAM_KEY, "ShowDesktop", "REG_DWORD", show_desktop)
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        if not window:
            raise SystemExit("%s: no render window" % name)
        time.sleep(settle)
        self.save(self.brightest(shots), name + ".jpg")
        self.session.probe("sendkey", window["hwnd"], "27")
        if harness.wait_exit(saver, 15) is None:
            raise SystemExit("%s: the saver did not end" % name)

    def dialog(self, title):
        code, dialog = self.session.probe("dialog", title, "--timeout", "20000", timeout=60)
        if code != 0:
            raise SystemExit("no dialog %r" % title)
        return dialog

    def control(self, dialog, control_id):
        code, control = self.session.probe("child-id", dialog["hwnd"], control_id)
        if code != 0:
            raise SystemExit("no control %d in %r" % (control_id, dialog["title"]))
        return control

    def save_dialog(self, dialog, name):
        """The dialog as it is on screen now, with a margin of the desktop."""
        time.sleep(0.8)
        left, top, right, bottom = (int(v) for v in dialog["rect"].split(","))
        screen = self.grab()
        box = (max(0, left - DIALOG_MARGIN), max(0, top - DIALOG_MARGIN),
               min(screen.width, right + DIALOG_MARGIN), min(screen.height, bottom + DIALOG_MARGIN))
        self.save(screen.crop(box), name)

    def dialogs(self):
        """The settings dialog as a first run shows it, with its defaults."""
        self.session.clear_settings()
        saver = self.session.start_saver()
        settings = self.dialog(SETTINGS_TITLE)
        self.save_dialog(settings, "einstellungen-anzeige.png")
        self.session.probe("tab", self.control(settings, TABS)["hwnd"], 1)
        self.save_dialog(settings, "einstellungen-anwendung.png")
        self.session.probe("click", self.control(settings, ABOUT_BUTTON)["hwnd"])
        about = self.dialog(ABOUT_TITLE)
        self.save_dialog(about, "info.png")
        self.session.probe("click", self.control(about, OK_BUTTON)["hwnd"])
        self.session.probe("click", self.control(settings, CANCEL_BUTTON)["hwnd"])
        if harness.wait_exit(saver, 15) is None:
            raise SystemExit("the settings dialog did not close")

    def wizard_page(self, wizard, button, name):
        """The page that ends with this button, then on to the next."""
        dialog, controls = wizard.wait_for_next(button)
        self.save_dialog(dialog, name)
        self.session.probe("click", wizard.next_button(controls, dialog)["hwnd"])

    def installer(self):
        """Installing and uninstalling as a person sees it, with the default
        choices; the uninstaller clears the current screensaver it set."""
        setup = self.session.start(os.path.join(harness.WIN_DIR, "nightloom-setup.exe"))
        wizard = harness.Wizard(self.session, INSTALLER_TITLE)
        self.wizard_page(wizard, "&Installieren", "installer-komponenten.png")
        self.wizard_page(wizard, "&Beenden", "installer-fertig.png")
        if harness.wait_exit(setup, 60) != 0:
            raise SystemExit("the installer failed")
        self.session.start(UNINSTALLER)
        wizard = harness.Wizard(self.session, UNINSTALLER_TITLE)
        self.wizard_page(wizard, "&Deinstallieren", "installer-deinstallieren.png")
        self.wizard_page(wizard, "&Beenden", "installer-deinstalliert.png")
        wizard.wait_gone()


    def previews(self):
        """Each scene's preview, with the scene's own backdrop setting, from the
        host that runs the preview in its own process."""
        host = os.path.join(self.build, "win", "tools", "previewhost", "preview_host.exe")
        monitors = []
        for name, strategy, show_desktop, settle, _ in SCENES:
            self.session.reg_add(harness.PROGRAM_KEY, "SceneStrategy", "REG_DWORD", strategy)
            self.session.reg_add(harness.PROGRAM_KEY, "ShowDesktop", "REG_DWORD", show_desktop)
            path = os.path.join(self.session.tmp, "preview-%s.bmp" % name)
            # The frame the scene reaches after as long as the full-screen shot waits, at 60 frames a second.
            process = self.session.start(host, "--size", "%dx%d" % PREVIEW_SIZE, "--shot", harness.windows_path(path),
                                         "--frame", str(int(settle * 60)))
            if harness.wait_exit(process, 60) != 0 or not os.path.exists(path):
                raise SystemExit("%s: no preview picture" % name)
            with Image.open(path) as shot:
                zoomed = shot.convert("RGB").resize((PREVIEW_SIZE[0] * PREVIEW_ZOOM, PREVIEW_SIZE[1] * PREVIEW_ZOOM),
                                                    Image.NEAREST)
            monitors.append(small_monitor(zoomed))
        width = sum(m.width for m in monitors) + PREVIEW_GAP * (len(monitors) + 1)
        height = max(m.height for m in monitors) + 2 * PREVIEW_GAP
        sheet = Image.new("RGB", (width, height), BACKGROUND)
        x = PREVIEW_GAP
        for monitor in monitors:
            sheet.paste(monitor, (x, PREVIEW_GAP))
            x += monitor.width + PREVIEW_GAP
        self.save(sheet, "vorschau.png")


def main(argv):
    if len(argv) != 2:
        raise SystemExit(__doc__.split("\n\n")[1])
    build, out = (os.path.abspath(a) for a in argv)
    os.makedirs(out, exist_ok=True)
    harness.require_build(None)
    # No window manager: Wine draws the captions itself, as Windows would.
    with harness.SaverSession(screen=SCREEN) as session:
        session.clear_settings()
        for program in DECORATED_PROGRAMS:
            session.reg_add(r"%s\%s\X11 Driver" % (APP_DEFAULTS_KEY, program), "Decorated", "REG_SZ", "N")
        try:
            gallery = Gallery(session, build, out)
            gallery.show_desktop()
            for scene in SCENES:
                gallery.scene(*scene)
            gallery.dialogs()
            gallery.installer()
            gallery.previews()
        finally:
            for program in DECORATED_PROGRAMS:
                session.reg_delete(r"%s\%s" % (APP_DEFAULTS_KEY, program))
            session.clear_settings()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
