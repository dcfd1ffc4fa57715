#pragma once

#include <QColor>
#include <QWidget>

class QVariantAnimation;

namespace quillo {

class QuilloSidebarResizeHandle;

struct QuilloSplitShellOptions {
    QColor baseColor{};  // tint over the whole window background
    double baseOpacity = 0;
    QColor sidebarCardColor{};  // fill of the sidebar card
    double sidebarCardOpacity = 0;
    double minSidebarWidth = 0;    // bounds of a dragged width
    double idealSidebarWidth = 0;  // the starting width, shown unclamped until the first drag
    double maxSidebarWidth = 0;
};

// The main window's two columns over the window background: a rounded sidebar card (8 points from
// the window's left edge, as tall as the window) with a resize handle to its right, and the
// content filling the rest. Collapsing hides card and handle and gives the content the whole width;
// the sidebar keeps its width for when it comes back. The width is not stored anywhere.
class QuilloSplitShell : public QWidget {
    Q_OBJECT
public:
    // `sidebar` and `content` become the shell's children.
    QuilloSplitShell(const QuilloSplitShellOptions& options, QWidget* sidebar, QWidget* content,
                     QWidget* parent = nullptr);

    bool isSidebarCollapsed() const { return collapsed_; }
    // Animated: the card slides out to (or in from) the left edge with the 0.2 s ease-in-out.
    void setSidebarCollapsed(bool collapsed, bool animated = false);

    double sidebarWidth() const { return sidebarWidth_; }
    void setBaseColor(const QColor& color, double opacity);
    void setSidebarCard(const QColor& color, double opacity);

    QWidget* sidebar() const { return sidebar_; }
    QWidget* content() const { return content_; }
    QuilloSidebarResizeHandle* resizeHandle() const { return handle_; }
    // The sidebar card's rectangle while the sidebar is shown.
    QRectF sidebarCardRect() const;

    static constexpr double kCardInset = 8;
    static constexpr double kCardCornerRadius = 14;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setSidebarWidth(double width);
    void layoutColumns();

    QuilloSplitShellOptions options_;
    QWidget* sidebar_;
    QWidget* content_;
    QuilloSidebarResizeHandle* handle_;
    QVariantAnimation* reveal_;
    double sidebarWidth_;
    double shown_ = 1;  // 1 sidebar shown, 0 collapsed, between while animating
    bool collapsed_ = false;
};

}  // namespace quillo
