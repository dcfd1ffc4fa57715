#include "Platform/DNSSD/AvahiQtPoll.h"

#include <avahi-common/timeval.h>

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>

// Avahi declares these opaque; each poll implementation defines them.
struct AvahiWatch {
    int fd;
    AvahiWatchEvent lastEvents;
    AvahiWatchCallback callback;
    void* userdata;
    QSocketNotifier* reader;
    QSocketNotifier* writer;
};

struct AvahiTimeout {
    QTimer* timer;
    AvahiTimeoutCallback callback;
    void* userdata;
};

namespace platform {

namespace {

AvahiQtPoll* pollOf(const AvahiPoll* api) { return static_cast<AvahiQtPoll*>(api->userdata); }

// Avahi may free a watch or timeout from inside its own callback, so the Qt objects are only
// disabled there and deleted once control is back in the event loop (or with the poll).
void retire(QObject* object) {
    if (!object) return;
    QObject::disconnect(object, nullptr, nullptr, nullptr);
    object->deleteLater();
}

void dispatchWatch(AvahiWatch* watch, AvahiWatchEvent event) {
    watch->lastEvents = event;
    // The callback may free the watch: nothing of it is touched afterwards.
    watch->callback(watch, watch->fd, event, watch->userdata);
}

void updateWatch(AvahiWatch* watch, AvahiWatchEvent events) {
    watch->reader->setEnabled((events & AVAHI_WATCH_IN) != 0);
    watch->writer->setEnabled((events & AVAHI_WATCH_OUT) != 0);
}

AvahiWatch* watchNew(const AvahiPoll* api, int fd, AvahiWatchEvent events, AvahiWatchCallback callback,
                     void* userdata) {
    auto* poll = pollOf(api);
    auto* watch = new AvahiWatch{fd,
                                 AvahiWatchEvent{},
                                 callback,
                                 userdata,
                                 new QSocketNotifier(fd, QSocketNotifier::Read, poll),
                                 new QSocketNotifier(fd, QSocketNotifier::Write, poll)};
    QObject::connect(watch->reader, &QSocketNotifier::activated, poll,
                     [watch] { dispatchWatch(watch, AVAHI_WATCH_IN); });
    QObject::connect(watch->writer, &QSocketNotifier::activated, poll,
                     [watch] { dispatchWatch(watch, AVAHI_WATCH_OUT); });
    updateWatch(watch, events);
    return watch;
}

AvahiWatchEvent watchGetEvents(AvahiWatch* watch) { return watch->lastEvents; }

void watchFree(AvahiWatch* watch) {
    watch->reader->setEnabled(false);
    watch->writer->setEnabled(false);
    retire(watch->reader);
    retire(watch->writer);
    delete watch;
}

void armTimeout(AvahiTimeout* timeout, const struct timeval* tv) {
    if (!tv) {
        timeout->timer->stop();
        return;
    }
    // avahi_age: microseconds since `tv`, negative while it lies ahead.
    const AvahiUsec ahead = -avahi_age(tv);
    const AvahiUsec milliseconds = std::clamp<AvahiUsec>((ahead + 999) / 1000, 0, std::numeric_limits<int>::max());
    timeout->timer->start(static_cast<int>(milliseconds));
}

AvahiTimeout* timeoutNew(const AvahiPoll* api, const struct timeval* tv, AvahiTimeoutCallback callback,
                         void* userdata) {
    auto* poll = pollOf(api);
    auto* timeout = new AvahiTimeout{new QTimer(poll), callback, userdata};
    timeout->timer->setSingleShot(true);
    QObject::connect(timeout->timer, &QTimer::timeout, poll,
                     [timeout] { timeout->callback(timeout, timeout->userdata); });
    armTimeout(timeout, tv);
    return timeout;
}

void timeoutFree(AvahiTimeout* timeout) {
    timeout->timer->stop();
    retire(timeout->timer);
    delete timeout;
}

}  // namespace

AvahiQtPoll::AvahiQtPoll(QObject* parent) : QObject(parent) {
    api_.userdata = this;
    api_.watch_new = watchNew;
    api_.watch_update = updateWatch;
    api_.watch_get_events = watchGetEvents;
    api_.watch_free = watchFree;
    api_.timeout_new = timeoutNew;
    api_.timeout_update = armTimeout;
    api_.timeout_free = timeoutFree;
}

// The notifiers and timers are children: they go with the poll, pending deletions included.
AvahiQtPoll::~AvahiQtPoll() = default;

}  // namespace platform
