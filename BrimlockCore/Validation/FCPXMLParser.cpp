#include "BrimlockCore/Validation/FCPXMLParser.h"

#include "BrimlockCore/XML/ExpatParser.h"
#include "BrimlockCore/Validation/FCPXMLFile.h"
#include "BrimlockCore/Validation/FCPXMLResources.h"

#include <utility>
#include <vector>

namespace brimlock::FCPXMLParser {

namespace {

std::optional<std::string> text(std::optional<std::string_view> value) {
    if (!value) return std::nullopt;
    return std::string(*value);
}

// The sequence under construction.
struct SequenceBuilder {
    std::string name;
    SequenceKind kind = SequenceKind::other;
    std::optional<std::string> formatID;
    double tcStartSeconds = 0.0;
    std::optional<std::string> mediaID;
    bool primarySpineFound = false;
    std::size_t primarySpineLevel = 0;  // the depth of the primary spine's children, once found
    std::vector<SpineClip> clips;
};

class DocumentReader final : public ExpatParser::Handler {
public:
    explicit DocumentReader(const Resources& resources) : resources_(resources) {}

    void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
        const std::size_t depth = elementStack_.size();
        const std::string_view parent = elementStack_.empty() ? std::string_view() : elementStack_.back();

        if (name == "fcpxml" && !version_) version_ = text(attributes.value("version"));

        if (name == "project") {
            currentProjectName_ = text(attributes.value("name"));
        } else if (name == "media") {
            const auto id = attributes.value("id");
            mediaIDStack_.emplace_back(id.value_or(""));
            mediaNameStack_.emplace_back(attributes.value("name").value_or(id.value_or("Compound")));
        } else if (name == "sequence") {
            startSequence(attributes, parent);
        } else if (name == "spine") {
            if (builder_ && !builder_->primarySpineFound && parent == "sequence") {
                builder_->primarySpineFound = true;
                builder_->primarySpineLevel = depth + 1;
            }
        }

        // Only the direct children of the spine directly under the sequence: secondary storylines,
        // connected clips and the insides of compound clips lie deeper.
        if (builder_ && builder_->primarySpineFound && builder_->primarySpineLevel == depth && parent == "spine")
            builder_->clips.push_back(makeSpineClip(name, attributes));

        elementStack_.emplace_back(name);
    }

    void endElement(std::string_view name) override {
        if (!elementStack_.empty()) elementStack_.pop_back();
        if (name == "sequence") {
            finalizeSequence();
        } else if (name == "media") {
            if (!mediaIDStack_.empty()) mediaIDStack_.pop_back();
            if (!mediaNameStack_.empty()) mediaNameStack_.pop_back();
        }
    }

    Document finish() && {
        finalizeSequence();
        return Document{std::move(version_), std::move(sequences_)};
    }

private:
    void startSequence(const ExpatParser::Attributes& attributes, std::string_view parent) {
        // A sequence inside an unfinished one replaces it; the outer one is dropped.
        SequenceBuilder& builder = builder_.emplace();
        if (parent == "project") {
            builder.name = currentProjectName_.value_or("Untitled Project");
            builder.kind = SequenceKind::project;
        } else if (parent == "media") {
            if (!mediaIDStack_.empty() && !mediaIDStack_.back().empty()) builder.mediaID = mediaIDStack_.back();
            builder.name = mediaNameStack_.empty() ? "Compound" : mediaNameStack_.back();
            builder.kind = SequenceKind::media;
        } else {
            builder.name = "sequence";
            builder.kind = SequenceKind::other;
        }
        builder.formatID = text(attributes.value("format"));
        if (const auto tcStart = parseRational(attributes.value("tcStart")))
            builder.tcStartSeconds = tcStart->seconds();
    }

    // Without an open builder (a sequence end after its sequence was replaced) this does nothing.
    void finalizeSequence() {
        if (!builder_) return;
        SequenceBuilder& builder = *builder_;
        Sequence sequence;
        sequence.name = std::move(builder.name);
        sequence.kind = builder.kind;
        sequence.formatID = std::move(builder.formatID);
        if (sequence.formatID) {
            const auto format = resources_.formatFrameDurations.find(*sequence.formatID);
            if (format != resources_.formatFrameDurations.end()) sequence.frameDuration = format->second;
        }
        sequence.tcStartSeconds = builder.tcStartSeconds;
        sequence.clips = std::move(builder.clips);
        sequence.isEventTimeline = builder.mediaID && resources_.eventTimelineMediaRefs.contains(*builder.mediaID);
        sequences_.push_back(std::move(sequence));
        builder_.reset();
    }

    SpineClip makeSpineClip(std::string_view name, const ExpatParser::Attributes& attributes) const {
        SpineClip clip;
        clip.elementType = std::string(name);
        clip.name = std::string(attributes.value("name").value_or(""));
        clip.ref = text(attributes.value("ref"));
        if (clip.ref) {
            if (const auto asset = resources_.assetUIDs.find(*clip.ref); asset != resources_.assetUIDs.end()) {
                clip.assetUID = asset->second;
                if (const auto assetName = resources_.assetNames.find(*clip.ref);
                    assetName != resources_.assetNames.end())
                    clip.resourceName = assetName->second;
            } else if (const auto media = resources_.mediaNames.find(*clip.ref); media != resources_.mediaNames.end()) {
                clip.resourceName = media->second;
            }
        }
        clip.offset = parseRational(attributes.value("offset")).value_or(Rational{0, 1});
        clip.start = parseRational(attributes.value("start"));
        clip.duration = parseRational(attributes.value("duration")).value_or(Rational{0, 1});
        return clip;
    }

    const Resources& resources_;
    std::optional<std::string> version_;
    std::vector<Sequence> sequences_;
    std::vector<std::string> elementStack_;          // open elements, outermost first
    std::optional<std::string> currentProjectName_;  // of the last project started; kept after it ends
    std::vector<std::string> mediaIDStack_;
    std::vector<std::string> mediaNameStack_;
    std::optional<SequenceBuilder> builder_;
};

// The last path component, also for a path that ends in a separator.
std::string lastComponent(const std::filesystem::path& path) {
    if (path.has_filename()) return path.filename().string();
    return path.parent_path().filename().string();
}

}  // namespace

Document parse(const std::filesystem::path& contentsOf) {
    const auto file = FCPXMLFile::resolve(contentsOf);
    if (!file) throw ParseError::fileNotFound(contentsOf.string());
    const FCPXMLFile::Contents contents = FCPXMLFile::read(*file, kMaximumFileBytes);
    switch (contents.outcome) {
    case FCPXMLFile::Contents::Outcome::tooLarge: throw ParseError::tooLarge(file->string(), contents.byteCount);
    case FCPXMLFile::Contents::Outcome::notReadable: throw ParseError::notReadable(file->string());
    case FCPXMLFile::Contents::Outcome::read: break;
    }
    return parse(contents.bytes, lastComponent(*file));
}

Document parse(std::span<const std::uint8_t> data, const std::string& name) {
    const Resources resources = Resources::collect(data, name);
    DocumentReader reader(resources);
    const ExpatParser::Result result = ExpatParser::parse(data, name, reader);
    if (!result.wellFormed) {
        const std::string line = std::to_string(result.errorLine);
        throw ParseError::xmlError(result.errorDescription.empty() ? "unknown XML error at line " + line
                                                                   : result.errorDescription + " (line " + line + ")");
    }
    return std::move(reader).finish();
}

}  // namespace brimlock::FCPXMLParser
