#include "bench/bench_result.h"

#include <cstdio>

void PrintResult(const std::string& what, const std::string& measured, const std::string& target, bool met)
{
    std::printf("result: %s|%s|%s|%s\n", what.c_str(), measured.c_str(), target.c_str(), met ? "PASS" : "FAIL");
    std::fflush(stdout);
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
