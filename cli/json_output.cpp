#include "cli/json_output.h"

#include <cstdio>

#include "cli/hidden_control.h"

namespace {
void AppendString(std::string& out, const std::string& text)
{
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        // C1 and bidirectional controls as \u escapes: a parser reads the
        // same text back, a terminal showing the JSON acts on none.
        char32_t hidden = 0;
        if (const size_t length = CHiddenControl::InUtf8(text, i, &hidden)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(hidden));
            out += escape;
            i += length - 1;
            continue;
        }
        switch (byte) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            // DEL too, as a terminal might act on it; other bytes from 0x80
            // up go out as they are (UTF-8).
            if (byte < 0x20 || byte == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void Append(std::string& out, const CJsonOutput::Value& value, size_t depth)
{
    const std::string indent((depth + 1) * 2, ' ');
    const std::string closing(depth * 2, ' ');
    switch (value.type()) {
    case nlohmann::json::value_t::object:
    case nlohmann::json::value_t::array: {
        // One member or item a line; an empty object still has its spaces.
        const bool object = value.is_object();
        if (value.empty()) {
            out += object ? "{  }" : "[]";
            return;
        }
        out += object ? "{\n" : "[\n";
        for (auto item = value.begin(); item != value.end(); ++item) {
            out += indent;
            if (object) {
                AppendString(out, item.key());
                out += " : ";
            }
            Append(out, item.value(), depth + 1);
            out += std::next(item) == value.end() ? "\n" : ",\n";
        }
        out += closing + (object ? "}" : "]");
        return;
    }
    case nlohmann::json::value_t::string: AppendString(out, value.get_ref<const std::string&>()); return;
    default:
        // Numbers, booleans and null read as the library writes them.
        out += value.dump();
        return;
    }
}

CJsonOutput::Value Devices(const std::vector<std::pair<std::string, std::string>>& devices)
{
    CJsonOutput::Value list = CJsonOutput::Value::array();
    for (const auto& [address, manufacturer] : devices) {
        CJsonOutput::Value device;
        device["address"] = address;
        // Unknown makers are null, not an empty name.
        device["manufacturer"] = manufacturer.empty() ? CJsonOutput::Value() : CJsonOutput::Value(manufacturer);
        list.push_back(std::move(device));
    }
    return list;
}
}  // namespace

std::string CJsonOutput::Generate(const Value& value)
{
    std::string text;
    Append(text, value, 0);
    return text + "\n";
}

std::string CJsonOutput::PairedDevices(const std::vector<std::pair<std::string, std::string>>& devices)
{
    return Generate(Devices(devices));
}

std::string CJsonOutput::Name(const std::string& utf8Name)
{
    Value name;
    name["name"] = utf8Name;
    return Generate(name);
}

std::string CJsonOutput::Status(const std::string& port, const std::string& portName, const std::string& portPath,
                                const std::string& utf8Name,
                                const std::vector<std::pair<std::string, std::string>>& devices)
{
    Value status;
    status["port"] = port;
    status["port_name"] = portName;
    status["port_path"] = portPath;
    status["name"] = utf8Name;
    status["paired"] = Devices(devices);
    return Generate(status);
}
