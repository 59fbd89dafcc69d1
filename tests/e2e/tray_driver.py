"""Drives a running TevraTray.exe together with the simulated embedded controller, for the
end-to-end tests and the demonstration.

The simulated controller (out/win64/Zorvan.dll) keeps its limit and full-charge bit in
C:\\ProgramData\\ZorvanSim of the Wine prefix and writes one line per request to requests.log
there; zorvan-sim.exe plays the hardware (Q button, battery full) and posts the power-status
message. notice-probe.exe watches the notice popup from inside Wine.
"""

import subprocess
import time
from dataclasses import dataclass

import zorvan_sim
from harness import TestFailure, check, check_equal, set_power, windows_path

NOTICE_IDS = (129, 132, 133, 134, 135)

# How long a notice may take to come fully out, and to slide back after its three seconds.
POPUP_OUT_MS = 6000
POPUP_GONE_S = 10.0
# How long to watch for a popup that must not come. Under Wine on a display without a window
# manager the tray's thread is held for up to about 2 s after a popup hides (measured 1.8 s), so a
# message posted then is handled that much later.
NO_POPUP_MS = 4000


@dataclass
class Request:
    """One request the simulated controller received."""

    input: tuple
    answer: int | None
    result: str

    @classmethod
    def from_entry(cls, entry):
        return cls(tuple(entry["input"]), entry["answer"], entry["result"])

    @property
    def short(self):
        """Compact form for comparisons: "01,4B" or "03->01"."""
        text = ",".join(f"{b:02X}" for b in self.input)
        return text if self.answer is None else f"{text}->{self.answer:02X}"

    def describe(self):
        sub = self.input[0] if self.input else None
        if sub == 1 and len(self.input) > 1:
            return f"set charge limit to {self.input[1]} %"
        if sub == 2 and self.answer is not None:
            return f"ask the limit in force: {self.answer} %"
        if sub == 3 and self.answer is not None:
            running = "yes" if self.answer & 1 else "no"
            return f"ask whether a full charge runs: {running}"
        return f"request {self.short} ({self.result})"


class RequestLog:
    """The requests the controller received since the last look."""

    def __init__(self, wine):
        self.wine = wine
        self.seen = 0

    def _count(self):
        return len(zorvan_sim.requests(self.wine))

    def skip_all(self):
        self.seen = self._count()

    def take(self, count, timeout=10.0, settle=0.6):
        """Waits for at least count new requests, then a little longer for any extra ones, and
        returns all the new ones."""
        deadline = time.monotonic() + timeout
        while self._count() - self.seen < count and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(settle)
        return self.take_now()

    def take_quiet(self, quiet=1.0, timeout=10.0):
        """Collects new requests until none has come for quiet seconds."""
        deadline = time.monotonic() + timeout
        last_count, last_change = self._count(), time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.05)
            count = self._count()
            if count != last_count:
                last_count, last_change = count, time.monotonic()
            elif time.monotonic() - last_change >= quiet:
                break
        return self.take_now()

    def take_now(self):
        entries = zorvan_sim.requests(self.wine)
        new = [Request.from_entry(entry) for entry in entries[self.seen:]]
        self.seen = len(entries)
        return new


@dataclass
class Popup:
    x: int
    y: int
    width: int
    height: int


class TrayDriver:
    """TevraTray.exe with the simulated controller in one WineSession."""

    def __init__(self, wine, power=True):
        self.wine = wine
        self.power = power  # whether this process may set the power state (isolate_power)
        self.log = RequestLog(wine)
        self.tray = None

    # -- set-up -------------------------------------------------------------------------

    def write_settings(self, option, mode):
        self.wine.run("settings-probe.exe", "read", "Tevra Current Settings")
        self.wine.run("settings-probe.exe", "write", "Tevra Current Settings", option, mode)

    def reset_controller(self):
        zorvan_sim.reset(self.wine)
        self.log.skip_all()

    def start_tray(self):
        self.tray = self.wine.start("TevraTray.exe", stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        return self.tray

    def notice_text(self, notice_id):
        tray = windows_path(self.wine.program("TevraTray.exe"))
        _, out = self.wine.run("notice-probe.exe", "string", tray, notice_id)
        return out.rstrip("\n")

    # -- the hardware and the platform ------------------------------------------------------

    def press_q(self):
        """Returns the controller state afterwards, as "limit=75 fullcharge=1"."""
        return state_text(zorvan_sim.press_q(self.wine))

    def end_full_charge(self):
        return state_text(zorvan_sim.end_charge(self.wine))

    def state(self):
        return state_text(zorvan_sim.state(self.wine))

    def set_power(self, ac_online, capacity=60):
        check(self.power, "the power state can only be set after isolate_power()")
        set_power(ac_online, "Charging" if ac_online else "Discharging", capacity)

    def power_changed(self):
        """What Windows does on every change of the power source or the battery's charge."""
        zorvan_sim.power_changed(self.wine)

    # -- the popup ------------------------------------------------------------------------

    def popup(self, timeout_ms=POPUP_OUT_MS):
        """The popup once it stands fully out, or None when none came within timeout_ms."""
        _, out = self.wine.run("notice-probe.exe", "popup", timeout_ms)
        words = out.split()
        if words[:1] != ["shown"]:
            return None
        return Popup(*map(int, words[1:5]))

    def wait_popup_gone(self):
        _, out = self.wine.run("notice-probe.exe", "gone", int(POPUP_GONE_S * 1000))
        check_equal(out.strip(), "hidden", "popup after its time")

    def screenshot_popup(self, name, popup, margin=24):
        """The popup and a little around it, as <artifacts>/<name>.png."""
        path = self.wine.artifacts / f"{name}.png"
        x, y = max(popup.x - margin, 0), max(popup.y - margin, 0)
        geometry = f"{popup.width + 2 * margin}x{popup.height + 2 * margin}+{x}+{y}"
        subprocess.run(["import", "-display", self.wine.display, "-window", "root", "-crop",
                        geometry, "+repage", str(path)], check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path


def state_text(state):
    return f"limit={state['limit']} fullcharge={state['fullcharge']}"


def same_picture(a, b):
    """True when two pictures have no differing pixel."""
    result = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    return result.returncode == 0


def shorts(requests):
    return [r.short for r in requests]


def expect_requests(driver, expected, what):
    """Checks that exactly the expected requests (short forms) came next."""
    got = driver.log.take(len(expected))
    if shorts(got) != expected:
        raise TestFailure(f"{what}: controller requests expected {expected}, got {shorts(got)}")
    return got
