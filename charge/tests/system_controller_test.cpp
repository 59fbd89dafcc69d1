#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "diagnostics.h"
#include "system_controller.h"
#include "zorvan_recorder.h"

namespace {

namespace fs = std::filesystem;

// Each test gets a settings folder of its own and an empty recorder.
class SystemControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tevra-charge-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        ASSERT_EQ(setenv("TEVRA_COMMON_APPDATA", m_folder.c_str(), 1), 0);
        zorvan_recorder::Reset();
        m_previousSink = SetDebugSink([this](const std::string& line) { m_debug += line; });
    }
    void TearDown() override {
        SetDebugSink(m_previousSink);
        unsetenv("TEVRA_COMMON_APPDATA");
        fs::remove_all(m_folder);
    }

    fs::path SettingsFile() const { return fs::path(m_folder) / "TevraSettings.ini"; }

    void WriteCurrentMode(const std::string& modeText) const {
        std::ofstream(SettingsFile(), std::ios::binary)
            << " [Tevra Current Settings]\r\n dwTrayNotifyWindowOption=1\r\n dwTevraAppletModeNum="
            << modeText << "\r\n";
    }

    std::string m_folder;
    std::string m_debug;
    DebugSink m_previousSink;
};

void ExpectSetLimitRequest(const RecordedRequest& request, unsigned char percent) {
    EXPECT_EQ(request.command, 'Y');
    EXPECT_EQ(request.input, (std::vector<unsigned char>{0x01, percent}));
    EXPECT_EQ(request.inputLength, 2);
    EXPECT_TRUE(request.outputNull);
    EXPECT_EQ(request.outputLength, 0);
}

// A query with a one-byte answer buffer that was cleared before the call.
void ExpectQueryRequest(const RecordedRequest& request, unsigned char subFunction) {
    EXPECT_EQ(request.command, 'Y');
    EXPECT_EQ(request.input, (std::vector<unsigned char>{subFunction}));
    EXPECT_EQ(request.inputLength, 1);
    EXPECT_FALSE(request.outputNull);
    EXPECT_EQ(request.outputLength, 1);
    EXPECT_EQ(request.outputBefore, std::optional<unsigned char>(0));
}

TEST(ChargeLimitForMode, MapsTheThreeModesAndNothingElse) {
    const struct {
        int32_t mode;
        int limit;
    } cases[] = {{111, 100}, {222, 75}, {333, 50},      {0, 0},         {444, 0},
                 {-5, 0},    {112, 0},  {INT32_MAX, 0}, {INT32_MIN, 0}, {100, 0}};
    for (const auto& c : cases) EXPECT_EQ(ChargeLimitForMode(c.mode), c.limit) << c.mode;
}

TEST_F(SystemControllerTest, StoredModeSendsItsLimitInExactlyOneRequest) {
    const struct {
        const char* stored;
        unsigned char sent;
    } cases[] = {{"222", 0x4B}, {"111", 0x64}, {"333", 0x32}, {"222x", 0x4B}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        zorvan_recorder::Reset();
        WriteCurrentMode(c.stored);
        SystemController controller;
        controller.ApplyStoredMode();
        ASSERT_EQ(zorvan_recorder::Requests().size(), 1u);
        ExpectSetLimitRequest(zorvan_recorder::Requests()[0], c.sent);
    }
}

TEST_F(SystemControllerTest, ModeNumberThatSelectsNoModeSendsNothing) {
    for (const char* stored : {"0", "444", "abc", "", "-5", "111111"}) {
        SCOPED_TRACE(stored);
        zorvan_recorder::Reset();
        WriteCurrentMode(stored);
        SystemController controller;
        controller.ApplyStoredMode();
        EXPECT_TRUE(zorvan_recorder::Requests().empty());
    }
}

