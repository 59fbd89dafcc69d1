#include <windows.h>

#include <fstream>
#include <iterator>

#include "file_store.h"
#include "unique_handle.h"

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// Another process may hold the file open for a moment (the other program reading it, a virus
// scanner): those failures are worth a short retry, others are final.
bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

bool PutInPlace(const std::wstring& temp, const std::wstring& target) {
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (MoveFileExW(temp.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
        } else {
            // A read-only file may not be rewritten, just as it could not be opened for writing.
            if (attributes & FILE_ATTRIBUTE_READONLY) return false;
            if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr))
                return true;
        }
        if (!IsTransient(GetLastError())) return false;
        Sleep(kPauseMs);
    }
    return false;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    // The C runtime opens without sharing restrictions, so a writer elsewhere is not locked out.
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes) {
    const std::wstring target = Widen(path);
    if (target.empty()) return false;
    wchar_t temp[MAX_PATH + 16];
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"tev", 0, temp)) return false;

    bool ok = false;
    {
        UniqueHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
                 written == bytes.size() && FlushFileBuffers(file.get());
            ok = CloseHandle(file.release()) && ok;
        } else {
            file.release();
        }
    }
    if (ok) ok = PutInPlace(temp, target);
    if (!ok) DeleteFileW(temp);
    return ok;
}
