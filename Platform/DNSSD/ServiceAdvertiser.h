#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace platform {

// Announces one service of this machine over DNS-SD through the Avahi daemon, without a TXT record.
// Waits for a daemon that is not running yet and announces again after the daemon restarts. Signals
// are queued, never emitted inside start() or inside the Avahi library. Lives on its creating thread.
class ServiceAdvertiser : public QObject {
    Q_OBJECT

public:
    // `name` like "QuilloToDo", `type` like "_quillotodo._tcp"; the default domain.
    ServiceAdvertiser(QString name, QString type, quint16 port, QObject* parent = nullptr);
    ~ServiceAdvertiser() override;

    void start();

    // The name under which the service is registered; another when the wanted one was taken.
    QString registeredName() const;

signals:
    // The daemon confirmed the service.
    void announced();
    // The service is not announced: no daemon (it is announced once one starts) or no system bus or
    // a refusal by the daemon (it is not).
    void notAnnounced(const QString& reason);

private:
    struct Avahi;
    friend struct Avahi;

    void connectToDaemon();
    void emitQueued(void (ServiceAdvertiser::*signal)());
    void notAnnouncedQueued(const QString& reason);

    QString name_;
    QString type_;
    quint16 port_;
    std::unique_ptr<Avahi> avahi_;
};

}  // namespace platform
