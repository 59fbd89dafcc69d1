#pragma once

#include <windows.h>

#include <memory>

#include "close_event_watch.h"
#include "system_controller.h"
#include "unique_handle.h"

class CMainFrame;

// Keeps a second tray program of the same user from running: the first one holds the named mutex
// until its process ends.
class CSingleInstance {
public:
    virtual ~CSingleInstance() = default;

    // True when this is the only instance; false when another one holds the mutex, or when the
    // mutex cannot be made.
    bool Claim(const char* name);

private:
    UniqueHandle m_mutex;
};

// The tray program: start-up in InitInstance, then the message loop in Run until the frame
// window is destroyed.
class TevraTrayApp {
public:
    TevraTrayApp();
    ~TevraTrayApp();
    TevraTrayApp(const TevraTrayApp&) = delete;
    TevraTrayApp& operator=(const TevraTrayApp&) = delete;

    // False ends the program at once, without a message.
    bool InitInstance(HINSTANCE instance);
    // Dispatches messages until the frame window is gone; returns the program's exit code.
    int Run();

private:
    SystemController m_controller;
    CloseEventWatch m_closeWatch;
    CSingleInstance m_singleInstance;
    std::unique_ptr<CMainFrame> m_pMainWnd;
};

// Registers the frame's window class "VelmoraTrayWindowClass"; true when registered.
bool RegisterTrayWindowClass(HINSTANCE instance);
