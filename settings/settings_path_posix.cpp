#include <cstdlib>

#include "ini_file.h"

// Hosts without the Windows shell keep the file in the machine-wide data folder; the environment
// can point it elsewhere (the tests use a temporary folder).
std::string SettingsFilePath() {
    const char* folder = std::getenv("TEVRA_COMMON_APPDATA");
    return std::string(folder && *folder ? folder : "/var/lib/tevra") + "/TevraSettings.ini";
}
