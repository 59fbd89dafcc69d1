// A Control Panel host of our own for the end-to-end tests: loads an applet and calls its
// CPlApplet directly. Texts are printed as hex of their UTF-8 bytes.
//   cpl-host entry <applet>      exports, the answer to every message but CPL_DBLCLK, the CPLINFO
//                                records, strings 2 and 6, icon group 3002, dialog template 3000
//                                and manifest 2 as the applet's resources hold them
//   cpl-host open <applet> <n>   n times CPL_DBLCLK with a window of the host as the Control
//                                Panel's window; after each, the host's thread count and whether
//                                the event "TevraCPLCloseEvent" is still open anywhere
//   cpl-host record <file> <arg> writes arg to file: a stand-in handler for a document type, so
//                                that a test sees what the shell was asked to open
// Exit 0 on success, 1 when the applet cannot be loaded, 2 for a wrong command.
#include <windows.h>
#include <cpl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The bytes and size of a resource of the module, or null when there is none.
const void* ResourceData(HMODULE module, WORD id, WORD type, DWORD* size = nullptr) {
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (size) *size = loaded ? SizeofResource(module, found) : 0;
    return loaded ? LockResource(loaded) : nullptr;
}

using AppletProc = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);

int Usage() {
    std::fprintf(stderr,
                 "usage: cpl-host entry <applet> | open <applet> <times> | record <file> <arg>\n");
    return 2;
}

std::wstring Wide(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Hex(const wchar_t* text, int length) {
    if (length <= 0) return "-";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    std::string hex;
    char byte[3];
    for (const unsigned char c : utf8) {
        std::snprintf(byte, sizeof(byte), "%02x", c);
        hex += byte;
    }
    return hex;
}

// The names the module exports, from its export directory.
void PrintExports(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.Size == 0) return;
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    std::printf("exports %lu functions %lu\n", static_cast<unsigned long>(exports->NumberOfNames),
                static_cast<unsigned long>(exports->NumberOfFunctions));
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        std::printf("export %s\n", reinterpret_cast<const char*>(base + names[i]));
}

// Reads a string-or-ordinal field of a dialog template and moves past it.
std::string ReadField(const WORD*& p) {
    if (*p == 0xFFFF) {
        char ordinal[16];
        std::snprintf(ordinal, sizeof(ordinal), "#%u", p[1]);
        p += 2;
        return ordinal;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(p);
    const int length = static_cast<int>(wcslen(text));
    p += length + 1;
    return Hex(text, length);
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR{3});
}

// Prints the template as stored:
//   dialog style <hex> exstyle <hex> rect <x> <y> <cx> <cy> menu <f> class <f> caption <f>
//          font <points> <f> items <n>
//   item <id> class <f> style <hex> exstyle <hex> rect <x> <y> <cx> <cy> text <f>
// where <f> is the hex of a text, "-" for an empty one, or #<ordinal>.
void PrintTemplate(HMODULE module) {
    // Type 5: dialog templates.
    const auto* dialog = static_cast<const DLGTEMPLATE*>(ResourceData(module, 3000, 5));
    if (!dialog) {
        std::printf("dialog missing\n");
        return;
    }
    if (reinterpret_cast<const WORD*>(dialog)[1] == 0xFFFF) {
        std::printf("dialog extended\n");
        return;
    }
    const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
    const std::string menu = ReadField(p);
    const std::string windowClass = ReadField(p);
    const std::string caption = ReadField(p);
    std::string font = "none";
    if (dialog->style & DS_SETFONT) {
        const WORD points = *p++;
        font = std::to_string(points) + " " + ReadField(p);
    }
    std::printf(
        "dialog style %08lx exstyle %08lx rect %d %d %d %d menu %s class %s caption %s "
        "font %s items %u\n",
        static_cast<unsigned long>(dialog->style),
        static_cast<unsigned long>(dialog->dwExtendedStyle), dialog->x, dialog->y, dialog->cx,
        dialog->cy, menu.c_str(), windowClass.c_str(), caption.c_str(), font.c_str(), dialog->cdit);
    for (WORD i = 0; i < dialog->cdit; ++i) {
        p = AlignDword(p);
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        p = reinterpret_cast<const WORD*>(item + 1);
        const std::string itemClass = ReadField(p);
        const std::string text = ReadField(p);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        std::printf("item %u class %s style %08lx exstyle %08lx rect %d %d %d %d text %s\n",
                    item->id, itemClass.c_str(), static_cast<unsigned long>(item->style),
                    static_cast<unsigned long>(item->dwExtendedStyle), item->x, item->y, item->cx,
                    item->cy, text.c_str());
    }
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bits;
    DWORD size;
    WORD id;
};
#pragma pack(pop)

