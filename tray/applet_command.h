#pragma once

#include <optional>
#include <string>

// What decides the folder of the launcher that opens the settings applet.
struct LauncherFacts {
    std::string systemDirectory;   // GetSystemDirectory: where the applet is installed
    std::string windowsDirectory;  // GetSystemWindowsDirectory
    bool bWow64 = false;           // a 32-bit program on 64-bit Windows
    bool bSysnativeFound = false;  // <windows>\Sysnative\rundll32.exe is visible to us
};

// Where to start the launcher from. The applet is a 64-bit library in the real system folder,
// which only the 64-bit launcher can load. A 32-bit program on 64-bit Windows sees the 32-bit
// system folder under the system folder's name, so it reaches the real one through the Sysnative
// alias; where that alias is missing (Windows XP x64 and Server 2003 without its update) it has
// to switch file-system redirection off for the start instead.
struct LauncherPlacement {
    std::string folder;
    bool bRedirectionOff = false;
};

LauncherPlacement ChooseLauncherFolder(const LauncherFacts& facts);

// The launcher's program path and its complete command line, for CreateProcess.
struct AppletCommand {
    std::string applicationName;
    std::string commandLine;
};

// Builds the start of the applet: the launcher rundll32.exe in launcherFolder opens Tevra.cpl in
// systemDirectory. Both paths are quoted, so a folder with blanks can never be read as another
// program followed by arguments; the launcher is also named on its own, so CreateProcess does not
// search for it. Nothing (nullopt) when a folder is empty or holds a character that no Windows
// path can hold ('"', control characters).
std::optional<AppletCommand> BuildAppletCommand(const std::string& launcherFolder,
                                                const std::string& systemDirectory);
