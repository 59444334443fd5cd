#include "serial/posix/com_port_resolver.h"

#include <charconv>
#include <filesystem>

namespace {
std::string& Folder()
{
    static std::string folder = "/dev";
    return folder;
}
}  // namespace

std::string CComPortResolver::DevicePath(const std::string& comName)
{
    int number = 0;
    const char* digits = comName.c_str() + 3;
    const char* end = comName.c_str() + comName.size();
    if (comName.size() <= 3 || comName.compare(0, 3, "COM") != 0 ||
        std::from_chars(digits, end, number).ptr != end || number < 1)
        return {};
    std::string link = Folder() + "/com" + std::to_string(number);
    std::error_code error;
    if (std::filesystem::exists(link, error))
        return link;
    return Folder() + "/ttyS" + std::to_string(number - 1);
}

void CComPortResolver::SetDeviceFolder(std::string folder)
{
    Folder() = std::move(folder);
}

const std::string& CComPortResolver::DeviceFolder()
{
    return Folder();
}
