#include "close_event_watch.h"

#include "diagnostics.h"

CloseEventWatch::CloseEventWatch(const char* eventName, const char* caseMessage)
    : m_eventName(eventName), m_caseMessage(caseMessage) {
    InitializeCriticalSection(&m_lock);
}

CloseEventWatch::~CloseEventWatch() {
    Stop();
    DeleteCriticalSection(&m_lock);
}

bool CloseEventWatch::Start() {
    // Auto-reset, not signalled; an existing event of that name is opened unchanged.
    m_event.reset(CreateEventA(nullptr, FALSE, FALSE, m_eventName));
    m_stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_event || !m_stop) return false;
    m_thread.reset(CreateThread(nullptr, 0, &CloseEventWatch::ThreadProc, this, 0, nullptr));
    return static_cast<bool>(m_thread);
}

void CloseEventWatch::SetTarget(HWND hWnd) {
    bool deliver = false;
    EnterCriticalSection(&m_lock);
    m_hWndTarget = hWnd;
    if (hWnd && m_bPending) {
        m_bPending = false;
        deliver = true;
    }
    LeaveCriticalSection(&m_lock);
    if (deliver) {
        PostMessageA(hWnd, WM_CLOSE_EVENT, 0, 0);
        DebugOutput(m_caseMessage);
    }
}

void CloseEventWatch::Stop() {
    if (m_thread) {
        SetEvent(m_stop.get());
        WaitForSingleObject(m_thread.get(), INFINITE);
        m_thread.reset();
    }
    m_event.reset();
    m_stop.reset();
}

DWORD WINAPI CloseEventWatch::ThreadProc(void* parameter) {
    static_cast<CloseEventWatch*>(parameter)->Run();
    return 0;
}

void CloseEventWatch::Run() {
    const HANDLE objects[2] = {m_event.get(), m_stop.get()};
    for (;;) {
        const DWORD result = WaitForMultipleObjects(2, objects, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + kCloseEventIndex) {
            Deliver();
            continue;
        }
        // Stop requested, or the wait itself failed: end rather than spin or post.
        if (result != WAIT_OBJECT_0 + 1) DebugOutput("Close event wait failed\n");
        return;
    }
}

void CloseEventWatch::Deliver() {
    EnterCriticalSection(&m_lock);
    const HWND target = m_hWndTarget;
    if (!target) m_bPending = true;
    LeaveCriticalSection(&m_lock);
    if (target) {
        PostMessageA(target, WM_CLOSE_EVENT, 0, 0);
        DebugOutput(m_caseMessage);
    }
}
