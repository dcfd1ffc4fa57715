#include "BrimlockCore/Effects/TransformParser.h"

#include "BrimlockCore/XML/ExpatParser.h"
#include "Platform/Foundation/FloatingPointText.h"
#include "BrimlockCore/Effects/OZParameterPath.h"
#include "BrimlockCore/XML/XMLSecurityError.h"
#include "Platform/Foundation/UnicodeText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace brimlock::TransformParser {

namespace {

// The field a curve sets, by the path of its parameters; the first test that matches wins.
double* fieldForPath(TransformValues& values, std::string_view path) noexcept {
    if (path.ends_with("Position/X")) return &values.positionX;
    if (path.ends_with("Position/Y")) return &values.positionY;
    if (path.ends_with("Position/Z")) return &values.positionZ;
    if (path.ends_with("Rotation/Z") || path == "Transform/Rotation") return &values.rotation;
    if (path.ends_with("Scale X")) return &values.scaleX;  // "Scale/Scale X" included
    if (path.ends_with("Scale Y")) return &values.scaleY;
    if (path.ends_with("Anchor/X")) return &values.anchorX;
    if (path.ends_with("Anchor/Y")) return &values.anchorY;
    return nullptr;
}

class OZXMLParser final : public ExpatParser::Handler {
public:
    const TransformValues& values() const noexcept { return values_; }

    void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
        if (name == "parameter") {
            parameters_.enter(attributes.value("name"));
        } else if (name == "curve") {
            // "default" counts only when there is no "value" at all, not when "value" is unreadable.
            auto text = attributes.value("value");
            if (!text) text = attributes.value("default");
            const auto value = text ? platform::parseFiniteDouble(*text) : std::nullopt;
            if (!value) return;
            if (double* field = fieldForPath(values_, parameters_.joined())) *field = *value;
        }
    }

    void endElement(std::string_view name) override {
        if (name == "parameter") parameters_.leave();
    }

private:
    TransformValues values_;
    OZParameterPath parameters_;
};

}  // namespace

bool TransformValues::isModified() const noexcept {
    return positionX != 0 || positionY != 0 || positionZ != 0 || scaleX != 1.0 || scaleY != 1.0 || rotation != 0 ||
           anchorX != 0 || anchorY != 0;
}

std::string TransformValues::scalePercentage() const {
    // Adding 0.0 turns a rounded -0 into 0. Printing the double avoids an integer conversion that
    // large scales would overflow.
    const double percent = std::round((scaleX + scaleY) / 2 * 100) + 0.0;
    std::array<char, 400> buffer{};  // DBL_MAX has 309 integer digits
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), percent, std::chars_format::fixed, 0);
    if (error != std::errc()) return "%";
    return std::string(buffer.data(), end) + "%";
}

std::optional<TransformValues> parse(std::span<const std::uint8_t> channelData) {
    return parse(std::string_view(reinterpret_cast<const char*>(channelData.data()), channelData.size()));
}

std::optional<TransformValues> parse(std::string_view xmlString) {
    if (!platform::isValidUTF8(xmlString)) return std::nullopt;
    OZXMLParser handler;
    try {
        // Whether the document was well-formed does not matter: what was read before an error stands.
        ExpatParser::parse({reinterpret_cast<const std::uint8_t*>(xmlString.data()), xmlString.size()},
                           "OZ transform XML", handler);
    } catch (const XMLSecurityError&) {
        return std::nullopt;
    }
    return handler.values();
}

}  // namespace brimlock::TransformParser
