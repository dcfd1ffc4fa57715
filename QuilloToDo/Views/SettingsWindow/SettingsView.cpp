#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"

#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/Forms/GroupedForm.h"
#include "QuilloToDo/Views/SettingsWindow/LegalLinks.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsTexts.h"
#include "QuilloDesignKit/QuilloAppearancePreset.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDesign.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloStatusDot.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace quillo {

namespace {

using platform::ReminderAuthorizationStatus;

QLabel* link(const QString& title, const QUrl& url, QWidget* parent) {
    auto* label =
        new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toString(QUrl::FullyEncoded), title), parent);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);  // the system opens them
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setAccessibleName(title);
    return label;
}

}  // namespace

SettingsView::SettingsView(FeedbackSources sources, WindowSettings& settings, RemindersExportService& remindersExport,
                           QWidget* parent)
    : QWidget(parent), sources_(sources), settings_(settings), remindersExport_(remindersExport) {
    setFixedSize(520, 640);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new GroupedForm(this);
    layout->addWidget(form);
    buildAppearance(form);
    buildWindow(form);
    buildIntegrations(form);
    buildHelp(form);
    buildLegal(form);
}

void SettingsView::buildAppearance(GroupedForm* form) {
    GroupedFormSection* section = form->addSection(QStringLiteral("Appearance"));
    presetPicker_ = new QComboBox;
    for (const QuilloAppearancePreset& preset : QuilloAppearancePreset::builtIn()) {
        presetPicker_->addItem(preset.name, preset.id);
    }
    presetPicker_->setAccessibleName(QStringLiteral("Preset"));
    section->addLabeledRow(QStringLiteral("Preset"), presetPicker_);
    section->addCaption(
        QStringLiteral("\"Claude Colors\" samples the Claude Mac app's own dark palette (sidebar/content/selection)."));
    showPresetID(settings_.appearancePresetID());

    // Only the user's pick changes the stored preset; the stored value's change applies it.
    connect(presetPicker_, &QComboBox::activated, this,
            [this](int index) { settings_.setAppearancePresetID(presetPicker_->itemData(index).toString()); });
    connect(&settings_, &WindowSettings::appearancePresetIDChanged, this, [this](const QString& id) {
        showPresetID(id);
        for (const QuilloAppearancePreset& preset : QuilloAppearancePreset::builtIn()) {
            if (preset.id != id) continue;
            settings_.setBaseColorHex(preset.baseColorHex);
            settings_.setSidebarColorHex(preset.sidebarColorHex.value_or(QString()));
            settings_.setSidebarDarknessDelta(preset.sidebarDarknessDelta);
            settings_.setWindowGlassDarkness(preset.baseDarkness);
            return;
        }
    });
}

void SettingsView::showPresetID(const QString& id) {
    const QSignalBlocker blocker(presetPicker_);
    presetPicker_->setCurrentIndex(presetPicker_->findData(id));  // -1, no entry, for an unknown id
}

void SettingsView::buildWindow(GroupedForm* form) {
    GroupedFormSection* section = form->addSection(QStringLiteral("Window"));
    auto* column = new QWidget;
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(6);
    columnLayout->addWidget(new QLabel(QStringLiteral("Window Transparency")));

    auto* sliderRow = new QHBoxLayout;
    transparencySlider_ = new QSlider(Qt::Horizontal);
    transparencySlider_->setRange(0, 100);
    transparencySlider_->setSingleStep(kTransparencyStepPercent);
    transparencySlider_->setPageStep(2 * kTransparencyStepPercent);
    transparencySlider_->setAccessibleName(QStringLiteral("Window Transparency"));
    transparencyPercent_ = new QLabel;
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPixelSize(13);
    transparencyPercent_->setFont(digits);
    transparencyPercent_->setFixedWidth(44);
    transparencyPercent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette secondary = transparencyPercent_->palette();
    secondary.setColor(QPalette::WindowText, Color::quilloTextSecondary());
    transparencyPercent_->setPalette(secondary);
    sliderRow->addWidget(transparencySlider_, 1);
    sliderRow->addWidget(transparencyPercent_);
    columnLayout->addLayout(sliderRow);
    section->addRow(column);
    section->addCaption(
        QStringLiteral("Higher = darker/more opaque. Lower = more see-through to what's behind the "
                       "window. Fine-tunes whichever preset is picked above."));
    showGlassDarkness(settings_.windowGlassDarkness());

    connect(transparencySlider_, &QSlider::valueChanged, this, [this](int percent) {
        const int step = static_cast<int>(std::lround(percent / double(kTransparencyStepPercent)));
        settings_.setWindowGlassDarkness(step * 0.05);
        showGlassDarkness(settings_.windowGlassDarkness());  // a dragged handle snaps to the step
    });
    connect(&settings_, &WindowSettings::windowGlassDarknessChanged, this, &SettingsView::showGlassDarkness);
}

