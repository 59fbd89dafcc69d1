// Follows a popup window from outside its program: polls its visibility and rectangle every
// millisecond and reports each change, until it has shown and hidden again.
//   popup-watch <window class> <timeout s>
// Prints "trace <ms> <visible> <left> <top> <right> <bottom>" per change (ms from the start of
// the watch), then "end" (or "timeout").
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: popup-watch <window class> <timeout s>\n");
        return 2;
    }
    const ULONGLONG timeoutMs = std::strtoull(argv[2], nullptr, 10) * 1000;
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    HWND popup = nullptr;
    bool seen = false;
    bool last = false;
    RECT lastRect{};
    int result = 1;
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart);
        if (ms > static_cast<double>(timeoutMs)) {
            std::printf("timeout\n");
            break;
        }
        if (!popup) popup = FindWindowA(argv[1], nullptr);
        if (popup) {
            const bool visible = IsWindowVisible(popup) != FALSE;
            RECT rect{};
            GetWindowRect(popup, &rect);
            if (visible != last || (visible && !EqualRect(&rect, &lastRect))) {
                std::printf("trace %.1f %d %ld %ld %ld %ld\n", ms, visible ? 1 : 0, rect.left,
                            rect.top, rect.right, rect.bottom);
                std::fflush(stdout);
                last = visible;
                lastRect = rect;
                seen = seen || visible;
                if (seen && !visible) {
                    std::printf("end\n");
                    result = 0;
                    break;
                }
            }
        }
        Sleep(1);
    }
    return result;
}
