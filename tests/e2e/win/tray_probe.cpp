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
//   tray-probe close-during-start <ms>
//                                   holds the simulated controller's lock (so that a tray program
//                                   that starts now stops at its first request, before its start-up
//                                   is complete), prints "holding", waits until the close event
//                                   exists, signals it, prints "signalled", and after <ms>
//                                   releases the lock and prints "released"
//   tray-probe fake-shell <seconds> <refuse seconds>
//                                   stands in for a notification area that is not ready yet:
//                                   owns a window of the shell's class "Shell_TrayWnd" for
//                                   <seconds>, above the real one (which it waits for), so that
//                                   icon requests reach it first; refuses them during the first
//                                   <refuse seconds> and accepts them afterwards; prints "shell"
//                                   when its window exists, then "request <message> <window>
//                                   refused|accepted" for each request (message 0 add, 1 modify,
//                                   2 delete)
//   tray-probe post <msg> [<w> <l>] posts a message (numbers, 0x.. for hex) to the frame
//   tray-probe windows <process id> prints "<class>|<title>|<left> <top> <right> <bottom>" for
//                                   each visible top-level window of that process ("all": of
//                                   every process)
//   tray-probe resources <program>  prints the tray program's resources, read from the file:
//                                   "string <id> <text>" for 128..135, "menu <text>" and
//                                   "item <id> <text>" for menu 128, "icon <w>x<h>x<bits>" for
//                                   each image of icon 128, "version <file version>" and the
//                                   manifest after a line "manifest"
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

#pragma pack(push, 2)
// An entry of an icon group resource.
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

int CloseDuringStart(DWORD holdMs) {
    // The simulated controller serialises every request with this mutex.
    HANDLE lock = CreateMutexA(nullptr, FALSE, "ZorvanSimulatedController");
    if (!lock || WaitForSingleObject(lock, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "cannot hold the controller's lock\n");
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    HANDLE event = nullptr;
    for (int i = 0; i < 6000 && !event; ++i) {
        event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TevraTrayCloseEvent");
        if (!event) Sleep(10);
    }
    if (!event) {
        std::fprintf(stderr, "the close event never appeared\n");
        return 1;
    }
    SetEvent(event);
    CloseHandle(event);
    std::printf("signalled\n");
    std::fflush(stdout);
    Sleep(holdMs);
    ReleaseMutex(lock);
    CloseHandle(lock);
    std::printf("released\n");
    return 0;
}

ULONGLONG g_acceptFrom = 0;

LRESULT CALLBACK FakeShellProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        // The platform sends icon requests as WM_COPYDATA, the request in dwData and the icon's
        // window in wParam.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const bool accept = GetTickCount64() >= g_acceptFrom;
        std::printf("request %llu 0x%llx %s\n", static_cast<unsigned long long>(data->dwData),
                    static_cast<unsigned long long>(wParam), accept ? "accepted" : "refused");
        std::fflush(stdout);
        return accept ? TRUE : FALSE;
    }
    if (message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

int FakeShell(UINT seconds, UINT refuseSeconds) {
    g_acceptFrom = GetTickCount64() + refuseSeconds * 1000ULL;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &FakeShellProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Shell_TrayWnd";
    if (!RegisterClassA(&windowClass)) return 1;
    // The first window of the class in the z-order gets the requests: wait for the shell's own
    // and go above it.
    for (int i = 0; i < 200 && !FindWindowA("Shell_TrayWnd", nullptr); ++i) Sleep(50);
    HWND hWnd =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP,
                        0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!hWnd || FindWindowA("Shell_TrayWnd", nullptr) != hWnd) {
        std::fprintf(stderr, "the stand-in shell is not the first of its class\n");
        return 1;
    }
    std::printf("shell\n");
    std::fflush(stdout);
    SetTimer(hWnd, 1, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(hWnd);
    return 0;
}

int PrintResources(const char* program) {
    // As an image resource, so that a program of the other word size can be read too.
    HMODULE module =
        LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        std::fprintf(stderr, "cannot read %s (%lu)\n", program, GetLastError());
        return 1;
    }
    for (UINT id = 128; id <= 135; ++id) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0) continue;
        char narrow[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, text, length, narrow, sizeof(narrow) - 1, nullptr, nullptr);
        std::printf("string %u %s\n", id, narrow);
    }
    if (HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(128))) {
        char text[256] = {};
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
            std::printf("menu %s\n", text);
            HMENU sub = GetSubMenu(menu, i);
            for (int j = 0; sub && j < GetMenuItemCount(sub); ++j) {
                GetMenuStringA(sub, j, text, sizeof(text), MF_BYPOSITION);
                std::printf("item %u %s\n", GetMenuItemID(sub, j), text);
            }
        }
        DestroyMenu(menu);
    }
    const std::string group = ResourceBytes(module, MAKEINTRESOURCEA(128), RT_GROUP_ICON);
    if (group.size() >= 6) {
        const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
        for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupIconEntry) <= group.size(); ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, group.data() + 6 + i * sizeof(GroupIconEntry), sizeof(entry));
            const int width = entry.width ? entry.width : 256;
            const int height = entry.height ? entry.height : 256;
            std::printf("icon %dx%dx%u\n", width, height, entry.bitCount);
        }
    }
    const std::string version = ResourceBytes(module, MAKEINTRESOURCEA(1), RT_VERSION);
    // The fixed part follows the header "VS_VERSION_INFO" in UTF-16, aligned to 4 bytes.
    const size_t fixedOffset = (6 + sizeof(L"VS_VERSION_INFO") + 3) & ~size_t{3};
    if (version.size() >= fixedOffset + sizeof(VS_FIXEDFILEINFO)) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(&fixed, version.data() + fixedOffset, sizeof(fixed));
        std::printf("version %lu.%lu.%lu.%lu\n", fixed.dwFileVersionMS >> 16,
                    fixed.dwFileVersionMS & 0xFFFF, fixed.dwFileVersionLS >> 16,
                    fixed.dwFileVersionLS & 0xFFFF);
    }
    const std::string manifest = ResourceBytes(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    if (!manifest.empty()) std::printf("manifest\n%s\n", manifest.c_str());
    FreeLibrary(module);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "find") {
        const std::vector<HWND> frames = FrameWindows();
        for (HWND hWnd : frames) {
            DWORD processId = 0;
            GetWindowThreadProcessId(hWnd, &processId);
            std::printf("0x%llx %lu\n",
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hWnd)),
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
    if (command == "resources" && argc == 3) return PrintResources(argv[2]);
    if (command == "fake-shell" && argc == 4) {
        return FakeShell(static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])));
    }
    if (command == "close-during-start" && argc == 3) {
        return CloseDuringStart(static_cast<DWORD>(Number(argv[2])));
    }
    std::fprintf(
        stderr,
        "usage: tray-probe find | forget-icon | taskbar-created | close-event |"
        " icon [<window>] | post <msg> [<wParam> <lParam>] | windows <pid> |"
        " resources <program> | close-during-start <ms> | fake-shell <seconds> <refuse seconds>\n");
    return 2;
}
