#include "applet_decisions.h"

#include <gtest/gtest.h>

namespace {

TEST(CplAnswer, AnswersEveryMessageAsTheControlPanelExpects) {
    struct Case {
        uint32_t message;
        int32_t answer;
    };
    const Case cases[] = {
        {cpl_message::kInit, 1},
        {cpl_message::kGetCount, 1},
        {cpl_message::kInquire, 0},
        {cpl_message::kSelect, 1},
        {cpl_message::kDblClk, 0},
        {cpl_message::kStop, 1},
        {cpl_message::kExit, 0},
        {cpl_message::kNewInquire, 1},
        {cpl_message::kSetup, 1},
        {0, 1},
        {11, 1},
        {0xFFFFFFFFu, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CplAnswer(c.message), c.answer) << "message " << c.message;
}

TEST(CplAnswer, StartWithParametersIsNotClaimedSoTheHostFallsBackToDoubleClick) {
    // A host that asks these first opens the dialog through CPL_DBLCLK only after a 0.
    EXPECT_EQ(CplAnswer(cpl_message::kStartWParmsA), 0);
    EXPECT_EQ(CplAnswer(cpl_message::kStartWParmsW), 0);
}

TEST(ModeTable, EachModeHasItsButtonPictureAndTip) {
    EXPECT_EQ(kModes[0].modeNumber, 111);
    EXPECT_EQ(kModes[0].buttonId, 3003);
    EXPECT_EQ(kModes[0].pictureId, 3011);
    EXPECT_EQ(kModes[0].tipStringId, 3);
    EXPECT_EQ(kModes[1].modeNumber, 222);
    EXPECT_EQ(kModes[1].buttonId, 3004);
    EXPECT_EQ(kModes[1].pictureId, 3014);
    EXPECT_EQ(kModes[1].tipStringId, 4);
    EXPECT_EQ(kModes[2].modeNumber, 333);
    EXPECT_EQ(kModes[2].buttonId, 3005);
    EXPECT_EQ(kModes[2].pictureId, 3013);
    EXPECT_EQ(kModes[2].tipStringId, 5);
}

TEST(ModeChoiceAfterRead, AValidNumberSelectsItsModeAndAnyOtherKeepsTheChoice) {
    struct Case {
        int32_t current;
        int32_t modeNumber;
        int32_t expected;
    };
    const Case cases[] = {
        // At opening the choice is still none.
        {kNoModeChoice, 111, 0},
        {kNoModeChoice, 222, 1},
        {kNoModeChoice, 333, 2},
        {kNoModeChoice, 0, kNoModeChoice},
        {kNoModeChoice, 444, kNoModeChoice},
        {kNoModeChoice, -5, kNoModeChoice},
        {kNoModeChoice, 112, kNoModeChoice},
        // Default: a valid number replaces the choice, any other leaves it.
        {1, 111, 0},
        {0, 333, 2},
        {1, 444, 1},
        {2, 0, 2},
        {0, INT32_MIN, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModeChoiceAfterRead(c.current, c.modeNumber), c.expected)
            << "current " << c.current << ", stored " << c.modeNumber;
}

TEST(ModeIndexForNumber, OnlyTheThreeModeNumbersSelectAMode) {
    EXPECT_EQ(ModeIndexForNumber(111), 0u);
    EXPECT_EQ(ModeIndexForNumber(222), 1u);
    EXPECT_EQ(ModeIndexForNumber(333), 2u);
    for (const int32_t other : {0, 1, 100, 75, 50, 444, -111, INT32_MAX})
        EXPECT_FALSE(ModeIndexForNumber(other).has_value()) << other;
}

TEST(NoticeCheckForOption, OnlyExactlyOneChecksTheBox) {
    EXPECT_EQ(NoticeCheckForOption(1), 1);
    for (const int32_t other : {0, 2, -1, 11, INT32_MIN, INT32_MAX})
        EXPECT_EQ(NoticeCheckForOption(other), 0) << other;
}

TEST(DecideOk, TheCheckedModeIsSentAndStoredWithTheNoticeOption) {
    struct Case {
        std::array<bool, 3> checked;
        bool notice;
        OkAction expected;
    };
    const Case cases[] = {
        {{true, false, false}, true, {100, 111, 1}},
        {{false, true, false}, true, {75, 222, 1}},
        {{false, false, true}, false, {50, 333, 0}},
        {{false, true, false}, false, {75, 222, 0}},
        // Buttons are asked in group order; the first checked one wins.
        {{true, true, false}, true, {100, 111, 1}},
        {{false, true, true}, false, {75, 222, 0}},
    };
    for (const Case& c : cases) {
        const OkAction action = DecideOk(c.checked, c.notice);
        EXPECT_EQ(action, c.expected)
            << c.checked[0] << c.checked[1] << c.checked[2] << " notice " << c.notice;
    }
}

TEST(DecideOk, WithNoModeCheckedNothingIsSentAndOnlyTheNoticeOptionIsStored) {
    for (const bool notice : {true, false}) {
        const OkAction action = DecideOk({false, false, false}, notice);
        EXPECT_FALSE(action.limitToSend.has_value());
        // The stored mode number stays: the user chose none.
        EXPECT_FALSE(action.modeNumberToStore.has_value());
        EXPECT_EQ(action.noticeOption, notice ? 1 : 0);
    }
}

}  // namespace
