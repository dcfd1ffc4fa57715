#include "QuilloDesignKit/gallery/GalleryPages.h"

#include "QuilloDesignKit/QuilloAppearancePreset.h"
#include "QuilloDesignKit/QuilloBadges.h"
#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloElevation.h"
#include "QuilloDesignKit/QuilloFloatingPanel.h"
#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloGlassBackground.h"
#include "QuilloDesignKit/QuilloHudBackground.h"
#include "QuilloDesignKit/QuilloPanelToggleButton.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloSymbolView.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipClock.h"
#include "QuilloDesignKit/QuilloTrafficLights.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace quillo::gallery {

namespace {

using Painter = std::function<void(QPainter&, const QRect&, const QWidget*)>;

// A widget that paints with a function: swatches, glass samples.
class PaintedBox : public QWidget {
public:
    PaintedBox(QSize size, Painter paint, QWidget* parent = nullptr) : QWidget(parent), paint_(std::move(paint)) {
        setFixedSize(size);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paint_(painter, rect(), this);
    }

private:
    Painter paint_;
};

// Shows tooltips at once: the gallery has no pointer resting anywhere.
class ImmediateClock final : public QuilloTooltipClock {
public:
    void after(int, QObject*, std::function<void()> work) override { work(); }
};

ImmediateClock immediateClock;

QLabel* label(const QString& text, const QuilloTextStyle& style, QWidget* parent = nullptr) {
    auto* result = new QLabel(text, parent);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    result->setPalette(palette);
    style.applyTo(result);
    return result;
}

QWidget* page(const QString& title, QSize size) {
    auto* widget = new QuilloHudBackground(QColor(13, 13, 13), 0.95);
    widget->setWindowTitle(title);
    widget->resize(size);
    return widget;
}

QHBoxLayout* row(QVBoxLayout* into, const QString& caption, int spacing = 12) {
    into->addWidget(new QuilloSectionHeader(caption));
    auto* result = new QHBoxLayout;
    result->setSpacing(spacing);
    into->addLayout(result);
    result->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return result;
}

QWidget* swatch(const QString& name, const QColor& color) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(new PaintedBox(QSize(64, 28), [color](QPainter& p, const QRect& r, const QWidget*) {
        p.fillRect(r, Qt::black);
        p.fillRect(r.adjusted(0, 0, -r.width() / 2, 0), Qt::white);  // shows what opacity does
        p.fillRect(r, color);
    }));
    column->addWidget(label(name, quilloMicro()));
    return box;
}

void enter(QWidget* control) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(control, &event);
}

QuilloChip* chip(const QString& labelText, QuilloChipOptions options) { return new QuilloChip(labelText, options); }

}  // namespace

