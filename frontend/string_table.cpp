#include "frontend/string_table.h"

namespace {
thread_local bool t_englishOnly = false;
}  // namespace

CStringTable::EnglishScope::EnglishScope() : m_outer(t_englishOnly)
{
    t_englishOnly = true;
}

CStringTable::EnglishScope::~EnglishScope()
{
    t_englishOnly = m_outer;
}

bool CStringTable::EnglishOnly()
{
    return t_englishOnly;
}
