#pragma once

#include <string>

namespace platform {

// An account that holds reminder lists, with the platform's type numbers.
struct ReminderSource {
    enum class Type { local = 0, exchange = 1, calDAV = 2, mobileMe = 3, subscribed = 4, birthdays = 5 };

    std::string sourceIdentifier;
    Type sourceType = Type::local;
    std::string title;
};

}  // namespace platform
