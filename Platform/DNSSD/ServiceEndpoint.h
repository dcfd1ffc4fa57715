#pragma once

#include <QHostAddress>
#include <QString>

namespace platform {

// Where a found DNS-SD service accepts connections. A service of this machine is reached over the
// loopback address, whatever interface announced it.
struct ServiceEndpoint {
    QString name;
    QHostAddress address;
    quint16 port = 0;

    friend bool operator==(const ServiceEndpoint&, const ServiceEndpoint&) = default;
};

}  // namespace platform
