"""The close request that an uninstaller raises, by the named event "TevraTrayCloseEvent" or by
posting WM_CLOSE_EVENT to the frame: the program deletes the settings file, sets the limit back to
100 % and ends. It works when the settings file is already gone, and a request that comes while
the program is still starting (before its frame is known to the watcher) is held, not lost."""

import subprocess

import tray_program
import zorvan_sim
from harness import WineSession, check, check_equal, log, main, wait_until


def signal_event(wine, tray):
    tray_program.probe(wine, "close-event")


def post_message(wine, tray):
    tray.post(tray_program.WM_CLOSE_EVENT)


def check_closed(wine, tray, limits_before):
    check_equal(tray.wait_end(), 0, "exit code after the close request")
    requests = zorvan_sim.requests(wine)
    check_equal(tray_program.set_limit_requests(requests, tray.pid), limits_before + [100],
                "limits sent: the stored one at start, then 100 %")
    check_equal(zorvan_sim.state(wine)["limit"], 100, "limit left in the controller")
    check(not wine.settings_file.exists(), "the settings file is still there")
    check(not tray_program.frames(wine), "a frame window is left")


def close_running(wine, how, settings_present):
    zorvan_sim.reset(wine)
    tray_program.write_settings(wine, 1, 333)
    tray = tray_program.start(wine)
    wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")
    wait_until(lambda: tray_program.set_limit_requests(zorvan_sim.requests(wine)),
               what="the stored limit")
    if not settings_present:
        wine.settings_file.unlink()
    how(wine, tray)
    check_closed(wine, tray, [50])


def close_during_start(wine):
    """The driver holds the controller, so the program stops at its first request (while its
    frame window is being created); the event is signalled then, and released afterwards."""
    zorvan_sim.reset(wine)
    tray_program.write_settings(wine, 1, 222)
    driver = wine.start("tray-probe.exe", "close-during-start", 1500)
    check_equal(driver.stdout.readline().strip(), "holding", "driver")
    tray_proc = wine.start("TevraTray.exe")
    check_equal(driver.stdout.readline().strip(), "signalled", "driver")
    check(tray_proc.poll() is None, "TevraTray.exe ended before its start-up was done")
    check_equal(driver.stdout.readline().strip(), "released", "driver")
    try:
        tray_proc.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise AssertionError("the close request made during start-up was lost: TevraTray.exe "
                             "runs on") from None
    check_equal(tray_proc.returncode, 0, "exit code")
    requests = zorvan_sim.requests(wine)
    # Start-up runs to its end (stored limit sent), then the held request sets 100 %.
    check_equal(tray_program.set_limit_requests(requests), [75, 100], "limits sent")
    check(not wine.settings_file.exists(), "the settings file is still there")


def test():
    with WineSession("tray_close_request") as wine:
        cases = [
            ("named event", signal_event, True),
            ("posted WM_CLOSE_EVENT", post_message, True),
            ("posted WM_CLOSE_EVENT, settings file already gone", post_message, False),
            ("named event, settings file already gone", signal_event, False),
        ]
        for name, how, settings_present in cases:
            log(f"case: {name}")
            close_running(wine, how, settings_present)
        log("case: named event during start-up")
        close_during_start(wine)
        log("every close request deleted the settings file, sent 100 % and ended the program")


if __name__ == "__main__":
    main(test)
