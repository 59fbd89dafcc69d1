#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One element of the in-memory picture of an INI file, in file order.
struct IniRecord {
    // Comment lines that stood directly before the record, each followed by one LF. Lines of no
    // known form are kept here verbatim too, so that a rewrite never loses them.
    std::string comments;
    // ' ' for a live record, '#' or ';' for a commented-out one, kNoLine for the record that only
    // carries the comment lines after the last real record.
    char commentMark = ' ';
    std::string section;
    // Empty for a section record.
    std::string key;
    std::string value;

    static constexpr char kNoLine = '\0';

    bool operator==(const IniRecord&) const = default;
};

// The two values of one settings section.
struct SettingsValues {
    int32_t dwTrayNotifyWindowOption = 0;
    int32_t dwTevraAppletModeNum = 0;

    bool operator==(const SettingsValues&) const = default;
};

inline constexpr char kDefaultSettingsSection[] = "Tevra Default Settings";
inline constexpr char kCurrentSettingsSection[] = "Tevra Current Settings";
inline constexpr char kModeKey[] = "dwTevraAppletModeNum";
inline constexpr char kNotifyOptionKey[] = "dwTrayNotifyWindowOption";

// Reads, searches and rewrites one INI-style text file named by its full path. No state: every
// operation reads the whole file afresh, and every change rewrites it whole.
class IniFile {
public:
    virtual ~IniFile() = default;

    static bool ReadRecords(const std::string& fileName, std::vector<IniRecord>& records);
    static bool WriteRecords(const std::string& fileName, const std::vector<IniRecord>& records);
    static bool CreateEmpty(const std::string& fileName);
    static bool AppendSection(const std::string& sectionName, const std::string& fileName);
    static bool StoreValue(const std::string& keyName, const std::string& value,
                           const std::string& sectionName, const std::string& fileName);
    static std::string FetchValue(const std::string& keyName, const std::string& sectionName,
                                  const std::string& fileName);
    static std::vector<IniRecord> FindRecord(const std::string& keyName,
                                             const std::string& sectionName,
                                             const std::string& fileName);
    static bool HasSection(const std::string& sectionName, const std::string& fileName);
    static bool HasRecord(const std::string& keyName, const std::string& sectionName,
                          const std::string& fileName);

    // StoreValue's change on a list in memory: replaces the first match's value, or inserts the
    // key after its section's first record, or appends the section and the key.
    static void StoreInRecords(std::vector<IniRecord>& records, const std::string& keyName,
                               const std::string& value, const std::string& sectionName);
    // FetchValue on a list in memory.
    static std::string ValueIn(const std::vector<IniRecord>& records, const std::string& keyName,
                               const std::string& sectionName);

    // Parses file contents into records (what ReadRecords does after opening the file).
    static std::vector<IniRecord> ParseRecords(const std::string& bytes);
    // Formats records as the bytes WriteRecords puts on disk (CR LF line ends).
    static std::string FormatRecords(const std::vector<IniRecord>& records);

    // Reads sectionName of the settings file into values; creates the file with its two default
    // sections first when it cannot be read.
    void ReadSettings(const std::string& sectionName, SettingsValues& values) const;
    // Stores both values into sectionName of an existing settings file.
    void WriteSettings(const SettingsValues& values, const std::string& sectionName) const;
};

// Full path of the settings file in the machine-wide application-data folder, built afresh on
// every call; empty (and reported on the debugger output) when the folder cannot be determined.
std::string SettingsFilePath();

// Base-10 text to a signed 32-bit number with the rules of strtol: leading white space skipped,
// optional sign, digits up to the first other character, 0 when there is no number, and the
// nearest limit when the number is out of range.
int32_t ParseSettingNumber(const std::string& text);
