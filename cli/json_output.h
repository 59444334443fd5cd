#pragma once

#include <json-glib/json-glib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// apctl's answers for scripts, as JSON text with a final line feed.
class CJsonOutput {
public:
    // [{"address": …, "manufacturer": … or null}, …]
    static std::string PairedDevices(const std::vector<std::pair<std::string, std::string>>& devices);
    // {"name": …}
    static std::string Name(const std::string& utf8Name);
    // {"port": …, "name": …, "paired": [as PairedDevices]}
    // What builder holds, pretty-printed; takes the builder.
    static std::string Generate(JsonBuilder* builder);
    static std::string Status(const std::string& port, const std::string& utf8Name,
                              const std::vector<std::pair<std::string, std::string>>& devices);
};
