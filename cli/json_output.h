#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

// apctl's answers for scripts, as JSON text with a final line feed. Members
// keep the order they were added in.
class CJsonOutput {
public:
    using Value = nlohmann::ordered_json;

    // [{"address": …, "manufacturer": … or null}, …]
    static std::string PairedDevices(const std::vector<std::pair<std::string, std::string>>& devices);
    // {"name": …}
    static std::string Name(const std::string& utf8Name);
    // {"port": display text, "port_name": "COM5", "port_path": "/dev/com5",
    //  "name": …, "paired": [as PairedDevices]}: port_name and port_path are
    // what --port takes back.
    static std::string Status(const std::string& port, const std::string& portName, const std::string& portPath,
                              const std::string& utf8Name,
                              const std::vector<std::pair<std::string, std::string>>& devices);
    // value pretty-printed as apctl always has: two spaces a level, "key" :
    // value, an empty array as [], non-ASCII text as it is, control
    // characters as \n, \t… or \u00XX, C1 and bidirectional controls as
    // \uXXXX.
    static std::string Generate(const Value& value);
};
