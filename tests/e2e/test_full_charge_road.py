"""The road of one event with the real TevraTray.exe and the simulated controller: mode 222,
notices on, mains power. Q starts a full charge (notice 132), unplugging gives 134, plugging in
gives 132 again, a change of the battery's charge asks only whether the full charge still runs,
and when the controller ends it "Charged completely" shows and 75 % is sent again. Then the same
with the notice option 0 (no popup, the same requests), and the settings reload."""

from harness import (WineSession, check, check_equal, isolate_power, log, main, set_power,
                     wait_until)
from tray_driver import NO_POPUP_MS, TrayDriver, expect_requests, same_picture

TEXTS = {
    129: "You can press the Q button",
    132: "Charging in progres & avoiding disconnecting AC adaptor",
    133: "Charged completely",
    134: "You have unplugged the AC adaptor. Stop charging immediately.",
    135: "Cancelled by user",
}

FULL_CHARGE_RUNS = "03->01"
FULL_CHARGE_ENDED = "03->00"
LIMIT_IS_75 = "02->4B"
SET_75 = "01,4B"


def test():
    isolate_power()
    set_power(True, "Charging", 60)
    with WineSession("full_charge_road") as wine:
        tray = TrayDriver(wine)
        for notice_id, text in TEXTS.items():
            check_equal(tray.notice_text(notice_id), text, f"string {notice_id} of TevraTray.exe")

        tray.write_settings(1, 222)
        tray.reset_controller()
        tray.start_tray()

        # Start: the stored 75 % is sent and, limited on mains with a battery, notice 129 shows.
        started = tray.log.take(3)
        check(SET_75 in [r.short for r in started], f"75 % sent at start: {started}")
        popup = tray.popup()
        check(popup is not None, "start-up notice on screen")
        shots = {"start": tray.screenshot_popup("1-start-129", popup)}
        tray.wait_popup_gone()
        check_equal(tray.state(), "limit=75 fullcharge=0", "controller after start")

        log("Q on mains power")
        check_equal(tray.press_q(), "limit=75 fullcharge=1", "controller after Q")
        expect_requests(tray, [FULL_CHARGE_RUNS, LIMIT_IS_75], "Q button")
        popup = tray.popup()
        check(popup is not None, "notice 132 after Q")
        shots["q"] = tray.screenshot_popup("2-q-132", popup)
        tray.wait_popup_gone()

        log("unplugged")
        tray.set_power(False)
        tray.power_changed()
        expect_requests(tray, [LIMIT_IS_75], "unplugging")
        popup = tray.popup()
        check(popup is not None, "notice 134 after unplugging")
        shots["unplug"] = tray.screenshot_popup("3-unplugged-134", popup)
        tray.wait_popup_gone()

        log("plugged in")
        tray.set_power(True)
        tray.power_changed()
        expect_requests(tray, [LIMIT_IS_75], "plugging in")
        popup = tray.popup()
        check(popup is not None, "notice 132 after plugging in")
        shots["plug"] = tray.screenshot_popup("4-plugged-in-132", popup)
        tray.wait_popup_gone()

        log("battery charge changes, full charge goes on")
        tray.set_power(True, capacity=80)
        tray.power_changed()
        expect_requests(tray, [FULL_CHARGE_RUNS], "charge change during the full charge")
        check(tray.popup(NO_POPUP_MS) is None, "no notice while the full charge goes on")

        log("controller ends the full charge")
        check_equal(tray.end_full_charge(), "limit=75 fullcharge=0", "controller at full charge")
        tray.set_power(True, capacity=100)
        tray.power_changed()
        expect_requests(tray, [FULL_CHARGE_ENDED, SET_75], "end of the full charge")
        popup = tray.popup()
        check(popup is not None, "notice 133 at the end")
        shots["end"] = tray.screenshot_popup("5-charged-completely-133", popup)
        tray.wait_popup_gone()

        # The same notice looks the same; different notices differ.
        check(same_picture(shots["q"], shots["plug"]), "both 132 notices look alike")
        for a, b in (("q", "unplug"), ("q", "end"), ("unplug", "end"), ("start", "q")):
            check(not same_picture(shots[a], shots[b]), f"notices after {a} and {b} differ")

        log("Idle: power changes are not followed")
        tray.set_power(False, capacity=100)
        tray.power_changed()
        check_equal([r.short for r in tray.log.take_quiet()], [], "requests while idle")
        check(tray.popup(NO_POPUP_MS) is None, "no notice while idle")

        log("notice option 0: the same road, no popup")
        tray.write_settings(0, 222)
        tray.set_power(True, capacity=60)
        tray.press_q()
        expect_requests(tray, [FULL_CHARGE_RUNS, LIMIT_IS_75], "Q with notices off")
        check(tray.popup(NO_POPUP_MS) is None, "no notice 132 with option 0")
        tray.end_full_charge()
        tray.power_changed()
        expect_requests(tray, [FULL_CHARGE_ENDED, SET_75], "end with notices off")
        check(tray.popup(NO_POPUP_MS) is None, "no notice 133 with option 0")

        log("settings reload: re-creates a missing file, shows nothing, asks nothing")
        wine.settings_file.unlink()
        wine.run("tray-probe.exe", "post", "0x8070")
        # The read happens in the tray's own time; the file appears when it is done.
        wait_until(wine.settings_file.exists, what="settings file re-created by the reload")
        _, out = wine.run("settings-probe.exe", "read", "Tevra Current Settings")
        check_equal(out.strip(), "1 111", "defaults after the reload")
        check_equal([r.short for r in tray.log.take_quiet()], [], "requests of the reload")
        check(tray.popup(NO_POPUP_MS) is None, "no notice on reload")
        check(tray.tray.poll() is None, "TevraTray.exe still running")
        log(f"screenshots in {wine.artifacts}")


if __name__ == "__main__":
    main(test)
