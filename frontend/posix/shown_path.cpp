#include "frontend/shown_path.h"

#include <glibmm/convert.h>

std::string ShownPath(const std::string& path)
{
    return Glib::filename_display_name(path);
}
