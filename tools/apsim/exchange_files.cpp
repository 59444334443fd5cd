#include "tools/apsim/exchange_files.h"

#include <filesystem>

CExchangeFiles::CExchangeFiles(std::string recordPath, std::string statePath)
    : m_recordPath(std::move(recordPath)), m_statePath(std::move(statePath))
{
}

bool CExchangeFiles::Open(const AccessPointState& state, std::string& error)
{
    if (!m_recordPath.empty()) {
        m_record.open(m_recordPath, std::ios::app | std::ios::binary);
        if (!m_record) {
            error = "cannot open " + m_recordPath;
            return false;
        }
    }
    if (!WriteState(state)) {
        error = "cannot write " + m_statePath;
        return false;
    }
    return true;
}

bool CExchangeFiles::Write(const ExchangeRecord& record, const AccessPointState& state)
{
    bool recorded = true;
    if (m_record.is_open()) {
        m_record << FormatRecordLine(record) << '\n' << std::flush;
        recorded = m_record.good();
        m_record.clear();
    }
    return WriteState(state) && recorded;
}

// Through a temporary file and a rename, so a reader never sees half a state.
bool CExchangeFiles::WriteState(const AccessPointState& state)
{
    if (m_statePath.empty())
        return true;
    const std::string temporary = m_statePath + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc | std::ios::binary);
        file << FormatStateText(state);
        if (!file.flush())
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, m_statePath, error);
    return !error;
}
