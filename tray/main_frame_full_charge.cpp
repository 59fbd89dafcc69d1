// The frame's handlers of the full-charge workflow: the Q button, power events and the settings
// reload. The decisions are FullChargeWorkflow's; these only unpack the messages.
#include "main_frame.h"

LRESULT CMainFrame::OnHookKeyEvent(WPARAM wParam, LPARAM lParam) {
    m_fullCharge.OnHookKeyEvent(wParam, static_cast<uintptr_t>(lParam));
    return 1;
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM wParam, LPARAM /*lParam*/) {
    return m_fullCharge.OnPowerBroadcast(wParam) ? TRUE : FALSE;
}

LRESULT CMainFrame::OnReloadSettings(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    // Every notice reads the settings again anyway; this read only re-creates a missing file.
    m_iniFile.ReadSettings(kCurrentSettingsSection, m_settings);
    return 1;
}
