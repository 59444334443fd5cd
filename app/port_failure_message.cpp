#include "app/port_failure_message.h"

#include <glibmm/ustring.h>

#include "app/framework/resource_library.h"
#include "frontend/port_hints.h"
#include "app/resource_ids.h"

std::string CPortFailureMessage::Text(const std::string& port, const PortAccess& access)
{
    std::string cause;
    switch (access.problem) {
    case EPortProblem::Gone: cause = Glib::ustring::compose(CResourceLibrary::LoadString(IDS_PORT_GONE), port); break;
    // The dialog's own in-use hint promises the port will appear in its list.
    case EPortProblem::InUse:
        cause = Glib::ustring::compose(CResourceLibrary::LoadString(IDS_PORT_IN_USE), port);
        break;
    default: cause = CPortHints::Line(port, access); break;
    }
    return Glib::ustring::compose(CResourceLibrary::LoadString(IDS_PORT_FAILED), cause);
}
