#pragma once

#include <cstdint>

// The notebook's Q button arrives as a key with this hardware scan code. The embedded controller
// acts on it by itself; the tray program only watches for it.
inline constexpr uintptr_t kQButtonScanCode = 0x79;
// Low-level hook flags of which one must be set: LLKHF_EXTENDED (0x01) or LLKHF_UP (0x80).
inline constexpr uintptr_t kQButtonFlagMask = 0x81;

// PBT_APMPOWERSTATUSCHANGE, the one power event the workflow follows.
inline constexpr uintptr_t kPowerStatusChangeEvent = 10;

// ACLineStatus values of the platform's power status.
inline constexpr uint8_t kAcOffline = 0;
inline constexpr uint8_t kAcOnline = 1;

// A key event the Q button produces: a press of an extended key or any release, with its code.
// Both come whole from the window message, so that no other value passes for the Q button's.
constexpr bool IsQButtonEvent(uintptr_t flags, uintptr_t scanCode) {
    return (flags & kQButtonFlagMask) != 0 && scanCode == kQButtonScanCode;
}

// Everything the workflow asks of the world around it. The tray frame answers with the platform's
// power status, its SystemController and its notice routine; tests answer with a fake.
class FullChargeHost {
public:
    virtual ~FullChargeHost() = default;

    // The AC line status as the platform reports it now: 0 offline, 1 online, 255 unknown.
    virtual uint8_t ReadAcLineStatus() = 0;
    // The controller's full-charge bit.
    virtual bool IsFullChargeActive() = 0;
    // Whether the controller holds a limit below 100 %.
    virtual bool IsChargeLimited() = 0;
    // Shows the notice with this string id when the user's notice option allows it.
    virtual void ShowNoticeIfEnabled(uint32_t id) = 0;
    // Sends the stored charge limit again.
    virtual void ApplyStoredMode() = 0;
};

// Follows a one-time full charge from the Q button to its end and says what is due when.
//
// The two flags belong to the frame that owns this object (it sets them at creation and clears
// the first one on a close request); the workflow reads and changes them in place:
//   fullCharging  - a full charge is under way, as last learnt from the controller;
//   acOnline      - mains power at the last check; only followed during a full charge.
// Idle: fullCharging clear. Charging: both set. Unplugged: fullCharging set, acOnline clear.
class FullChargeWorkflow {
public:
    FullChargeWorkflow(FullChargeHost& host, bool& fullCharging, bool& acOnline)
        : m_host(host), m_bFullCharging(fullCharging), m_bACOnline(acOnline) {}

    FullChargeWorkflow(const FullChargeWorkflow&) = delete;
    FullChargeWorkflow& operator=(const FullChargeWorkflow&) = delete;

    // Takes the first values of both flags from the power status and the controller.
    void ReadInitialState();

    // One key event from the keyboard hook. Only the Q button on mains power does anything.
    void OnHookKeyEvent(uintptr_t flags, uintptr_t scanCode);

    // One power event; true when the workflow acted on it.
    bool OnPowerBroadcast(uintptr_t event);

private:
    void ShowNoticeIfLimited(uint32_t id);

    FullChargeHost& m_host;
    bool& m_bFullCharging;
    bool& m_bACOnline;
};
