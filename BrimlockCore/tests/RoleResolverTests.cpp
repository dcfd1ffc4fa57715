#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Database/RoleResolver.h"

#include "testing/KeyedArchiveWriter.h"
#include "testing/LibraryBuilder.h"
#include "testing/Projected.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using brimlock::RoleInfo;
using brimlock::RoleResolver;
using namespace quillo::testing;

namespace {

RoleResolver loaded(const RoleSetBuilder& set) {
    RoleResolver resolver;
    resolver.loadRoleSet(set.archive());
    return resolver;
}

std::vector<std::string> names(const std::vector<RoleInfo>& roles) { return projected(roles, &RoleInfo::name); }

}  // namespace

TEST(RoleResolver, SubRolesResolveToTheirOwnNameElseTheirParents) {
    RoleSetBuilder set;
    auto anna = set.role("anna", "Anna");
    anna.subRole("anna.1", "Anna-1");
    anna.subRole("anna.2", std::nullopt);
    anna.subRoleUID("anna.bare");
    const RoleResolver resolver = loaded(set);

    EXPECT_EQ(resolver.resolve("anna"), "Anna");
    EXPECT_EQ(resolver.resolve("anna.1"), "Anna-1");
    EXPECT_EQ(resolver.resolve("anna.2"), "Anna");
    EXPECT_EQ(resolver.resolve("anna.bare"), "Anna");
    EXPECT_EQ(resolver.resolve("nobody"), std::nullopt);

    EXPECT_EQ(resolver.topLevelUID("anna.1"), "anna");
    EXPECT_EQ(resolver.topLevelUID("anna.bare"), "anna");
    EXPECT_EQ(resolver.topLevelUID("anna"), "anna");
    EXPECT_EQ(resolver.topLevelUID("nobody"), std::nullopt);

    // Only defined, named sub-roles are listed.
    EXPECT_EQ(resolver.subRoles("anna"), (std::vector<RoleInfo>{{"anna.1", "Anna-1"}}));
    EXPECT_EQ(names(resolver.topLevelRoles()), std::vector<std::string>{"Anna"});
}

TEST(RoleResolver, NullNamesEmptyNamesAndSelfReferences) {
    RoleSetBuilder set;
    set.role("ghost", "$null");
    auto parent = set.role("p", "Parent");
    parent.subRole("p.null", "$null");
    set.role("empty", "");
    set.role("self", "Self").subRoleUID("self");
    const RoleResolver resolver = loaded(set);

    EXPECT_EQ(resolver.resolve("ghost"), std::nullopt);
    EXPECT_EQ(resolver.topLevelUID("ghost"), "ghost");
    EXPECT_EQ(resolver.resolve("p.null"), "Parent");
    EXPECT_EQ(resolver.resolve("empty"), "");
    EXPECT_EQ(resolver.topLevelUID("self"), "self");
    EXPECT_TRUE(resolver.subRoles("self").empty());
    // The empty name sorts first; unnamed roles are not listed.
    EXPECT_EQ(names(resolver.topLevelRoles()), (std::vector<std::string>{"", "Parent", "Self"}));
}

TEST(RoleResolver, OnlyOneStepUpIsTaken) {
    RoleSetBuilder set;
    auto top = set.role("top", "Top");
    auto middle = top.subRole("mid", std::nullopt);
    middle.subRole("deep", std::nullopt);
    const RoleResolver resolver = loaded(set);

    EXPECT_EQ(resolver.topLevelUID("deep"), "mid");
    EXPECT_EQ(resolver.resolve("deep"), std::nullopt);  // the middle role has no name
    EXPECT_EQ(resolver.resolve("mid"), "Top");
}

TEST(RoleResolver, ListingsSortByCodePointsOfCanonicalForms) {
    RoleSetBuilder set;
    set.role("1", "b");
    set.role("2", "B");
    set.role("3", "a");
    set.role("4", "e\xCC\x81");  // é decomposed sorts as the precomposed U+00E9, after "z"
    set.role("5", "z");
    EXPECT_EQ(names(loaded(set).topLevelRoles()), (std::vector<std::string>{"B", "a", "b", "z", "e\xCC\x81"}));
}

