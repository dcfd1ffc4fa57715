#include "testing/LibraryBuilder.h"

#include "ArchiveReading.h"
#include "StoreReading.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quillo::testing {
namespace {

using namespace inspection;

// One object's blob read back: its root dictionary's values by key.
class Blob {
public:
    Blob(const StoreReader& store, std::int64_t pk) {
        const auto bytes = store.blob(pk);
        if (!bytes) throw std::runtime_error("collection " + std::to_string(pk) + " has no blob");
        view_ = std::make_unique<ArchiveView>(*bytes);
    }

    const ArchiveView& view() const { return *view_; }
    bool has(const std::string& key) const { return view_->value(view_->root(), key) != nullptr; }
    plist_t value(const std::string& key) const {
        plist_t found = view_->value(view_->root(), key);
        if (found == nullptr) throw std::runtime_error("no key " + key);
        return found;
    }
    std::string text(const std::string& key) const { return stringOf(value(key)); }
    std::vector<std::string> identifiers() const {
        std::vector<std::string> texts;
        for (plist_t element : view_->arrayElements(value("identifiers"))) texts.push_back(stringOf(element));
        return texts;
    }

private:
    std::unique_ptr<ArchiveView> view_;
};

class TimelineBuilderTest : public ::testing::Test {
protected:
    TimelineBuilderTest() : library(dir.path(), "Feature"), event(library.event("Day 1")) {}

    const StoreReader& store() {
        if (!reader) reader = std::make_unique<StoreReader>(library.finish() / "Day 1" / "CurrentVersion.fcpevent");
        return *reader;
    }
    std::vector<std::string> types(const std::vector<std::int64_t>& keys) {
        std::vector<std::string> result;
        for (const auto key : keys) result.push_back(store().info(key).type.value_or("NULL"));
        return result;
    }
    std::vector<std::string> identifiersOf(const std::vector<std::int64_t>& keys) {
        std::vector<std::string> result;
        for (const auto key : keys) result.push_back(store().info(key).identifier.value_or("NULL"));
        return result;
    }

