#pragma once

#include "QuilloToDo/Services/FeedbackPayload.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <exception>
#include <optional>

// The upload of one feedback, as bytes and rules, apart from the network: where it goes, its two
// body forms, and what a response means for the retry queue.
namespace quillo::FeedbackRequest {

inline constexpr auto kEndpointPath = "/api/collections/feedback/records";

// `baseURL` followed by the endpoint path; nothing unless it is an https URL with a host, or an
// http URL whose host is the loopback interface.
std::optional<QUrl> endpoint(const QString& baseURL);

// A compact JSON object of the six texts under their server-side names, and "submitter_email" when
// the address is present and not empty.
QByteArray jsonBody(const FeedbackPayload& payload);
// "----QTFeedback-" and a new upper-case UUID.
QString newBoundary();
// multipart/form-data: the same fields as the JSON body, in its order, then the screenshot part
// "feedback.png" of type image/png, then the closing delimiter. Lines end in CRLF.
QByteArray multipartBody(const FeedbackPayload& payload, const QByteArray& screenshot, const QString& boundary);

// What an HTTP status and body mean: null for delivered (2xx); a PermanentFeedbackFailure for a 4xx
// other than 429; otherwise a FeedbackError::httpError, retried. A body that is not UTF-8 reads as
// empty text.
std::exception_ptr outcome(int status, const QByteArray& body);

}  // namespace quillo::FeedbackRequest
