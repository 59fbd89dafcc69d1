// Reference: the smallest program that keeps an icon in the notification area. The tray
// program's memory, idle cost and start-up are measured next to it.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kIconMessage = WM_APP + 101;

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
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

    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = hWnd;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kIconMessage;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(icon.szTip, "Reference", sizeof icon.szTip);
    if (!Shell_NotifyIconA(NIM_ADD, &icon)) return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
