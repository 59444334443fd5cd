#pragma once

#include <optional>
#include <string>

// A state folder of its own (XDG_STATE_HOME) for as long as the object
// lives, so the COM number database of a test is the test's; the variable
// is put back and the folder removed afterwards.
class CStateHome {
public:
    CStateHome();
    ~CStateHome();
    CStateHome(const CStateHome&) = delete;
    CStateHome& operator=(const CStateHome&) = delete;

    const std::string& Folder() const { return m_folder; }
    // The database file and its folder, as the programs name them.
    std::string NumbersFile() const { return m_folder + "/apconfig/com-numbers"; }

private:
    std::string m_folder;
    std::optional<std::string> m_previous;
};
