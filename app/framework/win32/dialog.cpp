#include "app/framework/win32/dialog_p.h"

#include <algorithm>
#include <set>

#include "protocol/ansi_code_page.h"
#include "frontend/win32/string_table_module.h"
#include "app/framework/resource_library.h"
#include "app/framework/user_responder.h"

namespace {
const wchar_t* const kDialogProp = L"apconfig.dialog";
std::wstring WindowText(HWND hWnd)
{
    const int length = ::GetWindowTextLengthW(hWnd);
    std::wstring text(length + 1, L'\0');
    text.resize(::GetWindowTextW(hWnd, text.data(), length + 1));
    return text;
}

std::string ToAnsi(const std::wstring& wide)
{
    const CAnsiCodePage& page = CAnsiCodePage::Current();
    const auto* units = reinterpret_cast<const char16_t*>(wide.data());
    const int size = page.WideCharToMultiByte(units, int(wide.size()), nullptr, 0);
    std::string ansi(size, '\0');
    page.WideCharToMultiByte(units, int(wide.size()), ansi.data(), size);
    return ansi;
}

std::wstring FromAnsi(const std::string& ansi)
{
    const CAnsiCodePage& page = CAnsiCodePage::Current();
    const int size = page.MultiByteToWideChar(ansi.data(), int(ansi.size()), false, nullptr, 0);
    std::u16string wide(size, u'\0');
    page.MultiByteToWideChar(ansi.data(), int(ansi.size()), false, wide.data(), size);
    return std::wstring(wide.begin(), wide.end());
}

// The template's style, from either template form.
DWORD TemplateStyle(const void* data)
{
    const auto* words = static_cast<const WORD*>(data);
    if (words[0] == 1 && words[1] == 0xFFFF)  // DLGTEMPLATEEX: version, signature, help id, ex style, style
        return *reinterpret_cast<const DWORD*>(words + 6);
    return static_cast<const DLGTEMPLATE*>(data)->style;
}

// The caption-menu commands each window asked for.
std::set<unsigned>& CaptionCommands(HWND hWnd)
{
    static std::map<HWND, std::set<unsigned>> commands;
    return commands[hWnd];
}
}  // namespace

HWND ControlOfClass(CDialog* pOwner, int nId, const wchar_t* className)
{
    HWND control = pOwner ? static_cast<HWND>(pOwner->GetDlgItem(nId)) : nullptr;
    wchar_t found[32] = {};
    if (!control || !::GetClassNameW(control, found, 32) || lstrcmpiW(found, className) != 0)
        return nullptr;
    return control;
}

CDialog::CDialog(int nTemplateId, CDialog* pParentWnd)
    : m_nTemplateId(nTemplateId), m_pParentWnd(pParentWnd), m_pImpl(std::make_unique<Impl>())
{
    ++s_nLiveDialogs;
}

CDialog::~CDialog()
{
    DestroyWindow();
    ForgetMainWnd();
    --s_nLiveDialogs;
}

HWND CDialog::Impl::MakeWindow(CDialog& dialog, HWND hParent, bool child)
{
    const auto module = static_cast<HMODULE>(StringTableModule());
    HRSRC resource = module ? ::FindResourceW(module, MAKEINTRESOURCEW(dialog.m_nTemplateId), RT_DIALOG) : nullptr;
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    // A page must be a child window and a dialog of its own must not be.
    if (!data || ((TemplateStyle(data) & WS_CHILD) != 0) != child)
        return nullptr;
    return ::CreateDialogIndirectParamW(module, static_cast<LPCDLGTEMPLATEW>(data), hParent, &Impl::Proc,
                                        reinterpret_cast<LPARAM>(&dialog));
}

