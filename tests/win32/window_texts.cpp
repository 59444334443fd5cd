// Reads and drives another program's windows in the same Wine session, for
// the tests that check what apconfig.exe shows in each language:
//   window_texts list                 every visible top-level window and its
//                                     controls, one tab-separated line each,
//                                     in UTF-8: "window HWND TITLE", then
//                                     "HWND ID CLASS TEXT" per control and
//                                     "tab INDEX LABEL" per tab of a tab control
//   window_texts settext HWND HEX     sets a control's text (UTF-8 in hex, as
//                                     a command line in a locale of no codeset
//                                     may not carry it)
//   window_texts click HWND           clicks a button
//   window_texts tab HWND INDEX       moves a tab control to that tab, as a click does
// HWNDs are in hex, as list prints them.
#define UNICODE 1
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text)
{
    std::string bytes(size_t(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0,
                                                   nullptr, nullptr)),
                      '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), bytes.data(), int(bytes.size()), nullptr,
                          nullptr);
    return bytes;
}

// A line break in a text would end its line of the listing.
std::string Shown(const std::wstring& text)
{
    std::string shown;
    for (char c : Utf8(text))
        shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    return shown;
}

// The text as the window's own process answers WM_GETTEXT, which Windows
// carries across processes.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), LPARAM(text.data()), SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

// A tab's label: the tab control writes it into memory of its own process.
std::wstring TabLabel(HWND tab, int index)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tab, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return L"";
    constexpr int kChars = 256;
    auto* remote = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof item);
    item.cchTextMax = kChars;
    std::wstring label(kChars, L'\0');
    if (remote && ::WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
        ::SendMessageW(tab, TCM_GETITEMW, WPARAM(index), LPARAM(remote)))
        ::ReadProcessMemory(process, remote + sizeof item, label.data(), kChars * sizeof(wchar_t), nullptr);
    label.resize(label.find(L'\0'));
    if (remote)
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return label;
}

BOOL CALLBACK ListControl(HWND control, LPARAM)
{
    wchar_t kind[64] = {};
    ::GetClassNameW(control, kind, 64);
    std::printf("%llx\t%d\t%s\t%s\n", (unsigned long long)(size_t(control)), ::GetDlgCtrlID(control), Utf8(kind).c_str(),
                Shown(TextOf(control)).c_str());
    if (std::wstring(kind) == WC_TABCONTROLW) {
        const int count = int(::SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            std::printf("tab\t%d\t%s\n", i, Shown(TabLabel(control, i)).c_str());
    }
    return TRUE;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM)
{
    if (!::IsWindowVisible(window))
        return TRUE;
    std::printf("window\t%llx\t%s\n", (unsigned long long)(size_t(window)), Shown(TextOf(window)).c_str());
    ::EnumChildWindows(window, ListControl, 0);
    return TRUE;
}

HWND Handle(const char* hex)
{
    return reinterpret_cast<HWND>(std::strtoull(hex, nullptr, 16));
}

std::wstring FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    std::wstring text(size_t(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(), int(text.size()));
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 2) {
        // UTF-8 as it is, with no carriage returns added.
        ::_setmode(::_fileno(stdout), _O_BINARY);
        ::EnumWindows(ListWindow, 0);
        return 0;
    }
    if (command == "settext" && argc == 4) {
        const std::wstring text = FromHex(argv[3]);
        return ::SendMessageW(Handle(argv[2]), WM_SETTEXT, 0, LPARAM(text.c_str())) ? 0 : 1;
    }
    if (command == "click" && argc == 3)
        return ::PostMessageW(Handle(argv[2]), BM_CLICK, 0, 0) ? 0 : 1;
    if (command == "tab" && argc == 4)
        return ::PostMessageW(Handle(argv[2]), TCM_SETCURFOCUS, WPARAM(std::atoi(argv[3])), 0) ? 0 : 1;
    std::fprintf(stderr, "usage: window_texts list | settext HWND HEX | click HWND | tab HWND INDEX\n");
    return 64;
}
