#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "full_charge_workflow.h"

namespace {

using Calls = std::vector<std::string>;

// The frame's surroundings: a power source and a controller holding a limit and a full-charge
// bit, with every question and request written down in order.
class FakeHost : public FullChargeHost {
public:
    uint8_t acLineStatus = kAcOnline;
    bool fullChargeBit = false;
    bool chargeLimited = true;
    Calls calls;

    uint8_t ReadAcLineStatus() override {
        calls.push_back("power status");
        return acLineStatus;
    }
    bool IsFullChargeActive() override {
        calls.push_back("full charge?");
        return fullChargeBit;
    }
    bool IsChargeLimited() override {
        calls.push_back("limited?");
        return chargeLimited;
    }
    void ShowNoticeIfEnabled(uint32_t id) override {
        calls.push_back("notice " + std::to_string(id));
    }
    void ApplyStoredMode() override { calls.push_back("apply stored mode"); }

    Calls TakeCalls() { return std::exchange(calls, {}); }
};

struct Flags {
    bool fullCharging;
    bool acOnline;
    bool operator==(const Flags&) const = default;
};

constexpr Flags kIdleOnMains{false, true};
constexpr Flags kIdleOnBattery{false, false};
constexpr Flags kCharging{true, true};
constexpr Flags kUnplugged{true, false};

std::string Describe(Flags f) {
    if (!f.fullCharging)
        return f.acOnline ? "Idle (last seen on mains)" : "Idle (last seen on battery)";
    return f.acOnline ? "Charging" : "Unplugged";
}

class Fixture {
public:
    explicit Fixture(Flags start) : fullCharging(start.fullCharging), acOnline(start.acOnline) {}

    Flags State() const { return {fullCharging, acOnline}; }

    FakeHost host;
    bool fullCharging;
    bool acOnline;
    FullChargeWorkflow workflow{host, fullCharging, acOnline};
};

constexpr uint8_t kAcUnknown = 255;
constexpr uintptr_t kQPress = 0x01;    // the Q button comes as an extended key
constexpr uintptr_t kQRelease = 0x81;  // extended and released

// ---------------------------------------------------------------------------------------------
// Which key events are the Q button

struct KeyCase {
    uintptr_t flags;
    uintptr_t scanCode;
    bool isQButton;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << "flags 0x" << std::hex << c.flags << ", scan code 0x" << c.scanCode;
}

class QButtonRecognition : public ::testing::TestWithParam<KeyCase> {};

TEST_P(QButtonRecognition, FlagsAndScanCode) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(IsQButtonEvent(c.flags, c.scanCode), c.isQButton);

    // A key event that is not the Q button must not even read the power status.
    Fixture f(kIdleOnMains);
    f.host.fullChargeBit = true;
    f.workflow.OnHookKeyEvent(c.flags, c.scanCode);
    EXPECT_EQ(f.host.calls.empty(), !c.isQButton);
}

INSTANTIATE_TEST_SUITE_P(
    KeyEvents, QButtonRecognition,
    ::testing::Values(KeyCase{0x00, 0x79, false},   // plain press of a non-extended key
                      KeyCase{0x80, 0x79, true},    // its release
                      KeyCase{0x01, 0x79, true},    // press of an extended key
                      KeyCase{0x81, 0x79, true},    // release of an extended key
                      KeyCase{0x10, 0x79, false},   // injected press: bit 4 alone does not count
                      KeyCase{0x90, 0x79, true},    // injected release
                      KeyCase{0x11, 0x79, true},    // injected extended press
                      KeyCase{0x20, 0x79, false},   // Alt held, still a plain press
                      KeyCase{0x80, 0x78, false},   // release of another key
                      KeyCase{0x81, 0x10, false},   // the letter Q's own scan code
                      KeyCase{0x81, 0x179, false},  // larger code whose low byte matches
                      KeyCase{0x81, 0x00, false}));

// ---------------------------------------------------------------------------------------------
// The state table, row by row

enum class Event { QButton, PowerStatusChange };

struct Row {
    const char* name;
    Flags from;
    Event event;
    uint8_t acLineStatus;
    bool fullChargeBit;
    bool chargeLimited;
    Calls expectedCalls;
    Flags to;
    bool acted = false;  // the power handler's answer; not looked at for key events
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class StateTable : public ::testing::TestWithParam<Row> {};

TEST_P(StateTable, Row) {
    const Row& r = GetParam();
    Fixture f(r.from);
    f.host.acLineStatus = r.acLineStatus;
    f.host.fullChargeBit = r.fullChargeBit;
    f.host.chargeLimited = r.chargeLimited;

    if (r.event == Event::QButton) {
        f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    } else {
        EXPECT_EQ(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent), r.acted);
    }
    EXPECT_EQ(f.host.calls, r.expectedCalls);
    EXPECT_EQ(f.State(), r.to) << "ended in " << Describe(f.State());
}

