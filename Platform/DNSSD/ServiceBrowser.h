#pragma once

#include "Platform/DNSSD/ServiceEndpoint.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace platform {

// Browses one DNS-SD service type in one domain through the Avahi daemon and resolves what it finds.
// Signals are queued: they never arrive inside start() or inside the Avahi library, so a receiver may
// drop the browser (with deleteLater) from its slots. Single-threaded: lives on its creating thread.
class ServiceBrowser : public QObject {
    Q_OBJECT

public:
    // `type` like "_quillotodo._tcp", `domain` like "local.".
    ServiceBrowser(QString type, QString domain, QObject* parent = nullptr);
    ~ServiceBrowser() override;

    // Connects to the daemon and starts browsing; once only.
    void start();

    // Resolved services, those of this machine first.
    QList<ServiceEndpoint> results() const;

signals:
    // The set of resolved services changed; `results` as results() answers.
    void resultsChanged(const QList<platform::ServiceEndpoint>& results);
    // A found service could not be resolved and is forgotten: its next announcement resolves it
    // again, and so does a new browser. Browsing goes on.
    void resolveFailed(const QString& name, const QString& reason);
    // Browsing ended: no daemon, the daemon went away, or it refused the browse. Nothing follows.
    void failed(const QString& reason);

private:
    struct Avahi;
    friend struct Avahi;

    void report();
    void reportUnresolved(const QString& name, const QString& reason);
    void fail(const QString& reason);

    QString type_;
    QString domain_;
    std::unique_ptr<Avahi> avahi_;
};

}  // namespace platform
