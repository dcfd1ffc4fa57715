#pragma once

#include <cstdint>

namespace brimlock {

// A bound on the work of one timeline's walks over child collections. Depth limits alone do not
// bound a damaged database whose child links fan out again and again (every collection of one level
// linked below every collection of the level above): eight levels of ten children each are a
// hundred million visits. Every walk that may share a budget spends one unit per child collection
// it examines and stops, keeping what it has found so far, once a spend is refused.
//
// Owned by whoever resolves one timeline and handed down by pointer; used by one thread at a time.
class WalkBudget {
public:
    static constexpr std::uint64_t kDefaultLimit = 5'000'000;

    explicit constexpr WalkBudget(std::uint64_t limit = kDefaultLimit) noexcept : limit_(limit) {}

    // Takes `n` units. When fewer than `n` remain (or the budget is already exhausted) nothing is
    // taken, the budget becomes exhausted for good, and the answer is false: the walk must stop.
    constexpr bool spend(std::uint64_t n = 1) noexcept {
        if (exhausted_ || n > limit_ - spent_) {
            exhausted_ = true;
            return false;
        }
        spent_ += n;
        return true;
    }

    // True once a spend was refused; a budget spent exactly to its limit is not yet exhausted.
    constexpr bool exhausted() const noexcept { return exhausted_; }
    constexpr std::uint64_t spent() const noexcept { return spent_; }
    constexpr std::uint64_t limit() const noexcept { return limit_; }

private:
    std::uint64_t limit_;
    std::uint64_t spent_ = 0;
    bool exhausted_ = false;
};

}  // namespace brimlock
