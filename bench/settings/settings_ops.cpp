// Runs one operation on a default settings file a given number of times, for counting what it
// does: instructions under callgrind (collected inside the operation only) and file system calls
// under strace (those between the "measure" and "done" markers on standard error).
//   settings-ops <operation> <count>
// Operations: read (ReadSettings), write (WriteSettings), and the references read-file (one
// whole-file read) and replace-file (one whole-file rewrite).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "bench_folder.h"
#include "diagnostics.h"
#include "file_store.h"
#include "ini_file.h"

namespace {

// One write straight to the descriptor, so that it stands in the strace log where it happened.
void Mark(const char* text) {
    if (::write(STDERR_FILENO, text, std::strlen(text)) < 0) std::exit(1);
}

// Read back without the engine, which callgrind would count again.
std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string operation = argc == 3 ? argv[1] : "";
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if ((operation != "read" && operation != "write" && operation != "read-file" &&
         operation != "replace-file") ||
        count <= 0) {
        std::fprintf(stderr, "usage: settings-ops read|write|read-file|replace-file <count>\n");
        return 2;
    }
    SetDebugSink([](const std::string&) {});
    BenchFolder folder;
    folder.WriteDefaultFile();
    const std::string path = folder.SettingsFile();
    const std::string original = FileBytes(path);

    IniFile file;
    SettingsValues values{0, 222};
    std::string bytes;
    bool ok = true;
    Mark("measure\n");
    for (int i = 0; i < count; ++i) {
        if (operation == "read") {
            file.ReadSettings(kCurrentSettingsSection, values);
        } else if (operation == "write") {
            values.dwTrayNotifyWindowOption ^= 1;
            file.WriteSettings(values, kCurrentSettingsSection);
        } else if (operation == "read-file") {
            ok = ReadWholeFile(path, bytes) && ok;
        } else {
            ok = ReplaceWholeFile(path, original) && ok;
        }
    }
    Mark("done\n");

    // The operation must have done its work, or its figures mean nothing.
    const std::string after = FileBytes(path);
    if (operation == "read") {
        ok = ok && values == SettingsValues{1, 111} && after == original;
    } else if (operation == "write") {
        const std::string expected = std::string(" dwTrayNotifyWindowOption=") +
                                     std::to_string(values.dwTrayNotifyWindowOption) +
                                     "\r\n dwTevraAppletModeNum=222\r\n";
        ok = ok && after.size() > expected.size() &&
             after.compare(after.size() - expected.size(), expected.size(), expected) == 0;
    } else if (operation == "read-file") {
        ok = ok && bytes == original;
    } else {
        ok = ok && after == original;
    }
    if (!ok) {
        std::fprintf(stderr, "settings-ops: %s did not do its work\n", operation.c_str());
        return 1;
    }
    return 0;
}
