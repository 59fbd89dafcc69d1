// Posts one message to the top-level window of a class, so that a program can be ended the way
// it expects (and takes its notification-area icon away) rather than killed.
//   post-message <window class> <message> [<wParam>]     (numbers, 0x.. for hex)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: post-message <window class> <message> [<wParam>]\n");
        return 2;
    }
    HWND hWnd = FindWindowA(argv[1], nullptr);
    if (!hWnd) {
        std::fprintf(stderr, "post-message: no window of class %s\n", argv[1]);
        return 1;
    }
    const UINT message = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
    const WPARAM wParam = argc == 4 ? static_cast<WPARAM>(std::strtoull(argv[3], nullptr, 0)) : 0;
    return PostMessageA(hWnd, message, wParam, 0) ? 0 : 1;
}
