#!/usr/bin/env python3
"""Runs the benchmarks and writes a Markdown table of medians and ranges, every figure next to a
reference measured in the same run: artifacts/bench/results.md (also printed).

    bench/run_bench.py [--quick] [--only settings,keys,idle,memory,startup,notice]

scripts/bench.sh builds what this needs first (win64 programs, the native benchmarks in
build/bench-native) and runs it. The Windows measurements run under Wine on a virtual display
through the end-to-end harness, in a power state of their own (mains power, battery charging), with
mode 222 and notices on, so that the tray program shows its start-up notice.

Measurements, and how each is taken:
  settings  ReadSettings/WriteSettings natively: wall time (Google Benchmark), instructions
            (callgrind, collected inside the operation only), and file system calls per operation
            (strace). Reference: one whole-file read and one whole-file rewrite of the same file.
  keys      Each key event's SendInput time in a driver, over many events, with TevraTray's hook
            installed, with a hook that only passes events on, and with no hook. Under Wine a
            low-level hook of another process is called before SendInput returns, so the time is
            how long the hook holds up each event of the desktop.
  idle      CPU time and wake-ups of the waiting tray program (Linux process of the Wine program:
            the threads' schedstat run time and voluntary context switches), next to a program
            that only shows a tray icon, both idle at the same time.
  memory    /proc/<pid>/smaps_rollup of the Wine process: private = Anonymous + Swap (Wine's own
            figure for the commit), working set = Rss. Tray program after start-up, and the
            applet's rundll32 process with its dialog open, next to minimal programs.
  startup   From CreateProcess in a probe inside Wine to the icon in the notification area
            (polled every millisecond) and to the set-limit request in the simulated controller's
            log (its timestamp), next to the minimal tray program.
  notice    The start-up notice's popup followed from outside every millisecond: slide-in (first
            shown to the last step out), hold (to the first step back), slide-out (to hidden),
            against 500, 3000 and 500 ms.
"""

import argparse
import datetime
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from harness import (WIN64_DIR, TestFailure, WineSession, check, isolate_power, log,  # noqa: E402
                     set_power, wait_until, windows_path)

BENCH_WIN = WIN64_DIR / "bench"
NATIVE = ROOT / "build" / "bench-native" / "bench" / "settings"
RESULTS = ROOT / "artifacts" / "bench" / "results.md"

MEASUREMENTS = ["settings", "keys", "idle", "memory", "startup", "notice"]

TRAY_CLASS = "VelmoraTrayWindowClass"
POPUP_CLASS = "TevraTaskbarNotifier"
WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
ID_APP_EXIT = 57665
CURRENT_SECTION = "Tevra Current Settings"


# ---------------------------------------------------------------------------------------------
# Figures


def med(values):
    return statistics.median(values)


def fmt(values, digits=0, unit=""):
    """Median and range: "612 (540–700)"; one value alone without a range."""
    def num(v):
        return f"{v:,.{digits}f}"
    if not values:
        return "n/a"
    if len(values) == 1:
        return f"{num(values[0])}{unit}"
    return f"{num(med(values))}{unit} ({num(min(values))}–{num(max(values))})"


class Results:
    def __init__(self):
        self.rows = []    # (measurement, tevra, reference, target, verdict)
        self.notes = []

    def add(self, what, tevra, reference, target="", verdict=""):
        self.rows.append((what, tevra, reference, target, verdict))

    def note(self, text):
        self.notes.append(text)

    def markdown(self, header):
        lines = [header, "",
                 "| Measurement | Tevra | Reference (same run) | Target | Met |",
                 "|---|---|---|---|---|"]
        for row in self.rows:
            lines.append("| " + " | ".join(str(cell) for cell in row) + " |")
        if self.notes:
            lines += ["", "Notes:", ""] + [f"- {n}" for n in self.notes]
        return "\n".join(lines) + "\n"


def within(value, reference, fraction):
    return value <= reference * (1 + fraction)


def verdict(ok, detail):
    return f"{'yes' if ok else '**no**'} ({detail})"


# ---------------------------------------------------------------------------------------------
# 6. Settings store, natively


