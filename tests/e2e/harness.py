"""Runs our Windows programs under Wine on a virtual X display, for end-to-end tests.

A test does:

    with WineSession("name") as wine:
        wine.run("tests/settings-probe.exe", "read")
        proc = wine.start("TevraTray.exe")
        wine.screenshot("popup")

The session starts its own Xvfb, uses the build's own Wine prefix (never ~/.wine), and when it
ends, also after a failure, ends every process it started by its id, waits for the prefix's
wineserver to finish and stops the X server.

Power status: Wine computes GetSystemPowerStatus from /sys/class/power_supply. A test that calls
`isolate_power()` first runs in a private mount namespace with a tmpfs of its own there, and sets
the state with `set_power(...)`; other processes on the machine are not affected.
"""

import contextlib
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WIN64_DIR = Path(os.environ.get("TEVRA_WIN64_DIR", ROOT / "out" / "win64"))
TOOLS_DIR = WIN64_DIR / "tests"
PREFIX = Path(os.environ.get("TEVRA_WINEPREFIX", ROOT / "build" / "wineprefix"))
ARTIFACTS = Path(os.environ.get("TEVRA_ARTIFACTS", ROOT / "artifacts"))
POWER_DIR = Path("/sys/class/power_supply")


def log(*parts):
    print(*parts, flush=True)


class TestFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise TestFailure(f"{what}: expected {expected!r}, got {actual!r}")


