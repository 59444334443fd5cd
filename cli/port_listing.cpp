#include "cli/port_listing.h"

#include <algorithm>

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"
#include "cli/json_output.h"
#include "frontend/port_hints.h"
#include "frontend/port_item_text.h"
#include "frontend/string_table.h"
#include "protocol/utf8_text.h"
#include "serial/port_list.h"

namespace {
// The database is a file the user may edit: nothing from it reaches the
// terminal as a control character.
std::string Printable(const std::string& text)
{
    return CUtf8Text::Printable(text, '?');
}

size_t Width(const std::string& text)
{
    return CUtf8Text::Length(text);
}
}  // namespace

std::vector<CPortListing::Row> CPortListing::Rows()
{
    const SerialPortList found = CPortList::List();
    std::vector<Row> rows;
    // A number the dialog does not offer carries what gives the port one it
    // does: a link outside 4 to 20, which apctl still reaches, or Windows' own.
    for (const auto* group : {&found.ports, &found.outOfRange})
        for (const SerialPortRecord& port : *group)
            rows.push_back({port.number, port.node.empty() ? port.path : port.node, CPortItemText::Description(port),
                            port.key, true,
                            CPortHints::Offered(port.number) ? std::string() : CPortHints::OutOfRangeLine(port)});
    for (const SerialPortRecord& kept : CPortList::Absent())
        if (std::none_of(rows.begin(), rows.end(), [&](const Row& row) { return row.number == kept.number; }))
            rows.push_back({kept.number, kept.node, kept.description, kept.key, false, {}});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
    return rows;
}

std::string CPortListing::Text(const std::vector<Row>& rows)
{
    size_t deviceWidth = 0;
    size_t descriptionWidth = 0;
    for (const Row& row : rows) {
        deviceWidth = std::max(deviceWidth, Width(Printable(row.device)));
        descriptionWidth = std::max(descriptionWidth, Width(Printable(row.description)));
    }
    std::string text;
    for (const Row& row : rows) {
        const std::string number = "COM" + std::to_string(row.number);
        const std::string device = Printable(row.device);
        const std::string description = Printable(row.description);
        text += number + std::string(6 - std::min<size_t>(number.size(), 5), ' ') + device +
                std::string(deviceWidth - Width(device) + 2, ' ') + description +
                std::string(descriptionWidth - Width(description) + 2, ' ') + Printable(row.key) +
                (row.present ? "" : "  " + CApctlText::Get(IDS_APCTL_NOT_PLUGGED_IN)) + "\n";
    }
    if (text.empty())
        return CApctlText::Get(IDS_APCTL_NO_COM_NUMBERS) + "\n";
    std::string hints;
    for (const Row& row : rows)
        if (!row.hint.empty())
            hints += Printable(row.hint) + "\n";
    return hints.empty() ? text : text + "\n" + hints;
}

std::string CPortListing::Json(const std::vector<Row>& rows)
{
    CJsonOutput::Value list = CJsonOutput::Value::array();
    for (const Row& row : rows) {
        CJsonOutput::Value port;
        port["number"] = row.number;
        port["name"] = "COM" + std::to_string(row.number);
        port["device"] = Printable(row.device);
        port["description"] =
            row.description.empty() ? CJsonOutput::Value() : CJsonOutput::Value(Printable(row.description));
        port["key"] = Printable(row.key);
        port["present"] = row.present;
        port["offered"] = row.hint.empty();
        port["hint"] = row.hint.empty() ? CJsonOutput::Value() : CJsonOutput::Value(Printable(row.hint));
        list.push_back(std::move(port));
    }
    return CJsonOutput::Generate(list);
}

std::string CPortListing::Listing(bool json)
{
    if (!json)
        return Text(Rows());
    CStringTable::EnglishScope english;
    return Json(Rows());
}
