#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "notifier_motion.h"

// Printed by GoogleTest in failure messages; found by argument-dependent lookup.
std::ostream& operator<<(std::ostream& os, NotifierPoint p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
std::ostream& operator<<(std::ostream& os, NotifierSize s) {
    return os << s.cx << " x " << s.cy;
}

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr NotifierSize kXpSize = {158, 135};
constexpr NotifierSize kVistaSize = {164, 135};

constexpr NotifierRect kBottomTaskbar = {0, 0, 1024, 738};
constexpr NotifierRect kRightTaskbar = {0, 0, 964, 768};
constexpr NotifierRect kLeftTaskbar = {60, 0, 1024, 768};
constexpr NotifierRect kTopTaskbar = {0, 30, 1024, 768};
constexpr NotifierRect kHiddenTaskbar = {0, 0, 1024, 768};

uint64_t RoundUp(uint64_t ms, uint64_t resolution) {
    return (ms + resolution - 1) / resolution * resolution;
}

// ---------------------------------------------------------------------------------------------
// Geometry and timing decisions

TEST(NotifierGeometry, FindsTheTaskbarEdge) {
    struct Case {
        NotifierRect workArea;
        TaskbarEdge edge;
    } cases[] =
        {
            {kBottomTaskbar, EdgeBottom},
            {kRightTaskbar, EdgeRight},
            {kLeftTaskbar, EdgeLeft},
            {kTopTaskbar, EdgeTop},
            {kHiddenTaskbar, EdgeBottom},    // auto-hidden taskbar: bottom rules
            {{0, 30, 964, 768}, EdgeRight},  // narrower and lower: the first rule wins
            {{0, 0, 1024, 700}, EdgeBottom},
            {{0, 40, 1024, 738}, EdgeTop},  // shorter and starting below 0
        };
    for (const Case& c : cases) {
        EXPECT_EQ(FindTaskbarEdge(c.workArea, kScreenWidth, kScreenHeight), c.edge)
            << c.workArea.left << "," << c.workArea.top << "," << c.workArea.right << ","
            << c.workArea.bottom;
    }
}

TEST(NotifierGeometry, TickIntervalSpreadsTheTravelOverTheSlide) {
    struct Case {
        int travel;
        uint32_t tick;
    } cases[] = {
        {135, 7},             // top or bottom taskbar: 67 steps
        {158, 6},             // left or right on XP: 79 steps
        {164, 6},             // left or right on Vista: 82 steps
        {2, 500},             // one step
        {3, 500}, {1, 500},   // less than a step: one step, never a division by zero
        {0, 500}, {3000, 1},  // more steps than milliseconds: never a zero interval
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlideTickInterval(500, c.travel, kNotifierStepPx), c.tick) << c.travel;
    }
}

TEST(NotifierGeometry, WindowSizeByRelease) {
    const NotifierSize skin = {150, 105};
    const NotifierSize wineFrame = {8, 27};
    struct Case {
        const char* what;
        int versionCode;
        NotifierSize skin;
        NotifierSize frame;
        std::optional<NotifierSize> size;
    } cases[] = {
        {"XP", 7, skin, wineFrame, NotifierSize{158, 135}},
        {"XP x64", 8, skin, wineFrame, NotifierSize{158, 135}},
        {"Vista x86", 11, skin, wineFrame, NotifierSize{164, 135}},
        {"Vista x64", 12, skin, wineFrame, NotifierSize{164, 135}},
        {"Vista IA-64: real frame", 13, skin, wineFrame, NotifierSize{158, 132}},
        {"Server 2003: real frame", 9, skin, {8, 23}, NotifierSize{158, 128}},
        {"unclassified (7 and later, Wine): real frame",
         -1,
         skin,
         {16, 39},
         NotifierSize{166, 144}},
        {"no skin", 7, {0, 0}, wineFrame, std::nullopt},
        {"no skin on a later release", -1, {0, 105}, wineFrame, std::nullopt},
        {"tiny skin without frame: still one step", -1, {1, 1}, {0, 0}, NotifierSize{2, 2}},
        {"a frame reported negative counts as none", -1, skin, {-4, -4}, skin},
    };
    for (const Case& c : cases) {
        const std::optional<NotifierSize> size = PopupWindowSize(c.versionCode, c.skin, c.frame);
        ASSERT_EQ(size.has_value(), c.size.has_value()) << c.what;
        if (size) {
            EXPECT_EQ(*size, *c.size) << c.what;
        }
    }
}

