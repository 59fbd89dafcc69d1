#include "power_setting_notify.h"

#include "diagnostics.h"

namespace {

// GUID_ACDC_POWER_SOURCE and GUID_BATTERY_PERCENTAGE_REMAINING, spelt out so that no import
// library of the newer platform is needed.
constexpr GUID kAcDcPowerSource = {
    0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};
constexpr GUID kBatteryPercentageRemaining = {
    0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}};

}  // namespace

bool PowerSettingNotify::LoadRegisterFunction() {
    bAvailable = false;
    // user32 is loaded for the whole run anyway; no reference of our own is kept.
    if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
        pfnRegister = reinterpret_cast<RegisterFunction>(
            reinterpret_cast<void*>(GetProcAddress(user32, "RegisterPowerSettingNotification")));
        bAvailable = pfnRegister != nullptr;
    }
    if (!bAvailable) DebugOutput("Message via alternative method\n");
    return bAvailable;
}

void PowerSettingNotify::RegisterNotifications(HWND hWnd) {
    if (!bAvailable) return;
    hAcDcNotify = pfnRegister(hWnd, &kAcDcPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!hAcDcNotify) {
        DebugOutput("Failed to register for notification of power source changes!\n");
    }
    hBatteryNotify = pfnRegister(hWnd, &kBatteryPercentageRemaining, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!hBatteryNotify) {
        DebugOutput("Failed to register for notification of battery power changes!\n");
    }
}
