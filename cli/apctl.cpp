#include "cli/apctl.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"
#include "cli/console_text_writer.h"
#include "cli/interruptible_port.h"
#include "cli/json_output.h"
#include "cli/port_choice.h"
#include "cli/port_listing.h"
#include "cli/progress_line.h"
#include "cli/terminal_text.h"
#include "frontend/port_hints.h"
#include "protocol/ansi_code_page.h"
#include "protocol/device_name_codec.h"
#include "protocol/exchanges.h"
#include "protocol/sendable_text.h"
#include "protocol/manufacturer_registry.h"
#include "protocol/line_settings.h"
#include "serial/network_ports.h"
#include "serial/port_list.h"
#include "serial/reply_readers.h"
#include "serial/rfc2217/network_port_address.h"
#include "serial/serial_port.h"

namespace {
std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Six pairs of hexadecimal digits with colons between: 44:55:33:00:11:22.
bool IsDisplayedAddress(const std::string& text)
{
    if (text.size() != 17)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i % 3 == 2 ? text[i] != ':' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}
}  // namespace

CApctl::CApctl(std::FILE* out, bool outClosed, std::FILE* err, bool errIsTerminal)
    : m_out(out, outClosed), m_pErr(err), m_bErrIsTerminal(errIsTerminal)
{
}

int CApctl::Fail(int code, const std::string& message)
{
    CConsoleTextWriter::Write(m_pErr, "apctl: " + CTerminalText::Escaped(message) + "\n");
    return code;
}

int CApctl::Late(const CSerialPort& port, const std::string& message)
{
    // Cut short on purpose: nothing to tell.
    if (int status = Interrupted())
        return status;
    const std::string why = CPortHints::ConversationFailureLine(m_portName, port);
    if (why.empty())
        return Fail(kNoAnswer, message);
    // Unplugged: a matter of the port, as when it cannot be opened.
    return Fail(port.IsGone() ? kPortUnusable : kNoAnswer, why);
}

int CApctl::Acknowledged(CSerialPort& port, const std::function<bool()>& exchange, const std::string& late,
                         const std::string& refused)
{
    bool acknowledged = false;
    try {
        acknowledged = exchange();
    } catch (int) {
        return Late(port, late);
    }
    return acknowledged ? kDone : Fail(kRefused, refused);
}

int CApctl::Deliver(int result)
{
    if (m_out.Deliver())
        return result;
    const int failed = Fail(kOutputFailed, CApctlText::Get(IDS_APCTL_OUTPUT_FAILED, {m_out.Error()}));
    return result != kDone ? result : failed;
}

int CApctl::CheckArguments(const ApctlOptions& options)
{
    using C = ApctlOptions::ECommand;
    if (options.command == C::Delete)
        for (const std::string& address : options.arguments)
            if (!IsDisplayedAddress(address))
                return Fail(kUsage, CApctlText::Get(IDS_APCTL_NOT_AN_ADDRESS, {address}));
    if (options.command == C::Pin)
        for (const auto& [pin, option] : {std::pair{&*options.currentPin, "--current"},
                                          std::pair{&*options.newPin, "--new"}})
            switch (CSendableText::CheckPin(*pin)) {
            case CSendableText::EFault::None: break;
            case CSendableText::EFault::TooLong:
                return Fail(kUsage, CApctlText::Get(IDS_APCTL_PIN_TOO_LONG,
                                                    {option, std::to_string(CSendableText::kMaxPinBytes)}));
            default:
                return Fail(kUsage, CApctlText::Get(IDS_APCTL_PIN_CONTROL, {option}));
            }
    if (options.command == C::Ports)
        return CheckPorts(options.arguments);
    if (options.command == C::Name && !options.arguments.empty()) {
        // The name entry dialog's rules: what fits its field, and what it
        // accepts from there.
        switch (CSendableText::CheckName(options.arguments.front(), m_utf8Name)) {
        case CSendableText::EFault::None: break;
        case CSendableText::EFault::TooLong:
            return Fail(kUsage,
                        CApctlText::Get(IDS_APCTL_NAME_TOO_LONG, {std::to_string(CSendableText::kMaxNameChars)}));
        case CSendableText::EFault::Empty: return Fail(kUsage, CApctlText::Get(IDS_APCTL_NAME_EMPTY));
        case CSendableText::EFault::ControlCharacter:
            return Fail(kUsage, CApctlText::Get(IDS_APCTL_NAME_CONTROL));
        case CSendableText::EFault::NotInCodePage:
            return Fail(kUsage, CApctlText::Get(IDS_APCTL_NAME_NOT_IN_CODE_PAGE, {CAnsiCodePage::Current().Name()}));
        }
    }
    return kDone;
}

