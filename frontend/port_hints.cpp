#include "frontend/port_hints.h"

#include "frontend/compose.h"

#include <map>
#include <utility>

#include "frontend/string_table.h"
#include "frontend/port_string_ids.h"
#include "frontend/port_item_text.h"
#include "serial/open_failure.h"
#include "serial/system_error_text.h"

namespace {
// Ports share a line when the same words would fix them.
using Cause = std::pair<int, std::string>;  // the text and what it names

Cause CauseOf(const PortAccess& access)
{
    switch (access.problem) {
    case EPortProblem::PermissionDenied:
        switch (access.permission) {
        case EPermissionCause::OwnerOnly: return {IDS_HINT_OWNER_ONLY, access.owner};
        case EPermissionCause::JoinGroup: return {IDS_HINT_JOIN_GROUP, access.group};
        case EPermissionCause::LogInAgain: return {IDS_HINT_LOG_IN_AGAIN, access.group};
        case EPermissionCause::AccessList: return {IDS_HINT_ACCESS_LIST, {}};
        case EPermissionCause::SecurityPolicy: return {IDS_HINT_SECURITY_POLICY, {}};
        case EPermissionCause::Unknown: return {IDS_HINT_PERMISSION, {}};
        }
        return {IDS_HINT_PERMISSION, {}};
    case EPortProblem::InUse: return {IDS_HINT_IN_USE, {}};
    default: return {IDS_HINT_CANNOT_OPEN, SystemErrorText(access.error)};
    }
}
}  // namespace

std::string CPortHints::Line(const std::string& ports, const PortAccess& access)
{
    const auto [textId, detail] = CauseOf(access);
    return Compose(CStringTable::LoadString(textId), {ports, detail});
}

std::string CPortHints::OpenFailureLine(const std::string& port, const PortAccess& access)
{
    switch (access.problem) {
    case EPortProblem::Gone: return Compose(CStringTable::LoadString(IDS_PORT_GONE), {port});
    // The dialog's own in-use hint promises the port will appear in its list.
    case EPortProblem::InUse: return Compose(CStringTable::LoadString(IDS_PORT_IN_USE), {port});
    default: return Line(port, access);
    }
}

std::string CPortHints::EngineOpenFailureLine(const std::string& port, const std::string& path,
                                              const CSerialPort& serial)
{
    if (std::string fault = FaultLine(port, serial.Fault()); !fault.empty())
        return fault;
    if (serial.OpenFailure() == CSerialPort::EOpenFailure::SettingsRefused)
        return Compose(CStringTable::LoadString(IDS_PORT_SETTINGS_REFUSED), {port, SystemErrorText(serial.OpenError())});
    return OpenFailureLine(port, DescribeOpenFailure(path, serial.OpenError()));
}

std::string CPortHints::ConversationFailureLine(const std::string& port, const CSerialPort& serial)
{
    if (serial.IsGone()) {
        std::string fault = FaultLine(port, serial.Fault());
        return fault.empty() ? Compose(CStringTable::LoadString(IDS_PORT_GONE), {port}) : fault;
    }
    if (serial.CtsNeverOn())
        return Compose(CStringTable::LoadString(IDS_CTS_NEVER_ON), {port});
    return {};
}

std::string CPortHints::FaultLine(const std::string& port, const PortFault& fault)
{
    switch (fault.kind) {
    case PortFault::EKind::None: return {};
    case PortFault::EKind::NotANetworkName: return Compose(CStringTable::LoadString(IDS_NETWORK_NAME_WRONG), {port});
    case PortFault::EKind::CannotConnect:
        return Compose(CStringTable::LoadString(IDS_NETWORK_CANNOT_CONNECT), {port, fault.host, fault.port, fault.cause});
    case PortFault::EKind::ConnectionLost:
        return Compose(CStringTable::LoadString(IDS_NETWORK_LOST), {port, fault.host, fault.port, fault.cause});
    }
    return {};
}

std::vector<std::string> CPortHints::Lines(const std::vector<SerialPortRecord>& refused, size_t leftOut,
                                           bool foundAny, const std::vector<SerialPortRecord>& outOfRange)
{
    std::vector<std::string> lines;
    if (!foundAny)
        lines.push_back(CStringTable::LoadString(IDS_HINT_NO_PORT));
    // In the order the causes first appear, ports in their list order.
    std::vector<Cause> order;
    std::map<Cause, std::pair<std::string, PortAccess>> byCause;
    for (const SerialPortRecord& port : refused) {
        const Cause cause = CauseOf(port.access);
        auto [entry, added] = byCause.try_emplace(cause, std::string(), port.access);
        if (added)
            order.push_back(cause);
        std::string& ports = entry->second.first;
        ports += (ports.empty() ? "" : CStringTable::LoadString(IDS_HINT_PORT_SEPARATOR)) +
                 CPortItemText::ShortName(port);
    }
    for (const Cause& cause : order)
        lines.push_back(Line(byCause[cause].first, byCause[cause].second));
    for (const SerialPortRecord& port : outOfRange)
        lines.push_back(OutOfRangeLine(port));
    if (leftOut != 0)
        lines.push_back(Compose(CStringTable::LoadString(IDS_HINT_LEFT_OUT), int(leftOut)));
    return lines;
}

std::string CPortHints::OutOfRangeLine(const SerialPortRecord& port)
{
    const std::string description = CPortItemText::Bare(port);
    const std::string name = description.empty() ? CPortItemText::ShortName(port)
                                                 : Compose(CStringTable::LoadString(IDS_PORT_SHORT),
                                                           {std::to_string(port.number), description});
    // Here a link the user made gives the number; Windows numbers a port itself.
    if (port.numberFromLink)
        return Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_LINK), {name, port.node});
    return Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {name});
}
