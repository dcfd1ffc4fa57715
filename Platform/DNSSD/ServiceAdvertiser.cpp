#include "Platform/DNSSD/ServiceAdvertiser.h"

#include "Platform/DNSSD/AvahiQtPoll.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

#include <QMetaObject>
#include <QTimer>

#include <utility>

namespace platform {

namespace {

QString avahiError(int error) { return QString::fromUtf8(avahi_strerror(error)); }

}  // namespace

// The library's objects: the entry group goes with the client, the client before its poll.
struct ServiceAdvertiser::Avahi {
    ServiceAdvertiser* owner;
    AvahiQtPoll poll;
    AvahiClient* client = nullptr;
    AvahiEntryGroup* group = nullptr;
    QByteArray name;

    Avahi(ServiceAdvertiser* advertiser, QByteArray serviceName) : owner(advertiser), name(std::move(serviceName)) {}

    ~Avahi() {
        if (client) avahi_client_free(client);  // frees the group too
    }

    void addService(AvahiClient* avahiClient) {
        if (!group) group = avahi_entry_group_new(avahiClient, onGroup, this);
        if (!group) {
            owner->notAnnouncedQueued(avahiError(avahi_client_errno(avahiClient)));
            return;
        }
        if (!avahi_entry_group_is_empty(group)) return;
        const QByteArray type = owner->type_.toUtf8();
        for (;;) {
            int error = avahi_entry_group_add_service(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags{},
                                                      name.constData(), type.constData(), nullptr, nullptr,
                                                      owner->port_, nullptr);
            if (error == AVAHI_ERR_COLLISION) {
                pickAlternativeName();
                continue;
            }
            if (error == AVAHI_OK) error = avahi_entry_group_commit(group);
            if (error < 0) owner->notAnnouncedQueued(avahiError(error));
            return;
        }
    }

    void pickAlternativeName() {
        char* alternative = avahi_alternative_service_name(name.constData());
        name = QByteArray(alternative);
        avahi_free(alternative);
    }

    static void onClient(AvahiClient* client, AvahiClientState state, void* userdata) {
        auto* self = static_cast<Avahi*>(userdata);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING: self->addService(client); return;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The host name changes: the service is registered again once the daemon runs.
            if (self->group) avahi_entry_group_reset(self->group);
            return;
        case AVAHI_CLIENT_CONNECTING:
            self->owner->notAnnouncedQueued(QStringLiteral("no DNS-SD daemon is running"));
            return;
        case AVAHI_CLIENT_FAILURE:
            self->owner->notAnnouncedQueued(avahiError(avahi_client_errno(client)));
            // A lost daemon or bus: start over with a new client, outside the library's callback.
            if (avahi_client_errno(client) == AVAHI_ERR_DISCONNECTED)
                QTimer::singleShot(0, self->owner, &ServiceAdvertiser::connectToDaemon);
            return;
        }
    }

    static void onGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* userdata) {
        auto* self = static_cast<Avahi*>(userdata);
        switch (state) {
        case AVAHI_ENTRY_GROUP_ESTABLISHED: self->owner->emitQueued(&ServiceAdvertiser::announced); return;
        case AVAHI_ENTRY_GROUP_COLLISION:
            // Another service of this type took the name on the network.
            self->pickAlternativeName();
            avahi_entry_group_reset(group);
            self->addService(avahi_entry_group_get_client(group));
            return;
        case AVAHI_ENTRY_GROUP_FAILURE:
            self->owner->notAnnouncedQueued(avahiError(avahi_client_errno(avahi_entry_group_get_client(group))));
            return;
        case AVAHI_ENTRY_GROUP_UNCOMMITED:
        case AVAHI_ENTRY_GROUP_REGISTERING: return;
        }
    }
};

ServiceAdvertiser::ServiceAdvertiser(QString name, QString type, quint16 port, QObject* parent)
    : QObject(parent), name_(std::move(name)), type_(std::move(type)), port_(port) {}

ServiceAdvertiser::~ServiceAdvertiser() = default;

void ServiceAdvertiser::start() {
    if (!avahi_) connectToDaemon();
}

QString ServiceAdvertiser::registeredName() const { return avahi_ ? QString::fromUtf8(avahi_->name) : name_; }

void ServiceAdvertiser::connectToDaemon() {
    const QByteArray name = avahi_ ? avahi_->name : name_.toUtf8();
    avahi_.reset();
    avahi_ = std::make_unique<Avahi>(this, name);
    int error = 0;
    // AVAHI_CLIENT_NO_FAIL: a daemon that is not running yet is waited for instead of failing.
    avahi_->client = avahi_client_new(avahi_->poll.get(), AVAHI_CLIENT_NO_FAIL, Avahi::onClient, avahi_.get(), &error);
    if (!avahi_->client) notAnnouncedQueued(avahiError(error));
}

void ServiceAdvertiser::emitQueued(void (ServiceAdvertiser::*signal)()) {
    QMetaObject::invokeMethod(
        this, [this, signal] { (this->*signal)(); }, Qt::QueuedConnection);
}

void ServiceAdvertiser::notAnnouncedQueued(const QString& reason) {
    QMetaObject::invokeMethod(
        this, [this, reason] { emit notAnnounced(reason); }, Qt::QueuedConnection);
}

}  // namespace platform
