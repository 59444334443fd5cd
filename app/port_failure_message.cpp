#include "app/port_failure_message.h"

#include "resource_library.h"
#include "app/resource_ids.h"
#include "frontend/compose.h"
#include "frontend/port_hints.h"

std::string CPortFailureMessage::Text(const std::string& port, const PortAccess& access)
{
    return Compose(CResourceLibrary::LoadString(IDS_PORT_FAILED), {CPortHints::OpenFailureLine(port, access)});
}
