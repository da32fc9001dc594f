"""The four picture scenes full screen on black: two screenshots a second apart,
checked by colour and coverage."""
import time
import unittest

import numpy

from harness import PROGRAM_KEY, SaverTestCase, wait_exit


def pixels(shot):
    """The screenshot as a height x width x 3 array wide enough for sums."""
    return shot.pixels.astype(numpy.int32)


def brightness(rgb):
    return rgb.sum(axis=2)


def saturation(rgb):
    return rgb.max(axis=2) - rgb.min(axis=2)


class PictureScenesFullScreen(SaverTestCase):
    session_options = {"window_manager": True}

    def run_scene(self, number, name, first_after=2.0):
        """Starts scene `number` on black, takes two screenshots a second apart
        and ends the saver with a key."""
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", number)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        time.sleep(first_after)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        first = self.session.screenshot("scene-%s-1" % name)
        time.sleep(1.0)
        second = self.session.screenshot("scene-%s-2" % name)
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 10), 1)
        a, b = pixels(first), pixels(second)
        self.assertEqual(a.shape, (1024, 1280, 3))
        moved = (numpy.abs(a - b).max(axis=2) > 8).mean()
        self.assertGreater(moved, 0.002, "%s: the two screenshots a second apart are the same" % name)
        return a, b, first.path

    def test_sterne_coloured_flares_on_black(self):
        # A few seconds in, the line the stars start on has wound into a spiral.
        a, b, path = self.run_scene(3, "sterne", first_after=6.0)
        for rgb in (a, b):
            lit = brightness(rgb) > 60
            self.assertGreater((brightness(rgb) < 20).mean(), 0.6, "%s: not mostly black" % path)
            self.assertGreater(lit.mean(), 0.01, "%s: too few stars" % path)
            # Coloured flares: where they do not overlap into white, all three
            # channels lead somewhere.
            coloured = lit & (saturation(rgb) > 80)
            self.assertGreater(coloured.sum(), 5000, "%s: no coloured flares" % path)
            leads = rgb.argmax(axis=2)
            for channel in range(3):
                self.assertGreater((coloured & (leads == channel)).sum(), 200, "%s: channel %d" % (path, channel))
            rows, columns = numpy.nonzero(lit)
            self.assertGreater(columns.max() - columns.min(), 400, "%s: stars in one place" % path)

    def test_nebel_grey_fog_over_the_whole_screen(self):
        a, b, path = self.run_scene(2, "nebel")
        for rgb in (a, b):
            grey = saturation(rgb) <= 4
            self.assertGreater(grey.mean(), 0.99, "%s: the fog is not grey" % path)
            mean = brightness(rgb).mean() / 3
            self.assertGreater(mean, 5, path)
            self.assertLess(mean, 120, path)
            # Fog everywhere: every 128 x 128 block has some.
            blocks = brightness(rgb).reshape(8, 128, 10, 128).mean(axis=(1, 3)) / 3
            self.assertGreater(blocks.min(), 2, "%s: a block without fog" % path)
            # Soft: neighbouring pixels hardly ever jump.
            jumps = numpy.abs(numpy.diff(brightness(rgb), axis=1)) > 45
            self.assertLess(jumps.mean(), 0.001, "%s: hard edges in the fog" % path)

    def test_butterflies_fall_and_flap_on_black(self):
        a, b, path = self.run_scene(5, "butterfly", first_after=6.0)
        for rgb in (a, b):
            lit = brightness(rgb) > 60
            self.assertGreater((brightness(rgb) < 20).mean(), 0.5, "%s: not mostly black" % path)
            self.assertGreater(lit.mean(), 0.005, "%s: too few butterflies in view" % path)
            self.assertGreater((lit & (saturation(rgb) > 60)).sum(), lit.sum() * 0.3, "%s: no colours" % path)
        # Which way they go is the motion tests' business: a near butterfly
        # leaving at the bottom while a far one enters at the top moves the
        # light's centre of gravity up, so the screenshots cannot tell.

    def test_wuerfel_glowing_cube_in_the_middle(self):
        a, b, path = self.run_scene(1, "wuerfel")
        for rgb in (a, b):
            lit = brightness(rgb) > 60
            rows, columns = numpy.nonzero(lit)
            self.assertGreater(lit.mean(), 0.1, "%s: cube too small" % path)
            self.assertLess(abs(numpy.median(columns) - 640), 60, "%s: not centred" % path)
            self.assertLess(abs(numpy.median(rows) - 512), 60, "%s: not centred" % path)
            self.assertLess(columns.max() - columns.min(), 900, path)
            # Black around the cube, glowing white faces with the blue border.
            self.assertGreater((brightness(rgb) < 20)[:, :200].mean(), 0.99, path)
            self.assertGreater((brightness(rgb) < 20)[:, -200:].mean(), 0.99, path)
            self.assertGreater((rgb.min(axis=2) > 200).sum(), 12000, "%s: no glowing white" % path)
            blue = (rgb[:, :, 2] > rgb[:, :, 0] + 60) & (rgb[:, :, 2] > 120)
            self.assertGreater(blue.sum(), 500, "%s: no blue border" % path)


if __name__ == "__main__":
    unittest.main()
