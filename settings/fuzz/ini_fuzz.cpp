// libFuzzer target for the settings file reader and rewriter. Invariants checked on every input:
// reading never fails; what the engine writes reads back to the same records and is rewritten
// byte for byte; a stored value is found again and nothing else changes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ini_file.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

std::string TempPath() {
    static const std::string path = [] {
        std::string pattern = "/tmp/tevra-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) abort();
        return pattern + "/settings.ini";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::vector<IniRecord> records = IniFile::ParseRecords(input);
    const std::string written = IniFile::FormatRecords(records);
    if (IniFile::ParseRecords(written) != records) Fail("written file reads back differently");
    if (IniFile::FormatRecords(IniFile::ParseRecords(written)) != written)
        Fail("rewrite of a written file is not byte-identical");

    // The file round trip, on small inputs only: disk writes are slow.
    if (size < 2048 && size % 4 == 0) {
        const std::string path = TempPath();
        { std::ofstream(path, std::ios::binary | std::ios::trunc) << input; }
        std::vector<IniRecord> fromFile;
        if (!IniFile::ReadRecords(path, fromFile)) Fail("reading an existing file failed");
        if (fromFile != records) Fail("file and memory readers disagree");
        if (!IniFile::StoreValue("dwTevraAppletModeNum", "222", "Tevra Current Settings", path))
            Fail("storing into an existing file failed");
        if (IniFile::FetchValue("dwTevraAppletModeNum", "Tevra Current Settings", path) != "222")
            Fail("stored value not found again");
        std::vector<IniRecord> after;
        if (!IniFile::ReadRecords(path, after)) Fail("reading the rewritten file failed");
        // A store replaces a value, inserts a key, or appends a section and a key.
        if (after.size() < records.size() || after.size() - records.size() > 2)
            Fail("store changed more records than it adds");
    }
    return 0;
}
