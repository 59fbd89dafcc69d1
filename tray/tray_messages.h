#pragma once

#include <windows.h>

#include "close_event_watch.h"  // WM_CLOSE_EVENT (WM_APP + 120)

// Private messages of the tray frame. Outside programs may post the last two to the window of
// class "VelmoraTrayWindowClass".

// Posted by the keyboard hook: wParam the key event's flags, lParam its hardware scan code.
constexpr UINT WM_HOOK_KEYEVENT = WM_APP + 100;
// Sent by the shell for the notification-area icon: wParam the icon id, lParam the mouse message.
constexpr UINT WM_TRAYICON_NOTIFY = WM_APP + 101;
// Asks the frame to read the current settings section again.
constexpr UINT WM_RELOAD_SETTINGS = WM_APP + 112;

// Name of the frame's window class, of the single-instance mutex, and by which outside programs
// find the window.
inline constexpr char kTrayWindowClassName[] = "VelmoraTrayWindowClass";
