#include "cli/apctl.h"

#include <algorithm>
#include <cctype>
#include <set>

#include <glibmm/regex.h>

#include "app/pages/name_edit_dlg.h"
#include "app/pages/pin_page.h"
#include "cli/json_output.h"
#include "cli/port_choice.h"
#include "cli/port_listing.h"
#include "cli/progress_line.h"
#include "protocol/device_name_codec.h"
#include "protocol/exchanges.h"
#include "protocol/posix/ansi_code_page.h"
#include "protocol/posix/manufacturer_registry.h"
#include "protocol/posix/port_line_settings.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"

namespace {
std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool IsDisplayedAddress(const std::string& text)
{
    return Glib::Regex::match_simple(R"(\A([0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2}\z)", text);
}
}  // namespace

CApctl::CApctl(std::FILE* out, std::FILE* err, bool errIsTerminal)
    : m_pOut(out), m_pErr(err), m_bErrIsTerminal(errIsTerminal)
{
}

int CApctl::Fail(int code, const std::string& message)
{
    std::fprintf(m_pErr, "apctl: %s\n", message.c_str());
    return code;
}

int CApctl::CheckArguments(const ApctlOptions& options)
{
    using C = ApctlOptions::ECommand;
    if (options.command == C::Delete)
        for (const std::string& address : options.arguments)
            if (!IsDisplayedAddress(address))
                return Fail(kUsage, "'" + address + "' is not an address such as 44:55:33:00:11:22");
    if (options.command == C::Pin)
        for (const std::string* pin : {&*options.currentPin, &*options.newPin})
            if (static_cast<int>(pin->size()) > CPinPage::kMaxPinBytes)
                return Fail(kUsage, "a PIN takes at most " + std::to_string(CPinPage::kMaxPinBytes) + " bytes");
    if (options.command == C::Name && !options.arguments.empty()) {
        // The name entry dialog's rules: what fits its field, and what it
        // accepts from there.
        const std::string& name = options.arguments.front();
        if (static_cast<int>(name.size()) > CNameEditDlg::kMaxNameChars)
            return Fail(kUsage, "a name takes at most " + std::to_string(CNameEditDlg::kMaxNameChars) +
                                    " bytes in this locale's character set");
        if (name.empty())
            return Fail(kUsage, "the name is empty");
        if (!AnsiToUtf8Name(name, m_utf8Name))
            return Fail(kUsage, "the name must be made of single-byte characters valid in this locale's "
                                "character set (" + CAnsiCodePage::Current().Name() + ")");
    }
    return kDone;
}

int CApctl::Run(const ApctlOptions& options)
{
    if (int invalid = CheckArguments(options))
        return invalid;
    if (options.command == ApctlOptions::ECommand::ListPorts)
        return ListPorts(options.json);
    const PortChoice choice = CPortChooser::Choose(options.port);
    if (choice.number == 0)
        return Fail(choice.exitCode, choice.error);
    m_portName = choice.name;
    DCB settings;
    if (!BuildAccessPointLineSettings(choice.number, settings))
        return Fail(kPortUnusable, choice.name + ": its line settings cannot be read");
    CSerialPort port;
    if (!port.Open(choice.number, &settings)) {
        port.Close();
        return Fail(kPortUnusable, choice.name + ": cannot be opened");
    }
    if (!AccessPointAnswers(&port)) {
        port.Close();
        return Fail(kNoAnswer, "no access point answered on " + choice.name);
    }
    SetReplyTimeout(kConversationTimeoutMs);
    const int result = Exchange(port, options);
    // The conversation ends as apconfig ends it, however the exchange went.
    try {
        EndConversation(&port);
    } catch (int) {
    }
    port.Close();
    return result;
}

int CApctl::Exchange(CSerialPort& port, const ApctlOptions& options)
{
    using C = ApctlOptions::ECommand;
    switch (options.command) {
    case C::Identify: return Identify();
    case C::List: return List(port, options.json);
    case C::Delete: return Delete(port, options.arguments);
    case C::Pin: return ChangePin(port, *options.currentPin, *options.newPin);
    case C::Name: return options.arguments.empty() ? ReadName(port, options.json) : ChangeName(port);
    case C::ListPorts: break;
    }
    return kUsage;
}