def bench_settings(results, reps):
    program = NATIVE / "settings_bench"
    check(program.exists(), f"{program} missing: build build/bench-native first")
    work = ROOT / "build" / "bench-native"
    out = subprocess.run(
        [str(program), f"--benchmark_repetitions={reps}", "--benchmark_min_time=0.5",
         "--benchmark_format=json"],
        cwd=work, check=True, capture_output=True, text=True, timeout=1800).stdout
    times = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("run_type") == "iteration":
            check(entry["time_unit"] == "us", "benchmark time unit")
            times.setdefault(entry["run_name"].split("/")[0], []).append(entry["real_time"])

    instructions = {op: callgrind_instructions(op) for op in
                    ("read", "write", "read-file", "replace-file")}
    calls = {op: file_calls(op) for op in ("read", "write")}

    def calls_text(c):
        return (f"{c['read']:g} opens to read, {c['create']:g} temporary files written, "
                f"{c['rename']:g} renames, {c['fsync']:g} fsyncs")

    results.add("6 ReadSettings, wall time per call (µs)", fmt(times["BM_ReadSettings"], 1),
                "one whole-file read: " + fmt(times["BM_ReadFileOnce"], 1))
    results.add("6 ReadSettings, instructions per call (callgrind)",
                f"{instructions['read']:,.0f}",
                f"one whole-file read: {instructions['read-file']:,.0f}")
    results.add("6 ReadSettings, file system calls per call (strace)", calls_text(calls["read"]),
                "one whole-file read: 1 open")
    results.add("6 WriteSettings, wall time per call (µs)", fmt(times["BM_WriteSettings"], 0),
                "one whole-file rewrite: " + fmt(times["BM_ReplaceFileOnce"], 0))
    results.add("6 WriteSettings, instructions per call (callgrind)",
                f"{instructions['write']:,.0f}",
                f"one whole-file rewrite: {instructions['replace-file']:,.0f}")
    results.add("6 WriteSettings, file system calls per call (strace)",
                calls_text(calls["write"]),
                "one whole-file rewrite: 1 temporary file, 1 rename, 1 fsync")
    results.note(f"Settings store: Google Benchmark, {reps} repetitions of ≥0.5 s each, on a "
                 "default settings file in a folder on the build disk (unsanitised release "
                 "build). Instructions are user-space instructions of the operation itself, "
                 "averaged over 20 calls (deterministic, so measured once); the kernel's work "
                 "(fsync) is not in them.")


def callgrind_instructions(operation, count=20):
    program = NATIVE / "settings-ops"
    symbols = {"read": "IniFile::ReadSettings(", "write": "IniFile::WriteSettings(",
               "read-file": "ReadWholeFile(", "replace-file": "ReplaceWholeFile("}
    names = subprocess.run(["nm", "-C", "--defined-only", str(program)], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    # The exact name: a pattern would also match the lambdas inside the function, and callgrind
    # toggles collection at every matching entry.
    matches = [line.split(" ", 2)[2] for line in names
               if line.split(" ", 2)[1:2] == ["T"] and line.split(" ", 2)[2].startswith(
                   symbols[operation])]
    check(len(matches) == 1, f"symbol of {operation}: {matches}")
    with tempfile.TemporaryDirectory() as folder:
        out = Path(folder) / "callgrind.out"
        subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                        f"--toggle-collect={matches[0]}", str(program), operation, str(count)],
                       cwd=ROOT / "build" / "bench-native", check=True, capture_output=True,
                       timeout=600)
        totals = re.search(r"^totals:\s+(\d+)", out.read_text(), re.MULTILINE)
        check(totals, "callgrind totals")
        return int(totals.group(1)) / count


