// Runs one settings operation a given number of times on a default settings file, for counting
// what it does: instructions under callgrind (collect inside the operation only) and file system
// calls under strace (everything between the "measure" and "done" markers on standard error).
//   settings-ops read|write <count>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_folder.h"
#include "diagnostics.h"
#include "ini_file.h"

namespace {
// One write straight to the descriptor, so that it stands in the strace log where it happened.
void Mark(const char* text) {
    if (::write(STDERR_FILENO, text, std::strlen(text)) < 0) std::exit(1);
}
}  // namespace

int main(int argc, char** argv) {
    const bool read = argc == 3 && std::strcmp(argv[1], "read") == 0;
    const bool write = argc == 3 && std::strcmp(argv[1], "write") == 0;
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (!(read || write) || count <= 0) {
        std::fprintf(stderr, "usage: settings-ops read|write <count>\n");
        return 2;
    }
    SetDebugSink([](const std::string&) {});
    BenchFolder folder;
    folder.WriteDefaultFile();

    Mark("measure\n");
    IniFile file;
    SettingsValues values{0, 222};
    for (int i = 0; i < count; ++i) {
        if (read) {
            file.ReadSettings(kCurrentSettingsSection, values);
        } else {
            values.dwTrayNotifyWindowOption ^= 1;
            file.WriteSettings(values, kCurrentSettingsSection);
        }
    }
    Mark("done\n");

    // Checked without ReadSettings, which callgrind would count as one more call.
    const SettingsValues expected = read ? SettingsValues{1, 111} : values;
    const std::string path = folder.SettingsFile();
    const SettingsValues back{ParseSettingNumber(IniFile::FetchValue(kNotifyOptionKey, kCurrentSettingsSection, path)),
                              ParseSettingNumber(IniFile::FetchValue(kModeKey, kCurrentSettingsSection, path))};
    if (!(back == expected)) {
        std::fprintf(stderr, "settings-ops: the file does not hold the expected values\n");
        return 1;
    }
    return 0;
}
