"""The four picture scenes full screen on black: two screenshots a second apart,
checked by colour and coverage."""
import time
import unittest

import numpy

from harness import PROGRAM_KEY, SaverTestCase, scene_table, wait_exit


def pixels(shot):
    """The screenshot as a height x width x 3 array wide enough for sums."""
    return shot.pixels.astype(numpy.int32)


def brightness(rgb):
    return rgb.sum(axis=2)


def saturation(rgb):
    return rgb.max(axis=2) - rgb.min(axis=2)


class PictureScenesFullScreen(SaverTestCase):
    session_options = {"window_manager": True}

    def run_scene(self, name, faults, first_after=2.0):
        """Starts the scene `name` (its class in lower case) on black and takes two screenshots a second
        apart, each the first without `faults(pixels, path)`: the scenes move
        by frames, and a loaded machine draws fewer. Ends the saver with a key."""
        self.session.reg_add(PROGRAM_KEY, "SceneStrategy", "REG_DWORD", scene_table.scene(name).number)
        self.session.reg_add(PROGRAM_KEY, "ShowDesktop", "REG_DWORD", 0)
        saver = self.session.start_saver("/s")
        window = self.session.wait_for_window("DriftlanternsApp")
        self.assertIsNotNone(window, "no render window")
        time.sleep(first_after)
        shots = []
        for index in (1, 2):
            shots.append(self.session.screenshot_when("scene-%s-%d" % (name, index),
                                                      lambda shot: not faults(pixels(shot), shot.path)))
            time.sleep(1.0)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        self.session.xdotool("key", "Escape")
        self.assertEqual(wait_exit(saver, 30), 1)
        for shot in shots:
            self.assertEqual(shot.pixels.shape, (1024, 1280, 3))
            self.assertEqual(faults(pixels(shot), shot.path), [])
        a, b = pixels(shots[0]), pixels(shots[1])
        moved = (numpy.abs(a - b).max(axis=2) > 8).mean()
        self.assertGreater(moved, 0.002, "%s: the two screenshots a second apart are the same" % name)

    def test_sterne_coloured_flares_on_black(self):
        def faults(rgb, path):
            lit = brightness(rgb) > 60
            found = []
            if (brightness(rgb) < 20).mean() <= 0.6:
                found.append("%s: not mostly black" % path)
            if lit.mean() <= 0.01:
                found.append("%s: too few stars" % path)
            # Coloured flares: where they do not overlap into white, all three
            # channels lead somewhere.
            coloured = lit & (saturation(rgb) > 80)
            if coloured.sum() <= 5000:
                found.append("%s: no coloured flares" % path)
            leads = rgb.argmax(axis=2)
            for channel in range(3):
                if (coloured & (leads == channel)).sum() <= 200:
                    found.append("%s: channel %d" % (path, channel))
            # A few seconds in, the line the stars start on has wound into a spiral.
            columns = numpy.nonzero(lit)[1]
            if not columns.size or columns.max() - columns.min() <= 400:
                found.append("%s: stars in one place" % path)
            return found
        self.run_scene("sterne", faults, first_after=6.0)

    def test_nebel_grey_fog_over_the_whole_screen(self):
        def faults(rgb, path):
            found = []
            if (saturation(rgb) <= 4).mean() <= 0.99:
                found.append("%s: the fog is not grey" % path)
            mean = brightness(rgb).mean() / 3
            if not 5 < mean < 120:
                found.append("%s: mean brightness %.1f" % (path, mean))
            # Fog everywhere: every 128 x 128 block has some.
            blocks = brightness(rgb).reshape(8, 128, 10, 128).mean(axis=(1, 3)) / 3
            if blocks.min() <= 2:
                found.append("%s: a block without fog" % path)
            # Soft: neighbouring pixels hardly ever jump.
            if (numpy.abs(numpy.diff(brightness(rgb), axis=1)) > 45).mean() >= 0.001:
                found.append("%s: hard edges in the fog" % path)
            return found
        self.run_scene("nebel", faults)

    def test_butterflies_fall_and_flap_on_black(self):
        def faults(rgb, path):
            lit = brightness(rgb) > 60
            found = []
            if (brightness(rgb) < 20).mean() <= 0.5:
                found.append("%s: not mostly black" % path)
            if lit.mean() <= 0.005:
                found.append("%s: too few butterflies in view" % path)
            if (lit & (saturation(rgb) > 60)).sum() <= lit.sum() * 0.3:
                found.append("%s: no colours" % path)
            return found
        self.run_scene("butterfly", faults, first_after=6.0)
        # Which way they go is the motion tests' business: a near butterfly
        # leaving at the bottom while a far one enters at the top moves the
        # light's centre of gravity up, so the screenshots cannot tell.

    def test_wuerfel_glowing_cube_in_the_middle(self):
        def faults(rgb, path):
            lit = brightness(rgb) > 60
            rows, columns = numpy.nonzero(lit)
            if lit.mean() <= 0.1:
                return ["%s: cube too small" % path]
            found = []
            # The cube turns about its own centre: at any angle its outline is
            # centred, and it stays clear of the screen's sides.
            if abs(numpy.median(columns) - 640) >= 60 or abs(numpy.median(rows) - 512) >= 60:
                found.append("%s: not centred" % path)
            if columns.max() - columns.min() >= 900:
                found.append("%s: too wide" % path)
            # Black around the cube, glowing white faces with the blue border.
            if (brightness(rgb) < 20)[:, :200].mean() <= 0.99 or (brightness(rgb) < 20)[:, -200:].mean() <= 0.99:
                found.append("%s: light at the sides" % path)
            if (rgb.min(axis=2) > 200).sum() <= 12000:
                found.append("%s: no glowing white" % path)
            blue = (rgb[:, :, 2] > rgb[:, :, 0] + 60) & (rgb[:, :, 2] > 120)
            if blue.sum() <= 500:
                found.append("%s: no blue border" % path)
            return found
        self.run_scene("wuerfel", faults)


if __name__ == "__main__":
    unittest.main()