    TemporaryDirectory dir;
    LibraryBuilder library;
    EventBuilder& event;
    std::unique_ptr<StoreReader> reader;
};

TEST_F(TimelineBuilderTest, EventStructureHangsSequencesAssetsAndProjectBelowTheRoot) {
    const auto timeline = event.sequence("Main Edit");
    const auto root = store().collectionsOfType("FFMediaEventProjectData").at(0);
    EXPECT_EQ(store().info(*store().childNamed(root, "items")).type, "NSSet");
    EXPECT_EQ(store().info(*store().childNamed(root, "assets")).type, "NSSet");
    EXPECT_EQ(types(store().related(root, "project")), std::vector<std::string>{"FFMediaEventProject"});
    EXPECT_EQ(store().related(root, "items"), std::vector<std::int64_t>{timeline.sequencePK()});

    const auto sequence = store().info(timeline.sequencePK());
    EXPECT_EQ(sequence.type, "FFAnchoredSequence");
    EXPECT_EQ(sequence.name, std::nullopt);
    EXPECT_EQ(sequence.identifier->size(), 36u);
    const auto primary = store().related(timeline.sequencePK(), "primaryObject");
    ASSERT_EQ(primary.size(), 1u);
    EXPECT_EQ(store().info(primary[0]).type, "FFAnchoredCollection");
    EXPECT_EQ(Blob(store(), primary[0]).text("displayName"), "Main Edit");
}

TEST_F(TimelineBuilderTest, SequenceKindsDifferInTheKeysThatMakeATimeline) {
    const auto project = event.sequence("Project");
    const auto shared = event.sequence("Shared", {.kind = SequenceKind::shared});
    const auto inner = event.sequence("Inner", {.kind = SequenceKind::inner, .withoutIdentifier = true});
    const auto named = event.sequence("Named", {.identifier = "TIMELINE-1"});

    const Blob projectBlob(store(), project.sequencePK());
    for (const char* key : {"sequenceType", "audioSampleRate", "audioChannelCount", "captionPlaybackEnabled"}) {
        EXPECT_TRUE(projectBlob.has(key)) << key;
    }
    EXPECT_EQ(projectBlob.text("mediaIdentifier"), project.mediaIdentifier());
    const Blob sharedBlob(store(), shared.sequencePK());
    EXPECT_FALSE(sharedBlob.has("sequenceType"));
    EXPECT_EQ(stringOf(sharedBlob.view().value(sharedBlob.value("metadata"), "FFShareTitleKey")), "Shared");
    const Blob innerBlob(store(), inner.sequencePK());
    EXPECT_FALSE(innerBlob.has("sequenceType") || innerBlob.has("metadata"));
    EXPECT_EQ(store().info(inner.sequencePK()).identifier, std::nullopt);
    EXPECT_EQ(store().info(named.sequencePK()).identifier, "TIMELINE-1");
}

TEST_F(TimelineBuilderTest, StorylineItemsKeepTheirOrderInRowsAndInTheStoredOrder) {
    auto timeline = event.sequence("Main Edit");
    const auto clip = timeline.clip("Interview A", 5.0, 10.0);
    timeline.gap(3.0);
    const auto title = timeline.title("Lower Third", 0.0, 4.0);
    timeline.generator("Solid", 0.0, 2.0);
    timeline.compound("Scene 4", 0.0, 6.0);
    timeline.audition().active().clip("Take 2", 1.0, 2.0);

    const auto items = store().related(timeline.primaryItem().pk(), "containedItems");
    EXPECT_EQ(types(items), (std::vector<std::string>{"FFAnchoredMediaComponent", "FFAnchoredGapGeneratorComponent",
                                                      "FFAnchoredGeneratorComponent", "FFAnchoredGeneratorComponent",
                                                      "FFAnchoredClip", "FFAnchoredStack"}));
    const auto group = *store().childNamed(timeline.primaryItem().pk(), "containedItems");
    EXPECT_EQ(store().info(group).type, "NSArray");
    EXPECT_EQ(Blob(store(), group).identifiers(), identifiersOf(items));

    const Blob clipBlob(store(), clip.pk());
    EXPECT_EQ(clipBlob.text("displayName"), "Interview A");
    EXPECT_EQ(clipBlob.text("clippedRange"), "{12000/2400,24000/2400}");
    EXPECT_TRUE(booleanOf(clipBlob.value("playEnable")));
    EXPECT_EQ(Blob(store(), items[1]).text("displayName"), "Gap");
    EXPECT_EQ(Blob(store(), items[1]).text("clippedRange"), "{0/2400,7200/2400}");

    // Titles and generators differ in their generator object's "effectType".
    const auto titleEffect = store().related(title.pk(), "generator").at(0);
    EXPECT_EQ(Blob(store(), titleEffect).text("effectType"), "effect.video.title");
    EXPECT_EQ(Blob(store(), store().related(items[3], "generator").at(0)).text("effectType"), "effect.video.generator");
}

TEST_F(TimelineBuilderTest, StoredOrderCanDifferFromTheRowsOrBeMissing) {
    auto reordered = event.sequence("Reordered");
    const auto a = reordered.clip("A", 0.0, 1.0);
    const auto b = reordered.clip("B", 0.0, 1.0);
    const auto c = reordered.clip("C", 0.0, 1.0);
    reordered.storeOrder({c, a});
    auto unordered = event.sequence("Unordered");
    unordered.clip("D", 0.0, 1.0);
    unordered.omitStoredOrder();

    EXPECT_EQ(Blob(store(), reordered.groupPK()).identifiers(),
              (std::vector<std::string>{c.identifier(), a.identifier()}));
    EXPECT_EQ(store().children(reordered.groupPK()), (std::vector<std::int64_t>{a.pk(), b.pk(), c.pk()}));
    EXPECT_EQ(store().blob(unordered.groupPK()), std::nullopt);
    EXPECT_EQ(store().count("SELECT COUNT(*) FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?", {unordered.groupPK()}), 1);
}

TEST_F(TimelineBuilderTest, MarkersCarryTheirKindCompletionNoteAndPlace) {
    auto timeline = event.sequence("Main Edit");
    const auto clip = timeline.clip("Interview A", 10.0, 20.0);
    const auto todo = clip.addMarker("@Anna fix the colour", MarkerType::todo, 1.0, {.completed = true});
    const auto open = clip.addMarker("Open", MarkerType::todo, 2.5, {.completed = false, .completionKey = "checked"});
    const auto chapter = clip.addMarker("Act One", MarkerType::chapter, 0.0, {.chapterNote = "Opening"});
    const auto standard = clip.addMarker("Note", MarkerType::standard, 3.0);

    EXPECT_EQ(store().related(clip.pk(), "anchoredItems"),
              (std::vector<std::int64_t>{todo.pk(), open.pk(), chapter.pk(), standard.pk()}));
    EXPECT_EQ(store().info(todo.pk()).type, "FFAnchoredTimeMarker");
    const Blob todoBlob(store(), todo.pk());
    EXPECT_EQ(todoBlob.text("displayName"), "@Anna fix the colour");
    EXPECT_EQ(todoBlob.text("clippedRange"), "{26400/2400,100/2400}");
    EXPECT_TRUE(booleanOf(todoBlob.value("isTodo")));
    EXPECT_TRUE(booleanOf(todoBlob.value("isCompleted")));
    EXPECT_FALSE(todoBlob.has("isChapter"));

    const Blob openBlob(store(), open.pk());
    EXPECT_FALSE(booleanOf(openBlob.value("checked")));
    EXPECT_FALSE(openBlob.has("isCompleted"));
    EXPECT_EQ(openBlob.text("clippedRange"), "{30000/2400,100/2400}");

    const Blob chapterBlob(store(), chapter.pk());
    EXPECT_TRUE(booleanOf(chapterBlob.value("isChapter")));
    EXPECT_FALSE(chapterBlob.has("isTodo"));
    EXPECT_EQ(stringOf(chapterBlob.view().value(chapterBlob.value("metadata"), "notes")), "Opening");

    const Blob standardBlob(store(), standard.pk());
    EXPECT_FALSE(standardBlob.has("isTodo") || standardBlob.has("isChapter") || standardBlob.has("metadata"));
}

TEST_F(TimelineBuilderTest, ConnectedItemsCarryLaneAndAnchorPairInTheirParentsTime) {
    auto timeline = event.sequence("Main Edit");
    const auto clip = timeline.clip("Interview A", 5.0, 20.0);
    const auto broll = clip.connected("B-roll", 4.0, 12.0, 3.0).role("anna.anna-1");
    const auto music = clip.connect(-1, 0.0).clip("Score", 0.0, 20.0);
    const auto storyline = clip.connect(2, 1.0).storyline();
    const auto first = storyline.clip("First", 0.0, 2.0);
    const auto audition = clip.connect(3, 2.0).audition();
    audition.active().clip("Take 3", 6.0, 1.0);
    audition.alternatives().clip("Take 1", 0.0, 1.0);

    const auto anchored = store().related(clip.pk(), "anchoredItems");
    ASSERT_EQ(anchored.size(), 4u);
    const Blob brollBlob(store(), broll.pk());
    EXPECT_EQ(integerOf(brollBlob.value("anchoredLane")), 1);
    // {own start 12 s, the point 4 s after the parent's start at 5 s}
    EXPECT_EQ(brollBlob.text("anchorPair"), "{28800/2400,21600/2400}");
    EXPECT_EQ(brollBlob.text("roleUID"), "anna.anna-1");
    EXPECT_EQ(integerOf(Blob(store(), music.pk()).value("anchoredLane")), -1);

    const Blob storylineBlob(store(), anchored[2]);
    EXPECT_EQ(store().info(anchored[2]).type, "FFAnchoredCollection");
    EXPECT_FALSE(storylineBlob.has("clippedRange"));
    EXPECT_EQ(storylineBlob.text("anchorPair"), "{0/2400,14400/2400}");
    EXPECT_EQ(store().related(anchored[2], "containedItems"), std::vector<std::int64_t>{first.pk()});
    EXPECT_FALSE(Blob(store(), first.pk()).has("anchorPair"));

    // An audition is anchored from its active pick's start.
    const Blob stackBlob(store(), audition.pk());
    EXPECT_EQ(store().info(audition.pk()).type, "FFAnchoredStack");
    EXPECT_EQ(stackBlob.text("anchorPair"), "{14400/2400,16800/2400}");
    EXPECT_EQ(integerOf(stackBlob.value("anchoredLane")), 3);
    EXPECT_EQ(Blob(store(), store().related(audition.pk(), "activeVariant").at(0)).text("displayName"), "Take 3");
    EXPECT_EQ(store().related(audition.pk(), "variants").size(), 1u);
}

TEST_F(TimelineBuilderTest, CompoundAndMulticamClipsReferToTheirSequencesByMediaIdentifier) {
    auto timeline = event.sequence("Main Edit");
    const auto compound = timeline.compound("Scene 4", 0.0, 6.0);
    const auto inner = compound.inner().clip("Wide", 0.0, 3.0);
    auto multicam = event.multicam("Interview MC", 60.0);
    const auto angleA = multicam.angle("Cam A", "ANGLE-A");
    angleA.clip("A001", 0.0, 60.0);
    multicam.angle("Cam B", "ANGLE-B");
    const auto mcClip = timeline.multicam("Interview MC", multicam, 10.0, 5.0, "ANGLE-B", {"ANGLE-A"});

    const auto clipRef = store().related(compound.pk(), "media").at(0);
    EXPECT_EQ(store().info(clipRef).type, "FFClipRef");
    EXPECT_EQ(Blob(store(), clipRef).text("mediaIdentifier"),
              Blob(store(), compound.inner().sequencePK()).text("mediaIdentifier"));
    EXPECT_EQ(store().related(compound.inner().primaryItem().pk(), "containedItems"),
              std::vector<std::int64_t>{inner.pk()});

    // sequence > primaryObject > first item > containedItems > first item (a gap) > anchoredItems: the angles.
    const auto mcPrimary = store().related(multicam.sequencePK(), "primaryObject").at(0);
    const auto base = store().related(mcPrimary, "containedItems").at(0);
    const auto angles = store().related(base, "anchoredItems");
    EXPECT_EQ(types(angles), (std::vector<std::string>{"FFAnchoredAngle", "FFAnchoredAngle"}));
    EXPECT_EQ(Blob(store(), angles[1]).text("angleID"), "ANGLE-B");
    EXPECT_EQ(store().related(angles[0], "containedItems").size(), 1u);

    const Blob mcBlob(store(), mcClip.pk());
    EXPECT_EQ(mcBlob.text("videoAngle"), "ANGLE-B");
    EXPECT_EQ(stringOf(mcBlob.view().arrayElements(mcBlob.value("audioAngles")).at(0)), "ANGLE-A");
    EXPECT_EQ(Blob(store(), store().related(mcClip.pk(), "media").at(0)).text("mediaIdentifier"),
              multicam.mediaIdentifier());
}

TEST_F(TimelineBuilderTest, ClipsReferToTheirAssetsAndChannelRoles) {
    auto timeline = event.sequence("Main Edit");
    const auto first = timeline.clip("Interview A", 0.0, 5.0);
    const auto again = timeline.clip("Interview A", 5.0, 5.0);
    const auto synced = timeline.clip("Sync", 0.0, 5.0, {.synchronized = true});
    timeline.clip("Silent", 0.0, 5.0, {.media = false}).audioChannelRole("dialogue.dialogue-2", "3");

    const auto assets = store().collectionsOfType("FFAsset");
    ASSERT_EQ(assets.size(), 2u);
    const Blob asset(store(), assets[0]);
    EXPECT_EQ(asset.text("displayName"), "Interview A");
    EXPECT_EQ(asset.text("timecodeFrameDuration"), "100/2400");
    for (const auto clip : {first.pk(), again.pk()}) {
        EXPECT_EQ(Blob(store(), store().related(clip, "media").at(0)).text("mediaIdentifier"),
                  asset.text("mediaIdentifier"));
    }
    EXPECT_EQ(store().info(synced.pk()).type, "FFAnchoredCollection");
    EXPECT_TRUE(booleanOf(Blob(store(), synced.pk()).value("isSyncronized")));
    EXPECT_EQ(store().related(synced.pk(), "containedItems").size(), 2u);

    const auto silent = store().related(timeline.primaryItem().pk(), "containedItems").back();
    EXPECT_EQ(store().childNamed(silent, "media"), std::nullopt);
    const auto layout = store().related(silent, "audioComponentsLayoutMap").at(0);
    EXPECT_EQ(store().info(layout).type, "FFMutableAudioClipComponentsLayoutItem");
    const Blob layoutBlob(store(), layout);
    EXPECT_EQ(layoutBlob.text("roleUID"), "dialogue.dialogue-2");
    EXPECT_EQ(stringOf(layoutBlob.view().arrayElements(layoutBlob.value("channelMap")).at(0)), "3");
}

TEST_F(TimelineBuilderTest, RoleSetIsANestedArchiveInTheProjectBlob) {
    RoleSetBuilder& roles = event.roles();
    roles.role("anna", "Anna").subRole("anna.anna-1", "Anna-1");
    roles.role("unnamed", std::nullopt).subRoleUID("loose-uid");
    roles.setFormat(PlistFormat::xml);

    const Blob project(store(), event.project());
    const Bytes inner = dataOf(project.value("roleSetData"));
    EXPECT_FALSE(isBinaryPlist(inner));
    const ArchiveView archive(inner);
    EXPECT_EQ(archive.className(archive.root()), "FFRoleSet");
    const auto topLevel = archive.arrayElements(archive.resolve(item(archive.root(), "roles")));
    ASSERT_EQ(topLevel.size(), 2u);

    plist_t anna = topLevel[0];
    EXPECT_EQ(archive.className(anna), "FFRole");
    EXPECT_EQ(stringOf(archive.resolve(item(anna, "uuid"))), "anna");
    EXPECT_EQ(stringOf(archive.resolve(item(anna, "name"))), "Anna");
    plist_t sub = archive.arrayElements(archive.resolve(item(anna, "subRoles"))).at(0);
    EXPECT_EQ(stringOf(archive.resolve(item(sub, "uuid"))), "anna.anna-1");
    EXPECT_EQ(stringOf(archive.resolve(item(sub, "name"))), "Anna-1");

    plist_t unnamed = topLevel[1];
    EXPECT_EQ(item(unnamed, "name"), nullptr);
    EXPECT_EQ(stringOf(archive.arrayElements(archive.resolve(item(unnamed, "subRoles"))).at(0)), "loose-uid");
}

TEST_F(TimelineBuilderTest, EffectsAndOddBlobsAreWrittenAsAsked) {
    auto timeline = event.sequence("Main Edit");
    const auto clip = timeline.clip("Interview A", 0.0, 10.0)
                          .retime({.speedPercent = 50, .timeMap = {{.timelineTime = 2.0, .sourceSeconds = 1.0}}})
                          .transform({.positionX = 12.5, .scaleX = 0.5})
                          .disabled();
    const auto xml = timeline.clip("XML", 0.0, 1.0).blobFormat(PlistFormat::xml);
    const auto raw = timeline.clip("Raw", 0.0, 1.0).blob(bytesOf("not a property list"));
    const auto odd = timeline.clip("Odd", 0.0, 1.0).attribute("anchoredLane", 999999).removeAttribute("clippedRange");

    const auto effects = store().related(clip.pk(), "effects");
    EXPECT_EQ(types(effects), (std::vector<std::string>{"FFRetimingVideoEffect", "FFHeXForm3DEffect"}));
    const auto retime = dataOf(Blob(store(), effects[0]).value("channelData"));
    const std::string retimeXML(retime.begin(), retime.end());
    EXPECT_NE(retimeXML.find("<parameter name=\"Speed\" id=\"2\" flags=\"0\"><curve type=\"1\" default=\"100\" "
                             "value=\"50\"/>"),
              std::string::npos);
    EXPECT_NE(retimeXML.find("<time>4800 2400 1 0</time><value>1</value>"), std::string::npos);
    const auto transform = dataOf(Blob(store(), effects[1]).value("channelData"));
    const std::string transformXML(transform.begin(), transform.end());
    EXPECT_NE(transformXML.find("<parameter name=\"Scale X\" id=\"11\" flags=\"0\"><curve type=\"1\" default=\"1\" "
                                "value=\"0.5\"/>"),
              std::string::npos);
    EXPECT_NE(transformXML.find("value=\"12.5\""), std::string::npos);
    EXPECT_FALSE(booleanOf(Blob(store(), clip.pk()).value("playEnable")));

    EXPECT_FALSE(isBinaryPlist(*store().blob(xml.pk())));
    EXPECT_EQ(Blob(store(), xml.pk()).text("displayName"), "XML");
    EXPECT_EQ(store().blob(raw.pk()), bytesOf("not a property list"));
    EXPECT_EQ(integerOf(Blob(store(), odd.pk()).value("anchoredLane")), 999999);
    EXPECT_FALSE(Blob(store(), odd.pk()).has("clippedRange"));
}

TEST(EventBuilder, WritesXMLBlobsForAWholeEventOnRequest) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature", {.eventDefaults = {.blobFormat = PlistFormat::xml}});
    library.event("Day 1").sequence("Main Edit").clip("A", 0.0, 1.0);
    const StoreReader store(library.finish() / "Day 1" / "CurrentVersion.fcpevent");
    for (const auto& row : store.rows("SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD")) {
        EXPECT_FALSE(isBinaryPlist(std::get<Bytes>(row.at(0))));
    }
}

}  // namespace
}  // namespace quillo::testing
