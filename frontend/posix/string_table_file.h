#pragma once

// The resource library a Linux build loads: a bundle in a shared object.
inline constexpr const char* kStringTableFileName = "liblidany.so";
