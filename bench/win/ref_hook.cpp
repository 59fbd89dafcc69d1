// Reference: a low-level keyboard hook that only passes every event on. The tray program's hook
// is measured next to it. A hidden window of class "TevraBenchHook" tells a driver that the hook
// is in place.
#include <windows.h>

namespace {

HHOOK s_hHook = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(s_hHook, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    s_hHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, instance, 0);
    if (!s_hHook) return 1;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TevraBenchHook";
    if (!RegisterClassA(&windowClass) ||
        !CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                         nullptr, instance, nullptr))
        return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    UnhookWindowsHookEx(s_hHook);
    return 0;
}
