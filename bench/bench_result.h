#pragma once

#include <optional>
#include <string>

// One row of the benchmark summary, printed as
// "result: <what>|<measured>|<target>|<PASS, FAIL or - >" for bench/run to
// gather; a figure without a target (met left out) shows "-".
void PrintResult(const std::string& what, const std::string& measured, const std::string& target,
                 std::optional<bool> met = std::nullopt);
// A number with a fixed count of decimals, for the rows above.
std::string Fixed(double value, int decimals);