TEST(NotifierGeometry, TextRectangleFollowsTheWindowWidth) {
    const NotifierRect xp = NoticeTextRect(kXpSize);
    EXPECT_EQ(xp.left, 10);
    EXPECT_EQ(xp.top, 40);
    EXPECT_EQ(xp.right, 132);
    EXPECT_EQ(xp.bottom, 135);
    EXPECT_EQ(NoticeTextRect(kVistaSize).right, 138);
}

// ---------------------------------------------------------------------------------------------
// The popup's phases, driven by a simulated window with simulated timers

struct Op {
    enum Kind { Start, Stop, Show, Move, FullyOut, Hide, Redraw } kind;
    unsigned id = 0;
    uint32_t ms = 0;
    NotifierPoint pos = {};
    NotifierSize size = {};
};

std::ostream& operator<<(std::ostream& os, const Op& op) {
    static const char* const names[] = {"Start",    "Stop", "Show",  "Move",
                                        "FullyOut", "Hide", "Redraw"};
    os << names[op.kind];
    if (op.kind == Op::Start || op.kind == Op::Stop) os << " " << op.id;
    if (op.kind == Op::Start) os << " " << op.ms << " ms";
    if (op.kind == Op::Move || op.kind == Op::FullyOut) os << " " << op.pos << " " << op.size;
    return os;
}

bool operator==(const Op& a, const Op& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case Op::Start:
            return a.id == b.id && a.ms == b.ms;
        case Op::Stop:
            return a.id == b.id;
        case Op::Move:
        case Op::FullyOut:
            return a.pos == b.pos && a.size == b.size;
        default:
            return true;
    }
}

// A window whose timers fire like window timers: never before they are due, and only at
// multiples of the system's timer resolution.
class FakePopup : public NotifierWindowOps {
public:
    struct Timer {
        uint32_t interval;
        uint64_t due;
    };

    void StartTimer(unsigned id, uint32_t intervalMs) override {
        ops.push_back({Op::Start, id, intervalMs});
        timers[id] = {intervalMs, now + intervalMs};
    }
    void StopTimer(unsigned id) override {
        ops.push_back({Op::Stop, id});
        timers.erase(id);
    }
    void ShowPopup() override {
        ops.push_back({Op::Show});
        visible = true;
    }
    void MovePopup(NotifierPoint p, NotifierSize s) override {
        ops.push_back({Op::Move, 0, 0, p, s});
        pos = p;
        size = s;
    }
    void PlaceFullyOut(NotifierPoint p, NotifierSize s) override {
        ops.push_back({Op::FullyOut, 0, 0, p, s});
        pos = p;
        size = s;
    }
    void HidePopup() override {
        ops.push_back({Op::Hide});
        pos = {0, 0};
        size = {0, 0};
        visible = false;
    }
    void Redraw() override { ops.push_back({Op::Redraw}); }

    uint64_t now = 0;
    std::vector<Op> ops;
    std::map<unsigned, Timer> timers;
    bool visible = false;
    NotifierPoint pos;
    NotifierSize size;
};

class Simulation {
public:
    explicit Simulation(std::optional<NotifierSize> size = kXpSize, uint64_t resolutionMs = 1)
        : m_resolution(resolutionMs) {
        motion.SetWindowSize(size);
    }

