#include "full_charge_workflow.h"

#include "resource.h"

void FullChargeWorkflow::ReadInitialState() {
    m_bACOnline = m_host.ReadAcLineStatus() == kAcOnline;
    m_bFullCharging = m_host.IsFullChargeActive();
}

void FullChargeWorkflow::OnHookKeyEvent(uintptr_t flags, uintptr_t scanCode) {
    if (!IsQButtonEvent(flags, scanCode)) return;
    // On battery power the controller ignores the button, so there is nothing to learn.
    if (m_host.ReadAcLineStatus() != kAcOnline) return;

    // The controller has already acted on the button; its bit says which way. acOnline stays as
    // it was: power changes are only followed from here on.
    if (m_host.IsFullChargeActive()) {
        m_bFullCharging = true;
        ShowNoticeIfLimited(IDS_NOTICE_FULL_CHARGE_RUNNING);
    } else {
        m_bFullCharging = false;
        ShowNoticeIfLimited(IDS_NOTICE_CANCELLED_BY_USER);
    }
}

bool FullChargeWorkflow::OnPowerBroadcast(uintptr_t event) {
    if (event != kPowerStatusChangeEvent) return false;
    if (!m_bFullCharging) return false;

    const uint8_t acLineStatus = m_host.ReadAcLineStatus();
    if (m_bACOnline && acLineStatus == kAcOffline) {
        // The controller stops charging by itself; the full charge is not cancelled here.
        m_bACOnline = false;
        ShowNoticeIfLimited(IDS_NOTICE_ADAPTOR_UNPLUGGED);
        return true;
    }
    if (!m_bACOnline && acLineStatus == kAcOnline) {
        m_bACOnline = true;
        ShowNoticeIfLimited(IDS_NOTICE_FULL_CHARGE_RUNNING);
        return true;
    }

    // Same power source (or an unknown one): a change of the battery's charge, the moment to
    // see whether the controller has finished.
    if (m_host.IsFullChargeActive()) return false;

    m_bFullCharging = false;
    // Shown whatever the limit: with 100 % stored the user still learns the charge is done.
    m_host.ShowNoticeIfEnabled(IDS_NOTICE_CHARGED_COMPLETELY);
    m_host.ApplyStoredMode();
    return true;
}

void FullChargeWorkflow::ShowNoticeIfLimited(uint32_t id) {
    // Below a 100 % limit the full charge is something out of the ordinary worth telling.
    if (m_host.IsChargeLimited()) m_host.ShowNoticeIfEnabled(id);
}
