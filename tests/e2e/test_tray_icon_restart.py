"""When the shell's notification area restarts it has lost every icon and broadcasts the
registered message "TaskbarCreated"; the tray program then adds its icon again, so that the user
can still open the applet and exit. Wine's shell cannot be restarted inside a running session, so
the test takes the icon out of the notification area as a restart does and broadcasts the
message as the new shell would. A broadcast while the icon is present leaves one icon."""

import tray_program
import zorvan_sim
from harness import WineSession, check, log, main, wait_until


def test():
    with WineSession("tray_icon_restart") as wine:
        zorvan_sim.reset(wine)
        tray = tray_program.start(wine)
        wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")

        for round_ in (1, 2):
            tray_program.probe(wine, "forget-icon")
            check(not tray.icon_present(), "the icon is still there after it was taken away")
            wine.screenshot(f"lost_{round_}")
            tray_program.probe(wine, "taskbar-created")
            wait_until(tray.icon_present, timeout=10, interval=0.5,
                       what=f"the icon to come back (round {round_})")
            wine.screenshot(f"back_{round_}")

        # Told again while the shell has the icon: it stays, once, and works.
        tray_program.probe(wine, "taskbar-created")
        check(tray.icon_present(), "the icon vanished on a second TaskbarCreated")
        tray_program.probe(wine, "forget-icon")
        check(not tray.icon_present(), "the icon was there twice")
        tray_program.probe(wine, "taskbar-created")
        wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")

        left, top, right, bottom = tray_program.open_menu(tray)
        tray_program.click_at(wine, (left + right) // 2, (top + bottom) // 2)
        tray.wait_end()
        log("the icon came back after each restart of the notification area, and still works")


if __name__ == "__main__":
    main(test)
