#pragma once

#include <vector>

namespace morvane::bench {

// The middle value of the samples; for an even count, the mean of the two middle values. Medians
// rather than means, so that one run disturbed by the rest of the machine does not move a figure.
// Throws std::invalid_argument for an empty list.
double Median(std::vector<double> samples);

// The median of numerator[i] / denominator[i] over runs taken in pairs, so that a slow stretch
// of the machine weighs on both sides of a comparison alike. Throws std::invalid_argument when
// the lists differ in length, are empty, or a denominator is not positive.
double MedianRatio(const std::vector<double>& numerators, const std::vector<double>& denominators);

} // namespace morvane::bench
