#include <windows.h>
#include <shlobj.h>

#include "diagnostics.h"
#include "ini_file.h"

std::string SettingsFilePath() {
    char folder[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
        folder[0] == '\0') {
        DebugOutput("Cannot determine the common application data folder\n");
        return {};
    }
    return std::string(folder) + "\\TevraSettings.ini";
}
