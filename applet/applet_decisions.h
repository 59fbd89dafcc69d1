// The applet's decisions, free of the Windows API so that they are tested natively: what
// CPlApplet answers, which mode a stored number selects, and what OK sends and stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "resource.h"

// Control Panel messages (the platform's published numbers).
namespace cpl_message {
inline constexpr uint32_t kInit = 1;
inline constexpr uint32_t kGetCount = 2;
inline constexpr uint32_t kInquire = 3;
inline constexpr uint32_t kSelect = 4;
inline constexpr uint32_t kDblClk = 5;
inline constexpr uint32_t kStop = 6;
inline constexpr uint32_t kExit = 7;
inline constexpr uint32_t kNewInquire = 8;
inline constexpr uint32_t kStartWParmsA = 9;
inline constexpr uint32_t kStartWParmsW = 10;
inline constexpr uint32_t kSetup = 200;
}  // namespace cpl_message

// What CPlApplet returns for a message. The start-with-parameters requests answer 0: the applet
// does nothing with them, and a host that asks them first opens the dialog through CPL_DBLCLK
// only when told they were not handled.
int32_t CplAnswer(uint32_t message);

// One charge mode as the dialog shows it: the stored number, its radio button, its picture and
// the string of its tooltip.
struct ModeEntry {
    int32_t modeNumber;
    int buttonId;
    int pictureId;
    int tipStringId;
};

// In the order of the radio group: the mode choice is an index into this table.
inline constexpr std::array<ModeEntry, 3> kModes{{
    {111, IDC_MODE_FULL, IDC_PICTURE_FULL, IDS_TIP_FULL},
    {222, IDC_MODE_BALANCED, IDC_PICTURE_BALANCED, IDS_TIP_BALANCED},
    {333, IDC_MODE_EXTENDED, IDC_PICTURE_EXTENDED, IDS_TIP_EXTENDED},
}};

// The mode choice when no mode button is checked.
inline constexpr int32_t kNoModeChoice = -1;

// Index into kModes of the mode a stored number selects; none for any other number.
std::optional<size_t> ModeIndexForNumber(int32_t modeNumber);

// The mode choice after reading a section: the mode the stored number selects, or `current`
// unchanged when it selects none.
int32_t ModeChoiceAfterRead(int32_t current, int32_t modeNumber);

// The check box state for a stored notice option: checked (1) only for exactly 1.
int32_t NoticeCheckForOption(int32_t noticeOption);

// What OK does, from the check states of the mode buttons (in kModes order) and the check box.
struct OkAction {
    // The limit to send first; none when no mode button is checked.
    std::optional<uint8_t> limitToSend;
    // The mode number to store; none keeps the stored one, so that a number the user did not
    // choose is never written.
    std::optional<int32_t> modeNumberToStore;
    // 1 when the tray program may show its notices, else 0; always stored.
    int32_t noticeOption;

    bool operator==(const OkAction&) const = default;
};
OkAction DecideOk(const std::array<bool, kModes.size()>& modeChecked, bool noticeChecked);
