#include "app/framework/gtk/dialog_p.h"

#include <gtkmm/button.h>
#include <gtkmm/combobox.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include <algorithm>

#include "app/framework/gtk/resource_templates.h"
#include "app/framework/resource_library.h"
#include "protocol/ansi_code_page.h"

namespace {
const char* const kDialogKey = "apconfig-dialog";

bool IsEnterKey(guint key)
{
    return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter;
}

// Enter on a push button presses it; anywhere else it means OK.
bool IsPushButton(Gtk::Widget* widget)
{
    if (!dynamic_cast<Gtk::Button*>(widget))
        return false;
    for (Gtk::Widget* w = widget; w; w = w->get_parent())
        if (dynamic_cast<Gtk::ComboBox*>(w))
            return false;
    return true;
}

// The longest start of utf8 that takes at most nBytes in the ANSI code page.
Glib::ustring FitInBytes(const Glib::ustring& utf8, int nBytes)
{
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    Glib::ustring fitted;
    for (gunichar c : utf8) {
        Glib::ustring longer = fitted + c;
        if (codePage.ByteLength(longer) > nBytes)
            break;
        fitted = longer;
    }
    return fitted;
}

bool IsModalRoot(Gtk::Widget* root)
{
    return dynamic_cast<Gtk::Dialog*>(root) != nullptr;
}

// A page goes inside another window: a container of its own, never a window.
bool IsChildRoot(Gtk::Widget* root)
{
    return dynamic_cast<Gtk::Container*>(root) && !dynamic_cast<Gtk::Window*>(root) && !root->get_parent();
}

// Toplevel windows outlive the builder that made them, and a window with a
// C++ wrapper goes only with its wrapper; everything else goes with the
// builder.
void DestroyToplevels(GtkBuilder* builder)
{
    std::vector<Gtk::Window*> toplevels;
    GSList* objects = gtk_builder_get_objects(builder);
    for (GSList* object = objects; object; object = object->next)
        if (GTK_IS_WINDOW(object->data) && !gtk_widget_get_parent(GTK_WIDGET(object->data)))
            toplevels.push_back(Glib::wrap(GTK_WINDOW(object->data)));
    g_slist_free(objects);
    for (Gtk::Window* window : toplevels)
        delete window;
}
}  // namespace

CDialog::CDialog(int nTemplateId, CDialog* pParentWnd)
    : m_nTemplateId(nTemplateId), m_pParentWnd(pParentWnd), m_pImpl(std::make_unique<Impl>(*this))
{
    ++s_nLiveDialogs;
}

CDialog::~CDialog()
{
    // Only the base's notifications can run from here; owners destroy the
    // window first, so this is a safety net.
    DestroyWindow();
    ForgetMainWnd();
    --s_nLiveDialogs;
}

bool CDialog::Impl::Build(int nTemplateId, const char* rootId, bool (*fits)(Gtk::Widget*))
{
    builder = LoadDialogTemplate(nTemplateId);
    if (!builder)
        return false;
    auto object = builder->get_object(rootId);
    auto* root = dynamic_cast<Gtk::Widget*>(object.get());
    if (!root || !fits(root)) {
        // Never a window of this dialog: it hears of nothing, and nothing
        // the template made stays behind.
        object.reset();
        DestroyToplevels(builder->gobj());
        builder.reset();
        return false;
    }
    pWindow = root;
    pWindow->set_data(kDialogKey, &self);
    return true;
}

int CDialog::DoModal()
{
    Impl& d = *m_pImpl;
    if (!d.Build(m_nTemplateId, "dialog", IsModalRoot)) {
        ForgetMainWnd();
        return -1;
    }
    d.pModal = static_cast<Gtk::Dialog*>(d.pWindow);
    CDialog* owner = m_pParentWnd ? m_pParentWnd : GetMainWnd();
    if (Gtk::Window* parent = owner && owner != this ? owner->GetToplevel() : nullptr)
        d.pModal->set_transient_for(*parent);
    d.pModal->signal_key_press_event().connect(sigc::mem_fun(d, &Impl::OnKeyPress), false);
    m_bEnded = false;
    m_nResult = -1;
    OnInitDialog();
    while (!m_bEnded) {
        d.bRunning = true;
        const int response = d.pModal->run();
        d.bRunning = false;
        if (m_bEnded)
            break;
        if (response == Gtk::RESPONSE_OK)
            OnOK();
        else if (response == Gtk::RESPONSE_CANCEL || response == Gtk::RESPONSE_DELETE_EVENT)
            OnCancel();
    }
    d.pModal->hide();
    DestroyWindow();
    return m_nResult;
}

bool CDialog::Create(int nTemplateId, CDialog* pParent)
{
    if (m_pImpl->pWindow || !pParent || !m_pImpl->Build(nTemplateId, "page", IsChildRoot))
        return false;
    m_pParent = pParent;
    pParent->m_children.push_back(this);
    OnInitDialog();
    return true;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    if (m_pImpl->bRunning && m_pImpl->pModal)
        m_pImpl->pModal->response(Gtk::RESPONSE_NONE);
}

void CDialog::ShowWindow(int nCmdShow)
{
    const bool bShow = nCmdShow != SW_HIDE;
    Gtk::Widget* window = m_pImpl->pWindow;
    if (!window || window->get_visible() == bShow)
        return;
    window->set_visible(bShow);
    OnShowWindow(bShow, 0);
}

