#pragma once

#include "QuilloToDo/Services/PersistentRetryQueue.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <chrono>

namespace quillo {

// Uploads one stored feedback per call, as the feedback queue's delivery function. Lives on the
// queue's thread, where its network access manager runs.
class FeedbackUploader : public QObject {
    Q_OBJECT

public:
    FeedbackUploader(QString baseURL, std::chrono::milliseconds transferTimeout, QObject* parent = nullptr);

    // Posts the payload stored in `operation` and reports through `done`: nothing for delivered, a
    // transport error or FeedbackError to retry, a PermanentFeedbackFailure to give up.
    void deliver(const platform::JSON& operation, PersistentRetryQueue::DeliveryCompletion done);

private:
    QString baseURL_;
    std::chrono::milliseconds transferTimeout_;
    QNetworkAccessManager network_;
};

}  // namespace quillo
