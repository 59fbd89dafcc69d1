// Drives the applet's settings dialog from outside, as a user would, for the end-to-end tests.
// The dialog is the visible top-level dialog window that holds the mode button 3003. Texts are
// printed as hex of their UTF-8 bytes, so that any language survives the console.
//   applet-driver wait [seconds]     waits for the dialog; prints "found"
//   applet-driver state              window, owner, focus and every control: see PrintState
//   applet-driver tips               the tooltip window of the dialog and its tools
//   applet-driver click <id>         a left click with the mouse on the control's centre; the
//                                    pointer then goes to the screen's bottom right corner
//   applet-driver hover <id>         moves the mouse onto the control's centre
//   applet-driver park               moves the mouse to the screen's bottom right corner
//   applet-driver keys <vk> ...      key presses (hex virtual-key codes) to the dialog
//   applet-driver close-box          the close box: WM_SYSCOMMAND with SC_CLOSE
//   applet-driver signal             signals the event "TevraCPLCloseEvent"
//   applet-driver gone [seconds]     waits until no dialog is left; exit 1 when one stays
// Exit 0 on success, 1 when the dialog or a control is missing, 2 for a wrong command.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kModeButton = 3003;
// Every control of the template, in template order.
constexpr int kControls[] = {3020, 3022, 3003, 3004, 3005, 3011,
                             3014, 3013, 3001, 3006, 3008, 3017};

int Usage() {
    std::fprintf(stderr,
                 "usage: applet-driver wait [s] | state | tips | click <id> | hover <id> | park | "
                 "keys <vk>... | close-box | signal | gone [s]\n");
    return 2;
}

