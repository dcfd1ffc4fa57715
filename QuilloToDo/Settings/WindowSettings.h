#pragma once

#include <QObject>
#include <QString>

class QSettings;

namespace quillo {

// The window's stored settings, typed, over the application's settings file. While a key has no
// stored value (or one that cannot be read as its type) its default applies: the appearance
// values of the "claudeColors" preset, the grouping "assignee" and no expanded events.
// Every window and the settings window share one object, so a change made in one reaches the
// others at once; each property notifies only when its value really changes.
class WindowSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(double windowGlassDarkness READ windowGlassDarkness WRITE setWindowGlassDarkness NOTIFY
                   windowGlassDarknessChanged)
    Q_PROPERTY(QString baseColorHex READ baseColorHex WRITE setBaseColorHex NOTIFY baseColorHexChanged)
    Q_PROPERTY(QString sidebarColorHex READ sidebarColorHex WRITE setSidebarColorHex NOTIFY sidebarColorHexChanged)
    Q_PROPERTY(double sidebarDarknessDelta READ sidebarDarknessDelta WRITE setSidebarDarknessDelta NOTIFY
                   sidebarDarknessDeltaChanged)
    Q_PROPERTY(
        QString appearancePresetID READ appearancePresetID WRITE setAppearancePresetID NOTIFY appearancePresetIDChanged)
    Q_PROPERTY(QString listGroupingRaw READ listGroupingRaw WRITE setListGroupingRaw NOTIFY listGroupingRawChanged)
    Q_PROPERTY(QString expandedEvents READ expandedEvents WRITE setExpandedEvents NOTIFY expandedEventsChanged)
public:
    explicit WindowSettings(QSettings& settings, QObject* parent = nullptr);

    double windowGlassDarkness() const;
    void setWindowGlassDarkness(double value);
    QString baseColorHex() const;
    void setBaseColorHex(const QString& value);
    // Empty text: the sidebar uses the base colour.
    QString sidebarColorHex() const;
    void setSidebarColorHex(const QString& value);
    double sidebarDarknessDelta() const;
    void setSidebarDarknessDelta(double value);
    QString appearancePresetID() const;
    void setAppearancePresetID(const QString& value);
    // The stored text as it stands; the main window reads any text that is no grouping as "assignee".
    QString listGroupingRaw() const;
    void setListGroupingRaw(const QString& value);
    QString expandedEvents() const;
    void setExpandedEvents(const QString& value);

Q_SIGNALS:
    void windowGlassDarknessChanged(double value);
    void baseColorHexChanged(const QString& value);
    void sidebarColorHexChanged(const QString& value);
    void sidebarDarknessDeltaChanged(double value);
    void appearancePresetIDChanged(const QString& value);
    void listGroupingRawChanged(const QString& value);
    void expandedEventsChanged(const QString& value);
    // After any of the above, with the key (WindowSettingsKey) whose value changed.
    void changed(const QString& key);

private:
    double readDouble(QLatin1String key, double fallback) const;
    QString readText(QLatin1String key, const QString& fallback) const;
    bool writeDouble(QLatin1String key, double fallback, double value);
    bool writeText(QLatin1String key, const QString& fallback, const QString& value);

    QSettings& settings_;
};

}  // namespace quillo
