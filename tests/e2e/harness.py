"""End-to-end harness: the real nightloom.scr under Wine on a private Xvfb.

Each SaverSession owns one X display and one wineserver (launcher.WineSession);
the Wine prefix is the build's shared one (WINEPREFIX), so sessions run one
after another. Tests see the saver as a user would: exit codes, windows found by
class or title from a probe process, the registry through `wine reg`,
screenshots, X input.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import numpy
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "harness"))
import launcher  # noqa: E402
import scene_table  # noqa: E402

# The scene whose running clock shows that its frames reach the screen.
CLOCK_SCENE = scene_table.scene("kalender").number

PREFIX = os.environ.get("WINEPREFIX", "")
SCR = os.environ.get("NIGHTLOOM_SCR", "")
WIN_DIR = os.environ.get("NIGHTLOOM_WIN_DIR", "")
ARTIFACTS = os.environ.get("NIGHTLOOM_ARTIFACTS", os.path.join(tempfile.gettempdir(), "nightloom-artifacts"))
PROBE = os.path.join(WIN_DIR, "tests", "win", "probe.exe")

PROGRAM_KEY = r"HKCU\Software\Wow6432Node\Velbrook\ScreenSaver\DriftlanternsApp"
COMMON_KEY = r"HKCU\Software\Wow6432Node\Velbrook\Common"
BASE_KEY = r"HKCU\Software\Wow6432Node\Velbrook"


def in_desktop(desktop):
    """Wine arguments that run a program inside a virtual desktop ("name,WxH"):
    only there can the display mode change, and only programs of the same
    desktop see each other's windows."""
    return ["explorer", "/desktop=" + desktop] if desktop else []


def windows_path(path):
    """A Unix path as Windows programs under Wine name it: drive Z: is the root."""
    return "Z:" + path.replace("/", "\\")


