#pragma once

#include <functional>
#include <string>
#include <vector>

// A long option of a bench program and where its value goes: a number, a
// text, one more of either, or for an option without a value a switch.
struct BenchOption {
    BenchOption(const char* name, int& into);
    BenchOption(const char* name, std::string& into);
    BenchOption(const char* name, std::vector<int>& into);
    BenchOption(const char* name, std::vector<std::string>& into);
    BenchOption(const char* name, bool& into, bool value);

    const char* name;
    bool takesValue = true;
    std::function<void(const char* value)> take;
};

// Reads argv's options; false on an unknown one, a number that is not one,
// or a word left over.
bool ParseBenchOptions(int argc, char* argv[], const std::vector<BenchOption>& options);
