#pragma once

#include <cstdint>

#include "ini_file.h"

// Charge limit in percent for a stored charge-mode number: 111 -> 100, 222 -> 75, 333 -> 50, and
// 0 for every other number, which selects no mode.
int ChargeLimitForMode(int32_t modeNumber);

// The only way to the embedded controller. Every operation is one self-contained request through
// SendCommand, so any number of instances may exist side by side.
class SystemController {
public:
    virtual ~SystemController();

    // Sends one request with command 'Y' and the given buffers; the only caller of ZorvanEvaluate.
    void SendCommand(const unsigned char* input, int32_t inputLength, unsigned char* output,
                     int32_t outputLength);
    // Sets the charge limit (sub-function 1). Only 100, 75 and 50 are sent; any other value is
    // reported on the debugger output and sends nothing.
    void SetChargeLimit(uint8_t percent);
    // Reads "Tevra Current Settings" afresh and sends the limit of the stored mode, or nothing
    // when the stored number selects no mode.
    void ApplyStoredMode();
    // True when the controller reports a limit of 75 or 50 % (sub-function 2).
    bool IsChargeLimited();
    // True when the controller reports a one-time full charge under way (sub-function 3, bit 0).
    bool IsFullChargeActive();

private:
    SettingsValues m_settings;
    IniFile m_iniFile;
};
