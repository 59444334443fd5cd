#pragma once

#include <optional>
#include <string_view>

// The requests the access point knows, and what it calls a line it does not.
enum class ApCommand { Identify, LinkRead, LinkDelete, NameRead, NameUpdate, PinUpdate, Exit, Unknown };

// The request line as it arrives, line feed included; empty for Unknown.
std::string_view CommandText(ApCommand command);
// A short name for logs and options: the request line without its line feed
// ("LINKREAD"), "IDENTIFY" for the identification question, "UNKNOWN".
std::string_view CommandName(ApCommand command);
// The command a name stands for (any letter case); nullopt for no known name.
std::optional<ApCommand> ParseCommandName(std::string_view name);
// The command a complete request line (with its line feed) opens.
ApCommand MatchCommandLine(std::string_view line);
