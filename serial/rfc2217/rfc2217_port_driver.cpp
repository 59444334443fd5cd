#include "serial/rfc2217/rfc2217_port_driver.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "serial/rfc2217/telnet_codes.h"
#include "serial/rfc2217/telnet_link.h"
#include "serial/rfc2217/telnet_sender.h"

namespace {
// The one port a driver serves.
constexpr HANDLE kPortHandle = 1;

uint8_t ParityCode(uint8_t parity)
{
    // NONE, ODD, EVEN, MARK, SPACE, each one up.
    return static_cast<uint8_t>(parity + 1);
}

uint8_t StopSizeCode(uint8_t stopBits)
{
    return stopBits == TWOSTOPBITS ? comport::kStopSize2 : comport::kStopSize1;
}
}  // namespace

CRfc2217PortDriver::CRfc2217PortDriver() = default;

CRfc2217PortDriver::~CRfc2217PortDriver() = default;

HANDLE CRfc2217PortDriver::CreateFile(const char* name)
{
    m_link.reset();
    m_output.clear();
    m_bHardwareFlow = false;
    m_nOpenError = 0;
    m_fault = {};
    m_address = {};
    const auto address = NetworkPortAddress::Parse(name);
    if (!address) {
        m_nOpenError = EINVAL;
        m_fault.kind = PortFault::EKind::NotANetworkName;
        return INVALID_HANDLE_VALUE;
    }
    m_address = *address;
    auto link = std::make_unique<CTelnetLink>();
    if (!link->Connect(m_address, kConnectMs)) {
        m_nOpenError = link->LastError();
        m_fault = {PortFault::EKind::CannotConnect, m_address.host, m_address.port, link->Cause()};
        return INVALID_HANDLE_VALUE;
    }
    using namespace telnet;
    std::vector<uint8_t> offer;
    for (const auto& [verb, option] : {std::pair{kWill, kBinary}, {kDo, kBinary}, {kWill, kSga}, {kDo, kSga}, {kWill, kComPortOption}})
        for (uint8_t byte : telnet_out::Negotiation(verb, option))
            offer.push_back(byte);
    link->Queue(offer);
    m_link = std::move(link);
    return kPortHandle;
}

void CRfc2217PortDriver::CloseHandle(HANDLE)
{
    if (m_link)
        Flush();
    // A connection lost while the port was set up is still why it failed.
    m_fault = Fault();
    m_link.reset();
}

bool CRfc2217PortDriver::SetCommTimeouts(HANDLE, const COMMTIMEOUTS& timeouts)
{
    m_timeouts = timeouts;
    // Reads take what is there and only the wait waits, as on Windows;
    // writes wait until the server has taken them.
    return !IsGone();
}

bool CRfc2217PortDriver::SetCommMask(HANDLE, uint32_t mask)
{
    m_eventMask = mask;
    return !IsGone();
}

bool CRfc2217PortDriver::GetCommMask(HANDLE, uint32_t& mask)
{
    mask = m_eventMask;
    return !IsGone();
}

bool CRfc2217PortDriver::Agreed(uint8_t code, std::vector<uint8_t> command, const std::vector<uint8_t>& value)
{
    const auto answer = m_link->Ask(command, code, kAnswerMs);
    return answer && *answer == value;
}

bool CRfc2217PortDriver::SetCommState(HANDLE, const DCB& settings)
{
    using namespace comport;
    const uint32_t baud = settings.BaudRate;
    const uint8_t parity = ParityCode(settings.Parity);
    const uint8_t stop = StopSizeCode(settings.StopBits);
    const uint8_t control = settings.Has(DCB::fOutxCtsFlow) ? kControlHardware : kControlNone;
    // A setting the server does not answer is one its port has no line
    // for; the ones it answers otherwise than asked are its own business,
    // as a device server's console may pin them.
    Agreed(kSetBaudRate, telnet_out::ComPortCommand32(kSetBaudRate, baud),
           {uint8_t(baud >> 24), uint8_t(baud >> 16), uint8_t(baud >> 8), uint8_t(baud)});
    Agreed(kSetDataSize, telnet_out::ComPortCommand(kSetDataSize, {settings.ByteSize}), {settings.ByteSize});
    Agreed(kSetParity, telnet_out::ComPortCommand(kSetParity, {parity}), {parity});
    Agreed(kSetStopSize, telnet_out::ComPortCommand(kSetStopSize, {stop}), {stop});
    m_bHardwareFlow = control == kControlHardware &&
                      Agreed(kSetControl, telnet_out::ComPortCommand(kSetControl, {control}), {control});
    m_link->Queue(telnet_out::ComPortCommand(kSetModemStateMask, {kModemCts}));
    return !IsGone();
}

