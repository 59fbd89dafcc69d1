#pragma once

#include <windows.h>

#include "unique_handle.h"

// The low-level keyboard hook of the desktop. The platform calls the hook procedure for every key
// event of every program, in the thread that installed it, and holds the event up meanwhile; it
// silently removes a hook that is too slow. So the procedure only posts WM_HOOK_KEYEVENT to the
// frame and passes the event on: everything else happens later, in the frame's handler.
//
// A hook procedure gets no context, so the state is two statics of the process.
class CHook {
public:
    virtual ~CHook() = default;

    // Installs the hook for all threads of the desktop, posting to hWndTarget; a hook installed
    // before is removed first. False (and no hook) when the platform refuses it.
    static bool Install(HWND hWndTarget);
    // Removes the hook; nothing when none is installed.
    static void Remove();

    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);

private:
    static UniqueHook s_hHook;
    static HWND s_hWndTarget;
};
