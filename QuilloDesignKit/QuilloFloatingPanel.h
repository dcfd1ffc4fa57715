#pragma once

#include <QWidget>

#include <functional>

namespace quillo {

class QuilloSymbolButton;

// A rounded card (radius 14, card fill, faint inside border) with a header of an optional symbol,
// the title as section header and, when their actions are given, "Expand" and "Close" buttons;
// the content below keeps to the top of a taller panel.
class QuilloFloatingPanel : public QWidget {
    Q_OBJECT
public:
    // `content` becomes the panel's child. An empty `icon` shows no symbol; an empty action no button.
    QuilloFloatingPanel(const QString& title, const QString& icon, std::function<void()> onExpand,
                        std::function<void()> onClose, QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    QuilloSymbolButton* expandButton() const { return expandButton_; }
    QuilloSymbolButton* closeButton() const { return closeButton_; }

    static constexpr double kCornerRadius = 14;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* content_;
    QuilloSymbolButton* expandButton_ = nullptr;
    QuilloSymbolButton* closeButton_ = nullptr;
};

// A floating panel without buttons.
class QuilloGlassSection : public QuilloFloatingPanel {
    Q_OBJECT
public:
    QuilloGlassSection(const QString& title, const QString& icon, QWidget* content, QWidget* parent = nullptr);
};

}  // namespace quillo
