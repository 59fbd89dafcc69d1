#include "windows_version.h"

#include <windows.h>

namespace {

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");
static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record");

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

// Asks for the extended record first; older systems accept only the basic one, which leaves the
// product type at 0.
bool QueryVersionRecord(OSVERSIONINFOEXA& record) {
    ZeroMemory(&record, sizeof record);
    record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) return true;
    record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != FALSE;
}

// GetNativeSystemInfo exists from Windows XP on; it is looked up so that older systems can still
// run the program.
uint16_t NativeProcessorArchitecture() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "GetNativeSystemInfo") : nullptr;
    if (!proc) return kArchitectureUnknown;
    auto getNativeSystemInfo =
        reinterpret_cast<GetNativeSystemInfoFn>(reinterpret_cast<void (*)()>(proc));
    SYSTEM_INFO info{};
    getNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

}  // namespace

int GetWindowsVersionCode() {
    OSVERSIONINFOEXA record;
    if (!QueryVersionRecord(record)) return kVersionUnclassified;

    WindowsVersionInfo info;
    info.dwPlatformId = record.dwPlatformId;
    info.dwMajorVersion = record.dwMajorVersion;
    info.dwMinorVersion = record.dwMinorVersion;
    info.strCSDVersion.assign(record.szCSDVersion,
                              strnlen(record.szCSDVersion, sizeof record.szCSDVersion));
    info.wProductType = record.wProductType;
    info.wProcessorArchitecture = NativeProcessorArchitecture();
    if (record.dwMajorVersion == 5 && record.dwMinorVersion == 2) {
        info.bServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    }
    return ClassifyWindowsVersion(info);
}
