#include "frontend/compose.h"

#include <vector>

std::string Compose(std::string_view format, std::initializer_list<std::string_view> args)
{
    const std::vector<std::string_view> given(args);
    std::string text;
    text.reserve(format.size());
    for (size_t i = 0; i < format.size(); ++i) {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (format[i] == '%' && next == '%') {
            text += '%';
            ++i;
        } else if (format[i] == '%' && next >= '1' && next <= '9' && size_t(next - '1') < given.size()) {
            text += given[size_t(next - '1')];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}
