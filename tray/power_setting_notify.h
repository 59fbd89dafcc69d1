#pragma once

#include <windows.h>

// The subscription to power-setting notifications (power source and battery percentage) that
// Windows Vista offers. The platform function exists from Vista on only, so it is looked up at
// run time; the program still starts on Windows XP. The notifications arrive as
// WM_POWERBROADCAST with PBT_POWERSETTINGCHANGE; the registrations end with the process.
class PowerSettingNotify {
public:
    // Looks up RegisterPowerSettingNotification; false (reported on the debugger output) when
    // the platform has none.
    bool LoadRegisterFunction();
    // Registers hWnd for both notifications; nothing without the function.
    void RegisterNotifications(HWND hWnd);

private:
    using RegisterFunction = HPOWERNOTIFY(WINAPI*)(HANDLE recipient, LPCGUID setting, DWORD flags);

    RegisterFunction pfnRegister = nullptr;
    bool bAvailable = false;
    HPOWERNOTIFY hAcDcNotify = nullptr;
    HPOWERNOTIFY hBatteryNotify = nullptr;
};
