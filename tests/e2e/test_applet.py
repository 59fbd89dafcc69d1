"""The Control Panel applet Tevra.cpl under Wine.

The applet lies in the system folder and is started the way the tray program starts it
(rundll32.exe shell32.dll,Control_RunDLL), then driven from outside by applet-driver.exe: it reads
the dialog's window, controls and tooltips, clicks with the mouse and presses keys. cpl-host.exe
calls CPlApplet directly for the answer table, the resources and two openings in a row. The
simulated controller's request log and the settings file's bytes show what OK sent and stored.

Chinese: Wine picks the string table by the user interface language, which it takes from the
locale of the Wine process (LC_MESSAGES; LC_CTYPE gives the ANSI code page). The test compiles a
zh_TW.UTF-8 locale of its own (localedef, package locales) and names its folder in LOCPATH. Wine's
Chinese dialog font "PMingLiU" does not exist here: WenQuanYi Micro Hei (fonts-wqy-microhei) stands
in for it through Wine's font replacements. rundll32 gets Wine's own window frame (Decorated=N), so
that the screenshots show the caption too. Documents of type .mht open with cpl-host.exe, which
records the path, so that F1 shows what the dialog asked the shell to open.

Screenshots: artifacts/applet/english*.png and chinese*.png.
"""

import contextlib
import shutil
import subprocess
import time
from xml.etree import ElementTree

import zorvan_sim
from harness import (PREFIX, TestFailure, WineSession, check, check_equal, log, main, wait_until,
                     windows_path)

APPLET = r"C:\windows\system32\Tevra.cpl"
RUNDLL = r"C:\windows\system32\rundll32.exe"

# Window styles, for the template's expectations.
WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00C00000, 0x00080000, 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0x0, 0x3, 0x7, 0x9
BS_MULTILINE, SS_BITMAP = 0x2000, 0xE
CHILD = WS_CHILD | WS_VISIBLE

# Dialog template 3000 in order: id, class, style, rectangle in dialog units, template text.
TEMPLATE = [
    (3020, "button", CHILD | BS_GROUPBOX, (81, 10, 142, 48), "Q Button Notification"),
    (3022, "button", CHILD | BS_GROUPBOX, (15, 71, 207, 59), "Mode Option"),
    (3003, "button", CHILD | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, (85, 82, 131, 10),
     "Battery Full Charging"),
    (3004, "button", CHILD | BS_AUTORADIOBUTTON | WS_TABSTOP, (85, 96, 130, 10), "Balanced"),
    (3005, "button", CHILD | BS_AUTORADIOBUTTON | WS_TABSTOP, (85, 110, 123, 10),
     "Extended Battery Life Cycle"),
    (3011, "static", CHILD | SS_BITMAP, (36, 86, 30, 33), "#3007"),
    (3014, "static", CHILD | SS_BITMAP, (36, 86, 30, 33), "#3010"),
    (3013, "static", CHILD | SS_BITMAP, (36, 86, 30, 33), "#3012"),
    (3001, "button", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (89, 135, 40, 14), "Default"),
    (3006, "button", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (135, 135, 40, 14), "OK"),
    (3008, "button", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (181, 135, 40, 14), "Cancel"),
    (3017, "button", CHILD | BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP,
     (92, 25, 124, 24), "Display notification window on the system tray"),
]

MODE_BUTTONS = [3003, 3004, 3005]
PICTURES = {3003: 3011, 3004: 3014, 3005: 3013}
CHECK_BOX, DEFAULT, OK, CANCEL = 3017, 3001, 3006, 3008

