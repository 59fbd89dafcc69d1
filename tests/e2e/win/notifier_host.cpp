// Hosts the notice popup for the end-to-end tests: a hidden frame owns a CTaskbarNotifier, and
// commands on standard input drive it. Every change of the popup's phase, visibility or window
// rectangle is reported with a timestamp, so that the test can follow the slides.
//
//   notifier-host            popup host; commands, one a line:
//     show <text>            ShowNotice(text)     -> "shown <ms> <phase before the call>"
//     show-null              ShowNotice(nullptr)  -> "shown <ms> <phase before the call>"
//     close                  the popup's close box (SC_CLOSE)
//     workarea <l> <t> <r> <b>  sets this process's work area -> "workarea <l> <t> <r> <b>"
//     state                  -> "state <ms> <phase> <visible> <window rect> <client origin>"
//     detach <thread id>     AttachThreadInput(this thread, id, FALSE) -> "detach <result>"
//     join <thread id>       AttachThreadInput(this thread, id, TRUE)  -> "join <result>"
//     foreground             -> "foreground <thread id of the foreground window>"
//     quit
//   notifier-host window     a plain visible window of another program; prints
//                            "window <thread id>" and runs until standard input ends
//
// Lines written: "ready <version code> <screen w> <screen h> <work area>" at start,
// "trace <ms> <phase> <visible> <l> <t> <r> <b>" on every change, "click <ms>" when the popup
// posts WM_NOTIFIER_CLICK to the frame.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "taskbar_notifier.h"
#include "windows_version.h"

