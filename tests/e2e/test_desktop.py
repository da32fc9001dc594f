"""The desktop behind the scene: a known picture (a Wine window of our own,
since Wine captures only what Wine windows show) is on the screen before the
saver starts; the saver's snapshot of it must come back upright behind the
scene, and not at all when ShowDesktop is off."""
import os
import subprocess
import time
import unittest

import numpy

from harness import CLOCK_SCENE, HERE, PROBE, PROGRAM_KEY, SaverTestCase, scene_table, wait_exit

# The probe's quadrants, clockwise from the top left, as the screen shows them.
TOP_LEFT, TOP_RIGHT = (230, 40, 40), (40, 200, 40)
BOTTOM_LEFT, BOTTOM_RIGHT = (40, 40, 230), (230, 230, 40)
QUADRANTS = (TOP_LEFT, TOP_RIGHT, BOTTOM_LEFT, BOTTOM_RIGHT)
X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"


def near(target, tolerance=20):
    return lambda r, g, b: abs(r - target[0]) <= tolerance and abs(g - target[1]) <= tolerance \
        and abs(b - target[2]) <= tolerance


def corner_boxes(width, height, size=120):
    """Boxes in the four corners of a screen."""
    return ((8, 8, 8 + size, 8 + size), (width - 8 - size, 8, width - 8, 8 + size),
            (8, height - 8 - size, 8 + size, height - 8), (width - 8 - size, height - 8 - size, width - 8, height - 8))


# The calendar sheet rocks by a fixed angle per frame, so how far it has turned
# when a screenshot is taken depends on the machine's load. On a screen of 1024
# rows, no tilt within its bounds (nor the few degrees past them that a slow
# frame adds) brings the sheet, its clock included, into the top or bottom 40
# rows, at any column and in any month: only these bands are always clear.
def clear_band_boxes(width, height, size=200, depth=24):
    """Boxes in the corners of the bands above and below the calendar sheet."""
    return ((8, 8, 8 + size, 8 + depth), (width - 8 - size, 8, width - 8, 8 + depth),
            (8, height - 8 - depth, 8 + size, height - 8),
            (width - 8 - size, height - 8 - depth, width - 8, height - 8))


def edge(line, before, after):
    """Where a line of pixels turns from one colour to the other: the last index
    near `before` and the first near `after`."""
    near_before = [i for i, rgb in enumerate(line) if near(before)(*rgb)]
    near_after = [i for i, rgb in enumerate(line) if near(after)(*rgb)]
    return (near_before[-1] if near_before else None, near_after[0] if near_after else None)


def between(line, before, after, tolerance=24):
    """Whether every pixel of the line lies on the way from one colour to the
    other, as the picture's own pixels do, sharp or blurred: a line that the
    scene crosses somewhere has others."""
    a = numpy.array(before, dtype=float)
    span = numpy.array(after, dtype=float) - a
    share = numpy.clip(((line - a) @ span) / (span @ span), 0.0, 1.0)
    return bool((numpy.abs(line - (a + share[:, None] * span)).max(axis=1) <= tolerance).all())


