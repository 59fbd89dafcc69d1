#include "applet_decisions.h"

#include "system_controller.h"

int32_t CplAnswer(uint32_t message) {
    switch (message) {
        case cpl_message::kInquire:
        case cpl_message::kDblClk:
        case cpl_message::kExit:
        case cpl_message::kStartWParmsA:
        case cpl_message::kStartWParmsW:
            return 0;
        default:
            return 1;
    }
}

std::optional<size_t> ModeIndexForNumber(int32_t modeNumber) {
    for (size_t i = 0; i < kModes.size(); ++i)
        if (kModes[i].modeNumber == modeNumber) return i;
    return std::nullopt;
}

int32_t ModeChoiceAfterRead(int32_t current, int32_t modeNumber) {
    const std::optional<size_t> index = ModeIndexForNumber(modeNumber);
    return index ? static_cast<int32_t>(*index) : current;
}

int32_t NoticeCheckForOption(int32_t noticeOption) {
    return noticeOption == 1 ? 1 : 0;
}

OkAction DecideOk(const std::array<bool, kModes.size()>& modeChecked, bool noticeChecked) {
    OkAction action{std::nullopt, std::nullopt, noticeChecked ? 1 : 0};
    // The first checked button wins, as the buttons are asked in group order.
    for (size_t i = 0; i < kModes.size(); ++i) {
        if (!modeChecked[i]) continue;
        action.modeNumberToStore = kModes[i].modeNumber;
        action.limitToSend = static_cast<uint8_t>(ChargeLimitForMode(kModes[i].modeNumber));
        break;
    }
    return action;
}
