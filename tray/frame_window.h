#pragma once

#include <windows.h>

#include "window.h"

// A program's main window: created from a resource id that names its title string, and the end
// of the program's message loop when it is destroyed. Subclasses route messages to their On...
// handlers in HandleMessage and pass the rest to this class.
class FrameWindow : public Window {
public:
    // Creates the window of the registered class className, hidden, with the string resourceId
    // of the program as its title. False when the window cannot be created.
    bool LoadFrame(UINT resourceId, const char* className, DWORD style);

protected:
    // The main window is gone: the message loop ends.
    void OnFinalDestroy() override;
};
