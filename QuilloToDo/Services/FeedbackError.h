#pragma once

#include "QuilloToDo/Services/PermanentRetryFailure.h"

#include <QString>

#include <stdexcept>

namespace quillo {

// Why one upload of a feedback failed; what() is the description.
class FeedbackError : public std::runtime_error {
public:
    enum class Kind { invalidURL, invalidResponse, httpError };

    static FeedbackError invalidURL();
    static FeedbackError invalidResponse();
    // "HTTP <code>: " and the first 200 characters (user-perceived characters, never a split one)
    // of the server's answer.
    static FeedbackError httpError(int code, const QString& body);

    Kind kind() const noexcept { return kind_; }
    int code() const noexcept { return code_; }
    const QString& body() const noexcept { return body_; }

private:
    FeedbackError(Kind kind, const std::string& description, int code = 0, QString body = {});

    Kind kind_;
    int code_;
    QString body_;
};

// A feedback the server refused for good (a 4xx status other than 429): the retry queue gives it up
// instead of trying again.
class PermanentFeedbackFailure : public std::runtime_error, public PermanentRetryFailure {
public:
    explicit PermanentFeedbackFailure(FeedbackError underlying)
        : std::runtime_error(underlying.what()), underlying_(std::move(underlying)) {}

    const FeedbackError& underlying() const noexcept { return underlying_; }

private:
    FeedbackError underlying_;
};

}  // namespace quillo
