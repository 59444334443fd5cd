#pragma once

#include <glib.h>  // TRUE and FALSE

// The window framework's constants, with the values the dialogs exchange.
using BOOL = int;
using UINT = unsigned;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
