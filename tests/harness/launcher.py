#!/usr/bin/env python3
"""The one place that knows how to run Windows programs here: Xvfb, the Wine
prefix and Wine's environment.

Used as a module by the end-to-end tests and as a program by the shell entry
points (with-wine, make-prefix, ./dev, the benchmark and ctest):

  launcher.py make-prefix DIR
  launcher.py run [--screen WxHxD] [--wm] [--screenshot FILE --seconds N] [--here] PROGRAM ARGS...
  launcher.py open-session FILE     (a display and a wineserver that outlive this call)
  launcher.py close-session FILE

`run` uses the session named by NIGHTLOOM_WINE_SESSION when that session is up
(a warm wineserver starts a program in a few hundredths of a second instead of
seconds), else a private display and server for this one program. `--here`
runs on the caller's own DISPLAY. The prefix is always the one WINEPREFIX names.
"""
import fcntl
import glob
import json
import os
import shutil
import signal
import subprocess
import sys
import time

# No Mono or Gecko install prompts, and no debug chatter (which also hides
# Debian's "wine32 is missing" notice).
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}
DEFAULT_SCREEN = "1280x1024x24"
SESSION_VARIABLE = "NIGHTLOOM_WINE_SESSION"

# The fonts the program asks for by name, mapped to free look-alikes.
FONT_REPLACEMENTS = {
    "Courier New": "Liberation Mono",
    "Comic Sans MS": "Comic Neue",
    "Arial": "Liberation Sans",
    "Times New Roman": "Liberation Serif",
}
FONT_FILES = ("/usr/share/wine/fonts/*.ttf", "/usr/share/fonts/truetype/liberation/*.ttf",
              "/usr/share/fonts/opentype/comic-neue/*.otf")

QUIET = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}


def wine_env(prefix, display=None, base=None):
    """The environment every Wine call gets: the caller's, the prefix, the display."""
    env = dict(os.environ if base is None else base, WINEPREFIX=prefix, **WINE_ENV)
    if display is not None:
        env["DISPLAY"] = display
    return env


def prefix_from_environment():
    prefix = os.environ.get("WINEPREFIX", "")
    if not prefix:
        raise SystemExit("WINEPREFIX must name the test prefix")
    return os.path.realpath(prefix)


class Display:
    """A private Xvfb, optionally with a window manager (keyboard focus needs one).
    glx=False starts it without GLX, which makes ChoosePixelFormat fail.
    detached displays survive the process that started them."""

    def __init__(self, screen=DEFAULT_SCREEN, glx=True, window_manager=False, detached=False):
        self.screen = screen
        self.glx = glx
        self.window_manager = window_manager
        self.detached = detached
        self.name = None
        self.xvfb = None
        self.window_manager_process = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        args = ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen, "-nolisten", "tcp",
                "-noreset", "+extension", "RANDR", "+extension" if self.glx else "-extension", "GLX"]
        self.xvfb = subprocess.Popen(args, pass_fds=(write_fd,), start_new_session=self.detached, **QUIET)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().decode().strip()
        if not number:
            self.xvfb.wait()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        env = dict(os.environ, DISPLAY=self.name)
        for _ in range(100):
            if subprocess.run(["xdpyinfo"], env=env, **QUIET).returncode == 0:
                break
            time.sleep(0.05)
        else:
            self.__exit__()
            raise RuntimeError("Xvfb on %s does not answer" % self.name)
        if self.window_manager:
            self.window_manager_process = subprocess.Popen(["openbox"], env=env,
                                                           start_new_session=self.detached, **QUIET)
        return self

    def __exit__(self, *exc):
        for process in (self.window_manager_process, self.xvfb):
            if process and process.poll() is None:
                process.terminate()
                process.wait()
        return False


def start_wineserver(env):
    """A persistent wineserver and Wine's services, warmed up. Every later
    program starts in a few hundredths of a second. The services outlive the
    first wine process: they must not inherit a pipe anyone waits on. ("wineboot
    -u" would warm up too, but it rewrites the prefix's configuration, ~10 s.)"""
    subprocess.run(["wineserver", "-p"], env=env, check=True, **QUIET)
    subprocess.run(["wine", "cmd", "/c", "exit"], env=env, timeout=120, **QUIET)


def stop_wineserver(env):
    """Ends every Wine process of the prefix and waits for the server; the X
    display must outlive this ("X connection broken" otherwise)."""
    subprocess.run(["wineserver", "-k"], env=env, **QUIET)
    subprocess.run(["wineserver", "-w"], env=env, **QUIET)


