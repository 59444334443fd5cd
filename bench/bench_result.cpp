#include "bench/bench_result.h"

#include <cstdio>

void PrintResult(const std::string& what, const std::string& measured, const std::string& target,
                 std::optional<bool> met)
{
    const char* verdict = !met ? "-" : *met ? "PASS" : "FAIL";
    std::printf("result: %s|%s|%s|%s\n", what.c_str(), measured.c_str(), target.c_str(), verdict);
    std::fflush(stdout);
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
