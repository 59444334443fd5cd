#include "tests/support/state_home.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

CStateHome::CStateHome()
{
    char folder[] = "/tmp/apconfig-stateXXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("no temporary folder");
    m_folder = folder;
    if (const char* previous = getenv("XDG_STATE_HOME"))
        m_previous = previous;
    setenv("XDG_STATE_HOME", m_folder.c_str(), 1);
}

CStateHome::~CStateHome()
{
    if (m_previous)
        setenv("XDG_STATE_HOME", m_previous->c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
    std::error_code ignored;
    std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_folder, ignored);
}
