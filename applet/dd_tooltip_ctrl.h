#pragma once

#include <windows.h>

// The dialog's tooltip window: the common-controls tooltip with one addition, AddControlTip,
// which registers a dialog control as a tool under its window handle. It draws nothing itself.
class CDdToolTipCtrl {
public:
    // Longer tips are broken onto several lines.
    static constexpr int kMaxTipWidth = 235;

    CDdToolTipCtrl() = default;
    CDdToolTipCtrl(const CDdToolTipCtrl&) = delete;
    CDdToolTipCtrl& operator=(const CDdToolTipCtrl&) = delete;
    virtual ~CDdToolTipCtrl();

    // Creates the tooltip window, a pop-up owned by parent, with the extra style bits given.
    bool Create(HWND parent, DWORD style = 0);
    void DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    void Activate(bool active);
    // Passes a message the tooltip should see (mouse moves and clicks over the tools).
    void RelayEvent(const MSG* message);

    // Adds control (not null) as a tool; text is a string or a string-resource id of the applet
    // (MAKEINTRESOURCEW). Returns the tooltip's answer: nonzero when the tool was added.
    LRESULT AddControlTip(HWND control, const wchar_t* text);

private:
    HWND m_hWnd = nullptr;
};
