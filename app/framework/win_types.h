#pragma once

// The window framework's constants, with the values the dialogs exchange and
// the Win32 calls take; no toolkit header is needed for them.
using BOOL = int;
using UINT = unsigned;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