int CDialog::DoModal()
{
    Impl& d = *m_pImpl;
    if (d.hWnd)
        return -1;
    CDialog* owner = m_pParentWnd ? m_pParentWnd : GetMainWnd();
    HWND hOwner = owner && owner != this && owner->m_pImpl->hWnd ? ::GetAncestor(owner->m_pImpl->hWnd, GA_ROOT)
                                                                 : nullptr;
    m_bEnded = false;
    m_nResult = -1;
    d.bModal = true;
    if (!Impl::MakeWindow(*this, hOwner, false)) {
        d.bModal = false;
        ForgetMainWnd();
        return -1;
    }
    HWND hWnd = d.hWnd;
    const bool disableOwner = hOwner && ::IsWindowEnabled(hOwner);
    if (disableOwner)
        ::EnableWindow(hOwner, FALSE);
    if (!m_bEnded) {
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
        ::SetForegroundWindow(hWnd);
    }
    MSG msg;
    while (!m_bEnded && d.hWnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                ::PostQuitMessage(int(msg.wParam));  // for the loop outside
            break;
        }
        const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        if (key && (msg.hwnd == hWnd || ::IsChild(hWnd, msg.hwnd)) && d.PreTranslateKey(unsigned(msg.wParam)))
            continue;
        if (::IsDialogMessageW(hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // The owner comes back before this window goes, so it is activated.
    if (disableOwner)
        ::EnableWindow(hOwner, TRUE);
    if (d.hWnd)
        ::ShowWindow(hWnd, 0);
    DestroyWindow();
    d.bModal = false;
    return m_nResult;
}

bool CDialog::Impl::PreTranslateKey(unsigned key)
{
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    for (auto& handler : keys)
        if (handler(key, ctrl, shift, alt))
            return true;
    return false;
}

bool CDialog::Create(int nTemplateId, CDialog* pParent)
{
    if (m_pImpl->hWnd || !pParent || !pParent->m_pImpl->hWnd)
        return false;
    m_nTemplateId = nTemplateId;
    m_pParent = pParent;
    pParent->m_children.push_back(this);
    if (!Impl::MakeWindow(*this, pParent->m_pImpl->hWnd, true)) {
        LeaveParent();
        return false;
    }
    return true;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    // Wakes the modal loop, which may be waiting for a message.
    if (m_pImpl->hWnd)
        ::PostMessageW(m_pImpl->hWnd, WM_NULL, 0, 0);
}

void CDialog::ShowWindow(int nCmdShow)
{
    const bool bShow = nCmdShow != SW_HIDE;
    HWND hWnd = m_pImpl->hWnd;
    if (!hWnd || IsWindowVisible() == bShow)
        return;
    ::ShowWindow(hWnd, bShow ? SW_SHOWNA : 0);
    if (bShow && m_pParent)
        ::SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    OnShowWindow(bShow, 0);
}

bool CDialog::IsWindowVisible() const
{
    // The window's own style: a page counts as shown inside a hidden parent.
    return m_pImpl->hWnd && (::GetWindowLongW(m_pImpl->hWnd, GWL_STYLE) & WS_VISIBLE);
}

void CDialog::DestroyWindow()
{
    if (!m_pImpl->hWnd)
        return;
    OnDestroy();
    for (CDialog* child : std::vector<CDialog*>(m_children))
        child->DestroyWindow();
    HWND hWnd = m_pImpl->hWnd;
    m_pImpl->hWnd = nullptr;
    ::RemovePropW(hWnd, kDialogProp);
    CaptionCommands(hWnd).clear();
    ::DestroyWindow(hWnd);
    ForgetMainWnd();
    LeaveParent();
    PostNcDestroy();
}

void* CDialog::GetSafeHwnd() const
{
    return m_pImpl->hWnd;
}

void* CDialog::GetDlgItem(int nId) const
{
    return m_pImpl->hWnd ? ::GetDlgItem(m_pImpl->hWnd, nId) : nullptr;
}

CDialog* CDialog::FromWidget(void* hWnd)
{
    for (HWND w = static_cast<HWND>(hWnd); w; w = ::GetParent(w))
        if (HANDLE dialog = ::GetPropW(w, kDialogProp))
            return static_cast<CDialog*>(dialog);
    return nullptr;
}

std::string CDialog::GetDlgItemText(int nId, int nMaxBytes) const
{
    HWND item = static_cast<HWND>(GetDlgItem(nId));
    if (!item)
        return {};
    std::string text = ToAnsi(WindowText(item));
    if (static_cast<int>(text.size()) > nMaxBytes)
        text.resize(static_cast<size_t>(std::max(nMaxBytes, 0)));
    return text;
}

void CDialog::SetDlgItemText(int nId, const std::string& ansiText)
{
    if (HWND item = static_cast<HWND>(GetDlgItem(nId)))
        ::SetWindowTextW(item, FromAnsi(ansiText).c_str());
}

void CDialog::SetDlgItemLabel(int nId, const std::string& utf8Text)
{
    if (HWND item = static_cast<HWND>(GetDlgItem(nId)))
        ::SetWindowTextW(item, Utf8ToUtf16(utf8Text).c_str());
}

void CDialog::ShowDlgItem(int nId, bool bShow)
{
    if (HWND item = static_cast<HWND>(GetDlgItem(nId)))
        ::ShowWindow(item, bShow ? SW_SHOWNA : 0);
}

void CDialog::LimitText(int nId, int nBytes)
{
    HWND item = static_cast<HWND>(GetDlgItem(nId));
    if (!item)
        return;
    // EM_LIMITTEXT counts characters of a Unicode edit, which is the byte
    // count only in a single-byte code page: it bounds typing, and every
    // change is cut to the bytes it may take in the code page in force.
    ::SendMessageW(item, EM_LIMITTEXT, WPARAM(std::max(nBytes, 0)), 0);
    m_pImpl->limits[nId] = std::max(nBytes, 0);
    Impl::Limit(*this, nId);
}

void CDialog::EnableDlgItem(int nId, bool bEnable)
{
    if (HWND item = static_cast<HWND>(GetDlgItem(nId)))
        ::EnableWindow(item, bEnable);
}

void CDialog::OnClicked(int nId, std::function<void()> handler)
{
    m_pImpl->clicked[nId] = std::move(handler);
}

void CDialog::OnCommand(int nId, std::function<void(unsigned)> handler)
{
    m_pImpl->commands[nId] = std::move(handler);
}

void CDialog::OnNotify(int nId, std::function<bool(const void*, long long*)> handler)
{
    m_pImpl->notify[nId] = std::move(handler);
}

void CDialog::OnMessage(unsigned message, std::function<bool(unsigned long long, long long)> handler)
{
    m_pImpl->messages[message] = std::move(handler);
}

void CDialog::OnPreTranslateKey(std::function<bool(unsigned, bool, bool, bool)> handler)
{
    m_pImpl->keys.push_back(std::move(handler));
}

void CDialog::SetIcon(int nIconId)
{
    const auto module = static_cast<HMODULE>(StringTableModule());
    if (!m_pImpl->hWnd || !module)
        return;
    // Loaded once per size for the life of the process (LR_SHARED).
    for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int size = ::GetSystemMetrics(metric);
        if (HANDLE icon = ::LoadImageW(module, MAKEINTRESOURCEW(nIconId), IMAGE_ICON, size, size, LR_SHARED))
            ::SendMessageW(m_pImpl->hWnd, WM_SETICON, which, LPARAM(icon));
    }
}

void CDialog::AppendCaptionMenu(int nTextId, unsigned nCommandId)
{
    if (!m_pImpl->hWnd)
        return;
    HMENU menu = ::GetSystemMenu(m_pImpl->hWnd, FALSE);
    if (!menu)
        return;
    auto& commands = CaptionCommands(m_pImpl->hWnd);
    if (commands.empty())
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, nCommandId, Utf8ToUtf16(CResourceLibrary::LoadString(nTextId)).c_str());
    commands.insert(nCommandId & 0xFFF0);
}

