#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"

#include "testing/LibraryBuilder.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <set>

using namespace brimlock;
using namespace quillo::testing;
namespace fs = std::filesystem;

namespace {

// A plain SQLite file written by the test, for statements no event store would hold.
fs::path writeDatabase(const fs::path& path, const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

}  // namespace

TEST(FCPDatabaseConnection, FailsToOpenWhatIsNoDatabase) {
    TemporaryDirectory dir;
    const auto missing =
        thrownBy<FCPDatabaseError>([&] { FCPDatabaseConnection((dir.path() / "none.fcpevent").string()); });
    EXPECT_EQ(missing.kind(), FCPDatabaseError::Kind::connectionFailed);
    EXPECT_EQ(std::string(missing.what()).rfind("Failed to open FCP database: ", 0), 0u);

    // Immutable opens succeed on any file; a file that is not SQLite fails at the first statement.
    std::ofstream(dir.path() / "text.fcpevent") << "This is not an SQLite database, just some text padding it out.";
    FCPDatabaseConnection text((dir.path() / "text.fcpevent").string());
    const auto notADatabase = thrownBy<FCPDatabaseError>([&] { text.fetchCollections("FFAsset"); });
    EXPECT_EQ(notADatabase.kind(), FCPDatabaseError::Kind::queryFailed);
    EXPECT_EQ(std::string(notADatabase.what()), "Query failed: file is not a database");
    EXPECT_EQ(text.pkForIdentifier("x"), std::nullopt);
    EXPECT_EQ(text.childPK(1, "primaryObject"), std::nullopt);
}

TEST(FCPDatabaseConnection, RowsMapColumnNamesToTypedValues) {
    TemporaryDirectory dir;
    const auto path = writeDatabase(dir.path() / "values.db",
                                    "CREATE TABLE t (i INTEGER, r REAL, s TEXT, b BLOB, n, z BLOB);"
                                    "INSERT INTO t VALUES (7, 1.5, 'caf\xC3\xA9', x'0102', NULL, x'');"
                                    "INSERT INTO t VALUES (-1, 0.0, CAST(x'61FF62' AS TEXT), NULL, 3, NULL);");
    FCPDatabaseConnection db(path.string());
    const auto rows = db.query("SELECT i, r, s, b, n, z FROM t WHERE i > ? OR s = ? ORDER BY i DESC",
                               {std::int64_t{-5}, std::string("unused")});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::get<std::int64_t>(rows[0].at("i")), 7);
    EXPECT_EQ(std::get<double>(rows[0].at("r")), 1.5);
    EXPECT_EQ(std::get<std::string>(rows[0].at("s")), "caf\xC3\xA9");
    EXPECT_EQ(std::get<Data>(rows[0].at("b")), (Data{1, 2}));
    EXPECT_FALSE(rows[0].contains("n"));
    EXPECT_FALSE(rows[0].contains("z"));  // a zero-length blob is absent
    EXPECT_EQ(std::get<std::string>(rows[1].at("s")),
              "a\xEF\xBF\xBD"
              "b");  // ill-formed text becomes U+FFFD

    // Two columns of one name: the later wins, even when it is NULL.
    const auto same = db.query("SELECT i AS x, s AS x FROM t WHERE i = 7");
    EXPECT_EQ(std::get<std::string>(same[0].at("x")), "caf\xC3\xA9");
    const auto nulled = db.query("SELECT i AS x, n AS x FROM t WHERE i = 7");
    EXPECT_FALSE(nulled[0].contains("x"));

    EXPECT_EQ(thrownBy<FCPDatabaseError>([&] { db.query("SELECT nope FROM t"); }).kind(),
              FCPDatabaseError::Kind::queryFailed);
    EXPECT_EQ(thrownBy<FCPDatabaseError>([&] { db.query(""); }).kind(), FCPDatabaseError::Kind::queryFailed);
}

