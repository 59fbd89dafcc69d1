#include "window.h"

Window::~Window() {
    // The object may die before its window (a member of a frame whose window the system destroys
    // later): unbind so that no message reaches a destroyed object.
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

HWND Window::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                      int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance) {
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                           instance, this);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        if (self) {
            self->m_hWnd = hWnd;
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = self->HandleMessage(message, wParam, lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->OnFinalDestroy();
        return result;
    }
    return self->HandleMessage(message, wParam, lParam);
}
