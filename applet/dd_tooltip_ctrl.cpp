#include "dd_tooltip_ctrl.h"

#include <commctrl.h>

#include "applet_module.h"

CDdToolTipCtrl::~CDdToolTipCtrl() {
    DestroyWindow();
}

bool CDdToolTipCtrl::Create(HWND parent, DWORD style) {
    DestroyWindow();
    m_hWnd =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, AppletModule(), nullptr);
    return m_hWnd != nullptr;
}

void CDdToolTipCtrl::DestroyWindow() {
    // The owner's destruction may have taken the window already.
    if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CDdToolTipCtrl::Activate(bool active) {
    if (m_hWnd) SendMessageW(m_hWnd, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

void CDdToolTipCtrl::RelayEvent(const MSG* message) {
    if (m_hWnd) SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
}

LRESULT CDdToolTipCtrl::AddControlTip(HWND control, const wchar_t* text) {
    if (!m_hWnd || !control) return 0;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    // Identified by its window; the tooltip watches that window's mouse messages itself.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = AppletModule();
    // The tooltip copies the text (or loads the string id from hinst); it keeps no pointer.
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(m_hWnd, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    return SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

#ifdef _WIN64
static_assert(sizeof(TOOLINFOW) == 72, "the full tool record, reserved pointer included");
#endif