TEST(FCPDatabaseConnection, ACorruptPageFailsTheQueryInsteadOfTruncatingIt) {
    TemporaryDirectory dir;
    std::string sql =
        "PRAGMA page_size=1024; CREATE TABLE Z_3CHILDCOLLECTIONS (Z_3PARENTCOLLECTIONS INTEGER, "
        "Z_3CHILDCOLLECTIONS INTEGER, pad TEXT); BEGIN;";
    for (int i = 0; i < 2000; ++i)
        sql +=
            "INSERT INTO Z_3CHILDCOLLECTIONS VALUES (1, " + std::to_string(i) + ", '" + std::string(100, 'x') + "');";
    sql += "COMMIT;";
    const auto path = writeDatabase(dir.path() / "corrupt.db", sql);
    const std::string children =
        "SELECT Z_3CHILDCOLLECTIONS AS child FROM Z_3CHILDCOLLECTIONS WHERE Z_3PARENTCOLLECTIONS = 1";
    {
        FCPDatabaseConnection intact(path.string());
        EXPECT_EQ(intact.childPKs(1)->size(), 2000u);
        EXPECT_EQ(intact.query(children).size(), 2000u);
    }
    // Scribble over a leaf page well inside the table.
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(1024 * 100);
        const std::string garbage(1024, '\xA5');
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    FCPDatabaseConnection damaged(path.string());
    const auto error = thrownBy<FCPDatabaseError>([&] { damaged.query(children); });
    EXPECT_EQ(error.kind(), FCPDatabaseError::Kind::queryFailed);
    EXPECT_EQ(std::string(error.what()), "Query failed: database disk image is malformed");
    // A child list that cannot be read is told apart from an empty one, and the kept statement was
    // reset: another parent's list fails the same way, not with a misuse error.
    EXPECT_FALSE(damaged.childPKs(1));
    EXPECT_FALSE(damaged.childPKs(2));
    EXPECT_EQ(damaged.resolveActivePick(1), std::nullopt);
    EXPECT_EQ(std::get<std::int64_t>(damaged.query("SELECT 1 AS one").at(0).at("one")), 1);
}

TEST(FCPDatabaseConnection, FixedQueriesOverAnEventStore) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Fixed");
    auto& event = library.event("Event");
    auto& rows = event.database();
    const auto parent = rows.addCollection({.type = "FFAnchoredStack", .identifier = "STACK", .name = "item"});
    const auto variant = rows.addCollection({.type = "NSArray", .name = "activeVariant"});
    const auto pick = rows.addCollection({.type = "FFAnchoredClip", .identifier = "PICK", .blob = Bytes{}});
    const auto other = rows.addCollection({.type = "FFAnchoredClip", .identifier = "OTHER", .blob = Bytes{9, 8}});
    rows.link(parent, variant);
    rows.link(variant, pick);
    rows.link(variant, other);
    const auto emptyStack = rows.addCollection({.type = "FFAnchoredStack"});
    const auto emptyVariant = rows.addCollection({.type = "NSArray", .name = "activeVariant"});
    rows.link(emptyStack, emptyVariant);
    library.finish();

    FCPDatabaseConnection db(event.databasePath().string());
    EXPECT_EQ(db.childPK(parent, "activeVariant"), variant);
    EXPECT_EQ(db.childPK(parent, "missing"), std::nullopt);
    const auto picks = db.childPKs(variant);
    ASSERT_TRUE(picks);
    EXPECT_EQ(std::vector<std::int64_t>(picks->begin(), picks->end()), (std::vector<std::int64_t>{pick, other}));
    ASSERT_TRUE(db.childPKs(pick));
    EXPECT_TRUE(db.childPKs(pick)->empty());
    EXPECT_EQ(db.resolveActivePick(parent), pick);
    EXPECT_EQ(db.resolveActivePick(emptyStack), std::nullopt);
    EXPECT_EQ(db.resolveActivePick(pick), std::nullopt);
    EXPECT_EQ(db.pkForIdentifier("OTHER"), other);
    EXPECT_EQ(db.pkForIdentifier("nobody"), std::nullopt);

    const auto* info = db.collectionInfo(parent);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->type, "FFAnchoredStack");
    EXPECT_EQ(info->identifier, "STACK");
    EXPECT_EQ(info->name, "item");
    const auto* none = db.collectionInfo(999999);
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(none->type || none->identifier || none->name);

    EXPECT_EQ(db.fetchBlob(other), (Data{9, 8}));
    EXPECT_EQ(db.fetchBlob(pick), std::nullopt);  // zero-length blob
    EXPECT_EQ(db.fetchBlob(999999), std::nullopt);

    const auto clips = db.fetchCollections("FFAnchoredClip");
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0].pk, pick);
    EXPECT_EQ(clips[0].identifier, "PICK");
    EXPECT_FALSE(clips[0].blob);
    EXPECT_EQ(clips[1].blob, (Data{9, 8}));
}

