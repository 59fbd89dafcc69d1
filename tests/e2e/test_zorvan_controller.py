"""The simulated embedded controller across processes: a program of ours sends through the real
import of Zorvan.dll, zorvan-sim.exe in other processes sees the limit and the logged request, a Q
press through the tool sets the bit that a third process reads and reaches a low-level keyboard
hook, and two processes calling at once leave a consistent state and a whole log."""

import shutil
import subprocess

import zorvan_sim
from harness import WineSession, check, check_equal, log, main

CURRENT_MODE_222 = (b" [Tevra Default Settings]\r\n"
                    b" dwTrayNotifyWindowOption=1\r\n"
                    b" dwTevraAppletModeNum=111\r\n"
                    b" [Tevra Current Settings]\r\n"
                    b" dwTrayNotifyWindowOption=1\r\n"
                    b" dwTevraAppletModeNum=222\r\n")


def probe(wine, *args):
    """Runs charge-probe.exe; returns (its process id, the rest of its output lines)."""
    _, out = wine.run("charge-probe.exe", *args)
    first, *rest = out.splitlines()
    check(first.startswith("pid="), f"charge-probe output: {out!r}")
    return int(first[4:]), rest


def tool_state(wine):
    return zorvan_sim.parse_state(zorvan_sim.tool(wine, "state"))


def tool_requests(wine):
    return [zorvan_sim.parse_request(line) for line in zorvan_sim.tool(wine, "log").splitlines()]


def start_ready(wine, *args):
    """Starts charge-probe.exe with a command that prints "ready" once it listens."""
    proc = wine.start("charge-probe.exe", *args)
    lines = [proc.stdout.readline(), proc.stdout.readline()]
    check(lines[1].strip() == "ready", f"charge-probe {' '.join(args)} did not get ready: {lines}")
    return proc


def finish(proc, timeout=60):
    out, err = proc.communicate(timeout=timeout)
    return proc.returncode, out.replace("\r\n", "\n"), err


def check_set_limit_request(entry, pid, percent):
    check_equal({k: entry[k] for k in ("pid", "command", "input", "inputLength", "output",
                                       "outputLength", "answer", "result")},
                {"pid": pid, "command": 0x59, "input": [0x01, percent], "inputLength": 2,
                 "output": "null", "outputLength": 0, "answer": None, "result": "ok"},
                "logged set-limit request")


def test_first_state_and_one_request(wine):
    shutil.rmtree(zorvan_sim.folder(wine), ignore_errors=True)
    check_equal(zorvan_sim.tool(wine, "where").strip(), "C:\\ProgramData\\ZorvanSim",
                "default folder of the simulator")
    check_equal(tool_state(wine), zorvan_sim.FIRST_STATE, "state before any request")
    check_equal(tool_requests(wine), [], "log before any request")

    wine.settings_file.write_bytes(CURRENT_MODE_222)
    pid, _ = probe(wine, "apply")
    check_equal(tool_state(wine), {"limit": 75, "fullcharge": 0}, "state after mode 222 applied")
    entries = tool_requests(wine)
    check_equal(len(entries), 1, "requests logged for one ApplyStoredMode")
    check_set_limit_request(entries[0], pid, 0x4B)
    log("mode 222 applied through the import; the tool sees limit 75 and one request")


def set_limit_then_press_q(wine, percent):
    # With no limit below 100 % in force the Q button starts nothing.
    probe(wine, "set", percent)
    return zorvan_sim.press_q(wine)


def test_q_button(wine):
    watcher = start_ready(wine, "keys", "30")
    check_equal(zorvan_sim.press_q(wine), {"limit": 75, "fullcharge": 1}, "state after Q")
    code, out, _ = finish(watcher)
    check_equal(code, 0, f"key watcher exit code (output {out!r})")
    q_events = [line for line in out.splitlines() if line.startswith("key scan=79 ")]
    check_equal(q_events, ["key scan=79 flags=10", "key scan=79 flags=90"],
                "Q key events seen by a low-level hook")

    pid, out = probe(wine, "fullcharge")
    check_equal(out, ["1"], "IsFullChargeActive in a third process")
    _, out = probe(wine, "limited")
    check_equal(out, ["1"], "IsChargeLimited in a third process")
    queries = [(e["pid"], e["input"], e["output"], e["outputLength"], e["answer"])
               for e in zorvan_sim.requests(wine)[-2:]]
    check_equal(queries, [(pid, [0x03], "buffer", 1, 0x01), (queries[1][0], [0x02], "buffer", 1,
                                                             0x4B)], "logged queries")

    # What the Q button and the end of a charge do, one step after another.
    steps = [
        (lambda: zorvan_sim.press_q(wine), {"limit": 75, "fullcharge": 0}),  # cancels
        (lambda: zorvan_sim.press_q(wine), {"limit": 75, "fullcharge": 1}),  # starts again
        (lambda: zorvan_sim.end_charge(wine), {"limit": 75, "fullcharge": 0}),  # battery full
        (lambda: set_limit_then_press_q(wine, "100"), {"limit": 100, "fullcharge": 0}),
    ]
    for number, (step, expected) in enumerate(steps):
        check_equal(step(), expected, f"state after step {number}")
        check_equal(zorvan_sim.state(wine), expected, f"stored state after step {number}")
    log("Q press sets the bit a third process reads; the hook sees scan code 79")


