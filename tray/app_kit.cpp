#include "app_kit.h"

bool CAppKit::ForceForeground(HWND hWndMain) {
    HWND hWndForeground = GetForegroundWindow();
    m_dwForegroundThreadId = hWndForeground ? GetWindowThreadProcessId(hWndForeground, nullptr) : 0;
    const DWORD dwThisThread = GetCurrentThreadId();
    // Joined input lets SetForegroundWindow succeed from the background. It must not stay joined:
    // a busy or hung program would then freeze the other's input.
    const bool bAttached = m_dwForegroundThreadId != 0 && m_dwForegroundThreadId != dwThisThread &&
                           AttachThreadInput(dwThisThread, m_dwForegroundThreadId, TRUE);
    if (hWndMain) {
        SetForegroundWindow(hWndMain);
        SetFocus(hWndMain);
    }
    if (bAttached) AttachThreadInput(dwThisThread, m_dwForegroundThreadId, FALSE);
    if (hWndMain) ShowWindow(hWndMain, SW_HIDE);
    return bAttached;
}
