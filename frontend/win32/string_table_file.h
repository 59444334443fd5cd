#pragma once

// The resource library a Windows build loads: a resource-only DLL.
inline constexpr const char* kStringTableFileName = "lidany.dll";
