#include "applet_command.h"

namespace {

bool IsUsablePath(const std::string& path) {
    if (path.empty()) return false;
    for (const char c : path) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

std::string JoinPath(const std::string& folder, const char* name) {
    // A root folder ("C:\") already ends in its separator.
    if (folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + '\\' + name;
}

std::string Quoted(const std::string& path) {
    return '"' + path + '"';
}

}  // namespace

LauncherPlacement ChooseLauncherFolder(const LauncherFacts& facts) {
    if (!facts.bWow64) return {facts.systemDirectory, false};
    if (facts.bSysnativeFound) return {JoinPath(facts.windowsDirectory, "Sysnative"), false};
    return {facts.systemDirectory, true};
}

std::optional<AppletCommand> BuildAppletCommand(const std::string& launcherFolder,
                                                const std::string& systemDirectory) {
    if (!IsUsablePath(launcherFolder) || !IsUsablePath(systemDirectory)) return std::nullopt;
    AppletCommand command;
    command.applicationName = JoinPath(launcherFolder, "rundll32.exe");
    command.commandLine = Quoted(command.applicationName) + " shell32.dll,Control_RunDLL " +
                          Quoted(JoinPath(systemDirectory, "Tevra.cpl"));
    return command;
}
