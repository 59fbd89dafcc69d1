"""The notice popup in its test host (tests/e2e/win/notifier_host.cpp) under Wine.

    with WineSession("name") as wine, unmanaged_windows(wine):
        host = NotifierHost(wine)
        host.set_work_area(0, 0, 1024, 738)
        shown = host.show("Charged completely")
        cycle = host.wait_cycle(shown)        # traces from the call until the popup hid again

The host reports every change of the popup's phase, visibility and window rectangle as a Trace,
with the host's own millisecond clock, so that positions and durations come from inside Wine.
"""

import contextlib
import subprocess
import threading
import time
from collections import namedtuple

from harness import check, check_equal

HIDDEN, SLIDING_IN, HOLDING, SLIDING_OUT = 0, 1, 2, 3
PHASE_NAMES = {HIDDEN: "Hidden", SLIDING_IN: "SlidingIn", HOLDING: "Holding",
               SLIDING_OUT: "SlidingOut"}

Trace = namedtuple("Trace", "t phase visible left top right bottom")
State = namedtuple("State", "t phase visible left top right bottom client_x client_y")

X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"
REG = r"C:\windows\system32\reg.exe"


@contextlib.contextmanager
def unmanaged_windows(wine):
    """Lets Wine handle our windows itself for the session (X11 driver option Managed=N).

    The virtual display has no window manager. Wine hands captioned windows to the window manager
    and, when it hides one, waits up to 2 s for the window manager to confirm; the popup hides after
    every notice, so each slide-out would seem 2 s longer and the host would stall. Programs started
    inside the block see the option; the previous value is restored afterwards."""
    code, out = wine.run(REG, "query", X11_DRIVER_KEY, "/v", "Managed", check_exit=False)
    previous = None
    if code == 0:
        for line in out.splitlines():
            fields = line.split()
            if fields and fields[0] == "Managed":
                previous = fields[-1]
    wine.run(REG, "add", X11_DRIVER_KEY, "/v", "Managed", "/d", "N", "/f")
    try:
        yield
    finally:
        if previous is None:
            wine.run(REG, "delete", X11_DRIVER_KEY, "/v", "Managed", "/f", check_exit=False)
        else:
            wine.run(REG, "add", X11_DRIVER_KEY, "/v", "Managed", "/d", previous, "/f",
                     check_exit=False)


class NotifierHost:
    def __init__(self, wine, program="notifier-host.exe", *args):
        self.wine = wine
        self.proc = wine.start(program, *args, stdin=subprocess.PIPE)
        self._lines = []
        self._changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self._changed:
                self._lines.append(line.rstrip("\r\n"))
                self._changed.notify_all()
        with self._changed:
            self._lines.append("<end>")
            self._changed.notify_all()

    # -- commands ---------------------------------------------------------------------------

    def send(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()

    def expect(self, prefix, start=0, timeout=15.0):
        """The first line from index start on that begins with prefix, as its fields."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                for line in self._lines[start:]:
                    if line.split(" ", 1)[0] == prefix:
                        return line.split()[1:]
                    check(line != "<end>", f"host ended while waiting for {prefix!r}")
                left = deadline - time.monotonic()
                check(left > 0, f"host did not answer {prefix!r} in {timeout} s")
                self._changed.wait(left)

    def request(self, command, reply):
        with self._changed:
            start = len(self._lines)
        self.send(command)
        return self.expect(reply, start)

    def ready(self):
        """(version code, screen width, screen height, work area) reported at start."""
        fields = list(map(int, self.expect("ready")))
        return fields[0], fields[1], fields[2], tuple(fields[3:7])

    def set_work_area(self, left, top, right, bottom):
        got = tuple(map(int, self.request(f"workarea {left} {top} {right} {bottom}", "workarea")))
        check_equal(got, (left, top, right, bottom), "work area the host set for itself")

    def show(self, text):
        """Shows a notice (None: a null text); returns (host time of the call, phase before)."""
        fields = self.request("show-null" if text is None else f"show {text}", "shown")
        return float(fields[0]), int(fields[1])

    def state(self):
        fields = self.request("state", "state")
        return State(float(fields[0]), *map(int, fields[1:]))

    def close_popup(self):
        self.send("close")

    def quit(self):
        self.send("quit")
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(timeout=10)

    # -- traces -----------------------------------------------------------------------------

    def traces(self, since=0.0):
        with self._changed:
            lines = list(self._lines)
        result = []
        for line in lines:
            fields = line.split()
            if fields and fields[0] == "trace":
                trace = Trace(float(fields[1]), *map(int, fields[2:8]))
                if trace.t >= since:
                    result.append(trace)
        return result

    def wait_trace(self, predicate, since, timeout=10.0, what="trace"):
        """The first trace at or after host time since that satisfies predicate."""
        deadline = time.monotonic() + timeout
        while True:
            for trace in self.traces(since):
                if predicate(trace):
                    return trace
            check(time.monotonic() < deadline, f"no {what} within {timeout} s")
            time.sleep(0.02)

    def wait_phase(self, phase, since, timeout=10.0):
        return self.wait_trace(lambda tr: tr.phase == phase, since, timeout,
                               f"phase {PHASE_NAMES[phase]}")

    def wait_cycle(self, since, timeout=15.0):
        """Traces from since until the popup is hidden again, that hiding trace included."""
        end = self.wait_trace(lambda tr: tr.phase == HIDDEN and not tr.visible, since, timeout,
                              "the popup hidden again")
        return [tr for tr in self.traces(since) if tr.t <= end.t]


def rect(trace):
    return (trace.left, trace.top, trace.right, trace.bottom)


# ---------------------------------------------------------------------------------------------
# Screenshots


def crop(shot, left, top, width, height, out=None):
    """The pixels of a part of a screenshot as rows of (r, g, b); optionally saved as out."""
    box = f"{width}x{height}+{left}+{top}"
    if out is not None:
        subprocess.run(["/usr/bin/convert", str(shot), "-crop", box, "+repage", str(out)],
                       check=True, timeout=30)
    data = subprocess.run(["/usr/bin/convert", str(shot), "-crop", box, "+repage", "-depth", "8",
                           "ppm:-"], check=True, capture_output=True, timeout=30).stdout
    # Binary PPM as ImageMagick writes it: "P6\n<width> <height>\n255\n", then the pixels.
    magic, size, _, pixels = data.split(b"\n", 3)
    check_equal(magic, b"P6", "cropped screenshot format")
    w, h = map(int, size.split())
    rows = []
    for y in range(h):
        row = pixels[y * w * 3:(y + 1) * w * 3]
        rows.append([tuple(row[x * 3:x * 3 + 3]) for x in range(w)])
    return rows