class WineSession:
    """A display and a persistent wineserver on the build's prefix. Sessions on
    one prefix share its server, so they run one after another."""

    def __init__(self, prefix=None, screen=DEFAULT_SCREEN, glx=True, window_manager=False):
        self.prefix = prefix or prefix_from_environment()
        self.display = Display(screen, glx, window_manager)
        self.processes = []
        self.env = None

    def __enter__(self):
        make_prefix(self.prefix)
        self.display.__enter__()
        self.env = wine_env(self.prefix, self.display.name)
        start_wineserver(self.env)
        return self

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait()
        stop_wineserver(self.env)
        self.display.__exit__()
        return False

    def wine(self, *args, timeout=60, check=False):
        return subprocess.run(["wine", *args], env=self.env, timeout=timeout, check=check,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def start(self, *args):
        process = subprocess.Popen(["wine", *args], env=self.env, **QUIET)
        self.processes.append(process)
        return process


# --- The prefix ------------------------------------------------------------------

def make_prefix(prefix):
    """Makes the prefix once (wineboot takes ~15 s and ~700 MB). Parallel first
    use races inside Wine, so callers queue on a lock file."""
    prefix = os.path.realpath(prefix)
    ready = os.path.join(prefix, ".nightloom-ready")
    if os.path.exists(ready):
        return
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    with open(prefix + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(ready):
            return
        shutil.rmtree(prefix, ignore_errors=True)
        print("== making Wine prefix %s" % prefix, file=sys.stderr)
        with Display() as display:
            env = wine_env(prefix, display.name)
            try:
                subprocess.run(["wine", "wineboot", "-i"], env=env, check=True, **QUIET)
                subprocess.run(["wineserver", "-w"], env=env, **QUIET)
                install_fonts(prefix, env)
                subprocess.run(["wineserver", "-w"], env=env, **QUIET)
            finally:
                subprocess.run(["wineserver", "-k"], env=env, **QUIET)
        open(ready, "w").close()


def install_fonts(prefix, env):
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for pattern in FONT_FILES:
        for path in glob.glob(pattern):
            shutil.copy(path, fonts)

    def reg_add(key, name, reg_type, data):
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", reg_type, "/d", data, "/f"],
                       env=env, check=True, **QUIET)

    reg_add(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "REG_DWORD", "0")
    for face, replacement in FONT_REPLACEMENTS.items():
        reg_add(r"HKCU\Software\Wine\Fonts\Replacements", face, "REG_SZ", replacement)


# --- A session shared by several ctest entries -----------------------------------

def open_session(state_file, prefix):
    """A display and a warm wineserver that stay up after this call, for the
    Win32 unit test entries; close_session ends them."""
    close_session(state_file, prefix)
    make_prefix(prefix)
    display = Display(detached=True).__enter__()
    env = wine_env(prefix, display.name)
    try:
        start_wineserver(env)
    except Exception:
        display.__exit__()
        raise
    with open(state_file, "w") as f:
        json.dump({"display": display.name, "xvfb": display.xvfb.pid, "prefix": prefix}, f)


def read_session(state_file, prefix):
    """The session's display when it is up and on this prefix, else None."""
    try:
        with open(state_file) as f:
            state = json.load(f)
        os.kill(state["xvfb"], 0)
    except (OSError, ValueError, KeyError):
        return None
    return state if state.get("prefix") == prefix else None


def close_session(state_file, prefix):
    state = read_session(state_file, prefix)
    if state:
        stop_wineserver(wine_env(prefix, state["display"]))
        try:
            os.kill(state["xvfb"], signal.SIGTERM)
        except OSError:
            pass
    if os.path.exists(state_file):
        os.remove(state_file)


# --- Running one program ------------------------------------------------------------

def run(program_and_args, screen=DEFAULT_SCREEN, window_manager=False, screenshot=None, seconds=None,
        here=False):
    """Runs a program and answers its exit code; with `seconds`, stops it after
    that long (taking the screenshot first) and answers 0."""
    prefix = prefix_from_environment()
    make_prefix(prefix)
    if here:
        return subprocess.run(["wine", *program_and_args], env=wine_env(prefix)).returncode
    shared = os.environ.get(SESSION_VARIABLE)
    state = read_session(shared, prefix) if shared and seconds is None and screen == DEFAULT_SCREEN \
        and not window_manager else None
    if state:
        return subprocess.run(["wine", *program_and_args], env=wine_env(prefix, state["display"]),
                              stdin=subprocess.DEVNULL).returncode
    with Display(screen, window_manager=window_manager) as display:
        env = wine_env(prefix, display.name)
        try:
            if seconds is None:
                return subprocess.run(["wine", *program_and_args], env=env, stdin=subprocess.DEVNULL).returncode
            process = subprocess.Popen(["wine", *program_and_args], env=env, stdin=subprocess.DEVNULL)
            time.sleep(seconds)
            if screenshot:
                subprocess.run(["import", "-window", "root", screenshot], env=env, check=True)
            return 0
        finally:
            stop_wineserver(env)
            if seconds is not None:
                process.wait()


def main(argv):
    usage = __doc__.split("\n\n")[1]
    if not argv:
        raise SystemExit(usage)
    command, args = argv[0], argv[1:]
    if command == "make-prefix" and len(args) == 1:
        make_prefix(args[0])
        return 0
    if command in ("open-session", "close-session") and len(args) == 1:
        (open_session if command == "open-session" else close_session)(args[0], prefix_from_environment())
        return 0
    if command != "run":
        raise SystemExit(usage)
    options = {"screen": DEFAULT_SCREEN, "window_manager": False, "screenshot": None, "seconds": None,
               "here": False}
    while args and args[0].startswith("--"):
        flag = args.pop(0)
        if flag == "--wm":
            options["window_manager"] = True
        elif flag == "--here":
            options["here"] = True
        elif flag in ("--screen", "--screenshot", "--seconds") and args:
            value = args.pop(0)
            options[flag[2:]] = float(value) if flag == "--seconds" else value
        else:
            raise SystemExit(usage)
    if not args:
        raise SystemExit(usage)
    return run(args, **options)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
