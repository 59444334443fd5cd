#include "app/framework/single_instance_lock.h"

#include "app/framework/win32/windows_api.h"

namespace {
// The holder's hidden window, found by its class name by a later start.
std::wstring ListenerClass(const std::string& name)
{
    return Utf8ToUtf16("apconfig.knock." + name);
}

LRESULT CALLBACK ListenerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT knock = ::RegisterWindowMessageW(L"apconfig.knock");
    if (message == knock) {
        auto* knocked = reinterpret_cast<std::function<void()>*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (knocked && *knocked)
            (*knocked)();
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}
}  // namespace

// The mutex held, and the hidden window knocks are posted to.
struct CSingleInstanceLock::Impl {
    HANDLE hMutex = nullptr;
    HWND hListener = nullptr;
};

CSingleInstanceLock::CSingleInstanceLock() : m_pImpl(std::make_unique<Impl>()) {}

CSingleInstanceLock::~CSingleInstanceLock()
{
    Release();
}

std::string CSingleInstanceLock::NameFor(const std::string& name)
{
    return "Local\\" + name;
}

bool CSingleInstanceLock::Create(const std::string& name)
{
    Release();
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, Utf8ToUtf16(NameFor(name)).c_str());
    const DWORD error = ::GetLastError();
    if (!mutex)
        return false;
    const std::wstring className = ListenerClass(name);
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        m_bAlreadyExists = true;
        // Knock: the first start may take the foreground, as asked.
        if (HWND listener = ::FindWindowW(className.c_str(), nullptr)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(listener, &process);
            ::AllowSetForegroundWindow(process);
            ::PostMessageW(listener, ::RegisterWindowMessageW(L"apconfig.knock"), 0, 0);
        }
        return false;
    }
    m_pImpl->hMutex = mutex;
    m_bAlreadyExists = false;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ListenerProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    ::RegisterClassW(&windowClass);
    // A hidden top-level window (message-only windows cannot be found).
    HWND listener = ::CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
    if (listener)
        ::SetWindowLongPtrW(listener, GWLP_USERDATA, LONG_PTR(&m_knocked));
    m_pImpl->hListener = listener;
    return true;
}

void CSingleInstanceLock::OnKnock(std::function<void()> knocked)
{
    m_knocked = std::move(knocked);
}

void CSingleInstanceLock::Release()
{
    if (m_pImpl->hListener) {
        ::DestroyWindow(m_pImpl->hListener);
        m_pImpl->hListener = nullptr;
    }
    if (m_pImpl->hMutex) {
        ::ReleaseMutex(m_pImpl->hMutex);
        ::CloseHandle(m_pImpl->hMutex);
        m_pImpl->hMutex = nullptr;
    }
}
