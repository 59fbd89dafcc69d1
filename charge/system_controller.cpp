#include "system_controller.h"

#include <string>

#include "diagnostics.h"
#include "zorvan_request.h"

namespace {

constexpr char kChargeCommand = 'Y';
constexpr unsigned char kSetLimit = 0x01;
constexpr unsigned char kQueryLimit = 0x02;
constexpr unsigned char kQueryFullCharge = 0x03;

bool IsSupportedLimit(int percent) {
    return percent == 100 || percent == 75 || percent == 50;
}

}  // namespace

int ChargeLimitForMode(int32_t modeNumber) {
    switch (modeNumber) {
        case 111:
            return 100;
        case 222:
            return 75;
        case 333:
            return 50;
        default:
            return 0;
    }
}

SystemController::~SystemController() = default;

void SystemController::SendCommand(const unsigned char* input, int32_t inputLength,
                                   unsigned char* output, int32_t outputLength) {
    // The library takes a non-const pointer but only reads the input.
    ZorvanEvaluate(ZorvanRequest{kChargeCommand, const_cast<unsigned char*>(input), inputLength,
                                 output, outputLength});
}

void SystemController::SetChargeLimit(uint8_t percent) {
    // The controller is never given a limit it was not designed for.
    if (!IsSupportedLimit(percent)) {
        DebugOutput("Charge limit " + std::to_string(percent) + " is not supported; not sent\n");
        return;
    }
    const unsigned char input[] = {kSetLimit, percent};
    SendCommand(input, sizeof input, nullptr, 0);
}

void SystemController::ApplyStoredMode() {
    m_iniFile.ReadSettings(kCurrentSettingsSection, m_settings);
    const int percent = ChargeLimitForMode(m_settings.dwTevraAppletModeNum);
    if (percent == 0) return;  // no mode selected: the controller keeps its limit
    SetChargeLimit(static_cast<uint8_t>(percent));
}

bool SystemController::IsChargeLimited() {
    // Cleared first, so an answer the library leaves unwritten means no limit.
    unsigned char answer = 0;
    const unsigned char input[] = {kQueryLimit};
    SendCommand(input, sizeof input, &answer, sizeof answer);
    return answer == 75 || answer == 50;
}

bool SystemController::IsFullChargeActive() {
    unsigned char answer = 0;
    const unsigned char input[] = {kQueryFullCharge};
    SendCommand(input, sizeof input, &answer, sizeof answer);
    return (answer & 0x01) != 0;
}
