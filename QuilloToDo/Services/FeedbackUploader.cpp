#include "QuilloToDo/Services/FeedbackUploader.h"

#include "QuilloToDo/Services/FeedbackError.h"
#include "QuilloToDo/Services/FeedbackRequest.h"

#include <QNetworkReply>
#include <QNetworkRequest>

#include <stdexcept>

namespace quillo {

FeedbackUploader::FeedbackUploader(QString baseURL, std::chrono::milliseconds transferTimeout, QObject* parent)
    : QObject(parent), baseURL_(std::move(baseURL)), transferTimeout_(transferTimeout), network_(this) {}

void FeedbackUploader::deliver(const platform::JSON& operation, PersistentRetryQueue::DeliveryCompletion done) {
    FeedbackPayload payload;
    try {
        payload = decodeFeedbackPayload(operation);
    } catch (...) {
        done(std::current_exception());
        return;
    }
    const auto url = FeedbackRequest::endpoint(baseURL_);
    if (!url) {
        done(std::make_exception_ptr(FeedbackError::invalidURL()));
        return;
    }

    QNetworkRequest request(*url);
    request.setTransferTimeout(static_cast<int>(transferTimeout_.count()));
    QByteArray body;
    if (payload.screenshotPNG) {
        const QString boundary = FeedbackRequest::newBoundary();
        request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary.toUtf8());
        body = FeedbackRequest::multipartBody(payload, *payload.screenshotPNG, boundary);
    } else {
        request.setRawHeader("Content-Type", "application/json");
        body = FeedbackRequest::jsonBody(payload);
    }

    QNetworkReply* reply = network_.post(request, body);
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        reply->deleteLater();
        // Qt reports 4xx and 5xx answers as errors too: the status decides first.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid()) {
            done(FeedbackRequest::outcome(status.toInt(), reply->readAll()));
        } else if (reply->error() != QNetworkReply::NoError) {
            done(std::make_exception_ptr(std::runtime_error(reply->errorString().toStdString())));
        } else {
            done(std::make_exception_ptr(FeedbackError::invalidResponse()));
        }
    });
}

}  // namespace quillo
