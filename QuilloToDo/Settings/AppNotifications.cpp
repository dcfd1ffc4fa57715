#include "QuilloToDo/Settings/AppNotifications.h"

#include "QuilloToDo/Settings/NotificationNames.h"

namespace quillo {

AppNotifications& AppNotifications::defaultCenter() {
    static AppNotifications* center = new AppNotifications;  // lives as long as the process
    return *center;
}

bool AppNotifications::post(QAnyStringView name) {
    if (QAnyStringView::equal(name, NotificationName::kShowFeedbackSheet)) {
        Q_EMIT showFeedbackSheet();
        return true;
    }
    if (QAnyStringView::equal(name, NotificationName::kShowRemindersExportSheet)) {
        Q_EMIT showRemindersExportSheet();
        return true;
    }
    return false;
}

}  // namespace quillo
