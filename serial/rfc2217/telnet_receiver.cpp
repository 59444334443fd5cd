#include "serial/rfc2217/telnet_receiver.h"

#include "serial/rfc2217/telnet_codes.h"

void CTelnetReceiver::Feed(const uint8_t* in, size_t n, std::vector<uint8_t>& data,
                           std::vector<TelnetCommand>& commands)
{
    using namespace telnet;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t byte = in[i];
        switch (m_state) {
        case EState::Data:
            if (byte == kIac)
                m_state = EState::Iac;
            else
                data.push_back(byte);
            break;
        case EState::Iac:
            m_state = EState::Data;
            if (byte == kIac) {
                data.push_back(kIac);
            } else if (byte == kSb || (byte >= kWill && byte <= kDont)) {
                m_command = TelnetCommand{byte, 0, {}};
                m_state = EState::Option;
            }
            // Any other command (NOP, GA, ...) carries nothing for a port.
            break;
        case EState::Option:
            m_command.option = byte;
            if (m_command.verb == kSb) {
                m_state = EState::Sub;
            } else {
                commands.push_back(m_command);
                m_state = EState::Data;
            }
            break;
        case EState::Sub:
            if (byte == kIac)
                m_state = EState::SubIac;
            else if (m_command.payload.size() < kMaxPayload)
                m_command.payload.push_back(byte);
            break;
        case EState::SubIac:
            if (byte == kIac) {
                if (m_command.payload.size() < kMaxPayload)
                    m_command.payload.push_back(kIac);
                m_state = EState::Sub;
            } else {
                // SE ends it; anything else is taken as the end too, as a
                // peer that forgot SE would otherwise swallow all data.
                commands.push_back(m_command);
                m_state = EState::Data;
            }
            break;
        }
    }
}
