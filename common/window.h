#pragma once

#include <windows.h>

// Base of every window class of ours: routes the messages of one window to the object that owns
// it. The object is bound to its window at WM_NCCREATE (the creation parameter carries it) and
// unbound at WM_NCDESTROY.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Creates the window; the class must have been registered with Window::WindowProc.
    HWND CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                  int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance);

    // The window procedure to register for every class of ours.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Handles one message; the default passes it to DefWindowProcA.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // Called after WM_NCDESTROY has unbound the window.
    virtual void OnFinalDestroy() {}

private:
    HWND m_hWnd = nullptr;
};