// icon <n> images, then "image <width> <bits>" for each image of icon group 3002 (type 14).
void PrintIconGroup(HMODULE module) {
    const auto* header = static_cast<const WORD*>(ResourceData(module, 3002, 14));
    if (!header) {
        std::printf("icon missing\n");
        return;
    }
    const WORD count = header[2];
    std::printf("icon %u images\n", count);
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 3);
    for (WORD i = 0; i < count; ++i)
        std::printf("image %d %u\n", entries[i].width == 0 ? 256 : entries[i].width,
                    entries[i].bits);
}

// manifest <hex of the bytes of manifest resource 2 (type 24)>
void PrintManifest(HMODULE module) {
    DWORD size = 0;
    const auto* bytes = static_cast<const unsigned char*>(ResourceData(module, 2, 24, &size));
    if (!bytes) {
        std::printf("manifest missing\n");
        return;
    }
    std::string hex;
    char byte[3];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof(byte), "%02x", bytes[i]);
        hex += byte;
    }
    std::printf("manifest %s\n", hex.c_str());
}

int Entry(const char* path) {
    const HMODULE module = LoadLibraryW(Wide(path).c_str());
    const auto applet = module ? reinterpret_cast<AppletProc>(
                                     reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")))
                               : nullptr;
    if (!applet) {
        std::fprintf(stderr, "cpl-host: cannot load %s (%lu)\n", path, GetLastError());
        return 1;
    }
    PrintExports(module);
    // Every message of the protocol but CPL_DBLCLK, in the order a Control Panel sends them,
    // then a few that no host sends.
    const UINT messages[] = {CPL_INIT,
                             CPL_GETCOUNT,
                             CPL_NEWINQUIRE,
                             CPL_STARTWPARMSA,
                             CPL_STARTWPARMSW,
                             CPL_SELECT,
                             CPL_SETUP,
                             0,
                             11,
                             0xFFFF,
                             CPL_STOP,
                             CPL_EXIT};
    for (const UINT message : messages)
        std::printf("answer %u %ld\n", message, applet(nullptr, message, 0, 0));
    for (const LPARAM index : {0, 1, 7}) {
        // Filled with a pattern first, so that every field the applet leaves shows.
        CPLINFO info;
        std::memset(&info, 0xAB, sizeof(info));
        const LONG answer = applet(nullptr, CPL_INQUIRE, index, reinterpret_cast<LPARAM>(&info));
        std::printf("inquire %ld answer %ld icon %d name %d info %d data %lld\n",
                    static_cast<long>(index), answer, info.idIcon, info.idName, info.idInfo,
                    static_cast<long long>(info.lData));
    }
    for (const UINT id : {2u, 6u}) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        std::printf("string %u %s\n", id, Hex(text, length).c_str());
    }
    PrintIconGroup(module);
    PrintTemplate(module);
    PrintManifest(module);
    FreeLibrary(module);
    return 0;
}

int CountThreads() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

bool CloseEventExists() {
    const HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, "TevraCPLCloseEvent");
    if (!event) return false;
    CloseHandle(event);
    return true;
}

int Open(const char* path, int times) {
    const HMODULE module = LoadLibraryW(Wide(path).c_str());
    const auto applet = module ? reinterpret_cast<AppletProc>(
                                     reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")))
                               : nullptr;
    if (!applet) {
        std::fprintf(stderr, "cpl-host: cannot load %s (%lu)\n", path, GetLastError());
        return 1;
    }
    // The window a Control Panel would pass; the dialog must not take it as its owner.
    const HWND host = CreateWindowExW(0, L"Static", L"cpl-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    applet(host, CPL_INIT, 0, 0);
    applet(host, CPL_GETCOUNT, 0, 0);
    std::printf("before threads %d event %d\n", CountThreads(), CloseEventExists() ? 1 : 0);
    std::fflush(stdout);
    for (int i = 1; i <= times; ++i) {
        const LONG answer = applet(host, CPL_DBLCLK, 0, 0);
        std::printf("dblclk %d answer %ld threads %d event %d\n", i, answer, CountThreads(),
                    CloseEventExists() ? 1 : 0);
        std::fflush(stdout);
    }
    applet(host, CPL_STOP, 0, 0);
    applet(host, CPL_EXIT, 0, 0);
    DestroyWindow(host);
    FreeLibrary(module);
    return 0;
}

int Record(const char* file, const char* argument) {
    FILE* out = std::fopen(file, "w");
    if (!out) return 1;
    std::fprintf(out, "%s\n", argument);
    return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "entry" && argc == 3) return Entry(argv[2]);
    if (command == "open" && argc == 4) return Open(argv[2], std::atoi(argv[3]));
    if (command == "record" && argc == 4) return Record(argv[2], argv[3]);
    return Usage();
}