class DesktopCase(SaverTestCase):
    def show_known_picture(self, name):
        self.session.start(PROBE, "show-picture", "--quadrants", "1", "--topmost", "0")
        self.assertIsNotNone(self.session.wait_for_window("ProbePicture"), "the known picture did not appear")
        def painted(shot):
            return all(shot.count(near(colour), box) == (box[2] - box[0]) * (box[3] - box[1])
                       for box, colour in zip(corner_boxes(shot.width, shot.height), QUADRANTS))
        shot = self.session.screenshot_when(name, painted)
        self.assert_corners(shot, QUADRANTS, "the known picture itself")
        return shot

    def run_saver(self, name, ready=None, settle=2.0, timeout=45.0):
        """Runs the saver full screen and ends it with a key; returns its window
        and the first screenshot, `settle` seconds in, for which `ready(shot)`
        holds (the last one when it never does within `timeout`)."""
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        time.sleep(settle)
        shot = self.session.screenshot_when(name, ready or (lambda shot: True), timeout)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        self.session.probe("sendkey", window["hwnd"], "27")
        self.assertEqual(wait_exit(saver, 30), 1)
        return window, shot

    def assert_sharp_edges(self, desktop, shot):
        """The quadrants' borders lie where the desktop has them and turn within
        a pixel or two, wherever the scene leaves a line across them clear: the
        snapshot is shown pixel for pixel, not through a scaled copy. The bands
        above and below the calendar sheet always cross the vertical border,
        and the screen's sides the horizontal one at any tilt of the sheet."""
        half_width, half_height = shot.width // 2, shot.height // 2
        lines = [("vertical", y, lambda s, y=y: s.pixels[y, half_width - 80:half_width + 80],
                  *((TOP_LEFT, TOP_RIGHT) if y < half_height else (BOTTOM_LEFT, BOTTOM_RIGHT)))
                 for y in range(8, shot.height - 8, 8)]
        lines += [("horizontal", x, lambda s, x=x: s.pixels[half_height - 72:half_height + 88, x],
                   *((TOP_LEFT, BOTTOM_LEFT) if x < half_width else (TOP_RIGHT, BOTTOM_RIGHT)))
                  for x in range(8, shot.width - 8, 8)]
        checked = {"vertical": 0, "horizontal": 0}
        for name, at, line, before, after in lines:
            if not between(line(shot), before, after):
                continue
            expected = edge(line(desktop), before, after)
            got = edge(line(shot), before, after)
            where = "%s border at %d in %s" % (name, at, shot.path)
            self.assertIsNotNone(got[0], "%s: no %s" % (where, before))
            self.assertIsNotNone(got[1], "%s: no %s" % (where, after))
            self.assertLessEqual(got[1] - got[0], 2, "%s blurred" % where)
            self.assertLessEqual(abs(got[1] - expected[1]), 1, "%s moved" % where)
            checked[name] += 1
        for name, count in checked.items():
            self.assertGreaterEqual(count, 3, "the scene hid the %s border everywhere in %s" % (name, shot.path))

    def assert_corners(self, shot, colours, what, share=0.95, boxes=corner_boxes):
        for box, colour in zip(boxes(shot.width, shot.height), colours):
            x0, y0, x1, y1 = box
            count = shot.count(near(colour), box)
            self.assertGreaterEqual(count, share * (x1 - x0) * (y1 - y0),
                                    "%s: %s expected in %s of %s" % (what, colour, box, shot.path))


def clock_shows(shot):
    """Frames are on the screen once the calendar's clock shows."""
    return shot.count(near((0, 255, 255), 60)) > 150


class Backdrop(DesktopCase):
    def setUp(self):
        super().setUp()
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)

    def test_default_run_shows_the_desktop_upright_behind_the_calendar(self):
        desktop = self.show_known_picture("desktop-known-picture")
        window, shot = self.run_saver("desktop-kalender-on", clock_shows)
        self.assertEqual(window["rect"], "0,0,1280,1024")
        # The calendar does not blend: the backdrop keeps the picture's colours.
        self.assert_corners(shot, QUADRANTS, "backdrop", boxes=clear_band_boxes)
        self.assert_sharp_edges(desktop, shot)
        # The sheet is drawn over it, its grid in black rather than white. Its
        # middle stays inside this box at any tilt; the blue month name has
        # less red and green than the blue quadrant.
        sheet = (320, 200, 960, 824)
        self.assertGreater(shot.count(lambda r, g, b: (b > 150) & (r < 25) & (g < 25)), 150, "blue month name")
        self.assertGreater(shot.count(lambda r, g, b: r < 15 and g < 15 and b < 15, sheet), 500, "black grid")
        self.assertEqual(shot.count(near((255, 255, 255), 20)), 0, "white in %s" % shot.path)

    def test_without_show_desktop_no_trace_of_it(self):
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        self.show_known_picture("desktop-known-picture-off")
        _, shot = self.run_saver("desktop-kalender-off", clock_shows)
        self.assert_corners(shot, ((0, 0, 0),) * 4, "black background", boxes=clear_band_boxes)
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


# The backdrop's brightness from the second frame on: the additive scenes leave
# blending on with the half-alpha colour and show it at 0.5; the masking scenes
# leave one-one blending, the calendar does not blend: they show it whole.
# (What the masks cut out is checked frame by frame in the scenes' render tests.)
ADDITIVE_SCENES = ("nebel", "sterne")


