#include "ini_file.h"

#include <string_view>

#include "file_store.h"

namespace {

constexpr std::string_view kBlanks = " \t\n\r";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Splits at LF, CR LF or a lone CR; the line ends are not part of the lines. A last line without
// a line end is a line like any other.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

bool IsRealRecord(const IniRecord& record) {
    return record.commentMark != IniRecord::kNoLine;
}

bool Matches(const IniRecord& record, const std::string& keyName, const std::string& sectionName) {
    return IsRealRecord(record) && record.section == sectionName && record.key == keyName;
}

const IniRecord* FirstMatch(const std::vector<IniRecord>& records, const std::string& keyName,
                            const std::string& sectionName) {
    for (const IniRecord& record : records)
        if (Matches(record, keyName, sectionName)) return &record;
    return nullptr;
}

IniRecord SectionRecord(const std::string& sectionName) {
    return {"", ' ', sectionName, "", ""};
}

void AppendWithCrLf(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
}

}  // namespace

std::vector<IniRecord> IniFile::ParseRecords(const std::string& bytes) {
    std::string_view content = bytes;
    // An editor's byte-order mark must not turn the first section line into something else.
    if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom) content.remove_prefix(kUtf8Bom.size());

    std::vector<IniRecord> records;
    std::string pending;
    std::string currentSection;
    for (std::string_view raw : SplitLines(content)) {
        std::string_view line = Trim(raw);
        if (line.empty()) continue;

        char mark = ' ';
        if (line.front() == '#' || line.front() == ';') {
            if (line.find_first_of("[=") == std::string_view::npos) {
                pending.append(line).append("\n");
                continue;
            }
            mark = line.front();
            line = Trim(line.substr(1));
        }

        IniRecord record;
        const size_t close = line.find(']');
        const size_t equals = line.find('=');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            record.section = std::string(line.substr(1, close - 1));
            currentSection = record.section;
        } else if (equals != std::string_view::npos && equals > 0) {
            record.section = currentSection;
            record.key = std::string(line.substr(0, equals));
            record.value = std::string(line.substr(equals + 1));
        } else {
            // No form the engine knows (no key before '=', an unclosed '[', plain text): keep the
            // line exactly as it stood so that a rewrite gives it back.
            pending.append(raw).append("\n");
            continue;
        }
        record.commentMark = mark;
        record.comments = std::move(pending);
        pending.clear();
        records.push_back(std::move(record));
    }
    if (!pending.empty()) {
        // Comment lines after the last record ride on a record that writes no line of its own.
        IniRecord trailer;
        trailer.comments = std::move(pending);
        trailer.commentMark = IniRecord::kNoLine;
        trailer.section = currentSection;
        records.push_back(std::move(trailer));
    }
    return records;
}

std::string IniFile::FormatRecords(const std::vector<IniRecord>& records) {
    std::string out;
    for (const IniRecord& record : records) {
        AppendWithCrLf(out, record.comments);
        if (!IsRealRecord(record)) continue;
        out += record.commentMark;
        if (!record.key.empty()) {
            out.append(record.key).append("=").append(record.value);
        } else {
            out.append("[").append(record.section).append("]");
        }
        out += "\r\n";
    }
    // A reader takes a leading byte-order mark for an encoding marker, not for text: when the
    // first line itself starts with one, mark the file so that the line reads back whole.
    if (std::string_view(out).substr(0, kUtf8Bom.size()) == kUtf8Bom) out.insert(0, kUtf8Bom);
    return out;
}

bool IniFile::ReadRecords(const std::string& fileName, std::vector<IniRecord>& records) {
    std::string bytes;
    if (fileName.empty() || !ReadWholeFile(fileName, bytes)) return false;
    records = ParseRecords(bytes);
    return true;
}

bool IniFile::WriteRecords(const std::string& fileName, const std::vector<IniRecord>& records) {
    if (fileName.empty()) return false;
    return ReplaceWholeFile(fileName, FormatRecords(records));
}

bool IniFile::CreateEmpty(const std::string& fileName) {
    return WriteRecords(fileName, {});
}

bool IniFile::AppendSection(const std::string& sectionName, const std::string& fileName) {
    std::vector<IniRecord> records;
    if (!ReadRecords(fileName, records)) return false;
    records.push_back(SectionRecord(sectionName));
    return WriteRecords(fileName, records);
}

void IniFile::StoreInRecords(std::vector<IniRecord>& records, const std::string& keyName,
                             const std::string& value, const std::string& sectionName) {
    for (IniRecord& record : records) {
        if (Matches(record, keyName, sectionName)) {
            record.value = value;
            return;
        }
    }
    const IniRecord newKey{"", ' ', sectionName, keyName, value};
    for (auto it = records.begin(); it != records.end(); ++it) {
        if (IsRealRecord(*it) && it->section == sectionName) {
            // Directly after the section line: the most recently added key stands first.
            records.insert(it + 1, newKey);
            return;
        }
    }
    // A trailer of closing comments stays last.
    auto end = records.end();
    if (!records.empty() && !IsRealRecord(records.back())) --end;
    end = records.insert(end, SectionRecord(sectionName));
    records.insert(end + 1, newKey);
}

bool IniFile::StoreValue(const std::string& keyName, const std::string& value,
                         const std::string& sectionName, const std::string& fileName) {
    // Every decision is taken on the one list that is written back, so a file that changes
    // between reads cannot make the rewrite touch a record that is not there.
    std::vector<IniRecord> records;
    if (!ReadRecords(fileName, records)) return false;
    StoreInRecords(records, keyName, value, sectionName);
    return WriteRecords(fileName, records);
}

std::string IniFile::ValueIn(const std::vector<IniRecord>& records, const std::string& keyName,
                             const std::string& sectionName) {
    const IniRecord* match = FirstMatch(records, keyName, sectionName);
    return match ? match->value : std::string();
}

std::vector<IniRecord> IniFile::FindRecord(const std::string& keyName,
                                           const std::string& sectionName,
                                           const std::string& fileName) {
    std::vector<IniRecord> records;
    if (!ReadRecords(fileName, records)) return {};
    if (const IniRecord* match = FirstMatch(records, keyName, sectionName)) return {*match};
    return {};
}

std::string IniFile::FetchValue(const std::string& keyName, const std::string& sectionName,
                                const std::string& fileName) {
    const std::vector<IniRecord> found = FindRecord(keyName, sectionName, fileName);
    return found.empty() ? std::string() : found.front().value;
}

bool IniFile::HasSection(const std::string& sectionName, const std::string& fileName) {
    std::vector<IniRecord> records;
    if (!ReadRecords(fileName, records)) return false;
    for (const IniRecord& record : records)
        if (IsRealRecord(record) && record.section == sectionName) return true;
    return false;
}

bool IniFile::HasRecord(const std::string& keyName, const std::string& sectionName,
                        const std::string& fileName) {
    std::vector<IniRecord> records;
    if (!ReadRecords(fileName, records)) return false;
    return FirstMatch(records, keyName, sectionName) != nullptr;
}
