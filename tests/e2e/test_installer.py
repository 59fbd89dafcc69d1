"""The installer out/TevraSetup.exe and its uninstaller under Wine, silent as in a deployment.

A silent install puts every file in place, starts the tray program and makes the applet openable
from the system folder; installing again keeps the user's settings; a silent uninstall asks the
running programs to end the way they expect it, after which no file, registry entry, settings
file, process of ours or limit below 100 % is left. A maker's Zorvan.dll is never replaced.
"""

import subprocess
from pathlib import Path

import tray_program
import zorvan_sim
from harness import PREFIX, WIN64_DIR, WineSession, check, check_equal, log, main, wait_until

SETUP = WIN64_DIR.parent / "TevraSetup.exe"
UNINSTALLER = r"C:\Program Files\Velmora\Uninstall.exe"
RUNDLL = r"C:\windows\system32\rundll32.exe"
APPLET = r"C:\windows\system32\Tevra.cpl"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
SIM_DIR = r"C:\tevra-installer-sim"
SET_100 = [0x01, 0x64]


def installed_files(wine):
    folder = wine.drive_c / "Program Files" / "Velmora"
    return {
        "tray": folder / "TevraTray.exe",
        "help": folder / "tevraHelp.mht",
        "uninstaller": folder / "Uninstall.exe",
        "applet": wine.system32 / "Tevra.cpl",
        "controller": wine.system32 / "Zorvan.dll",
    }


def reg_query(wine, key, value=None):
    """The output of reg query, or None when the key or value does not exist."""
    args = ["wine", "reg", "query", key] + (["/v", value] if value else [])
    proc = subprocess.run(args, env=wine.env, capture_output=True, text=True, timeout=60)
    return proc.stdout if proc.returncode == 0 else None


def our_processes():
    """Command lines of the processes of this Wine prefix that run a program of ours or the
    uninstaller (other prefixes on the machine are none of this test's business)."""
    names = ("TevraTray.exe", "Tevra.cpl", "Uninstall.exe", "Au_.exe", "TevraSetup.exe")
    prefix = f"WINEPREFIX={PREFIX}".encode()
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            environ = (proc / "environ").read_bytes().split(b"\0")
            args = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if prefix in environ and any(name in args for name in names):
            found.append(args)
    return found


def limit_requests(wine):
    return [r["input"] for r in zorvan_sim.requests(wine) if r["input"][:1] == [0x01]]


def install(wine):
    code, _ = wine.run(SETUP, "/S", timeout=180)
    check_equal(code, 0, "exit code of the silent install")
    files = installed_files(wine)
    for name, path in files.items():
        check(path.exists(), f"{name} is not installed at {path}")
    help_page = files["help"].read_bytes()
    check(help_page.startswith(b"From:") and b"Q button" in help_page,
          "the help archive is not the help page")
    run = reg_query(wine, RUN_KEY, "TevraTray")
    check(run and r"C:\Program Files\Velmora\TevraTray.exe" in run, f"logon start: {run!r}")
    entry = reg_query(wine, UNINSTALL_KEY)
    check(entry is not None, "no entry in the list of installed programs")
    for value in ("DisplayName", "DisplayVersion", "Publisher", "UninstallString",
                  "QuietUninstallString"):
        check(value in entry, f"the uninstall entry lacks {value}:\n{entry}")
    check("1.0.0.1" in entry, f"the uninstall entry's version:\n{entry}")
    # The installer starts the tray program for the installing user.
    frames = wait_until(lambda: tray_program.frames(wine), timeout=30, interval=0.5,
                        what="the tray program started by the installer")
    check_equal(len(frames), 1, "tray programs running after the install")


def uninstall(wine):
    wine.run(UNINSTALLER, "/S", timeout=120)
    # The uninstaller runs on from a temporary copy of itself.
    files = installed_files(wine)
    wait_until(lambda: not any(p.exists() for p in files.values()) and not our_processes(),
               timeout=90, interval=0.5, what="the uninstall to finish")


