#pragma once

class QAbstractButton;

// What a painted button (a QAbstractButton subclass of ours, named quillo::...) tells assistive
// technology: its name, a press or toggle action, a check box's role and checked state while it
// is checkable, and beyond what Qt's buttons tell, that it folds something open (and whether it
// is open now) or that its check box is partly checked.
namespace quillo::QuilloAccessibility {

// Registers the interface of painted buttons; each painted button's constructor calls it before
// anything asks for its interface. Idempotent.
void install();

// The button discloses content: expanded or collapsed.
void setExpanded(QAbstractButton* button, bool expanded);
// A checkable button whose box stands for several choices of which only some are on.
void setPartlyChecked(QAbstractButton* button, bool partlyChecked);

}  // namespace quillo::QuilloAccessibility
