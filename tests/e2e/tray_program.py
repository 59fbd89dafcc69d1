"""The tray program TevraTray.exe in end-to-end tests, seen and driven from outside its process.

    tray = tray_program.start(wine)        # waits for its frame window
    tray.icon_present()                    # the notification area holds its icon
    tray_program.click_icon(wine, "double")
    tray.exit_by_menu() ...

The frame is found by its window class "VelmoraTrayWindowClass"; the icon is probed through the
shell (tests/e2e/win/tray_probe.cpp). Without a virtual desktop Wine shows tray icons in its own
small window "Wine System Tray", where xdotool clicks them like a user.
"""

import subprocess
import time

from harness import TestFailure, check, log, wait_until

CURRENT_SECTION = "Tevra Current Settings"
WM_COMMAND = 0x0111
ID_APP_EXIT = 57665
WM_CLOSE_EVENT = 0x8078
POPUP_CLASS = "TevraTaskbarNotifier"
MENU_CLASS = "#32768"


def probe(wine, *args):
    _, out = wine.run("tray-probe.exe", *args)
    return out


def frames(wine):
    """(window, Windows process id) of every frame window of the tray program."""
    code, out = wine.run("tray-probe.exe", "find", check_exit=False)
    if code != 0:
        return []
    return [(window, int(pid)) for window, pid in (line.split() for line in out.splitlines())]


def visible_windows(wine, pid="all"):
    """(class, title, (left, top, right, bottom)) of each visible top-level window of a Windows
    process id, or of all processes."""
    result = []
    for line in probe(wine, "windows", pid).splitlines():
        class_name, title, rect = line.split("|")
        result.append((class_name, title, tuple(int(v) for v in rect.split())))
    return result


def write_settings(wine, option, mode):
    """Makes the current settings section hold the notice option and the charge mode."""
    wine.run("settings-probe.exe", "read", CURRENT_SECTION)  # creates the file when missing
    wine.run("settings-probe.exe", "write", CURRENT_SECTION, option, mode)


class TrayProgram:
    def __init__(self, wine, proc, window, pid):
        self.wine = wine
        self.proc = proc
        self.window = window
        self.pid = pid

    def icon_present(self):
        return probe(self.wine, "icon", self.window).strip() == "present"

    def popup_visible(self):
        return any(c == POPUP_CLASS for c, _, _ in visible_windows(self.wine, self.pid))

    def post(self, message, wparam=0, lparam=0):
        probe(self.wine, "post", hex(message), hex(wparam), hex(lparam))

    def wait_end(self, timeout=20):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"TevraTray.exe still runs {timeout} s after it was asked to end")

    def running(self):
        return self.proc.poll() is None

    def exit_by_command(self):
        """Ends the program as its menu's Exit does (nothing sent, settings kept)."""
        self.post(WM_COMMAND, ID_APP_EXIT)
        self.wait_end()


def start(wine, timeout=30):
    """Starts TevraTray.exe and waits until its frame window exists."""
    before = {window for window, _ in frames(wine)}
    proc = wine.start("TevraTray.exe")

    def new_frame():
        check(proc.poll() is None, f"TevraTray.exe ended at start with code {proc.returncode}")
        found = [f for f in frames(wine) if f[0] not in before]
        return found[0] if found else None

    window, pid = wait_until(new_frame, timeout=timeout, interval=0.2, what="the tray frame")
    log(f"TevraTray.exe runs: frame {window}, process {pid}")
    return TrayProgram(wine, proc, window, pid)


def xdotool(wine, *args):
    return subprocess.run(["xdotool", *map(str, args)], env=wine.env, check=True,
                          capture_output=True, text=True).stdout


def tray_window(wine):
    """The X window in which Wine shows the notification area's icons."""
    ids = wait_until(lambda: xdotool(wine, "search", "--name", "Wine System Tray").split(),
                     what="Wine's notification area window")
    return ids[0]


def click_icon(wine, button=1, repeat=1):
    """Clicks the first icon of the notification area: button 1 left, 2 middle, 3 right."""
    xdotool(wine, "mousemove", "--window", tray_window(wine), 9, 10, "click", "--repeat", repeat,
            "--delay", 80, button)


def hover_icon(wine):
    xdotool(wine, "mousemove", "--window", tray_window(wine), 9, 10)


def move_mouse_away(wine):
    xdotool(wine, "mousemove", 600, 500)


def open_menu(tray):
    """Right-clicks the icon and returns the screen rectangle of the menu that opens."""
    click_icon(tray.wine, button=3)

    def menu():
        rects = [r for c, _, r in visible_windows(tray.wine, tray.pid) if c == MENU_CLASS]
        return rects[0] if rects else None

    return wait_until(menu, timeout=10, interval=0.2, what="the icon's menu")


def click_at(wine, x, y, button=1):
    xdotool(wine, "mousemove", x, y, "click", button)


def set_limit_requests(requests, pid=None):
    """The charge limits of the set-limit requests (sub-function 1) in the log, oldest first."""
    return [r["input"][1] for r in requests
            if r["input"][:1] == [1] and (pid is None or r["pid"] == pid)]


def sub_functions(requests, pid=None):
    return [r["input"][0] for r in requests if r["input"] and (pid is None or r["pid"] == pid)]


def watch(predicate, seconds, interval=0.2):
    """Polls predicate for a while; True as soon as it holds, False if it never did."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(interval)
    return False

