#pragma once

#include <chrono>
#include <utility>

namespace morvane::bench {

// The wall time one call of `step` takes, in microseconds, on the monotonic clock.
template <typename Step> double MicrosecondsOf(Step&& step)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<Step>(step)();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count();
}

} // namespace morvane::bench