bool CRfc2217PortDriver::SetupComm(HANDLE, int, int)
{
    // The server sizes its buffers itself.
    return !IsGone();
}

void CRfc2217PortDriver::PurgeComm(HANDLE, uint32_t flags)
{
    const bool receive = flags & PURGE_RXCLEAR;
    const bool transmit = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (transmit)
        m_output.clear();
    if (receive)
        m_link->ClearReceived();
    if (!receive && !transmit)
        return;
    const uint8_t which = receive && transmit ? comport::kPurgeBoth
                          : receive          ? comport::kPurgeReceive
                                             : comport::kPurgeTransmit;
    m_link->Queue(telnet_out::ComPortCommand(comport::kPurgeData, {which}));
}

void CRfc2217PortDriver::SetDtr(HANDLE)
{
    // Not waited for: some servers never answer these.
    m_link->Queue(telnet_out::ComPortCommand(comport::kSetControl, {comport::kDtrOn}));
    m_link->Queue(telnet_out::ComPortCommand(comport::kSetControl, {comport::kRtsOn}));
}

int CRfc2217PortDriver::ClearCommError(HANDLE)
{
    // Counted before the queued request goes out, its reply cannot slip in
    // ahead of the wait that follows.
    const int waiting = static_cast<int>(m_link->Waiting());
    Flush();
    return waiting;
}

bool CRfc2217PortDriver::GetCommModemStatus(HANDLE, uint32_t& status)
{
    Flush();
    const std::optional<uint8_t> state = m_link->ModemState();
    // A server that never reported the lines has none to report, and a lost
    // connection takes nothing: either counts as CTS on, so the queue
    // empties instead of waiting for ever.
    status = state && !IsGone() ? uint32_t{*state} & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON) : MS_CTS_ON;
    return true;
}

EIoStart CRfc2217PortDriver::ReadFile(HANDLE, unsigned char* buffer, uint32_t count, uint32_t& read, OVERLAPPED&)
{
    read = static_cast<uint32_t>(m_link->Take(buffer, count));
    return read == 0 && IsGone() ? EIoStart::Failed : EIoStart::Done;
}

EIoStart CRfc2217PortDriver::WriteFile(HANDLE, unsigned char byte, OVERLAPPED&)
{
    if (IsGone())
        return EIoStart::Failed;
    if (m_output.size() >= kOutputQueueSize)
        Flush();
    telnet_out::AppendData(m_output, &byte, 1);
    return EIoStart::Done;
}

void CRfc2217PortDriver::Flush()
{
    // The time-out a write of these bytes would have.
    const uint64_t timeout = uint64_t{m_timeouts.WriteTotalTimeoutMultiplier} * m_output.size() +
                             m_timeouts.WriteTotalTimeoutConstant;
    if (!m_output.empty())
        m_link->Send(m_output, static_cast<uint32_t>(std::min<uint64_t>(timeout, UINT32_MAX)));
    m_output.clear();
}

EIoWait CRfc2217PortDriver::GetOverlappedResult(HANDLE, OVERLAPPED&, uint32_t& transferred)
{
    // Nothing the engine starts is left under way.
    transferred = 0;
    return EIoWait::Failed;
}

int CRfc2217PortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    Flush();
    // Reset before the queue is looked at: what arrives from now on sets it.
    m_link->Arrived().Reset();
    if (portData && (m_link->Waiting() != 0 || IsGone()))
        ms = 0;
    const int result = CManualResetEvent::WaitAny(events, portData ? &m_link->Arrived() : nullptr, ms);
    // Bytes or news at the port end the wait as a time-out.
    return result == 2 ? WAIT_TIMEOUT : result;
}

bool CRfc2217PortDriver::IsGone() const
{
    return m_link && m_link->IsGone();
}

int CRfc2217PortDriver::LastError() const
{
    return m_link ? m_link->LastError() : m_nOpenError;
}

PortFault CRfc2217PortDriver::Fault() const
{
    if (!m_link)
        return m_fault;
    if (!m_link->IsGone())
        return {};
    return {PortFault::EKind::ConnectionLost, m_address.host, m_address.port, m_link->Cause()};
}