int CApctl::ListPorts(bool json)
{
    const auto rows = CPortListing::Rows();
    std::fputs((json ? CPortListing::Json(rows) : CPortListing::Text(rows)).c_str(), m_pOut);
    return kDone;
}

int CApctl::Identify()
{
    std::fprintf(m_pOut, "An access point answers on %s.\n", m_portName.c_str());
    return kDone;
}

int CApctl::List(CSerialPort& port, bool json)
{
    std::vector<LinkRecord> records;
    try {
        CProgressLine progress(m_pErr, m_bErrIsTerminal);
        ReadPairedDevices(&port, records, [&progress](int read, int count) { progress.Update(read, count); });
    } catch (int code) {
        return code == kListNotAcknowledged ? Fail(kRefused, "the access point refused to list its paired devices")
                                            : Fail(kNoAnswer, "the list of paired devices came late or cut short");
    }
    CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
    registry.Load();
    std::vector<std::pair<std::string, std::string>> devices;
    for (const LinkRecord& record : records)
        devices.emplace_back(FormatLinkAddress(record), registry.Lookup(record));
    if (json) {
        std::fputs(CJsonOutput::PairedDevices(devices).c_str(), m_pOut);
        return kDone;
    }
    for (const auto& [address, manufacturer] : devices)
        std::fprintf(m_pOut, "%s%s%s\n", address.c_str(), manufacturer.empty() ? "" : "  ",
                     CAnsiCodePage::Current().FromUtf8(manufacturer).c_str());
    return kDone;
}

int CApctl::Delete(CSerialPort& port, const std::vector<std::string>& addresses)
{
    std::vector<LinkRecord> records;
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        return code == kListNotAcknowledged ? Fail(kRefused, "the access point refused to list its paired devices")
                                            : Fail(kNoAnswer, "the list of paired devices came late or cut short");
    }
    std::set<std::string> named;
    for (const std::string& address : addresses)
        named.insert(Upper(address));
    // Sent back as received, in the order the access point listed them.
    std::vector<LinkRecord> chosen;
    for (const LinkRecord& record : records)
        if (named.erase(FormatLinkAddress(record)))
            chosen.push_back(record);
    if (!named.empty())
        return Fail(kRefused, "the access point holds no paired device " + *named.begin() + "; nothing was deleted");
    bool deleted = false;
    try {
        deleted = DeletePairedDevices(&port, chosen);
    } catch (int) {
        return Fail(kNoAnswer, "the access point did not answer the deletion in time");
    }
    if (!deleted)
        return Fail(kRefused, "the access point refused the deletion");
    std::fprintf(m_pOut, "Deleted %zu paired device%s.\n", chosen.size(), chosen.size() == 1 ? "" : "s");
    return kDone;
}

int CApctl::ChangePin(CSerialPort& port, const std::string& current, const std::string& next)
{
    bool changed = false;
    try {
        changed = ::ChangePin(&port, current.c_str(), next.c_str());
    } catch (int) {
        return Fail(kNoAnswer, "the access point did not answer the PIN change in time");
    }
    if (!changed)
        return Fail(kRefused, "the access point refused the PIN change (is the current PIN right?)");
    std::fputs("PIN changed.\n", m_pOut);
    return kDone;
}

int CApctl::ReadName(CSerialPort& port, bool json)
{
    char name[kNameBufferSize];
    bool acknowledged = false;
    try {
        acknowledged = ReadDeviceName(&port, name);
    } catch (int) {
        return Fail(kNoAnswer, "the access point's name came late or cut short");
    }
    if (!acknowledged)
        return Fail(kRefused, "the access point refused to give its name");
    if (!Utf8ToAnsiInPlace(name))
        return Fail(kNoAnswer, "the access point's name is not text that can be shown");
    if (json)
        std::fputs(CJsonOutput::Name(CAnsiCodePage::Current().ToUtf8(name)).c_str(), m_pOut);
    else
        std::fprintf(m_pOut, "%s\n", name);
    return kDone;
}

int CApctl::ChangeName(CSerialPort& port)
{
    bool changed = false;
    try {
        changed = ChangeDeviceName(&port, m_utf8Name.c_str());
    } catch (int) {
        return Fail(kNoAnswer, "the access point did not answer the name change in time");
    }
    if (!changed)
        return Fail(kRefused, "the access point refused the new name");
    std::fputs("Name changed.\n", m_pOut);
    return kDone;
}