class BackdropInEveryScene(DesktopCase):
    # Scene number, name, and the backdrop's brightness.
    SCENES = [(scene.number, scene.key, 0.5 if scene.key in ADDITIVE_SCENES else 1.0)
              for scene in scene_table.SCENES]
    # A short run (a second build's smoke test) names the scenes to try.
    ONLY = [name for name in os.environ.get("NIGHTLOOM_SCENES", "").split(",") if name]

    def test_each_scene_shows_the_desktop_upright_at_its_brightness(self):
        if not scene_pictures_built():
            self.skipTest("the scene pictures are not in this build's resources yet")
        self.show_known_picture("scenes-known-picture")
        scenes = [scene for scene in self.SCENES if not self.ONLY or scene[1] in self.ONLY]
        self.assertTrue(scenes, "no scene named %s" % self.ONLY)
        for number, name, factor in scenes:
            with self.subTest(scene=name):
                self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", number)
                boxes = clear_band_boxes if number == CLOCK_SCENE else corner_boxes

                def faults(shot):
                    """What is wrong with the corners; the scenes move over
                    them for a while (the butterflies sink into view)."""
                    other = 0.5 if factor == 1.0 else 1.0
                    found = []
                    for box, colour in zip(boxes(shot.width, shot.height), QUADRANTS):
                        x0, y0, x1, y1 = box
                        area = (x1 - x0) * (y1 - y0)
                        if shot.count(at_brightness(colour, factor), box) <= 0.7 * area:
                            found.append("%s at %.1f missing in %s of %s" % (colour, factor, box, shot.path))
                        if shot.count(at_brightness(colour, other), box) >= 0.1 * area:
                            found.append("%s at %.1f in %s of %s" % (colour, other, box, shot.path))
                    return found

                _, shot = self.run_saver("desktop-%s" % name, lambda shot: not faults(shot))
                self.assertEqual(faults(shot), [])


def darker_than(desktop, shot, margin=60):
    """Where the scene took the desktop's place instead of adding to it: some
    channel far below the desktop's own there, which adding light never gives."""
    return (desktop.pixels - shot.pixels > margin).any(axis=2)


class SilhouettesCoverTheDesktop(DesktopCase):
    """Light added over the desktop only brightens it; only a silhouette cut
    out first lets the cube's lettering and the butterflies' dark wings show
    darker than the desktop behind them."""
    # Scene number, name, seconds before the first look (the butterflies start
    # above the view and need a while to sink into it), and the least number of
    # pixels where the scene must have replaced the desktop.
    SCENES = [(scene_table.scene(key).number, key, settle, least)
              for key, settle, least in (("wuerfel", 2.0, 10000), ("butterfly", 6.0, 1500))]

    def test_cube_and_butterflies_hide_the_desktop_behind_them(self):
        if not scene_pictures_built():
            self.skipTest("the scene pictures are not in this build's resources yet")
        desktop = self.show_known_picture("silhouettes-known-picture")
        for number, name, settle, least in self.SCENES:
            with self.subTest(scene=name):
                self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", number)
                _, shot = self.run_saver("silhouettes-%s" % name,
                                         lambda shot: int(darker_than(desktop, shot).sum()) > least, settle)
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
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", CLOCK_SCENE)
        code, screens = self.session.probe("monitors")
        self.assertEqual(code, 0)
        self.assertEqual((screens["count"], screens["virtual"]), ("2", "-1280,0,2560,1024"))
        self.assertEqual(screens["monitors"], "0,0,1280,1024* -1280,0,0,1024")

    def test_window_and_snapshot_span_both_monitors(self):
        self.show_known_picture("two-monitors-known-picture")
        window, shot = self.run_saver("two-monitors-on", clock_shows)
        self.assertEqual(window["rect"], "-1280,0,1280,1024")
        self.assert_corners(shot, QUADRANTS, "backdrop over both monitors")

    def test_one_monitor_setting_takes_the_primary_only(self):
        self.session.reg_add(PROGRAM_KEY, "Use1Monitor", "REG_DWORD", 1)
        self.show_known_picture("two-monitors-known-picture-use1")
        window, shot = self.run_saver("two-monitors-use1", clock_shows)
        self.assertEqual(window["rect"], "0,0,1280,1024")
        # The right monitor shows the right half of the picture, stretched over
        # it: seen in the band above the calendar sheet.
        right = shot.count(near(TOP_RIGHT), (1300, 8, 2540, 32))
        self.assertGreater(right, 0.95 * 1240 * 24, shot.path)
        self.assertEqual(shot.count(near(TOP_LEFT), (1280, 0, 2560, 1024)), 0)


if __name__ == "__main__":
    unittest.main()
