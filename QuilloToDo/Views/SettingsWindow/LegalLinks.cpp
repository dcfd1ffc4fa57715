#include "QuilloToDo/Views/SettingsWindow/LegalLinks.h"

namespace quillo::LegalLinks {

namespace {
QUrl page(const char* path) {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QStringLiteral(QUILLO_LEGAL_HOST));
    url.setPath(QString::fromLatin1(path));
    return url;
}
}  // namespace

const QUrl& privacy() {
    static const QUrl url = page("/quillotodo-legal/privacy.html");
    return url;
}

const QUrl& terms() {
    static const QUrl url = page("/quillotodo-legal/terms.html");
    return url;
}

}  // namespace quillo::LegalLinks
