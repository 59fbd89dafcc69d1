"""The simulated embedded controller (Zorvan.dll, zorvan-sim.exe) in end-to-end tests.

    import zorvan_sim
    zorvan_sim.reset(wine)                 # limit 100, no full charge, empty log
    wine.start("TevraTray.exe") ...
    zorvan_sim.state(wine)                 # {"limit": 75, "fullcharge": 0}
    zorvan_sim.requests(wine)              # one dict per logged request, oldest first
    zorvan_sim.press_q(wine)               # the Q button, as the controller and keyboard do it

state() and requests() read the files directly from the Linux side (no Wine process to start); the
state file is replaced in one step and the log only grows by whole lines, so both are safe to read
while programs run. The folder follows ZORVAN_SIM_DIR in wine.env when a test has set it.
"""

from pathlib import Path, PureWindowsPath

from harness import check, check_equal

FIRST_STATE = {"limit": 100, "fullcharge": 0}


def folder(wine):
    """The Linux path of the simulator's folder in this session."""
    chosen = (wine.env or {}).get("ZORVAN_SIM_DIR")
    if not chosen:
        return wine.common_appdata / "ZorvanSim"
    path = PureWindowsPath(chosen)
    drive = path.drive.upper()
    parts = path.parts[1:]
    if drive == "Z:":
        return Path("/", *parts)
    check_equal(drive, "C:", "drive of ZORVAN_SIM_DIR")
    return wine.drive_c.joinpath(*parts)


def parse_state(text):
    fields = dict(field.split("=", 1) for field in text.split())
    return {"limit": int(fields["limit"]), "fullcharge": int(fields["fullcharge"])}


def state(wine):
    """The controller state; the first state while no state file exists."""
    path = folder(wine) / "state.txt"
    if not path.exists():
        return dict(FIRST_STATE)
    return parse_state(path.read_text())


def parse_request(line):
    """One log line as a dict: time, pid, command, input (list of ints), inputLength, output
    ("null" or "buffer"), outputLength, answer (int or None), result ("ok" or "ignored")."""
    time, *fields = line.split(" ")
    entry = dict(field.split("=", 1) for field in fields)
    check(list(entry) == ["pid", "command", "input", "inputLength", "output", "outputLength",
                          "answer", "result"], f"log line fields: {line!r}")
    entry["time"] = time
    entry["pid"] = int(entry["pid"])
    entry["command"] = int(entry["command"], 16)
    entry["input"] = [] if entry["input"] == "-" else [
        int(byte, 16) for byte in entry["input"].split(",") if byte != "..."]
    entry["inputLength"] = int(entry["inputLength"])
    entry["outputLength"] = int(entry["outputLength"])
    entry["answer"] = None if entry["answer"] == "-" else int(entry["answer"], 16)
    return entry


def requests(wine):
    """Every complete line of the request log, parsed, oldest first."""
    path = folder(wine) / "requests.log"
    if not path.exists():
        return []
    text = path.read_bytes().decode("ascii")
    complete = text[:text.rfind("\r\n") + 2] if "\r\n" in text else ""
    return [parse_request(line) for line in complete.split("\r\n") if line]


def tool(wine, *args):
    """Runs zorvan-sim.exe; returns its standard output."""
    _, out = wine.run("zorvan-sim.exe", *args)
    return out


def reset(wine):
    tool(wine, "reset")


def press_q(wine):
    """Presses the Q button; returns the controller state afterwards."""
    return parse_state(tool(wine, "press-q"))


def end_charge(wine):
    """The battery is full; returns the controller state afterwards."""
    return parse_state(tool(wine, "end-charge"))


def power_changed(wine):
    """Posts PBT_APMPOWERSTATUSCHANGE to the tray program's window."""
    tool(wine, "power-changed")
