#include "Platform/Updater/VersionNumber.h"

#include <QStringList>

namespace platform {

namespace {

// "1.10b2" -> "1", "10", "b", "2"; separators vanish, and so does the "v" of "v2.0".
QStringList components(const QString& version) {
    QStringList parts;
    QString run;
    bool runIsDigits = false;
    QStringView text = QStringView(version).trimmed();
    if (text.size() > 1 && (text[0] == u'v' || text[0] == u'V') && text[1].isDigit() && text[1].unicode() < 128)
        text = text.mid(1);
    for (const QChar c : text) {
        if (c == u'.' || c == u'-' || c == u'_' || c == u'+' || c.isSpace()) {
            if (!run.isEmpty()) parts.append(std::exchange(run, {}));
            continue;
        }
        const bool digit = c.isDigit() && c.unicode() < 128;
        if (!run.isEmpty() && digit != runIsDigits) parts.append(std::exchange(run, {}));
        runIsDigits = digit;
        run.append(c);
    }
    if (!run.isEmpty()) parts.append(run);
    return parts;
}

bool isNumber(const QString& part) { return !part.isEmpty() && part.front().isDigit(); }

// Compares digit runs of any length without converting them (no overflow for long build numbers).
std::strong_ordering compareNumbers(QString a, QString b) {
    while (a.size() > 1 && a.front() == u'0') a.remove(0, 1);
    while (b.size() > 1 && b.front() == u'0') b.remove(0, 1);
    if (a.size() != b.size()) return a.size() <=> b.size();
    return a.compare(b) <=> 0;
}

}  // namespace

std::strong_ordering compareVersions(const QString& lhs, const QString& rhs) {
    const QStringList a = components(lhs);
    const QStringList b = components(rhs);
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = i < a.size() ? a[i] : QStringLiteral("0");
        const QString right = i < b.size() ? b[i] : QStringLiteral("0");
        std::strong_ordering order = std::strong_ordering::equal;
        if (isNumber(left) && isNumber(right)) {
            order = compareNumbers(left, right);
        } else if (isNumber(left) != isNumber(right)) {
            // A number outranks a label in the same place: "1.0.1" is newer than "1.0.beta".
            order = isNumber(left) ? std::strong_ordering::greater : std::strong_ordering::less;
        } else {
            order = left.compare(right) <=> 0;
        }
        if (order != std::strong_ordering::equal) return order;
    }
    return std::strong_ordering::equal;
}

}  // namespace platform
