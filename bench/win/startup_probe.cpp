// Measures a tray program's start-up from inside Wine: starts it, and polls every millisecond for
// its icon in Wine's notification area window (each icon is a child window there). Then asks the
// program to end with the given message, so that it takes its icon away, and waits until the
// notification area is empty again for the next run.
//   startup-probe <program> <window class> <end message> <end wParam>
// Prints: "start=<local time of the start, YYYY-MM-DDTHH:MM:SS.mmm> icon_ms=<ms>"
// The local time compares with the simulated controller's request log.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND FindIcon() {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}

double MsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD timeoutMs, DWORD pauseMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!predicate()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(pauseMs);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: startup-probe <program> <window class> <end message> <end wParam>\n");
        return 2;
    }
    const char* windowClass = argv[2];
    const UINT endMessage = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
    const WPARAM endWParam = static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0));

    if (!WaitFor([] { return FindIcon() == nullptr; }, 10000, 20)) {
        std::fprintf(stderr, "startup-probe: the notification area is not empty\n");
        return 1;
    }

    std::string commandLine = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    SYSTEMTIME started;
    LARGE_INTEGER t0;
    GetLocalTime(&started);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "startup-probe: cannot start %s (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    double iconMs = -1;
    if (WaitFor([] { return FindIcon() != nullptr; }, 30000, 1)) iconMs = MsSince(t0);

    // The program takes its icon away itself; its window may come a moment after the icon.
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA(windowClass, nullptr)) != nullptr; }, 10000, 10);
    if (window) PostMessageA(window, endMessage, endWParam, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const bool trayEmpty = WaitFor([] { return FindIcon() == nullptr; }, 10000, 20);

    std::printf("start=%04u-%02u-%02uT%02u:%02u:%02u.%03u icon_ms=%.1f\n", started.wYear,
                started.wMonth, started.wDay, started.wHour, started.wMinute, started.wSecond,
                started.wMilliseconds, iconMs);
    if (iconMs < 0) std::fprintf(stderr, "startup-probe: no icon appeared\n");
    if (!window) std::fprintf(stderr, "startup-probe: no window of class %s\n", windowClass);
    if (!trayEmpty) std::fprintf(stderr, "startup-probe: the icon stayed after the end\n");
    return iconMs >= 0 && window && trayEmpty ? 0 : 1;
}
