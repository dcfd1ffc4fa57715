#pragma once

#include <QObject>
#include <QAnyStringView>

namespace quillo {

// The application-wide notifications: menu commands post, the main window listens. They carry
// neither sender nor payload.
class AppNotifications : public QObject {
    Q_OBJECT
public:
    // The one object of the process; made on first use.
    static AppNotifications& defaultCenter();

    // Emits the signal of the notification named `name` (NotificationName); returns false, and
    // emits nothing, for a name that is none of them.
    bool post(QAnyStringView name);

Q_SIGNALS:
    void showFeedbackSheet();
    void showRemindersExportSheet();

private:
    AppNotifications() = default;
};

}  // namespace quillo
