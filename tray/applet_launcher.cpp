#include "applet_launcher.h"

#include <windows.h>

#include <string>
#include <vector>

#include "applet_command.h"
#include "diagnostics.h"
#include "unique_handle.h"

namespace {

// Asks a platform function for a folder, with a buffer as large as it says it needs.
template <typename Getter>
std::string GetFolder(Getter getter) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const UINT length = getter(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

template <typename Function>
Function LookUp(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    if (!handle) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

// A 32-bit program on 64-bit Windows. IsWow64Process is missing before Windows XP SP2, where
// there is no 64-bit Windows to run on.
bool IsWow64() {
    using Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = LookUp<Function>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

LauncherFacts GatherFacts() {
    LauncherFacts facts;
    facts.systemDirectory = GetFolder(GetSystemDirectoryA);
    facts.windowsDirectory = GetFolder(GetSystemWindowsDirectoryA);
    facts.bWow64 = IsWow64();
    if (facts.bWow64 && !facts.windowsDirectory.empty()) {
        const std::string launcher = facts.windowsDirectory + "\\Sysnative\\rundll32.exe";
        facts.bSysnativeFound = GetFileAttributesA(launcher.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    return facts;
}

// Switches file-system redirection off for this thread while it lives (only where asked for).
class RedirectionOff {
public:
    explicit RedirectionOff(bool bWanted) {
        if (!bWanted) return;
        using Disable = BOOL(WINAPI*)(PVOID*);
        const auto disable = LookUp<Disable>("kernel32.dll", "Wow64DisableWow64FsRedirection");
        m_bActive = disable && disable(&m_oldValue);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;
    ~RedirectionOff() {
        if (!m_bActive) return;
        using Revert = BOOL(WINAPI*)(PVOID);
        const auto revert = LookUp<Revert>("kernel32.dll", "Wow64RevertWow64FsRedirection");
        if (revert) revert(m_oldValue);
    }

private:
    PVOID m_oldValue = nullptr;
    bool m_bActive = false;
};

}  // namespace

bool StartSettingsApplet() {
    const LauncherFacts facts = GatherFacts();
    const LauncherPlacement placement = ChooseLauncherFolder(facts);
    const auto command = BuildAppletCommand(placement.folder, facts.systemDirectory);
    if (!command) {
        DebugOutput("CreateProcess failed: no usable system folder.\n");
        return false;
    }

    // CreateProcess may write into the command line.
    std::vector<char> commandLine(command->commandLine.begin(), command->commandLine.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    BOOL started = FALSE;
    DWORD error = 0;
    {
        const RedirectionOff redirection(placement.bRedirectionOff);
        started = CreateProcessA(command->applicationName.c_str(), commandLine.data(), nullptr,
                                 nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        error = GetLastError();
    }
    if (!started) {
        DebugOutput("CreateProcess failed (" + std::to_string(error) + ").\n");
        return false;
    }
    // The applet runs on its own; no handle to it is kept.
    const UniqueHandle thread(process.hThread);
    const UniqueHandle child(process.hProcess);
    return true;
}