def file_calls(operation, count=10):
    """File system calls on the settings file per operation, between the driver's markers."""
    program = NATIVE / "settings-ops"
    with tempfile.TemporaryDirectory() as folder:
        trace = Path(folder) / "strace.log"
        subprocess.run(["strace", "-f", "-qq", "-o", str(trace), "-e",
                        "trace=open,openat,creat,rename,renameat,renameat2,fsync,fdatasync,write",
                        str(program), operation, str(count)],
                       cwd=ROOT / "build" / "bench-native", check=True, capture_output=True,
                       timeout=300)
        lines = trace.read_text().splitlines()
    begin = next(i for i, line in enumerate(lines) if 'write(2, "measure\\n"' in line)
    end = next(i for i, line in enumerate(lines) if 'write(2, "done\\n"' in line)
    counts = {"read": 0, "create": 0, "rename": 0, "fsync": 0}
    for line in lines[begin + 1:end]:
        if re.search(r"open(at)?\(.*TevraSettings\.ini\", O_RDONLY", line):
            counts["read"] += 1
        elif re.search(r"open(at)?\(.*TevraSettings\.ini[^\"]+\".*O_CREAT", line):
            counts["create"] += 1
        elif re.search(r"rename(at2?)?\(.*TevraSettings\.ini", line):
            counts["rename"] += 1
        elif re.search(r"f(data)?sync\(", line):
            counts["fsync"] += 1
    return {k: v / count for k, v in counts.items()}


# ---------------------------------------------------------------------------------------------
# Wine processes seen from Linux


def linux_pid(proc, exe):
    """The Linux process of a Wine program started by the harness: wine execs into it, so it is
    the started process itself."""
    def program_runs():
        comm = Path(f"/proc/{proc.pid}/comm").read_text().strip()
        return exe.lower().startswith(comm.lower())  # comm holds at most 15 characters
    wait_until(program_runs, timeout=30, interval=0.05, what=f"{exe} in process {proc.pid}")
    return proc.pid


def tasks(pid):
    return [t for t in os.listdir(f"/proc/{pid}/task") if t.isdigit()]


def activity(pid):
    """Per thread: (run time in ns, voluntary switches, involuntary switches)."""
    result = {}
    for tid in tasks(pid):
        try:
            run_ns = int(Path(f"/proc/{pid}/task/{tid}/schedstat").read_text().split()[0])
            status = Path(f"/proc/{pid}/task/{tid}/status").read_text()
        except OSError:
            continue
        voluntary = int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", status, re.M).group(1))
        involuntary = int(
            re.search(r"^nonvoluntary_ctxt_switches:\s+(\d+)", status, re.M).group(1))
        result[tid] = (run_ns, voluntary, involuntary)
    return result


