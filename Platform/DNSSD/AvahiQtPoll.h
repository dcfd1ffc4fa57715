#pragma once

#include <QObject>

#include <avahi-common/watch.h>

namespace platform {

// Runs the Avahi client library on Qt's event loop: file descriptors become socket notifiers and
// timeouts single-shot timers of this object, so the library needs no thread of its own. The poll
// must outlive every Avahi client made on it; it belongs to the thread that created it.
class AvahiQtPoll : public QObject {
    Q_OBJECT

public:
    explicit AvahiQtPoll(QObject* parent = nullptr);
    ~AvahiQtPoll() override;

    const AvahiPoll* get() const noexcept { return &api_; }

private:
    AvahiPoll api_{};
};

}  // namespace platform
