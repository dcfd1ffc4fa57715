#include "Platform/DNSSD/ServiceBrowser.h"

#include "Platform/DNSSD/AvahiQtPoll.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>

#include <QMetaObject>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

QString avahiError(AvahiClient* client) { return QString::fromUtf8(avahi_strerror(avahi_client_errno(client))); }

}  // namespace

// The library's objects, freed in reverse order of making: resolvers and browser with the client,
// the client before the poll it runs on.
struct ServiceBrowser::Avahi {
    // One service as the browser reported it; resolved once the resolver answered.
    struct Found {
        AvahiIfIndex interface;
        AvahiProtocol protocol;
        QString name;
        bool local;
        AvahiServiceResolver* resolver = nullptr;
        std::optional<ServiceEndpoint> endpoint;
    };

    ServiceBrowser* owner;
    AvahiQtPoll poll;
    AvahiClient* client = nullptr;
    AvahiServiceBrowser* browser = nullptr;
    std::vector<Found> found;
    bool failed = false;

    explicit Avahi(ServiceBrowser* browserOwner) : owner(browserOwner) {}

    ~Avahi() {
        for (Found& service : found)
            if (service.resolver) avahi_service_resolver_free(service.resolver);
        if (browser) avahi_service_browser_free(browser);
        if (client) avahi_client_free(client);
    }

    void fail(const QString& reason) {
        if (std::exchange(failed, true)) return;
        owner->fail(reason);
    }

    auto findService(AvahiIfIndex interface, AvahiProtocol protocol, const char* name) {
        const QString text = QString::fromUtf8(name);
        return std::find_if(found.begin(), found.end(), [&](const Found& service) {
            return service.interface == interface && service.protocol == protocol && service.name == text;
        });
    }

    static void onClient(AvahiClient* client, AvahiClientState state, void* userdata) {
        auto* self = static_cast<Avahi*>(userdata);
        if (state == AVAHI_CLIENT_FAILURE) self->fail(avahiError(client));
    }

    static void onBrowse(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                         const char* name, const char* type, const char* domain, AvahiLookupResultFlags flags,
                         void* userdata) {
        auto* self = static_cast<Avahi*>(userdata);
        switch (event) {
        case AVAHI_BROWSER_NEW: {
            if (self->findService(interface, protocol, name) != self->found.end()) return;
            const bool local = (flags & AVAHI_LOOKUP_RESULT_LOCAL) != 0;
            // A service of this machine is reached over loopback: its host's address is not needed,
            // and a daemon that publishes no addresses still answers.
            const auto lookup = local ? AVAHI_LOOKUP_NO_ADDRESS : AvahiLookupFlags{};
            self->found.push_back({interface, protocol, QString::fromUtf8(name), local, nullptr, std::nullopt});
            self->found.back().resolver = avahi_service_resolver_new(
                self->client, interface, protocol, name, type, domain, AVAHI_PROTO_UNSPEC, lookup, onResolve, self);
            if (!self->found.back().resolver) self->found.pop_back();
            return;
        }
        case AVAHI_BROWSER_REMOVE: {
            const auto service = self->findService(interface, protocol, name);
            if (service == self->found.end()) return;
            if (service->resolver) avahi_service_resolver_free(service->resolver);
            const bool wasResolved = service->endpoint.has_value();
            self->found.erase(service);
            if (wasResolved) self->owner->report();
            return;
        }
        case AVAHI_BROWSER_FAILURE: self->fail(avahiError(self->client)); return;
        case AVAHI_BROWSER_CACHE_EXHAUSTED:
        case AVAHI_BROWSER_ALL_FOR_NOW: return;
        }
    }

    static void onResolve(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
                          AvahiResolverEvent event, const char*, const char*, const char*, const char*,
                          const AvahiAddress* address, uint16_t port, AvahiStringList*, AvahiLookupResultFlags,
                          void* userdata) {
        auto* self = static_cast<Avahi*>(userdata);
        // Found by its resolver: a failure reports no interface, protocol or name of the service.
        const auto service = std::find_if(self->found.begin(), self->found.end(),
                                          [&](const Found& candidate) { return candidate.resolver == resolver; });
        avahi_service_resolver_free(resolver);
        if (service == self->found.end()) return;
        service->resolver = nullptr;
        if (event != AVAHI_RESOLVER_FOUND) {
            // Forgotten, so that its next announcement resolves it again.
            const QString name = service->name;
            self->found.erase(service);
            self->owner->reportUnresolved(name, avahiError(self->client));
            return;
        }
        ServiceEndpoint endpoint{service->name, QHostAddress(QHostAddress::LocalHost), port};
        if (!service->local && address) {
            char text[AVAHI_ADDRESS_STR_MAX];
            avahi_address_snprint(text, sizeof text, address);
            endpoint.address = QHostAddress(QString::fromLatin1(text));
            if (address->proto == AVAHI_PROTO_INET6 && interface >= 0)
                endpoint.address.setScopeId(QString::number(interface));
        }
        service->endpoint = std::move(endpoint);
        self->owner->report();
    }
};

ServiceBrowser::ServiceBrowser(QString type, QString domain, QObject* parent)
    : QObject(parent), type_(std::move(type)), domain_(std::move(domain)) {}

ServiceBrowser::~ServiceBrowser() = default;

void ServiceBrowser::start() {
    if (avahi_) return;
    avahi_ = std::make_unique<Avahi>(this);
    int error = 0;
    // Without AVAHI_CLIENT_NO_FAIL a missing daemon fails here, and the owner decides when to retry.
    avahi_->client = avahi_client_new(avahi_->poll.get(), AvahiClientFlags{}, Avahi::onClient, avahi_.get(), &error);
    if (!avahi_->client) {
        avahi_->fail(QString::fromUtf8(avahi_strerror(error)));
        return;
    }
    const QByteArray type = type_.toUtf8();
    const QByteArray domain = domain_.toUtf8();
    avahi_->browser = avahi_service_browser_new(avahi_->client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type.constData(),
                                                domain.constData(), AvahiLookupFlags{}, Avahi::onBrowse, avahi_.get());
    if (!avahi_->browser) avahi_->fail(avahiError(avahi_->client));
}

QList<ServiceEndpoint> ServiceBrowser::results() const {
    QList<ServiceEndpoint> local;
    QList<ServiceEndpoint> remote;
    if (avahi_) {
        for (const auto& service : avahi_->found) {
            if (!service.endpoint) continue;
            (service.local ? local : remote).append(*service.endpoint);
        }
    }
    return local + remote;
}

void ServiceBrowser::report() {
    QMetaObject::invokeMethod(
        this, [this] { emit resultsChanged(results()); }, Qt::QueuedConnection);
}

void ServiceBrowser::reportUnresolved(const QString& name, const QString& reason) {
    QMetaObject::invokeMethod(
        this, [this, name, reason] { emit resolveFailed(name, reason); }, Qt::QueuedConnection);
}

void ServiceBrowser::fail(const QString& reason) {
    QMetaObject::invokeMethod(
        this, [this, reason] { emit failed(reason); }, Qt::QueuedConnection);
}

}  // namespace platform
