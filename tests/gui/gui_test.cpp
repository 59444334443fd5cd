#include "tests/gui/gui_test.h"

#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/main.h>
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>
#include <stdlib.h>

#include <cstdio>

#include <filesystem>

#include "app/framework/resource_library.h"
#include "protocol/line_settings.h"
#include "protocol/manufacturer_registry.h"
#include "app/resource_ids.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/tick_count.h"
#include "serial/reply_readers.h"

namespace {
constexpr int kWatchdogMs = 20000;
}

std::string S(int id)
{
    return CResourceLibrary::LoadString(id);
}

void GuiTest::SetUp()
{
    ASSERT_TRUE(CResourceLibrary::Load());
    CUserResponder::Replace(&m_responder);
    char folder[] = "/tmp/apconfig-guiXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    m_folder = folder;
    CComPortResolver::SetDeviceFolder(m_folder);
    // Only the ports a test lays out: none of the machine's own.
    CComPortResolver::SetSysfsRoot(m_folder + "/no-sysfs");
    CComPortResolver::SetHardwareNames(nullptr);
    // Makers only where a test gives its own registry.
    CManufacturerRegistry::SetSharedFolder(m_folder + "/no-registry");
}

void GuiTest::TearDown()
{
    for (auto& watch : m_watches)
        watch.disconnect();
    if (m_port)
        m_port->Close();
    m_port.reset();
    if (m_device)
        m_device->Stop();
    CUserResponder::Replace(nullptr);
    CTickCount::SetSource(nullptr);
    CComPortResolver::SetDeviceFolder("/dev");
    CComPortResolver::SetSysfsRoot("/sys");
    CManufacturerRegistry::SetSharedFolder(CManufacturerRegistry::kDebianFolder);
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void GuiTest::StartDevice(AccessPointState state)
{
    m_device = std::make_unique<CPtyAccessPoint>(CAccessPointModel(std::move(state)));
    m_device->Start();
    ASSERT_FALSE(m_device->LinkAsCom(m_folder, kPort));
}

CSerialPort& GuiTest::OpenPort(std::unique_ptr<CSerialPort> port)
{
    if (m_port)
        m_port->Close();
    m_port = port ? std::move(port) : std::make_unique<CSerialPort>();
    const DCB settings = AccessPointLineSettings();
    EXPECT_TRUE(m_port->Open(kPort, &settings));
    SetReplyTimeout(kConversationTimeoutMs);
    return *m_port;
}

int GuiTest::RunMainWindow(std::function<void(CMainDlg&)> script, std::unique_ptr<CSerialPort> port)
{
    CMainDlg main(&OpenPort(std::move(port)));
    WhenShown(IDD_MAIN, [script](CDialog& shown) {
        script(static_cast<CMainDlg&>(shown));
        shown.EndDialog(IDOK);
    });
    return main.DoModal();
}

void GuiTest::SelectTab(CMainDlg& main, int index)
{
    main.GetDlgItem<Gtk::Notebook>(IDC_TAB)->set_current_page(index);
}

std::vector<ApCommand> GuiTest::Commands() const
{
    std::vector<ApCommand> commands;
    for (const auto& exchange : m_device->Exchanges())
        commands.push_back(exchange.command);
    return commands;
}

std::vector<std::string> GuiTest::Payloads(ApCommand command) const
{
    std::vector<std::string> payloads;
    for (const auto& exchange : m_device->Exchanges())
        if (exchange.command == command)
            payloads.push_back(exchange.payload);
    return payloads;
}

void GuiTest::FaultOn(ApCommand command, const std::function<void(FaultPlan&)>& fault, size_t nth)
{
    FaultPlan plan;
    plan.onCommand = command;
    if (nth)
        plan.onExchange = nth;
    fault(plan);
    m_device->SetFaults(plan);
}

void GuiTest::SpeedUpClock(uint32_t factor)
{
    CTickCount::SetSource([factor] { return CTickCount::MonotonicMs() * factor; });
}

void GuiTest::WhenShown(int templateId, std::function<void(CDialog&)> action)
{
    auto waited = std::make_shared<int>(0);
    m_watches.push_back(Glib::signal_timeout().connect(
        [templateId, action, waited] {
            if (CDialog* dialog = FindShown(templateId)) {
                action(*dialog);
                return false;
            }
            if ((*waited += 10) < kWatchdogMs)
                return true;
            ADD_FAILURE() << "dialog " << templateId << " never showed";
            for (Gtk::Window* window : Gtk::Window::list_toplevels())
                if (CDialog* shown = window->get_visible() ? CDialog::FromWidget(window) : nullptr)
                    shown->EndDialog(IDCANCEL);
            return false;
        },
        10));
}

CDialog* GuiTest::FindShown(int templateId)
{
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        CDialog* dialog = window->get_visible() ? CDialog::FromWidget(window) : nullptr;
        if (dialog && dialog->GetTemplateId() == templateId)
            return dialog;
    }
    return nullptr;
}

void GuiTest::Later(std::function<void()> action)
{
    m_watches.push_back(Glib::signal_timeout().connect(
        [action] {
            action();
            return false;
        },
        10));
}

void GuiTest::SendKey(Gtk::Window& window, guint keyval, guint state)
{
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.state = state;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(GTK_WIDGET(window.gobj()), event);
    gdk_event_free(event);
}

void GuiTest::Respond(CDialog& dialog, int response)
{
    if (auto* modal = dynamic_cast<Gtk::Dialog*>(dialog.GetToplevel()))
        modal->response(response);
}

void GuiTest::PumpEvents()
{
    while (Gtk::Main::events_pending())
        Gtk::Main::iteration(false);
}

int RunTestsOnDisplay(int argc, char** argv, const char* program)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "%s: no display (run under xvfb-run)\n", program);
        return 1;
    }
    Gtk::Main::init_gtkmm_internals();
    return RUN_ALL_TESTS();
}