const Calls kQOnMainsBitSet{"power status", "full charge?", "limited?", "notice 132"};
const Calls kQOnMainsBitSetUnlimited{"power status", "full charge?", "limited?"};
const Calls kQOnMainsBitClear{"power status", "full charge?", "limited?", "notice 135"};
const Calls kFullChargeEnded{"power status", "full charge?", "notice 133", "apply stored mode"};
const Calls kFullChargeGoesOn{"power status", "full charge?"};

INSTANTIATE_TEST_SUITE_P(
    Rows, StateTable,
    ::testing::Values(
        // any | Q button | AC line status not 1 | none | unchanged
        Row{"QOnBatteryWhileIdle",
            kIdleOnMains,
            Event::QButton,
            kAcOffline,
            true,
            true,
            {"power status"},
            kIdleOnMains},
        Row{"QOnBatteryWhileCharging",
            kCharging,
            Event::QButton,
            kAcOffline,
            false,
            true,
            {"power status"},
            kCharging},
        Row{"QOnBatteryWhileUnplugged",
            kUnplugged,
            Event::QButton,
            kAcOffline,
            false,
            true,
            {"power status"},
            kUnplugged},
        Row{"QWithUnknownPowerSource",
            kIdleOnBattery,
            Event::QButton,
            kAcUnknown,
            true,
            true,
            {"power status"},
            kIdleOnBattery},
        // any | Q button | on mains, bit set | set fullCharging; 132 if limited | Charging or
        // Unplugged
        Row{"QStartsFromIdleOnMains", kIdleOnMains, Event::QButton, kAcOnline, true, true,
            kQOnMainsBitSet, kCharging},
        Row{"QStartsFromIdleLastSeenOnBattery", kIdleOnBattery, Event::QButton, kAcOnline, true,
            true, kQOnMainsBitSet, kUnplugged},
        Row{"QWhileChargingBitStillSet", kCharging, Event::QButton, kAcOnline, true, true,
            kQOnMainsBitSet, kCharging},
        Row{"QStartsAtFullLimitNoNotice", kIdleOnMains, Event::QButton, kAcOnline, true, false,
            kQOnMainsBitSetUnlimited, kCharging},
        // any | Q button | on mains, bit clear | clear fullCharging; 135 if limited | Idle
        Row{"QCancelsCharging", kCharging, Event::QButton, kAcOnline, false, true,
            kQOnMainsBitClear, kIdleOnMains},
        Row{"QCancelsUnplugged", kUnplugged, Event::QButton, kAcOnline, false, true,
            kQOnMainsBitClear, kIdleOnBattery},
        Row{"QWhileIdleBitClear", kIdleOnMains, Event::QButton, kAcOnline, false, true,
            kQOnMainsBitClear, kIdleOnMains},
        Row{"QCancelsAtFullLimitNoNotice",
            kCharging,
            Event::QButton,
            kAcOnline,
            false,
            false,
            {"power status", "full charge?", "limited?"},
            kIdleOnMains},
        // Idle | power change | - | none | Idle
        Row{"PowerChangeWhileIdleOnMains",
            kIdleOnMains,
            Event::PowerStatusChange,
            kAcOffline,
            true,
            true,
            {},
            kIdleOnMains,
            false},
        Row{"PowerChangeWhileIdleOnBattery",
            kIdleOnBattery,
            Event::PowerStatusChange,
            kAcOnline,
            false,
            true,
            {},
            kIdleOnBattery,
            false},
        // Charging | power change | AC 0 | clear acOnline; 134 if limited | Unplugged
        Row{"UnplugWhileCharging",
            kCharging,
            Event::PowerStatusChange,
            kAcOffline,
            true,
            true,
            {"power status", "limited?", "notice 134"},
            kUnplugged,
            true},
        Row{"UnplugAtFullLimitNoNotice",
            kCharging,
            Event::PowerStatusChange,
            kAcOffline,
            true,
            false,
            {"power status", "limited?"},
            kUnplugged,
            true},
        // Unplugged | power change | AC 1 | set acOnline; 132 if limited | Charging
        Row{"PlugInWhileUnplugged",
            kUnplugged,
            Event::PowerStatusChange,
            kAcOnline,
            true,
            true,
            {"power status", "limited?", "notice 132"},
            kCharging,
            true},
        Row{"PlugInAtFullLimitNoNotice",
            kUnplugged,
            Event::PowerStatusChange,
            kAcOnline,
            true,
            false,
            {"power status", "limited?"},
            kCharging,
            true},
        // Charging or Unplugged | power change | same source, bit set | none | unchanged
        Row{"ChargeChangeWhileCharging", kCharging, Event::PowerStatusChange, kAcOnline, true, true,
            kFullChargeGoesOn, kCharging, false},
        Row{"ChargeChangeWhileUnplugged", kUnplugged, Event::PowerStatusChange, kAcOffline, true,
            true, kFullChargeGoesOn, kUnplugged, false},
        Row{"UnknownSourceWhileCharging", kCharging, Event::PowerStatusChange, kAcUnknown, true,
            true, kFullChargeGoesOn, kCharging, false},
        // Charging or Unplugged | power change | same source, bit clear | clear fullCharging;
        // 133; apply stored mode | Idle
        Row{"FullChargeEndsWhileCharging", kCharging, Event::PowerStatusChange, kAcOnline, false,
            true, kFullChargeEnded, kIdleOnMains, true},
        Row{"FullChargeEndsWhileUnplugged", kUnplugged, Event::PowerStatusChange, kAcOffline, false,
            true, kFullChargeEnded, kIdleOnBattery, true},
        Row{"FullChargeEndsAtFullLimitStillNotified", kCharging, Event::PowerStatusChange,
            kAcOnline, false, false, kFullChargeEnded, kIdleOnMains, true},
        Row{"FullChargeEndsWithUnknownSource", kUnplugged, Event::PowerStatusChange, kAcUnknown,
            false, true, kFullChargeEnded, kIdleOnBattery, true}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// any | any other power event | - | none | unchanged
class OtherPowerEvents : public ::testing::TestWithParam<uintptr_t> {};

TEST_P(OtherPowerEvents, LeftAlone) {
    for (Flags start : {kIdleOnMains, kCharging, kUnplugged}) {
        Fixture f(start);
        f.host.acLineStatus = start.acOnline ? kAcOffline : kAcOnline;  // a change it would see
        f.host.fullChargeBit = false;
        EXPECT_FALSE(f.workflow.OnPowerBroadcast(GetParam()));
        EXPECT_EQ(f.host.calls, Calls{}) << Describe(start);
        EXPECT_EQ(f.State(), start);
    }
}

INSTANTIATE_TEST_SUITE_P(Events, OtherPowerEvents,
                         ::testing::Values(0u,        // PBT_APMQUERYSUSPEND
                                           4u,        // PBT_APMSUSPEND
                                           7u,        // PBT_APMRESUMESUSPEND
                                           9u,        // PBT_APMBATTERYLOW
                                           0x12u,     // PBT_APMRESUMEAUTOMATIC
                                           0x8013u,   // PBT_POWERSETTINGCHANGE
                                           0x1000Au)  // a status change in the low word only
);

// (creation) | frame created | - | acOnline = AC is 1; fullCharging = controller bit
struct CreationCase {
    uint8_t acLineStatus;
    bool fullChargeBit;
    Flags expected;
};

void PrintTo(const CreationCase& c, std::ostream* os) {
    *os << "AC line status " << int(c.acLineStatus) << ", bit " << c.fullChargeBit;
}

class Creation : public ::testing::TestWithParam<CreationCase> {};

TEST_P(Creation, TakesFlagsFromPowerStatusAndController) {
    const CreationCase& c = GetParam();
    // Start from the opposite of what is expected so that every flag has to be written.
    Fixture f({!c.expected.fullCharging, !c.expected.acOnline});
    f.host.acLineStatus = c.acLineStatus;
    f.host.fullChargeBit = c.fullChargeBit;
    f.workflow.ReadInitialState();
    EXPECT_EQ(f.State(), c.expected) << Describe(f.State());
    EXPECT_EQ(f.host.calls, (Calls{"power status", "full charge?"}));
}

INSTANTIATE_TEST_SUITE_P(States, Creation,
                         ::testing::Values(CreationCase{kAcOnline, false, kIdleOnMains},
                                           CreationCase{kAcOffline, false, kIdleOnBattery},
                                           CreationCase{kAcOnline, true, kCharging},
                                           CreationCase{kAcOffline, true, kUnplugged},
                                           CreationCase{kAcUnknown, true, kUnplugged}));

// ---------------------------------------------------------------------------------------------
// Walks through several events

TEST(FullChargeScenario, ExtendedKeyAsksTwiceAndNotifiesTwice) {
    Fixture f(kIdleOnMains);
    f.host.fullChargeBit = true;
    f.workflow.OnHookKeyEvent(kQPress, kQButtonScanCode);
    f.workflow.OnHookKeyEvent(kQRelease, kQButtonScanCode);
    Calls twice = kQOnMainsBitSet;
    twice.insert(twice.end(), kQOnMainsBitSet.begin(), kQOnMainsBitSet.end());
    EXPECT_EQ(f.host.calls, twice);
    EXPECT_EQ(f.State(), kCharging);
}

TEST(FullChargeScenario, QOnBatteryAsksTheControllerNothing) {
    for (Flags start : {kIdleOnBattery, kIdleOnMains, kCharging, kUnplugged}) {
        Fixture f(start);
        f.host.acLineStatus = kAcOffline;
        f.host.fullChargeBit = !start.fullCharging;  // would flip the state if it were asked
        f.workflow.OnHookKeyEvent(kQPress, kQButtonScanCode);
        f.workflow.OnHookKeyEvent(kQRelease, kQButtonScanCode);
        EXPECT_EQ(f.host.calls, (Calls{"power status", "power status"})) << Describe(start);
        EXPECT_EQ(f.State(), start);
    }
}

TEST(FullChargeScenario, FullLimitGivesNoNoticeUntilChargedCompletely) {
    // Mode 111: the controller holds 100 %.
    Fixture f(kIdleOnMains);
    f.host.chargeLimited = false;
    f.host.fullChargeBit = true;

    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    f.host.acLineStatus = kAcOffline;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    f.host.acLineStatus = kAcOnline;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_FALSE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    Calls calls = f.host.TakeCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.starts_with("notice"); }),
              0);
    EXPECT_EQ(f.State(), kCharging);

    f.host.fullChargeBit = false;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.calls, kFullChargeEnded);
    EXPECT_EQ(f.State(), kIdleOnMains);
}

