#pragma once

#include <windows.h>

#include "frame_window.h"
#include "full_charge_host.h"
#include "full_charge_workflow.h"
#include "icon_retry.h"
#include "ini_file.h"
#include "keyboard_hook.h"
#include "power_setting_notify.h"
#include "system_controller.h"
#include "taskbar_notifier.h"
#include "tray_icon.h"

// The tray program's main window. It is never shown: it owns the program's pieces (icon, popup,
// keyboard hook, power-setting subscription) and receives the messages of the shell, the hook,
// the power system and outside programs.
class CMainFrame : public FrameWindow {
public:
    CMainFrame();

    // Creates the hidden window of class "VelmoraTrayWindowClass" (registered by the application)
    // with the title string 128; OnCreate runs during it. False when the window cannot be created.
    bool Create();

    // Shows the notice with string id when the notice option of the current settings is 1.
    // The option is read afresh on every call.
    void ShowNoticeIfEnabled(UINT id);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int OnCreate(const CREATESTRUCTA* create);
    void OnSetFocus(HWND hWndOld);
    void OnAppExit();
    LRESULT OnCloseEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayIconNotify(WPARAM wParam, LPARAM lParam);
    // The full-charge workflow's handlers (main_frame_full_charge.cpp).
    LRESULT OnHookKeyEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnReloadSettings(WPARAM wParam, LPARAM lParam);
    void OnTaskbarCreated();
    void OnIconRetryTimer();

    BOOL LaunchApplet();
    void ShowIconMenu();
    void ShowTrayIcon();
    void RemoveTrayIcon();

    CTaskbarNotifier m_notifier;
    CHook m_hook;
    SystemController m_controller;
    PowerSettingNotify m_powerNotify;
    SettingsValues m_settings;
    bool m_bFullCharging = false;
    IniFile m_iniFile;
    CTray m_tray;
    bool m_bACOnline = false;

    // The full-charge workflow works on the two flags above.
    CFullChargeHost m_fullChargeHost{*this, m_controller};
    FullChargeWorkflow m_fullCharge{m_fullChargeHost, m_bFullCharging, m_bACOnline};

    IconRetry m_iconRetry;
    // Registered message by which a (re)started shell asks for the icons again.
    const UINT m_uTaskbarCreated;
};
