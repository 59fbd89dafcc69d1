// Measures how long the desktop takes to deliver one key event: each event goes in with its own
// SendInput call, timed with the performance counter. Under Wine a low-level keyboard hook of
// another process is called before SendInput returns, so the time includes the hook's answer.
//   key-cost <events> [<window class to wait for>]
// Prints one line: events=<n> median_us=<..> p99_us=<..> mean_us=<..> failed=<n>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// F24: a key that no program here reacts to (the Q button is scan code 0x79).
INPUT KeyEvent(bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_F24;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

// The events need a taker: the driver's own window holds the focus and its queue is emptied after
// every event (outside the timed call), as a program in front on a real desktop would do. Left to
// pile up in some queue, they make every further event slower.
HWND CreateFocusWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TevraBenchKeyTaker";
    RegisterClassA(&windowClass);
    HWND hWnd = CreateWindowExA(0, windowClass.lpszClassName, "key-cost", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!hWnd) return nullptr;
    ShowWindow(hWnd, SW_SHOW);
    SetForegroundWindow(hWnd);
    SetFocus(hWnd);
    return hWnd;
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    const size_t index =
        static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    const long events = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (events < 2) {
        std::fprintf(stderr, "usage: key-cost <events> [<window class to wait for>]\n");
        return 2;
    }
    if (argc > 2) {
        // The hook is installed before the window exists in both programs measured.
        int waited = 0;
        while (!FindWindowA(argv[2], nullptr)) {
            if (++waited > 600) {
                std::fprintf(stderr, "key-cost: no window of class %s\n", argv[2]);
                return 1;
            }
            Sleep(50);
        }
        Sleep(500);
    }

    if (!CreateFocusWindow()) {
        std::fprintf(stderr, "key-cost: cannot create its window\n");
        return 1;
    }
    DrainMessages();

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double usPerTick = 1e6 / static_cast<double>(frequency.QuadPart);

    // A short warm-up, so that first-use costs do not land in the figures.
    long failed = 0;
    for (int i = 0; i < 1000; ++i) {
        INPUT input = KeyEvent(i % 2 == 1);
        if (SendInput(1, &input, sizeof input) != 1) ++failed;
        DrainMessages();
    }

    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(events));
    for (long i = 0; i < events; ++i) {
        INPUT input = KeyEvent(i % 2 == 1);
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        const UINT sent = SendInput(1, &input, sizeof input);
        QueryPerformanceCounter(&after);
        if (sent != 1) ++failed;
        samples.push_back(static_cast<double>(after.QuadPart - before.QuadPart) * usPerTick);
        DrainMessages();
    }
    // Leave the key up whatever the count.
    INPUT release = KeyEvent(true);
    SendInput(1, &release, sizeof release);

    double sum = 0;
    for (double s : samples) sum += s;
    std::sort(samples.begin(), samples.end());
    std::printf("events=%ld median_us=%.2f p99_us=%.2f mean_us=%.2f failed=%ld\n", events,
                Percentile(samples, 0.5), Percentile(samples, 0.99),
                sum / static_cast<double>(samples.size()), failed);
    return failed == 0 ? 0 : 1;
}
