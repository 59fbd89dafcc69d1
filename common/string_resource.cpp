#include "string_resource.h"

std::wstring LoadStringResourceW(HINSTANCE module, UINT id) {
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource itself,
    // so texts of any length load without a fixed buffer.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

std::string LoadStringResourceA(HINSTANCE module, UINT id) {
    const std::wstring wide = LoadStringResourceW(module, id);
    if (wide.empty()) return {};
    const int wideLength = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, text.data(), size, nullptr, nullptr);
    return text;
}
