#pragma once

#include <windows.h>

#include <string>

// A string-table entry of the module, as UTF-16; empty when there is none.
std::wstring LoadStringResourceW(HINSTANCE module, UINT id);
// The same entry converted to the system's ANSI code page; empty when there is none.
std::string LoadStringResourceA(HINSTANCE module, UINT id);
