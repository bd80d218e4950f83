#include "Statistics.h"

#include <algorithm>
#include <stdexcept>

namespace morvane::bench {

double Median(std::vector<double> samples)
{
    if (samples.empty())
        throw std::invalid_argument("the median of no samples is undefined");
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

double MedianRatio(const std::vector<double>& numerators, const std::vector<double>& denominators)
{
    if (numerators.size() != denominators.size())
        throw std::invalid_argument("paired runs must come in equal numbers");
    std::vector<double> ratios;
    ratios.reserve(numerators.size());
    for (std::size_t i = 0; i < numerators.size(); ++i) {
        if (!(denominators[i] > 0))
            throw std::invalid_argument("a reference run measured nothing");
        ratios.push_back(numerators[i] / denominators[i]);
    }
    return Median(std::move(ratios));
}

} // namespace morvane::bench
