#include "tools/apsim/fault_plan.h"

bool FaultPlan::Covers(ApCommand command, size_t exchangeNumber, size_t commandNumber) const
{
    if (command == ApCommand::Unknown || (onCommand && *onCommand != command))
        return false;
    if (onExchange)
        return *onExchange == (onCommand ? commandNumber : exchangeNumber);
    return true;
}
