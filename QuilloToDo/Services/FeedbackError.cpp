#include "QuilloToDo/Services/FeedbackError.h"

#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

namespace quillo {

namespace {

constexpr std::size_t kBodyCharacterLimit = 200;

std::string prefixOfCharacters(const std::string& text, std::size_t count) {
    const auto clusters = platform::graphemeClusters(text);
    if (clusters.size() <= count) return text;
    // The clusters are views into `text`, in order: the cut falls where the next one begins.
    return text.substr(0, static_cast<std::size_t>(clusters[count].data() - text.data()));
}

}  // namespace

FeedbackError::FeedbackError(Kind kind, const std::string& description, int code, QString body)
    : std::runtime_error(description), kind_(kind), code_(code), body_(std::move(body)) {}

FeedbackError FeedbackError::invalidURL() { return FeedbackError(Kind::invalidURL, "Invalid feedback URL"); }

FeedbackError FeedbackError::invalidResponse() {
    return FeedbackError(Kind::invalidResponse, "Invalid response from the feedback server");
}

FeedbackError FeedbackError::httpError(int code, const QString& body) {
    const std::string excerpt = prefixOfCharacters(platform::toStdString(body), kBodyCharacterLimit);
    return FeedbackError(Kind::httpError, "HTTP " + std::to_string(code) + ": " + excerpt, code, body);
}

}  // namespace quillo
