#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "applet_decisions.h"
#include "close_event_watch.h"
#include "dd_tooltip_ctrl.h"
#include "dialog.h"
#include "ini_file.h"
#include "unique_handle.h"

// The applet's settings dialog: the charge mode and the tray program's notice option. It shows
// the stored choices when it opens, switches the mode picture on a click, resets the controls to
// the default section on Default, and on OK sends the chosen limit and then stores both choices.
// Cancel, Escape, the close box, Enter away from the push buttons and the close event
// "TevraCPLCloseEvent" end it without sending or storing anything.
class MainDlg : public Dialog {
public:
    explicit MainDlg(HWND owner = nullptr);
    ~MainDlg() override;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateMessage(MSG* message) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    void OnSize();
    void OnPaint();
    INT_PTR OnCtlColorStatic(HDC dc);
    void OnHelp();
    void OnModeClicked(size_t modeIndex);
    void OnDefault();
    void OnOk();
    void OnDestroy();

    void SetUpToolTips();
    void SetTexts();
    // Shows or hides the pictures 3011, 3014 and 3013, in that order.
    void ShowModePictures(const std::array<bool, kModes.size()>& show);
    // Shows the picture of one mode and hides the others.
    void ShowPictureOf(size_t modeIndex);
    // Takes a section's values into the fields and the controls, as at opening and on Default.
    void ShowSection(const SettingsValues& values);
    void StoreChoices(const OkAction& action);
    bool IsChecked(int controlId) const;

    int32_t m_nNoticeCheck = 0;
    int32_t m_nModeChoice = kNoModeChoice;
    UniqueGdiObject m_background;
    BITMAP m_bmBackground = {};
    CDdToolTipCtrl m_toolTip;
    SettingsValues m_settings;
    IniFile m_iniFile;
    CloseEventWatch m_closeWatch;
    UniqueGdiObject m_dialogBrush;
};
