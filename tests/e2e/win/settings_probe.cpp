// Drives the settings store from inside Wine for the end-to-end tests:
//   settings-probe read <section>               prints "option mode" as ReadSettings gives them
//   settings-probe write <section> <opt> <mode> stores both values with WriteSettings
//   settings-probe path                         prints SettingsFilePath()
// Every diagnostic line is echoed to standard error as well, prefixed with "debug: ".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diagnostics.h"
#include "ini_file.h"

int main(int argc, char** argv) {
    SetDebugSink(
        [](const std::string& text) { std::fprintf(stderr, "debug: %s\n", text.c_str()); });
    const std::string command = argc > 1 ? argv[1] : "";
    IniFile file;
    if (command == "path") {
        std::printf("%s\n", SettingsFilePath().c_str());
        return 0;
    }
    if (command == "read" && argc == 3) {
        SettingsValues values;
        file.ReadSettings(argv[2], values);
        std::printf("%d %d\n", static_cast<int>(values.dwTrayNotifyWindowOption),
                    static_cast<int>(values.dwTevraAppletModeNum));
        return 0;
    }
    if (command == "write" && argc == 5) {
        SettingsValues values;
        values.dwTrayNotifyWindowOption = std::atoi(argv[3]);
        values.dwTevraAppletModeNum = std::atoi(argv[4]);
        file.WriteSettings(values, argv[2]);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: settings-probe path | read <section> | write <section> <option> <mode>\n");
    return 2;
}