QWidget* tokensPage() {
    QWidget* result = page("Tokens", {1180, 860});
    auto* stack = new QVBoxLayout(result);
    stack->setContentsMargins(24, 24, 24, 24);
    stack->setSpacing(10);

    QHBoxLayout* colours = row(stack, "Colours (left half of each swatch over white, right over black)", 8);
    const std::pair<const char*, const QColor&> base[] = {
        {"quilloBase", Color::quilloBase()},
        {"quilloSurface", Color::quilloSurface()},
        {"quilloAccent", Color::quilloAccent()},
        {"cyanElectric", Color::cyanElectric()},
        {"timecodeBlue", Color::timecodeBlue()},
        {"deepNavy", Color::deepNavy()},
        {"vibrantBlue", Color::vibrantBlue()},
        {"red", Color::red()},
        {"orange", Color::orange()},
        {"green", Color::green()},
        {"blue", Color::blue()},
    };
    for (const auto& [name, color] : base) colours->addWidget(swatch(name, color));
    QHBoxLayout* derived = row(stack, "Derived colours", 8);
    const std::pair<const char*, const QColor&> tints[] = {
        {"Divider", Color::quilloDivider()},
        {"Hover", Color::quilloHover()},
        {"Selection", Color::quilloSelection()},
        {"AccentBg", Color::quilloAccentBackground()},
        {"AccentStroke", Color::quilloAccentStroke()},
        {"ChipFill", Color::quilloChipFill()},
        {"CardFill", Color::quilloCardFill()},
        {"CardRaised", Color::quilloCardFillRaised()},
        {"TextSecondary", Color::quilloTextSecondary()},
        {"TextTertiary", Color::quilloTextTertiary()},
        {"RecordingGlow", Color::quilloRecordingGlow()},
    };
    for (const auto& [name, color] : tints) derived->addWidget(swatch(name, color));

    stack->addWidget(new QuilloSectionHeader("Type scale"));
    const std::pair<const char*, QuilloTextStyle> styles[] = {
        {"Large Title 22 demiBold", quilloLargeTitle()},
        {"Title 20 demiBold", quilloTitle()},
        {"Headline 18 demiBold", quilloHeadline()},
        {"Body 17 regular", quilloBody()},
        {"Body Small 16 regular", quilloBodySmall()},
        {"Control 14 medium", quilloControl()},
        {"Label 14 medium", quilloLabel()},
        {"Caption 13 regular, secondary", quilloCaption()},
        {"Micro 12 regular, tertiary", quilloMicro()},
    };
    auto* type = new QGridLayout;
    type->setHorizontalSpacing(24);
    int at = 0;
    for (const auto& [name, style] : styles) type->addWidget(label(name, style), at / 3, at % 3), ++at;
    stack->addLayout(type);

    stack->addWidget(new QuilloSectionHeader("Symbols at 14 and 28 points"));
    auto* symbols = new QGridLayout;
    symbols->setHorizontalSpacing(10);
    symbols->setVerticalSpacing(4);
    at = 0;
    for (const QString& name : QuilloSymbol::names()) {
        auto* cell = new QHBoxLayout;
        cell->setSpacing(6);
        cell->addWidget(new QuilloSymbolView(name, 14, Qt::white, QFont::Medium));
        cell->addWidget(new QuilloSymbolView(name, 28, Color::quilloAccent(), QFont::Normal));
        cell->addWidget(label(name, quilloMicro()));
        cell->addStretch(1);
        symbols->addLayout(cell, at / 4, at % 4);
        ++at;
    }
    stack->addLayout(symbols);
    stack->addStretch(1);
    return result;
}

