#include "windows_version_code.h"

namespace {

constexpr uint32_t kPlatformWin9x = 1;
constexpr uint32_t kPlatformNt = 2;
constexpr uint8_t kWorkstation = 1;

// Windows 95 and 98 mark their second editions by a letter after a blank in the service-pack
// text (" C" for OSR2, " A" for Second Edition).
char ServicePackLetter(const WindowsVersionInfo& info) {
    return info.strCSDVersion.size() > 1 ? info.strCSDVersion[1] : '\0';
}

int ClassifyWin9x(const WindowsVersionInfo& info) {
    if (info.dwMajorVersion != 4) return kVersionUnclassified;
    switch (info.dwMinorVersion) {
        case 0:
            return ServicePackLetter(info) == 'C' ? 2 : 1;
        case 10:
            return ServicePackLetter(info) == 'A' ? 4 : 3;
        case 90:
            return 5;
        default:
            return kVersionUnclassified;
    }
}

int ClassifyNt5(const WindowsVersionInfo& info) {
    const bool x64 = info.wProcessorArchitecture == kArchitectureX64;
    switch (info.dwMinorVersion) {
        case 0:
            return 6;
        case 1:
            return kVersionXp;
        case 2:
            if (info.bServerR2) return 10;
            if (info.wProductType == kWorkstation && x64) return kVersionXpX64;
            return 9;
        default:
            return kVersionUnclassified;
    }
}

int ClassifyNt6(const WindowsVersionInfo& info) {
    if (info.dwMinorVersion != 0) return kVersionUnclassified;
    const bool x64 = info.wProcessorArchitecture == kArchitectureX64;
    const bool ia64 = info.wProcessorArchitecture == kArchitectureIa64;
    if (info.wProductType == kWorkstation) {
        return x64 ? kVersionVistaX64 : ia64 ? 13 : kVersionVistaX86;
    }
    return x64 ? 15 : ia64 ? 16 : 14;
}

}  // namespace

int ClassifyWindowsVersion(const WindowsVersionInfo& info) {
    if (info.dwPlatformId == kPlatformWin9x) return ClassifyWin9x(info);
    if (info.dwPlatformId != kPlatformNt) return kVersionUnclassified;
    if (info.dwMajorVersion <= 4) return 0;
    if (info.dwMajorVersion == 5) return ClassifyNt5(info);
    if (info.dwMajorVersion == 6) return ClassifyNt6(info);
    return kVersionUnclassified;
}
