#pragma once

namespace quillo {

// Mixed into an exception type that a delivery function reports when its operation must never be
// retried: the retry queue gives the entry up at once instead of pausing and trying again.
class PermanentRetryFailure {
public:
    virtual ~PermanentRetryFailure() = default;

protected:
    PermanentRetryFailure() = default;
    PermanentRetryFailure(const PermanentRetryFailure&) = default;
    PermanentRetryFailure& operator=(const PermanentRetryFailure&) = default;
};

}  // namespace quillo
