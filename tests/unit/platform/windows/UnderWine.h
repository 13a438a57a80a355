#pragma once

#include <windows.h>

// True when the tests run under wine, which exports a function of its own from ntdll that
// Windows does not have. Tests assert what holds on both and say where wine differs.
inline bool underWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