int CApctl::CheckPorts(const std::vector<std::string>& arguments)
{
    const std::string& verb = arguments.front();
    if (!((verb == "add" && arguments.size() == 3) || (verb == "remove" && arguments.size() == 2)))
        return Fail(kUsage, CApctlText::Get(IDS_APCTL_PORTS_USAGE));
    // The numbers the port dialog offers, on every platform.
    const std::optional<ComName> comName = CPortList::ReadComName(arguments[1]);
    if (!comName || !CPortHints::Offered(comName->number))
        return Fail(kUsage, CApctlText::Get(IDS_APCTL_PORTS_NUMBER, {arguments[1]}));
    if (verb == "add" && !NetworkPortAddress::Parse(arguments[2]))
        return Fail(kUsage, CApctlText::Get(IDS_APCTL_NETWORK_NAME, {arguments[2]}));
    return kDone;
}

int CApctl::Ports(const std::vector<std::string>& arguments)
{
    using E = CNetworkPorts::EChange;
    const int number = CPortList::ReadComName(arguments[1])->number;
    const std::string name = "COM" + std::to_string(number);
    const bool add = arguments.front() == "add";
    const CNetworkPorts::Result result = add ? CNetworkPorts::Add(number, arguments[2]) : CNetworkPorts::Remove(number);
    switch (result.change) {
    case E::Done:
        m_out.Add(add ? CApctlText::Get(IDS_APCTL_PORTS_ADDED, {name, arguments[2]}) + "\n"
                      : CApctlText::Get(IDS_APCTL_PORTS_REMOVED, {name}) + "\n");
        return Deliver(kDone);
    case E::Unchanged:
        m_out.Add(CApctlText::Get(IDS_APCTL_PORTS_ALREADY, {name, arguments[2]}) + "\n");
        return Deliver(kDone);
    case E::SystemNumber:
        return Fail(kRefused, result.detail.empty()
                                  ? CApctlText::Get(IDS_APCTL_PORTS_KEPT_NUMBER, {name})
                                  : CApctlText::Get(IDS_APCTL_PORTS_SYSTEM_NUMBER, {name, result.detail}));
    case E::NumberTaken: return Fail(kRefused, CApctlText::Get(IDS_APCTL_PORTS_NUMBER_TAKEN, {name, result.detail}));
    case E::AddressTaken:
        return Fail(kRefused, CApctlText::Get(IDS_APCTL_PORTS_ADDRESS_TAKEN, {arguments[2], result.detail}));
    case E::NotThere: return Fail(kRefused, CApctlText::Get(IDS_APCTL_PORTS_NOT_THERE, {name}));
    case E::NotSaved: break;
    }
    return Fail(kRefused, CApctlText::Get(IDS_APCTL_PORTS_NOT_SAVED, {result.detail}));
}

int CApctl::Run(const ApctlOptions& options)
{
    if (int invalid = CheckArguments(options))
        return invalid;
    if (options.checkOnly)
        return kDone;
    if (options.command == ApctlOptions::ECommand::ListPorts)
        return ListPorts(options.json);
    if (options.command == ApctlOptions::ECommand::Ports)
        return Ports(options.arguments);
    const PortChoice choice = CPortChooser::Choose(options.port);
    // No port is never a success, whatever the chooser said.
    if (choice.number == 0 && !choice.network)
        return Fail(choice.exitCode != kDone ? choice.exitCode : kPortUnusable,
                    choice.error.empty() ? CApctlText::Get(IDS_APCTL_NO_PORT, {options.port}) : choice.error);
    m_portName = choice.name;
    m_portJsonName = choice.jsonName.empty() ? choice.name : choice.jsonName;
    m_portComName = choice.network ? choice.name : "COM" + std::to_string(choice.number);
    m_portPath = choice.path;
    // Judged free when chosen, it may still be gone, taken or shut by now:
    // the open says which, in the port dialog's words.
    // Opened once, by the engine, which lays the access point's line over
    // the port's own settings.
    DCB settings = AccessPointLineSettings();
    const std::unique_ptr<CSerialPort> engine = CreatePort();
    CSerialPort& port = *engine;
    port.SetName(choice.name);
    if (!(choice.network ? port.OpenNamed(choice.path, &settings) : port.Open(choice.number, &settings))) {
        // Closed first: a cause the open did not keep is learnt by trying
        // the port again.
        port.Close();
        return Fail(kPortUnusable, CPortHints::EngineOpenFailureLine(choice.name, choice.path, port));
    }
    if (int status = Interrupted()) {
        port.Close();
        return status;
    }
    if (!AccessPointAnswers(&port)) {
        // Stopped mid-answer: the device may hold a conversation open.
        if (Interrupted())
            return EndInterrupted(port);
        port.Close();
        return Late(port, CApctlText::Get(IDS_APCTL_NO_ANSWER, {choice.name}));
    }
    // From here on the closing command goes out whatever becomes of the
    // exchange or of the output, which is held until it has.
    SetReplyTimeout(kConversationTimeoutMs);
    const int result = Exchange(port, options);
    // The answer of a run cut short is not given, even when it was whole.
    if (Interrupted())
        return EndInterrupted(port);
    // The conversation ends as apconfig ends it, however the exchange went.
    bool ended = false;
    try {
        ended = EndConversation(&port);
    } catch (int) {
    }
    // A signal during the closing command cut it short: it is sent again,
    // its acknowledgement looked for behind whatever comes first.
    if (!ended && Interrupted())
        return EndInterrupted(port);
    port.Close();
    return Deliver(result);
}

