#include "testing/Time.h"

#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace quillo::testing {

namespace {

constexpr std::array<std::int32_t, 4> kExactTimescales{2400, 24000, 30000, 60000};
constexpr std::int32_t kFallbackTimescale = 1'000'000'000;

// Guards every double-to-integer conversion: out of range is undefined behaviour.
std::int64_t checkedRound(double value) {
    if (!std::isfinite(value) || value < -9.2e18 || value > 9.2e18) {
        throw std::invalid_argument("time out of range for a stored time");
    }
    return static_cast<std::int64_t>(std::llround(value));
}

Time combine(const Time& a, const Time& b, bool subtract) {
    const std::int64_t lcm =
        std::lcm(static_cast<std::int64_t>(a.timescale()), static_cast<std::int64_t>(b.timescale()));
    if (lcm <= std::numeric_limits<std::int32_t>::max()) {
        std::int64_t left = 0;
        std::int64_t right = 0;
        std::int64_t result = 0;
        const bool overflow =
            __builtin_mul_overflow(a.value(), lcm / a.timescale(), &left) ||
            __builtin_mul_overflow(b.value(), lcm / b.timescale(), &right) ||
            (subtract ? __builtin_sub_overflow(left, right, &result) : __builtin_add_overflow(left, right, &result));
        if (!overflow) return Time(result, static_cast<std::int32_t>(lcm));
    }
    return Time(subtract ? a.seconds() - b.seconds() : a.seconds() + b.seconds());
}

}  // namespace

Time::Time(double seconds) : value_(0), timescale_(kFallbackTimescale) {
    if (!std::isfinite(seconds)) throw std::invalid_argument("time is not finite");
    for (const auto timescale : kExactTimescales) {
        const double scaled = seconds * timescale;
        if (std::fabs(scaled) < 9.2e18 && std::fabs(scaled - std::round(scaled)) < 1e-6) {
            value_ = checkedRound(scaled);
            timescale_ = timescale;
            return;
        }
    }
    value_ = checkedRound(seconds * kFallbackTimescale);
}

Time::Time(std::int64_t value, std::int32_t timescale) : value_(value), timescale_(timescale) {
    if (timescale <= 0) throw std::invalid_argument("a timescale must be positive");
}

std::string Time::text() const { return std::to_string(value_) + "/" + std::to_string(timescale_); }

Time operator+(const Time& a, const Time& b) { return combine(a, b, false); }
Time operator-(const Time& a, const Time& b) { return combine(a, b, true); }

std::string timeRangeText(const Time& start, const Time& duration) {
    return "{" + start.text() + "," + duration.text() + "}";
}

}  // namespace quillo::testing
