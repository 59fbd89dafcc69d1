#include "keyboard_hook.h"

#include "diagnostics.h"
#include "tray_messages.h"

UniqueHook CHook::s_hHook;
HWND CHook::s_hWndTarget = nullptr;

bool CHook::Install(HWND hWndTarget) {
    s_hWndTarget = hWndTarget;
    s_hHook.reset();
    s_hHook.reset(
        SetWindowsHookExA(WH_KEYBOARD_LL, &CHook::KeyboardProc, GetModuleHandleA(nullptr), 0));
    if (!s_hHook) {
        DebugOutput("Keyboard hook not installed (" + std::to_string(GetLastError()) + ")\n");
        return false;
    }
    return true;
}

void CHook::Remove() {
    s_hHook.reset();
}

LRESULT CALLBACK CHook::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    // Every call, whatever the code: post and pass on, never wait and never swallow a key.
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (event) {
        PostMessageA(s_hWndTarget, WM_HOOK_KEYEVENT, event->flags,
                     static_cast<LPARAM>(event->scanCode));
    }
    return CallNextHookEx(s_hHook.get(), code, wParam, lParam);
}
