#pragma once

#include "QuilloToDoFCPExtension/ExtensionNetworkClientDelegate.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QTableView;

namespace platform {
class FCPXHost;
class FCPXTimeline;
}  // namespace platform

namespace quillo {

class ExtensionNetworkClient;
class ExtensionTableModel;
class TimelineObserverWrapper;

// The extension's panel: the list received from the application as a one-column table under a status
// line. A double-click on a row of the host's active sequence moves the host's playhead to that
// marker; on any other row it beeps. Sends nothing back to the application. Main thread only.
class QuilloToDoFCPExtensionViewController : public QWidget, public ExtensionNetworkClientDelegate {
    Q_OBJECT

public:
    // The timescale of playhead moves: 600 ticks a second divide every common frame rate.
    static constexpr int kPlayheadTimescale = 600;

    // Builds the panel and starts looking for the application; the host is asked for once control
    // is back in the event loop. `beep` sounds the system beep (the application's by default).
    explicit QuilloToDoFCPExtensionViewController(QWidget* parent = nullptr, std::function<void()> beep = {});
    // Unregisters from the host's timeline and stops the network client.
    ~QuilloToDoFCPExtensionViewController() override;

    // Re-reads the name of the host's active sequence.
    void handleSequenceChanged();
    void didReceive(std::vector<TodoItem> items) override;

    const std::vector<TodoItem>& items() const noexcept;
    QLabel* statusLabel() const noexcept { return statusLabel_; }
    QTableView* tableView() const noexcept { return tableView_; }

private:
    void loadView();
    void viewDidLoad();
    void setupFCPXHost();
    void updateStatusLabel();
    void rowDoubleClicked(int row);

    platform::FCPXHost* host_ = nullptr;
    platform::FCPXTimeline* timeline_ = nullptr;
    std::unique_ptr<TimelineObserverWrapper> timelineObserver_;
    std::optional<QString> activeSequenceName_;
    QLabel* statusLabel_ = nullptr;
    QTableView* tableView_ = nullptr;
    ExtensionTableModel* model_ = nullptr;  // holds the received items
    ExtensionNetworkClient* networkClient_;
    std::function<void()> beep_;
};

}  // namespace quillo