# The texts the dialog shows: caption (key 0), controls and the three tips.
TEXTS = {
    "english": {
        0: "Velmora", 3017: "Display notification window on the system tray",
        3020: "Q Button Notification", 3022: "Mode Option", 3003: "Battery Full Charging",
        3004: "Balanced", 3005: "Extended Battery Life Cycle", 3001: "Default", 3006: "OK",
        3008: "Cancel",
    },
    "chinese": {
        0: "Velmora設定", 3017: "顯示彈跳視窗訊息", 3020: "Q Button提示", 3022: "模式選項",
        3003: "電池完全充飽模式", 3004: "平衡模式", 3005: "長壽命電池模式", 3001: "預設值",
        3006: "確定", 3008: "取消",
    },
}
TIPS = {
    "english": {3003: "Charging battery to 100%", 3004: "Charging battery to 75%",
                3005: "Charging battery to 50%"},
    "chinese": {3003: "電池充電至100%", 3004: "電池充電至75%", 3005: "電池充電至50%"},
}

REGISTRY = """REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"PMingLiU"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\rundll32.exe\\X11 Driver]
"Decorated"="N"

[HKEY_CLASSES_ROOT\\.mht]
@="TevraTestHelp"

[HKEY_CLASSES_ROOT\\TevraTestHelp\\shell\\open\\command]
@="\\"{host}\\" record \\"{record}\\" \\"%1\\""
"""

LOCALE = "zh_TW.UTF-8"
LOCALE_DIR = PREFIX.parent / "locale"


def settings_file(current, default=(1, 111)):
    """The bytes of a settings file; current and default are (notice option, mode number)."""
    text = ""
    for name, (option, mode) in (("Tevra Default Settings", default),
                                 ("Tevra Current Settings", current)):
        text += f" [{name}]\r\n dwTrayNotifyWindowOption={option}\r\n dwTevraAppletModeNum={mode}\r\n"
    return text.encode("ascii")


def text_of(field):
    if field == "-":
        return ""
    if field.startswith("#"):
        return field
    return bytes.fromhex(field).decode("utf-8")


def after(words, key, count=1):
    """The count words that follow key in a line of words (one word as itself)."""
    i = words.index(key) + 1
    return words[i] if count == 1 else words[i:i + count]


def parse_state(out):
    state = {"controls": {}}
    for line in out.splitlines():
        words = line.split()
        if not words:
            continue
        if words[0] == "control":
            if words[2] == "missing":
                raise TestFailure(f"control {words[1]} is missing")
            fields = dict(zip(words[2::2], words[3::2]))
            state["controls"][int(words[1])] = {
                "class": fields["class"], "style": int(fields["style"], 16),
                "visible": fields["visible"] == "1", "checked": int(fields["checked"]),
                "text": text_of(fields["text"])}
        elif words[0] in ("window", "screen"):
            state[words[0]] = tuple(int(w) for w in words[1:])
        elif words[0] in ("owner", "focus", "themed"):
            state[words[0]] = int(words[1])
        elif words[0] == "caption":
            state["caption"] = text_of(words[1])
        else:
            state[words[0]] = words[1]
    return state


def parse_tips(out):
    tips = {"tools": []}
    for line in out.splitlines():
        words = line.split()
        if words[0] == "tooltip":
            fields = dict(zip(words[1::2], words[2::2]))
            check(words[1] != "missing", "the dialog has no tooltip window")
            tips.update(count=int(fields["count"]), maxwidth=int(fields["maxwidth"]),
                        visible=fields["visible"] == "1")
        elif words[0] == "tool":
            fields = dict(zip(words[2::2], words[3::2]))
            tips["tools"].append({"flags": int(fields["flags"], 16), "hwnd": fields["hwnd"],
                                  "control": int(fields["control"]),
                                  "text": text_of(fields["text"])})
        elif words[0] == "current":
            tips["current"] = int(words[1])
    return tips


