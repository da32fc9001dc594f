"""The desktop behind the scene: a known picture (a Wine window of our own,
since Wine captures only what Wine windows show) is on the screen before the
saver starts; the saver's snapshot of it must come back upright behind the
scene, and not at all when ShowDesktop is off."""
import os
import subprocess
import time
import unittest

from harness import HERE, PROBE, PROGRAM_KEY, SaverTestCase, wait_exit

# The probe's quadrants, clockwise from the top left, as the screen shows them.
TOP_LEFT, TOP_RIGHT = (230, 40, 40), (40, 200, 40)
BOTTOM_LEFT, BOTTOM_RIGHT = (40, 40, 230), (230, 230, 40)
QUADRANTS = (TOP_LEFT, TOP_RIGHT, BOTTOM_LEFT, BOTTOM_RIGHT)
X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"


def near(target, tolerance=20):
    return lambda r, g, b: abs(r - target[0]) <= tolerance and abs(g - target[1]) <= tolerance \
        and abs(b - target[2]) <= tolerance


def corner_boxes(width, height, size=120):
    """Boxes in the four corners of a screen, clear of the calendar sheet."""
    return ((8, 8, 8 + size, 8 + size), (width - 8 - size, 8, width - 8, 8 + size),
            (8, height - 8 - size, 8 + size, height - 8), (width - 8 - size, height - 8 - size, width - 8, height - 8))


def edge(line, before, after):
    """Where a line of pixels turns from one colour to the other: the last index
    near `before` and the first near `after`."""
    near_before = [i for i, rgb in enumerate(line) if near(before)(*rgb)]
    near_after = [i for i, rgb in enumerate(line) if near(after)(*rgb)]
    return (near_before[-1] if near_before else None, near_after[0] if near_after else None)


class DesktopCase(SaverTestCase):
    def show_known_picture(self, name):
        self.session.start(PROBE, "show-picture", "--quadrants", "1", "--topmost", "0")
        self.assertIsNotNone(self.session.wait_for_window("ProbePicture"), "the known picture did not appear")
        time.sleep(0.5)
        shot = self.session.screenshot(name)
        self.assert_corners(shot, QUADRANTS, "the known picture itself")
        return shot

    def run_saver(self, name, settle=2.0):
        saver = self.session.start_saver("/s")
        # Generous: in one full run the saver took over 15 s to
        # show its window in the first test of a file (seen once).
        window = self.session.wait_for_window("DriftlanternsApp", timeout_ms=60000)
        self.assertIsNotNone(window, "no render window")
        time.sleep(settle)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        shot = self.session.screenshot(name)
        self.session.probe("sendkey", window["hwnd"], "27")
        self.assertEqual(wait_exit(saver, 10), 1)
        return window, shot

    def assert_sharp_edges(self, desktop, shot, reach=4):
        """The quadrants' borders lie where the desktop has them and turn within
        a pixel or two: the snapshot is shown pixel for pixel, not through a
        scaled copy. Checked on many short lines across each border, within
        `reach` pixels of it, on those that only the two quadrants' colours
        cross there. The calendar sheet turns, and its grid and digits lie on
        the borders in some places and months: the vertical border is always
        free above the sheet, the horizontal one at least beside it."""
        vertical = [(lambda s, y=y: s.pixels[y, 560:720], TOP_LEFT, TOP_RIGHT) for y in range(10, 500, 10)]
        horizontal = [(lambda s, x=x: s.pixels[440:600, x], TOP_LEFT, BOTTOM_LEFT) for x in range(2, 630, 4)] + \
            [(lambda s, x=x: s.pixels[440:600, x], TOP_RIGHT, BOTTOM_RIGHT) for x in range(650, 1278, 4)]
        for name, lines, least in (("vertical", vertical, 5), ("horizontal", horizontal, 1)):
            checked = 0
            for line, before, after in lines:
                expected = edge(line(desktop), before, after)
                self.assertEqual(expected[1] - expected[0], 1, "%s border of the known picture" % name)
                start = expected[1] - reach
                near_border = line(shot)[start:expected[1] + reach]
                if not all(near(before)(*rgb) or near(after)(*rgb) for rgb in near_border):
                    continue
                checked += 1
                got = edge(near_border, before, after)
                self.assertIsNotNone(got[0], "%s border: no %s in %s" % (name, before, shot.path))
                self.assertIsNotNone(got[1], "%s border: no %s in %s" % (name, after, shot.path))
                self.assertLessEqual(got[1] - got[0], 2, "%s border blurred in %s" % (name, shot.path))
                self.assertLessEqual(abs(start + got[1] - expected[1]), 1,
                                     "%s border moved in %s" % (name, shot.path))
            self.assertGreaterEqual(checked, least, "%s border: too few lines cross it in the two colours alone "
                                                    "(blurred, or under the sheet) in %s" % (name, shot.path))

    def assert_corners(self, shot, colours, what, share=0.95):
        for box, colour in zip(corner_boxes(shot.width, shot.height), colours):
            x0, y0, x1, y1 = box
            count = shot.count(near(colour), box)
            self.assertGreaterEqual(count, share * (x1 - x0) * (y1 - y0),
                                    "%s: %s expected in %s of %s" % (what, colour, box, shot.path))


