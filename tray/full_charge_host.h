#pragma once

#include <windows.h>

#include "full_charge_workflow.h"
#include "system_controller.h"

class CMainFrame;

// Answers the full-charge workflow's questions for the tray frame: the platform's power status,
// the frame's controller and the frame's notice routine.
class CFullChargeHost : public FullChargeHost {
public:
    CFullChargeHost(CMainFrame& frame, SystemController& controller)
        : m_frame(frame), m_controller(controller) {}

    uint8_t ReadAcLineStatus() override;
    bool IsFullChargeActive() override { return m_controller.IsFullChargeActive(); }
    bool IsChargeLimited() override { return m_controller.IsChargeLimited(); }
    void ShowNoticeIfEnabled(uint32_t id) override;
    void ApplyStoredMode() override { m_controller.ApplyStoredMode(); }

private:
    CMainFrame& m_frame;
    SystemController& m_controller;
};
