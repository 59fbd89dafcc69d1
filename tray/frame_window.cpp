#include "frame_window.h"

#include <string>

#include "string_resource.h"

bool FrameWindow::LoadFrame(UINT resourceId, const char* className, DWORD style) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::string title = LoadStringResourceA(instance, resourceId);
    // Never WS_VISIBLE: the frame stays hidden.
    return CreateEx(0, className, title.c_str(), style & ~WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance) != nullptr;
}

void FrameWindow::OnFinalDestroy() {
    PostQuitMessage(0);
}
