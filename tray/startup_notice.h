#pragma once

#include <cstdint>

// What the platform's power status says about the power source, as far as the tray program asks.
struct PowerReading {
    uint8_t acLineStatus = 0;  // 0 offline, 1 online, 255 unknown
    uint8_t batteryFlag = 0;   // 128: the computer has no system battery
};

inline constexpr uint8_t kAcLineOnline = 1;
inline constexpr uint8_t kBatteryFlagNoSystemBattery = 128;

// Whether the start-up notice "You can press the Q button" is due: only on mains power, only
// with a battery, and only while the controller holds a limit below 100 %. The three tests are
// made in this order, and the controller is asked only when the first two hold, so a computer
// without a battery never sees the request.
template <typename IsChargeLimited>
bool IsStartupNoticeDue(const PowerReading& power, IsChargeLimited&& isChargeLimited) {
    if (power.acLineStatus != kAcLineOnline) return false;
    if (power.batteryFlag == kBatteryFlagNoSystemBattery) return false;
    return isChargeLimited();
}
