// Stands in for the settings applet Tevra.cpl in the end-to-end tests of the tray program: each
// time a host loads it, it appends one line "<host program>|<host command line>" to the file
// beside itself named like itself plus ".launches", then refuses to start (CPL_INIT answers 0),
// so that the host ends at once without showing anything.
#include <windows.h>
#include <cpl.h>

#include <cstdio>
#include <string>

namespace {

HMODULE g_module = nullptr;

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

void RecordLaunch() {
    const std::string log = ModulePath(g_module) + ".launches";
    if (FILE* file = std::fopen(log.c_str(), "ab")) {
        std::fprintf(file, "%s|%s\n", ModulePath(nullptr).c_str(), GetCommandLineA());
        std::fclose(file);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) LONG APIENTRY
    CPlApplet(HWND /*hWnd*/, UINT message, LPARAM /*lParam1*/, LPARAM /*lParam2*/) {
    if (message == CPL_INIT) {
        RecordLaunch();
        return 0;
    }
    return 0;
}