def wait_until(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls predicate until it returns a true value, which is returned; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------
# Power status


def isolate_power():
    """Re-runs this test in a private mount namespace with a tmpfs over /sys/class/power_supply.

    Call it first thing in a test that sets the power state. Needs root (CI and the developers'
    machines run as root)."""
    if os.environ.get("TEVRA_POWER_NAMESPACE") != "1":
        env = dict(os.environ, TEVRA_POWER_NAMESPACE="1")
        args = ["unshare", "--mount", "--propagation", "private", sys.executable, *sys.argv]
        os.execvpe("unshare", args, env)
    subprocess.run(["mount", "-t", "tmpfs", "tevra-power", str(POWER_DIR)], check=True)


def set_power(ac_online, battery="Charging", capacity=60):
    """Sets what Wine will report: ac_online True/False, battery one of "Charging",
    "Discharging", "Not charging", "Full", or None for a computer without a battery."""
    check(os.environ.get("TEVRA_POWER_NAMESPACE") == "1", "set_power needs isolate_power() first")
    for entry in POWER_DIR.iterdir():
        shutil.rmtree(entry)
    ac = POWER_DIR / "AC"
    ac.mkdir()
    (ac / "type").write_text("Mains\n")
    (ac / "online").write_text("1\n" if ac_online else "0\n")
    if battery is not None:
        bat = POWER_DIR / "BAT0"
        bat.mkdir()
        (bat / "type").write_text("Battery\n")
        (bat / "present").write_text("1\n")
        (bat / "status").write_text(battery + "\n")
        (bat / "capacity").write_text(f"{capacity}\n")


# ---------------------------------------------------------------------------------------------
# Wine session


def windows_path(path):
    """The Wine path (drive Z:) of a Linux path."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class WineSession:
    def __init__(self, name, screen="1024x768x24", display=None):
        """display: an X display to show the programs on (such as the user's $DISPLAY) instead
        of a virtual one of the session's own."""
        self.name = name
        self.screen = screen
        self.artifacts = ARTIFACTS / name
        self.processes = []
        self.xvfb = None
        self.display = display
        self.env = None

    # -- lifetime -------------------------------------------------------------------------

    def __enter__(self):
        self.artifacts.mkdir(parents=True, exist_ok=True)
        try:
            if self.display is None:
                self._start_xvfb()
            self.env = dict(
                os.environ,
                WINEPREFIX=str(PREFIX),
                WINEARCH="win64",
                WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
                WINEDLLOVERRIDES="mscoree,mshtml=",
                DISPLAY=self.display,
            )
            self._ensure_prefix()
        except BaseException:
            self._stop()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc is not None:
            with contextlib.suppress(Exception):
                self.screenshot("failure")
        self._stop()
        return False

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        check(number, "Xvfb did not start")
        self.display = f":{number}"

    def _ensure_prefix(self):
        PREFIX.parent.mkdir(parents=True, exist_ok=True)
        with open(str(PREFIX) + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not (PREFIX / "system.reg").exists():
                log(f"harness: creating Wine prefix {PREFIX}")
                subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
                subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)

    def _stop(self):
        for proc in reversed(self.processes):
            if proc.poll() is None:
                with contextlib.suppress(ProcessLookupError):
                    proc.kill()
                with contextlib.suppress(Exception):
                    proc.wait(timeout=10)
        self.processes.clear()
        if self.env is not None:
            # Wine's own helpers (explorer, services) end when the last program of the prefix has
            # gone; wait for that so the next test starts from a quiet prefix.
            try:
                subprocess.run(["wineserver", "-w"], env=self.env, timeout=30)
            except subprocess.TimeoutExpired:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30)
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.send_signal(signal.SIGTERM)
            with contextlib.suppress(Exception):
                self.xvfb.wait(timeout=10)

    # -- paths ----------------------------------------------------------------------------

    @property
    def drive_c(self):
        return PREFIX / "drive_c"

    @property
    def system32(self):
        return self.drive_c / "windows" / "system32"

    @property
    def common_appdata(self):
        return self.drive_c / "ProgramData"

    @property
    def settings_file(self):
        return self.common_appdata / "TevraSettings.ini"

    def program(self, name):
        """Finds a program of ours: a deliverable in out/win64 or a test tool in its tests/."""
        for folder in (WIN64_DIR, TOOLS_DIR):
            if (folder / name).exists():
                return folder / name
        raise TestFailure(f"{name} not found in {WIN64_DIR} or {TOOLS_DIR}: build win64 first")

    # -- processes ------------------------------------------------------------------------

    def _command(self, program, args):
        path = Path(program)
        if not path.is_absolute() and not str(program).lower().startswith(("c:", "z:")):
            path = self.program(program)
        return ["wine", str(path), *map(str, args)]

    def start(self, program, *args, **kwargs):
        """Starts a program of ours (or a Windows path) and returns its Popen; it is ended with
        the session."""
        kwargs.setdefault("stdout", subprocess.PIPE)
        kwargs.setdefault("stderr", subprocess.PIPE)
        proc = subprocess.Popen(self._command(program, args), env=self.env, text=True, **kwargs)
        self.processes.append(proc)
        return proc

    def run(self, program, *args, timeout=60, check_exit=True):
        """Runs a program to its end and returns (exit code, standard output)."""
        # The output goes through files, not pipes: a program that happens to be the first of
        # the prefix starts Wine's own services, which inherit its standard handles and would hold
        # a pipe open (and the reader waiting) long after the program itself has ended.
        with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
            proc = self.start(program, *args, stdout=out_file, stderr=err_file)
            try:
                proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                raise TestFailure(
                    f"{program} {' '.join(map(str, args))} did not end in {timeout} s")
            out_file.seek(0)
            err_file.seek(0)
            out = out_file.read().decode(errors="replace")
            err = err_file.read().decode(errors="replace")
        out = out.replace("\r\n", "\n")
        if check_exit and proc.returncode != 0:
            raise TestFailure(f"{program} {' '.join(map(str, args))} exited {proc.returncode}:\n"
                              f"{out}\n{err}")
        return proc.returncode, out

    def screenshot(self, name):
        """Saves the whole virtual screen as <artifacts>/<test>/<name>.png and returns the path."""
        path = self.artifacts / f"{name}.png"
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       check=True, timeout=30, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return path


def main(test):
    """Runs test() and turns its outcome into an exit code and one closing line for CTest."""
    try:
        test()
    except TestFailure as failure:
        log(f"FAILED: {failure}")
        sys.exit(1)
    log("PASSED")
