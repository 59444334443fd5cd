#include "bench/sample_stats.h"

#include <algorithm>
#include <cmath>

double CSampleStats::Median() const
{
    if (m_values.empty())
        return 0;
    std::vector<double> sorted(m_values);
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double CSampleStats::Percentile(double p) const
{
    if (m_values.empty())
        return 0;
    std::vector<double> sorted(m_values);
    std::sort(sorted.begin(), sorted.end());
    const double rank = std::ceil(std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(sorted.size()));
    const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}
