#pragma once

#include <functional>
#include <memory>

class CDialog;

// Tells a dialog when the machine's serial ports may have changed: the
// system announces a port's arrival or removal (Windows), or a folder of
// device nodes, their stable names or lock files changes (Linux, after a
// moment for udev to finish a plug's links; one call for a burst). Calls
// come on the dialog's thread, from its message loop.
class CPortChangeWatch {
public:
    CPortChangeWatch();
    ~CPortChangeWatch();

    void Start(CDialog* pOwner, std::function<void()> changed);
    // Calls poll every `seconds` while it returns true: for what no change
    // announces (another program releasing a port it holds). A call while
    // polling goes on replaces poll and keeps the pace.
    void Poll(unsigned seconds, std::function<bool()> poll);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
