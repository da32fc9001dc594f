"""A one-minute soak of the Kalender, the scene that formats and draws text
every frame: handles, private memory and GDI objects of the running saver stay
flat (`./dev soak` runs every scene for longer)."""
import unittest

import harness
import soak


class SoakOneMinute(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        harness.require_build(cls)

    def test_kalender_resources_stay_flat_for_a_minute(self):
        seconds = 60.0
        samples, problem = soak.soak_scene(4, seconds, interval=3.0)
        rows, grew = soak.judge(samples, seconds)
        soak.print_table("Kalender", samples, rows, problem)
        self.assertIsNone(problem)
        # Under Wine every count comes from a fallback in the probe: a reading
        # of -1 or 0 would mean the check silently measured nothing.
        last = samples[-1].values
        for name in soak.RESOURCES:
            self.assertGreater(last[name], 0, "%s was not sampled" % name)
        self.assertFalse(grew, "; ".join(grew))


if __name__ == "__main__":
    unittest.main()
