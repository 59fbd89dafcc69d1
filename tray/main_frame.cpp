#include "main_frame.h"

#include <string>

#include "applet_launcher.h"
#include "diagnostics.h"
#include "resource.h"
#include "string_resource.h"
#include "tray_messages.h"
#include "windows_version.h"

namespace {

constexpr UINT_PTR kIconRetryTimer = 1;

// Version codes of Windows Vista workstations (x86, x64): the releases that get the power-setting
// subscription.
constexpr int kVistaX86 = 11;
constexpr int kVistaX64 = 12;

constexpr uint8_t kFullChargeLimit = 100;

// An elevated program does not get messages from the (unelevated) shell unless it lets them
// through; the function exists from Windows Vista on.
void AllowMessageFromShell(UINT message) {
    using FilterFunction = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return;
    auto filter = reinterpret_cast<FilterFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
    if (filter) filter(message, MSGFLT_ADD);
}

void RemoveSettingsFile() {
    const std::string path = SettingsFilePath();
    // Without the folder there is no path; "\TevraSettings.ini" would name a file in the root of
    // the current drive.
    if (path.empty()) return;
    if (!DeleteFileA(path.c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            DebugOutput("Settings file not deleted (" + std::to_string(error) + ")\n");
        }
    }
}

}  // namespace

CMainFrame::CMainFrame() : m_uTaskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {}

bool CMainFrame::Create() {
    return LoadFrame(IDR_MAINFRAME, kTrayWindowClassName, WS_CAPTION);
}

LRESULT CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_uTaskbarCreated && m_uTaskbarCreated != 0) {
        OnTaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<const CREATESTRUCTA*>(lParam));
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == ID_APP_EXIT) {
                OnAppExit();
                return 0;
            }
            break;
        case WM_CLOSE_EVENT:
            return OnCloseEvent(wParam, lParam);
        case WM_POWERBROADCAST:
            return OnPowerBroadcast(wParam, lParam);
        case WM_TRAYICON_NOTIFY:
            return OnTrayIconNotify(wParam, lParam);
        case WM_RELOAD_SETTINGS:
            return OnReloadSettings(wParam, lParam);
        case WM_HOOK_KEYEVENT:
            return OnHookKeyEvent(wParam, lParam);
        case WM_TIMER:
            if (wParam == kIconRetryTimer) {
                OnIconRetryTimer();
                return 0;
            }
            break;
        default:
            break;
    }
    return FrameWindow::HandleMessage(message, wParam, lParam);
}

int CMainFrame::OnCreate(const CREATESTRUCTA* /*create*/) {
    const HWND hWnd = GetSafeHwnd();

    const int versionCode = GetWindowsVersionCode();
    if (versionCode == kVistaX86 || versionCode == kVistaX64) {
        m_powerNotify.LoadRegisterFunction();
        m_powerNotify.RegisterNotifications(hWnd);
    }

    m_fullCharge.ReadInitialState();

    m_tray.Setup(hWnd);
    m_tray.BuildIconData();
    AllowMessageFromShell(m_uTaskbarCreated);
    ShowTrayIcon();

    m_notifier.CreatePopup(this);

    m_hook.Install(hWnd);
    return 0;
}

void CMainFrame::OnSetFocus(HWND /*hWndOld*/) {
    // The frame is never shown; focus means nothing to it.
}

void CMainFrame::OnAppExit() {
    RemoveTrayIcon();
    m_hook.Remove();
    DestroyWindow(GetSafeHwnd());
}

LRESULT CMainFrame::OnCloseEvent(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    m_bFullCharging = false;
    RemoveSettingsFile();
    RemoveTrayIcon();
    m_controller.SetChargeLimit(kFullChargeLimit);
    m_hook.Remove();
    DestroyWindow(GetSafeHwnd());
    return 1;
}

LRESULT CMainFrame::OnTrayIconNotify(WPARAM /*wParam*/, LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDBLCLK:
            LaunchApplet();
            break;
        case WM_RBUTTONUP:
            ShowIconMenu();
            break;
        default:
            break;
    }
    return 1;
}

void CMainFrame::OnTaskbarCreated() {
    // The shell has (re)started with an empty notification area.
    m_iconRetry.Restart();
    ShowTrayIcon();
}

void CMainFrame::OnIconRetryTimer() {
    ShowTrayIcon();
}

BOOL CMainFrame::LaunchApplet() {
    return StartSettingsApplet() ? TRUE : FALSE;
}

void CMainFrame::ShowIconMenu() {
    const HWND hWnd = GetSafeHwnd();
    POINT cursor{};
    GetCursorPos(&cursor);
    const UniqueMenu menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    const HMENU file = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!file) return;
    // Without the foreground the menu would stay open when the user clicks elsewhere; the
    // message after it lets the menu close properly on the next click.
    SetForegroundWindow(hWnd);
    TrackPopupMenu(file, TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, hWnd, nullptr);
    PostMessageA(hWnd, WM_NULL, 0, 0);
}

void CMainFrame::ShowTrayIcon() {
    const bool added = m_tray.Add();
    if (m_iconRetry.AfterAttempt(added)) {
        SetTimer(GetSafeHwnd(), kIconRetryTimer, IconRetry::kIntervalMs, nullptr);
    } else {
        KillTimer(GetSafeHwnd(), kIconRetryTimer);
        if (!added) DebugOutput("The notification area did not take the icon\n");
    }
}

void CMainFrame::RemoveTrayIcon() {
    KillTimer(GetSafeHwnd(), kIconRetryTimer);
    m_tray.Delete();
}

void CMainFrame::ShowNoticeIfEnabled(UINT id) {
    m_iniFile.ReadSettings(kCurrentSettingsSection, m_settings);
    if (m_settings.dwTrayNotifyWindowOption != 1) return;
    const std::string text = LoadStringResourceA(GetModuleHandleA(nullptr), id);
    m_notifier.ShowNotice(text.c_str());
}
