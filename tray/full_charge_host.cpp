#include "full_charge_host.h"

#include "main_frame.h"

namespace {

// What GetSystemPowerStatus reports when it does not know the power source.
constexpr uint8_t kAcLineUnknown = 255;

}  // namespace

uint8_t CFullChargeHost::ReadAcLineStatus() {
    SYSTEM_POWER_STATUS power{};
    if (!GetSystemPowerStatus(&power)) return kAcLineUnknown;
    return power.ACLineStatus;
}

void CFullChargeHost::ShowNoticeIfEnabled(uint32_t id) {
    m_frame.ShowNoticeIfEnabled(id);
}
