#include "QuilloToDoKit/QuilloToDoScan/FCPXMLMarkerScanner.h"

#include "BrimlockCore/XML/ExpatParser.h"
#include "BrimlockCore/XML/XMLSecurityError.h"
#include "BrimlockCore/Validation/FCPXMLFile.h"
#include "BrimlockCore/Validation/FCPXMLResources.h"

#include <map>
#include <string_view>
#include <utility>

namespace quillo::FCPXMLMarkerScanner {

namespace {

namespace fcpxml = brimlock::FCPXMLParser;
using brimlock::ExpatParser::Attributes;

std::optional<std::string> text(std::optional<std::string_view> value) {
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::optional<double> seconds(std::optional<std::string_view> value) {
    const auto rational = fcpxml::parseRational(value);
    if (!rational) return std::nullopt;
    return rational->seconds();
}

struct OpenSequence {
    std::string name;
    double fps = 24.0;
};

// An open element that carries a readable offset.
struct ClipContext {
    std::string elementTag;
    std::optional<std::string> name;
    std::optional<std::string> role;
    double offsetSeconds = 0;
    double startSeconds = 0;
    std::size_t depth = 0;  // of the element, so that only its own end pops it
};

class MarkerCollector final : public brimlock::ExpatParser::Handler {
public:
    explicit MarkerCollector(const fcpxml::Resources& resources) {
        for (const auto& [id, frameDuration] : resources.formatFrameDurations) {
            if (frameDuration.numerator != 0)
                formatFrameRates_.emplace(
                    id, static_cast<double>(frameDuration.denominator) / static_cast<double>(frameDuration.numerator));
        }
    }

    std::vector<ScannedMarker> takeMarkers() && { return std::move(markers_); }

    void startElement(std::string_view name, const Attributes& attributes) override {
        const std::size_t depth = depth_++;
        if (name == "project") {
            currentProjectName_ = text(attributes.value("name"));
        } else if (name == "sequence") {
            OpenSequence sequence{currentProjectName_.value_or("Untitled"), 24.0};
            if (const auto format = attributes.value("format")) {
                if (const auto rate = formatFrameRates_.find(*format); rate != formatFrameRates_.end())
                    sequence.fps = rate->second;
            }
            sequenceStack_.push_back(std::move(sequence));
        }
        if (const auto offset = seconds(attributes.value("offset"))) {
            clipStack_.push_back(ClipContext{std::string(name), text(attributes.value("name")),
                                             text(attributes.value("role")), *offset,
                                             clipStart(name, attributes, *offset), depth});
        }
        if (name == "marker" || name == "chapter-marker") handleMarker(name, attributes);
    }

    void endElement(std::string_view name) override {
        if (depth_ > 0) --depth_;
        if (name == "sequence" && !sequenceStack_.empty()) sequenceStack_.pop_back();
        if (!clipStack_.empty() && clipStack_.back().depth == depth_) clipStack_.pop_back();
    }

private:
    // A clip without "start" begins at its own time 0. A transition or an audition, and a start that
    // does not read, take the offset instead.
    static double clipStart(std::string_view name, const Attributes& attributes, double offset) {
        const auto start = attributes.value("start");
        if (!start) return name == "transition" || name == "audition" ? offset : 0.0;
        return seconds(start).value_or(offset);
    }

    void handleMarker(std::string_view name, const Attributes& attributes) {
        if (sequenceStack_.empty()) return;
        const OpenSequence& sequence = sequenceStack_.back();
        ScannedMarker marker;
        marker.text = std::string(attributes.value("value").value_or(""));
        marker.isChapter = name == "chapter-marker";
        if (const auto completed = attributes.value("completed")) {
            marker.isTodo = !marker.isChapter;
            marker.completed = *completed == "1";
        }
        if (marker.isChapter) marker.chapterNote = text(attributes.value("note"));
        const double markerStart = seconds(attributes.value("start")).value_or(0.0);
        if (clipStack_.empty()) {
            marker.positionSeconds = markerStart;
        } else {
            const ClipContext& clip = clipStack_.back();
            marker.positionSeconds = clip.offsetSeconds + (markerStart - clip.startSeconds);
            marker.roleAttribute = clip.role;
            marker.containingClipName = clip.name;
        }
        marker.sequenceName = sequence.name;
        marker.framesPerSecond = sequence.fps;
        markers_.push_back(std::move(marker));
    }

    std::map<std::string, double, std::less<>> formatFrameRates_;
    std::optional<std::string> currentProjectName_;  // of the last project started; kept after it ends
    std::vector<OpenSequence> sequenceStack_;
    std::vector<ClipContext> clipStack_;
    std::size_t depth_ = 0;  // open elements
    std::vector<ScannedMarker> markers_;
};

std::string lastComponent(const std::filesystem::path& path) {
    if (path.has_filename()) return path.filename().string();
    return path.parent_path().filename().string();
}

}  // namespace

std::vector<ScannedMarker> scan(const std::filesystem::path& contentsOf) {
    const auto file = brimlock::FCPXMLFile::resolve(contentsOf);
    if (!file) throw ScanError(ScanError::Kind::fileNotFound, contentsOf.string());
    brimlock::FCPXMLFile::Contents contents = brimlock::FCPXMLFile::read(*file, std::nullopt);
    if (contents.outcome != brimlock::FCPXMLFile::Contents::Outcome::read)
        throw ScanError(ScanError::Kind::notReadable, file->string());
    return scan(contents.bytes, lastComponent(*file));
}

std::vector<ScannedMarker> scan(std::span<const std::uint8_t> data, const std::string& name) {
    try {
        const auto resources = fcpxml::Resources::collect(data, name);
        MarkerCollector collector(resources);
        const auto result = brimlock::ExpatParser::parse(data, name, collector);
        if (!result.wellFormed) {
            const std::string line = std::to_string(result.errorLine);
            throw ScanError(ScanError::Kind::xmlError, result.errorDescription.empty()
                                                           ? "unknown XML error at line " + line
                                                           : result.errorDescription + " (line " + line + ")");
        }
        return std::move(collector).takeMarkers();
    } catch (const brimlock::XMLSecurityError& error) {
        throw ScanError(ScanError::Kind::xmlError, error.what());
    }
}

}  // namespace quillo::FCPXMLMarkerScanner
