// Reference: the smallest program that keeps an icon in the notification area. The tray
// program's memory, idle cost and start-up are measured next to it.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kIconMessage = WM_APP + 101;

NOTIFYICONDATAA s_icon{};

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // WM_CLOSE ends the program, and takes the icon away while the window still exists.
    switch (message) {
        case WM_CLOSE:
            Shell_NotifyIconA(NIM_DELETE, &s_icon);
            DestroyWindow(hWnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TevraBenchTray";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND hWnd = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
    if (!hWnd) return 1;

    s_icon.cbSize = sizeof s_icon;
    s_icon.hWnd = hWnd;
    s_icon.uID = 1;
    s_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    s_icon.uCallbackMessage = kIconMessage;
    s_icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(s_icon.szTip, "Reference", sizeof s_icon.szTip);
    if (!Shell_NotifyIconA(NIM_ADD, &s_icon)) return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