namespace {

// Every lookup the collection index takes over, asked of a connection that queries and of one that
// answers from an index, for every key the store holds and its neighbours. The index is read by
// another connection, gone by then, as the scan's workers share one.
void expectIndexAnswersAsQueries(const fs::path& path) {
    FCPDatabaseConnection queried(path.string());
    FCPDatabaseConnection indexed(path.string());
    {
        FCPDatabaseConnection reader(path.string());
        ASSERT_TRUE(reader.loadCollectionIndex());
        indexed.useCollectionIndex(reader.collectionIndex());
    }

    std::set<std::int64_t> keys{-1, 0};
    for (const auto& row :
         queried.query("SELECT Z_PK AS k FROM ZCOLLECTION UNION SELECT Z_3PARENTCOLLECTIONS FROM "
                       "Z_3CHILDCOLLECTIONS UNION SELECT Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS")) {
        const auto* key = row.contains("k") ? std::get_if<std::int64_t>(&row.at("k")) : nullptr;
        if (key == nullptr) continue;
        keys.insert(*key);
        if (*key > std::numeric_limits<std::int64_t>::min()) keys.insert(*key - 1);
        if (*key < std::numeric_limits<std::int64_t>::max()) keys.insert(*key + 1);
    }
    const std::vector<std::string> names{"activeVariant", "anchoredItems", "media", "primaryObject", "",
                                         "twin",          "a\xEF\xBF\xBD"};
    for (const std::string type : {"FFAnchoredClip", "FFAnchoredSequence", "NSArray", "FFAsset", "none"}) {
        const auto rows = queried.fetchCollections(type);
        const auto fromIndex = indexed.fetchCollections(type);
        ASSERT_EQ(fromIndex.size(), rows.size()) << type;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(fromIndex[i].pk, rows[i].pk) << type << i;
            EXPECT_EQ(fromIndex[i].identifier, rows[i].identifier) << type << i;
            EXPECT_EQ(fromIndex[i].blob, rows[i].blob) << type << i;
        }
    }
    for (const std::int64_t pk : keys) {
        SCOPED_TRACE(pk);
        const auto* info = queried.collectionInfo(pk);
        const auto* fromIndex = indexed.collectionInfo(pk);
        ASSERT_NE(info, nullptr);
        ASSERT_NE(fromIndex, nullptr);
        EXPECT_EQ(fromIndex->type, info->type);
        EXPECT_EQ(fromIndex->identifier, info->identifier);
        EXPECT_EQ(fromIndex->name, info->name);
        const auto children = queried.childPKs(pk);
        const auto indexedChildren = indexed.childPKs(pk);
        ASSERT_TRUE(children);
        ASSERT_TRUE(indexedChildren);
        EXPECT_EQ(std::vector<std::int64_t>(indexedChildren->begin(), indexedChildren->end()),
                  std::vector<std::int64_t>(children->begin(), children->end()));
        for (const auto& name : names) EXPECT_EQ(indexed.childPK(pk, name), queried.childPK(pk, name)) << name;
        EXPECT_EQ(indexed.resolveActivePick(pk), queried.resolveActivePick(pk));
        EXPECT_EQ(indexed.fetchBlob(pk), queried.fetchBlob(pk));
        if (info->identifier) {
            EXPECT_EQ(indexed.pkForIdentifier(*info->identifier), queried.pkForIdentifier(*info->identifier));
        }
    }
}

}  // namespace

