#include "QuilloDesignKit/QuilloAccessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>

namespace quillo::QuilloAccessibility {

namespace {

constexpr const char* kExpandedProperty = "quilloAccessibleExpanded";
constexpr const char* kPartlyCheckedProperty = "quilloAccessiblePartlyChecked";

// Qt's button interface is private: this one reads like it (name, press action, checked state)
// and adds the two states above.
class PaintedButtonAccessible : public QAccessibleWidget {
public:
    explicit PaintedButtonAccessible(QAbstractButton* button) : QAccessibleWidget(button) {}

    QAccessible::Role role() const override {
        return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        const QAbstractButton* b = button();
        state.pressed = b->isDown();
        if (b->isCheckable()) {
            state.checkable = true;
            state.checked = b->isChecked();
            state.checkStateMixed = b->property(kPartlyCheckedProperty).toBool();
        }
        if (const QVariant expanded = b->property(kExpandedProperty); expanded.isValid()) {
            state.expandable = true;
            state.expanded = expanded.toBool();
            state.collapsed = !expanded.toBool();
        }
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        return QStringList{button()->isCheckable() ? toggleAction() : pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            if (button()->isEnabled()) button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// Asked with each class name from the most derived one up, before Qt's own factories.
QAccessibleInterface* paintedButtonFactory(const QString& className, QObject* object) {
    if (!className.startsWith(QLatin1String("quillo::"))) return nullptr;
    auto* button = qobject_cast<QAbstractButton*>(object);
    return button ? new PaintedButtonAccessible(button) : nullptr;
}

void set(QAbstractButton* button, const char* property, bool value) {
    const QVariant before = button->property(property);
    if (before.isValid() && before.toBool() == value) return;
    button->setProperty(property, value);
    if (!before.isValid() || !QAccessible::isActive()) return;
    QAccessible::State changed;
    if (property == kExpandedProperty) {
        changed.expanded = true;
        changed.collapsed = true;
    } else {
        changed.checkStateMixed = true;
    }
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(paintedButtonFactory);
        return true;
    }();
    (void)installed;
}

void setExpanded(QAbstractButton* button, bool expanded) { set(button, kExpandedProperty, expanded); }

void setPartlyChecked(QAbstractButton* button, bool partlyChecked) {
    set(button, kPartlyCheckedProperty, partlyChecked);
}

}  // namespace quillo::QuilloAccessibility
