#pragma once

class QApplication;

namespace quillo {

// The application always runs in the dark colour scheme: the Fusion style with a dark palette
// built from the design tokens, so that dialogs, sheets and the settings window match the window.
void applyDarkColorScheme(QApplication& application);

}  // namespace quillo