class Backdrop(DesktopCase):
    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", 4)

    def test_default_run_shows_the_desktop_upright_behind_the_calendar(self):
        desktop = self.show_known_picture("desktop-known-picture")
        window, shot = self.run_saver("desktop-kalender-on")
        self.assertEqual(window["rect"], "0,0,1280,1024")
        # The calendar does not blend: the backdrop keeps the picture's colours.
        self.assert_corners(shot, QUADRANTS, "backdrop")
        self.assert_sharp_edges(desktop, shot)
        # The sheet is drawn over it, its grid in black rather than white.
        sheet = (320, 200, 960, 824)
        self.assertGreater(shot.count(near((0, 0, 255), 60), sheet), 150, "blue month name")
        self.assertGreater(shot.count(lambda r, g, b: r < 15 and g < 15 and b < 15, sheet), 500, "black grid")
        self.assertEqual(shot.count(near((255, 255, 255), 20)), 0, "white in %s" % shot.path)

    def test_without_show_desktop_no_trace_of_it(self):
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        self.show_known_picture("desktop-known-picture-off")
        _, shot = self.run_saver("desktop-kalender-off")
        self.assert_corners(shot, ((0, 0, 0),) * 4, "black background")
        for colour in QUADRANTS:
            self.assertEqual(shot.count(near(colour, 12)), 0, "%s in %s" % (colour, shot.path))


def scene_pictures_built():
    """Without their pictures the picture scenes cannot start at all."""
    with open(os.path.join(HERE, "..", "..", "resources", "nightloom.rc"), encoding="utf-8") as rc:
        return "IDB_STAR_FLARE BITMAP" in rc.read()


def at_brightness(colour, factor, tolerance=22):
    """The colour scaled by factor, with any grey added on top (additive fog and
    stars lift all channels alike): the differences between channels tell."""
    def test(r, g, b):
        return abs((r - g) - factor * (colour[0] - colour[1])) <= tolerance \
            and abs((g - b) - factor * (colour[1] - colour[2])) <= tolerance \
            and min(r, g, b) >= factor * min(colour) - tolerance
    return test


class BackdropInEveryScene(DesktopCase):
    # Scene number, name, and the backdrop's brightness from the second frame
    # on: the additive scenes leave blending on with the half-alpha colour, the
    # masking scenes leave one-one blending, the calendar does not blend. (What
    # the masks cut out is checked frame by frame in the scenes' render tests.)
    SCENES = ((1, "wuerfel", 1.0), (2, "nebel", 0.5), (3, "sterne", 0.5), (4, "kalender", 1.0),
              (5, "butterfly", 1.0))

    def test_each_scene_shows_the_desktop_upright_at_its_brightness(self):
        if not scene_pictures_built():
            self.skipTest("the scene pictures are not in this build's resources yet")
        self.show_known_picture("scenes-known-picture")
        for number, name, factor in self.SCENES:
            with self.subTest(scene=name):
                self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", number)
                _, shot = self.run_saver("desktop-%s" % name)
                other = 0.5 if factor == 1.0 else 1.0
                for box, colour in zip(corner_boxes(shot.width, shot.height), QUADRANTS):
                    x0, y0, x1, y1 = box
                    area = (x1 - x0) * (y1 - y0)
                    self.assertGreater(shot.count(at_brightness(colour, factor), box), 0.7 * area,
                                       "%s at %.1f in %s of %s" % (colour, factor, box, shot.path))
                    self.assertLess(shot.count(at_brightness(colour, other), box), 0.1 * area,
                                    "%s at %.1f in %s of %s" % (colour, other, box, shot.path))


