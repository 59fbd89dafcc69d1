#pragma once

#include <windows.h>

#include "unique_handle.h"

// The close request both programs take from an outside installer: WM_APP + 120.
constexpr UINT WM_CLOSE_EVENT = WM_APP + 120;

// Watches a named auto-reset event in a worker thread and posts WM_CLOSE_EVENT (wParam 0,
// lParam 0) to the target window each time the event is signalled, then writes caseMessage to
// the debugger output. The thread touches nothing but its own record and the window handle.
//
// A signal that arrives before the target window is known is held and delivered by SetTarget,
// so a close request made during start-up is not lost. Stop (also run by the destructor) ends the
// thread, waits for it and releases the event; after it nothing is posted any more.
class CloseEventWatch {
public:
    // Index of the close event in the wait list.
    static constexpr DWORD kCloseEventIndex = 0;

    CloseEventWatch(const char* eventName, const char* caseMessage);
    CloseEventWatch(const CloseEventWatch&) = delete;
    CloseEventWatch& operator=(const CloseEventWatch&) = delete;
    ~CloseEventWatch();

    // Creates (or opens) the event and starts the thread. False when either fails.
    bool Start();
    // Hands over the window that receives WM_CLOSE_EVENT; delivers a held signal at once.
    void SetTarget(HWND hWnd);
    // Ends the thread and releases the event. Safe to call more than once.
    void Stop();

private:
    static DWORD WINAPI ThreadProc(void* parameter);
    void Run();
    void Deliver();

    const char* m_eventName;
    const char* m_caseMessage;
    UniqueHandle m_event;
    UniqueHandle m_stop;
    UniqueHandle m_thread;
    // Guards the two fields below. A critical section rather than a slim lock: the tray program
    // must still start on Windows XP.
    CRITICAL_SECTION m_lock;
    HWND m_hWndTarget = nullptr;
    bool m_bPending = false;
};
