#include "app/port_failure_message.h"

#include "app/framework/resource_library.h"
#include "app/framework/user_responder.h"
#include "app/resource_ids.h"
#include "frontend/compose.h"
#include "frontend/port_hints.h"
#include "serial/serial_port.h"

std::string CPortFailureMessage::Text(const std::string& port, const PortAccess& access)
{
    return Compose(CResourceLibrary::LoadString(IDS_PORT_FAILED), {CPortHints::OpenFailureLine(port, access)});
}

std::string CPortFailureMessage::OpenFailed(const std::string& port, const std::string& path,
                                            const CSerialPort& serial)
{
    return Compose(CResourceLibrary::LoadString(IDS_PORT_FAILED),
                   {CPortHints::EngineOpenFailureLine(port, path, serial)});
}

std::string CPortFailureMessage::ConversationFailed(const CSerialPort& serial)
{
    return CPortHints::ConversationFailureLine(serial.Name(), serial);
}

bool CPortFailureMessage::ShowConversationFailure(const CSerialPort* serial)
{
    const std::string text = serial ? ConversationFailed(*serial) : std::string();
    if (text.empty())
        return false;
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return true;
}
