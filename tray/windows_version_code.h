#pragma once

#include <cstdint>
#include <string>

// The Windows release as one small signed integer, the version code. The programs act on the XP
// family (7, 8) and on Vista workstations (11, 12); every other code, including
// kVersionUnclassified, takes the path meant for any other release.
constexpr int kVersionUnclassified = -1;
constexpr int kVersionXp = 7;
constexpr int kVersionXpX64 = 8;
constexpr int kVersionVistaX86 = 11;
constexpr int kVersionVistaX64 = 12;

inline bool IsXpFamily(int code) {
    return code == kVersionXp || code == kVersionXpX64;
}
inline bool IsVistaWorkstation(int code) {
    return code == kVersionVistaX86 || code == kVersionVistaX64;
}

constexpr uint16_t kArchitectureIa64 = 6;
constexpr uint16_t kArchitectureX64 = 9;
// Used when the processor is unknown (no GetNativeSystemInfo): neither x64 nor IA-64.
constexpr uint16_t kArchitectureUnknown = 0xFFFF;

// What the platform tells about its release, as GetVersionEx, GetNativeSystemInfo and the
// SM_SERVERR2 metric report it.
struct WindowsVersionInfo {
    uint32_t dwPlatformId = 0;  // 1: Windows 95/98/Me, 2: Windows NT
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    std::string strCSDVersion;  // service-pack text
    uint8_t wProductType = 0;   // 1: workstation; 0 when only the basic record was available
    uint16_t wProcessorArchitecture = kArchitectureUnknown;
    bool bServerR2 = false;  // SM_SERVERR2 is not 0
};

// The version code of a release; the first matching rule wins.
int ClassifyWindowsVersion(const WindowsVersionInfo& info);
