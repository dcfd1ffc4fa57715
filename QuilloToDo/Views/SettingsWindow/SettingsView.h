#pragma once

#include "QuilloToDo/Views/Sheets/FeedbackSources.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace quillo {

class QuilloStatusDot;
class RemindersExportService;
class WindowSettings;

// The content of the settings window: the appearance preset, the window's transparency, access to
// the reminders store, feedback, and the legal pages. Every setting is written when it changes,
// into the window settings the main window follows, so a running window changes at once.
class SettingsView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool showFeedback READ showFeedback NOTIFY showFeedbackChanged)
    Q_PROPERTY(bool remindersRequesting READ remindersRequesting NOTIFY remindersRequestingChanged)
public:
    // The slider's value is the transparency in percent, which moves in steps of 5 (0.05 over 0...1);
    // assistive technology reads the percentage.
    static constexpr int kTransparencyStepPercent = 5;

    // `remindersExport` is the application's export service, whose access the view shows and asks
    // for; `sources` are only handed on to the feedback sheet. All three outlive the view.
    SettingsView(FeedbackSources sources, WindowSettings& settings, RemindersExportService& remindersExport,
                 QWidget* parent = nullptr);

    bool showFeedback() const { return feedbackSheet_ != nullptr; }
    bool remindersRequesting() const { return remindersRequesting_; }
    RemindersExportService& remindersExport() const { return remindersExport_; }

    // Opens the feedback sheet with the area "Settings" (the "Send Feedback …" button).
    void openFeedback();
    // Asks for access to the reminders store (the "Allow Access" button); one request at a time.
    void requestRemindersAccess();

Q_SIGNALS:
    void showFeedbackChanged(bool shown);
    void remindersRequestingChanged(bool requesting);

private:
    void buildAppearance(class GroupedForm* form);
    void buildWindow(GroupedForm* form);
    void buildIntegrations(GroupedForm* form);
    void buildHelp(GroupedForm* form);
    void buildLegal(GroupedForm* form);
    void showPresetID(const QString& id);
    void showGlassDarkness(double value);
    void showRemindersAccess();
    void setRemindersRequesting(bool requesting);

    FeedbackSources sources_;
    WindowSettings& settings_;
    RemindersExportService& remindersExport_;
    bool remindersRequesting_ = false;
    QPointer<QWidget> feedbackSheet_;

    QComboBox* presetPicker_ = nullptr;
    QSlider* transparencySlider_ = nullptr;
    QLabel* transparencyPercent_ = nullptr;
    QuilloStatusDot* accessDot_ = nullptr;
    QLabel* accessText_ = nullptr;
    QPushButton* accessButton_ = nullptr;
    QLabel* accessDeniedReason_ = nullptr;  // why a request was refused, under the row
};

}  // namespace quillo
