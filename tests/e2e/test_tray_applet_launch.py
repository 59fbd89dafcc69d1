"""A double-click on the tray icon starts the platform's launcher rundll32.exe from the system
folder on Tevra.cpl there, with both paths quoted; each double-click starts one more. A single
left click, a middle click and a right click that is dismissed start nothing.

A recording stand-in takes the place of Tevra.cpl in the system folder for the test (whatever
stood there is put back): it notes its host program and command line and refuses to open."""

import shutil

import tray_program
import zorvan_sim
from harness import WineSession, check, check_equal, log, main, wait_until

QUIET_WATCH = 3


def launches(log_file):
    return log_file.read_text().splitlines() if log_file.exists() else []


def test():
    with WineSession("tray_applet_launch") as wine:
        applet = wine.system32 / "Tevra.cpl"
        saved = wine.system32 / "Tevra.cpl.saved-by-test"
        log_file = wine.system32 / "Tevra.cpl.launches"
        if applet.exists():
            shutil.move(applet, saved)
        try:
            shutil.copy(wine.program("applet-probe.cpl"), applet)
            log_file.unlink(missing_ok=True)
            zorvan_sim.reset(wine)
            tray = tray_program.start(wine)
            wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")

            for button, what in ((1, "single left click"), (2, "middle click")):
                tray_program.click_icon(wine, button=button)
                check(not tray_program.watch(lambda: launches(log_file), QUIET_WATCH),
                      f"a {what} started something")

            system = "C:\\windows\\system32"
            expected = (f"{system}\\rundll32.exe|\"{system}\\rundll32.exe\" "
                        f"shell32.dll,Control_RunDLL \"{system}\\Tevra.cpl\"")
            for count in (1, 2):
                tray_program.click_icon(wine, button=1, repeat=2)
                lines = wait_until(lambda: len(launches(log_file)) >= count and
                                   launches(log_file), what=f"launch {count}")
                check_equal(lines, [expected] * count, f"launches after {count} double-clicks")
            log(f"launcher started as: {expected}")

            tray_program.move_mouse_away(wine)
            check(not tray_program.watch(lambda: len(launches(log_file)) > 2, QUIET_WATCH),
                  "more launches than double-clicks")
            check(tray.running(), "the tray program ended")
            tray.exit_by_command()
        finally:
            applet.unlink(missing_ok=True)
            log_file.unlink(missing_ok=True)
            if saved.exists():
                shutil.move(saved, applet)


if __name__ == "__main__":
    main(test)
