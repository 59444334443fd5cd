#pragma once

#include "tools/apsim/fault_plan.h"

// A fault plan with some fields set (designated initializers would leave
// -Wextra complaining about the rest).
template <typename Set>
FaultPlan With(Set set)
{
    FaultPlan faults;
    set(faults);
    return faults;
}
