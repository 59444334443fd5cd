#include "app/port_hints.h"

#include <glib.h>
#include <glibmm/ustring.h>

#include <map>
#include <utility>

#include "app/framework/resource_library.h"
#include "app/port_item_text.h"
#include "app/resource_ids.h"
#include "serial/posix/port_probe.h"

namespace {
// Ports share a line when the same words would fix them.
using Cause = std::pair<int, std::string>;  // the text and what it names

Cause CauseOf(const PortAccess& access)
{
    switch (access.problem) {
    case EPortProblem::PermissionDenied:
        if (!access.groupMayOpen)
            return {IDS_HINT_OWNER_ONLY, access.owner};
        // The database has the user in the group, this session not yet.
        if (access.userListedInGroup && !access.sessionHasGroup)
            return {IDS_HINT_LOG_IN_AGAIN, access.group};
        return {IDS_HINT_JOIN_GROUP, access.group};
    case EPortProblem::InUse: return {IDS_HINT_IN_USE, {}};
    default: return {IDS_HINT_CANNOT_OPEN, g_strerror(access.error)};
    }
}
}  // namespace

ProbedPorts CPortHints::Probe(const std::vector<NumberedPort>& ports)
{
    ProbedPorts probed;
    for (const NumberedPort& port : ports) {
        PortAccess access = CPortProbe::Probe(port.info.OpenPath());
        if (access.Openable())
            probed.openable.push_back(port);
        else
            probed.refused.push_back({port, access});
    }
    return probed;
}

std::string CPortHints::Line(const std::string& ports, const PortAccess& access)
{
    const auto [textId, detail] = CauseOf(access);
    const Glib::ustring format = CResourceLibrary::LoadString(textId);
    return detail.empty() ? Glib::ustring::compose(format, ports) : Glib::ustring::compose(format, ports, detail);
}

std::vector<std::string> CPortHints::Lines(const std::vector<RefusedPort>& refused, size_t leftOut, bool foundAny)
{
    std::vector<std::string> lines;
    if (!foundAny)
        lines.push_back(CResourceLibrary::LoadString(IDS_HINT_NO_PORT));
    // In the order the causes first appear, ports in their list order.
    std::vector<Cause> order;
    std::map<Cause, std::pair<std::string, PortAccess>> byCause;
    for (const RefusedPort& port : refused) {
        const Cause cause = CauseOf(port.access);
        auto [entry, added] = byCause.try_emplace(cause, std::string(), port.access);
        if (added)
            order.push_back(cause);
        std::string& ports = entry->second.first;
        ports += (ports.empty() ? "" : CResourceLibrary::LoadString(IDS_HINT_PORT_SEPARATOR)) +
                 CPortItemText::ShortName(port.port);
    }
    for (const Cause& cause : order)
        lines.push_back(Line(byCause[cause].first, byCause[cause].second));
    if (leftOut != 0)
        lines.push_back(Glib::ustring::compose(CResourceLibrary::LoadString(IDS_HINT_LEFT_OUT), leftOut));
    return lines;
}
