#pragma once

#include <stdexcept>

namespace platform {

// A failure of the reminder store: a list or file that could not be written, an identifier that
// names nothing. what() says what failed, for the user.
class ReminderStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace platform
