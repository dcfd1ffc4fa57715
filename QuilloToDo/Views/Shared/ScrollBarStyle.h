#pragma once

class QAbstractScrollArea;

namespace quillo {

// Thin, light-on-dark scroll bars without arrows for a scroll area on the dark window (the
// platform's default bars are drawn for light windows).
void applyThinScrollBars(QAbstractScrollArea* area);

}  // namespace quillo
