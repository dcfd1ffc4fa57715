#pragma once

#include <string>

namespace quillo::testing {

// Shortest decimal text that reads back as the same double ("50", "0.1", "-2.5e-07").
std::string ozNumber(double value);

// <parameter name="..." id="..." flags="0"><curve type="1" default="..." value="..."/></parameter>
std::string ozCurveParameter(const std::string& name, int id, double defaultValue, double value);

}  // namespace quillo::testing
