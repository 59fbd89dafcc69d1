"""The notice popup and the user: the pointer over it turns the text blue and underlined and a
click is posted to the owner, neither stopping the animation; bringing the popup forward leaves
no other program's input joined to ours; without its skin the popup stays away."""

import subprocess
import time

from harness import check, check_equal, log, main, WineSession
from notifier_host import HIDDEN, HOLDING, SLIDING_OUT, NotifierHost, crop, unmanaged_windows

NOTICE = "Charging in progres & avoiding disconnecting AC adaptor"
BOTTOM_TASKBAR = (0, 0, 1024, 738)


def text_colours(wine, host, name):
    """(blue, black) text pixels of the held popup's text area in a screenshot."""
    state = host.state()
    check_equal((state.phase, state.visible), (HOLDING, 1), f"{name}: popup held")
    shot = wine.screenshot(name)
    w, h = state.right - state.left, state.bottom - state.top
    pixels = crop(shot, state.left, state.top, w, h, out=wine.artifacts / f"{name}-popup.png")
    cx, cy = state.client_x - state.left, state.client_y - state.top
    area = [p for row in pixels[cy + 40:cy + 95] for p in row[cx + 10:cx + w - 26]]
    blue = sum(1 for r, g, b in area if b > 150 and r < 80 and g < 80)
    black = sum(1 for p in area if max(p) < 80)
    return blue, black


def pointer(wine, *args):
    subprocess.run(["xdotool", *map(str, args)], env=wine.env, check=True, timeout=10)


def test_hover_and_click(wine):
    host = NotifierHost(wine)
    host.ready()
    host.set_work_area(*BOTTOM_TASKBAR)
    pointer(wine, "mousemove", 10, 10)
    shown, _ = host.show(NOTICE)
    holding = host.wait_phase(HOLDING, shown)
    time.sleep(0.2)
    blue, black = text_colours(wine, host, "before-hover")
    check(blue == 0 and black > 100, f"text before hovering: {blue} blue, {black} black pixels")

    state = host.state()
    pointer(wine, "mousemove", state.client_x + 75, state.client_y + 70)
    time.sleep(0.4)
    blue, black = text_colours(wine, host, "hover")
    check(blue > 100 and black < 20, f"text while hovering: {blue} blue, {black} black pixels")

    pointer(wine, "click", 1)
    host.expect("click")
    state = host.state()
    check_equal((state.phase, state.visible), (HOLDING, 1), "popup after a click")

    pointer(wine, "mousemove", 10, 10)
    time.sleep(0.4)
    blue, black = text_colours(wine, host, "after-hover")
    check(blue == 0 and black > 100, f"text after hovering: {blue} blue, {black} black pixels")

    back = host.wait_phase(SLIDING_OUT, holding.t)
    hold = back.t - holding.t
    check(2990 <= hold < 3500, f"hovering and clicking changed the hold: {hold:.0f} ms")
    end = host.wait_cycle(shown)[-1]
    check_equal((end.phase, end.visible), (HIDDEN, 0), "popup after the notice")
    host.quit()
    log("hover colours the text, a click reaches the owner, the animation runs on")


def test_input_not_left_joined(wine):
    other = NotifierHost(wine, "notifier-host.exe", "window")
    other_thread = other.expect("window")[0]
    host = NotifierHost(wine)
    host.ready()
    host.set_work_area(*BOTTOM_TASKBAR)
    time.sleep(0.5)
    check_equal(host.request("foreground", "foreground")[0], other_thread,
                "thread of the foreground window before the notice")

    shown, _ = host.show(NOTICE)
    host.wait_phase(HOLDING, shown)
    check(host.request("foreground", "foreground")[0] != other_thread,
          "the other program kept the foreground")
    # Detaching succeeds only where the input is joined.
    check_equal(host.request(f"detach {other_thread}", "detach"), ["0"],
                "the popup's thread left its input joined to the other program")
    # The probe itself: a join it made is found.
    check_equal(host.request(f"join {other_thread}", "join"), ["1"], "joining by hand")
    check_equal(host.request(f"detach {other_thread}", "detach"), ["1"], "detaching by hand")
    host.wait_cycle(shown)
    host.quit()
    other.send("quit")
    log("the popup came forward and no input stayed joined")


def test_without_skin(wine):
    host = NotifierHost(wine, "notifier-host-noskin.exe")
    host.ready()
    shown, _ = host.show(NOTICE)
    time.sleep(1.5)
    check_equal([tr for tr in host.traces(shown) if tr.visible], [],
                "popup shown without its skin")
    state = host.state()
    check_equal((state.phase, state.visible), (HIDDEN, 0), "popup without a skin")
    host.quit()
    log("without its skin the popup shows nothing and the host runs on")


def test():
    with WineSession("notifier_input") as wine, unmanaged_windows(wine):
        for old in wine.artifacts.iterdir():
            old.unlink()
        test_hover_and_click(wine)
        test_input_not_left_joined(wine)
        test_without_skin(wine)


if __name__ == "__main__":
    main(test)
