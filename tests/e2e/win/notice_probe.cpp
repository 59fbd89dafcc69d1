// Watches the tray program's notices from inside Wine, for the end-to-end tests and the demo:
//   notice-probe popup <ms>           waits up to <ms> for the notice popup to stand fully out;
//                                     prints "shown <x> <y> <width> <height>" or "hidden"
//   notice-probe gone <ms>            waits up to <ms> for the popup to be hidden; prints
//                                     "hidden" or "shown"
//   notice-probe string <module> <id> prints string <id> of the program or library <module>
// Exit code 0 when the command ran (whatever it saw), 1 when it failed, 2 for a wrong command.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "string_resource.h"

namespace {

constexpr char kPopupWindowClass[] = "TevraTaskbarNotifier";

constexpr DWORD kPollMs = 20;
// The popup moves a little on every timer tick while it slides; standing still this long means
// it has come fully out and holds.
constexpr DWORD kStillMs = 300;

bool VisiblePopupRect(RECT& rect) {
    const HWND popup = FindWindowA(kPopupWindowClass, nullptr);
    return popup && IsWindowVisible(popup) && GetWindowRect(popup, &rect);
}

int WaitShown(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    RECT last{};
    DWORD stillSince = 0;
    bool seen = false;
    for (;;) {
        RECT rect{};
        const DWORD now = GetTickCount();
        if (VisiblePopupRect(rect)) {
            if (!seen || !EqualRect(&rect, &last)) {
                last = rect;
                stillSince = now;
                seen = true;
            } else if (now - stillSince >= kStillMs) {
                std::printf("shown %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top);
                return 0;
            }
        } else {
            seen = false;
        }
        if (now - start >= timeoutMs) break;
        Sleep(kPollMs);
    }
    std::printf("hidden\n");
    return 0;
}

int WaitGone(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        RECT rect{};
        if (!VisiblePopupRect(rect)) {
            std::printf("hidden\n");
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) break;
        Sleep(kPollMs);
    }
    std::printf("shown\n");
    return 0;
}

int PrintString(const char* modulePath, UINT id) {
    const HMODULE module = LoadLibraryExA(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        std::fprintf(stderr, "notice-probe: cannot load %s (%lu)\n", modulePath, GetLastError());
        return 1;
    }
    const std::string text = LoadStringResourceA(module, id);
    FreeLibrary(module);
    std::printf("%s\n", text.c_str());
    return 0;
}

DWORD Milliseconds(const char* text) {
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "popup" && argc == 3) return WaitShown(Milliseconds(argv[2]));
    if (command == "gone" && argc == 3) return WaitGone(Milliseconds(argv[2]));
    if (command == "string" && argc == 4) {
        return PrintString(argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 10)));
    }
    std::fprintf(stderr, "usage: notice-probe popup <ms> | gone <ms> | string <module> <id>\n");
    return 2;
}
