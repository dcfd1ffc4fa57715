#include "testing/EventDatabase.h"
#include "testing/TemporaryDirectory.h"

#include "StoreReading.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

namespace quillo::testing {
namespace {

using namespace inspection;

// The schema of a real event store.
constexpr const char* kRealSchema = R"sql(
CREATE TABLE ZCOLLECTION ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZFLAGS INTEGER, ZCATALOG INTEGER, ZMETADATA INTEGER, ZIDENTIFIER VARCHAR, ZNAME VARCHAR, ZTYPE VARCHAR );
CREATE TABLE ZCOLLECTIONMD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZCOLLECTION INTEGER, ZIDENTIFIER VARCHAR, ZDICTIONARYDATA BLOB );
CREATE TABLE Z_3CHILDCOLLECTIONS ( Z_3PARENTCOLLECTIONS INTEGER, Z_3CHILDCOLLECTIONS INTEGER, PRIMARY KEY (Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS) );
CREATE TABLE ZCATALOGROOT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZMETADATA INTEGER, ZIDENTIFIER VARCHAR, ZNAME VARCHAR );
CREATE TABLE ZCATALOGROOTMD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZCATALOG INTEGER, ZIDENTIFIER VARCHAR, ZDICTIONARYDATA BLOB );
CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);
CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);
CREATE TABLE Z_MODELCACHE (Z_CONTENT BLOB);
CREATE INDEX ZCOLLECTION_ZCATALOG_INDEX ON ZCOLLECTION (ZCATALOG);
CREATE INDEX ZCOLLECTION_ZMETADATA_INDEX ON ZCOLLECTION (ZMETADATA);
CREATE INDEX Z_Collection_identifier ON ZCOLLECTION (ZIDENTIFIER COLLATE BINARY ASC);
CREATE INDEX ZCOLLECTIONMD_ZCOLLECTION_INDEX ON ZCOLLECTIONMD (ZCOLLECTION);
CREATE INDEX Z_CollectionMD_identifier ON ZCOLLECTIONMD (ZIDENTIFIER COLLATE BINARY ASC);
CREATE INDEX Z_3CHILDCOLLECTIONS_Z_3CHILDCOLLECTIONS_INDEX ON Z_3CHILDCOLLECTIONS (Z_3CHILDCOLLECTIONS, Z_3PARENTCOLLECTIONS);
CREATE INDEX ZCATALOGROOT_ZMETADATA_INDEX ON ZCATALOGROOT (ZMETADATA);
CREATE INDEX Z_CatalogRoot_identifier ON ZCATALOGROOT (ZIDENTIFIER COLLATE BINARY ASC);
CREATE INDEX ZCATALOGROOTMD_ZCATALOG_INDEX ON ZCATALOGROOTMD (ZCATALOG);
CREATE INDEX Z_CatalogRootMD_identifier ON ZCATALOGROOTMD (ZIDENTIFIER COLLATE BINARY ASC);
)sql";

constexpr const char* kMasterQuery = "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name";

std::vector<SqlRow> referenceMaster(const TemporaryDirectory& dir) {
    const auto path = dir.path() / "reference.sqlite";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, kRealSchema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    return StoreReader(path).rows(kMasterQuery);
}

class EventDatabaseTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return dir.path() / "CurrentVersion.fcpevent"; }

    TemporaryDirectory dir;
};

TEST_F(EventDatabaseTest, SchemaIsTheRealStoresStatementForStatement) {
    EventDatabase(file(), "STORE-ID", "Day 1").close();
    EXPECT_EQ(StoreReader(file()).rows(kMasterQuery), referenceMaster(dir));
}

