#include "QuilloDesignKit/QuilloAppearancePreset.h"

namespace quillo {

const QuilloAppearancePreset& QuilloAppearancePreset::deepBlack() {
    static const QuilloAppearancePreset preset{.id = QStringLiteral("deepBlack"),
                                               .name = QStringLiteral("Deep Black"),
                                               .baseDarkness = 0.7,
                                               .sidebarDarknessDelta = 0.05,
                                               .baseColorHex = QStringLiteral("#000000"),
                                               .sidebarColorHex = std::nullopt,
                                               .selectionColorHex = std::nullopt};
    return preset;
}

const QuilloAppearancePreset& QuilloAppearancePreset::soft() {
    static const QuilloAppearancePreset preset{.id = QStringLiteral("soft"),
                                               .name = QStringLiteral("Soft"),
                                               .baseDarkness = 0.4,
                                               .sidebarDarknessDelta = 0.05,
                                               .baseColorHex = QStringLiteral("#000000"),
                                               .sidebarColorHex = std::nullopt,
                                               .selectionColorHex = std::nullopt};
    return preset;
}

const QuilloAppearancePreset& QuilloAppearancePreset::claudeColors() {
    static const QuilloAppearancePreset preset{.id = QStringLiteral("claudeColors"),
                                               .name = QStringLiteral("Claude Colors"),
                                               .baseDarkness = 0.95,
                                               .sidebarDarknessDelta = 0.0,
                                               .baseColorHex = QStringLiteral("#0D0D0D"),
                                               .sidebarColorHex = QStringLiteral("#121212"),
                                               .selectionColorHex = QStringLiteral("#454545")};
    return preset;
}

const QList<QuilloAppearancePreset>& QuilloAppearancePreset::builtIn() {
    static const QList<QuilloAppearancePreset> presets{deepBlack(), soft(), claudeColors()};
    return presets;
}

}  // namespace quillo
