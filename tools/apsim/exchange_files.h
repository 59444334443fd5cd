#pragma once

#include <fstream>
#include <string>

#include "tools/apsim/access_point_state.h"
#include "tools/apsim/exchange_record.h"

// The record and state files of the apsim program; either path may be empty.
class CExchangeFiles {
public:
    CExchangeFiles(std::string recordPath, std::string statePath);

    // Opens the record for appending and writes the first state; false with
    // the reason in `error` when either cannot be written.
    bool Open(const AccessPointState& state, std::string& error);
    // Appends the record line, flushed, and rewrites the state; false when
    // either could not be written.
    bool Write(const ExchangeRecord& record, const AccessPointState& state);

private:
    bool WriteState(const AccessPointState& state);

    std::string m_recordPath;
    std::string m_statePath;
    std::ofstream m_record;
};
