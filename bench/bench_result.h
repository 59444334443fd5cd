#pragma once

#include <string>

// One row of the benchmark summary, printed as
// "result: <what>|<measured>|<target>|<PASS or FAIL>" for bench/run to gather.
void PrintResult(const std::string& what, const std::string& measured, const std::string& target, bool met);
// A number with a fixed count of decimals, for the rows above.
std::string Fixed(double value, int decimals);
