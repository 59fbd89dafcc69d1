#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

// A fresh settings folder under the current directory (on the disk the benchmark runs from, as a
// real settings file would be, rather than a memory-backed /tmp), made the settings folder of
// this process and removed with everything in it.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::current_path() / "tevra-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        ::setenv("TEVRA_COMMON_APPDATA", m_path.c_str(), 1);
    }
    ~BenchFolder() {
        ::unsetenv("TEVRA_COMMON_APPDATA");
        std::filesystem::remove_all(m_path);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string SettingsFile() const { return m_path + "/TevraSettings.ini"; }

    // The file as the programs create it on first use.
    void WriteDefaultFile() const {
        std::ofstream(SettingsFile(), std::ios::binary | std::ios::trunc)
            << " [Tevra Default Settings]\r\n"
               " dwTrayNotifyWindowOption=1\r\n"
               " dwTevraAppletModeNum=111\r\n"
               " [Tevra Current Settings]\r\n"
               " dwTrayNotifyWindowOption=1\r\n"
               " dwTevraAppletModeNum=111\r\n";
    }

private:
    std::string m_path;
};
