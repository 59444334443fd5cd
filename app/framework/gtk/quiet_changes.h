#pragma once

// Changes made from code: no notification while they run.
class CQuietChanges {
public:
    explicit CQuietChanges(bool& quiet) : m_quiet(quiet), m_previous(quiet) { m_quiet = true; }
    ~CQuietChanges() { m_quiet = m_previous; }
    CQuietChanges(const CQuietChanges&) = delete;
    CQuietChanges& operator=(const CQuietChanges&) = delete;

private:
    bool& m_quiet;
    bool m_previous;
};
