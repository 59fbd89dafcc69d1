#include "tray_icon.h"

#include <algorithm>
#include <cstring>

#include "resource.h"
#include "tray_messages.h"

// The full ANSI record, with balloon fields, item GUID and balloon icon.
static_assert(sizeof(NOTIFYICONDATAA) == (sizeof(void*) == 4 ? 508 : 528));

namespace {

constexpr UINT kIconUid = 1;
constexpr char kIconText[] = "Velmora";

// Copies text into a fixed buffer, cut to fit and always terminated.
template <size_t N>
void CopyText(char (&target)[N], const char* text) {
    const size_t length = std::min(std::strlen(text), N - 1);
    std::memcpy(target, text, length);
    target[length] = '\0';
}

}  // namespace

void CTray::Setup(HWND hWndOwner) {
    m_nIconId = IDR_MAINFRAME;
    CopyText(m_szTip, kIconText);
    CopyText(m_szInfo, kIconText);
    CopyText(m_szInfoTitle, kIconText);
    m_hWndOwner = hWndOwner;
    m_uCallbackMessage = WM_TRAYICON_NOTIFY;
}

void CTray::BuildIconData() {
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = sizeof(m_nid);
    m_nid.hWnd = m_hWndOwner;
    m_nid.uID = kIconUid;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = m_uCallbackMessage;
    // A shared icon from our own resources: the system owns it, nothing to destroy.
    m_nid.hIcon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIconId),
                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    CopyText(m_nid.szTip, m_szTip);
    CopyText(m_nid.szInfo, m_szInfo);
    CopyText(m_nid.szInfoTitle, m_szInfoTitle);
    // The balloon texts are filled, but NIF_INFO is not set: no balloon is ever shown.
    m_nid.dwInfoFlags = NIIF_INFO;
}

bool CTray::Add() {
    if (Shell_NotifyIconA(NIM_ADD, &m_nid)) return true;
    // NIM_ADD also fails when the shell has the icon already; a modify then tells the cases apart
    // and brings the shell's copy up to date.
    return Shell_NotifyIconA(NIM_MODIFY, &m_nid) != FALSE;
}

void CTray::Delete() {
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
}
