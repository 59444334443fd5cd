#include "cli/json_output.h"

#include <json-glib/json-glib.h>

#include <memory>

std::string CJsonOutput::Generate(JsonBuilder* builder)
{
    JsonNode* root = json_builder_get_root(builder);
    JsonGenerator* generator = json_generator_new();
    json_generator_set_root(generator, root);
    json_generator_set_pretty(generator, TRUE);
    gchar* text = json_generator_to_data(generator, nullptr);
    std::string json = std::string(text) + "\n";
    g_free(text);
    g_object_unref(generator);
    json_node_unref(root);
    g_object_unref(builder);
    return json;
}

namespace {
void AddDevices(JsonBuilder* builder, const std::vector<std::pair<std::string, std::string>>& devices)
{
    json_builder_begin_array(builder);
    for (const auto& [address, manufacturer] : devices) {
        json_builder_begin_object(builder);
        json_builder_set_member_name(builder, "address");
        json_builder_add_string_value(builder, address.c_str());
        json_builder_set_member_name(builder, "manufacturer");
        // Unknown makers are null, not an empty name.
        if (manufacturer.empty())
            json_builder_add_null_value(builder);
        else
            json_builder_add_string_value(builder, manufacturer.c_str());
        json_builder_end_object(builder);
    }
    json_builder_end_array(builder);
}

void AddMember(JsonBuilder* builder, const char* member, const std::string& value)
{
    json_builder_set_member_name(builder, member);
    json_builder_add_string_value(builder, value.c_str());
}
}  // namespace

std::string CJsonOutput::PairedDevices(const std::vector<std::pair<std::string, std::string>>& devices)
{
    JsonBuilder* builder = json_builder_new();
    AddDevices(builder, devices);
    return Generate(builder);
}

std::string CJsonOutput::Name(const std::string& utf8Name)
{
    JsonBuilder* builder = json_builder_new();
    json_builder_begin_object(builder);
    AddMember(builder, "name", utf8Name);
    json_builder_end_object(builder);
    return Generate(builder);
}

std::string CJsonOutput::Status(const std::string& port, const std::string& utf8Name,
                                const std::vector<std::pair<std::string, std::string>>& devices)
{
    JsonBuilder* builder = json_builder_new();
    json_builder_begin_object(builder);
    AddMember(builder, "port", port);
    AddMember(builder, "name", utf8Name);
    json_builder_set_member_name(builder, "paired");
    AddDevices(builder, devices);
    json_builder_end_object(builder);
    return Generate(builder);
}