std::unique_ptr<CSerialPort> CApctl::CreatePort()
{
    return std::make_unique<CInterruptiblePort>([this] { return Interrupted() != 0; });
}

int CApctl::EndInterrupted(CSerialPort& port)
{
    const int status = Interrupted();
    port.PurgeTransmit();
    if (auto* interruptible = dynamic_cast<CInterruptiblePort*>(&port))
        interruptible->Closing(kClosingBudgetMs);
    // Not EndConversation: its acknowledgement is looked for behind the rest
    // of a listing the device may still be sending, and the closing command
    // must not be dropped when the first bytes are not it.
    try {
        port.WriteString(kExitCommand);
        const std::string ok = "OK\n";
        std::string last;
        while (last != ok) {
            last.push_back(port.ReadByteTimeout(kClosingBudgetMs));
            if (last.size() > ok.size())
                last.erase(0, 1);
        }
    } catch (int) {
        // Unacknowledged in time: the next run's identification waits for
        // the line to fall quiet.
    }
    port.Close();
    return status;
}

int CApctl::Exchange(CSerialPort& port, const ApctlOptions& options)
{
    using C = ApctlOptions::ECommand;
    switch (options.command) {
    case C::Identify: return Identify();
    case C::List: return List(port, options.json);
    case C::Delete: return Delete(port, options.arguments);
    case C::Pin: return ChangePin(port, *options.currentPin, *options.newPin);
    case C::Name: return options.arguments.empty() ? ReadName(port, options.json) : ChangeName(port, options.json);
    case C::Status: return Status(port, options.json);
    case C::ListPorts:
    case C::Ports: break;
    }
    return kUsage;
}

int CApctl::ListPorts(bool json)
{
    m_out.Add(CPortListing::Listing(json));
    return Deliver(kDone);
}

int CApctl::Identify()
{
    m_out.Add(CApctlText::Get(IDS_APCTL_ANSWERS_ON, {CTerminalText::Escaped(m_portName)}) + "\n");
    return kDone;
}

int CApctl::ReadDevices(CSerialPort& port, Devices& devices, bool showProgress)
{
    std::vector<LinkRecord> records;
    try {
        CProgressLine progress(m_pErr, showProgress && m_bErrIsTerminal);
        ReadPairedDevices(&port, records, [&progress](int read, int count) { progress.Update(read, count); });
    } catch (int code) {
        return code == kListNotAcknowledged ? Fail(kRefused, CApctlText::Get(IDS_APCTL_LIST_REFUSED))
                                            : Late(port, CApctlText::Get(IDS_APCTL_LIST_LATE));
    }
    CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
    registry.Load();
    for (const LinkRecord& record : records)
        devices.emplace_back(FormatLinkAddress(record), registry.Lookup(record));
    return kDone;
}

std::string CApctl::DeviceLines(const Devices& devices, const std::string& indent)
{
    std::string lines;
    for (const auto& [address, manufacturer] : devices)
        lines += indent + address + (manufacturer.empty() ? "" : "  ") +
                 CTerminalText::Escaped(CAnsiCodePage::Current().FromUtf8(manufacturer)) + "\n";
    return lines;
}

