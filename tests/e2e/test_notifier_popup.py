"""The notice popup on a virtual screen under Wine: it slides out from behind the taskbar's edge of
the work area, stands fully out for the hold and hides again; a new notice in each phase acts as
it should; the held popup is photographed with a short, the longest and the ampersand notice.

The host sets its own work area to stand for a taskbar at each edge. Slide and hold times are
measured with the host's clock and written to timings.txt beside the screenshots."""

import time

from harness import check, check_equal, log, main, WineSession
from notifier_host import (HIDDEN, HOLDING, SLIDING_IN, SLIDING_OUT, NotifierHost, crop, rect,
                           unmanaged_windows)

SHORT = "Charged completely"
LONGEST = "You have unplugged the AC adaptor. Stop charging immediately."
AMPERSAND = "Charging in progres & avoiding disconnecting AC adaptor"

SKIN = (150, 105)
SKIN_GREY = (221, 224, 224)

WORK_AREAS = {
    "bottom": (0, 0, 1024, 738),
    "right": (0, 0, 964, 768),
    "left": (60, 0, 1024, 768),
    "top": (0, 30, 1024, 768),
    "auto-hidden": (0, 0, 1024, 768),
}


def out_travel(d):
    """How far a slide goes: whole 2-pixel steps until the window's dimension is covered."""
    return d + d % 2


def expected_path(edge, work_area, w, h):
    """Start, fully-out place and the moving coordinate (0: x, 1: y) at an edge."""
    left, top, right, bottom = work_area
    if edge == "right":
        return (right, bottom - h), (right - out_travel(w), bottom - h), 0
    if edge == "left":
        return (left - w, bottom - h), (left - w + out_travel(w), bottom - h), 0
    if edge == "top":
        return (right - w, top - h), (right - w, top - h + out_travel(h)), 1
    return (right - w, bottom), (right - w, bottom - out_travel(h)), 1


def check_cycle(edge, work_area, cycle, shown):
    """Checks one undisturbed notice from the call to the hiding; returns its durations."""
    visible = [tr for tr in cycle if tr.visible]
    check(visible, f"{edge}: the popup never showed")
    first = visible[0]
    w, h = first.right - first.left, first.bottom - first.top
    start, out, axis = expected_path(edge, work_area, w, h)
    check_equal((first.left, first.top), start, f"{edge}: where the popup first shows")

    holding = [tr for tr in cycle if tr.phase == HOLDING]
    check(holding, f"{edge}: never fully out")
    check_equal((holding[0].left, holding[0].top), out, f"{edge}: fully-out place")
    check(all(rect(tr) == rect(holding[0]) for tr in holding), f"{edge}: moved during the hold")
    back = [tr for tr in cycle if tr.phase == SLIDING_OUT]
    check(back, f"{edge}: never slid back")

    previous = None
    for tr in visible:
        where = (tr.left, tr.top)
        check_equal((tr.right - tr.left, tr.bottom - tr.top), (w, h), f"{edge}: size at {where}")
        check_equal(where[1 - axis], start[1 - axis], f"{edge}: the popup left its line")
        check((where[axis] - start[axis]) % 2 == 0, f"{edge}: {where} is off the 2-pixel grid")
        low, high = sorted((start[axis], out[axis]))
        check(low <= where[axis] <= high, f"{edge}: {where} outside the path")
        if previous is not None:
            towards = (out[axis] - start[axis]) * (where[axis] - previous[axis])
            if tr.phase == SLIDING_OUT:
                check(towards <= 0, f"{edge}: moved out again at {where} while sliding back")
            else:
                check(towards >= 0, f"{edge}: moved back at {where} while sliding out")
        previous = where

    last = cycle[-1]
    check_equal((last.phase, last.visible), (HIDDEN, 0), f"{edge}: state at the end")
    return {
        "slide-in": holding[0].t - shown,
        "hold": back[0].t - holding[0].t,
        "slide-out": last.t - back[0].t,
    }


def check_full_hold(times, what):
    check(times["hold"] >= 2990, f"{what}: held only {times['hold']:.0f} ms")


def text_bands(pixels, client, text_rect):
    """The horizontal bands of dark (text) pixels inside the text rectangle, as (first, last) rows
    in client coordinates; the panel's outline at the bottom is left out."""
    cx, cy = client
    left, top, right, bottom = text_rect
    bands = []
    for y in range(top, min(bottom, 95)):
        row = pixels[cy + y][cx + left:cx + right]
        dark = any(max(p) < 110 for p in row)
        if dark and bands and bands[-1][1] == y - 1:
            bands[-1][1] = y
        elif dark:
            bands.append([y, y])
    return [tuple(b) for b in bands]