void CDialog::Impl::Limit(CDialog& dialog, int nId)
{
    const auto& limits = dialog.m_pImpl->limits;
    const auto limit = limits.find(nId);
    HWND item = static_cast<HWND>(dialog.GetDlgItem(nId));
    if (limit == limits.end() || !item)
        return;
    const std::wstring text = WindowText(item);
    if (static_cast<int>(ToAnsi(text).size()) <= limit->second)
        return;
    // The longest start that fits, never splitting a surrogate pair.
    size_t keep = text.size();
    while (keep > 0 && static_cast<int>(ToAnsi(text.substr(0, keep)).size()) > limit->second)
        keep -= (keep >= 2 && IS_LOW_SURROGATE(text[keep - 1]) && IS_HIGH_SURROGATE(text[keep - 2])) ? 2 : 1;
    ::SetWindowTextW(item, text.substr(0, keep).c_str());
    ::SendMessageW(item, EM_SETSEL, keep, keep);
    MessageBeep(MB_OK);
}

bool CDialog::Impl::Command(CDialog& dialog, WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const unsigned code = HIWORD(wParam);
    if (lParam && code == EN_CHANGE && dialog.m_pImpl->limits.count(id))
        Limit(dialog, id);
    if (lParam && code == BN_CLICKED) {
        const auto clicked = dialog.m_pImpl->clicked.find(id);
        if (clicked != dialog.m_pImpl->clicked.end()) {
            auto handler = clicked->second;  // it may replace itself
            handler();
            return true;
        }
    }
    if (lParam) {
        const auto command = dialog.m_pImpl->commands.find(id);
        if (command != dialog.m_pImpl->commands.end()) {
            auto handler = command->second;
            handler(code);
            return true;
        }
    }
    if ((id == IDOK || id == IDCANCEL) && (code == BN_CLICKED || code == 0)) {
        // The keyboard's Enter and Escape reach the top dialog: they are the
        // business of the dialog that holds the focus, which may be a page.
        CDialog* target = &dialog;
        HWND focus = ::GetFocus();
        HWND button = reinterpret_cast<HWND>(lParam);
        const bool fromButton = button && ::GetFocus() == button;
        if (!fromButton && focus && ::IsChild(dialog.m_pImpl->hWnd, focus))
            if (CDialog* holder = CDialog::FromWidget(focus))
                target = holder;
        if (id == IDOK)
            target->OnOK();
        else
            target->OnCancel();
        return true;
    }
    return false;
}

