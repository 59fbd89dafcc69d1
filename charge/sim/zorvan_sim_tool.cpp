// zorvan-sim: console control of the simulated embedded controller, doing what the hardware and
// the user would. Run without arguments for its usage.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "sim_store.h"

namespace {

constexpr char kUsage[] =
    "usage: zorvan-sim <command>\n"
    "  state          show the controller state: limit=<percent> fullcharge=<0|1>\n"
    "  log            show the request log, one line per request\n"
    "  clear-log      empty the request log\n"
    "  reset          first state (limit=100 fullcharge=0) and an empty log\n"
    "  press-q        press the Q button: the controller cancels a running full charge or, with\n"
    "                 a limit below 100, starts one; then the key (scan code 0x79) goes to the\n"
    "                 desktop; shows the new state\n"
    "  end-charge     the battery is full: the full charge ends; shows the new state\n"
    "  power-changed  post WM_POWERBROADCAST/PBT_APMPOWERSTATUSCHANGE to the window of class\n"
    "                 \"VelmoraTrayWindowClass\"\n"
    "  where          show the folder of the state file and the log\n"
    "State and log: %ZORVAN_SIM_DIR% if set, otherwise <common application data>\\ZorvanSim.\n"
    "Exit code 0 on success, 1 when the command failed, 2 for a wrong command.\n";

constexpr WORD kQButtonScanCode = 0x79;
constexpr char kTrayWindowClass[] = "VelmoraTrayWindowClass";

int Fail(const char* message) {
    std::fprintf(stderr, "zorvan-sim: %s\n", message);
    return 1;
}

int ShowState(const std::optional<ControllerState>& state) {
    if (!state) return Fail("the controller state cannot be read or stored");
    std::printf("%s\n", FormatState(*state).c_str());
    return 0;
}

// A press and a release of the Q button's scan code, as the keyboard controller would deliver
// them, so that low-level keyboard hooks of every program see it.
bool SendQButtonKey() {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wScan = kQButtonScanCode;
        key.ki.dwFlags = KEYEVENTF_SCANCODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    return SendInput(2, keys, sizeof(INPUT)) == 2;
}

int ShowLog() {
    std::string text;
    if (!ReadRequestLog(text)) return Fail("the request log cannot be read");
    // The log's own CR LF line ends go out unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int PostPowerChange() {
    HWND window = FindWindowA(kTrayWindowClass, nullptr);
    if (window == nullptr) return Fail("no window of class VelmoraTrayWindowClass");
    if (!PostMessageA(window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0))
        return Fail("the power message could not be posted");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 2 ? argv[1] : "";
    if (command == "state") return ShowState(ReadSharedState());
    if (command == "log") return ShowLog();
    if (command == "clear-log") return ClearRequestLog() ? 0 : Fail("the log cannot be cleared");
    if (command == "reset") {
        if (!ChangeSharedState([](ControllerState& state) { state = ControllerState{}; }))
            return Fail("the controller state cannot be stored");
        return ClearRequestLog() ? 0 : Fail("the log cannot be cleared");
    }
    if (command == "press-q") {
        const int result = ShowState(ChangeSharedState(PressQButton));
        if (result != 0) return result;
        return SendQButtonKey() ? 0 : Fail("the key could not be sent to the desktop");
    }
    if (command == "end-charge") return ShowState(ChangeSharedState(EndFullCharge));
    if (command == "power-changed") return PostPowerChange();
    if (command == "where") {
        const std::string folder = SimulatorFolder();
        if (folder.empty()) return Fail("no folder for the controller state");
        std::printf("%s\n", folder.c_str());
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
