#include "BrimlockCore/Effects/RetimeParser.h"

#include "BrimlockCore/XML/ExpatParser.h"
#include "Platform/Foundation/FloatingPointText.h"
#include "BrimlockCore/Effects/OZParameterPath.h"
#include "BrimlockCore/XML/XMLSecurityError.h"
#include "Platform/Foundation/UnicodeText.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

namespace brimlock::RetimeParser {

namespace {

// The UTF-8 forms of the code points with the Unicode White_Space property (PropList.txt): white
// space and line ends.
constexpr auto kWhiteSpace = std::to_array<std::string_view>({
    "\x09",   "\x0A",   "\x0B",   "\x0C",   "\x0D",   "\x20",   "\u0085", "\u00A0", "\u1680",
    "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
    "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
});

// `text` is valid UTF-8, so a match at either end is always a whole character.
std::string_view trimmedWhiteSpace(std::string_view text) noexcept {
    const auto leading = [&] {
        for (const std::string_view space : kWhiteSpace) {
            if (text.starts_with(space)) return space.size();
        }
        return std::size_t{0};
    };
    const auto trailing = [&] {
        for (const std::string_view space : kWhiteSpace) {
            if (text.ends_with(space)) return space.size();
        }
        return std::size_t{0};
    };
    while (const std::size_t size = leading()) text.remove_prefix(size);
    while (const std::size_t size = trailing()) text.remove_suffix(size);
    return text;
}

// OZ time text: numerator and denominator separated by spaces ("3003 30000"); further pieces are ignored.
std::optional<double> secondsFromOZTime(std::string_view text) {
    std::array<std::string_view, 2> pieces;
    std::size_t count = 0;
    while (count < pieces.size() && !text.empty()) {
        const std::size_t cut = text.find(' ');
        if (cut != 0) pieces[count++] = text.substr(0, cut);
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
    if (count < pieces.size()) return std::nullopt;
    const auto numerator = platform::parseFiniteDouble(pieces[0]);
    const auto denominator = platform::parseFiniteDouble(pieces[1]);
    if (!numerator || !denominator || !(*denominator > 0)) return std::nullopt;
    const double seconds = *numerator / *denominator;
    if (!std::isfinite(seconds)) return std::nullopt;  // a huge numerator over a tiny denominator
    return seconds;
}

std::optional<FrameSamplingMethod> frameSamplingFromCurve(double value) noexcept {
    const double whole = std::trunc(value);
    // -2^63 and 2^63 are exact doubles; the range is [-2^63, 2^63).
    if (whole < -9223372036854775808.0 || whole >= 9223372036854775808.0) return std::nullopt;
    return frameSamplingMethodFromRawValue(static_cast<std::int64_t>(whole));
}

class OZRetimeParser final : public ExpatParser::Handler {
public:
    const RetimeValues& values() const noexcept { return values_; }

    void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
        currentText_.clear();
        if (name == "parameter") {
            parameters_.enter(attributes.value("name"));
        } else if (name == "curve") {
            const auto text = attributes.value("value");
            if (const auto value = text ? platform::parseFiniteDouble(*text) : std::nullopt) apply(*value);
        } else if (name == "keypoint") {
            inKeypoint_ = true;
            kpTime_.clear();
            kpValue_ = 0;
            kpInputTangentValue_ = -1.0;
            kpOutputTangentValue_ = -1.0;
        }
    }

    void characterData(std::string_view text) override { currentText_ += text; }

    void endElement(std::string_view name) override {
        const std::string_view text = trimmedWhiteSpace(currentText_);
        if (name == "parameter") {
            parameters_.leave();
        } else if (inKeypoint_) {
            if (name == "time") {
                kpTime_ = text;
            } else if (name == "value") {
                kpValue_ = platform::parseFiniteDouble(text).value_or(0);
            } else if (name == "inputTangentValue") {
                kpInputTangentValue_ = platform::parseFiniteDouble(text).value_or(-1.0);
            } else if (name == "outputTangentValue") {
                kpOutputTangentValue_ = platform::parseFiniteDouble(text).value_or(-1.0);
            } else if (name == "keypoint") {
                if (const auto seconds = secondsFromOZTime(kpTime_)) {
                    values_.timeMapKeypoints.push_back(
                        TimeMapKeypoint{*seconds, kpValue_, kpInputTangentValue_, kpOutputTangentValue_});
                }
                inKeypoint_ = false;
            }
        }
        currentText_.clear();
    }

private:
    void apply(double value) {
        const std::string_view parameter = parameters_.innermostName();
        if (parameter == "Speed") {
            values_.speed = value;
        } else if (parameter == "Reverse") {
            values_.isReversed = value != 0;
        } else if (parameter == "Frame Sampling") {
            if (const auto method = frameSamplingFromCurve(value)) values_.frameSampling = *method;
        }
    }

    RetimeValues values_;
    OZParameterPath parameters_;
    std::string currentText_;
    bool inKeypoint_ = false;
    std::string kpTime_;
    double kpValue_ = 0;
    double kpInputTangentValue_ = -1.0;
    double kpOutputTangentValue_ = -1.0;
};

}  // namespace

std::optional<FrameSamplingMethod> frameSamplingMethodFromRawValue(std::int64_t rawValue) noexcept {
    switch (rawValue) {
    case 0: return FrameSamplingMethod::floor;
    case 1: return FrameSamplingMethod::nearest;
    case 2: return FrameSamplingMethod::frameBlending;
    case 6: return FrameSamplingMethod::opticalFlow;
    default: return std::nullopt;
    }
}

bool RetimeValues::isRetimed() const noexcept { return speed != 100.0 || isReversed || isSpeedRamp(); }

bool RetimeValues::isSpeedRamp() const noexcept { return timeMapKeypoints.size() > 2; }

bool RetimeValues::isFreezeFrame() const noexcept {
    return timeMapKeypoints.size() >= 2 &&
           std::abs(timeMapKeypoints.front().sourceSeconds - timeMapKeypoints.back().sourceSeconds) < 0.001;
}

std::optional<double> RetimeValues::effectiveSpeed() const noexcept {
    if (timeMapKeypoints.size() != 2) return std::nullopt;
    const TimeMapKeypoint& first = timeMapKeypoints[0];
    const TimeMapKeypoint& second = timeMapKeypoints[1];
    const double dt = second.timelineSeconds - first.timelineSeconds;
    if (!(dt > 0)) return 0.0;
    return (second.sourceSeconds - first.sourceSeconds) / dt * 100;
}

std::optional<RetimeValues> parse(std::span<const std::uint8_t> channelData) {
    if (!platform::isValidUTF8(std::string_view(reinterpret_cast<const char*>(channelData.data()), channelData.size())))
        return std::nullopt;
    OZRetimeParser handler;
    try {
        // Whether the document was well-formed does not matter: what was read before an error stands.
        ExpatParser::parse(channelData, "FFRetimingVideoEffect channelData", handler);
    } catch (const XMLSecurityError&) {
        return std::nullopt;
    }
    return handler.values();
}

}  // namespace brimlock::RetimeParser
