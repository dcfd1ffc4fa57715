#pragma once

#include <QFuture>
#include <QWidget>

class QLabel;

namespace quillo {

class AddLibraryPanel;
class LibraryController;
class QuilloButton;
class WindowSettings;

// The first-run view, shown while no library is watched: an invitation with the two ways to add a
// first library (the open panel, or every library Final Cut Pro has open) and the reason when asking
// Final Cut Pro failed. Nothing can be dropped on it: the buttons are the only ways in.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    EmptyStateView(LibraryController& libraries, WindowSettings& settings, AddLibraryPanel& addPanel,
                   QWidget* parent = nullptr);

    // Adds every library open in Final Cut Pro, in the order it reports them.
    // The future finishes once what was found has been handled.
    QFuture<void> detect();

    QuilloButton* addButton() const { return addButton_; }
    QuilloButton* detectButton() const { return detectButton_; }
    QLabel* detectionErrorLabel() const { return detectionError_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showDetectionError();

    LibraryController& libraries_;
    WindowSettings& settings_;
    AddLibraryPanel& addPanel_;
    QuilloButton* addButton_;
    QuilloButton* detectButton_;
    QLabel* detectionError_;
};

}  // namespace quillo