    bool Show(const NotifierRect& workArea) {
        mark = popup.ops.size();
        return motion.ShowNotice(workArea, kScreenWidth, kScreenHeight, popup.now);
    }

    // The operations since the last Show.
    std::vector<Op> OpsSinceShow() const {
        return {popup.ops.begin() + static_cast<std::ptrdiff_t>(mark), popup.ops.end()};
    }

    // Delivers one timer message if one fires by `until`; false if none does.
    bool Step(uint64_t until) {
        auto next = popup.timers.end();
        uint64_t fire = 0;
        for (auto it = popup.timers.begin(); it != popup.timers.end(); ++it) {
            const uint64_t at = RoundUp(std::max(it->second.due, popup.now), m_resolution);
            if (next == popup.timers.end() || at < fire) {
                next = it;
                fire = at;
            }
        }
        if (next == popup.timers.end() || fire > until) return false;
        popup.now = fire;
        next->second.due = fire + next->second.interval;
        const unsigned id = next->first;
        motion.OnTimer(id, fire);
        ++messages;
        if (id != IDT_HOLD) positions.push_back(popup.pos);
        return true;
    }

    void RunUntil(uint64_t t) {
        while (Step(t)) {
        }
        popup.now = std::max(popup.now, t);
    }

    // Runs until the phase is `phase` and returns the time of the message that made it so.
    uint64_t RunUntilPhase(NotifierPhase phase, uint64_t limit = 60000) {
        while (motion.GetPhase() != phase) {
            if (!Step(limit)) {
                ADD_FAILURE() << "phase " << phase << " not reached by " << limit << " ms";
                return 0;
            }
        }
        return popup.now;
    }

    FakePopup popup;
    NotifierMotion motion{popup};
    size_t mark = 0;
    int messages = 0;
    std::vector<NotifierPoint> positions;  // where each slide timer message left the popup

private:
    uint64_t m_resolution;
};

TEST(NotifierMotion, BottomTaskbarOnXpRisesToBMinus136HoldsAndSinksBack) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    // Placed at its start behind the taskbar, shown, first tick 7 ms later.
    const std::vector<Op> start = {
        {Op::Move, 0, 0, {866, 738}, kXpSize}, {Op::Show}, {Op::Start, IDT_SLIDE_IN, 7}};
    EXPECT_EQ(sim.OpsSinceShow(), start);
    EXPECT_EQ(sim.motion.GetPhase(), Hidden);  // until the first tick
    EXPECT_EQ(sim.motion.GetEdge(), EdgeBottom);

    const uint64_t holding = sim.RunUntilPhase(Holding);
    // 68 steps of 2 pixels, then the tick that finds the popup out: 69 ticks of 7 ms.
    EXPECT_EQ(holding, 69u * 7);
    ASSERT_EQ(sim.positions.size(), 69u);
    for (size_t i = 0; i < 68; ++i) {
        EXPECT_EQ(sim.positions[i], (NotifierPoint{866, 738 - 2 * static_cast<int>(i + 1)})) << i;
    }
    EXPECT_EQ(sim.positions.back(), (NotifierPoint{866, 738 - 136}));
    EXPECT_EQ(sim.popup.size, kXpSize);
    ASSERT_EQ(sim.popup.timers.count(IDT_HOLD), 1u);
    EXPECT_EQ(sim.popup.timers.at(IDT_HOLD).interval, 3000u);
    EXPECT_EQ(sim.popup.timers.count(IDT_SLIDE_IN), 0u);

    // Fully out for the whole hold.
    sim.RunUntil(holding + 2999);
    EXPECT_EQ(sim.motion.GetPhase(), Holding);
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 602}));

    sim.positions.clear();
    const uint64_t hidden = sim.RunUntilPhase(Hidden);
    EXPECT_EQ(hidden, holding + 3000 + 69 * 7);
    EXPECT_FALSE(sim.popup.visible);
    EXPECT_TRUE(sim.popup.timers.empty());
    ASSERT_EQ(sim.positions.size(), 69u);
    for (size_t i = 0; i < 68; ++i) {
        EXPECT_EQ(sim.positions[i], (NotifierPoint{866, 602 + 2 * static_cast<int>(i + 1)})) << i;
    }
    // The hidden window gets its size back at the start.
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 738}));
    EXPECT_EQ(sim.popup.size, kXpSize);
}