class HeldPopup:
    """A screenshot of the held popup and where its client area and text lie in it."""

    def __init__(self, wine, host, name):
        state = host.state()
        check_equal((state.phase, state.visible), (HOLDING, 1), f"{name}: popup held")
        self.name = name
        self.shot = wine.screenshot(name)
        self.window = (state.left, state.top, state.right, state.bottom)
        w, h = state.right - state.left, state.bottom - state.top
        self.pixels = crop(self.shot, state.left, state.top, w, h,
                           out=wine.artifacts / f"{name}-popup.png")
        self.client = (state.client_x - state.left, state.client_y - state.top)
        self.text_rect = (10, 40, w - 26, h)

    def client_pixel(self, x, y):
        return self.pixels[self.client[1] + y][self.client[0] + x]

    def bands(self):
        return text_bands(self.pixels, self.client, self.text_rect)

    def dark_pixels(self):
        """How many pixels of the text area are text."""
        cx, cy = self.client
        left, top, right, _ = self.text_rect
        rows = [row[cx + left:cx + right] for row in self.pixels[cy + top:cy + 95]]
        return sum(1 for row in rows for p in row if max(p) < 110)


def check_skin_and_frame(held):
    # The client area is the skin, with the window's real frame around it.
    left, top, right, bottom = held.window
    border = held.client[0]
    check_equal((right - left - 2 * border, bottom - top - held.client[1] - border), SKIN,
                "client area of the popup")
    for x, y in ((0, 0), (SKIN[0] - 1, 0), (0, SKIN[1] - 1), (SKIN[0] - 1, SKIN[1] - 1)):
        check_equal(held.client_pixel(x, y), SKIN_GREY, f"skin corner ({x}, {y})")
    red, green, blue = held.client_pixel(30, 30)
    check(red > 90 and green < 60 and blue < 60, f"no dark-red badge: {(red, green, blue)}")


