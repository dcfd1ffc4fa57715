#include "QuilloToDo/Settings/WindowSettings.h"

#include "QuilloDesignKit/QuilloAppearancePreset.h"
#include "QuilloToDo/Settings/WindowSettingsKeys.h"

#include <QSettings>

#include <cmath>

namespace quillo {

namespace {
const QuilloAppearancePreset& defaults() { return QuilloAppearancePreset::claudeColors(); }
const QString kDefaultGrouping = QStringLiteral("assignee");
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
    return readDouble(WindowSettingsKey::kWindowGlassDarkness, defaults().baseDarkness);
}
void WindowSettings::setWindowGlassDarkness(double value) {
    if (!writeDouble(WindowSettingsKey::kWindowGlassDarkness, defaults().baseDarkness, value)) return;
    Q_EMIT windowGlassDarknessChanged(value);
    Q_EMIT changed(WindowSettingsKey::kWindowGlassDarkness);
}

QString WindowSettings::baseColorHex() const {
    return readText(WindowSettingsKey::kBaseColorHex, defaults().baseColorHex);
}
void WindowSettings::setBaseColorHex(const QString& value) {
    if (!writeText(WindowSettingsKey::kBaseColorHex, defaults().baseColorHex, value)) return;
    Q_EMIT baseColorHexChanged(value);
    Q_EMIT changed(WindowSettingsKey::kBaseColorHex);
}

QString WindowSettings::sidebarColorHex() const {
    return readText(WindowSettingsKey::kSidebarColorHex, defaults().sidebarColorHex.value_or(QString()));
}
void WindowSettings::setSidebarColorHex(const QString& value) {
    if (!writeText(WindowSettingsKey::kSidebarColorHex, defaults().sidebarColorHex.value_or(QString()), value)) return;
    Q_EMIT sidebarColorHexChanged(value);
    Q_EMIT changed(WindowSettingsKey::kSidebarColorHex);
}

double WindowSettings::sidebarDarknessDelta() const {
    return readDouble(WindowSettingsKey::kSidebarDarknessDelta, defaults().sidebarDarknessDelta);
}
void WindowSettings::setSidebarDarknessDelta(double value) {
    if (!writeDouble(WindowSettingsKey::kSidebarDarknessDelta, defaults().sidebarDarknessDelta, value)) return;
    Q_EMIT sidebarDarknessDeltaChanged(value);
    Q_EMIT changed(WindowSettingsKey::kSidebarDarknessDelta);
}

QString WindowSettings::appearancePresetID() const {
    return readText(WindowSettingsKey::kAppearancePresetID, defaults().id);
}
void WindowSettings::setAppearancePresetID(const QString& value) {
    if (!writeText(WindowSettingsKey::kAppearancePresetID, defaults().id, value)) return;
    Q_EMIT appearancePresetIDChanged(value);
    Q_EMIT changed(WindowSettingsKey::kAppearancePresetID);
}

QString WindowSettings::listGroupingRaw() const { return readText(WindowSettingsKey::kListGrouping, kDefaultGrouping); }
void WindowSettings::setListGroupingRaw(const QString& value) {
    if (!writeText(WindowSettingsKey::kListGrouping, kDefaultGrouping, value)) return;
    Q_EMIT listGroupingRawChanged(value);
    Q_EMIT changed(WindowSettingsKey::kListGrouping);
}

QString WindowSettings::expandedEvents() const { return readText(WindowSettingsKey::kExpandedEvents, QString()); }
void WindowSettings::setExpandedEvents(const QString& value) {
    if (!writeText(WindowSettingsKey::kExpandedEvents, QString(), value)) return;
    Q_EMIT expandedEventsChanged(value);
    Q_EMIT changed(WindowSettingsKey::kExpandedEvents);
}

}  // namespace quillo