def darker_than(desktop, shot, margin=60):
    """Where the scene took the desktop's place instead of adding to it: some
    channel far below the desktop's own there, which adding light never gives."""
    return (desktop.pixels - shot.pixels > margin).any(axis=2)


class SilhouettesCoverTheDesktop(DesktopCase):
    """Light added over the desktop only brightens it; only a silhouette cut
    out first lets the cube's lettering and the butterflies' dark wings show
    darker than the desktop behind them."""
    # Scene number, name, seconds to wait (the butterflies start above the view
    # and need a while to sink into it), and the least number of pixels where
    # the scene must have replaced the desktop.
    SCENES = ((1, "wuerfel", 2.0, 10000), (5, "butterfly", 6.0, 1500))

    def test_cube_and_butterflies_hide_the_desktop_behind_them(self):
        if not scene_pictures_built():
            self.skipTest("the scene pictures are not in this build's resources yet")
        desktop = self.show_known_picture("silhouettes-known-picture")
        for number, name, settle, least in self.SCENES:
            with self.subTest(scene=name):
                self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", number)
                _, shot = self.run_saver("silhouettes-%s" % name, settle)
                replaced = int(darker_than(desktop, shot).sum())
                self.assertGreater(replaced, least, "the desktop shows through in %s" % shot.path)


class TwoMonitors(DesktopCase):
    """Two monitors side by side, the primary on the right: Xvfb's RandR
    monitors, which Wine reads through Xinerama once its XRandR use is off."""
    session_options = {"screen": "2560x1024x24"}

    def setUp(self):
        super().setUp()
        self.session.reg_add(X11_DRIVER_KEY, "UseXRandR", "REG_SZ", "N")
        self.addCleanup(self.session.wine, "reg", "delete", X11_DRIVER_KEY, "/v", "UseXRandR", "/f")
        for monitor in (("*primary", "1280/340x1024/270+1280+0", "screen"),
                        ("left", "1280/340x1024/270+0+0", "none")):
            subprocess.run(["xrandr", "--setmonitor", *monitor], env=self.session.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine's desktop process measures the monitors when it starts: start anew.
        self.session.restart_wine()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", 4)
        code, screens = self.session.probe("monitors")
        self.assertEqual(code, 0)
        self.assertEqual((screens["count"], screens["virtual"]), ("2", "-1280,0,2560,1024"))
        self.assertEqual(screens["monitors"], "0,0,1280,1024* -1280,0,0,1024")

    def test_window_and_snapshot_span_both_monitors(self):
        self.show_known_picture("two-monitors-known-picture")
        window, shot = self.run_saver("two-monitors-on")
        self.assertEqual(window["rect"], "-1280,0,1280,1024")
        self.assert_corners(shot, QUADRANTS, "backdrop over both monitors")

    def test_one_monitor_setting_takes_the_primary_only(self):
        self.session.reg_add(PROGRAM_KEY, "Use1Monitor", "REG_DWORD", 1)
        self.show_known_picture("two-monitors-known-picture-use1")
        window, shot = self.run_saver("two-monitors-use1")
        self.assertEqual(window["rect"], "0,0,1280,1024")
        # The right monitor shows the right half of the picture, stretched over it.
        right = shot.count(near(TOP_RIGHT), (1300, 10, 2540, 200))
        self.assertGreater(right, 0.95 * 1240 * 190, shot.path)
        self.assertEqual(shot.count(near(TOP_LEFT), (1280, 0, 2560, 1024)), 0)


if __name__ == "__main__":
    unittest.main()
