#include "QuilloToDo/Settings/WindowSettings.h"

#include "QuilloDesignKit/QuilloAppearancePreset.h"
#include "QuilloToDo/Settings/WindowSettingsKeys.h"

#include <QSettings>

#include <cmath>

namespace quillo {

namespace {
const QuilloAppearancePreset& defaults() { return QuilloAppearancePreset::claudeColors(); }
const QString defaultGrouping = QStringLiteral("assignee");
}  // namespace

WindowSettings::WindowSettings(QSettings& settings, QObject* parent) : QObject(parent), settings_(settings) {}

double WindowSettings::readDouble(QLatin1String key, double fallback) const {
    // The INI format stores doubles as text: read leniently, anything unreadable is the default.
    const QVariant stored = settings_.value(key);
    if (!stored.isValid()) return fallback;
    bool ok = false;
    const double value = stored.toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

QString WindowSettings::readText(QLatin1String key, const QString& fallback) const {
    const QVariant stored = settings_.value(key);
    return stored.isValid() ? stored.toString() : fallback;
}

bool WindowSettings::writeDouble(QLatin1String key, double fallback, double value) {
    const bool differs = readDouble(key, fallback) != value;
    settings_.setValue(key, value);
    return differs;
}

bool WindowSettings::writeText(QLatin1String key, const QString& fallback, const QString& value) {
    const bool differs = readText(key, fallback) != value;
    settings_.setValue(key, value);
    return differs;
}

double WindowSettings::windowGlassDarkness() const {
    return readDouble(WindowSettingsKey::windowGlassDarkness, defaults().baseDarkness);
}
void WindowSettings::setWindowGlassDarkness(double value) {
    if (!writeDouble(WindowSettingsKey::windowGlassDarkness, defaults().baseDarkness, value)) return;
    Q_EMIT windowGlassDarknessChanged(value);
    Q_EMIT changed(WindowSettingsKey::windowGlassDarkness);
}

QString WindowSettings::baseColorHex() const {
    return readText(WindowSettingsKey::baseColorHex, defaults().baseColorHex);
}
void WindowSettings::setBaseColorHex(const QString& value) {
    if (!writeText(WindowSettingsKey::baseColorHex, defaults().baseColorHex, value)) return;
    Q_EMIT baseColorHexChanged(value);
    Q_EMIT changed(WindowSettingsKey::baseColorHex);
}

QString WindowSettings::sidebarColorHex() const {
    return readText(WindowSettingsKey::sidebarColorHex, defaults().sidebarColorHex.value_or(QString()));
}
void WindowSettings::setSidebarColorHex(const QString& value) {
    if (!writeText(WindowSettingsKey::sidebarColorHex, defaults().sidebarColorHex.value_or(QString()), value)) return;
    Q_EMIT sidebarColorHexChanged(value);
    Q_EMIT changed(WindowSettingsKey::sidebarColorHex);
}

double WindowSettings::sidebarDarknessDelta() const {
    return readDouble(WindowSettingsKey::sidebarDarknessDelta, defaults().sidebarDarknessDelta);
}
void WindowSettings::setSidebarDarknessDelta(double value) {
    if (!writeDouble(WindowSettingsKey::sidebarDarknessDelta, defaults().sidebarDarknessDelta, value)) return;
    Q_EMIT sidebarDarknessDeltaChanged(value);
    Q_EMIT changed(WindowSettingsKey::sidebarDarknessDelta);
}

QString WindowSettings::appearancePresetID() const {
    return readText(WindowSettingsKey::appearancePresetID, defaults().id);
}
void WindowSettings::setAppearancePresetID(const QString& value) {
    if (!writeText(WindowSettingsKey::appearancePresetID, defaults().id, value)) return;
    Q_EMIT appearancePresetIDChanged(value);
    Q_EMIT changed(WindowSettingsKey::appearancePresetID);
}

QString WindowSettings::listGroupingRaw() const { return readText(WindowSettingsKey::listGrouping, defaultGrouping); }
void WindowSettings::setListGroupingRaw(const QString& value) {
    if (!writeText(WindowSettingsKey::listGrouping, defaultGrouping, value)) return;
    Q_EMIT listGroupingRawChanged(value);
    Q_EMIT changed(WindowSettingsKey::listGrouping);
}

QString WindowSettings::expandedEvents() const { return readText(WindowSettingsKey::expandedEvents, QString()); }
void WindowSettings::setExpandedEvents(const QString& value) {
    if (!writeText(WindowSettingsKey::expandedEvents, QString(), value)) return;
    Q_EMIT expandedEventsChanged(value);
    Q_EMIT changed(WindowSettingsKey::expandedEvents);
}

}  // namespace quillo