TEST(FullChargeScenario, RoadOfOneEvent) {
    // Mode 222 on mains: Q, unplug, plug in, the controller ends the full charge.
    Fixture f(kIdleOnMains);
    f.host.fullChargeBit = true;

    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    EXPECT_EQ(f.host.TakeCalls(), kQOnMainsBitSet);

    f.host.acLineStatus = kAcOffline;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.TakeCalls(), (Calls{"power status", "limited?", "notice 134"}));
    EXPECT_EQ(f.State(), kUnplugged);

    f.host.acLineStatus = kAcOnline;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.TakeCalls(), (Calls{"power status", "limited?", "notice 132"}));
    EXPECT_EQ(f.State(), kCharging);

    // The battery's charge changes; the full charge goes on.
    EXPECT_FALSE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.TakeCalls(), kFullChargeGoesOn);

    f.host.fullChargeBit = false;
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.TakeCalls(), kFullChargeEnded);
    EXPECT_EQ(f.State(), kIdleOnMains);

    // Afterwards power changes are no longer followed.
    f.host.acLineStatus = kAcOffline;
    EXPECT_FALSE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.calls, Calls{});
}

TEST(FullChargeScenario, StartedOnBatteryShowsRunningNoticeAgainAtNextPowerChange) {
    Fixture f(kIdleOnMains);
    f.host.acLineStatus = kAcOffline;
    f.workflow.ReadInitialState();
    ASSERT_EQ(f.State(), kIdleOnBattery);

    // Mains comes back while Idle: not followed.
    f.host.acLineStatus = kAcOnline;
    EXPECT_FALSE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    f.host.fullChargeBit = true;
    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    EXPECT_EQ(f.State(), kUnplugged);
    f.host.TakeCalls();

    // The battery's charge changes on mains: seen as mains returning.
    EXPECT_TRUE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.calls, (Calls{"power status", "limited?", "notice 132"}));
    EXPECT_EQ(f.State(), kCharging);
}

TEST(FullChargeScenario, QTwiceStartsAndCancels) {
    Fixture f(kIdleOnMains);
    f.host.fullChargeBit = true;
    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    EXPECT_EQ(f.State(), kCharging);
    f.host.fullChargeBit = false;  // the controller acted on the second press
    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    EXPECT_EQ(f.State(), kIdleOnMains);
    // The cancelled charge is not reported as finished, and the limit is not sent again.
    f.host.TakeCalls();
    EXPECT_FALSE(f.workflow.OnPowerBroadcast(kPowerStatusChangeEvent));
    EXPECT_EQ(f.host.calls, Calls{});
}

TEST(FullChargeScenario, UnansweredControllerReadsAsNoFullChargeAndNoLimit) {
    // A controller that answers nothing: both answers read as cleared bytes.
    Fixture f(kCharging);
    f.host.fullChargeBit = false;
    f.host.chargeLimited = false;
    f.workflow.OnHookKeyEvent(0x80, kQButtonScanCode);
    EXPECT_EQ(f.State(), kIdleOnMains);
    EXPECT_EQ(f.host.calls, (Calls{"power status", "full charge?", "limited?"}));
}

}  // namespace