QWidget* componentsPage() {
    QWidget* result = page("Components", {1180, 860});
    auto* stack = new QVBoxLayout(result);
    stack->setContentsMargins(24, 24, 24, 24);
    stack->setSpacing(10);

    QHBoxLayout* buttons = row(stack, "QuilloButton: inactive, active, pressed, disabled; icon buttons: idle, pressed");
    buttons->addWidget(new QuilloButton("Add Library...", "plus"));
    auto* active = new QuilloButton("Detect from Final Cut Pro", "wand.and.stars");
    active->setActive(true);
    buttons->addWidget(active);
    auto* pressed = new QuilloButton("Pressed");
    pressed->setDown(true);
    buttons->addWidget(pressed);
    auto* disabled = new QuilloButton("Disabled");
    disabled->setEnabled(false);
    buttons->addWidget(disabled);
    buttons->addWidget(new QuilloIconButton("arrow.clockwise"));
    auto* iconPressed = new QuilloIconButton("checklist");
    iconPressed->setDown(true);
    buttons->addWidget(iconPressed);

    const QColor accent = Color::quilloAccent();
    const std::pair<const char*, QuilloChipStyle> chipStyles[] = {
        {"standard", QuilloChipStyle::standard()},
        {"plain", QuilloChipStyle::plain()},
        {"tabBare", QuilloChipStyle::tabBare()},
        {"colored(orange)", QuilloChipStyle::colored(Color::orange())},
    };
    for (const auto& [name, style] : chipStyles) {
        QHBoxLayout* chips = row(stack,
                                 QStringLiteral("Chips, %1: off, on, disabled off, disabled on; comfortable off, on")
                                     .arg(QLatin1String(name)),
                                 6);
        for (bool disabledChip : {false, true})
            for (bool selected : {false, true})
                chips->addWidget(chip(selected ? "Chapter" : "Standard", {.icon = "bookmark.fill",
                                                                          .isSelected = selected,
                                                                          .tint = accent,
                                                                          .style = style,
                                                                          .size = QuilloChipSize::compact,
                                                                          .isDisabled = disabledChip}));
        for (bool selected : {false, true})
            chips->addWidget(chip("Assignee", {.icon = "",
                                               .isSelected = selected,
                                               .tint = accent,
                                               .style = style,
                                               .size = QuilloChipSize::comfortable,
                                               .isDisabled = false}));
    }
    QHBoxLayout* trailing = row(stack, "Chip with a trailing count badge", 6);
    trailing->addWidget(new QuilloChip("Editor", {.icon = "person.fill", .isSelected = true, .tint = accent},
                                       new QuilloCountBadge(12, accent)));

    QHBoxLayout* badges = row(stack, "Status dots (8, 6, glow), pill badges (soft, solid), count badges (0, -3, 1234)");
    badges->addWidget(new QuilloStatusDot(Color::green(), 8, false));
    badges->addWidget(new QuilloStatusDot(Color::orange(), 6, false));
    badges->addWidget(new QuilloStatusDot(Color::quilloRecording(), 8, true));
    badges->addWidget(new QuilloPillBadge("To-Do", accent, QuilloPillBadgeStyle::soft));
    badges->addWidget(new QuilloPillBadge("Done", Color::green(), QuilloPillBadgeStyle::soft));
    badges->addWidget(new QuilloPillBadge("Chapter", Color::orange(), QuilloPillBadgeStyle::solid));
    badges->addWidget(new QuilloCountBadge(0, Color::quilloTextTertiary()));
    badges->addWidget(new QuilloCountBadge(-3, Color::quilloTextSecondary()));
    badges->addWidget(new QuilloCountBadge(1234, accent));

    stack->addWidget(new QuilloSectionHeader("Divider"));
    stack->addWidget(new QuilloDivider);

    QHBoxLayout* glass = row(stack, "Glass: regular, compact, edge to edge; elevation card, panel, floating", 24);
    glass->addWidget(new PaintedBox({150, 70}, [](QPainter& p, const QRect& r, const QWidget* w) {
        QuilloGlassBackground{.cornerRadius = 14, .opacity = 0.3}.paint(p, r, w);
    }));
    glass->addWidget(new PaintedBox({150, 70}, [](QPainter& p, const QRect& r, const QWidget* w) {
        QuilloGlassBackgroundCompact{.cornerRadius = 8, .opacity = 0.3}.paint(p, r, w);
    }));
    glass->addWidget(new PaintedBox({150, 70}, [](QPainter& p, const QRect& r, const QWidget* w) {
        QuilloGlassBackgroundEdgeToEdge{.opacity = 0.3}.paint(p, r, w);
    }));
    for (auto level :
         {QuilloDesign::Elevation::card, QuilloDesign::Elevation::panel, QuilloDesign::Elevation::floating}) {
        auto* card = new PaintedBox({90, 70}, [](QPainter& p, const QRect& r, const QWidget*) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Color::quilloSurface());
            p.drawRoundedRect(r, 10, 10);
        });
        quilloElevation(card, level);
        glass->addWidget(card);
    }
    stack->addStretch(1);
    return result;
}

