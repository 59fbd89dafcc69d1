#pragma once

// Opens the settings applet: starts the platform's 64-bit launcher rundll32.exe on Tevra.cpl in
// the system folder, without waiting for it. False (reported on the debugger output) when the
// process cannot be started.
bool StartSettingsApplet();
