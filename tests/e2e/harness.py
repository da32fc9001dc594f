"""End-to-end harness: the real nightloom.scr under Wine on a private Xvfb.

Each WineSession owns one X display and one wineserver; the Wine prefix is the
build's shared one (WINEPREFIX), so sessions run one after another. Tests see
the saver as a user would: exit codes, windows found by class or title from a
probe process, the registry through `wine reg`, screenshots, X input.
"""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
HARNESS = os.path.join(HERE, "..", "harness")
PREFIX = os.environ.get("WINEPREFIX", "")
SCR = os.environ.get("NIGHTLOOM_SCR", "")
WIN_DIR = os.environ.get("NIGHTLOOM_WIN_DIR", "")
ARTIFACTS = os.environ.get("NIGHTLOOM_ARTIFACTS", os.path.join(tempfile.gettempdir(), "nightloom-artifacts"))
PROBE = os.path.join(WIN_DIR, "tests", "win", "probe.exe")

PROGRAM_KEY = r"HKCU\Software\Wow6432Node\Velbrook\ScreenSaver\DriftlanternsApp"
COMMON_KEY = r"HKCU\Software\Wow6432Node\Velbrook\Common"
BASE_KEY = r"HKCU\Software\Wow6432Node\Velbrook"

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


def in_desktop(desktop):
    """Wine arguments that run a program inside a virtual desktop ("name,WxH"):
    only there can the display mode change, and only programs of the same
    desktop see each other's windows."""
    return ["explorer", "/desktop=" + desktop] if desktop else []


def require_build(test):
    """Skips nothing: a missing build is an error the run must show."""
    for path in (SCR, PROBE):
        if not path or not os.path.exists(path):
            raise AssertionError("missing build output: %r (run through ctest)" % path)
    subprocess.run([os.path.join(HARNESS, "make-prefix"), PREFIX], check=True)


class Image:
    """A screenshot as RGB rows, read through ImageMagick's PPM output."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                              stdout=subprocess.PIPE).stdout
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        pos += 1
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos:pos + self.width * self.height * 3]
        self.path = path

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def count(self, predicate, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        n = 0
        for y in range(y0, y1):
            row = (y * self.width) * 3
            for x in range(x0, x1):
                i = row + x * 3
                if predicate(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]):
                    n += 1
        return n


class WineSession:
    def __init__(self, screen="1280x1024x24", glx=True, window_manager=False):
        self.screen = screen
        self.glx = glx
        self.window_manager = window_manager
        self.processes = []
        self.env = None
        self.tmp = None

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="nightloom-e2e-")
        read_fd, write_fd = os.pipe()
        args = ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen, "-nolisten", "tcp",
                "-noreset", "+extension", "RANDR"]
        args += ["+extension", "GLX"] if self.glx else ["-extension", "GLX"]
        self.xvfb = subprocess.Popen(args, pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write_fd)
        display = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not display.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                display += chunk
        self.env = dict(os.environ, DISPLAY=":" + display.decode().strip(), WINEPREFIX=PREFIX, **WINE_ENV)
        for _ in range(100):
            if subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.05)
        if self.window_manager:
            self.processes.append(subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                                   stderr=subprocess.DEVNULL))
        # A persistent server keeps every later wine start fast. The first wine
        # process starts Wine's own services, which live on: they must not inherit
        # a pipe that a later call waits on. ("wineboot -u" would do too, but it
        # rewrites the prefix's configuration each time, some ten seconds.)
        self.start_wine()
        return self

    def start_wine(self):
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

    def restart_wine(self):
        """A fresh wineserver and desktop process, which read Wine's own
        settings and measure the screens anew."""
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        self.start_wine()

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait()
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    # Programs -------------------------------------------------------------

    def wine(self, *args, timeout=60, check=False):
        return subprocess.run(["wine", *args], env=self.env, timeout=timeout, check=check,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def start(self, *args):
        process = subprocess.Popen(["wine", *args], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def start_saver(self, *switches, desktop=None):
        return self.start(*in_desktop(desktop), SCR, *switches)

    def run_saver(self, *switches, timeout=60):
        return self.wine(SCR, *switches, timeout=timeout).returncode

    def probe(self, *args, timeout=60, desktop=None):
        """Runs the probe, inside a Wine virtual desktop when one is named;
        returns (exit code, {key: value})."""
        out = os.path.join(self.tmp, "probe-%d.txt" % time.monotonic_ns())
        # Drive Z: is the Unix root, whatever the probe's current directory is.
        result = self.wine(*in_desktop(desktop), PROBE, *args, "--out", "Z:" + out, timeout=timeout)
        values = {}
        if os.path.exists(out):
            with open(out, encoding="utf-8") as f:
                for line in f:
                    key, sep, value = line.rstrip("\n").partition("=")
                    if sep and key not in values:
                        values[key] = value.replace("\\n", "\n")
            os.remove(out)
        return result.returncode, values

    def wait_for_box(self, caption, timeout_ms=15000, press="ok"):
        code, box = self.probe("box", caption, "--timeout", str(timeout_ms), "--press", press,
                               timeout=timeout_ms / 1000 + 30)
        return box if code == 0 else None

    def wait_for_window(self, window_class, timeout_ms=15000):
        code, window = self.probe("window", window_class, "--timeout", str(timeout_ms),
                                  timeout=timeout_ms / 1000 + 30)
        return window if code == 0 else None

    def screensaver_active(self):
        code, values = self.probe("ssaver", "get")
        assert code == 0, "probe ssaver get failed"
        return values["active"] == "1"

    def set_screensaver_active(self, active):
        code, _ = self.probe("ssaver", "set", "1" if active else "0")
        assert code == 0

    # Registry ---------------------------------------------------------------

    def reg_delete(self, key):
        self.wine("reg", "delete", key, "/f")

    def reg_add(self, key, name, reg_type, data):
        result = self.wine("reg", "add", key, "/v", name, "/t", reg_type, "/d", str(data), "/f")
        assert result.returncode == 0, result.stderr

    def reg_query(self, key, name):
        """(type, data) of a value, or None when it is missing."""
        result = self.wine("reg", "query", key, "/v", name)
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
        return Image(path)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def wait_exit(process, timeout):
    """The exit code, or None when the process is still running after timeout seconds."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


class SaverTestCase(unittest.TestCase):
    """Each test gets a fresh display, server and empty settings."""

    session_options = {}

    @classmethod
    def setUpClass(cls):
        require_build(cls)

    def setUp(self):
        self.session = WineSession(**self.session_options).__enter__()
        self.addCleanup(self.session.__exit__, None, None, None)
        self.session.clear_settings()
