#include "serial/system_error_text.h"

#include <glib.h>

std::string SystemErrorText(int error)
{
    // glib's text is UTF-8 whatever the locale's character set.
    return g_strerror(error);
}
