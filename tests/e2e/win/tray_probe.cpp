// Looks at and pokes the running tray program from outside, for the end-to-end tests:
//   tray-probe find                 prints "<window> <process id>" for each window of class
//                                   VelmoraTrayWindowClass, one a line; exit 1 when there is none
//   tray-probe icon [<window>]      prints "present" or "absent": whether the notification area
//                                   holds the icon (id 1) of the frame, or of the window given as
//                                   printed by find (also one that no longer exists); asked with
//                                   a modify that changes nothing, which the shell refuses for
//                                   unknown icons
//   tray-probe forget-icon          deletes the frame's icon from the notification area, as a
//                                   shell that restarts loses it
//   tray-probe taskbar-created      broadcasts the registered message "TaskbarCreated"
//   tray-probe close-event          signals the named event "TevraTrayCloseEvent"
//   tray-probe post <msg> [<w> <l>] posts a message (numbers, 0x.. for hex) to the frame
//   tray-probe windows <process id> prints "<class>|<title>|<left> <top> <right> <bottom>" for
//                                   each visible top-level window of that process ("all": of
//                                   every process)
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kClassName[] = "VelmoraTrayWindowClass";

std::vector<HWND> FrameWindows() {
    std::vector<HWND> found;
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExA(nullptr, hWnd, kClassName, nullptr)) != nullptr) {
        found.push_back(hWnd);
    }
    return found;
}

HWND TheFrame() {
    const std::vector<HWND> frames = FrameWindows();
    if (frames.size() != 1) {
        std::fprintf(stderr, "expected one tray frame window, found %zu\n", frames.size());
        std::exit(1);
    }
    return frames.front();
}

NOTIFYICONDATAA IconRecord(HWND hWnd) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    nid.uID = 1;
    return nid;
}

unsigned long long Number(const char* text) {
    return std::strtoull(text, nullptr, 0);
}

struct WindowQuery {
    DWORD processId;
};

BOOL CALLBACK PrintVisible(HWND hWnd, LPARAM lParam) {
    const auto* query = reinterpret_cast<const WindowQuery*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hWnd, &processId);
    if ((query->processId != 0 && processId != query->processId) || !IsWindowVisible(hWnd)) {
        return TRUE;
    }
    char className[256] = {};
    char title[512] = {};
    GetClassNameA(hWnd, className, sizeof(className));
    GetWindowTextA(hWnd, title, sizeof(title));
    RECT rect{};
    GetWindowRect(hWnd, &rect);
    std::printf("%s|%s|%ld %ld %ld %ld\n", className, title, rect.left, rect.top, rect.right,
                rect.bottom);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "find") {
        const std::vector<HWND> frames = FrameWindows();
        for (HWND hWnd : frames) {
            DWORD processId = 0;
            GetWindowThreadProcessId(hWnd, &processId);
            std::printf("0x%llx %lu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hWnd)),
                        processId);
        }
        return frames.empty() ? 1 : 0;
    }
    if (command == "icon" && argc <= 3) {
        const HWND hWnd = argc == 3 ? reinterpret_cast<HWND>(Number(argv[2])) : TheFrame();
        NOTIFYICONDATAA nid = IconRecord(hWnd);
        std::printf("%s\n", Shell_NotifyIconA(NIM_MODIFY, &nid) ? "present" : "absent");
        return 0;
    }
    if (command == "forget-icon") {
        NOTIFYICONDATAA nid = IconRecord(TheFrame());
        return Shell_NotifyIconA(NIM_DELETE, &nid) ? 0 : 1;
    }
    if (command == "taskbar-created") {
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        return message && PostMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
    }
    if (command == "close-event") {
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TevraTrayCloseEvent");
        if (!event) {
            std::fprintf(stderr, "no event TevraTrayCloseEvent (%lu)\n", GetLastError());
            return 1;
        }
        const BOOL signalled = SetEvent(event);
        CloseHandle(event);
        return signalled ? 0 : 1;
    }
    if (command == "post" && (argc == 3 || argc == 5)) {
        const auto message = static_cast<UINT>(Number(argv[2]));
        const auto wParam = static_cast<WPARAM>(argc == 5 ? Number(argv[3]) : 0);
        const auto lParam = static_cast<LPARAM>(argc == 5 ? Number(argv[4]) : 0);
        return PostMessageA(TheFrame(), message, wParam, lParam) ? 0 : 1;
    }
    if (command == "windows" && argc == 3) {
        // Process id 0 is the idle process, which owns no windows: it stands for all.
        const std::string which = argv[2];
        WindowQuery query{which == "all" ? 0 : static_cast<DWORD>(Number(argv[2]))};
        EnumWindows(&PrintVisible, reinterpret_cast<LPARAM>(&query));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: tray-probe find | forget-icon | taskbar-created | close-event |"
                 " icon [<window>] | post <msg> [<wParam> <lParam>] | windows <pid>\n");
    return 2;
}
