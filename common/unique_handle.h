#pragma once

#include <windows.h>

#include <utility>

// Owns one Win32 object and releases it with Release when it goes out of scope.
template <typename T, auto Release, T Invalid = T{}>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : m_value(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_value(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    T get() const { return m_value; }
    explicit operator bool() const { return m_value != Invalid; }
    T release() { return std::exchange(m_value, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(m_value, value);
        if (old != Invalid) Release(old);
    }

private:
    T m_value = Invalid;
};

// Kernel objects (events, mutexes, threads, processes): null means none.
using UniqueHandle = UniqueResource<HANDLE, &CloseHandle>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, &DeleteObject>;
using UniqueDc = UniqueResource<HDC, &DeleteDC>;
using UniqueHook = UniqueResource<HHOOK, &UnhookWindowsHookEx>;
using UniqueMenu = UniqueResource<HMENU, &DestroyMenu>;
using UniqueModule = UniqueResource<HMODULE, &FreeLibrary>;