class Applet:
    """One Wine session with the applet installed in the system folder."""

    def __init__(self, wine):
        self.wine = wine
        self.help_record = wine.artifacts / "help-opened.txt"

    def install(self):
        self.keep_session()
        for name in ("Tevra.cpl", "Zorvan.dll"):
            shutil.copy2(self.wine.program(name), self.wine.system32 / name)
        registry = self.wine.artifacts / "applet-settings.reg"
        # Help documents open with cpl-host, which records the path the shell was given.
        host = windows_path(self.wine.program("cpl-host.exe")).replace("\\", "\\\\")
        record = windows_path(self.help_record).replace("\\", "\\\\")
        registry.write_text(REGISTRY.format(host=host, record=record))
        self.wine.run(r"C:\windows\system32\reg.exe", "import", windows_path(registry))

    def keep_session(self):
        """Starts an idle console program that keeps the prefix's Wine server and services up
        for the whole test. The first program of a Wine session starts the services, and they
        inherit its standard output: were that rundll32, whose pipes the test reads to their
        end, the read would wait for the services to end."""
        ready = self.wine.artifacts / "session-started.txt"
        with open(ready, "w") as out:
            self.wine.start(r"C:\windows\system32\cmd.exe", "/k", "echo started",
                            stdin=subprocess.PIPE, stdout=out, stderr=subprocess.DEVNULL)
        wait_until(lambda: "started" in ready.read_text(errors="replace"), timeout=120,
                   what="the Wine session to start")

    @contextlib.contextmanager
    def environment(self, **changes):
        """Starts the programs begun inside with these environment variables changed."""
        saved = self.wine.env
        self.wine.env = dict(saved, **changes)
        try:
            yield
        finally:
            self.wine.env = saved

    def driver(self, *args):
        return self.wine.run("applet-driver.exe", *args)[1]

    def open(self, current, default=(1, 111)):
        """Stores the settings and starts the applet as the tray program does; returns rundll32."""
        self.wine.settings_file.write_bytes(settings_file(current, default))
        proc = self.wine.start(RUNDLL, "shell32.dll,Control_RunDLL", APPLET)
        self.driver("wait", "20")
        self.driver("park")
        return proc

    def state(self):
        return parse_state(self.driver("state"))

    def tips(self):
        return parse_tips(self.driver("tips"))

    def click(self, control):
        self.driver("click", control)

    def closed(self, proc, what):
        """Waits for the dialog to go and rundll32 to end; returns rundll32's standard error."""
        self.driver("gone", "15")
        try:
            _, err = proc.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"rundll32 did not end after {what}")
        return err

    def controls_differ(self, state, checked_mode, picture, box):
        """What differs from the expected controls, or None. checked_mode: the one checked mode
        button or None; picture: the one visible picture or None; box: whether the notice check
        box is checked."""
        controls = state["controls"]
        seen = ([b for b in MODE_BUTTONS if controls[b]["checked"]],
                [p for p in PICTURES.values() if controls[p]["visible"]],
                controls[CHECK_BOX]["checked"] == 1)
        expected = ([checked_mode] if checked_mode else [], [picture] if picture else [], box)
        if seen == expected:
            return None
        return f"(checked modes, visible pictures, box) expected {expected}, got {seen}"

    def expect_controls(self, checked_mode, picture, box, timeout=10):
        """Waits until the controls show this (a click takes effect in the dialog's own time);
        returns the state."""
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            differs = self.controls_differ(state, checked_mode, picture, box)
            if not differs:
                return state
            if time.monotonic() > deadline:
                raise TestFailure(differs)
            time.sleep(0.2)

    def unchanged(self, before_file, before_requests, what):
        check_equal(self.wine.settings_file.read_bytes(), before_file, f"settings file after {what}")
        check_equal(zorvan_sim.requests(self.wine)[before_requests:], [],
                    f"controller requests after {what}")


# ---------------------------------------------------------------------------------------------