def test():
    with WineSession("installer") as wine:
        check(SETUP.exists(), f"{SETUP} was not built")
        wine.env["ZORVAN_SIM_DIR"] = SIM_DIR
        (wine.drive_c / "tevra-installer-sim").mkdir(exist_ok=True)
        zorvan_sim.reset(wine)
        wine.settings_file.unlink(missing_ok=True)
        # Other tests leave their copies in the shared prefix's system folder; the installer would
        # take a Zorvan.dll found there for the maker's and keep it.
        for name in ("Zorvan.dll", "Tevra.cpl"):
            (wine.system32 / name).unlink(missing_ok=True)

        log("silent install")
        install(wine)
        check(wine.settings_file.exists(), "the tray program did not create the settings file")
        check_equal(limit_requests(wine), [SET_100], "limits sent after the first install")

        log("the user chooses Extended and no notices; installing again keeps that")
        tray_program.write_settings(wine, 0, 333)
        settings = wine.settings_file.read_bytes()
        install(wine)
        check_equal(wine.settings_file.read_bytes(), settings, "settings file after reinstalling")
        check_equal(limit_requests(wine)[-1], [0x01, 0x32], "limit applied by the restarted tray")
        check_equal(zorvan_sim.state(wine)["limit"], 50, "controller limit before uninstalling")

        log("the applet opens from its installed place")
        wine.start(RUNDLL, "shell32.dll,Control_RunDLL", APPLET)
        _, out = wine.run("applet-driver.exe", "wait", "30")
        check("found" in out, "the installed applet did not open its dialog")

        log("silent uninstall with the tray program and the applet running")
        before = len(limit_requests(wine))
        uninstall(wine)
        check_equal(limit_requests(wine)[before:], [SET_100], "limits sent by the uninstall")
        check_equal(zorvan_sim.state(wine)["limit"], 100, "controller limit after uninstalling")
        check(not wine.settings_file.exists(), "the settings file is left")
        check(not (wine.drive_c / "Program Files" / "Velmora").exists(), "the program folder is left")
        check(reg_query(wine, RUN_KEY, "TevraTray") is None, "the logon start is left")
        check(reg_query(wine, UNINSTALL_KEY) is None, "the uninstall entry is left")
        check(not tray_program.frames(wine), "a tray program still runs")
        code, _ = wine.run("applet-driver.exe", "gone", "5", check_exit=False)
        check_equal(code, 0, "applet dialog closed by the uninstall")

        log("uninstalling while the tray program is not running still resets the limit")
        install(wine)
        tray_program.write_settings(wine, 1, 222)
        wine.run("tray-probe.exe", "post", hex(tray_program.WM_COMMAND),
                 hex(tray_program.ID_APP_EXIT), "0")
        wait_until(lambda: not tray_program.frames(wine), timeout=20, what="Exit of the tray")
        wine.run("zorvan-sim.exe", "reset")
        wine.run("charge-probe.exe", "set", "75", check_exit=False)
        before = len(limit_requests(wine))
        uninstall(wine)
        check(SET_100 in limit_requests(wine)[before:], "no 100 % sent when the tray was not running")
        check_equal(zorvan_sim.state(wine)["limit"], 100, "controller limit after the second uninstall")
        check(not wine.settings_file.exists(), "the settings file is left after the second uninstall")

        log("a maker's Zorvan.dll is neither replaced nor removed")
        maker = installed_files(wine)["controller"]
        maker_bytes = (WIN64_DIR / "Zorvan.dll").read_bytes() + b"maker's build"
        maker.write_bytes(maker_bytes)
        install(wine)
        check_equal(maker.read_bytes(), maker_bytes, "the maker's library after the install")
        check("maker" in reg_query(wine, UNINSTALL_KEY), "controller not recorded as the maker's")
        uninstall_files = installed_files(wine)
        uninstall_files.pop("controller")
        wine.run(UNINSTALLER, "/S", timeout=120)
        wait_until(lambda: not any(p.exists() for p in uninstall_files.values())
                   and not our_processes(), timeout=90, interval=0.5, what="the uninstall")
        check_equal(maker.read_bytes(), maker_bytes, "the maker's library after the uninstall")
        maker.unlink()


if __name__ == "__main__":
    main(test)