def cpu_ticks(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime (fields 14 and 15)


def idle_cost(before, after, ticks):
    """CPU ms and wake-ups between two activity samples of the same process."""
    run_ns = wakeups = involuntary = 0
    for tid, (r1, v1, i1) in after.items():
        r0, v0, i0 = before.get(tid, (0, 0, 0))
        run_ns += r1 - r0
        wakeups += v1 - v0
        involuntary += i1 - i0
    return {"cpu_ms": run_ns / 1e6, "wakeups": wakeups, "involuntary": involuntary,
            "stat_ms": ticks * 1000 / os.sysconf("SC_CLK_TCK"), "threads": len(after)}


def memory(pid):
    """Private bytes and working set in KiB, from smaps_rollup: private = Anonymous + Swap, which
    is what Wine reports as a process's commit (GetProcessMemoryInfo's PagefileUsage), working
    set = Rss (its WorkingSetSize)."""
    fields = {}
    for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines()[1:]:
        name, value = line.split(":", 1)
        fields[name] = int(value.split()[0])
    return {"private": fields["Anonymous"] + fields["Swap"], "rss": fields["Rss"]}


def memory_by_module(pid):
    """KiB of anonymous and of resident pages per mapped file. Sections that Wine read into
    anonymous memory directly after an image's first page count for that image; "[anon]" is the
    rest."""
    result = {}
    module = None
    image = None
    previous_end = None
    for line in Path(f"/proc/{pid}/smaps").read_text().splitlines():
        if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
            parts = line.split(None, 5)
            start, end = (int(x, 16) for x in parts[0].split("-"))
            name = parts[5].strip() if len(parts) > 5 else "[anon]"
            if name.startswith("/"):
                name = Path(name).name
                image = name if name.lower().endswith((".exe", ".dll", ".cpl", ".drv")) else None
            elif name == "[anon]" and image and start == previous_end:
                name = image
            else:
                image = None
            previous_end = end
            module = result.setdefault(name, {"anon": 0, "rss": 0})
        elif line.startswith("Anonymous:"):
            module["anon"] += int(line.split()[1])
        elif line.startswith("Rss:"):
            module["rss"] += int(line.split()[1])
    return result


def write_breakdown(path, subjects):
    """A table of where two processes' memory lies, largest differences first."""
    (a_name, a), (b_name, b) = subjects
    names = sorted(set(a) | set(b), key=lambda n: -abs(
        (a.get(n, {}).get("anon", 0) - b.get(n, {}).get("anon", 0))))
    lines = [f"KiB per mapping: anonymous (private) and resident; {a_name} vs {b_name}", "",
             f"{'anon ' + a_name:>22} {'anon ' + b_name:>22} {'rss ' + a_name:>22} "
             f"{'rss ' + b_name:>22}  mapping"]
    for n in names:
        x, y = a.get(n, {"anon": 0, "rss": 0}), b.get(n, {"anon": 0, "rss": 0})
        if x["rss"] or y["rss"]:
            lines.append(f"{x['anon']:>22} {y['anon']:>22} {x['rss']:>22} {y['rss']:>22}  {n}")
    path.write_text("\n".join(lines) + "\n")


# ---------------------------------------------------------------------------------------------
# The Wine session


class Bench:
    def __init__(self, wine):
        self.wine = wine

    def tool(self, name):
        return str(BENCH_WIN / name)

    def run_tool(self, name, *args, timeout=600):
        _, out = self.wine.run(self.tool(name), *args, timeout=timeout)
        return out

    def post(self, window_class, message, wparam=0):
        code, _ = self.wine.run(self.tool("post-message.exe"), window_class, hex(message),
                                hex(wparam), check_exit=False)
        return code == 0

    def start_tray(self):
        """TevraTray.exe, once its frame window exists."""
        proc = self.wine.start("TevraTray.exe", stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.wait_window(TRAY_CLASS, proc)
        return proc

    def start_ref_tray(self):
        proc = self.wine.start(self.tool("ref-tray.exe"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.wait_window("TevraBenchTray", proc)
        return proc

    def wait_window(self, window_class, proc):
        def there():
            check(proc.poll() is None, f"the program of {window_class} ended at start")
            code, _ = self.wine.run(self.tool("post-message.exe"), window_class, "0",
                                    check_exit=False)
            return code == 0
        wait_until(there, timeout=60, interval=0.2, what=f"a window of class {window_class}")

    def end(self, proc, window_class, message, wparam=0):
        """Ends a program by its own way out (so that its icon goes too), else kills it."""
        if proc.poll() is None and self.post(window_class, message, wparam):
            try:
                proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=10)

    def end_tray(self, proc):
        self.end(proc, TRAY_CLASS, WM_COMMAND, ID_APP_EXIT)

    def end_ref_tray(self, proc):
        self.end(proc, "TevraBenchTray", WM_CLOSE)

    def reset_controller(self):
        self.wine.run("zorvan-sim.exe", "reset")

    def requests(self):
        import zorvan_sim
        return zorvan_sim.requests(self.wine)


def keep_session(wine):
    """An idle console program keeps the prefix's server and services up for the whole run; the
    services inherit the first program's standard handles, so that program must not be one whose
    output is read."""
    ready = wine.artifacts / "session-started.txt"
    with open(ready, "w") as out:
        wine.start(r"C:\windows\system32\cmd.exe", "/k", "echo started",
                   stdin=subprocess.PIPE, stdout=out, stderr=subprocess.DEVNULL)
    wait_until(lambda: "started" in ready.read_text(errors="replace"), timeout=180,
               what="the Wine session to start")


def store_settings(wine, option, mode):
    wine.run("settings-probe.exe", "read", CURRENT_SECTION)  # creates the file when missing
    wine.run("settings-probe.exe", "write", CURRENT_SECTION, option, mode)


# ---------------------------------------------------------------------------------------------
# 1. Key-event cost


def parse_fields(line):
    return {k: float(v) for k, v in (f.split("=", 1) for f in line.split())}


def bench_keys(bench, results, reps, events):
    subjects = ["none", "pass-through", "tray"]
    figures = {s: {"median_us": [], "p99_us": []} for s in subjects}
    for rep in range(reps):
        # A different order each round, so that drift in the machine's load spreads evenly.
        for subject in subjects[rep % 3:] + subjects[:rep % 3]:
            proc = None
            args = [str(events)]
            if subject == "pass-through":
                proc = bench.wine.start(bench.tool("ref-hook.exe"))
                args.append("TevraBenchHook")
            elif subject == "tray":
                proc = bench.start_tray()
                time.sleep(6)  # the start-up notice is over
                args.append(TRAY_CLASS)
            out = bench.run_tool("key-cost.exe", *args, timeout=3600)
            fields = parse_fields(out.strip().splitlines()[-1])
            check(fields["failed"] == 0, f"key-cost lost events: {out}")
            for key in ("median_us", "p99_us"):
                figures[subject][key].append(fields[key])
            log(f"bench: keys {subject} round {rep + 1}: {out.strip()}")
            if subject == "tray":
                bench.end_tray(proc)
            elif proc is not None:
                proc.kill()
                proc.wait(timeout=10)

    for key, label in (("median_us", "median"), ("p99_us", "99th percentile")):
        tray, ref, none = (figures[s][key] for s in ("tray", "pass-through", "none"))
        extra_tray = med(tray) - med(none)
        extra_ref = med(ref) - med(none)
        ratio = extra_tray / extra_ref if extra_ref > 0 else float("inf")
        results.add(f"1 Key event through the desktop, {label} (µs per SendInput)",
                    "TevraTray's hook: " + fmt(tray, 1),
                    f"pass-through hook: {fmt(ref, 1)}; no hook: {fmt(none, 1)}",
                    "hook's share ≤ 2× pass-through's",
                    verdict(ratio <= 2.0, f"{extra_tray:.0f} vs {extra_ref:.0f} µs, "
                                          f"{ratio:.2f}×"))
    results.note(f"Key events: {events:,} events per run (F24 down and up, one per SendInput "
                 f"call, after 1,000 unmeasured), {reps} runs per subject; the hook's share is the "
                 "median with the hook less the median with no hook.")


# ---------------------------------------------------------------------------------------------
# 2. Idle cost and 3. memory of the tray program


def bench_idle_memory(bench, results, reps, seconds, do_idle, do_memory):
    idle = {"tray": [], "ref": []}
    mem = {"tray": [], "ref": []}
    for rep in range(reps):
        tray = bench.start_tray()
        ref = bench.start_ref_tray()
        pids = {"tray": linux_pid(tray, "TevraTray.exe"), "ref": linux_pid(ref, "ref-tray.exe")}
        time.sleep(10)  # start-up and its notice are over
        if do_idle:
            before = {k: (activity(p), cpu_ticks(p)) for k, p in pids.items()}
            time.sleep(seconds)
            for k, p in pids.items():
                idle[k].append(idle_cost(before[k][0], activity(p), cpu_ticks(p) - before[k][1]))
            log(f"bench: idle round {rep + 1}: tray {idle['tray'][-1]}, ref {idle['ref'][-1]}")
        if do_memory:
            for k, p in pids.items():
                mem[k].append(memory(p))
            write_breakdown(bench.wine.artifacts / "memory-tray.txt",
                            [("TevraTray", memory_by_module(pids["tray"])),
                             ("ref-tray", memory_by_module(pids["ref"]))])
            log(f"bench: memory round {rep + 1}: tray {mem['tray'][-1]}, ref {mem['ref'][-1]}")
        bench.end_tray(tray)
        bench.end_ref_tray(ref)

    if do_idle:
        for key, label, digits in (("cpu_ms", f"CPU time over {seconds} s (ms)", 2),
                                   ("wakeups", f"wake-ups over {seconds} s", 0)):
            t = [r[key] for r in idle["tray"]]
            r = [x[key] for x in idle["ref"]]
            if key == "wakeups":
                target, ok = "none", max(t) == 0
                detail = f"{max(t):.0f} at most"
            else:
                target, ok = "", None
                detail = ""
            results.add(f"2 Idle tray program, {label}", fmt(t, digits),
                        "minimal tray program: " + fmt(r, digits), target,
                        verdict(ok, detail) if ok is not None else "")
        threads = idle["tray"][0]["threads"], idle["ref"][0]["threads"]
        results.note(f"Idle: {reps} runs of {seconds} s after start-up (and its notice) were "
                     "over; CPU time from the threads' schedstat (/proc/<pid>/stat agrees at its "
                     "10 ms grain), wake-ups are voluntary context switches of all threads of the "
                     f"Wine process ({threads[0]} threads in TevraTray's, {threads[1]} in the "
                     "reference's).")
    if do_memory:
        for key, label in (("private", "private bytes (KiB)"), ("rss", "working set (KiB)")):
            t = [m[key] for m in mem["tray"]]
            r = [m[key] for m in mem["ref"]]
            ratio = med(t) / med(r)
            results.add(f"3 Tray program, {label}", fmt(t), "minimal tray program: " + fmt(r),
                        "≤ +10 %", verdict(within(med(t), med(r), 0.10), f"{ratio - 1:+.1%}"))


# ---------------------------------------------------------------------------------------------
# 3. Memory of the applet's process with its dialog open


def bench_applet_memory(bench, results, reps):
    wine = bench.wine
    for name, folder in (("Tevra.cpl", WIN64_DIR), ("Zorvan.dll", WIN64_DIR),
                         ("RefApplet.cpl", BENCH_WIN)):
        shutil.copy2(folder / name, wine.system32 / name)
    rundll = r"C:\windows\system32\rundll32.exe"
    subjects = {
        "applet": ([rundll, "shell32.dll,Control_RunDLL", r"C:\windows\system32\Tevra.cpl"],
                   "rundll32.exe"),
        "empty applet": ([rundll, "shell32.dll,Control_RunDLL",
                          r"C:\windows\system32\RefApplet.cpl"], "rundll32.exe"),
        "empty dialog": ([bench.tool("ref-dialog.exe")], "ref-dialog.exe"),
    }
    figures = {s: [] for s in subjects}
    breakdowns = {}
    for rep in range(reps):
        for subject, (command, exe) in subjects.items():
            proc = wine.start(*command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            pid = linux_pid(proc, exe)
            wait_until(lambda: dialog_open(bench), timeout=60, interval=0.3,
                       what=f"the dialog of the {subject}")
            time.sleep(3)  # drawn and settled
            figures[subject].append(memory(pid))
            log(f"bench: memory {subject} round {rep + 1}: {figures[subject][-1]}")
            breakdowns[subject] = memory_by_module(pid)
            proc.kill()
            proc.wait(timeout=10)
            wait_until(lambda: not dialog_open(bench), timeout=30, interval=0.3,
                       what="the dialog to go")
    write_breakdown(wine.artifacts / "memory-applet.txt",
                    [("applet", breakdowns["applet"]), ("empty applet", breakdowns["empty applet"])])
    for key, label in (("private", "private bytes (KiB)"), ("rss", "working set (KiB)")):
        a, e, d = ([m[key] for m in figures[s]] for s in subjects)
        results.add(f"3 Applet (rundll32) with its dialog open, {label}", fmt(a),
                    f"empty applet in rundll32: {fmt(e)}; empty-dialog program: {fmt(d)}")
    results.note("Memory: /proc/<pid>/smaps_rollup of the Wine process after start-up; private "
                 "bytes = Anonymous + Swap (what Wine itself reports as the process's commit, "
                 "GetProcessMemoryInfo's PagefileUsage), working set = Rss (its WorkingSetSize). "
                 "Wine reads a program's sections into anonymous memory when they are not "
                 "page-aligned in the file (mingw's default), so the images count as private. "
                 "Per-mapping breakdowns: artifacts/bench/memory-tray.txt, memory-applet.txt.")


def dialog_open(bench):
    # A visible dialog window (class #32770) of any process of the session.
    code, out = bench.wine.run("tray-probe.exe", "windows", "all", check_exit=False)
    return code == 0 and any(line.startswith("#32770|") for line in out.splitlines())


# ---------------------------------------------------------------------------------------------
# 4. Start-up


def bench_startup(bench, results, reps):
    figures = {"icon": [], "limit": [], "ref": []}
    tray = windows_path(WIN64_DIR / "TevraTray.exe")
    ref = windows_path(BENCH_WIN / "ref-tray.exe")
    for rep in range(reps + 1):
        first = rep == 0  # a round that only warms the session up
        for subject in (("tray", "ref") if rep % 2 else ("ref", "tray")):
            if subject == "tray":
                bench.reset_controller()
                out = bench.run_tool("startup-probe.exe", tray, TRAY_CLASS,
                                     hex(WM_COMMAND), hex(ID_APP_EXIT), timeout=120)
            else:
                out = bench.run_tool("startup-probe.exe", ref, "TevraBenchTray", hex(WM_CLOSE),
                                     "0", timeout=120)
            fields = dict(f.split("=", 1) for f in out.strip().splitlines()[-1].split())
            started = datetime.datetime.fromisoformat(fields["start"])
            if subject == "tray":
                sets = [r for r in bench.requests() if r["input"][:1] == [1]]
                check(sets, "TevraTray sent no limit at start")
                sent = datetime.datetime.fromisoformat(sets[0]["time"])
                limit_ms = (sent - started).total_seconds() * 1000
                if not first:
                    figures["icon"].append(float(fields["icon_ms"]))
                    figures["limit"].append(limit_ms)
                log(f"bench: start-up tray: icon {fields['icon_ms']} ms, limit {limit_ms:.0f} ms")
            else:
                if not first:
                    figures["ref"].append(float(fields["icon_ms"]))
                log(f"bench: start-up reference: icon {fields['icon_ms']} ms")
    ref = med(figures["ref"])
    for key, label in (("icon", "to the icon added"), ("limit", "to the limit sent")):
        t = figures[key]
        results.add(f"4 Start-up {label} (ms)", fmt(t), "minimal tray program, to its icon: " +
                    fmt(figures["ref"]), "≤ +10 %",
                    verdict(within(med(t), ref, 0.10), f"{med(t) / ref - 1:+.1%}"))
    results.note(f"Start-up: {reps} starts of each (after one unmeasured pair), alternating, "
                 "from CreateProcess in a probe inside Wine; the icon polled every ms, the limit "
                 "from the simulated controller's log (ms timestamps, local time).")


# ---------------------------------------------------------------------------------------------
# 5. Notice timing


def bench_notice(bench, results, reps):
    phases = {"slide-in": [], "hold": [], "slide-out": []}
    for rep in range(reps):
        bench.reset_controller()
        trace_file = bench.wine.artifacts / f"notice-{rep + 1}.txt"
        with open(trace_file, "w") as out:
            watch = bench.wine.start(bench.tool("popup-watch.exe"), POPUP_CLASS, "40",
                                     stdout=out, stderr=subprocess.DEVNULL)
            time.sleep(1)  # watching before the program starts
            tray = bench.start_tray()
            try:
                watch.wait(timeout=60)
            except subprocess.TimeoutExpired:
                raise TestFailure("the start-up notice did not come and go in 60 s")
        bench.end_tray(tray)
        times = notice_phases(trace_file.read_text())
        for k in phases:
            phases[k].append(times[k])
        log(f"bench: notice round {rep + 1}: {times}")
    for key, target in (("slide-in", 500), ("hold", 3000), ("slide-out", 500)):
        values = phases[key]
        off = med(values) / target - 1
        results.add(f"5 Notice {key} (ms)", fmt(values), f"target {target} ms",
                    "within ±10 %", verdict(abs(off) <= 0.10, f"{off:+.1%}"))
    results.note(f"Notice: the start-up notice \"You can press the Q button\", {reps} times, "
                 "followed from another process every ms (window rectangle and visibility); "
                 "Wine's X11 driver runs with Managed=N, as on a desktop whose window manager "
                 "answers at once (Xvfb has none, and Wine would wait 2 s for it on every hide).")


def notice_phases(text):
    traces = []
    for line in text.splitlines():
        f = line.split()
        if f and f[0] == "trace":
            traces.append((float(f[1]), int(f[2]), tuple(map(int, f[3:7]))))
    check(text.strip().endswith("end"), f"popup-watch did not see a whole notice:\n{text}")
    shown = next(i for i, t in enumerate(traces) if t[1])
    hidden = next(i for i, t in enumerate(traces) if i > shown and not t[1])
    visible = traces[shown:hidden]
    # The hold is the one long pause between two moves.
    gaps = [(visible[i + 1][0] - visible[i][0], i) for i in range(len(visible) - 1)]
    check(gaps, f"the popup did not move:\n{text}")
    _, at = max(gaps)
    return {"slide-in": visible[at][0] - visible[0][0],
            "hold": visible[at + 1][0] - visible[at][0],
            "slide-out": traces[hidden][0] - visible[at + 1][0]}


# ---------------------------------------------------------------------------------------------


def load():
    return ", ".join(f"{x:.2f}" for x in os.getloadavg())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true",
                        help="fewer runs, events and seconds: checks that everything works")
    parser.add_argument("--only", default=",".join(MEASUREMENTS),
                        help="comma-separated subset of " + ",".join(MEASUREMENTS))
    args = parser.parse_args()
    chosen = [m for m in args.only.split(",") if m]
    unknown = set(chosen) - set(MEASUREMENTS)
    if unknown:
        parser.error(f"unknown measurements: {', '.join(sorted(unknown))}")

    wine_parts = set(chosen) - {"settings"}
    if wine_parts:
        isolate_power()  # re-runs this script in a mount namespace of its own

    reps = 2 if args.quick else 3
    events = 5_000 if args.quick else 100_000
    idle_seconds = 10 if args.quick else 60
    results = Results()
    started = time.time()
    load_before = load()

    try:
        if "settings" in chosen:
            log("bench: settings store")
            bench_settings(results, reps)
        if wine_parts:
            with WineSession("bench") as wine:
                from notifier_host import unmanaged_windows
                keep_session(wine)
                with unmanaged_windows(wine):
                    set_power(True, "Charging", 60)
                    store_settings(wine, 1, 222)
                    bench = Bench(wine)
                    bench.reset_controller()
                    if "keys" in chosen:
                        log("bench: key events")
                        bench_keys(bench, results, reps, events)
                    if "idle" in chosen or "memory" in chosen:
                        log("bench: idle tray program and its memory")
                        bench_idle_memory(bench, results, reps, idle_seconds,
                                          "idle" in chosen, "memory" in chosen)
                    if "memory" in chosen:
                        log("bench: applet memory")
                        bench_applet_memory(bench, results, reps)
                    if "startup" in chosen:
                        log("bench: start-up")
                        bench_startup(bench, results, 3 if args.quick else 7)
                    if "notice" in chosen:
                        log("bench: notice timing")
                        bench_notice(bench, results, reps)
    except TestFailure as failure:
        log(f"bench: FAILED: {failure}")
        sys.exit(1)

    minutes = (time.time() - started) / 60
    header = (f"# Benchmark results\n\n"
              f"{datetime.datetime.now():%Y-%m-%d %H:%M}, {platform.node()}, "
              f"{os.cpu_count()} cores, load average {load_before} at the start and {load()} at "
              f"the end, {minutes:.0f} min{', quick run' if args.quick else ''}. Medians with "
              "(lowest–highest) over the runs; every reference was measured in the same run. "
              "Windows programs: 64-bit build under Wine 8 on Xvfb.")
    RESULTS.parent.mkdir(parents=True, exist_ok=True)
    RESULTS.write_text(results.markdown(header))
    print(RESULTS.read_text())
    print(f"written to {RESULTS.relative_to(ROOT)}")


if __name__ == "__main__":
    main()