INT_PTR CALLBACK CDialog::Impl::Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetPropW(hWnd, kDialogProp, dialog);
        dialog->m_pImpl->hWnd = hWnd;
        return dialog->OnInitDialog();
    }
    auto* dialog = static_cast<CDialog*>(::GetPropW(hWnd, kDialogProp));
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return Command(*dialog, wParam, lParam);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const auto& notify = dialog->m_pImpl->notify;
        const auto handler = notify.find(int(header->idFrom));
        if (handler == notify.end())
            return FALSE;
        long long result = 0;
        auto call = handler->second;
        if (!call(header, &result))
            return FALSE;
        ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, LONG_PTR(result));
        return TRUE;
    }
    case WM_CLOSE:
        // The caption's close button: this dialog's own Cancel, wherever the focus is.
        if (dialog->m_pImpl->bModal)
            dialog->OnCancel();
        return TRUE;
    case WM_DPICHANGED:
        // Moved to a monitor of another dpi: the window takes the rectangle
        // the system suggests, and the dialog manager then scales the
        // controls and the font (hence FALSE).
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
            ::SetWindowPos(hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return FALSE;
    case WM_SYSCOMMAND:
        if (CaptionCommands(hWnd).count(unsigned(wParam) & 0xFFF0)) {
            dialog->OnSysCommand(unsigned(wParam) & 0xFFF0);
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        // Destroyed from outside (its owner went): the dialog hears of it.
        if (dialog->m_pImpl->hWnd == hWnd) {
            ::RemovePropW(hWnd, kDialogProp);
            dialog->m_pImpl->hWnd = nullptr;
            dialog->ForgetMainWnd();
            dialog->PostNcDestroy();
        }
        return FALSE;
    default: {
        const auto& messages = dialog->m_pImpl->messages;
        const auto handler = messages.find(message);
        if (handler == messages.end())
            return FALSE;
        auto call = handler->second;
        return call(wParam, lParam) ? TRUE : FALSE;
    }
    }
}