TEST_F(EventDatabaseTest, IsARollbackJournalStoreWithNoJournalLeftBehind) {
    EventDatabase database(file(), "STORE-ID", "Day 1");
    database.addCollection({.type = "FFAnchoredSequence", .identifier = "A"});
    database.close();

    // File format bytes 18 and 19 are 1 for rollback journals and 2 for write-ahead logs.
    std::ifstream in(file(), std::ios::binary);
    char header[20] = {};
    in.read(header, sizeof header);
    EXPECT_EQ(std::string(header, 16), std::string("SQLite format 3\0", 16));
    EXPECT_EQ(header[18], 1);
    EXPECT_EQ(header[19], 1);
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        EXPECT_FALSE(std::filesystem::exists(file().string() + suffix)) << suffix;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "delete");
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST_F(EventDatabaseTest, CollectionAndMetadataRowsPointAtEachOther) {
    EventDatabase database(file(), "STORE-ID", "Day 1");
    const auto plain = database.addCollection({.type = "FFAnchoredClip", .identifier = "CLIP", .blob = bytesOf("abc")});
    const auto noRow = database.addCollection({.type = "NSArray", .blob = EventDatabase::Blob::noRow()});
    const auto nullBlob = database.addCollection({.type = "NSArray", .name = "containedItems"});
    const auto empty = database.addCollection({.pk = 40, .type = "FFAsset", .blob = Bytes{}});
    const auto later = database.addCollection({.type = "FFAsset"});
    database.close();
    EXPECT_EQ(empty, 40);
    EXPECT_EQ(later, 41);

    const StoreReader store(file());
    const auto rows = store.rows(
        "SELECT c.Z_PK, c.Z_ENT, c.ZCATALOG, md.Z_ENT, md.ZCOLLECTION, md.ZIDENTIFIER, typeof(md.ZDICTIONARYDATA), "
        "length(md.ZDICTIONARYDATA) FROM ZCOLLECTION c JOIN ZCOLLECTIONMD md ON md.Z_PK = c.ZMETADATA ORDER BY c.Z_PK");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (SqlRow{plain, std::int64_t{3}, std::int64_t{1}, std::int64_t{4}, plain, std::string("CLIP"),
                               std::string("blob"), std::int64_t{3}}));
    EXPECT_EQ(rows[1][0], SqlValue(nullBlob));
    EXPECT_EQ(rows[1][6], SqlValue(std::string("null")));
    EXPECT_EQ(rows[2][6], SqlValue(std::string("blob")));
    EXPECT_EQ(rows[2][7], SqlValue(std::int64_t{0}));
    EXPECT_EQ(store.count("SELECT COUNT(*) FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?", {noRow}), 0);
    EXPECT_EQ(store.rows("SELECT ZMETADATA FROM ZCOLLECTION WHERE Z_PK = ?", {noRow})[0][0], SqlValue());
    EXPECT_EQ(store.rows("SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_NAME = 'Collection'")[0][0], SqlValue(later));
    EXPECT_EQ(store.count("SELECT COUNT(*) FROM ZCATALOGROOT WHERE Z_PK = 1 AND ZNAME = 'Day 1'"), 1);
}

TEST_F(EventDatabaseTest, BlobsCanBeReplacedRemovedAndDoubled) {
    EventDatabase database(file(), "STORE-ID", "Day 1");
    const auto replaced = database.addCollection({.type = "A", .blob = bytesOf("old")});
    const auto removed = database.addCollection({.type = "B", .blob = bytesOf("gone")});
    const auto added = database.addCollection({.type = "C", .blob = EventDatabase::Blob::noRow()});
    const auto doubled = database.addCollection({.type = "D", .blob = bytesOf("first")});
    database.setBlob(replaced, bytesOf("new"));
    database.setBlob(removed, EventDatabase::Blob::noRow());
    database.setBlob(added, bytesOf("late"));
    database.addMetadataRow(doubled, bytesOf("second"));
    database.close();

    const StoreReader store(file());
    EXPECT_EQ(store.blob(replaced), bytesOf("new"));
    EXPECT_EQ(store.blob(removed), std::nullopt);
    EXPECT_EQ(store.rows("SELECT ZMETADATA FROM ZCOLLECTION WHERE Z_PK = ?", {removed})[0][0], SqlValue());
    EXPECT_EQ(store.blob(added), bytesOf("late"));
    EXPECT_EQ(store.count("SELECT COUNT(*) FROM ZCOLLECTION c JOIN ZCOLLECTIONMD md ON md.Z_PK = c.ZMETADATA "
                          "WHERE c.Z_PK = ? AND md.ZCOLLECTION = c.Z_PK",
                          {added}),
              1);
    const auto doubledRows = store.rows(
        "SELECT md.ZDICTIONARYDATA, md.Z_PK = c.ZMETADATA FROM ZCOLLECTIONMD md JOIN ZCOLLECTION c ON c.Z_PK = "
        "md.ZCOLLECTION WHERE c.Z_PK = ? ORDER BY md.Z_PK",
        {doubled});
    ASSERT_EQ(doubledRows.size(), 2u);
    EXPECT_EQ(doubledRows[0], (SqlRow{bytesOf("first"), std::int64_t{1}}));
    EXPECT_EQ(doubledRows[1], (SqlRow{bytesOf("second"), std::int64_t{0}}));
}

TEST_F(EventDatabaseTest, ChildrenComeBackInChildKeyOrderWhateverTheLinkOrder) {
    EventDatabase database(file(), "STORE-ID", "Day 1");
    const auto parent = database.addCollection({.type = "NSArray"});
    database.addCollection({.pk = 9, .type = "X"});
    database.addCollection({.pk = 7, .type = "X"});
    database.addCollection({.pk = 8, .type = "X"});
    database.link(parent, 9);
    database.link(parent, 7);
    database.link(parent, 8);
    database.close();
    EXPECT_EQ(StoreReader(file()).children(parent), (std::vector<std::int64_t>{7, 8, 9}));
}

TEST_F(EventDatabaseTest, RefusesAnExistingFileAndWritesAfterClose) {
    EventDatabase database(file(), "STORE-ID", "Day 1");
    database.close();
    EXPECT_THROW(database.addCollection({.type = "X"}), std::logic_error);
    EXPECT_THROW(EventDatabase(file(), "OTHER", "Day 1"), std::invalid_argument);
}

}  // namespace
}  // namespace quillo::testing
