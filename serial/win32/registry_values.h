#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// A REG_SZ value's text as the system gave it in data (bytes long), without
// the terminator it may or may not have stored.
std::string RegistryText(const std::vector<wchar_t>& data, DWORD bytes);

// The REG_SZ values of a registry key as name and text (UTF-8), in the
// order the key holds them; values of other types are passed over. Nothing
// when the key cannot be opened.
std::vector<std::pair<std::string, std::string>> ReadStringValues(HKEY root, const std::wstring& path);

// A REG_BINARY value's bytes; nothing when it cannot be read.
std::optional<std::vector<unsigned char>> ReadBinaryValue(HKEY root, const std::wstring& path,
                                                          const std::wstring& name);