TEST(NotifierMotion, EveryEdgeSlidesFromItsStartToFullyOutAndBack) {
    struct Case {
        const char* what;
        NotifierRect workArea;
        NotifierSize size;
        NotifierPoint start;
        NotifierPoint out;
        uint32_t tick;
        int ticks;  // steps plus the tick that ends the slide
    } cases[] = {
        {"bottom, XP", kBottomTaskbar, kXpSize, {866, 738}, {866, 602}, 7, 69},
        {"auto-hidden", kHiddenTaskbar, kXpSize, {866, 768}, {866, 632}, 7, 69},
        {"right, XP", kRightTaskbar, kXpSize, {964, 633}, {806, 633}, 6, 80},
        {"right, Vista", kRightTaskbar, kVistaSize, {964, 633}, {800, 633}, 6, 83},
        {"left, XP", kLeftTaskbar, kXpSize, {-98, 633}, {60, 633}, 6, 80},
        {"top, XP", kTopTaskbar, kXpSize, {866, -105}, {866, 31}, 7, 69},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Simulation sim(c.size);
        ASSERT_TRUE(sim.Show(c.workArea));
        EXPECT_EQ(sim.motion.GetStart(), c.start);
        EXPECT_EQ(sim.motion.GetSlideInTick(), c.tick);
        EXPECT_EQ(sim.motion.GetSlideOutTick(), c.tick);

        const uint64_t holding = sim.RunUntilPhase(Holding);
        EXPECT_EQ(holding, static_cast<uint64_t>(c.ticks) * c.tick);
        EXPECT_EQ(sim.popup.pos, c.out);
        const uint64_t hidden = sim.RunUntilPhase(Hidden);
        EXPECT_EQ(hidden, holding + 3000 + static_cast<uint64_t>(c.ticks) * c.tick);
        EXPECT_EQ(sim.popup.pos, c.start);
        EXPECT_FALSE(sim.popup.visible);

        // Every position on the line between start and fully out, on the 2-pixel grid.
        for (NotifierPoint p : sim.positions) {
            if (c.start.x == c.out.x) {
                EXPECT_EQ(p.x, c.start.x);
                EXPECT_EQ((p.y - c.start.y) % 2, 0) << p;
                EXPECT_GE(p.y, std::min(c.start.y, c.out.y)) << p;
                EXPECT_LE(p.y, std::max(c.start.y, c.out.y)) << p;
            } else {
                EXPECT_EQ(p.y, c.start.y);
                EXPECT_EQ((p.x - c.start.x) % 2, 0) << p;
                EXPECT_GE(p.x, std::min(c.start.x, c.out.x)) << p;
                EXPECT_LE(p.x, std::max(c.start.x, c.out.x)) << p;
            }
        }
    }
}

