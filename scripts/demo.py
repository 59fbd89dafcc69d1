"""Runs TevraTray.exe under Wine with the simulated embedded controller and shows what it does:
first a scripted walk through one full charge started with the Q button, then (on a terminal)
a small control panel to press Q, end the full charge and plug or unplug the adaptor.

    scripts/demo.py                 scripted demonstration, then the control panel
    scripts/demo.py --no-control    scripted demonstration only

The programs appear on $DISPLAY when it is set, otherwise on a virtual display; either way every
notice is saved as a picture in artifacts/demo/. Plugging and unplugging need root (Wine's power
source is then simulated in a private mount namespace); without root the machine's own power
state is used.
"""

import argparse
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import ROOT, TestFailure, WineSession, isolate_power, set_power  # noqa: E402
from tray_driver import TrayDriver, same_picture  # noqa: E402

INTRO = """\
Tevra battery care: demonstration
=================================
A notebook battery lasts longer when it is not always charged to 100 %. TevraTray.exe, a tray
program without a window, keeps the embedded controller at the limit the user chose (here
"Balanced", 75 %). When the user wants one full charge anyway, they press the notebook's Q button:
the controller charges to 100 % once. TevraTray follows that full charge, tells the user each step
in a popup that slides out above the taskbar, and sets 75 % again when the battery is full.

The hardware is simulated: Zorvan.dll stands for the maker's library and writes every request
TevraTray makes to a log; zorvan-sim.exe plays the Q button and the full battery.
"""

NOTICE_NAMES = {129: "q-button-available", 132: "full-charge-running", 133: "charged-completely",
                134: "unplugged", 135: "cancelled"}


def say(text=""):
    print(text, flush=True)


