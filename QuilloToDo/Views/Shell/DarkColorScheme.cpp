#include "QuilloToDo/Views/Shell/DarkColorScheme.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace quillo {

void applyDarkColorScheme(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) application.setStyle(fusion);
    const QColor window(0x1E, 0x1F, 0x22);
    const QColor field(0x2A, 0x2B, 0x2F);
    const QColor button(0x3A, 0x3B, 0x40);
    const QColor text(Qt::white);
    const QColor dimmed = Color::withOpacity(text, 0.3);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, field);
    palette.setColor(QPalette::AlternateBase, window.lighter(115));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, Color::withOpacity(text, 0.35));
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Color::red());
    palette.setColor(QPalette::Highlight, Color::quilloAccent());
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::Link, Color::quilloAccent().lighter(130));
    palette.setColor(QPalette::LinkVisited, Color::quilloAccent().lighter(130));
    palette.setColor(QPalette::ToolTipBase, field);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Light, button.lighter(140));
    palette.setColor(QPalette::Midlight, button.lighter(120));
    palette.setColor(QPalette::Mid, button.darker(120));
    palette.setColor(QPalette::Dark, window.darker(140));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, dimmed);
    }
    palette.setColor(QPalette::Disabled, QPalette::Button, window);
    application.setPalette(palette);
}

}  // namespace quillo