void SettingsView::showGlassDarkness(double value) {
    const QSignalBlocker blocker(transparencySlider_);
    const double step =
        std::isfinite(value) ? std::clamp(std::round(value / 0.05), 0.0, 100.0 / kTransparencyStepPercent) : 0;
    transparencySlider_->setValue(static_cast<int>(step) * kTransparencyStepPercent);
    transparencyPercent_->setText(SettingsTexts::transparencyPercent(value));
}

void SettingsView::buildIntegrations(GroupedForm* form) {
    GroupedFormSection* section = form->addSection(QStringLiteral("Integrations"));
    auto* status = new QWidget;
    auto* statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->setSpacing(8);
    accessDot_ = new QuilloStatusDot(Color::green(), QuilloDesign::DotSize::kStandard, false);
    accessText_ = new QLabel;
    accessButton_ = new QPushButton;
    statusLayout->addWidget(accessDot_, 0, Qt::AlignVCenter);
    statusLayout->addWidget(accessText_, 0, Qt::AlignVCenter);
    statusLayout->addWidget(accessButton_, 0, Qt::AlignVCenter);
    section->addLabeledRow(QStringLiteral("Reminders folder"), status);
    accessDeniedReason_ = section->addCaption(QString());
    section->addCaption(SettingsTexts::remindersCaption());
    showRemindersAccess();

    connect(accessButton_, &QPushButton::clicked, this, &SettingsView::requestRemindersAccess);
    connect(&remindersExport_, &RemindersExportService::authorizationStatusChanged, this,
            &SettingsView::showRemindersAccess);
}

void SettingsView::requestRemindersAccess() {
    if (remindersRequesting_) return;
    setRemindersRequesting(true);
    remindersExport_.requestAccess().then(this, [this](bool) { setRemindersRequesting(false); });
}

void SettingsView::setRemindersRequesting(bool requesting) {
    if (remindersRequesting_ == requesting) return;
    remindersRequesting_ = requesting;
    showRemindersAccess();
    Q_EMIT remindersRequestingChanged(requesting);
}

void SettingsView::showRemindersAccess() {
    // Nothing until the store has been read: never a state that is not the real one.
    const bool known = remindersExport_.isAuthorizationStatusKnown();
    for (QWidget* part : {static_cast<QWidget*>(accessDot_), static_cast<QWidget*>(accessText_)})
        part->setVisible(known);
    const QString& reason = remindersExport_.accessDeniedReason();
    accessDeniedReason_->setText(reason);
    accessDeniedReason_->setVisible(known && !reason.isEmpty());
    const ReminderAuthorizationStatus status = remindersExport_.authorizationStatus();
    const bool granted = status == ReminderAuthorizationStatus::fullAccess;
    accessDot_->setColor(granted ? Color::green() : Color::withOpacity(Color::quilloTextSecondary(), 0.35));
    accessText_->setText(SettingsTexts::remindersAccess(status));
    accessButton_->setVisible(known && !granted);
    accessButton_->setText(remindersRequesting_ ? QStringLiteral("Asking …") : QStringLiteral("Allow Access"));
    accessButton_->setEnabled(!remindersRequesting_);
}

void SettingsView::buildHelp(GroupedForm* form) {
    GroupedFormSection* section = form->addSection(QStringLiteral("Help"));
    auto* button = new QPushButton(QStringLiteral("Send Feedback …"));
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(button);
    rowLayout->addStretch(1);
    section->addRow(row);
    section->addCaption(SettingsTexts::feedbackCaption());
    connect(button, &QPushButton::clicked, this, &SettingsView::openFeedback);
}

void SettingsView::openFeedback() {
    if (feedbackSheet_) return;
    auto* sheet = new FeedbackSheet(sources_, QStringLiteral("Settings"), this);
    feedbackSheet_ = sheet;
    connect(sheet, &QObject::destroyed, this, [this] { Q_EMIT showFeedbackChanged(false); });
    sheet->open();
    Q_EMIT showFeedbackChanged(true);
}

void SettingsView::buildLegal(GroupedForm* form) {
    GroupedFormSection* section = form->addSection(QStringLiteral("Legal"));
    section->addRow(link(QStringLiteral("Privacy Policy"), LegalLinks::privacy(), nullptr));
    section->addRow(link(QStringLiteral("Terms of Service"), LegalLinks::terms(), nullptr));
    section->addCaption(SettingsTexts::openSourceNotice());
}

}  // namespace quillo