class Demo:
    def __init__(self, wine, tray, can_plug):
        self.wine = wine
        self.tray = tray
        self.can_plug = can_plug
        self.step = 0
        self.battery = 60
        self.online = True
        self.pictures = {}  # notice id -> a picture of it seen before
        self.texts = {i: tray.notice_text(i) for i in NOTICE_NAMES}

    def relative(self, path):
        try:
            return path.relative_to(ROOT)
        except ValueError:
            return path

    def show_outcome(self, expected_notice=None):
        """Prints the controller's new requests, the notice on screen and the controller state."""
        # The requests come before the notice; waiting for the popup first also gives a handler
        # that runs late (Wine may hold the tray's thread after a popup hides) its time.
        popup = self.tray.popup(4000)
        requests = self.tray.log.take_quiet(quiet=0.5)
        if requests:
            for n, request in enumerate(requests):
                label = "controller asked:" if n == 0 else ""
                say(f"        {label:<18}{request.describe()}")
        else:
            say(f"        {'controller asked:':<18}nothing")
        if popup is None:
            say(f"        {'notice:':<18}none")
        else:
            name = f"{self.step}-{NOTICE_NAMES.get(expected_notice, 'notice')}"
            picture = self.tray.screenshot_popup(name, popup)
            if expected_notice is None:
                # A notice seen before looks exactly as it did then.
                expected_notice = next((i for i, known in self.pictures.items()
                                        if same_picture(known, picture)), None)
                if expected_notice is not None:
                    picture = picture.rename(
                        picture.with_name(f"{self.step}-{NOTICE_NAMES[expected_notice]}.png"))
            else:
                self.pictures.setdefault(expected_notice, picture)
            text = (f'"{self.texts[expected_notice]}"' if expected_notice
                    else "a notice not seen before; see the picture")
            say(f"        {'notice:':<18}{text}")
            say(f"        {'':<18}picture: {self.relative(picture)}")
        say(f"        {'controller state:':<18}{self.tray.state()}")
        if popup is not None:
            self.tray.wait_popup_gone()
        return requests, popup

    def heading(self, text, meaning=None):
        self.step += 1
        say()
        say(f"Step {self.step}  {text}")
        if meaning:
            say(f"        {meaning}")

    # -- actions --------------------------------------------------------------------------

    def press_q(self):
        self.tray.press_q()

    def end_full_charge(self):
        self.tray.end_full_charge()
        self.battery = 100
        self.power_message()

    def plug(self, online):
        self.online = online
        self.power_message()

    def power_message(self):
        if self.can_plug:
            self.tray.set_power(self.online, self.battery)
        self.tray.power_changed()

    def battery_changes(self):
        self.battery = min(self.battery + 10, 99)
        self.power_message()

    # -- the scripted road -----------------------------------------------------------------

    def scripted(self):
        self.heading("TevraTray.exe starts (settings: notices on, mode 222 = 75 %)",
                     "It sends the stored limit and says that the Q button can be used.")
        tray = self.tray.start_tray()
        requests, _ = self.show_outcome(129)
        # A start that went through sends the stored limit.
        if tray.poll() is not None or not any(r.input[:1] == (1,) for r in requests):
            state = "ended" if tray.poll() is not None else "did not finish starting"
            raise TestFailure(f"TevraTray.exe {state}; can Wine open the display "
                              f"{self.wine.display}?")

        self.heading("The user presses the Q button; the controller starts a full charge",
                     "TevraTray sees the key through its keyboard hook and asks the controller.")
        self.press_q()
        requests, _ = self.show_outcome(132)
        if not requests:
            say("        (on battery power TevraTray ignores the Q button; plug the notebook in)")
            return

        if self.can_plug:
            self.heading("The user unplugs the AC adaptor during the full charge",
                         "During a full charge TevraTray follows the power source.")
            self.plug(False)
            self.show_outcome(134)

            self.heading("The user plugs it in again", "The full charge goes on.")
            self.plug(True)
            self.show_outcome(132)

        self.heading("The battery's charge rises (Windows reports a power-status change)",
                     "Nothing to tell: TevraTray only checks that the full charge still runs.")
        self.battery_changes()
        self.show_outcome()

        self.heading("The battery is full: the controller ends the full charge",
                     "TevraTray notices the end at the next power-status change.")
        self.end_full_charge()
        self.show_outcome(133)
        say()
        say("The full charge is over and the controller holds 75 % again.")

    # -- the control panel -------------------------------------------------------------------

    def control(self):
        commands = {
            "q": ("press the Q button", self.press_q),
            "e": ("the battery is full: end the full charge", self.end_full_charge),
            "b": ("the battery's charge changes", self.battery_changes),
        }
        if self.can_plug:
            commands["u"] = ("unplug the AC adaptor", lambda: self.plug(False))
            commands["p"] = ("plug the AC adaptor in", lambda: self.plug(True))
        say()
        say("Control the simulated notebook yourself; TevraTray keeps running.")
        for key, (text, _) in commands.items():
            say(f"  {key}  {text}")
        say("  x  quit")
        if not self.can_plug:
            say("  (plugging and unplugging need root: run scripts/run.sh as root or with sudo)")
        while True:
            try:
                choice = input("> ").strip().lower()
            except EOFError:
                break
            if choice in ("x", "q!", "quit", "exit"):
                break
            if choice not in commands:
                say("  " + ", ".join(commands) + " or x")
                continue
            text, action = commands[choice]
            self.heading(text)
            action()
            self.show_outcome()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--no-control", action="store_true",
                        help="end after the scripted demonstration")
    args = parser.parse_args()

    can_plug = os.geteuid() == 0
    if can_plug:
        isolate_power()  # runs this script again in a private mount namespace
        set_power(True, "Charging", 60)

    display = os.environ.get("DISPLAY") or None
    say(INTRO)
    say(f"Showing the programs on {'your display ' + display if display else 'a virtual display'}"
        f"; notices are saved in {ROOT / 'artifacts' / 'demo'}.")
    if not can_plug:
        say("Not root: Wine reports this machine's own power state; no plugging or unplugging.")

    with WineSession("demo", display=display) as wine:
        for old in wine.artifacts.glob("*.png"):
            old.unlink()
        tray = TrayDriver(wine, power=can_plug)
        tray.write_settings(1, 222)
        tray.reset_controller()
        demo = Demo(wine, tray, can_plug)
        try:
            demo.scripted()
            if not args.no_control and sys.stdin.isatty():
                demo.control()
        except TestFailure as failure:
            say(f"demo stopped: {failure}")
            return 1
        except KeyboardInterrupt:
            say()
        say("Ending TevraTray.exe.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