TEST(FCPDatabaseConnection, TheCollectionIndexAnswersAsTheQueriesDo) {
    TemporaryDirectory dir;
    // Odd rows a damaged or unusual store may hold: links stored out of child order, to missing rows,
    // with text or NULL keys, cycles, a child listed under two parents, two children of one name,
    // names that are blobs, an identifier held twice or holding a NUL, NULL columns.
    std::string sql;
    for (const auto& statement : quillo::testing::EventDatabase::schemaStatements()) sql += statement + ";";
    sql +=
        "INSERT INTO ZCOLLECTION (Z_PK, ZTYPE, ZIDENTIFIER, ZNAME) VALUES "
        "(1, 'FFAnchoredStack', 'S', 'item'), (2, 'NSArray', NULL, 'activeVariant'), "
        "(3, 'FFAnchoredClip', 'PICK', 'twin'), (4, 'FFAnchoredClip', 'PICK', 'twin'), "
        "(5, NULL, NULL, NULL), (6, 'NSSet', 'A', 'a'), (7, x'00', x'01', x'6D65646961'), "
        "(8, 'NSArray', 'B', 'activeVariant'), (10, 'FFAnchoredCollection', 'C', 'anchoredItems'), "
        "(11, 'FFAnchoredClip', 'D', 'media'), (40, 'FFAsset', 'E', 'primaryObject'), "
        "(12, 'NSSet', CAST(x'41004243' AS TEXT), NULL);"
        "INSERT INTO Z_3CHILDCOLLECTIONS (Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS) VALUES "
        "(1, 8), (1, 2), (2, 4), (2, 3), (2, 99), (1, 7), (6, 10), (10, 6), ('10', 11), (NULL, 3), "
        "(11, NULL), (11, 'x'), (40, 11), (40, 1), (3, 3), (8, 40), (0, 5);"
        "INSERT INTO ZCOLLECTIONMD (Z_PK, ZCOLLECTION, ZDICTIONARYDATA) VALUES "
        "(1, 4, x'0102'), (2, 3, x'03'), (3, 4, NULL), (4, 4, x'04'), (5, 11, x''), (6, '40', x'05'), "
        "(7, 99, x'06'), (8, NULL, x'07'), (9, 3, x'08'), (10, 1, 'text'), (11, 1, x'09');";
    expectIndexAnswersAsQueries(writeDatabase(dir.path() / "odd.fcpevent", sql));
    // Keys far apart are looked up another way than keys numbered without gaps.
    expectIndexAnswersAsQueries(writeDatabase(
        dir.path() / "far.fcpevent",
        sql + "INSERT INTO ZCOLLECTION (Z_PK, ZTYPE, ZNAME) VALUES (1099511627776, 'NSArray', 'activeVariant'), "
              "(-9223372036854775807, 'NSSet', 'media');"
              "INSERT INTO Z_3CHILDCOLLECTIONS VALUES (1099511627776, 4), (1, 1099511627776), "
              "(9223372036854775807, 2), (-9223372036854775807, 1099511627776);"));

    using Marker = quillo::testing::MarkerType;
    // A whole library as the fixture builder writes one: storylines, compound clips, an audition,
    // connected clips and markers.
    LibraryBuilder library(dir.path(), "Indexed");
    auto& event = library.event("Event");
    event.roles().addStandardRoles();
    auto edit = event.sequence("Edit", {.identifier = "T1"});
    edit.clip("Lead", 0.0, 10.0)
        .marker("lead", Marker::todo, 1.0)
        .connected("B-roll", 2.0, 0.0, 3.0)
        .role("video")
        .marker("b-roll", Marker::todo, 0.5);
    auto scene = edit.compound("Scene", 0.0, 4.0);
    scene.inner().clip("Inside", 0.0, 4.0).marker("inside", Marker::chapter, 1.5);
    const auto audition = edit.audition();
    audition.active().clip("Take", 0.0, 3.0).marker("take", Marker::todo, 0.5);
    audition.alternatives().clip("Other take", 0.0, 3.0);
    edit.gap(2.0).connected("Title", 0.5, 0.0, 1.0).role("titles");
    library.finish();
    expectIndexAnswersAsQueries(event.databasePath());
}

TEST(FCPDatabaseConnection, AnUnreadableStoreKeepsItsLookupsOnTheirQueries) {
    TemporaryDirectory dir;
    std::ofstream(dir.path() / "text.fcpevent") << "This is not an SQLite database, just some text padding it out.";
    FCPDatabaseConnection text((dir.path() / "text.fcpevent").string());
    EXPECT_FALSE(text.loadCollectionIndex());
    // Lookups that cannot be read answer so, unlike lookups that find nothing.
    EXPECT_FALSE(text.childPKs(1));
    EXPECT_EQ(text.collectionInfo(1), nullptr);
    EXPECT_EQ(text.fetchBlob(1), std::nullopt);
    EXPECT_EQ(thrownBy<FCPDatabaseError>([&] { text.fetchCollections("NSSet"); }).kind(),
              FCPDatabaseError::Kind::queryFailed);
}

