#include "tools/apsim/ap_command.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "protocol/commands.h"

namespace {
constexpr std::array kKnown = {ApCommand::Identify, ApCommand::LinkRead,  ApCommand::LinkDelete, ApCommand::NameRead,
                               ApCommand::NameUpdate, ApCommand::PinUpdate, ApCommand::Exit};
}  // namespace

std::string_view CommandText(ApCommand command)
{
    switch (command) {
    case ApCommand::Identify: return kIdentifyQuestion;
    case ApCommand::LinkRead: return kLinkReadCommand;
    case ApCommand::LinkDelete: return kLinkDeleteCommand;
    case ApCommand::NameRead: return kNameReadCommand;
    case ApCommand::NameUpdate: return kNameUpdateCommand;
    case ApCommand::PinUpdate: return kPinUpdateCommand;
    case ApCommand::Exit: return kExitCommand;
    case ApCommand::Unknown: break;
    }
    return {};
}

std::string_view CommandName(ApCommand command)
{
    if (command == ApCommand::Identify)
        return "IDENTIFY";
    if (command == ApCommand::Unknown)
        return "UNKNOWN";
    std::string_view text = CommandText(command);
    return text.substr(0, text.size() - 1);
}

std::optional<ApCommand> ParseCommandName(std::string_view name)
{
    auto sameIgnoringCase = [name](std::string_view known) {
        return std::ranges::equal(name, known, [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
        });
    };
    for (ApCommand command : kKnown)
        if (sameIgnoringCase(CommandName(command)))
            return command;
    return std::nullopt;
}

ApCommand MatchCommandLine(std::string_view line)
{
    for (ApCommand command : kKnown)
        if (line == CommandText(command))
            return command;
    return ApCommand::Unknown;
}