int CApctl::List(CSerialPort& port, bool json)
{
    Devices devices;
    if (int failed = ReadDevices(port, devices, true))
        return failed;
    m_out.Add(json ? CJsonOutput::PairedDevices(devices) : DeviceLines(devices, ""));
    return kDone;
}

int CApctl::Delete(CSerialPort& port, const std::vector<std::string>& addresses)
{
    std::vector<LinkRecord> records;
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        return code == kListNotAcknowledged ? Fail(kRefused, CApctlText::Get(IDS_APCTL_LIST_REFUSED))
                                            : Late(port, CApctlText::Get(IDS_APCTL_LIST_LATE));
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
        return Fail(kRefused, CApctlText::Get(IDS_APCTL_NOT_HELD, {*named.begin()}));
    if (int status = Acknowledged(port, [&] { return DeletePairedDevices(&port, chosen); },
                                  CApctlText::Get(IDS_APCTL_DELETE_LATE), CApctlText::Get(IDS_APCTL_DELETE_REFUSED)))
        return status;
    // One at least: every address named is among them.
    m_out.Add((chosen.size() == 1 ? CApctlText::Get(IDS_APCTL_DELETED_ONE)
                                  : CApctlText::Get(IDS_APCTL_DELETED_MANY, {std::to_string(chosen.size())})) +
              "\n");
    return kDone;
}

int CApctl::ChangePin(CSerialPort& port, const std::string& current, const std::string& next)
{
    if (int status = Acknowledged(port, [&] { return ::ChangePin(&port, current.c_str(), next.c_str()); },
                                  CApctlText::Get(IDS_APCTL_PIN_LATE), CApctlText::Get(IDS_APCTL_PIN_REFUSED)))
        return status;
    m_out.Add(CApctlText::Get(IDS_APCTL_PIN_CHANGED) + "\n");
    return kDone;
}

int CApctl::ReadNameText(CSerialPort& port, char (&name)[kNameBufferSize])
{
    if (int status = Acknowledged(port, [&] { return ReadDeviceName(&port, name); },
                                  CApctlText::Get(IDS_APCTL_NAME_LATE), CApctlText::Get(IDS_APCTL_NAME_READ_REFUSED)))
        return status;
    // Through the locale's character set, as the name page shows it.
    if (!Utf8ToAnsiInPlace(name))
        return Fail(kNoAnswer, CApctlText::Get(IDS_APCTL_NAME_NOT_TEXT));
    return kDone;
}

int CApctl::ReadName(CSerialPort& port, bool json)
{
    char name[kNameBufferSize];
    if (int failed = ReadNameText(port, name))
        return failed;
    m_out.Add(json ? CJsonOutput::Name(CAnsiCodePage::Current().ToUtf8(name))
                   : CTerminalText::Escaped(name) + "\n");
    return kDone;
}

int CApctl::Status(CSerialPort& port, bool json)
{
    // In the order apconfig reads them: the paired devices page comes first.
    Devices devices;
    if (int failed = ReadDevices(port, devices, false))
        return failed;
    char name[kNameBufferSize];
    if (int failed = ReadNameText(port, name))
        return failed;
    if (json) {
        m_out.Add(CJsonOutput::Status(m_portJsonName, m_portComName, m_portPath, CAnsiCodePage::Current().ToUtf8(name),
                                      devices));
        return kDone;
    }
    m_out.Add(CApctlText::Get(IDS_APCTL_ANSWERS_ON, {CTerminalText::Escaped(m_portName)}) + "\n");
    m_out.Add(CApctlText::Get(IDS_APCTL_STATUS_NAME, {CTerminalText::Escaped(name)}) + "\n");
    m_out.Add(CApctlText::Get(IDS_APCTL_STATUS_PAIRED, {std::to_string(devices.size())}) + "\n");
    m_out.Add(DeviceLines(devices, "  "));
    return kDone;
}

int CApctl::ChangeName(CSerialPort& port, bool json)
{
    if (int status = Acknowledged(port, [&] { return ChangeDeviceName(&port, m_utf8Name.c_str()); },
                                  CApctlText::Get(IDS_APCTL_RENAME_LATE), CApctlText::Get(IDS_APCTL_RENAME_REFUSED)))
        return status;
    // For scripts, the name the access point now holds, as it was sent.
    m_out.Add(json ? CJsonOutput::Name(m_utf8Name) : CApctlText::Get(IDS_APCTL_NAME_CHANGED) + "\n");
    return kDone;
}
