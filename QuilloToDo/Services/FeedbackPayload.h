#pragma once

#include "Platform/Foundation/Coding.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillo {

// One piece of user feedback as the feedback sheet fills it in.
struct FeedbackPayload {
    QString text;
    QString userName;    // the user's login name
    QString appVersion;  // FeedbackService::appVersion()
    QString osVersion;   // FeedbackService::osVersion()
    // "QuilloToDo", or "QuilloToDo – " and the area it was entered in.
    QString appModule;
    QString diagnose;  // the diagnostics text
    std::optional<QByteArray> screenshotPNG;
    std::optional<QString> submitterEmail;

    friend bool operator==(const FeedbackPayload&, const FeedbackPayload&) = default;
};

// The payload as the queue file stores it: an object with "text", "userName", "appVersion",
// "osVersion", "appModule", "diagnose", "screenshotPNG" (Base64, left out when absent) and
// "submitterEmail" (left out when absent).
platform::JSON encode(const FeedbackPayload& payload);
// The six texts are required; a missing or null optional reads as absent. Throws
// platform::DecodingError, also for a screenshot that is not valid Base64.
FeedbackPayload decodeFeedbackPayload(const platform::JSON& value);

}  // namespace quillo
