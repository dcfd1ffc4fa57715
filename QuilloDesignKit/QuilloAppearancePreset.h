#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillo {

// A named set of window appearance values the settings window offers. Equality compares all
// seven fields; two absent optionals are equal, an absent and a present one are not.
struct QuilloAppearancePreset {
    QString id;                                // what the settings store as the chosen preset
    QString name;                              // shown in the preset picker
    double baseDarkness = 0;                   // 0...1, the window glass darkness
    double sidebarDarknessDelta = 0;           // darkness added for the sidebar card
    QString baseColorHex;                      // "#RRGGBB"
    std::optional<QString> sidebarColorHex;    // absent: the sidebar uses the base colour
    std::optional<QString> selectionColorHex;  // carried, never applied by the settings window

    friend bool operator==(const QuilloAppearancePreset&, const QuilloAppearancePreset&) = default;

    // Built once on first use.
    static const QuilloAppearancePreset& deepBlack();
    static const QuilloAppearancePreset& soft();
    static const QuilloAppearancePreset& claudeColors();
    // deepBlack, soft, claudeColors: the picker's order.
    static const QList<QuilloAppearancePreset>& builtIn();
};

}  // namespace quillo
