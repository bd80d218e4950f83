#include "Statistics.h"

#include <algorithm>
#include <stdexcept>

namespace morvane::bench {

double Median(std::vector<double> samples)
{
    if (samples.empty())
        throw std::invalid_argument("the median of no samples is undefined");
    const std::size_t middle = samples.size() / 2;
    std::nth_element(
        samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle), samples.end());
    const double upper = samples[middle];
    if (samples.size() % 2 != 0)
        return upper;
    // After nth_element everything before the middle is no larger, so its maximum is the other
    // middle value.
    const double lower
        = *std::max_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
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
