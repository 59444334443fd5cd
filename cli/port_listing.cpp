#include "cli/port_listing.h"

#include <glib.h>
#include <json-glib/json-glib.h>

#include <algorithm>

#include "cli/json_output.h"
#include "frontend/port_item_text.h"
#include "serial/posix/com_port_resolver.h"

namespace {
// The database is a file the user may edit: nothing from it reaches the
// terminal as a control character.
std::string Printable(const std::string& text)
{
    std::string shown;
    const char* end = text.data() + text.size();
    for (const char* p = text.data(); p < end;) {
        const gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            shown += '?';
            ++p;
            continue;
        }
        const char* next = g_utf8_next_char(p);
        if (g_unichar_iscntrl(c) || g_unichar_type(c) == G_UNICODE_FORMAT)
            shown += '?';
        else
            shown.append(p, next);
        p = next;
    }
    return shown;
}

std::string Source(const SerialPortInfo& port)
{
    if (port.linkNumber != 0)
        return "link " + port.devicePath;
    if (port.uartIndex >= 0 && port.uartIndex + 1 >= CComPortNumbers::kFirst &&
        port.uartIndex + 1 <= CComPortNumbers::kLast)
        return "UART " + port.kernelName;
    return CComPortNumbers::Key(port);
}

size_t Width(const std::string& text)
{
    return static_cast<size_t>(g_utf8_strlen(text.c_str(), -1));
}
}  // namespace

std::vector<CPortListing::Row> CPortListing::Rows()
{
    std::vector<Row> rows;
    for (const NumberedPort& port : CComPortResolver::ListPorts().ports)
        rows.push_back({port.number, port.info.devicePath, CPortItemText::Description(port.info), Source(port.info),
                        true});
    for (const ComNumberEntry& kept : CComPortResolver::KeptNumbers())
        if (std::none_of(rows.begin(), rows.end(), [&](const Row& row) { return row.number == kept.number; }))
            rows.push_back({kept.number, kept.device, kept.description, kept.key, false});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
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
                (row.present ? "" : "  (not plugged in)") + "\n";
    }
    return text.empty() ? "No COM numbers are given.\n" : text;
}

std::string CPortListing::Json(const std::vector<Row>& rows)
{
    JsonBuilder* builder = json_builder_new();
    json_builder_begin_array(builder);
    for (const Row& row : rows) {
        json_builder_begin_object(builder);
        json_builder_set_member_name(builder, "number");
        json_builder_add_int_value(builder, row.number);
        json_builder_set_member_name(builder, "name");
        json_builder_add_string_value(builder, ("COM" + std::to_string(row.number)).c_str());
        json_builder_set_member_name(builder, "device");
        json_builder_add_string_value(builder, Printable(row.device).c_str());
        json_builder_set_member_name(builder, "description");
        if (row.description.empty())
            json_builder_add_null_value(builder);
        else
            json_builder_add_string_value(builder, Printable(row.description).c_str());
        json_builder_set_member_name(builder, "key");
        json_builder_add_string_value(builder, Printable(row.key).c_str());
        json_builder_set_member_name(builder, "present");
        json_builder_add_boolean_value(builder, row.present);
        json_builder_end_object(builder);
    }
    json_builder_end_array(builder);
    return CJsonOutput::Generate(builder);
}
