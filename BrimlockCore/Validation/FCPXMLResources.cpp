#include "BrimlockCore/Validation/FCPXMLResources.h"

#include "BrimlockCore/XML/ExpatParser.h"

#include <vector>

namespace brimlock::FCPXMLParser {

namespace {

class ResourceCollector final : public ExpatParser::Handler {
public:
    explicit ResourceCollector(Resources& resources) : resources_(resources) {}

    void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
        const bool parentIsEvent = !openIsEvent_.empty() && openIsEvent_.back();
        openIsEvent_.push_back(name == "event");
        if (const auto id = attributes.value("id")) {
            if (name == "asset") {
                const auto uid = attributes.value("uid");
                resources_.assetUIDs.insert_or_assign(std::string(*id),
                                                      uid ? std::optional<std::string>(*uid) : std::nullopt);
                if (const auto assetName = attributes.value("name"))
                    resources_.assetNames.insert_or_assign(std::string(*id), std::string(*assetName));
            } else if (name == "media") {
                if (const auto mediaName = attributes.value("name"))
                    resources_.mediaNames.insert_or_assign(std::string(*id), std::string(*mediaName));
            } else if (name == "format") {
                if (const auto frameDuration = parseRational(attributes.value("frameDuration")))
                    resources_.formatFrameDurations.insert_or_assign(std::string(*id), *frameDuration);
            }
        }
        if (name == "ref-clip" && parentIsEvent) {
            if (const auto ref = attributes.value("ref")) resources_.eventTimelineMediaRefs.emplace(*ref);
        }
    }

    void endElement(std::string_view) override {
        if (!openIsEvent_.empty()) openIsEvent_.pop_back();
    }

private:
    Resources& resources_;
    std::vector<bool> openIsEvent_;  // per open element, outermost first
};

}  // namespace

Resources Resources::collect(std::span<const std::uint8_t> document, const std::string& documentName) {
    Resources resources;
    ResourceCollector collector(resources);
    (void)ExpatParser::parse(document, documentName, collector);
    return resources;
}

}  // namespace brimlock::FCPXMLParser
