#include "frontend/port_hints.h"

#include "serial/posix/com_port_resolver.h"
#include "serial/posix/port_probe.h"

ProbedPorts CPortHints::Judge(const std::vector<NumberedPort>& ports)
{
    ProbedPorts probed;
    for (const NumberedPort& port : ports) {
        const PortAccess access =
            CPortProbe::Judge(port.info.OpenPath(), CComPortResolver::LockFolder(), port.info.kernelName);
        if (access.Openable())
            probed.openable.push_back(port);
        else
            probed.refused.push_back({port, access});
    }
    return probed;
}
