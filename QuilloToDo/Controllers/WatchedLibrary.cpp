#include "QuilloToDo/Controllers/WatchedLibrary.h"

#include "Platform/Automation/LibraryBundlePath.h"

namespace quillo {

WatchedLibrary::WatchedLibrary(const QUrl& url, QObject* parent)
    : QObject(parent),
      id_(platform::UUID::random()),
      url_(url),
      name_(platform::LibraryBundlePath::name(url.toLocalFile())) {}

void WatchedLibrary::setURL(const QUrl& url) {
    if (url == url_) return;
    url_ = url;
    emit urlChanged();
}

void WatchedLibrary::setLoaded(bool isLoaded) {
    if (isLoaded == isLoaded_) return;
    isLoaded_ = isLoaded;
    emit isLoadedChanged();
}

void WatchedLibrary::setErrorMessage(const std::optional<QString>& errorMessage) {
    if (errorMessage == errorMessage_) return;
    errorMessage_ = errorMessage;
    emit errorMessageChanged();
}

}  // namespace quillo