TEST_F(SystemControllerTest, MissingSettingsFileIsCreatedAndItsDefaultModeSent) {
    SystemController controller;
    controller.ApplyStoredMode();
    EXPECT_TRUE(fs::exists(SettingsFile()));
    ASSERT_EQ(zorvan_recorder::Requests().size(), 1u);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[0], 0x64);
}

TEST_F(SystemControllerTest, ReadsTheSettingsAfreshOnEveryCall) {
    SystemController controller;
    WriteCurrentMode("222");
    controller.ApplyStoredMode();
    WriteCurrentMode("333");
    controller.ApplyStoredMode();
    WriteCurrentMode("0");
    controller.ApplyStoredMode();
    ASSERT_EQ(zorvan_recorder::Requests().size(), 2u);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[0], 0x4B);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[1], 0x32);
}

TEST_F(SystemControllerTest, SetChargeLimitSendsOnlyTheThreeLimits) {
    SystemController controller;
    for (uint8_t percent : {100, 75, 50}) controller.SetChargeLimit(percent);
    for (uint8_t percent : {0, 1, 49, 99, 101, 255}) controller.SetChargeLimit(percent);
    ASSERT_EQ(zorvan_recorder::Requests().size(), 3u);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[0], 100);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[1], 75);
    ExpectSetLimitRequest(zorvan_recorder::Requests()[2], 50);
    EXPECT_NE(m_debug.find("Charge limit 99 is not supported"), std::string::npos) << m_debug;
}

TEST_F(SystemControllerTest, IsChargeLimitedOnlyFor75And50) {
    const struct {
        std::optional<unsigned char> answer;
        bool limited;
    } cases[] = {{0x64, false}, {0x4B, true},  {0x32, true},
                 {0x00, false}, {0xFF, false}, {std::nullopt, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer ? static_cast<int>(*c.answer) : -1);
        zorvan_recorder::Reset();
        zorvan_recorder::SetAnswer(c.answer);
        SystemController controller;
        EXPECT_EQ(controller.IsChargeLimited(), c.limited);
        ASSERT_EQ(zorvan_recorder::Requests().size(), 1u);
        ExpectQueryRequest(zorvan_recorder::Requests()[0], 0x02);
    }
}

TEST_F(SystemControllerTest, IsFullChargeActiveFollowsBitZero) {
    const struct {
        std::optional<unsigned char> answer;
        bool active;
    } cases[] = {{0x00, false}, {0x01, true}, {0x03, true},
                 {0xFE, false}, {0xFF, true}, {std::nullopt, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer ? static_cast<int>(*c.answer) : -1);
        zorvan_recorder::Reset();
        zorvan_recorder::SetAnswer(c.answer);
        SystemController controller;
        EXPECT_EQ(controller.IsFullChargeActive(), c.active);
        ASSERT_EQ(zorvan_recorder::Requests().size(), 1u);
        ExpectQueryRequest(zorvan_recorder::Requests()[0], 0x03);
    }
}

TEST_F(SystemControllerTest, SendCommandPassesItsArgumentsUnchanged) {
    const unsigned char input[] = {0x07, 0x08, 0x09};
    unsigned char output[4] = {0xAA, 0xBB, 0xCC, 0xDD};
    SystemController controller;
    controller.SendCommand(input, 3, output, 4);
    controller.SendCommand(nullptr, 0, nullptr, 0);
    ASSERT_EQ(zorvan_recorder::Requests().size(), 2u);
    const RecordedRequest& first = zorvan_recorder::Requests()[0];
    EXPECT_EQ(first.command, 'Y');
    EXPECT_EQ(first.input, (std::vector<unsigned char>{0x07, 0x08, 0x09}));
    EXPECT_EQ(first.outputLength, 4);
    EXPECT_EQ(first.outputBefore, std::optional<unsigned char>(0xAA));
    const RecordedRequest& second = zorvan_recorder::Requests()[1];
    EXPECT_TRUE(second.input.empty());
    EXPECT_EQ(second.inputLength, 0);
    EXPECT_TRUE(second.outputNull);
}

}  // namespace