std::string Hex(const std::wstring& text) {
    if (text.empty()) return "-";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    std::string hex;
    char byte[3];
    for (const unsigned char c : utf8) {
        std::snprintf(byte, sizeof(byte), "%02x", c);
        hex += byte;
    }
    return hex;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    // WM_GETTEXT is marshalled between processes, unlike the tooltip's own messages.
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    if (ClassName(window) == L"#32770" && IsWindowVisible(window) &&
        GetDlgItem(window, kModeButton)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND Dialog() {
    HWND found = nullptr;
    EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForDialog(double seconds) {
    for (DWORD waited = 0;; waited += 50) {
        if (const HWND dialog = Dialog()) return dialog;
        if (waited >= seconds * 1000) return nullptr;
        Sleep(50);
    }
}

HWND RequireDialog() {
    const HWND dialog = WaitForDialog(10);
    if (!dialog) std::fprintf(stderr, "applet-driver: no settings dialog\n");
    return dialog;
}

bool AnswersIdealSize(HWND button);

// Prints:
//   dialog <window handle>
//   window <left> <top> <width> <height>
//   screen <width> <height>
//   owner <0|1>   (whether the dialog has an owner window)
//   caption <hex>
//   focus <control id or 0>
//   themed <0|1>  (whether the push buttons are those of common controls version 6, which alone
//                  answer BCM_GETIDEALSIZE)
//   control <id> class <name> style <hex> visible <0|1> checked <0|1|2> text <hex>
int PrintState() {
    const HWND dialog = RequireDialog();
    if (!dialog) return 1;
    RECT rect;
    GetWindowRect(dialog, &rect);
    std::printf("dialog %p\n", static_cast<void*>(dialog));
    std::printf("window %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("owner %d\n", GetWindow(dialog, GW_OWNER) ? 1 : 0);
    std::printf("caption %s\n", Hex(WindowText(dialog)).c_str());
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    std::printf("focus %d\n", thread.hwndFocus ? GetDlgCtrlID(thread.hwndFocus) : 0);
    std::printf("themed %d\n", AnswersIdealSize(GetDlgItem(dialog, 3006)) ? 1 : 0);
    for (const int id : kControls) {
        const HWND control = GetDlgItem(dialog, id);
        if (!control) {
            std::printf("control %d missing\n", id);
            continue;
        }
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        const bool button = ClassName(control) == L"Button";
        const LRESULT checked = button ? SendMessageW(control, BM_GETCHECK, 0, 0) : 0;
        std::printf("control %d class %ls style %08lx visible %d checked %d text %s\n", id,
                    ClassName(control).c_str(), static_cast<unsigned long>(style),
                    IsWindowVisible(control) ? 1 : 0, static_cast<int>(checked),
                    Hex(WindowText(control)).c_str());
    }
    return 0;
}

// Memory in the dialog's process, for the tooltip messages whose pointers are not marshalled.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : m_size(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                processId);
        if (m_process)
            m_address =
                VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    bool Valid() const { return m_address != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return offset + size <= m_size &&
               WriteProcessMemory(m_process, At(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return offset + size <= m_size &&
               ReadProcessMemory(m_process, At(offset), data, size, nullptr);
    }

private:
    size_t m_size;
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

bool AnswersIdealSize(HWND button) {
    RemoteBuffer remote(button, sizeof(SIZE));
    const SIZE none = {};
    if (!remote.Valid() || !remote.Write(0, &none, sizeof(none))) return false;
    return SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(remote.At(0))) != 0;
}

struct TipSearch {
    HWND dialog;
    HWND tip;
};

BOOL CALLBACK FindTip(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<TipSearch*>(search);
    const std::wstring name = ClassName(window);
    const std::wstring suffix = L"tooltips_class32";
    if (GetWindow(window, GW_OWNER) == s->dialog && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        s->tip = window;
        return FALSE;
    }
    return TRUE;
}

// Prints:
//   tooltip style <hex> count <n> maxwidth <pixels> visible <0|1>
//   tool <n> flags <hex> hwnd <dialog|other> control <id> text <hex>
//   current <control id or 0>   (the tool whose tip is showing)
int PrintTips() {
    const HWND dialog = RequireDialog();
    if (!dialog) return 1;
    TipSearch search{dialog, nullptr};
    EnumWindows(&FindTip, reinterpret_cast<LPARAM>(&search));
    if (!search.tip) {
        std::printf("tooltip missing\n");
        return 1;
    }
    const HWND tip = search.tip;
    const LRESULT count = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
    std::printf("tooltip style %08lx count %d maxwidth %d visible %d\n",
                static_cast<unsigned long>(GetWindowLongW(tip, GWL_STYLE)), static_cast<int>(count),
                static_cast<int>(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0)),
                IsWindowVisible(tip) ? 1 : 0);
    constexpr size_t kTextOffset = 512;
    constexpr size_t kTextChars = 1024;
    RemoteBuffer remote(tip, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!remote.Valid()) {
        std::fprintf(stderr, "applet-driver: no memory in the dialog's process\n");
        return 1;
    }
    const auto fetch = [&](UINT message, WPARAM index, TOOLINFOW& tool, std::wstring& text) {
        tool = {};
        tool.cbSize = sizeof(tool);
        tool.lpszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
        const wchar_t empty = 0;
        remote.Write(kTextOffset, &empty, sizeof(empty));
        remote.Write(0, &tool, sizeof(tool));
        const LRESULT ok =
            SendMessageW(tip, message, index, reinterpret_cast<LPARAM>(remote.At(0)));
        remote.Read(0, &tool, sizeof(tool));
        std::vector<wchar_t> buffer(kTextChars);
        remote.Read(kTextOffset, buffer.data(), (kTextChars - 1) * sizeof(wchar_t));
        text = buffer.data();
        return ok != 0;
    };
    for (LRESULT i = 0; i < count; ++i) {
        TOOLINFOW tool;
        std::wstring text;
        if (!fetch(TTM_ENUMTOOLSW, static_cast<WPARAM>(i), tool, text)) {
            std::printf("tool %d unreadable\n", static_cast<int>(i));
            continue;
        }
        const auto control = reinterpret_cast<HWND>(tool.uId);
        std::printf("tool %d flags %x hwnd %s control %d text %s\n", static_cast<int>(i),
                    tool.uFlags, tool.hwnd == dialog ? "dialog" : "other",
                    GetParent(control) == dialog ? GetDlgCtrlID(control) : 0, Hex(text).c_str());
    }
    TOOLINFOW current;
    std::wstring text;
    const bool showing = fetch(TTM_GETCURRENTTOOLW, 0, current, text);
    std::printf("current %d\n", showing ? GetDlgCtrlID(reinterpret_cast<HWND>(current.uId)) : 0);
    return 0;
}

bool MoveMouse(int x, int y) {
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &move, sizeof(move)) == 1;
}

bool ParkMouse() {
    return MoveMouse(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

bool MoveMouseTo(HWND control) {
    RECT rect;
    if (!GetWindowRect(control, &rect)) return false;
    return MoveMouse((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

HWND RequireControl(HWND dialog, const char* idText) {
    const HWND control = GetDlgItem(dialog, std::atoi(idText));
    if (!control) std::fprintf(stderr, "applet-driver: no control %s\n", idText);
    return control;
}

int Click(const char* idText) {
    const HWND dialog = RequireDialog();
    const HWND control = dialog ? RequireControl(dialog, idText) : nullptr;
    if (!control) return 1;
    SetForegroundWindow(dialog);
    if (!MoveMouseTo(control)) return 1;
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(2, clicks, sizeof(INPUT)) != 2) return 1;
    // Lets the dialog handle the click before the next look at it. Then the pointer leaves: at
    // rest on a mode button it brings up a tip, which lies over the next button down and would
    // take the next click.
    Sleep(300);
    return ParkMouse() ? 0 : 1;
}

int Hover(const char* idText) {
    const HWND dialog = RequireDialog();
    const HWND control = dialog ? RequireControl(dialog, idText) : nullptr;
    if (!control) return 1;
    return MoveMouseTo(control) ? 0 : 1;
}

int Keys(int count, char** codes) {
    const HWND dialog = RequireDialog();
    if (!dialog) return 1;
    SetForegroundWindow(dialog);
    for (int i = 0; i < count; ++i) {
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wVk = key[1].ki.wVk = static_cast<WORD>(std::strtoul(codes[i], nullptr, 16));
        key[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, key, sizeof(INPUT)) != 2) return 1;
        Sleep(200);
    }
    return 0;
}

int CloseBox() {
    const HWND dialog = RequireDialog();
    if (!dialog) return 1;
    return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

int Signal() {
    const HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TevraCPLCloseEvent");
    if (!event) {
        std::fprintf(stderr, "applet-driver: no event TevraCPLCloseEvent\n");
        return 1;
    }
    const BOOL set = SetEvent(event);
    CloseHandle(event);
    return set ? 0 : 1;
}

int Gone(double seconds) {
    for (DWORD waited = 0;; waited += 50) {
        if (!Dialog()) return 0;
        if (waited >= seconds * 1000) {
            std::fprintf(stderr, "applet-driver: the dialog is still open\n");
            return 1;
        }
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10;
    if (command == "wait" && argc <= 3) {
        if (!WaitForDialog(seconds)) return 1;
        std::printf("found\n");
        return 0;
    }
    if (command == "state" && argc == 2) return PrintState();
    if (command == "tips" && argc == 2) return PrintTips();
    if (command == "click" && argc == 3) return Click(argv[2]);
    if (command == "hover" && argc == 3) return Hover(argv[2]);
    if (command == "park" && argc == 2) return ParkMouse() ? 0 : 1;
    if (command == "keys" && argc >= 3) return Keys(argc - 2, argv + 2);
    if (command == "close-box" && argc == 2) return CloseBox();
    if (command == "signal" && argc == 2) return Signal();
    if (command == "gone" && argc <= 3) return Gone(seconds);
    return Usage();
}
