// Drives the charge-control commands from inside Wine for the end-to-end tests. It imports
// ZorvanEvaluate from Zorvan.dll like the programs do. Every command first prints "pid=<id>".
//   charge-probe apply              SystemController::ApplyStoredMode
//   charge-probe set <percent>      SystemController::SetChargeLimit
//   charge-probe limited            prints IsChargeLimited as 0 or 1
//   charge-probe fullcharge         prints IsFullChargeActive as 0 or 1
//   charge-probe raw <command> <outputLength|null> [input bytes]
//                                   one ZorvanEvaluate call with hex command and input bytes and
//                                   an 8-byte buffer of AA; prints the buffer afterwards
//   charge-probe hammer <count>     count times: set 75 or 50, then check that a limit is in force
//   charge-probe keys <seconds>     low-level keyboard hook: prints "ready", then
//                                   "key scan=<hex> flags=<hex>" per key event, until a release of
//                                   scan code 79 or the time is up (exit 1)
//   charge-probe tray-window <seconds>
//                                   a window of class VelmoraTrayWindowClass: prints "ready", then
//                                   "power wParam=<n>" for the first WM_POWERBROADCAST (exit 1 when
//                                   none comes in time)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "system_controller.h"
#include "zorvan_request.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: charge-probe apply | set <percent> | limited | fullcharge | raw <command> "
                 "<outputLength|null> [bytes] | hammer <count> | keys <seconds> | "
                 "tray-window <seconds>\n");
    return 2;
}

unsigned char Hex(const char* text) {
    return static_cast<unsigned char>(std::strtoul(text, nullptr, 16));
}

int Raw(int argc, char** argv) {
    unsigned char input[16] = {};
    const int count = argc - 4;
    if (count < 0 || count > static_cast<int>(sizeof input)) return Usage();
    for (int i = 0; i < count; ++i) input[i] = Hex(argv[4 + i]);
    unsigned char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    const bool null = std::string(argv[3]) == "null";
    ZorvanEvaluate(ZorvanRequest{static_cast<char>(Hex(argv[2])), count > 0 ? input : nullptr,
                                 count, null ? nullptr : buffer, null ? 0 : std::atoi(argv[3])});
    for (unsigned char byte : buffer) std::printf("%02X", byte);
    std::printf("\n");
    return 0;
}

int Hammer(int count) {
    SystemController controller;
    for (int i = 0; i < count; ++i) {
        controller.SetChargeLimit(i % 2 ? 50 : 75);
        if (!controller.IsChargeLimited()) {
            std::printf("no limit in force after request %d\n", i);
            return 1;
        }
    }
    return 0;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::printf("key scan=%02lX flags=%02lX\n", key->scanCode, key->flags);
        std::fflush(stdout);
        if (key->scanCode == 0x79 && (key->flags & LLKHF_UP)) PostQuitMessage(0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs the message loop until WM_QUIT (exit 0) or the timer (exit 1).
int LoopFor(int seconds) {
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.wParam == timer) {
            std::printf("timed out\n");
            return 1;
        }
        DispatchMessageA(&msg);
    }
    return 0;
}

int WatchKeys(int seconds) {
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleA(nullptr), 0);
    if (hook == nullptr) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    const int result = LoopFor(seconds);
    UnhookWindowsHookEx(hook);
    return result;
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_POWERBROADCAST) {
        std::printf("power wParam=%u\n", static_cast<unsigned>(wParam));
        std::fflush(stdout);
        PostQuitMessage(0);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int TrayWindow(int seconds) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VelmoraTrayWindowClass";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    const int result = LoopFor(seconds);
    DestroyWindow(window);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    std::printf("pid=%lu\n", GetCurrentProcessId());
    SystemController controller;
    if (command == "apply" && argc == 2) {
        controller.ApplyStoredMode();
    } else if (command == "set" && argc == 3) {
        controller.SetChargeLimit(static_cast<uint8_t>(std::atoi(argv[2])));
    } else if (command == "limited" && argc == 2) {
        std::printf("%d\n", controller.IsChargeLimited() ? 1 : 0);
    } else if (command == "fullcharge" && argc == 2) {
        std::printf("%d\n", controller.IsFullChargeActive() ? 1 : 0);
    } else if (command == "raw" && argc >= 4) {
        return Raw(argc, argv);
    } else if (command == "hammer" && argc == 3) {
        return Hammer(std::atoi(argv[2]));
    } else if (command == "keys" && argc == 3) {
        return WatchKeys(std::atoi(argv[2]));
    } else if (command == "tray-window" && argc == 3) {
        return TrayWindow(std::atoi(argv[2]));
    } else {
        return Usage();
    }
    return 0;
}
