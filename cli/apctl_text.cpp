#include "cli/apctl_text.h"

#include "cli/apctl_string_ids.h"
#include "frontend/compose.h"
#include "frontend/string_table.h"
#include "protocol/ansi_code_page.h"

std::string CApctlText::Get(int id, std::initializer_list<std::string_view> args)
{
    const std::string format = CStringTable::LoadString(id);
    if (format.empty()) {
        std::string missing = "[" + std::to_string(id) + "]";
        for (std::string_view arg : args)
            missing.append(" ").append(arg);
        return missing;
    }
    // A code page that cannot hold the text (ASCII, where the locale named is
    // not installed on the machine) gets it as the table has it, in UTF-8,
    // which is what such a locale's name most often asks for.
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    const std::string local = codePage.FromUtf8(format);
    return Compose(codePage.ToUtf8(local) == format ? local : format, args);
}

std::string CApctlText::List(const std::vector<std::string>& items)
{
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i)
        joined = i == 0 ? items[i]
                        : Get(i + 1 == items.size() ? IDS_APCTL_LIST_LAST : IDS_APCTL_LIST_NEXT, {joined, items[i]});
    return joined;
}
