#pragma once

#include <windows.h>

// Lets a program without a visible window come to the front: the popup calls it before a notice
// so that the notice can appear in front of other programs' windows.
class CAppKit {
public:
    CAppKit() = default;
    virtual ~CAppKit() = default;

    // Makes hWndMain (the program's hidden main window) the foreground window and hides it again.
    // The input of the calling thread is joined to the foreground thread only for that moment.
    // True when the join succeeded.
    bool ForceForeground(HWND hWndMain);

private:
    DWORD m_dwForegroundThreadId = 0;
};