QWidget* windowPage() {
    const auto& preset = QuilloAppearancePreset::claudeColors();
    auto* sidebar = new QWidget;
    auto* sidebarStack = new QVBoxLayout(sidebar);
    sidebarStack->setContentsMargins(14, 14, 14, 14);
    auto* lights = new QuilloTrafficLights;
    lights->setHovering(true);
    sidebarStack->addWidget(lights);
    sidebarStack->addSpacing(12);
    sidebarStack->addWidget(new QuilloSectionHeader("Libraries"));
    sidebarStack->addWidget(new QuilloButton("Add Library...", "plus"));
    sidebarStack->addWidget(new QuilloButton("Detect from Final Cut Pro", "wand.and.stars"));
    sidebarStack->addWidget(new QuilloTrafficLights);  // idle
    sidebarStack->addStretch(1);

    auto* content = new QWidget;
    auto* contentRow = new QHBoxLayout(content);
    contentRow->setContentsMargins(0, 0, 0, 0);
    contentRow->setSpacing(0);
    auto* middle = new QWidget;
    auto* middleStack = new QVBoxLayout(middle);
    middleStack->setContentsMargins(16, 16, 16, 16);
    auto* toolbar = new QHBoxLayout;
    toolbar->setSpacing(14);
    auto* collapse =
        new QuilloSymbolButton("sidebar.leading", 13, QFont::Medium, Color::quilloTextSecondary(), "Hide Sidebar");
    auto* exportButton = new QuilloSymbolButton("checklist", 13, QFont::Medium, Color::quilloTextSecondary(),
                                                "Export shown to-dos as a Reminders list");
    auto* details = new QuilloPanelToggleButton("doc.text.magnifyingglass", true, "Details", {});
    auto* status = new QuilloPanelToggleButton("waveform.path.ecg", false, "Status", {});
    toolbar->addWidget(collapse);
    toolbar->addStretch(1);
    toolbar->addWidget(exportButton);
    toolbar->addWidget(details);
    toolbar->addWidget(status);
    middleStack->addLayout(toolbar);
    middleStack->addSpacing(60);
    auto* search = new QLabel("Search field with a shortcut tooltip above it");
    quilloCaption().applyTo(search);
    middleStack->addWidget(search);
    middleStack->addStretch(1);
    contentRow->addWidget(middle, 1);

    auto* column = new QuilloFloatingPanelColumn(330, QuilloEdge::trailing);
    auto* detailsBody = label("Marker \"Fix colour\" at 00:01:02:03", quilloCaption());
    detailsBody->setWordWrap(true);
    column->addPanel(new QuilloFloatingPanel(
        "Details", "doc.text.magnifyingglass", [] {}, [] {}, detailsBody));
    column->addPanel(new QuilloFloatingPanel(
        "Status", "waveform.path.ecg", {}, [] {}, label("Idle", quilloCaption())));
    column->addPanel(new QuilloGlassSection("Glass section", "", label("No buttons", quilloCaption())), 0);
    contentRow->addWidget(column);

    auto* shell =
        new QuilloSplitShell({.baseColor = *Color::fromHex(preset.baseColorHex),
                              .baseOpacity = preset.baseDarkness,
                              .sidebarCardColor = *Color::fromHex(*preset.sidebarColorHex),
                              .sidebarCardOpacity = std::min(1.0, preset.baseDarkness + preset.sidebarDarknessDelta),
                              .minSidebarWidth = 260,
                              .idealSidebarWidth = 300,
                              .maxSidebarWidth = 480},
                             sidebar, content);
    shell->setWindowTitle("Window");
    shell->resize(1180, 720);

    // Tooltips shown as they look once the pointer has rested: one line below, wrapped below,
    // and one with a shortcut above its control.
    new QuilloTooltip(exportButton, "Export shown to-dos as a Reminders list", std::nullopt, QuilloEdge::bottom,
                      &immediateClock);
    new QuilloTooltip(search, "Search markers", QStringLiteral("Ctrl+F"), QuilloEdge::top, &immediateClock);
    new QuilloTooltip(collapse, "Hide Sidebar", std::nullopt, QuilloEdge::bottom, &immediateClock);
    // On the first turn of the event loop, once the page is on screen and laid out.
    QTimer::singleShot(0, shell, [=] {
        for (QWidget* control :
             {static_cast<QWidget*>(exportButton), static_cast<QWidget*>(search), static_cast<QWidget*>(collapse)})
            enter(control);
    });
    return shell;
}

std::vector<Page> pages() {
    return {{"design-gallery-tokens", tokensPage()},
            {"design-gallery-components", componentsPage()},
            {"design-gallery-window", windowPage()}};
}

}  // namespace quillo::gallery
