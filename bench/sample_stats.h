#pragma once

#include <cstddef>
#include <vector>

// Durations gathered from repeated runs, summarised as the benchmarks
// report them.
class CSampleStats {
public:
    void Add(double value) { m_values.push_back(value); }
    size_t Count() const { return m_values.size(); }
    // The middle value; the mean of the two middle ones for an even count.
    // Zero without samples.
    double Median() const;
    // Nearest rank: the smallest value with at least p percent of the
    // samples at or below it (p in 0..100). Zero without samples.
    double Percentile(double p) const;

private:
    std::vector<double> m_values;
};
