#pragma once

#include <QPainterPath>
#include <QStringView>

#include <functional>
#include <map>

// One small drawing per symbol name: each builds the symbol in the unit square from a stroke width.
namespace quillo::QuilloSymbolShapes {

using Drawing = std::function<QPainterPath(double stroke)>;

// Keyed by symbol name, sorted.
const std::map<QString, Drawing, std::less<>>& drawings();

}  // namespace quillo::QuilloSymbolShapes
