#include "QuilloToDo/Services/FeedbackPayload.h"

#include "Platform/QtBridge/QtText.h"

namespace quillo {

namespace {

std::string text(const QString& value) { return platform::toStdString(value); }
QString text(const std::string& value) { return platform::toQString(std::string_view(value)); }

}  // namespace

platform::JSON encode(const FeedbackPayload& payload) {
    platform::JSON object = platform::JSON::object();
    object["text"] = text(payload.text);
    object["userName"] = text(payload.userName);
    object["appVersion"] = text(payload.appVersion);
    object["osVersion"] = text(payload.osVersion);
    object["appModule"] = text(payload.appModule);
    object["diagnose"] = text(payload.diagnose);
    if (payload.screenshotPNG) object["screenshotPNG"] = payload.screenshotPNG->toBase64().toStdString();
    if (payload.submitterEmail) object["submitterEmail"] = text(*payload.submitterEmail);
    return object;
}

FeedbackPayload decodeFeedbackPayload(const platform::JSON& value) {
    const platform::KeyedDecoder decoder(value, {});
    FeedbackPayload payload;
    payload.text = text(decoder.decodeString("text"));
    payload.userName = text(decoder.decodeString("userName"));
    payload.appVersion = text(decoder.decodeString("appVersion"));
    payload.osVersion = text(decoder.decodeString("osVersion"));
    payload.appModule = text(decoder.decodeString("appModule"));
    payload.diagnose = text(decoder.decodeString("diagnose"));
    if (const auto base64 = decoder.decodeStringIfPresent("screenshotPNG")) {
        auto decoded =
            QByteArray::fromBase64Encoding(QByteArray::fromStdString(*base64), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted,
                                          decoder.pathFor("screenshotPNG"), "Encountered Data is not valid Base64.");
        }
        payload.screenshotPNG = *decoded;
    }
    if (const auto email = decoder.decodeStringIfPresent("submitterEmail")) payload.submitterEmail = text(*email);
    return payload;
}

}  // namespace quillo