bool CDialog::IsWindowVisible() const
{
    return m_pImpl->pWindow && m_pImpl->pWindow->get_visible();
}

void CDialog::DestroyWindow()
{
    Impl& d = *m_pImpl;
    if (!d.pWindow)
        return;
    OnDestroy();
    // Children go after their parent heard of its destruction.
    for (CDialog* child : std::vector<CDialog*>(m_children))
        child->DestroyWindow();
    d.pCaptionMenu.reset();
    if (d.pModal) {
        delete d.pModal;
        d.pModal = nullptr;
    } else {
        // A child's root is held by its holder and the builder: destroying
        // it makes both let go, so the widgets go with the page.
        gtk_widget_destroy(d.pWindow->gobj());
    }
    d.pWindow = nullptr;
    d.builder.reset();
    ForgetMainWnd();
    LeaveParent();
    PostNcDestroy();
}

Gtk::Widget* CDialog::GetWindow() const
{
    return m_pImpl->pWindow;
}

Gtk::Window* CDialog::GetToplevel() const
{
    Gtk::Widget* window = m_pImpl->pWindow;
    return window ? dynamic_cast<Gtk::Window*>(window->get_toplevel()) : nullptr;
}

Gtk::Widget* CDialog::GetDlgItem(int nId) const
{
    if (!m_pImpl->builder)
        return nullptr;
    auto object = m_pImpl->builder->get_object(std::to_string(nId));
    return dynamic_cast<Gtk::Widget*>(object.get());
}

std::string CDialog::GetDlgItemText(int nId, int nMaxBytes) const
{
    auto* entry = GetDlgItem<Gtk::Entry>(nId);
    if (!entry)
        return {};
    std::string text = CAnsiCodePage::Current().FromUtf8(entry->get_text());
    if (static_cast<int>(text.size()) > nMaxBytes)
        text.resize(static_cast<size_t>(std::max(nMaxBytes, 0)));
    return text;
}

void CDialog::SetDlgItemText(int nId, const std::string& ansiText)
{
    if (auto* entry = GetDlgItem<Gtk::Entry>(nId))
        entry->set_text(CAnsiCodePage::Current().ToUtf8(ansiText));
}

void CDialog::SetDlgItemLabel(int nId, const std::string& utf8Text)
{
    if (auto* label = GetDlgItem<Gtk::Label>(nId))
        label->set_text(utf8Text);
}

void CDialog::ShowDlgItem(int nId, bool bShow)
{
    if (Gtk::Widget* item = GetDlgItem(nId))
        item->set_visible(bShow);
}

void CDialog::LimitText(int nId, int nBytes)
{
    auto* entry = GetDlgItem<Gtk::Entry>(nId);
    if (!entry)
        return;
    // Runs before the entry inserts: only what still fits goes in.
    entry->signal_insert_text().connect(
        [entry, nBytes](const Glib::ustring& text, int* position) {
            const int room = nBytes - CAnsiCodePage::Current().ByteLength(entry->get_text());
            Glib::ustring fitted = FitInBytes(text, std::max(room, 0));
            if (fitted.bytes() == text.bytes())
                return;
            g_signal_stop_emission_by_name(entry->gobj(), "insert-text");
            if (!fitted.empty())
                entry->insert_text(fitted, static_cast<int>(fitted.bytes()), *position);
        },
        false);
}

void CDialog::EnableDlgItem(int nId, bool bEnable)
{
    if (Gtk::Widget* item = GetDlgItem(nId))
        item->set_sensitive(bEnable);
}

void CDialog::OnClicked(int nId, std::function<void()> handler)
{
    if (auto* button = GetDlgItem<Gtk::Button>(nId))
        button->signal_clicked().connect(std::move(handler));
}

void CDialog::SetIcon(int nIconId)
{
    Gtk::Window* window = GetToplevel();
    if (auto icon = window ? LoadIcon(nIconId) : Glib::RefPtr<Gdk::Pixbuf>())
        window->set_icon(icon);
}

void CDialog::AppendCaptionMenu(int nTextId, unsigned nCommandId)
{
    Gtk::Window* window = GetToplevel();
    if (!window)
        return;
    auto& menu = m_pImpl->pCaptionMenu;
    if (!menu)
        menu = std::make_unique<CCaptionMenu>(*window, [this](unsigned nCommand) { OnSysCommand(nCommand); });
    menu->Append(CResourceLibrary::LoadString(nTextId), nCommandId);
}

bool CDialog::GetCaptionRect(int rect[4]) const
{
    Gtk::Window* window = GetToplevel();
    return window && CCaptionMenu::GetCaptionRect(*window, rect);
}

CDialog* CDialog::FromWidget(Gtk::Widget* widget)
{
    for (Gtk::Widget* w = widget; w; w = w->get_parent())
        if (void* dialog = w->get_data(kDialogKey))
            return static_cast<CDialog*>(dialog);
    return nullptr;
}

bool CDialog::Impl::OnKeyPress(GdkEventKey* event)
{
    const bool enter = IsEnterKey(event->keyval);
    if (!enter && event->keyval != GDK_KEY_Escape)
        return false;
    Gtk::Widget* focus = pModal ? pModal->get_focus() : nullptr;
    if (enter && IsPushButton(focus))
        return false;
    CDialog* target = FromWidget(focus);
    if (!target)
        target = &self;
    if (enter)
        target->OnOK();
    else
        target->OnCancel();
    return true;
}
