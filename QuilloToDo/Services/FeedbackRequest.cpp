#include "QuilloToDo/Services/FeedbackRequest.h"

#include "QuilloToDo/Services/FeedbackError.h"

#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

#include <QHostAddress>

#include <utility>
#include <vector>

namespace quillo::FeedbackRequest {

namespace {

// The text fields in the order both body forms write them, under their server-side names.
std::vector<std::pair<const char*, QString>> fields(const FeedbackPayload& payload) {
    std::vector<std::pair<const char*, QString>> list{
        {"text", payload.text},
        {"user_name", payload.userName},
        {"app_version", payload.appVersion},
        {"os_version", payload.osVersion},
        {"app_module", payload.appModule},
        {"diagnose", payload.diagnose},
    };
    if (payload.submitterEmail && !payload.submitterEmail->isEmpty()) {
        list.emplace_back("submitter_email", *payload.submitterEmail);
    }
    return list;
}

bool isLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

std::optional<QUrl> endpoint(const QString& baseURL) {
    QUrl url(baseURL.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment()) return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("https") && !(scheme == QLatin1String("http") && isLoopbackHost(url.host()))) {
        return std::nullopt;
    }
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    url.setPath(path + QLatin1String(kEndpointPath));
    return url;
}

QByteArray jsonBody(const FeedbackPayload& payload) {
    platform::JSON object = platform::JSON::object();
    for (const auto& [name, value] : fields(payload)) object[name] = platform::toStdString(value);
    return QByteArray::fromStdString(platform::serializeJSON(object));
}

QString newBoundary() {
    return QStringLiteral("----QTFeedback-") +
           platform::toQString(std::string_view(platform::UUID::random().uuidString()));
}

QByteArray multipartBody(const FeedbackPayload& payload, const QByteArray& screenshot, const QString& boundary) {
    const QByteArray delimiter = "--" + boundary.toUtf8();
    QByteArray body;
    for (const auto& [name, value] : fields(payload)) {
        body += delimiter + "\r\n";
        body += QByteArray("Content-Disposition: form-data; name=\"") + name + "\"\r\n\r\n";
        body += value.toUtf8() + "\r\n";
    }
    body += delimiter + "\r\n";
    body += "Content-Disposition: form-data; name=\"screenshot\"; filename=\"feedback.png\"\r\n";
    body += "Content-Type: image/png\r\n\r\n";
    body += screenshot + "\r\n";
    body += delimiter + "--\r\n";
    return body;
}

std::exception_ptr outcome(int status, const QByteArray& body) {
    if (status >= 200 && status <= 299) return nullptr;
    const std::string_view bytes(body.constData(), static_cast<std::size_t>(body.size()));
    const QString text = platform::isValidUTF8(bytes) ? QString::fromUtf8(body) : QString();
    auto error = FeedbackError::httpError(status, text);
    if (status >= 400 && status <= 499 && status != 429) {
        return std::make_exception_ptr(PermanentFeedbackFailure(std::move(error)));
    }
    return std::make_exception_ptr(std::move(error));
}

}  // namespace quillo::FeedbackRequest