// Window timers fire no faster than the system's timer resolution; the slide catches up with
// the time instead of taking a step per message.
TEST(NotifierMotion, SlidesTakeTheirTimeWhateverTheTimerResolution) {
    for (uint64_t resolution : {1u, 10u, 16u, 50u, 1000u}) {
        SCOPED_TRACE(resolution);
        Simulation sim(kXpSize, resolution);
        ASSERT_TRUE(sim.Show(kBottomTaskbar));
        const uint64_t holding = sim.RunUntilPhase(Holding);
        EXPECT_EQ(holding, RoundUp(69 * 7, resolution));
        EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 602}));
        for (NotifierPoint p : sim.positions) {
            EXPECT_EQ(p.y % 2, 0) << p;
            EXPECT_GE(p.y, 602) << p;
        }
        if (resolution > 7) {
            EXPECT_LT(sim.messages, 69);
        }

        const uint64_t holdEnd = RoundUp(holding + 3000, resolution);
        sim.RunUntil(holdEnd - 1);
        EXPECT_EQ(sim.motion.GetPhase(), Holding);
        const uint64_t hidden = sim.RunUntilPhase(Hidden);
        EXPECT_EQ(hidden, RoundUp(holdEnd + 69 * 7, resolution));
        EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 738}));
    }
}

TEST(NotifierMotion, NoticeWhileHiddenBeforeTheFirstTickStartsAgainFromTheNewEdge) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    sim.RunUntil(5);
    ASSERT_TRUE(sim.Show(kRightTaskbar));
    const std::vector<Op> restart = {
        {Op::Move, 0, 0, {964, 633}, kXpSize}, {Op::Show}, {Op::Start, IDT_SLIDE_IN, 6}};
    EXPECT_EQ(sim.OpsSinceShow(), restart);
    EXPECT_EQ(sim.RunUntilPhase(Holding), 5u + 80 * 6);
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{806, 633}));
}

TEST(NotifierMotion, NoticeWhileSlidingInOnlyChangesTheText) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    sim.RunUntil(100);
    ASSERT_EQ(sim.motion.GetPhase(), SlidingIn);
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    EXPECT_EQ(sim.OpsSinceShow(), std::vector<Op>{{Op::Redraw}});
    EXPECT_EQ(sim.motion.GetPhase(), SlidingIn);
    EXPECT_EQ(sim.RunUntilPhase(Holding), 69u * 7);
    EXPECT_EQ(sim.RunUntilPhase(Hidden), 69u * 7 + 3000 + 69 * 7);
}

TEST(NotifierMotion, NoticeWhileHoldingHoldsAFullTimeFromThen) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    sim.RunUntil(2000);
    ASSERT_EQ(sim.motion.GetPhase(), Holding);
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    const std::vector<Op> restart = {
        {Op::Redraw}, {Op::Stop, IDT_HOLD}, {Op::Start, IDT_HOLD, 3000}};
    EXPECT_EQ(sim.OpsSinceShow(), restart);
    sim.RunUntil(4999);
    EXPECT_EQ(sim.motion.GetPhase(), Holding);
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 602}));
    EXPECT_EQ(sim.RunUntilPhase(Hidden), 5000u + 69 * 7);
}

// The hold has ended and the slide-out timer runs, but it has not ticked yet: the phase is still
// Holding. The new notice must still get its full hold.
TEST(NotifierMotion, NoticeRightAfterTheHoldEndedHoldsAFullTimeFromThen) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    const uint64_t holding = sim.RunUntilPhase(Holding);
    sim.RunUntil(holding + 3000);
    ASSERT_EQ(sim.popup.timers.count(IDT_SLIDE_OUT), 1u);
    ASSERT_EQ(sim.motion.GetPhase(), Holding);

    sim.popup.now = holding + 3002;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    const std::vector<Op> restart = {
        {Op::Redraw}, {Op::Stop, IDT_SLIDE_OUT}, {Op::Start, IDT_HOLD, 3000}};
    EXPECT_EQ(sim.OpsSinceShow(), restart);
    sim.RunUntil(holding + 3002 + 2999);
    EXPECT_EQ(sim.motion.GetPhase(), Holding);
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 602}));
    EXPECT_EQ(sim.RunUntilPhase(Hidden), holding + 3002 + 3000 + 69 * 7);
}

