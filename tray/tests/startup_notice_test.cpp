#include "startup_notice.h"

#include <gtest/gtest.h>

namespace {

struct NoticeCase {
    const char* name;
    PowerReading power;
    bool bLimited;  // what the controller would answer
    bool bDue;      // expected decision
    bool bControllerAsked;
};

class StartupNoticeTest : public testing::TestWithParam<NoticeCase> {};

TEST_P(StartupNoticeTest, DecidesAndAsksTheControllerOnlyWhenMainsAndBattery) {
    const NoticeCase& c = GetParam();
    int asked = 0;
    const bool due = IsStartupNoticeDue(c.power, [&] {
        ++asked;
        return c.bLimited;
    });
    EXPECT_EQ(due, c.bDue);
    EXPECT_EQ(asked, c.bControllerAsked ? 1 : 0);
}

// Battery flags as the platform reports them: 1 high, 2 low, 8 charging, 128 no battery,
// 255 unknown.
INSTANTIATE_TEST_SUITE_P(
    Cases, StartupNoticeTest,
    testing::Values(NoticeCase{"MainsChargingLimited", {1, 8}, true, true, true},
                    NoticeCase{"MainsHighLimited", {1, 1}, true, true, true},
                    NoticeCase{"MainsUnknownBatteryLimited", {1, 255}, true, true, true},
                    NoticeCase{"MainsFullLimitInForce", {1, 8}, false, false, true},
                    NoticeCase{"MainsNoBattery", {1, 128}, true, false, false},
                    NoticeCase{"Battery", {0, 1}, true, false, false},
                    NoticeCase{"AcUnknown", {255, 8}, true, false, false},
                    NoticeCase{"BatteryAndNoBattery", {0, 128}, true, false, false}),
    [](const testing::TestParamInfo<NoticeCase>& info) { return info.param.name; });

}  // namespace
