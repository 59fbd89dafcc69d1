#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "diagnostics.h"
#include "ini_file.h"
#include "temp_folder.h"

namespace {

const std::string kDefaultFile =
    " [Tevra Default Settings]\r\n"
    " dwTrayNotifyWindowOption=1\r\n"
    " dwTevraAppletModeNum=111\r\n"
    " [Tevra Current Settings]\r\n"
    " dwTrayNotifyWindowOption=1\r\n"
    " dwTevraAppletModeNum=111\r\n";

TEST(SettingNumber, ReadsLikeStrtolIntoThirtyTwoBits) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"222", 222},
        {"222a", 222},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+7", 7},
        {" \t\v\f\r\n42", 42},
        {"4 2", 4},
        {"- 5", 0},
        {"--5", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999", INT32_MAX},
        {"0x1F", 0},
        {"007", 7}};
    for (const auto& [text, number] : cases) EXPECT_EQ(ParseSettingNumber(text), number) << text;
}

// The settings folder is a temporary one; every diagnostic line is collected.
class SettingsStore : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.File("TevraSettings.ini");
    std::vector<std::string> messages;
    IniFile file;

    void SetUp() override {
        ::setenv("TEVRA_COMMON_APPDATA", folder.Path().c_str(), 1);
        m_previous = SetDebugSink([this](const std::string& text) { messages.push_back(text); });
    }
    void TearDown() override {
        SetDebugSink(m_previous);
        ::unsetenv("TEVRA_COMMON_APPDATA");
    }

    void Put(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Get() {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    SettingsValues Read(const std::string& section) {
        SettingsValues values{-9, -9};
        file.ReadSettings(section, values);
        return values;
    }

private:
    DebugSink m_previous;
};

TEST_F(SettingsStore, PathIsTheFolderAndFileName) {
    EXPECT_EQ(SettingsFilePath(), path);
}

TEST_F(SettingsStore, FirstReadCreatesTheDefaultFileAndReportsEachStep) {
    EXPECT_EQ(Read(kCurrentSettingsSection), (SettingsValues{1, 111}));
    EXPECT_EQ(Get(), kDefaultFile);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            path, "TEVRA_DEFAULT_SETTINGS Section was successfully created\n",
                            "Record dwTevraAppletModeNum was successfully created\n",
                            "Record dwTrayNotifyWindowOption was successfully created\n",
                            "Record dwTevraAppletModeNum was successfully created\n",
                            "Record dwTrayNotifyWindowOption was successfully created\n"}));

    messages.clear();
    EXPECT_EQ(Read(kDefaultSettingsSection), (SettingsValues{1, 111}));
    EXPECT_TRUE(messages.empty()) << "an existing file is only read";
}

TEST_F(SettingsStore, FileIsCreatedAgainAfterItWasDeleted) {
    Read(kCurrentSettingsSection);
    file.WriteSettings({0, 333}, kCurrentSettingsSection);
    std::filesystem::remove(path);
    EXPECT_EQ(Read(kCurrentSettingsSection), (SettingsValues{1, 111}));
    EXPECT_EQ(Get(), kDefaultFile);
}

TEST_F(SettingsStore, ExistingFileIsUsedAsItIs) {
    const std::vector<std::pair<std::string, SettingsValues>> cases = {
        {"", {0, 0}},
        {" [tevra current settings]\r\n dwTevraAppletModeNum=222\r\n", {0, 0}},
        {" [Tevra Current Settings]\r\n dwTevraAppletModeNum=222x\r\n"
         " dwTrayNotifyWindowOption=abc\r\n",
         {0, 222}},
        {"[Tevra Current Settings]\ndwTevraAppletModeNum=-5\ndwTrayNotifyWindowOption=2\n",
         {2, -5}},
        {"\xEF\xBB\xBF[Tevra Current Settings]\ndwTevraAppletModeNum=333\n", {0, 333}},
    };
    for (const auto& [bytes, values] : cases) {
        Put(bytes);
        EXPECT_EQ(Read(kCurrentSettingsSection), values) << bytes;
        EXPECT_EQ(Get(), bytes) << "the file is never repaired";
    }
}

TEST_F(SettingsStore, DefaultSectionKeepsFactoryValues) {
    Read(kCurrentSettingsSection);
    file.WriteSettings({0, 333}, kCurrentSettingsSection);
    EXPECT_EQ(Read(kDefaultSettingsSection), (SettingsValues{1, 111}));
    EXPECT_EQ(Read(kCurrentSettingsSection), (SettingsValues{0, 333}));
}

TEST_F(SettingsStore, WriteChangesOnlyTheTwoValuesInPlace) {
    Read(kCurrentSettingsSection);
    messages.clear();
    file.WriteSettings({0, 222}, kCurrentSettingsSection);
    EXPECT_EQ(Get(),
              " [Tevra Default Settings]\r\n dwTrayNotifyWindowOption=1\r\n"
              " dwTevraAppletModeNum=111\r\n [Tevra Current Settings]\r\n"
              " dwTrayNotifyWindowOption=0\r\n dwTevraAppletModeNum=222\r\n");
    EXPECT_EQ(messages, (std::vector<std::string>{"Record was successfully created\n",
                                                  "Record was successfully created\n"}));
}

TEST_F(SettingsStore, WriteAddsMissingKeysAndSection) {
    Put("; kept\r\n");
    file.WriteSettings({1, 333}, kCurrentSettingsSection);
    EXPECT_EQ(Get(),
              " [Tevra Current Settings]\r\n dwTrayNotifyWindowOption=1\r\n"
              " dwTevraAppletModeNum=333\r\n; kept\r\n");
    file.WriteSettings({INT32_MIN, -1}, kCurrentSettingsSection);
    EXPECT_EQ(Read(kCurrentSettingsSection), (SettingsValues{INT32_MIN, -1}));
}

TEST_F(SettingsStore, WriteDoesNotCreateAMissingFile) {
    file.WriteSettings({1, 222}, kCurrentSettingsSection);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(messages, (std::vector<std::string>{"Failed to create the record\n",
                                                  "Failed to create the record\n"}));
}

TEST_F(SettingsStore, UnwritableFolderReadsZeroAndReportsEveryStep) {
    ::setenv("TEVRA_COMMON_APPDATA", folder.File("no/such/folder").c_str(), 1);
    const std::string missing = folder.File("no/such/folder") + "/TevraSettings.ini";
    EXPECT_EQ(Read(kCurrentSettingsSection), (SettingsValues{0, 0}));
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Failed to create the " + missing + " file\n",
                                        "Failed to create the TEVRA_DEFAULT_SETTINGS section\n",
                                        "Failed to create the dwTevraAppletModeNum record\n",
                                        "Failed to create the dwTrayNotifyWindowOption record\n",
                                        "Failed to create the dwTevraAppletModeNum record\n",
                                        "Failed to create the dwTrayNotifyWindowOption record\n"}));
}

}  // namespace
