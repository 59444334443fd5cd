#include "bench/bench_options.h"

#include <getopt.h>

#include <stdexcept>

BenchOption::BenchOption(const char* name, int& into)
    : name(name), take([&into](const char* value) { into = std::stoi(value); })
{
}

BenchOption::BenchOption(const char* name, std::string& into)
    : name(name), take([&into](const char* value) { into = value; })
{
}

BenchOption::BenchOption(const char* name, std::vector<int>& into)
    : name(name), take([&into](const char* value) { into.push_back(std::stoi(value)); })
{
}

BenchOption::BenchOption(const char* name, std::vector<std::string>& into)
    : name(name), take([&into](const char* value) { into.push_back(value); })
{
}

BenchOption::BenchOption(const char* name, bool& into, bool value)
    : name(name), takesValue(false), take([&into, value](const char*) { into = value; })
{
}

bool ParseBenchOptions(int argc, char* argv[], const std::vector<BenchOption>& options)
{
    // getopt_long hands back val: past any character it returns itself.
    constexpr int kFirst = 256;
    std::vector<option> table;
    for (const BenchOption& each : options)
        table.push_back({each.name, each.takesValue ? required_argument : no_argument, nullptr,
                         kFirst + static_cast<int>(table.size())});
    table.push_back({nullptr, 0, nullptr, 0});
    try {
        for (int found; (found = getopt_long(argc, argv, "", table.data(), nullptr)) != -1;) {
            if (found < kFirst || found >= kFirst + static_cast<int>(options.size()))
                return false;
            options[static_cast<size_t>(found - kFirst)].take(optarg);
        }
    } catch (const std::exception&) {
        return false;
    }
    return optind == argc;
}