// The queries compare texts as stored; an index holding them made well-formed could not, so a store
// with ill-formed text is not indexed.
TEST(FCPDatabaseConnection, AStoreHoldingIllFormedTextKeepsItsLookupsOnTheirQueries) {
    TemporaryDirectory dir;
    std::string sql;
    for (const auto& statement : quillo::testing::EventDatabase::schemaStatements()) sql += statement + ";";
    sql +=
        "INSERT INTO ZCOLLECTION (Z_PK, ZTYPE, ZIDENTIFIER, ZNAME) VALUES (1, 'NSSet', 'S', 'set'), "
        "(2, 'NSSet', CAST(x'50FF' AS TEXT), CAST(x'61FF' AS TEXT));"
        "INSERT INTO Z_3CHILDCOLLECTIONS VALUES (1, 2);";
    const auto path = writeDatabase(dir.path() / "text.fcpevent", sql);
    FCPDatabaseConnection db(path.string());
    EXPECT_FALSE(db.loadCollectionIndex());
    ASSERT_NE(db.collectionInfo(2), nullptr);
    EXPECT_EQ(db.collectionInfo(2)->name, "a\xEF\xBF\xBD");
    EXPECT_EQ(db.childPK(1, "a\xEF\xBF\xBD"), std::nullopt);
    EXPECT_EQ(db.pkForIdentifier("P\xEF\xBF\xBD"), std::nullopt);
}

// A metadata row owned by a text could still match a key bound as text; the index files blobs
// under integer keys only.
TEST(FCPDatabaseConnection, AStoreWhoseMetadataIsOwnedByNoKeyKeepsItsLookupsOnTheirQueries) {
    TemporaryDirectory dir;
    std::string sql;
    for (const auto& statement : quillo::testing::EventDatabase::schemaStatements()) sql += statement + ";";
    sql +=
        "INSERT INTO ZCOLLECTION (Z_PK, ZTYPE) VALUES (1, 'NSSet');"
        "INSERT INTO ZCOLLECTIONMD (Z_PK, ZCOLLECTION, ZDICTIONARYDATA) VALUES (1, 'one', x'01'), (2, 1, x'02');";
    FCPDatabaseConnection db(writeDatabase(dir.path() / "owner.fcpevent", sql).string());
    EXPECT_FALSE(db.loadCollectionIndex());
    EXPECT_EQ(db.fetchBlob(1), (Data{2}));
}

// A damaged table can hand out its rows out of key order without any error; the index must then
// stay unused rather than file rows under the wrong keys.
TEST(FCPDatabaseConnection, AStoreWhoseRowsComeOutOfOrderKeepsItsLookupsOnTheirQueries) {
    TemporaryDirectory dir;
    std::string sql = "PRAGMA page_size=512;";
    for (const auto& statement : quillo::testing::EventDatabase::schemaStatements()) sql += statement + ";";
    sql += "BEGIN;";
    for (int pk = 1; pk <= 300; ++pk)
        sql += "INSERT INTO ZCOLLECTION (Z_PK, ZTYPE, ZNAME) VALUES (" + std::to_string(pk) + ", 'NSArray', '" +
               std::string(40, 'n') + "');";
    sql += "COMMIT;";
    const auto path = writeDatabase(dir.path() / "swapped.fcpevent", sql);

    // Swap the first and the last leaf page of the table: each stays a well-formed page.
    std::vector<std::int64_t> leaves;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db,
                                     "SELECT pageno FROM dbstat WHERE name = 'ZCOLLECTION' AND pagetype = 'leaf' "
                                     "ORDER BY pageno",
                                     -1, &statement, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(statement) == SQLITE_ROW) leaves.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    ASSERT_GE(leaves.size(), 3u);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        const auto pageAt = [](std::int64_t page) { return static_cast<std::streamoff>((page - 1) * 512); };
        std::string first(512, '\0'), last(512, '\0');
        file.seekg(pageAt(leaves.front()));
        file.read(first.data(), 512);
        file.seekg(pageAt(leaves.back()));
        file.read(last.data(), 512);
        file.seekp(pageAt(leaves.front()));
        file.write(last.data(), 512);
        file.seekp(pageAt(leaves.back()));
        file.write(first.data(), 512);
    }

    FCPDatabaseConnection queried(path.string());
    const auto keys = queried.query("SELECT Z_PK AS pk FROM ZCOLLECTION ORDER BY Z_PK");
    ASSERT_FALSE(std::is_sorted(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        return std::get<std::int64_t>(a.at("pk")) < std::get<std::int64_t>(b.at("pk"));
    })) << "the swap did not reorder the rows";

    FCPDatabaseConnection indexed(path.string());
    EXPECT_FALSE(indexed.loadCollectionIndex());
    for (const std::int64_t pk : {1, 150, 300}) {
        ASSERT_NE(indexed.collectionInfo(pk), nullptr);
        ASSERT_NE(queried.collectionInfo(pk), nullptr);
        EXPECT_EQ(indexed.collectionInfo(pk)->name, queried.collectionInfo(pk)->name) << pk;
    }
}