def check_entry(applet):
    """CPlApplet called directly: exports, answers, CPLINFO, resources and the template."""
    _, out = applet.wine.run("cpl-host.exe", "entry", APPLET)
    lines = [line.split() for line in out.splitlines()]
    exports = [words[1] for words in lines if words[0] == "export"]
    check_equal(exports, ["CPlApplet"], "exports of Tevra.cpl")
    answers = {int(words[1]): int(words[2]) for words in lines if words[0] == "answer"}
    # CPL_INIT, GETCOUNT, NEWINQUIRE, STARTWPARMSA/W, SELECT, SETUP, unknown ones, STOP, EXIT.
    check_equal(answers, {1: 1, 2: 1, 8: 1, 9: 0, 10: 0, 4: 1, 200: 1, 0: 1, 11: 1, 65535: 1,
                          6: 1, 7: 0}, "answers of CPlApplet")
    inquiries = [words for words in lines if words[0] == "inquire"]
    check_equal(len(inquiries), 3, "CPL_INQUIRE calls")
    for words in inquiries:
        fields = dict(zip(words[2::2], words[3::2]))
        check_equal(fields, {"answer": "0", "icon": "3002", "name": "6", "info": "2", "data": "0"},
                    f"CPLINFO for applet index {words[1]}")
    strings = {int(words[1]): text_of(words[2]) for words in lines if words[0] == "string"}
    check_equal(strings, {2: "Velmora", 6: "Velmora"}, "applet name and description")
    images = sorted((int(words[1]), int(words[2])) for words in lines if words[0] == "image")
    check_equal(images, sorted((size, bits) for size in (256, 48, 32, 24, 16)
                               for bits in (4, 8, 32)), "images of icon group 3002")

    dialog = next(words for words in lines if words[0] == "dialog")
    check_equal(int(after(dialog, "style"), 16),
                WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                "dialog style (pop-up, caption, close box, modal frame, not visible)")
    check_equal(after(dialog, "rect", 4), ["0", "0", "237", "160"], "dialog size in dialog units")
    check_equal(text_of(after(dialog, "caption")), "Velmora", "template caption")
    points, face = after(dialog, "font", 2)
    check_equal((points, text_of(face)), ("8", "MS Shell Dlg"), "dialog font")
    items = []
    for words in lines:
        if words[0] != "item":
            continue
        kind = after(words, "class")
        kind = {"#128": "button", "#130": "static"}.get(kind) or text_of(kind).lower()
        items.append((int(words[1]), kind, int(after(words, "style"), 16),
                      tuple(int(w) for w in after(words, "rect", 4)), text_of(after(words, "text"))))
    check_equal(items, TEMPLATE, "controls of template 3000 in tab order")
    check_manifest(text_of(after(next(w for w in lines if w[0] == "manifest"), "manifest")))
    log("entry: exports, answers, CPLINFO, strings, icon and template as expected")


