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
    return Compose(CAnsiCodePage::Current().FromUtf8(format), args);
}

std::string CApctlText::List(const std::vector<std::string>& items)
{
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i)
        joined = i == 0 ? items[i]
                        : Get(i + 1 == items.size() ? IDS_APCTL_LIST_LAST : IDS_APCTL_LIST_NEXT, {joined, items[i]});
    return joined;
}
