#pragma once

#include "QuilloToDo/Controllers/WatchedLibrary.h"

#include <QPointer>
#include <QWidget>

namespace quillo {

class BusyIndicator;
class QuilloSymbolButton;

// One watched library in the sidebar: a folder tile, its name cut in the middle, its load state
// (a tick once loaded, a spinner before, a warning on an error) and, while the pointer is over the
// card, a remove button.
class LibraryCardRow : public QWidget {
    Q_OBJECT
public:
    explicit LibraryCardRow(WatchedLibrary& library, QWidget* parent = nullptr);

    WatchedLibrary* library() const { return library_; }
    bool isHovering() const { return isHovering_; }
    // The spinner of a library not loaded yet.
    bool showsProgress() const;
    QuilloSymbolButton* removeButton() const { return removeButton_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void removeRequested();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovering(bool hovering);
    void followLoadState();
    QRectF statusRect() const;
    void placeStatus();

    QPointer<WatchedLibrary> library_;
    QuilloSymbolButton* removeButton_;
    BusyIndicator* busy_;
    bool isHovering_ = false;
};

}  // namespace quillo
