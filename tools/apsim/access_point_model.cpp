#include "tools/apsim/access_point_model.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "protocol/commands.h"

namespace {
using Address = std::array<unsigned char, kAddressBytes>;

size_t LittleEndian16(std::string_view bytes)
{
    return static_cast<unsigned char>(bytes[0]) | static_cast<size_t>(static_cast<unsigned char>(bytes[1])) << 8;
}

// Noise whose bytes all have the high bit set, so it never reads as the
// start of any reply text.
std::string Garbage(size_t count)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(0x80 | ((i * 37 + 11) & 0x7F));
    return bytes;
}
}  // namespace

CAccessPointModel::CAccessPointModel(AccessPointState state) : m_state(std::move(state)) {}

std::vector<ReplyPlan> CAccessPointModel::Receive(std::string_view bytes)
{
    m_received.append(bytes);
    std::vector<ReplyPlan> replies;
    for (char byte : bytes)
        Take(byte, replies);
    return replies;
}

void CAccessPointModel::Take(char byte, std::vector<ReplyPlan>& replies)
{
    m_pending += byte;
    const bool lineEnd = byte == '\n';
    const bool overlong = m_pending.size() >= kMaxLineBytes;
    switch (m_stage) {
    case Stage::Line:
        if (lineEnd) {
            // A known command's payload starts after its line; an unknown
            // line is its own payload.
            ApCommand command = MatchCommandLine(m_pending);
            if (command != ApCommand::Unknown)
                m_pending.clear();
            Begin(command, replies);
        } else if (overlong) {
            Begin(ApCommand::Unknown, replies);
        }
        break;
    case Stage::DeleteCount:
        if (m_pending.size() == kCountBytes) {
            m_payloadSize = kCountBytes + LittleEndian16(m_pending) * kAddressBytes;
            m_stage = Stage::DeleteAddresses;
        }
        [[fallthrough]];
    case Stage::DeleteAddresses:
        if (m_stage == Stage::DeleteAddresses && m_pending.size() == m_payloadSize)
            Complete(replies);
        break;
    case Stage::PinInForce:
        if (lineEnd)
            m_stage = Stage::NewPin;
        else if (overlong)
            Complete(replies);
        break;
    case Stage::Name:
    case Stage::NewPin:
        if (lineEnd || overlong)
            Complete(replies);
        break;
    }
}

void CAccessPointModel::Begin(ApCommand command, std::vector<ReplyPlan>& replies)
{
    m_command = command;
    switch (command) {
    case ApCommand::LinkDelete: m_stage = Stage::DeleteCount; break;
    case ApCommand::NameUpdate: m_stage = Stage::Name; break;
    case ApCommand::PinUpdate: m_stage = Stage::PinInForce; break;
    default: Complete(replies); break;
    }
}

void CAccessPointModel::Complete(std::vector<ReplyPlan>& replies)
{
    m_exchanges.push_back({m_command, std::move(m_pending)});
    m_pending.clear();
    m_stage = Stage::Line;
    const ExchangeRecord& request = m_exchanges.back();
    ++m_commandCounts[static_cast<size_t>(request.command)];

    std::string reply = Carry(request);
    if (m_hook)
        m_hook(request, m_state);
    if (request.command != ApCommand::Unknown)
        replies.push_back(Shape(request.command, std::move(reply)));
}

std::string CAccessPointModel::Carry(const ExchangeRecord& request)
{
    switch (request.command) {
    case ApCommand::Identify: return kIdentifyAnswer;
    case ApCommand::LinkRead: return ListReply();
    case ApCommand::LinkDelete: return Delete(request.payload);
    case ApCommand::NameRead: return kOkReply + m_state.name + kLineFeed;
    case ApCommand::NameUpdate: return UpdateName(request.payload);
    case ApCommand::PinUpdate: return UpdatePin(request.payload);
    case ApCommand::Exit: return kOkReply;
    case ApCommand::Unknown: break;
    }
    return {};
}

std::string CAccessPointModel::ListReply() const
{
    // The count field cannot say more; the rest stays unlisted.
    const size_t count = std::min(m_state.devices.size(), kMaxPairedDevices);
    std::string reply(kOkReply);
    reply += static_cast<char>(count & 0xFF);
    reply += static_cast<char>(count >> 8);
    reply.append(reinterpret_cast<const char*>(m_state.devices.data()), count * sizeof(LinkRecord));
    return reply;
}

std::string CAccessPointModel::Delete(std::string_view payload)
{
    std::set<Address> doomed;
    for (size_t offset = kCountBytes; offset + kAddressBytes <= payload.size(); offset += kAddressBytes) {
        Address address;
        std::memcpy(address.data(), payload.data() + offset, kAddressBytes);
        doomed.insert(address);
    }
    std::erase_if(m_state.devices, [&doomed](const LinkRecord& device) {
        Address address;
        std::memcpy(address.data(), device.address, kAddressBytes);
        return doomed.contains(address);
    });
    return kOkReply;
}

std::string CAccessPointModel::UpdateName(std::string_view payload)
{
    if (payload.empty() || payload.back() != '\n' || payload.size() - 1 > kMaxStoredName)
        return std::string(kRefusal);
    m_state.name = payload.substr(0, payload.size() - 1);
    return kOkReply;
}

std::string CAccessPointModel::UpdatePin(std::string_view payload)
{
    // An overlong line ends the payload without its second line feed.
    const size_t split = payload.find('\n');
    if (payload.empty() || payload.back() != '\n' || split == payload.size() - 1)
        return std::string(kRefusal);
    std::string_view inForce = payload.substr(0, split);
    std::string_view newPin = payload.substr(split + 1, payload.size() - split - 2);
    if (inForce != m_state.pin || newPin.size() > kMaxStoredPin)
        return std::string(kRefusal);
    m_state.pin = newPin;
    return kOkReply;
}

ReplyPlan CAccessPointModel::Shape(ApCommand command, std::string reply) const
{
    ReplyPlan plan;
    const size_t exchangeNumber = m_exchanges.size();
    const size_t commandNumber = m_commandCounts[static_cast<size_t>(command)];
    if (!m_faults.Covers(command, exchangeNumber, commandNumber)) {
        plan.bytes = std::move(reply);
        return plan;
    }
    plan.delayMsPerByte = m_faults.delayMsPerByte;
    plan.throttle = m_faults.throttle;
    plan.hangupAfter = m_faults.hangupAfter;
    if (m_faults.silent)
        return plan;
    if (m_faults.wrongAck)
        reply = command == ApCommand::Identify ? kWrongIdentifyAnswer : kRefusal;
    else if (m_faults.rawName && command == ApCommand::NameRead)
        reply = kOkReply + *m_faults.rawName;
    if (m_faults.cutAfter && *m_faults.cutAfter < reply.size())
        reply.resize(*m_faults.cutAfter);
    plan.bytes = Garbage(m_faults.garbageBytes) + reply;
    return plan;
}
