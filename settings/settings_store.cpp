#include <cctype>
#include <climits>
#include <string>

#include "diagnostics.h"
#include "ini_file.h"

int32_t ParseSettingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;  // enough to saturate either way
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (magnitude < kLimit) magnitude = magnitude * 10 + (text[i] - '0');
    const int64_t number = negative ? -magnitude : magnitude;
    if (number > INT32_MAX) return INT32_MAX;
    if (number < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(number);
}

namespace {

void Report(bool ok, const std::string& success, const std::string& failure) {
    DebugOutput(ok ? success : failure);
}

void StoreDefaultKeys(const std::string& section, const std::string& path) {
    Report(IniFile::StoreValue(kModeKey, "111", section, path),
           "Record dwTevraAppletModeNum was successfully created\n",
           "Failed to create the dwTevraAppletModeNum record\n");
    Report(IniFile::StoreValue(kNotifyOptionKey, "1", section, path),
           "Record dwTrayNotifyWindowOption was successfully created\n",
           "Failed to create the dwTrayNotifyWindowOption record\n");
}

// Creates the settings file with both sections holding the factory values. Each step reports
// its outcome, and the sequence goes on whatever a step returns.
void CreateDefaultFile(const std::string& path) {
    Report(IniFile::CreateEmpty(path), path, "Failed to create the " + path + " file\n");
    Report(IniFile::AppendSection(kDefaultSettingsSection, path),
           "TEVRA_DEFAULT_SETTINGS Section was successfully created\n",
           "Failed to create the TEVRA_DEFAULT_SETTINGS section\n");
    StoreDefaultKeys(kDefaultSettingsSection, path);
    IniFile::AppendSection(kCurrentSettingsSection, path);
    StoreDefaultKeys(kCurrentSettingsSection, path);
}

}  // namespace

void IniFile::ReadSettings(const std::string& sectionName, SettingsValues& values) const {
    values = SettingsValues{};
    const std::string path = SettingsFilePath();
    // Without a folder there is no file to read or create: the values read as 0.
    if (path.empty()) return;

    // Both values come from one read of the file, so they always belong together.
    std::vector<IniRecord> records;
    if (!ReadRecords(path, records)) {
        CreateDefaultFile(path);
        ReadRecords(path, records);
    }
    values.dwTevraAppletModeNum = ParseSettingNumber(ValueIn(records, kModeKey, sectionName));
    values.dwTrayNotifyWindowOption =
        ParseSettingNumber(ValueIn(records, kNotifyOptionKey, sectionName));
}

void IniFile::WriteSettings(const SettingsValues& values, const std::string& sectionName) const {
    // Both keys change in one rewrite: a reader sees the old pair or the new pair, never a mix,
    // and the file is written once.
    const std::string path = SettingsFilePath();
    std::vector<IniRecord> records;
    bool ok = !path.empty() && ReadRecords(path, records);
    if (ok) {
        StoreInRecords(records, kModeKey, std::to_string(values.dwTevraAppletModeNum), sectionName);
        StoreInRecords(records, kNotifyOptionKey, std::to_string(values.dwTrayNotifyWindowOption),
                       sectionName);
        ok = WriteRecords(path, records);
    }
    for (int key = 0; key < 2; ++key)
        Report(ok, "Record was successfully created\n", "Failed to create the record\n");
}
