"""Start-up of the tray program with the power source under the test's control: the stored limit
is sent, the notice "You can press the Q button" appears only on mains power with a battery and a
limit below 100 % in force (and the notice option 1), and the controller is asked for its limit
only on mains power with a battery. A second start ends at once without any trace."""

import time

import tray_program
import zorvan_sim
from harness import (WineSession, check, check_equal, isolate_power, log, main, set_power,
                     wait_until)

SUB_FULL_CHARGE, SUB_SET_LIMIT, SUB_QUERY_LIMIT = 3, 1, 2

# (name, mains, battery status or None, stored mode, notice option, limit sent, notice shown)
CASES = [
    ("mains, mode 222, option 1", True, "Charging", 222, 1, 75, True),
    ("mains, mode 333, option 1", True, "Charging", 333, 1, 50, True),
    ("mains, mode 111, option 1", True, "Charging", 111, 1, 100, False),
    ("mains, mode 222, option 0", True, "Charging", 222, 0, 75, False),
    ("battery, mode 222, option 1", False, "Discharging", 222, 1, 75, False),
    ("mains without a battery, mode 222, option 1", True, None, 222, 1, 75, False),
]

# How long a notice that is due takes at most to appear, and how long an absent one is watched.
NOTICE_WAIT = 10
ABSENCE_WATCH = 4


def start_case(wine, name, mains, battery, mode, option, limit, notice):
    log(f"case: {name}")
    set_power(mains, battery)
    zorvan_sim.reset(wine)
    tray_program.write_settings(wine, option, mode)
    tray = tray_program.start(wine)
    if notice:
        wait_until(tray.popup_visible, timeout=NOTICE_WAIT, interval=0.2, what="the notice")
        wine.screenshot(name.replace(",", "").replace(" ", "_"))
    else:
        check(not tray_program.watch(tray.popup_visible, ABSENCE_WATCH),
              f"{name}: a notice appeared")
    requests = zorvan_sim.requests(wine)
    check(all(r["pid"] == tray.pid for r in requests), f"requests of another process: {requests}")
    # Frame creation asks for the full-charge bit, then the stored limit goes out; the limit is
    # asked for only on mains power with a battery.
    expected = [SUB_FULL_CHARGE, SUB_SET_LIMIT]
    if mains and battery is not None:
        expected.append(SUB_QUERY_LIMIT)
    check_equal(tray_program.sub_functions(requests), expected, f"{name}: requests")
    check_equal(tray_program.set_limit_requests(requests), [limit], f"{name}: limit sent")
    return tray


def second_instance(wine):
    log("case: second start while one runs")
    set_power(True, "Charging")
    zorvan_sim.reset(wine)
    tray_program.write_settings(wine, 1, 222)
    first = tray_program.start(wine)
    wait_until(first.icon_present, timeout=10, interval=0.5, what="the first icon")
    wait_until(lambda: len(zorvan_sim.requests(wine)) >= 3, what="the first start-up requests")
    # Let the first program's notice go, so that any popup later would be the second's.
    wait_until(lambda: not first.popup_visible(), timeout=15, interval=0.5,
               what="the first notice to end")
    count = len(zorvan_sim.requests(wine))

    second = wine.start("TevraTray.exe")
    started = time.monotonic()
    code = second.wait(timeout=30)
    log(f"second instance ended with code {code} after {time.monotonic() - started:.1f} s")
    check_equal(code, 0, "exit code of the second instance")
    frames = tray_program.frames(wine)
    check_equal(frames, [(first.window, first.pid)], "frame windows after the second start")
    check_equal(len(zorvan_sim.requests(wine)), count, "requests after the second start")
    check(not first.popup_visible(), "a notice appeared on the second start")
    check(first.running() and first.icon_present(), "the first instance was disturbed")
    first.exit_by_command()


def test():
    isolate_power()
    with WineSession("tray_startup") as wine:
        for case in CASES:
            tray = start_case(wine, *case)
            tray.exit_by_command()
        second_instance(wine)
        log("start-up notice, requests and single instance as expected")


if __name__ == "__main__":
    main(test)
