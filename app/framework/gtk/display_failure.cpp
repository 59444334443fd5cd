#include "app/framework/gtk/display_failure.h"

#include <xcb/xcb.h>

#include <cstdlib>

std::string DescribeDisplayFailure()
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* name = std::getenv("DISPLAY");
    if ((!name || !*name) && (!wayland || !*wayland))
        return "no display is set (DISPLAY and WAYLAND_DISPLAY are empty)";
    if (!name || !*name)
        return std::string("the Wayland display \"") + wayland + "\" did not accept the connection";
    // Ask the X server the way GTK does, to learn which step failed.
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(name, &screen);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    const std::string display = std::string("\"") + name + "\"";
    switch (error) {
    case 0:
        return "the X server at " + display + " answers now but did not when asked (it was still starting)";
    case XCB_CONN_CLOSED_PARSE_ERR:
        return display + " is not a display name";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "the X server at " + display + " has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "there was not enough memory to connect to " + display;
    default:
        return "no X server at " + display + " accepted the connection (none runs there, or it refused this user)";
    }
}
