#pragma once

#include <cstdint>
#include <string>

namespace quillo::testing {

// A stored time: an integer value over an integer timescale, written as "value/timescale", the form
// event databases keep. Seconds convert to the first timescale that holds them exactly (2400, which
// holds every frame of 24, 25, 30, 48, 50 and 60 fps, then 24000, 30000, 60000), else to
// nanoseconds, rounded.
class Time {
public:
    Time(double seconds);  // NOLINT: implicit, so a test writes clip("A", 0.0, 10.0)
    Time(std::int64_t value, std::int32_t timescale);

    std::int64_t value() const noexcept { return value_; }
    std::int32_t timescale() const noexcept { return timescale_; }
    double seconds() const noexcept { return static_cast<double>(value_) / static_cast<double>(timescale_); }
    std::string text() const;

    // Exact on a common timescale when one fits 32 bits, else through seconds.
    friend Time operator+(const Time& a, const Time& b);
    friend Time operator-(const Time& a, const Time& b);
    friend bool operator==(const Time& a, const Time& b) noexcept {
        return a.value_ == b.value_ && a.timescale_ == b.timescale_;
    }

private:
    std::int64_t value_;
    std::int32_t timescale_;
};

// A stored time range, "{start,duration}", with no space: the form readers parse.
std::string timeRangeText(const Time& start, const Time& duration);

}  // namespace quillo::testing
