#include "testing/OZText.h"

#include <charconv>
#include <stdexcept>

namespace quillo::testing {

std::string ozNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) throw std::invalid_argument("number cannot be written");
    return std::string(buffer, result.ptr);
}

std::string ozCurveParameter(const std::string& name, int id, double defaultValue, double value) {
    return "<parameter name=\"" + name + "\" id=\"" + std::to_string(id) +
           "\" flags=\"0\"><curve type=\"1\" default=\"" + ozNumber(defaultValue) + "\" value=\"" + ozNumber(value) +
           "\"/></parameter>\n";
}

}  // namespace quillo::testing
