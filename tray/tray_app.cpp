#include "tray_app.h"

#include "diagnostics.h"
#include "main_frame.h"
#include "resource.h"
#include "startup_notice.h"
#include "tray_messages.h"
#include "window.h"

bool CSingleInstance::Claim(const char* name) {
    // Created with initial ownership; the handle stays open for the whole run.
    m_mutex.reset(CreateMutexA(nullptr, TRUE, name));
    return m_mutex && GetLastError() != ERROR_ALREADY_EXISTS;
}

bool RegisterTrayWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = &Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTrayWindowClassName;
    return RegisterClassExA(&windowClass) != 0;
}

TevraTrayApp::TevraTrayApp()
    : m_closeWatch("TevraTrayCloseEvent", "Case TEVRATRAY_CLOSE_EVENT_INDEX\n") {}

TevraTrayApp::~TevraTrayApp() = default;

bool TevraTrayApp::InitInstance(HINSTANCE instance) {
    // A second instance ends here, before it has touched anything.
    if (!m_singleInstance.Claim(kTrayWindowClassName)) return false;

    // A close request from now on is held until the frame's window is known (the last step).
    if (!m_closeWatch.Start()) DebugOutput("Close event watcher not started\n");

    if (!RegisterTrayWindowClass(instance)) DebugOutput("Window class not registered\n");

    m_pMainWnd = std::make_unique<CMainFrame>();
    if (!m_pMainWnd->Create()) {
        // Without its window the program has neither icon nor hook: nothing to run for.
        DebugOutput("Main frame not created\n");
        return false;
    }

    m_controller.ApplyStoredMode();

    SYSTEM_POWER_STATUS status{};
    if (GetSystemPowerStatus(&status)) {
        const PowerReading power{status.ACLineStatus, status.BatteryFlag};
        if (IsStartupNoticeDue(power, [this] { return m_controller.IsChargeLimited(); })) {
            m_pMainWnd->ShowNoticeIfEnabled(IDS_NOTICE_Q_BUTTON);
        }
    }

    m_closeWatch.SetTarget(m_pMainWnd->GetSafeHwnd());
    return true;
}

int TevraTrayApp::Run() {
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) {
            DebugOutput("GetMessage failed\n");
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
