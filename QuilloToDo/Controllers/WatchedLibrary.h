#pragma once

// Qt first: moc cannot read <compare> (through UUID.h) before the standard library's configuration.
#include <QObject>
#include <QString>
#include <QUrl>

#include "Platform/Foundation/UUID.h"

#include <optional>

namespace quillo {

class LibraryController;

// One watched library bundle, shared by reference with the views. Its id is made anew for every
// object (nothing stores it), so a library restored at the next launch has another. Main thread only.
class WatchedLibrary : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url NOTIFY urlChanged)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(bool isLoaded READ isLoaded NOTIFY isLoadedChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    explicit WatchedLibrary(const QUrl& url, QObject* parent = nullptr);

    const platform::UUID& id() const noexcept { return id_; }
    // The bundle; changed only when the library is followed to where Final Cut Pro has it open.
    const QUrl& url() const noexcept { return url_; }
    // The bundle's name without extension, taken from the first url and kept when the url changes.
    const QString& name() const noexcept { return name_; }
    bool isLoaded() const noexcept { return isLoaded_; }
    const std::optional<QString>& errorMessage() const noexcept { return errorMessage_; }

signals:
    void urlChanged();
    void isLoadedChanged();
    void errorMessageChanged();

private:
    friend class LibraryController;
    void setURL(const QUrl& url);
    void setLoaded(bool isLoaded);
    void setErrorMessage(const std::optional<QString>& errorMessage);

    platform::UUID id_;
    QUrl url_;
    QString name_;
    bool isLoaded_ = false;
    std::optional<QString> errorMessage_;
};

}  // namespace quillo
