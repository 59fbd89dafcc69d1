#include <gtest/gtest.h>

#include "windows_version_code.h"

namespace {

constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kDomainController = 2;
constexpr uint8_t kServer = 3;
constexpr uint8_t kBasicRecord = 0;  // product type when only the basic record was available
constexpr uint16_t kX86 = 0;
constexpr uint16_t kNone = kArchitectureUnknown;

struct VersionCase {
    const char* release;
    WindowsVersionInfo info;
    int code;
};

WindowsVersionInfo Version(uint32_t platform, uint32_t major, uint32_t minor,
                           const char* servicePack = "", uint8_t productType = kWorkstation,
                           uint16_t architecture = kX86, bool serverR2 = false) {
    WindowsVersionInfo info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.strCSDVersion = servicePack;
    info.wProductType = productType;
    info.wProcessorArchitecture = architecture;
    info.bServerR2 = serverR2;
    return info;
}

TEST(WindowsVersionCode, ClassifiesEveryRelease) {
    const VersionCase cases[] = {
        // Windows 95, 98 and Me: the edition letter is the second character of the service pack.
        {"95 OSR2", Version(1, 4, 0, " C"), 2},
        {"95 OSR2, other first character", Version(1, 4, 0, "xC"), 2},
        {"95", Version(1, 4, 0, ""), 1},
        {"95 OSR1", Version(1, 4, 0, " B"), 1},
        {"95, letter in first place only", Version(1, 4, 0, "C"), 1},
        {"95, lower-case letter", Version(1, 4, 0, " c"), 1},
        {"98 SE", Version(1, 4, 10, " A"), 4},
        {"98", Version(1, 4, 10, ""), 3},
        {"98, other letter", Version(1, 4, 10, " C"), 3},
        {"Me", Version(1, 4, 90, ""), 5},
        {"Me, letter ignored", Version(1, 4, 90, " A"), 5},
        {"9x, other minor", Version(1, 4, 3), -1},
        {"9x, other major", Version(1, 5, 0), -1},
        {"9x, major 3", Version(1, 3, 95), -1},
        // NT 4 and older.
        {"NT 4", Version(2, 4, 0, "Service Pack 6"), 0},
        {"NT 3.51", Version(2, 3, 51), 0},
        {"NT 4 server on x64", Version(2, 4, 0, "", kServer, kArchitectureX64), 0},
        // The 5.x family.
        {"2000", Version(2, 5, 0), 6},
        {"2000 server", Version(2, 5, 0, "", kServer), 6},
        {"XP", Version(2, 5, 1, "Service Pack 3"), 7},
        {"XP, x64 processor", Version(2, 5, 1, "", kWorkstation, kArchitectureX64), 7},
        {"Server 2003 R2", Version(2, 5, 2, "", kServer, kX86, true), 10},
        {"Server 2003 R2 x64", Version(2, 5, 2, "", kServer, kArchitectureX64, true), 10},
        {"5.2 workstation x64 with R2 set",
         Version(2, 5, 2, "", kWorkstation, kArchitectureX64, true), 10},
        {"XP x64", Version(2, 5, 2, "", kWorkstation, kArchitectureX64), 8},
        {"5.2 workstation x86", Version(2, 5, 2, "", kWorkstation, kX86), 9},
        {"5.2 workstation IA-64", Version(2, 5, 2, "", kWorkstation, kArchitectureIa64), 9},
        {"5.2 workstation, no processor info", Version(2, 5, 2, "", kWorkstation, kNone), 9},
        {"5.2 basic record on x64", Version(2, 5, 2, "", kBasicRecord, kArchitectureX64), 9},
        {"Server 2003", Version(2, 5, 2, "", kServer, kX86), 9},
        {"Server 2003 x64", Version(2, 5, 2, "", kServer, kArchitectureX64), 9},
        {"5.3", Version(2, 5, 3), -1},
        {"5.3 with R2 set", Version(2, 5, 3, "", kServer, kX86, true), -1},
        // Vista and Server 2008.
        {"Vista x64", Version(2, 6, 0, "", kWorkstation, kArchitectureX64), 12},
        {"Vista IA-64", Version(2, 6, 0, "", kWorkstation, kArchitectureIa64), 13},
        {"Vista x86", Version(2, 6, 0, "", kWorkstation, kX86), 11},
        {"Vista, no processor info", Version(2, 6, 0, "", kWorkstation, kNone), 11},
        {"Server 2008 x64", Version(2, 6, 0, "", kServer, kArchitectureX64), 15},
        {"Server 2008 IA-64", Version(2, 6, 0, "", kServer, kArchitectureIa64), 16},
        {"Server 2008 x86", Version(2, 6, 0, "", kServer, kX86), 14},
        {"Server 2008, no processor info", Version(2, 6, 0, "", kServer, kNone), 14},
        {"6.0 domain controller x64", Version(2, 6, 0, "", kDomainController, kArchitectureX64),
         15},
        {"6.0 basic record", Version(2, 6, 0, "", kBasicRecord, kArchitectureX64), 15},
        {"6.0, R2 metric ignored", Version(2, 6, 0, "", kWorkstation, kX86, true), 11},
        // Everything later is not classified.
        {"7 (and Wine)", Version(2, 6, 1, "Service Pack 1", kWorkstation, kArchitectureX64), -1},
        {"8", Version(2, 6, 2), -1},
        {"8.1", Version(2, 6, 3), -1},
        {"10", Version(2, 10, 0, "", kWorkstation, kArchitectureX64), -1},
        {"major 7", Version(2, 7, 0), -1},
        // Other platforms.
        {"Win32s", Version(0, 3, 10), -1},
        {"CE", Version(3, 5, 0), -1},
        {"unknown platform like XP", Version(4, 5, 1), -1},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(ClassifyWindowsVersion(c.info), c.code) << c.release;
    }
}

}  // namespace
