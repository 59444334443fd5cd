#include "serial/win32/registry_values.h"

#include <algorithm>

#include "serial/wide_text.h"

std::string RegistryText(const std::vector<wchar_t>& data, DWORD bytes)
{
    const size_t length = std::min<size_t>(bytes / sizeof(wchar_t), data.size());
    return Utf16ToUtf8(std::wstring_view(data.data(), std::find(data.data(), data.data() + length, L'\0') - data.data()));
}

std::vector<std::pair<std::string, std::string>> ReadStringValues(HKEY root, const std::wstring& path)
{
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    DWORD valueCount = 0, nameMax = 0, dataMax = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, &nameMax,
                           &dataMax, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<wchar_t> name(nameMax + 1);
        std::vector<wchar_t> data(dataMax / sizeof(wchar_t) + 1);
        for (DWORD i = 0; i < valueCount; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            DWORD type = 0;
            if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS ||
                type != REG_SZ)
                continue;
            values.emplace_back(Utf16ToUtf8(std::wstring_view(name.data(), nameLength)), RegistryText(data, bytes));
        }
    }
    ::RegCloseKey(key);
    return values;
}

std::optional<std::vector<unsigned char>> ReadBinaryValue(HKEY root, const std::wstring& path,
                                                          const std::wstring& name)
{
    DWORD bytes = 0;
    if (::RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<unsigned char> data(bytes);
    if (::RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(bytes);
    return data;
}
