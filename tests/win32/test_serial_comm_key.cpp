#include "test_serial_comm_key.h"

#include <windows.h>

#include "serial/win32/com_port_list.h"

namespace {
constexpr const char* kParent = "Software\\apconfig-test";
constexpr const char* kKey = "Software\\apconfig-test\\SERIALCOMM";
}  // namespace

CTestSerialCommKey::CTestSerialCommKey()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kParent);
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    m_key = key;
    SetComPortListKey(kKey);
}

CTestSerialCommKey::~CTestSerialCommKey()
{
    SetComPortListKey("");
    if (m_key)
        ::RegCloseKey(static_cast<HKEY>(m_key));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kParent);
}

bool CTestSerialCommKey::AddPort(int number)
{
    const std::string device = "\\Device\\Test" + std::to_string(number);
    const std::string name = "COM" + std::to_string(number);
    return m_key && ::RegSetValueExA(static_cast<HKEY>(m_key), device.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(name.c_str()), DWORD(name.size() + 1)) ==
                        ERROR_SUCCESS;
}