def check_manifest(text):
    namespaces = {"a": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3"}
    root = ElementTree.fromstring(text.encode("utf-8"))
    identity = root.find("a:assemblyIdentity", namespaces)
    check_equal((identity.get("name"), identity.get("version"),
                 identity.get("processorArchitecture")), ("Tevra.cpl", "1.0.0.1", "amd64"),
                "the manifest's identity")
    dependency = root.find("a:dependency/a:dependentAssembly/a:assemblyIdentity", namespaces)
    check_equal((dependency.get("name"), dependency.get("version"),
                 dependency.get("processorArchitecture")),
                ("Microsoft.Windows.Common-Controls", "6.0.0.0", "amd64"),
                "the manifest's dependency")
    level = root.find(".//v3:requestedExecutionLevel", namespaces)
    check_equal((level.get("level"), level.get("uiAccess")), ("asInvoker", "false"),
                "the manifest's execution level")


def check_opening_english(applet):
    """222 and 1: "Balanced" checked, only picture 3014, box checked; window, texts, tips;
    mode clicks switch the picture; Balanced then Cancel changes nothing."""
    wine = applet.wine
    proc = applet.open((1, 222))
    before_file, before_requests = wine.settings_file.read_bytes(), len(zorvan_sim.requests(wine))
    state = applet.expect_controls(3004, 3014, True, timeout=0)
    width, height = 362, 282
    screen_w, screen_h = state["screen"]
    check_equal(state["window"], (screen_w // 2 - width // 2, screen_h // 2 - height // 2, width,
                                  height), "window place and size (centred, background's size)")
    check_equal(state["owner"], 0, "owner of the dialog started by rundll32")
    check_equal(state["themed"], 1, "common controls version 6 in the dialog (from the manifest)")
    check_texts(state, "english")
    for control in TEMPLATE:
        if control[1] == "button":
            check_equal(state["controls"][control[0]]["style"] & 0xF,
                        control[2] & 0xF, f"button kind of {control[0]} (no default push button)")
    wine.screenshot("english")
    check_tips(applet, "english")

    applet.click(3005)
    applet.expect_controls(3005, 3013, True)
    applet.click(3003)
    applet.expect_controls(3003, 3011, True)
    applet.click(3004)
    applet.expect_controls(3004, 3014, True)
    applet.click(CANCEL)
    applet.closed(proc, "Cancel")
    applet.unchanged(before_file, before_requests, "Balanced then Cancel")
    log("opening with 222/1, window, texts, tips, mode pictures and Cancel as expected")


def check_texts(state, language):
    expected = TEXTS[language]
    check_equal(state["caption"], expected[0], f"{language} caption")
    for control, text in expected.items():
        if control:
            check_equal(state["controls"][control]["text"], text, f"{language} text of {control}")


def check_tips(applet, language):
    tips = applet.tips()
    check_equal(tips["count"], 3, "tools of the tooltip")
    check_equal(tips["maxwidth"], 235, "maximum tip width")
    expected = [{"flags": 0x11, "hwnd": "dialog", "control": control, "text": text}
                for control, text in TIPS[language].items()]
    check_equal(tips["tools"], expected, f"{language} tools (TTF_IDISHWND | TTF_SUBCLASS)")
    applet.driver("hover", "3004")
    wait_until(lambda: (lambda t: t["visible"] and t["current"] == 3004)(applet.tips()),
               timeout=10, what="the tip of Balanced to show")
    time.sleep(0.5)
    applet.wine.screenshot(f"{language}-tooltip")
    applet.driver("park")


def check_no_mode_and_default(applet):
    """0 and 2: nothing checked; Default (111, 1) checks the first mode; Escape closes."""
    wine = applet.wine
    proc = applet.open((2, 0))
    before_file, before_requests = wine.settings_file.read_bytes(), len(zorvan_sim.requests(wine))
    applet.expect_controls(None, None, False, timeout=0)
    applet.click(DEFAULT)
    applet.expect_controls(3003, 3011, True)
    check_equal(wine.settings_file.read_bytes(), before_file, "settings file after Default")

    applet.driver("keys", "1b")
    applet.closed(proc, "Escape")
    applet.unchanged(before_file, before_requests, "Default then Escape")
    log("opening with 0/2, Default and Escape as expected")


def check_default_without_valid_mode(applet):
    """Default whose section holds no valid mode: the buttons go back to the opening's choice and
    the picture stays; F1 opens the help; the close box closes without changes."""
    wine = applet.wine
    proc = applet.open((0, 222), default=(1, 444))
    before_file, before_requests = wine.settings_file.read_bytes(), len(zorvan_sim.requests(wine))
    applet.expect_controls(3004, 3014, False, timeout=0)
    applet.click(3005)
    applet.click(DEFAULT)
    applet.expect_controls(3004, 3013, True)

    # F1 asks the shell to open the help archive in the program-files folder.
    help_file = wine.drive_c / "Program Files" / "Velmora" / "tevraHelp.mht"
    help_file.parent.mkdir(parents=True, exist_ok=True)
    help_file.write_text("help")
    applet.help_record.unlink(missing_ok=True)
    applet.driver("keys", "70")
    opened = wait_until(lambda: applet.help_record.exists() and applet.help_record.read_text(),
                        timeout=20, what="F1 to open the help archive")
    check_equal(opened.strip().lower(), r"c:\program files\velmora\tevrahelp.mht",
                "document opened on F1")
    help_file.unlink()
    applet.expect_controls(3004, 3013, True, timeout=0)
    # The close box, as the handler's console may have taken the keyboard for a moment.
    applet.driver("close-box")
    applet.closed(proc, "the close box")
    applet.unchanged(before_file, before_requests, "Default then the close box")
    log("Default with mode 444, F1 and the close box as expected")


def check_ok_sends_then_stores(applet):
    """Extended with the box clear, then OK: 50 sent, 333 and 0 stored."""
    wine = applet.wine
    proc = applet.open((1, 222))
    before_requests = len(zorvan_sim.requests(wine))
    applet.click(3005)
    applet.click(CHECK_BOX)
    applet.expect_controls(3005, 3013, False)
    applet.click(OK)
    applet.closed(proc, "OK")
    sent = zorvan_sim.requests(wine)[before_requests:]
    check_equal([(r["command"], r["input"], r["inputLength"], r["output"], r["outputLength"])
                 for r in sent], [(0x59, [0x01, 0x32], 2, "null", 0)], "requests sent by OK")
    check_equal(zorvan_sim.state(wine)["limit"], 50, "controller limit after OK")
    check_equal(wine.settings_file.read_bytes(), settings_file((0, 333)), "settings file after OK")
    log("Extended, box cleared, OK: 50 sent, 333 and 0 stored")


def check_ok_without_mode(applet):
    """444 and 2: nothing checked; the box checked and OK sends nothing, stores the option and
    keeps the stored mode number."""
    wine = applet.wine
    proc = applet.open((2, 444))
    before_requests = len(zorvan_sim.requests(wine))
    applet.expect_controls(None, None, False, timeout=0)
    applet.click(CHECK_BOX)
    applet.click(OK)
    applet.closed(proc, "OK without a mode")
    check_equal(zorvan_sim.requests(wine)[before_requests:], [], "requests of OK without a mode")
    check_equal(wine.settings_file.read_bytes(), settings_file((1, 444)),
                "settings file after OK without a mode")
    log("OK without a mode: nothing sent, option stored, mode 444 kept")


def check_enter_on_mode_button(applet):
    wine = applet.wine
    proc = applet.open((1, 111))
    before_file, before_requests = wine.settings_file.read_bytes(), len(zorvan_sim.requests(wine))
    applet.click(3005)
    check_equal(applet.state()["focus"], 3005, "focus after clicking Extended")
    applet.driver("keys", "0d")
    applet.closed(proc, "Enter on a mode button")
    applet.unchanged(before_file, before_requests, "Enter on a mode button")
    log("Enter on a mode button closes without changes")


def check_close_event(applet):
    wine = applet.wine
    with applet.environment(WINEDEBUG="-all,+debugstr"):
        proc = applet.open((1, 222))
    before_file, before_requests = wine.settings_file.read_bytes(), len(zorvan_sim.requests(wine))
    applet.click(3005)
    applet.driver("signal")
    err = applet.closed(proc, "the close event")
    applet.unchanged(before_file, before_requests, "the close event")
    check("Case TEVRACPL_CLOSE_EVENT_INDEX\\n" in err,
          f"the watcher's line on the debugger output; got:\n{err}")
    log("the close event closes the dialog as Cancel")


def check_two_openings(applet):
    """Two CPL_DBLCLK from a host window: no owner, each opening shows the values then stored,
    and each dialog's watcher is gone (thread and event) when the dialog has ended."""
    wine = applet.wine
    wine.settings_file.write_bytes(settings_file((1, 222)))
    host = wine.start("cpl-host.exe", "open", APPLET, "2")
    applet.driver("wait", "20")
    first = applet.expect_controls(3004, 3014, True, timeout=0)
    check_equal(first["owner"], 0, "owner of the dialog opened with a Control Panel window")
    applet.click(3005)
    applet.click(OK)
    second = wait_until(lambda: (lambda s: s if s["dialog"] != first["dialog"] else None)(
        applet.state()), timeout=20, what="the second dialog")
    differs = applet.controls_differ(second, 3005, 3013, True)
    check(not differs, f"second opening: {differs}")
    applet.driver("signal")
    out, err = host.communicate(timeout=30)
    check_equal(host.returncode, 0, f"cpl-host exit code ({err})")
    records = {}
    for line in out.replace("\r\n", "\n").splitlines():
        words = line.split()
        fields = dict(zip(words[2::2], words[3::2])) if words[0] == "dblclk" else \
            dict(zip(words[1::2], words[2::2]))
        records[words[0] if words[0] == "before" else int(words[1])] = fields
    check_equal(sorted(k for k in records if k != "before"), [1, 2], "CPL_DBLCLK calls")
    for i in (1, 2):
        check_equal(records[i]["answer"], "0", f"answer of CPL_DBLCLK {i}")
        check_equal(records[i]["event"], "0", f"close event still open after dialog {i}")
    for i in (1, 2):
        check_equal(records[i]["threads"], records["before"]["threads"],
                    f"threads of the host after dialog {i} (its watcher thread has ended)")
    log(f"two openings from a host: threads {records['before']['threads']} before, "
        f"{records[1]['threads']} and {records[2]['threads']} after; event released")


def check_chinese(applet):
    """The Chinese table: with the full zh_TW locale (ANSI code page 950) for the screenshots, and
    with a Chinese interface language over the Western code page 1252, where only wide texts
    survive."""
    wine = applet.wine
    if not (LOCALE_DIR / LOCALE).exists():
        check(shutil.which("localedef"), "localedef is missing: run scripts/setup.sh (locales)")
        LOCALE_DIR.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", "zh_TW", "-f", "UTF-8", str(LOCALE_DIR / LOCALE)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        check((LOCALE_DIR / LOCALE).exists(), f"localedef could not make {LOCALE}")
    fonts = subprocess.run(["fc-list", "WenQuanYi Micro Hei"], capture_output=True, text=True)
    check(fonts.stdout.strip(), "the font WenQuanYi Micro Hei is missing: run scripts/setup.sh")

    for name, variables in (("chinese", {"LC_ALL": LOCALE}),
                            ("chinese-cp1252", {"LC_ALL": "", "LANG": "C.UTF-8",
                                                "LC_MESSAGES": LOCALE})):
        with applet.environment(LOCPATH=str(LOCALE_DIR), **variables):
            proc = applet.open((1, 222))
        state = applet.expect_controls(3004, 3014, True, timeout=0)
        check_texts(state, "chinese")
        if name == "chinese":
            wine.screenshot("chinese")
            check_tips(applet, "chinese")
        else:
            tips = applet.tips()
            check_equal([t["text"] for t in tips["tools"]], list(TIPS["chinese"].values()),
                        "Chinese tips over code page 1252")
        applet.click(CANCEL)
        applet.closed(proc, f"Cancel ({name})")
    log("Chinese texts and tips as expected, also over code page 1252")


def test():
    with WineSession("applet") as wine:
        applet = Applet(wine)
        applet.install()
        zorvan_sim.reset(wine)
        check_entry(applet)
        check_opening_english(applet)
        check_no_mode_and_default(applet)
        check_default_without_valid_mode(applet)
        check_ok_sends_then_stores(applet)
        check_ok_without_mode(applet)
        check_enter_on_mode_button(applet)
        check_close_event(applet)
        check_two_openings(applet)
        check_chinese(applet)
        wine.settings_file.unlink()


if __name__ == "__main__":
    main(test)