def test_answers_through_the_dll(wine):
    cases = [
        # raw arguments, buffer afterwards, logged answer, result
        (("59", "8", "02"), "64" + "AA" * 7, 0x64, "ok"),  # one byte only, however large
        (("59", "0", "03"), "AA" * 8, None, "ok"),  # no room: nothing written
        (("59", "null", "02"), "AA" * 8, None, "ok"),
        (("5A", "1", "01", "32"), "AA" * 8, None, "ignored"),  # other command
        (("59", "1", "07"), "AA" * 8, None, "ignored"),  # other sub-function
        (("59", "1", "01", "00"), "AA" * 8, None, "ignored"),  # a limit of 0 %
    ]
    for args, buffer, answer, result in cases:
        _, out = probe(wine, "raw", *args)
        check_equal(out, [buffer], f"answer buffer of raw {args}")
        entry = zorvan_sim.requests(wine)[-1]
        check_equal((entry["answer"], entry["result"]), (answer, result), f"log of raw {args}")
    check_equal(zorvan_sim.state(wine), {"limit": 100, "fullcharge": 0},
                "state after ignored requests")
    log("the DLL writes at most one answer byte and ignores what it does not know")


def test_two_processes_at_once(wine):
    zorvan_sim.tool(wine, "clear-log")
    count = 40
    hammers = [wine.start("charge-probe.exe", "hammer", count) for _ in range(2)]
    results = [finish(proc, timeout=300) for proc in hammers]
    for code, out, _ in results:
        check_equal(code, 0, f"hammer exit code (output {out!r})")
    pids = sorted(int(out.splitlines()[0][4:]) for _, out, _ in results)
    entries = zorvan_sim.requests(wine)
    check_equal(len(entries), 2 * 2 * count, "requests logged by two processes")
    check_equal(sorted({e["pid"] for e in entries}), pids, "processes in the log")
    check(all(e["result"] == "ok" for e in entries), "every concurrent request carried out")
    # Carried out one after another in log order: every query answers the limit of the last set
    # before it, and the stored state is the last one set.
    limit = None
    for number, entry in enumerate(entries):
        if entry["input"][0] == 0x01:
            limit = entry["input"][1]
        elif limit is not None:
            check_equal(entry["answer"], limit, f"answer of logged request {number}")
    check_equal(zorvan_sim.state(wine)["limit"], limit, "limit after concurrent requests")
    leftovers = sorted(p.name for p in zorvan_sim.folder(wine).iterdir())
    check_equal(leftovers, ["requests.log", "state.txt"], "files of the simulator")
    log(f"{len(entries)} concurrent requests logged whole; state consistent")


def test_bad_state_and_tool_use(wine):
    state_file = zorvan_sim.folder(wine) / "state.txt"
    state_file.write_bytes(b"\x00\x01limit=abc\r\n")
    check_equal(tool_state(wine), zorvan_sim.FIRST_STATE, "damaged state reads as the first state")
    probe(wine, "set", "50")
    check_equal(state_file.read_bytes(), b"limit=50 fullcharge=0\r\n", "state file rewritten")

    code, _ = wine.run("zorvan-sim.exe", "frobnicate", check_exit=False)
    check_equal(code, 2, "exit code for an unknown command")
    code, _ = wine.run("zorvan-sim.exe", "power-changed", check_exit=False)
    check_equal(code, 1, "exit code of power-changed without a tray window")

    window = start_ready(wine, "tray-window", "30")
    zorvan_sim.power_changed(wine)
    code, out, _ = finish(window)
    check_equal((code, out.splitlines()[-1]), (0, "power wParam=10"), "power message received")

    zorvan_sim.reset(wine)
    check_equal((zorvan_sim.state(wine), zorvan_sim.requests(wine)), (zorvan_sim.FIRST_STATE, []),
                "after reset")
    log("damaged state, wrong commands and the power message handled")


def test_chosen_folder(wine):
    chosen = wine.drive_c / "zorvan-e2e"
    shutil.rmtree(chosen, ignore_errors=True)
    chosen.mkdir()
    default_state = zorvan_sim.state(wine)
    wine.env["ZORVAN_SIM_DIR"] = "C:\\zorvan-e2e"
    try:
        probe(wine, "set", "50")
        check_equal(zorvan_sim.folder(wine), chosen, "folder the helper reads")
        check_equal(tool_state(wine), {"limit": 50, "fullcharge": 0}, "state in the chosen folder")
        check_equal(len(zorvan_sim.requests(wine)), 1, "requests logged in the chosen folder")
    finally:
        del wine.env["ZORVAN_SIM_DIR"]
        shutil.rmtree(chosen, ignore_errors=True)
    check_equal(zorvan_sim.state(wine), default_state, "default state untouched")
    log("ZORVAN_SIM_DIR moves state and log")


def test():
    with WineSession("zorvan_controller") as wine:
        settings_before = wine.settings_file.read_bytes() if wine.settings_file.exists() else None
        try:
            test_first_state_and_one_request(wine)
            test_q_button(wine)
            test_answers_through_the_dll(wine)
            test_two_processes_at_once(wine)
            test_bad_state_and_tool_use(wine)
            test_chosen_folder(wine)
        finally:
            if settings_before is None:
                wine.settings_file.unlink(missing_ok=True)
            else:
                wine.settings_file.write_bytes(settings_before)


if __name__ == "__main__":
    main(test)
