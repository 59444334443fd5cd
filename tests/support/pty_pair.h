#pragma once

#include <string>

// A pty whose slave is reachable as "COM<n>" through a temporary device
// folder, so the real tty driver can be tested without touching /dev. The
// test holds the master side and plays the device on it.
class CPtyPair {
public:
    explicit CPtyPair(int comNumber);
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }
    const std::string& Folder() const { return m_folder; }

    void Send(const std::string& bytes);
    // Sends as much of bytes as the pty takes while the program reads, up to
    // all of them; stops once the pty has taken nothing for a while, as when
    // nobody reads. Returns how many went.
    size_t SendWhatFits(const std::string& bytes);
    // Reads what the program sent until `count` bytes came or a generous
    // deadline passed.
    std::string Receive(size_t count);
    // Closes the master: the program's side hangs up.
    void HangUp();

private:
    int m_master = -1;
    int m_slaveKeeper = -1;
    std::string m_slavePath;
    std::string m_folder;
};
