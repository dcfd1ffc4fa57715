#pragma once

class QWidget;

namespace quillo {

// Puts the Tab order of the widgets under `root` in reading order: under each widget first its
// children outside any layout (what lies over it, such as the window's own buttons in a corner),
// then its layout's items in their order (a row leading to trailing, a column top to bottom,
// nested layouts in place). Widgets made after the window was built (rebuilt cards, new chips)
// otherwise come last, after everything else in the window.
void orderFocusChain(QWidget* root);

}  // namespace quillo