TEST(RoleResolver, ObjectsThatAreNoRolesAreSkipped) {
    RoleSetBuilder set;
    set.role("real", "Real");
    set.addObject(ArchiveValue::object("FFRole", {{"uuid", "no-name-no-subroles"}}));
    set.addObject(ArchiveValue::object("FFRole", {{"uuid", 42}, {"name", "Numbered"}}));
    set.addObject(
        ArchiveValue::object("FFRole", {{"uuid", ArchiveValue::mutableString("mutable")}, {"name", "Mutable"}}));
    const RoleResolver resolver = loaded(set);

    EXPECT_EQ(resolver.resolve("real"), "Real");
    EXPECT_EQ(resolver.topLevelUID("no-name-no-subroles"), std::nullopt);
    EXPECT_EQ(resolver.resolve("42"), std::nullopt);
    EXPECT_EQ(resolver.resolve("mutable"), "Mutable");  // NS.string objects read as text
}

TEST(RoleResolver, SelfReferencingArchivesEndQuickly) {
    // One map whose hundred values all point back at it: expanded per path, without the memo, this
    // would never end.
    KeyedArchiveWriter writer;
    writer.setRoot(ArchiveValue("root"));
    const auto loop = writer.reserve();
    PlistValue::Dictionary entries{{"uuid", PlistValue::string("loop")}, {"name", PlistValue::string("Loop")}};
    for (int i = 0; i < 100; ++i) entries.emplace_back("k" + std::to_string(i), PlistValue::uid(loop));
    writer.replace(loop, PlistValue::dictionary(entries));
    RoleResolver resolver;
    resolver.loadRoleSet(writer.bytes());
    EXPECT_EQ(resolver.resolve("loop"), "Loop");
}

TEST(RoleResolver, UnreadableRoleSetsAddNothing) {
    RoleResolver resolver;
    resolver.loadRoleSet(bytesOf("not a property list"));
    resolver.loadRoleSet(PlistValue::array({}).serialize());
    resolver.loadRoleSet(PlistValue::dictionary({{"$objects", PlistValue::array({})}}).serialize());
    EXPECT_TRUE(resolver.topLevelRoles().empty());
}

TEST(RoleResolver, LoadsFromEventDatabasesAndLaterDefinitionsWin) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Roles");
    auto& first = library.event("First");
    first.roles().role("shared", "Old Name").subRole("shared.a", "A");
    auto& second = library.event("Second", EventOptions{.blobFormat = PlistFormat::xml});
    second.roles().role("shared", "New Name").subRole("shared.b", "B");
    library.unreadableEvent("Broken");
    library.finish();

    RoleResolver resolver;
    {
        brimlock::FCPDatabaseConnection db((library.bundlePath() / "First" / "CurrentVersion.fcpevent").string());
        resolver.loadRoles(db);
    }
    {
        brimlock::FCPDatabaseConnection db((library.bundlePath() / "Second" / "CurrentVersion.fcpevent").string());
        resolver.loadRoles(db);
    }
    EXPECT_EQ(resolver.resolve("shared"), "New Name");
    EXPECT_EQ(resolver.topLevelUID("shared.a"), "shared");  // relations of both loads remain
    EXPECT_EQ(resolver.topLevelUID("shared.b"), "shared");

    RoleResolver whole;
    whole.loadAllRoles(library.bundlePath());
    EXPECT_EQ(whole.topLevelUID("shared.a"), "shared");
    EXPECT_EQ(whole.topLevelUID("shared.b"), "shared");
    EXPECT_THROW(whole.loadAllRoles(dir.path() / "missing.fcpbundle"), std::filesystem::filesystem_error);

    whole.clear();
    EXPECT_EQ(whole.resolve("shared"), std::nullopt);
}

TEST(RoleResolver, AMissingProjectTableIsAQueryFailure) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Broken");
    const auto eventFolder = library.folder("Event");
    library.finish();
    const auto path = eventFolder / "CurrentVersion.fcpevent";
    {
        // An SQLite file without the event tables.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE other (x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    brimlock::FCPDatabaseConnection connection(path.string());
    RoleResolver resolver;
    try {
        resolver.loadRoles(connection);
        FAIL() << "expected a query failure";
    } catch (const brimlock::FCPDatabaseError& error) {
        EXPECT_EQ(error.kind(), brimlock::FCPDatabaseError::Kind::queryFailed);
        EXPECT_EQ(std::string(error.what()), "Query failed: no such table: ZCOLLECTION");
    }
}
