#include "cli/status_command.h"

#include <json-glib/json-glib.h>

#include "cli/apctl.h"
#include "protocol/device_name_codec.h"
#include "protocol/exchanges.h"
#include "protocol/posix/ansi_code_page.h"
#include "protocol/posix/manufacturer_registry.h"

namespace {
// The device chooses its name; a terminal must not take it as control codes.
std::string Printable(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}
}  // namespace

CStatusCommand::CStatusCommand(std::FILE* out, std::FILE* err, const std::string& portName)
    : m_pOut(out), m_pErr(err), m_portName(portName)
{
}

int CStatusCommand::Fail(int code, const std::string& message) const
{
    std::fprintf(m_pErr, "apctl: %s\n", message.c_str());
    return code;
}

int CStatusCommand::Run(CSerialPort& port, bool json)
{
    // The order apconfig reads them in: the paired devices page comes first.
    if (int failed = ReadDevices(port))
        return failed;
    if (int failed = ReadName(port))
        return failed;
    if (json)
        PrintJson();
    else
        PrintText();
    return CApctl::kDone;
}

int CStatusCommand::ReadDevices(CSerialPort& port)
{
    std::vector<LinkRecord> records;
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        return code == kListNotAcknowledged
                   ? Fail(CApctl::kRefused, "the access point refused to list its paired devices")
                   : Fail(CApctl::kNoAnswer, "the list of paired devices came late or cut short");
    }
    CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
    registry.Load();
    for (const LinkRecord& record : records)
        m_devices.emplace_back(FormatLinkAddress(record), registry.Lookup(record));
    return CApctl::kDone;
}

int CStatusCommand::ReadName(CSerialPort& port)
{
    char name[kNameBufferSize];
    bool acknowledged = false;
    try {
        acknowledged = ReadDeviceName(&port, name);
    } catch (int) {
        return Fail(CApctl::kNoAnswer, "the access point's name came late or cut short");
    }
    if (!acknowledged)
        return Fail(CApctl::kRefused, "the access point refused to give its name");
    // Through the locale's character set, as the name page shows it.
    if (!Utf8ToAnsiInPlace(name))
        return Fail(CApctl::kNoAnswer, "the access point's name is not text that can be shown");
    m_utf8Name = CAnsiCodePage::Current().ToUtf8(name);
    return CApctl::kDone;
}

void CStatusCommand::PrintJson() const
{
    JsonBuilder* builder = json_builder_new();
    json_builder_begin_object(builder);
    json_builder_set_member_name(builder, "port");
    json_builder_add_string_value(builder, m_portName.c_str());
    json_builder_set_member_name(builder, "name");
    json_builder_add_string_value(builder, m_utf8Name.c_str());
    json_builder_set_member_name(builder, "paired");
    json_builder_begin_array(builder);
    for (const auto& [address, manufacturer] : m_devices) {
        json_builder_begin_object(builder);
        json_builder_set_member_name(builder, "address");
        json_builder_add_string_value(builder, address.c_str());
        json_builder_set_member_name(builder, "manufacturer");
        if (manufacturer.empty())
            json_builder_add_null_value(builder);
        else
            json_builder_add_string_value(builder, manufacturer.c_str());
        json_builder_end_object(builder);
    }
    json_builder_end_array(builder);
    json_builder_end_object(builder);

    JsonNode* root = json_builder_get_root(builder);
    JsonGenerator* generator = json_generator_new();
    json_generator_set_root(generator, root);
    json_generator_set_pretty(generator, TRUE);
    gchar* text = json_generator_to_data(generator, nullptr);
    std::fprintf(m_pOut, "%s\n", text);
    g_free(text);
    g_object_unref(generator);
    json_node_unref(root);
    g_object_unref(builder);
}

void CStatusCommand::PrintText() const
{
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    std::fprintf(m_pOut, "An access point answers on %s.\n", m_portName.c_str());
    std::fprintf(m_pOut, "Name: %s\n", Printable(codePage.FromUtf8(m_utf8Name)).c_str());
    std::fprintf(m_pOut, "Paired devices: %zu\n", m_devices.size());
    for (const auto& [address, manufacturer] : m_devices)
        std::fprintf(m_pOut, "  %s%s%s\n", address.c_str(), manufacturer.empty() ? "" : "  ",
                     Printable(codePage.FromUtf8(manufacturer)).c_str());
}
