#include "testing/TimelineBuilder.h"

#include "testing/EventBuilder.h"

namespace quillo::testing {

TimelineBuilder::TimelineBuilder(EventBuilder& event, std::string name, SequenceOptions options)
    : TimelineBuilder(event, name, make(event, name, options)) {}

TimelineBuilder::TimelineBuilder(EventBuilder& event, std::string name, Made made)
    : ItemContainer(event, made.primary, "containedItems"),
      name_(std::move(name)),
      sequence_(made.sequence),
      mediaIdentifier_(std::move(made.mediaIdentifier)) {}

TimelineBuilder::Made TimelineBuilder::make(EventBuilder& event, const std::string& name,
                                            const SequenceOptions& options) {
    const std::string mediaIdentifier = event.identifiers().next();
    ArchiveValue::Entries attributes{{"mediaIdentifier", mediaIdentifier}};
    switch (options.kind) {
    case SequenceKind::project:
        attributes.emplace_back("sequenceType", 1);
        attributes.emplace_back("audioSampleRate", 48000);
        attributes.emplace_back("audioChannelCount", 2);
        attributes.emplace_back("captionPlaybackEnabled", false);
        break;
    case SequenceKind::shared:
        attributes.emplace_back("metadata", ArchiveValue::dictionary({
                                                {"FFShareTitleKey", name},
                                                {"FFShareCreatorKey", "Quillo Fixtures"},
                                            }));
        break;
    case SequenceKind::inner: break;
    }
    attributes.emplace_back("timecodeFrameDuration", options.frameDuration);
    attributes.emplace_back("creationDate", 757382400.0);

    const auto sequence = event.addChild(event.projectData(), "items", "FFAnchoredSequence", std::move(attributes));
    if (options.withoutIdentifier) {
        event.setIdentifier(sequence, std::nullopt);
    } else if (options.identifier) {
        event.setIdentifier(sequence, *options.identifier);
    }
    const auto frameRectangle =
        "{{0, 0}, {" + std::to_string(options.width) + ", " + std::to_string(options.height) + "}}";
    const auto primary = event.addChild(sequence, "primaryObject", "FFAnchoredCollection",
                                        {
                                            {"displayName", name},
                                            {"playEnable", true},
                                            {"videoProps", ArchiveValue::dictionary({
                                                               {"PB", frameRectangle},
                                                               {"FrameDuration", options.frameDuration},
                                                           })},
                                        });
    return {sequence, primary, mediaIdentifier};
}

std::string TimelineBuilder::identifier() const { return sequence().identifier(); }

}  // namespace quillo::testing
