#pragma once

#include <windows.h>

#include <string>

#include "app_kit.h"
#include "notifier_motion.h"
#include "unique_handle.h"
#include "window.h"

// Posted to the owner on every left-button release over the popup (wParam and lParam 0).
constexpr UINT WM_NOTIFIER_CLICK = WM_USER + 123;

// The skin bitmap in the program's resources (taskbar_notifier.rc).
constexpr int IDB_NOTIFIER_SKIN = 130;

// The skinned popup that slides out from behind the taskbar, shows one notice text for three
// seconds and slides back. The owner creates its window once and then calls ShowNotice whenever a
// notice is due; everything else runs on the popup's timers in the owner's thread.
class CTaskbarNotifier : public Window, private NotifierWindowOps {
public:
    CTaskbarNotifier();
    ~CTaskbarNotifier() override;

    // Creates the hidden popup window, owned by pWndOwner's window, with its skin and fonts.
    void CreatePopup(Window* pWndOwner);

    // Shows a notice, or puts the new text on the notice that is showing. The text is copied;
    // null counts as empty. Returns at once.
    void ShowNotice(const char* text);

    int GetPhase() const { return m_motion.GetPhase(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool LoadSkin();
    void CreateFonts();

    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnEraseBkgnd(HDC hdc);
    void OnPaint();
    BOOL OnSetCursor(UINT nHitTest);
    void OnMouseMove();
    void OnMouseHover();
    void OnMouseLeave();

    // NotifierWindowOps
    void StartTimer(unsigned id, uint32_t intervalMs) override;
    void StopTimer(unsigned id) override;
    void ShowPopup() override;
    void MovePopup(NotifierPoint pos, NotifierSize size) override;
    void PlaceFullyOut(NotifierPoint pos, NotifierSize size) override;
    void HidePopup() override;
    void Redraw() override;

    Window* m_pWndOwner = nullptr;
    CAppKit m_appKit;
    UniqueGdiObject m_fontNormal;
    UniqueGdiObject m_fontHover;
    COLORREF m_crNormalText = 0;
    COLORREF m_crHoverText = 0;
    HCURSOR m_hHandCursor = nullptr;
    UniqueGdiObject m_bmpSkin;
    RECT m_rcText = {0, 0, 0, 0};
    std::string m_strText;
    BOOL m_bHover = FALSE;
    NotifierMotion m_motion;
};