def test():
    with WineSession("notifier_popup") as wine, unmanaged_windows(wine):
        for old in wine.artifacts.iterdir():
            old.unlink()
        host = NotifierHost(wine)
        version, screen_w, screen_h, _ = host.ready()
        log(f"Wine reports version code {version}; screen {screen_w} x {screen_h}")
        check_equal((screen_w, screen_h), (1024, 768), "virtual screen")
        timings = []

        # A short notice above a bottom taskbar, undisturbed.
        bottom = WORK_AREAS["bottom"]
        host.set_work_area(*bottom)
        shown, before = host.show(SHORT)
        check_equal(before, HIDDEN, "phase before the first notice")
        host.wait_phase(HOLDING, shown)
        time.sleep(0.3)
        held = HeldPopup(wine, host, "short-notice")
        check_skin_and_frame(held)
        check_equal(len(held.bands()), 1, "text lines of the short notice")
        times = check_cycle("bottom", bottom, host.wait_cycle(shown), shown)
        check_full_hold(times, "bottom")
        timings.append(("bottom taskbar", times))

        # The longest notice wraps; then texts with ampersands, each a new notice in the hold.
        shown, _ = host.show(LONGEST)
        host.wait_phase(HOLDING, shown)
        time.sleep(0.3)
        longest = HeldPopup(wine, host, "longest-notice")
        check(len(longest.bands()) >= 2, f"longest notice not wrapped: {longest.bands()}")

        def held_text(name, text):
            _, phase = host.show(text)
            check_equal(phase, HOLDING, f"phase when {name!r} came")
            time.sleep(0.3)
            return HeldPopup(wine, host, name)

        ampersand = held_text("ampersand-notice", AMPERSAND)
        blanks = held_text("ampersand-as-two-blanks", AMPERSAND.replace("&", " "))
        literal = held_text("ampersand-as-character", AMPERSAND.replace("&", "&&"))
        # An underlined blank adds a few text pixels at most, the character itself many more.
        # (Here the underlined blank falls where the line wraps, and wrapped blanks are not drawn.)
        glyph = literal.dark_pixels() - blanks.dark_pixels()
        check(glyph >= 15, f"the ampersand character drawn has only {glyph} pixels")
        extra = ampersand.dark_pixels() - blanks.dark_pixels()
        check(0 <= extra <= 6, f"the ampersand left {extra} more text pixels than a blank")
        mnemonic = held_text("ampersand-mid-line", "Unplug AC & battery")
        plain = held_text("ampersand-mid-line-plain", "Unplug AC  battery")
        underline = mnemonic.dark_pixels() - plain.dark_pixels()
        check(1 <= underline <= 6, f"an ampersand mid-line left {underline} pixels, no underline")
        last_notice, _ = host.show(SHORT)
        back = host.wait_phase(SLIDING_OUT, last_notice)
        check(back.t - last_notice >= 2990, "the hold did not start again with the last notice")
        host.wait_cycle(last_notice)

        # A new notice while sliding in changes the text only.
        shown, _ = host.show(SHORT)
        host.wait_phase(SLIDING_IN, shown)
        time.sleep(0.1)
        second, phase = host.show(LONGEST)
        check_equal(phase, SLIDING_IN, "phase when the second notice came")
        times = check_cycle("bottom, notice while sliding in", bottom, host.wait_cycle(shown),
                            shown)
        check_full_hold(times, "notice while sliding in")
        check(times["hold"] < 3500, "a notice while sliding in lengthened the hold")

        # A new notice while holding: a full hold from then on.
        shown, _ = host.show(SHORT)
        holding = host.wait_phase(HOLDING, shown)
        time.sleep(1.0)
        second, phase = host.show(LONGEST)
        check_equal(phase, HOLDING, "phase when the second notice came")
        back = host.wait_phase(SLIDING_OUT, shown)
        check(back.t - second >= 2990, f"held {back.t - second:.0f} ms after the second notice")
        check_equal(host.traces(holding.t + 1)[0], back, "first change after the hold began")
        host.wait_cycle(shown)

        # A new notice while sliding out: back to fully out (B - H), a full hold, out again.
        shown, _ = host.show(SHORT)
        back = host.wait_phase(SLIDING_OUT, shown)
        time.sleep(0.15)
        second, phase = host.show(LONGEST)
        check_equal(phase, SLIDING_OUT, "phase when the second notice came")
        jump = host.wait_trace(lambda tr: True, second, what="the popup put back")
        h = jump.bottom - jump.top
        check_equal((jump.phase, jump.visible, jump.top), (SLIDING_OUT, 1, bottom[3] - h),
                    "popup put back fully out")
        moved = host.wait_trace(lambda tr: rect(tr) != rect(jump), second + 1,
                                what="the popup moving again")
        check(moved.t - second >= 2990, f"held {moved.t - second:.0f} ms after the second notice")
        check(moved.top > jump.top, "the popup did not slide back after the new hold")
        end = host.wait_cycle(second)[-1]
        check_equal((end.phase, end.visible), (HIDDEN, 0), "after the second slide-out")

        # The close box hides the popup at once and stops everything; the next notice starts
        # afresh.
        shown, _ = host.show(SHORT)
        host.wait_phase(HOLDING, shown)
        host.close_popup()
        closed = host.wait_trace(lambda tr: not tr.visible, shown, timeout=2, what="closed popup")
        check_equal(closed.phase, HIDDEN, "phase after the close box")
        time.sleep(4.0)
        check_equal(host.traces(closed.t + 1), [], "traces after the close box")
        shown, _ = host.show(SHORT)
        times = check_cycle("bottom, after the close box", bottom, host.wait_cycle(shown), shown)
        check_full_hold(times, "after the close box")

        # A null text shows the skin alone.
        shown, _ = host.show(None)
        host.wait_phase(HOLDING, shown)
        time.sleep(0.3)
        empty = HeldPopup(wine, host, "null-notice")
        check_equal(empty.bands(), [], "text of a null notice")
        host.wait_cycle(shown)

        # Every other taskbar edge.
        for edge in ("right", "left", "top", "auto-hidden"):
            host.set_work_area(*WORK_AREAS[edge])
            shown, _ = host.show(SHORT)
            times = check_cycle(edge, WORK_AREAS[edge], host.wait_cycle(shown), shown)
            check_full_hold(times, edge)
            timings.append((f"{edge} taskbar", times))

        host.quit()
        lines = ["Measured under Wine (host clock, ms). Hold: from fully out to the first step "
                 "back; slide-out: from the first step back to hidden."]
        for what, times in timings:
            lines.append(f"{what}: slide-in {times['slide-in']:.1f}, hold {times['hold']:.1f}, "
                         f"slide-out {times['slide-out']:.1f}")
        (wine.artifacts / "timings.txt").write_text("\n".join(lines) + "\n")
        for line in lines:
            log(line)


if __name__ == "__main__":
    main(test)
