#pragma once

#include "testing/ArchiveValue.h"
#include "testing/AssetDescription.h"
#include "testing/EventDatabase.h"
#include "testing/IdentifierGenerator.h"
#include "testing/PlistValue.h"
#include "testing/RoleSetBuilder.h"
#include "testing/SequenceOptions.h"
#include "testing/Time.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillo::testing {

class MulticamBuilder;
class TimelineBuilder;

struct EventOptions {
    PlistFormat blobFormat = PlistFormat::binary;
    // The project-data root with its sets of items and assets and the event project. Without it the
    // store holds the schema, the catalog and only what the test adds.
    bool projectStructure = true;
};

// One event's database as an object graph. Each object is a ZCOLLECTION row with a generated
// identifier and a ZNAME of NULL; it hangs below its parent through a grouping collection whose ZNAME
// is the relation ("primaryObject", "containedItems", "anchoredItems", "media", "activeVariant", ...)
// and whose ZTYPE is "NSSet" for "items", "assets" and "anchoredItems", else "NSArray". Rows and
// links are written at once, in call order, so keys rise in the order objects are made and a
// parent's children come back in that order.
//
// Blobs are written by finish(): an object's blob archives its attribute dictionary, a grouping
// collection's blob archives {"identifiers": [...]} with its children's identifiers in order (the
// storyline order readers take from "containedItems").
//
// The event structure: "FFMediaEventProjectData" (the root) > "items" (NSSet: sequences) and
// "assets" (NSSet: "FFAsset" objects) and "project" > "FFMediaEventProject" (whose blob carries the
// role set under "roleSetData").
class EventBuilder {
public:
    static constexpr const char* kDatabaseFileName = "CurrentVersion.fcpevent";

    // Creates `eventFolder` (and its parents) and the database in it.
    EventBuilder(const std::filesystem::path& eventFolder, std::string name, std::uint64_t seed,
                 EventOptions options = {});
    ~EventBuilder();  // finishes if needed; errors are swallowed
    EventBuilder(const EventBuilder&) = delete;
    EventBuilder& operator=(const EventBuilder&) = delete;

    const std::string& name() const noexcept { return name_; }
    const std::filesystem::path& databasePath() const noexcept { return database_.path(); }
    // Raw rows beside the graph. Keys are shared with it.
    EventDatabase& database();
    IdentifierGenerator& identifiers() noexcept { return identifiers_; }

    // --- the object graph ---
    // An object linked to nothing.
    std::int64_t addObject(std::string type, ArchiveValue::Entries attributes = {});
    // The grouping collection of `relation` below `parent`, made on first use.
    std::int64_t relation(std::int64_t parent, std::string_view relation);
    std::int64_t addChild(std::int64_t parent, std::string_view relation, std::string type,
                          ArchiveValue::Entries attributes = {});
    // A further Z_3CHILDCOLLECTIONS row; a grouping collection lists the child in its blob too.
    void link(std::int64_t parent, std::int64_t child);

    const ArchiveValue::Entries& attributes(std::int64_t object) const;
    void setAttribute(std::int64_t object, std::string key, ArchiveValue value);
    void removeAttribute(std::int64_t object, std::string_view key);
    // The metadata row written instead of the archive: other bytes, NULL, or no row.
    void setBlob(std::int64_t collection, EventDatabase::Blob blob);
    void setBlobFormat(std::int64_t collection, PlistFormat format);
    // The identifiers a grouping collection's blob lists, instead of its children's.
    void setStoredOrder(std::int64_t group, std::vector<std::string> identifiers);

    void setIdentifier(std::int64_t collection, const std::optional<std::string>& identifier);
    std::optional<std::string> identifier(std::int64_t collection) const;
    const std::vector<std::int64_t>& children(std::int64_t collection) const;
    // Where an object's own time starts (its "clippedRange" start); connections and markers count from it.
    Time sourceStart(std::int64_t object) const;
    void setSourceStart(std::int64_t object, Time start);

    // --- the event structure (throws when made without it) ---
    std::int64_t projectData() const;
    std::int64_t project() const;
    RoleSetBuilder& roles() noexcept { return roles_; }
    AssetRef asset(AssetDescription description);
    // The asset of that name, made with default settings on first use.
    AssetRef assetNamed(const std::string& name);

    // --- timelines (see TimelineBuilder) ---
    TimelineBuilder sequence(std::string name, SequenceOptions options = {});
    MulticamBuilder multicam(std::string name, Time duration = 3600.0);

    // Writes every blob and commits. Nothing may change afterwards.
    void finish();
    bool isFinished() const noexcept { return finished_; }

private:
    struct Record {
        bool isGroup = false;
        ArchiveValue::Entries attributes;
        std::optional<EventDatabase::Blob> blob;
        PlistFormat format = PlistFormat::binary;
        std::vector<std::int64_t> children;
        std::optional<std::vector<std::string>> storedOrder;
        std::map<std::string, std::int64_t, std::less<>> relations;
        Time sourceStart = 0.0;
    };

    Record& record(std::int64_t collection);
    const Record& record(std::int64_t collection) const;
    void requireOpen() const;
    Bytes blobBytes(const Record& record) const;

    std::string name_;
    EventOptions options_;
    IdentifierGenerator identifiers_;
    EventDatabase database_;
    std::map<std::int64_t, Record> records_;
    std::unordered_map<std::string, AssetRef> assetsByName_;
    RoleSetBuilder roles_;
    std::optional<std::int64_t> projectData_;
    std::optional<std::int64_t> project_;
    bool finished_ = false;
};

}  // namespace quillo::testing