namespace {

constexpr UINT WM_HOST_COMMAND = WM_APP + 1;

double NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Reads standard input in a thread of its own and hands each line to the window's thread.
DWORD WINAPI ReadCommands(void* parameter) {
    HWND target = static_cast<HWND>(parameter);
    char line[2048];
    while (std::fgets(line, sizeof line, stdin)) {
        auto* command = new std::string(line);
        while (!command->empty() && (command->back() == '\n' || command->back() == '\r')) {
            command->pop_back();
        }
        if (!PostMessageA(target, WM_HOST_COMMAND, 0, reinterpret_cast<LPARAM>(command))) {
            delete command;
        }
    }
    PostMessageA(target, WM_HOST_COMMAND, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

bool RegisterClassOnce(const char* name) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

RECT WorkArea() {
    RECT rc = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

// The hidden frame that owns the popup, as the tray program's frame does.
class HostFrame : public Window {
public:
    bool Create() {
        RegisterClassOnce("TevraNotifierHostFrame");
        CreateEx(0, "TevraNotifierHostFrame", "notifier host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                 nullptr, nullptr, GetModuleHandleA(nullptr));
        if (!GetSafeHwnd()) return false;
        m_popup.CreatePopup(this);
        return true;
    }

    // Reports the popup when its phase, visibility or place has changed.
    void Trace() {
        HWND popup = m_popup.GetSafeHwnd();
        RECT rc = {0, 0, 0, 0};
        GetWindowRect(popup, &rc);
        const int phase = m_popup.GetPhase();
        const bool visible = IsWindowVisible(popup) != FALSE;
        if (m_bTraced && phase == m_nPhase && visible == m_bVisible && EqualRect(&rc, &m_rc)) {
            return;
        }
        m_bTraced = true;
        m_nPhase = phase;
        m_bVisible = visible;
        m_rc = rc;
        Say("trace %.1f %d %d %ld %ld %ld %ld", NowMs(), phase, visible ? 1 : 0, rc.left, rc.top,
            rc.right, rc.bottom);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_HOST_COMMAND: {
                std::string* command = reinterpret_cast<std::string*>(lParam);
                Run(*command);
                delete command;
                return 0;
            }
            case WM_NOTIFIER_CLICK:
                Say("click %.1f", NowMs());
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return Default(message, wParam, lParam);
    }

private:
    void Run(const std::string& command) {
        HWND popup = m_popup.GetSafeHwnd();
        if (command.rfind("show ", 0) == 0 || command == "show-null") {
            const int phaseBefore = m_popup.GetPhase();
            m_popup.ShowNotice(command == "show-null" ? nullptr : command.c_str() + 5);
            Say("shown %.1f %d", NowMs(), phaseBefore);
        } else if (command == "close") {
            PostMessageA(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (command.rfind("workarea ", 0) == 0) {
            RECT rc = {0, 0, 0, 0};
            std::sscanf(command.c_str() + 9, "%ld %ld %ld %ld", &rc.left, &rc.top, &rc.right,
                        &rc.bottom);
            SystemParametersInfoA(SPI_SETWORKAREA, 0, &rc, 0);
            const RECT now = WorkArea();
            Say("workarea %ld %ld %ld %ld", now.left, now.top, now.right, now.bottom);
        } else if (command == "state") {
            RECT rc = {0, 0, 0, 0};
            GetWindowRect(popup, &rc);
            POINT client = {0, 0};
            ClientToScreen(popup, &client);
            Say("state %.1f %d %d %ld %ld %ld %ld %ld %ld", NowMs(), m_popup.GetPhase(),
                IsWindowVisible(popup) ? 1 : 0, rc.left, rc.top, rc.right, rc.bottom, client.x,
                client.y);
        } else if (command.rfind("detach ", 0) == 0 || command.rfind("join ", 0) == 0) {
            const bool join = command[0] == 'j';
            const DWORD thread = std::strtoul(command.c_str() + (join ? 5 : 7), nullptr, 10);
            const BOOL result = AttachThreadInput(GetCurrentThreadId(), thread, join);
            Say("%s %d", join ? "join" : "detach", result ? 1 : 0);
        } else if (command == "foreground") {
            HWND window = GetForegroundWindow();
            Say("foreground %lu", window ? GetWindowThreadProcessId(window, nullptr) : 0UL);
        } else if (command == "quit") {
            DestroyWindow(GetSafeHwnd());
        } else {
            Say("unknown %s", command.c_str());
        }
    }

    CTaskbarNotifier m_popup;
    bool m_bTraced = false;
    int m_nPhase = 0;
    bool m_bVisible = false;
    RECT m_rc = {0, 0, 0, 0};
};

// A visible window of some other program, to stand in the foreground while a notice comes.
class OtherProgram : public Window {
public:
    bool Create() {
        RegisterClassOnce("TevraNotifierHostOther");
        CreateEx(0, "TevraNotifierHostOther", "Other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                 100, 100, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr));
        if (!GetSafeHwnd()) return false;
        SetForegroundWindow(GetSafeHwnd());
        return true;
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_HOST_COMMAND:
                delete reinterpret_cast<std::string*>(lParam);
                DestroyWindow(GetSafeHwnd());
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return Default(message, wParam, lParam);
    }
};

int RunMessageLoop(HostFrame* frame) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (frame) frame->Trace();
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "window") == 0) {
        OtherProgram other;
        if (!other.Create()) return 1;
        Say("window %lu", GetCurrentThreadId());
        CloseHandle(CreateThread(nullptr, 0, ReadCommands, other.GetSafeHwnd(), 0, nullptr));
        return RunMessageLoop(nullptr);
    }

    HostFrame frame;
    if (!frame.Create()) return 1;
    const RECT wa = WorkArea();
    Say("ready %d %d %d %ld %ld %ld %ld", GetWindowsVersionCode(), GetSystemMetrics(SM_CXSCREEN),
        GetSystemMetrics(SM_CYSCREEN), wa.left, wa.top, wa.right, wa.bottom);
    frame.Trace();
    CloseHandle(CreateThread(nullptr, 0, ReadCommands, frame.GetSafeHwnd(), 0, nullptr));
    return RunMessageLoop(&frame);
}