def project_version():
    """The version as the build's one source, project() in CMakeLists.txt, states it."""
    with open(os.path.join(HERE, "..", "..", "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"project\(Nightloom VERSION ([0-9.]+)", f.read())
    assert found, "no project version in CMakeLists.txt"
    return found.group(1)


def require_build(test):
    """Skips nothing: a missing build is an error the run must show."""
    for path in (SCR, PROBE):
        if not path or not os.path.exists(path):
            raise AssertionError("missing build output: %r (run through ctest)" % path)
    launcher.make_prefix(PREFIX)


class Shot:
    """A screenshot as an RGB array (rows top-down, as on screen). Boxes are
    (x0, y0, x1, y1), end-exclusive, in screen pixels."""

    def __init__(self, path):
        self.path = path
        with Image.open(path) as picture:
            self.pixels = numpy.asarray(picture.convert("RGB"), dtype=numpy.int16)
        self.height, self.width = self.pixels.shape[:2]

    def region(self, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        return self.pixels[y0:y1, x0:x1]

    def at(self, x, y):
        return tuple(int(v) for v in self.pixels[y, x])

    def mean_colour(self, box=None):
        """The region's mean (r, g, b)."""
        return tuple(float(v) for v in self.region(box).reshape(-1, 3).mean(axis=0))

    def near_mask(self, colour, tolerance=40, box=None):
        return (numpy.abs(self.region(box) - numpy.array(colour, dtype=numpy.int16)) <= tolerance).all(axis=2)

    def count_near(self, colour, tolerance=40, box=None):
        """How many pixels of the region are within tolerance of colour in every channel."""
        return int(self.near_mask(colour, tolerance, box).sum())

    def fraction_near(self, colour, tolerance=40, box=None):
        mask = self.near_mask(colour, tolerance, box)
        return float(mask.mean()) if mask.size else 0.0

    def count(self, predicate, box=None):
        """Pixels for which predicate(r, g, b) holds. It gets whole channel arrays
        (combine tests with & and |); one written for single values works too,
        pixel by pixel."""
        region = self.region(box)
        channels = (region[..., 0], region[..., 1], region[..., 2])
        try:
            matches = predicate(*channels)
        except ValueError:  # "truth value of an array is ambiguous": a per-pixel predicate
            matches = numpy.vectorize(predicate)(*channels)
        return int(numpy.count_nonzero(matches))

    def difference(self, other, box=None):
        """Mean absolute difference per channel between two shots (0 to 255)."""
        return float(numpy.abs(self.region(box) - other.region(box)).mean())


class SaverSession(launcher.WineSession):
    def __init__(self, screen=launcher.DEFAULT_SCREEN, glx=True, window_manager=False):
        super().__init__(PREFIX, screen, glx, window_manager)
        self.tmp = None

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="nightloom-e2e-")
        return super().__enter__()

    def __exit__(self, *exc):
        super().__exit__(*exc)
        shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    # Programs -------------------------------------------------------------

    def restart_wine(self):
        """A fresh wineserver and desktop process, which read Wine's own
        settings and measure the screens anew."""
        launcher.stop_wineserver(self.env)
        launcher.start_wineserver(self.env)

    def start_saver(self, *switches, desktop=None):
        return self.start(*in_desktop(desktop), SCR, *switches)

    def run_saver(self, *switches, timeout=60):
        return self.wine(SCR, *switches, timeout=timeout).returncode

    def probe(self, *args, timeout=60, desktop=None):
        """Runs the probe, inside a Wine virtual desktop when one is named;
        returns (exit code, its JSON report; {} when it wrote none)."""
        args = [str(a) for a in args]
        if "--timeout" in args:
            # The probe's own wait, and time for Wine to start it.
            timeout = max(timeout, int(args[args.index("--timeout") + 1]) / 1000 + 30)
        out = os.path.join(self.tmp, "probe-%d.json" % time.monotonic_ns())
        result = self.wine(*in_desktop(desktop), PROBE, *args, "--out", windows_path(out),
                           timeout=timeout)
        report = {}
        if os.path.exists(out):
            with open(out, encoding="ascii") as f:
                report = json.load(f)
            os.remove(out)
        self.last_probe = (args, result.returncode, report, result.stderr[-1000:].decode("utf-8", "replace"))
        return result.returncode, report

    def say_why_probe_failed(self):
        """For a wait on something that must appear: what the probe and Wine
        said. Once such a wait failed within seconds instead of its minute, and
        nothing told whether the probe had started at all."""
        args, code, report, errors = self.last_probe
        sys.stderr.write("probe %s: exit code %d, report %r, stderr %r\n" % (" ".join(args), code, report, errors))

    def run_watched(self, program, *args, timeout_ms=30000):
        """Runs a program from the probe and watches it while it lives: returns
        (its exit code, the boxes it showed)."""
        code, report = self.probe("run", program, *args, "--timeout", str(timeout_ms))
        assert code == 0, "the watched run failed: %r" % report
        return int(report["exit"]), report["boxes"]

    # Generous waits for what must appear: on a loaded machine the first window
    # of a fresh Wine session (which starts Wine's desktop process) has taken
    # over 15 s.
    def wait_for_box(self, caption, timeout_ms=60000, press="ok"):
        code, box = self.probe("box", caption, "--timeout", str(timeout_ms), "--press", press)
        if code != 0:
            self.say_why_probe_failed()
        return box if code == 0 else None

    def wait_for_window(self, window_class, timeout_ms=60000):
        code, window = self.probe("window", window_class, "--timeout", str(timeout_ms))
        if code != 0:
            self.say_why_probe_failed()
        return window if code == 0 else None

    def screensaver_active(self):
        code, values = self.probe("ssaver", "get")
        assert code == 0, "probe ssaver get failed"
        return values["active"] == "1"

    def set_screensaver_active(self, active):
        code, _ = self.probe("ssaver", "set", "1" if active else "0")
        assert code == 0

    # Registry ---------------------------------------------------------------

    def reg(self, *args):
        """`wine reg ARGS`. Now and then (twice in this suite's full runs) a
        call has hung for the whole timeout or failed without a word: such a
        call gets a second try before its result counts."""
        try:
            result = self.wine("reg", *args)
            if result.returncode == 0:
                return result
        except subprocess.TimeoutExpired:
            # Said aloud, with what else ran then, so the cause can be found.
            processes = subprocess.run(["ps", "-eo", "pid,etimes,stat,args"], stdout=subprocess.PIPE,
                                       universal_newlines=True).stdout
            sys.stderr.write("wine reg %s hung; processes:\n%s\n" % (" ".join(args), processes))
        return self.wine("reg", *args)

    def reg_delete(self, key):
        self.reg("delete", key, "/f")

    def reg_add(self, key, name, reg_type, data):
        result = self.reg("add", key, "/v", name, "/t", reg_type, "/d", str(data), "/f")
        assert result.returncode == 0, (result.returncode, result.stdout, result.stderr)

    def reg_query(self, key, name):
        """(type, data) of a value, or None when it is missing."""
        result = self.reg("query", key, "/v", name)
        if result.returncode != 0:
            return None
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
                return parts[1], (parts[2] if len(parts) > 2 else "")
        return None

    def reg_dword(self, key, name):
        value = self.reg_query(key, name)
        if value is None:
            return None
        assert value[0] == "REG_DWORD", value
        return int(value[1], 16)

    def clear_settings(self):
        self.reg_delete(BASE_KEY)

    # Screen and input -------------------------------------------------------

    def screenshot(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        return Shot(path)

    def screenshot_when(self, name, ready, timeout=45.0):
        """The first screenshot for which ready(shot) holds, or the last one
        when none does within timeout seconds. A moving scene reaches a state
        after a number of frames, not of seconds: a loaded machine gets there
        later."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot(name)
            if ready(shot) or time.monotonic() > deadline:
                return shot
            time.sleep(0.5)

    def wait_for_new_frame(self, name, timeout=45.0):
        """True once the screen shows another picture than when this was
        called: frames are being drawn. A loaded machine draws its first late."""
        first = self.screenshot(name)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            time.sleep(0.2)
            if self.screenshot(name).difference(first) > 0.0:
                return True
        return False

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


class Wizard:
    """An NSIS wizard (installer or uninstaller), found by its title and read
    through the probe: its pages are inner dialogs, its buttons the outer
    dialog's Next (1) and Cancel (2)."""

    NEXT = "1"

    def __init__(self, session, title):
        self.session = session
        self.title = title
        # X quirk: on a loaded machine a key's release can come late enough
        # for the server to repeat the key, and a second Return ends a page.
        subprocess.run(["xset", "r", "off"], env=session.env, check=True)

    def dialog(self, timeout_ms=60000):
        code, dialog = self.session.probe("dialog", self.title, "--timeout", str(timeout_ms),
                                          timeout=timeout_ms / 1000 + 30)
        assert code == 0, "no wizard %r" % self.title
        return dialog

    def controls(self):
        dialog = self.dialog()
        code, report = self.session.probe("controls", dialog["hwnd"])
        assert code == 0, report
        return dialog, report["controls"]

    def next_button(self, controls, dialog):
        return next(c for c in controls if c["id"] == self.NEXT and c["parent"] == dialog["hwnd"])

    def wait_for_next(self, text, timeout=180):
        """The outer dialog and its controls once its Next button, enabled,
        reads text: the page that the button ends."""
        deadline = time.monotonic() + timeout
        while True:
            dialog, controls = self.controls()
            button = self.next_button(controls, dialog)
            if button["text"] == text and button["enabled"] == "1" and button["visible"] == "1":
                return dialog, controls
            assert time.monotonic() < deadline, "the wizard's button still reads %r" % button["text"]
            time.sleep(0.5)

    def wait_for_text(self, text, timeout=180):
        """The outer dialog and its controls once one of them reads text."""
        deadline = time.monotonic() + timeout
        while True:
            dialog, controls = self.controls()
            if any(c["text"] == text and c["visible"] == "1" for c in controls):
                return dialog, controls
            assert time.monotonic() < deadline, "no %r in the wizard" % text
            time.sleep(0.5)

    def key(self, name):
        """A key to the wizard as the person at the keyboard gives it: to the
        window that has the focus, once the window manager made it active."""
        self.session.xdotool("search", "--sync", "--name", "^%s$" % self.title, "windowactivate", "--sync")
        self.session.xdotool("key", name)

    def wait_gone(self, timeout=60):
        deadline = time.monotonic() + timeout
        while self.session.probe("dialog", self.title, "--timeout", "0")[0] == 0:
            assert time.monotonic() < deadline, "the wizard %r is still open" % self.title
            time.sleep(0.5)


def cpu_seconds(process):
    """The processor time a running Wine program has used; a GL child window
    under Wine shows nothing, but a preview that draws uses the processor."""
    with open("/proc/%d/stat" % process.pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wait_for_work(process, seconds, timeout=45.0):
    """True once the process has used seconds more processor time, while it runs."""
    start = cpu_seconds(process)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and process.poll() is None:
        if cpu_seconds(process) - start >= seconds:
            return True
        time.sleep(0.2)
    return False


def wait_exit(process, timeout):
    """The exit code, or None when the process is still running after timeout seconds."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


# The name the tests have used for a session.
WineSession = SaverSession


class SaverTestCase(unittest.TestCase):
    """Each test gets a fresh display, server and empty settings."""

    session_options = {}

    @classmethod
    def setUpClass(cls):
        require_build(cls)

    def setUp(self):
        self.session = SaverSession(**self.session_options).__enter__()
        self.addCleanup(self.session.__exit__, None, None, None)
        self.session.clear_settings()
        if os.environ.get("NIGHTLOOM_EXPECT_STRICT_GL"):
            self.assert_strict_gl()

    def assert_strict_gl(self):
        """The run that asks for a strict OpenGL 1.1 must get one, or it would
        pass as an ordinary run."""
        code, gl = self.session.probe("gl")
        self.assertEqual(code, 0, "no OpenGL context for the probe")
        self.assertTrue(gl["version"].startswith("1.1"), gl)
        self.assertEqual(gl["npot"], "0", gl)