TEST(NotifierMotion, NoticeWhileSlidingOutPutsThePopupBackOutForAFullHold) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    const uint64_t holding = sim.RunUntilPhase(Holding);
    const uint64_t t = holding + 3000 + 100;
    sim.RunUntil(t);
    ASSERT_EQ(sim.motion.GetPhase(), SlidingOut);
    ASSERT_GT(sim.popup.pos.y, 602);

    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    // Back to B - H: one pixel lower than where the slide-in ends.
    const std::vector<Op> back = {{Op::Stop, IDT_SLIDE_OUT},
                                  {Op::Start, IDT_HOLD, 3000},
                                  {Op::FullyOut, 0, 0, {866, 603}, kXpSize},
                                  {Op::Redraw}};
    EXPECT_EQ(sim.OpsSinceShow(), back);
    sim.RunUntil(t + 2999);
    EXPECT_EQ(sim.motion.GetPhase(), SlidingOut);  // until the next step back
    EXPECT_EQ(sim.popup.pos, (NotifierPoint{866, 603}));
    EXPECT_TRUE(sim.popup.visible);

    EXPECT_EQ(sim.RunUntilPhase(Hidden), t + 3000 + 69 * 7);
    EXPECT_FALSE(sim.popup.visible);
    EXPECT_TRUE(sim.popup.timers.empty());
}

TEST(NotifierMotion, CloseHidesAtOnceInEveryPhaseAndTheNextNoticeStartsAfresh) {
    struct Case {
        const char* what;
        uint64_t at;
        NotifierPhase phase;
    } cases[] = {
        {"before the first tick", 3, Hidden},
        {"sliding in", 100, SlidingIn},
        {"holding", 2000, Holding},
        {"hold over, slide-out not yet stepped", 483 + 3000, Holding},
        {"sliding out", 483 + 3100, SlidingOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Simulation sim;
        ASSERT_TRUE(sim.Show(kBottomTaskbar));
        sim.RunUntil(c.at);
        ASSERT_EQ(sim.motion.GetPhase(), c.phase);

        sim.motion.Close();
        EXPECT_EQ(sim.motion.GetPhase(), Hidden);
        EXPECT_FALSE(sim.popup.visible);
        EXPECT_TRUE(sim.popup.timers.empty());
        EXPECT_EQ(sim.popup.size, (NotifierSize{0, 0}));
        const size_t opsAfterClose = sim.popup.ops.size();
        sim.RunUntil(c.at + 10000);
        EXPECT_EQ(sim.popup.ops.size(), opsAfterClose);

        ASSERT_TRUE(sim.Show(kBottomTaskbar));
        const std::vector<Op> fresh = {
            {Op::Move, 0, 0, {866, 738}, kXpSize}, {Op::Show}, {Op::Start, IDT_SLIDE_IN, 7}};
        EXPECT_EQ(sim.OpsSinceShow(), fresh);
        EXPECT_EQ(sim.RunUntilPhase(Holding), c.at + 10000 + 69 * 7);
    }
}

TEST(NotifierMotion, WithoutASkinNoPopupIsShown) {
    Simulation sim(std::nullopt);
    EXPECT_FALSE(sim.Show(kBottomTaskbar));
    EXPECT_TRUE(sim.popup.ops.empty());
    EXPECT_EQ(sim.motion.GetPhase(), Hidden);
}

TEST(NotifierMotion, MessagesOfStoppedTimersAreIgnored) {
    Simulation sim;
    ASSERT_TRUE(sim.Show(kBottomTaskbar));
    const uint64_t holding = sim.RunUntilPhase(Holding);
    const size_t ops = sim.popup.ops.size();
    sim.motion.OnTimer(IDT_SLIDE_IN, holding + 7);
    sim.motion.OnTimer(IDT_SLIDE_OUT, holding + 7);
    EXPECT_EQ(sim.popup.ops.size(), ops);
    EXPECT_EQ(sim.motion.GetPhase(), Holding);
    EXPECT_EQ(sim.motion.GetPosition(), (NotifierPoint{866, 602}));
}

}  // namespace
