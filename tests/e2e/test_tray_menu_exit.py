"""The tray program's life without a close request: at start it sends the stored limit and puts its
icon in the notification area (tooltip "Velmora"); the icon's right-click menu has the one item
"Exit", which ends the program without sending anything and leaves the settings file alone;
dismissing the menu does nothing."""

import tray_program
import zorvan_sim
from harness import WineSession, check, check_equal, log, main, wait_until


def test():
    with WineSession("tray_menu_exit") as wine:
        zorvan_sim.reset(wine)
        tray_program.write_settings(wine, 1, 222)
        settings_before = wine.settings_file.read_bytes()

        tray = tray_program.start(wine)
        wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")
        requests = wait_until(lambda: zorvan_sim.requests(wine), what="the stored limit")
        check_equal(tray_program.set_limit_requests(requests), [75], "limits sent at start")
        check(all(r["pid"] == tray.pid for r in requests), f"requests of others: {requests}")

        tray_program.hover_icon(wine)
        wait_until(lambda: any(c == "tooltips_class32"
                               for c, _, _ in tray_program.visible_windows(wine)),
                   what="the icon's tooltip")
        wine.screenshot("tooltip")  # shows "Velmora" beside the battery icon

        # Dismissing the menu (a click elsewhere) leaves everything as it was.
        tray_program.open_menu(tray)
        wine.screenshot("menu")
        tray_program.click_at(wine, 600, 500)
        wait_until(lambda: not any(c == tray_program.MENU_CLASS for c, _, _ in
                                   tray_program.visible_windows(wine, tray.pid)),
                   what="the menu to close")
        check(tray.running() and tray.icon_present(), "dismissing the menu changed something")

        count = len(zorvan_sim.requests(wine))
        left, top, right, bottom = tray_program.open_menu(tray)
        tray_program.click_at(wine, (left + right) // 2, (top + bottom) // 2)
        check_equal(tray.wait_end(), 0, "exit code after Exit")

        check_equal(len(zorvan_sim.requests(wine)), count, "requests after Exit")
        check_equal(zorvan_sim.state(wine)["limit"], 75, "limit left in the controller")
        check_equal(wine.settings_file.read_bytes(), settings_before, "settings file after Exit")
        check(not tray_program.frames(wine), "a frame window is left after Exit")
        log("icon shown, stored limit sent, Exit ended the program and sent nothing")


if __name__ == "__main__":
    main(test)
