#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/apsim/access_point_state.h"
#include "tools/apsim/exchange_record.h"
#include "tools/apsim/fault_plan.h"
#include "tools/apsim/reply_plan.h"

// The access point's side of the line protocol, without I/O or threads: it
// takes the host's bytes in pieces of any size, carries out each complete
// request on its state and gives back what goes on the line in reply. It
// keeps every byte it received and a log of the requests.
class CAccessPointModel {
public:
    // The device refuses what it cannot take with this reply; a wrong
    // acknowledgement fault sends it too.
    static constexpr std::string_view kRefusal = "NG\n";
    // What a wrong-acknowledgement fault answers to the identification.
    static constexpr std::string_view kWrongIdentifyAnswer = "No, I'm not an access point.\n";
    // Longest name the device stores (the host sends at most 60 bytes).
    static constexpr size_t kMaxStoredName = 248;
    // Longest PIN the device stores.
    static constexpr size_t kMaxStoredPin = 16;
    // A line still without its line feed after this many bytes ends there:
    // an unknown line is logged, a name or PIN is refused.
    static constexpr size_t kMaxLineBytes = 1024;

    // Called for each completed request with the state after it, before its
    // reply goes out.
    using ExchangeHook = std::function<void(const ExchangeRecord&, const AccessPointState&)>;

    explicit CAccessPointModel(AccessPointState state = {});

    AccessPointState& State() { return m_state; }
    const AccessPointState& State() const { return m_state; }
    void SetFaults(FaultPlan faults) { m_faults = std::move(faults); }
    const FaultPlan& Faults() const { return m_faults; }
    void SetExchangeHook(ExchangeHook hook) { m_hook = std::move(hook); }

    // Takes the next received bytes; one plan per request they complete
    // (an unknown line gets none). A plan's bytes may be empty.
    std::vector<ReplyPlan> Receive(std::string_view bytes);

    // Every byte received, in order.
    const std::string& Received() const { return m_received; }
    // Every request completed, unknown lines included, in order.
    const std::vector<ExchangeRecord>& Exchanges() const { return m_exchanges; }

private:
    enum class Stage { Line, DeleteCount, DeleteAddresses, Name, PinInForce, NewPin };

    void Take(char byte, std::vector<ReplyPlan>& replies);
    void Begin(ApCommand command, std::vector<ReplyPlan>& replies);
    void Complete(std::vector<ReplyPlan>& replies);
    std::string Carry(const ExchangeRecord& request);
    std::string ListReply() const;
    std::string Delete(std::string_view payload);
    std::string UpdateName(std::string_view payload);
    std::string UpdatePin(std::string_view payload);
    ReplyPlan Shape(ApCommand command, std::string reply) const;

    AccessPointState m_state;
    FaultPlan m_faults;
    ExchangeHook m_hook;

    Stage m_stage = Stage::Line;
    ApCommand m_command = ApCommand::Unknown;
    std::string m_pending;  // the line or payload being gathered
    size_t m_payloadSize = 0;

    std::string m_received;
    std::vector<ExchangeRecord> m_exchanges;
    std::array<size_t, static_cast<size_t>(ApCommand::Unknown) + 1> m_commandCounts{};
};
