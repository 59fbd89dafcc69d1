#include "sim_store.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "diagnostics.h"
#include "unique_handle.h"

namespace {

constexpr char kMutexName[] = "ZorvanSimulatedController";
constexpr DWORD kLockTimeoutMs = 10000;
constexpr LONGLONG kMaxLogBytes = 1 << 20;

std::string FolderFile(const char* name) {
    const std::string folder = SimulatorFolder();
    if (folder.empty()) return {};
    CreateDirectoryA(folder.c_str(), nullptr);  // usually exists already
    return folder + "\\" + name;
}

std::string StatePath() {
    return FolderFile("state.txt");
}
std::string LogPath() {
    return FolderFile("requests.log");
}

// CreateFileA with the failure value mapped to an empty handle.
UniqueHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool ReadSmallFile(const std::string& path, std::string& bytes) {
    UniqueHandle file = OpenFile(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    if (!file) return false;
    bytes.clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return true;
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
    UniqueHandle file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.get());
}

// Called with the lock held.
ControllerState LoadState() {
    const std::string path = StatePath();
    std::string text;
    if (path.empty() || !ReadSmallFile(path, text)) return ControllerState{};
    if (std::optional<ControllerState> state = ParseState(text)) return *state;
    DebugOutput("Simulated controller: damaged state file " + path + "; using the first state\n");
    return ControllerState{};
}

// Called with the lock held. The new state goes to a temporary file that then replaces the old
// one, so a process that dies half-way leaves the previous state intact.
bool SaveState(const ControllerState& state) {
    const std::string path = StatePath();
    const std::string temporary = path + ".new";
    const bool ok = !path.empty() && WriteNewFile(temporary, FormatState(state) + "\r\n") &&
                    MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DebugOutput("Simulated controller: cannot store its state in " + path + "\n");
    return ok;
}

// Called with the lock held.
void AppendLogLine(const std::string& line) {
    const std::string path = LogPath();
    if (path.empty()) return;
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) &&
        ((static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) >= kMaxLogBytes) {
        const std::string old = FolderFile("requests.old.log");
        MoveFileExA(path.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    UniqueHandle file = OpenFile(path, FILE_APPEND_DATA, kShareAll, OPEN_ALWAYS);
    if (!file) {
        DebugOutput("Simulated controller: cannot write its log " + path + "\n");
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string LocalTimeText() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

}  // namespace

std::string SimulatorFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("ZORVAN_SIM_DIR", buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) return buffer;
    if (FAILED(
            SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)) ||
        buffer[0] == '\0') {
        DebugOutput("Simulated controller: no common application data folder\n");
        return {};
    }
    return std::string(buffer) + "\\ZorvanSim";
}

SimulatorLock::SimulatorLock() : m_mutex(CreateMutexA(nullptr, FALSE, kMutexName)) {
    if (m_mutex == nullptr) return;
    // An abandoned mutex still gives ownership; the files are consistent because the state is
    // replaced in one step.
    const DWORD result = WaitForSingleObject(m_mutex, kLockTimeoutMs);
    m_locked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (!m_locked) DebugOutput("Simulated controller: busy, request dropped\n");
}

SimulatorLock::~SimulatorLock() {
    if (m_locked) ReleaseMutex(m_mutex);
    if (m_mutex != nullptr) CloseHandle(m_mutex);
}

void EvaluateSharedRequest(char command, const unsigned char* input, int32_t inputLength,
                           unsigned char* output, int32_t outputLength) {
    SimulatorLock lock;
    if (!lock) return;
    ControllerState state = LoadState();
    const ControllerState before = state;
    const RequestOutcome outcome =
        EvaluateRequest(state, command, input, inputLength, output, outputLength);
    if (state != before) SaveState(state);
    AppendLogLine(
        FormatLogLine(MakeLogEntry(LocalTimeText(), GetCurrentProcessId(), command, input,
                                   inputLength, output == nullptr, outputLength, outcome)));
}

std::optional<ControllerState> ReadSharedState() {
    SimulatorLock lock;
    if (!lock) return std::nullopt;
    return LoadState();
}

std::optional<ControllerState> ChangeSharedState(
    const std::function<void(ControllerState&)>& change) {
    SimulatorLock lock;
    if (!lock) return std::nullopt;
    ControllerState state = LoadState();
    change(state);
    if (!SaveState(state)) return std::nullopt;
    return state;
}

bool ReadRequestLog(std::string& text) {
    SimulatorLock lock;
    if (!lock) return false;
    const std::string path = LogPath();
    if (path.empty()) return false;
    if (ReadSmallFile(path, text)) return true;
    text.clear();
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;  // no log yet
}

bool ClearRequestLog() {
    SimulatorLock lock;
    if (!lock) return false;
    const std::string path = LogPath();
    return !path.empty() && WriteNewFile(path, {});
}
