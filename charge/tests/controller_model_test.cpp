#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "controller_model.h"

namespace {

constexpr unsigned char kCanary = 0xAA;

struct Case {
    const char* name;
    char command;
    std::vector<unsigned char> input;
    int32_t outputLength;  // of a 4-byte buffer filled with the canary; -1: null buffer
    ControllerState before;
    RequestOutcome outcome;
    ControllerState after;
};

TEST(SimulatedController, CarriesOutTheThreeSubFunctionsAndNothingElse) {
    const ControllerState first{};
    const ControllerState limited{75, false};
    const ControllerState charging{50, true};
    const RequestOutcome ignored{};
    const RequestOutcome done{true, std::nullopt};
    const Case cases[] = {
        {"set 75", 'Y', {0x01, 0x4B}, -1, first, done, limited},
        {"set 50 keeps the bit", 'Y', {0x01, 0x32}, -1, {75, true}, done, charging},
        {"set with a buffer answers nothing", 'Y', {0x01, 0x64}, 1, limited, done, first},
        {"set 0", 'Y', {0x01, 0x00}, -1, limited, ignored, limited},
        {"set 101", 'Y', {0x01, 0x65}, -1, limited, ignored, limited},
        {"set without a limit", 'Y', {0x01}, -1, limited, ignored, limited},
        {"query limit", 'Y', {0x02}, 1, limited, {true, 0x4B}, limited},
        {"query limit, no room", 'Y', {0x02}, 0, limited, done, limited},
        {"query limit, null buffer", 'Y', {0x02}, -1, limited, done, limited},
        {"query full charge, clear", 'Y', {0x03}, 4, limited, {true, 0x00}, limited},
        {"query full charge, set", 'Y', {0x03}, 1, charging, {true, 0x01}, charging},
        {"unknown sub-function", 'Y', {0x04, 0x32}, 1, limited, ignored, limited},
        {"sub-function 0", 'Y', {0x00}, 1, limited, ignored, limited},
        {"other command", 'Z', {0x01, 0x32}, 1, limited, ignored, limited},
        {"other command asking", 'y', {0x02}, 1, limited, ignored, limited},
        {"no input", 'Y', {}, 1, limited, ignored, limited},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControllerState state = c.before;
        std::array<unsigned char, 4> buffer;
        buffer.fill(kCanary);
        unsigned char* output = c.outputLength < 0 ? nullptr : buffer.data();
        const int32_t outputLength = c.outputLength < 0 ? 0 : c.outputLength;
        const RequestOutcome outcome =
            EvaluateRequest(state, c.command, c.input.empty() ? nullptr : c.input.data(),
                            static_cast<int32_t>(c.input.size()), output, outputLength);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(state, c.after);
        // Only the first byte may change, and only for an answer.
        EXPECT_EQ(buffer[0], c.outcome.answerWritten.value_or(kCanary));
        for (size_t i = 1; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], kCanary) << i;
    }
}

TEST(SimulatedController, RejectsInputLengthsThatDoNotCoverTheBytesItNeeds) {
    ControllerState state{75, false};
    const unsigned char input[] = {0x01, 0x32};
    for (int32_t length : {0, -1, 1, INT32_MIN}) {
        EXPECT_EQ(EvaluateRequest(state, 'Y', input, length, nullptr, 0), RequestOutcome{})
            << length;
        EXPECT_EQ(state, (ControllerState{75, false}));
    }
    // A null input with a length is not read.
    EXPECT_EQ(EvaluateRequest(state, 'Y', nullptr, 2, nullptr, 0), RequestOutcome{});
}

TEST(SimulatedController, QButtonStartsAFullChargeOnlyBelow100AndCancelsOne) {
    const struct {
        ControllerState before;
        ControllerState after;
    } cases[] = {
        {{75, false}, {75, true}},    {{50, false}, {50, true}},   {{75, true}, {75, false}},
        {{100, false}, {100, false}}, {{100, true}, {100, false}},
    };
    for (const auto& c : cases) {
        ControllerState state = c.before;
        PressQButton(state);
        EXPECT_EQ(state, c.after) << FormatState(c.before);
    }
}

TEST(SimulatedController, EndOfFullChargeClearsOnlyTheBit) {
    ControllerState state{50, true};
    EndFullCharge(state);
    EXPECT_EQ(state, (ControllerState{50, false}));
}

TEST(SimulatedControllerState, ReadsBackWhatItWrites) {
    for (const ControllerState& state :
         {ControllerState{}, ControllerState{75, true}, ControllerState{1, false}}) {
        EXPECT_EQ(ParseState(FormatState(state)), state);
        EXPECT_EQ(ParseState(FormatState(state) + "\r\n"), state);
    }
    EXPECT_EQ(FormatState(ControllerState{50, true}), "limit=50 fullcharge=1");
}

TEST(SimulatedControllerState, DamagedTextIsNoState) {
    for (const char* text :
         {"", "limit=75", "limit=0 fullcharge=0", "limit=101 fullcharge=0", "limit=75 fullcharge=2",
          "limit=-75 fullcharge=0", "limit= 75 fullcharge=0", "limit=075 fullcharge=0",
          "limit=75 fullcharge=1 extra", "limit=75 fullcharge=1\nlimit=50 fullcharge=0",
          "\x01\x02garbage"})
        EXPECT_EQ(ParseState(text), std::nullopt) << text;
}

TEST(RequestLog, OneLinePerRequestWithEveryField) {
    const unsigned char setLimit[] = {0x01, 0x4B};
    EXPECT_EQ(FormatLogLine(MakeLogEntry("2024-03-05T07:08:09.010", 288, 'Y', setLimit, 2, true, 0,
                                         {true, std::nullopt})),
              "2024-03-05T07:08:09.010 pid=288 command=59 input=01,4B inputLength=2 output=null "
              "outputLength=0 answer=- result=ok");
    const unsigned char query[] = {0x03};
    EXPECT_EQ(FormatLogLine(MakeLogEntry("t", 7, 'Y', query, 1, false, 1, {true, 0x01})),
              "t pid=7 command=59 input=03 inputLength=1 output=buffer outputLength=1 answer=01 "
              "result=ok");
    EXPECT_EQ(FormatLogLine(MakeLogEntry("t", 7, 'Z', nullptr, -3, false, 5, {})),
              "t pid=7 command=5A input=- inputLength=-3 output=buffer outputLength=5 answer=- "
              "result=ignored");
}

TEST(RequestLog, LongInputIsCutAndMarked) {
    std::vector<unsigned char> input(kMaxLoggedInputBytes + 5, 0x0F);
    const RequestLogEntry entry =
        MakeLogEntry("t", 1, 'Y', input.data(), static_cast<int32_t>(input.size()), true, 0, {});
    EXPECT_EQ(entry.input.size(), static_cast<size_t>(kMaxLoggedInputBytes));
    const std::string line = FormatLogLine(entry);
    EXPECT_NE(line.find(",0F,... inputLength=21 "), std::string::npos) << line;
}

}  // namespace
