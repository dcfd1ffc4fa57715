#pragma once

// Reads written event stores back the way the library reader opens them: read-only, immutable URI.

#include "testing/PlistValue.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace quillo::testing::inspection {

using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string, Bytes>;
using SqlRow = std::vector<SqlValue>;

struct CollectionInfo {
    std::optional<std::string> type;
    std::optional<std::string> identifier;
    std::optional<std::string> name;
};

class StoreReader {
public:
    explicit StoreReader(const std::filesystem::path& file) {
        std::string uri = "file:";
        for (const char c : file.string()) {
            if (c == '%')
                uri += "%25";
            else if (c == '?')
                uri += "%3F";
            else if (c == '#')
                uri += "%23";
            else
                uri += c;
        }
        uri += "?immutable=1";
        if (sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
            const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + file.string() + ": " + message);
        }
    }
    ~StoreReader() { sqlite3_close(db_); }
    StoreReader(const StoreReader&) = delete;
    StoreReader& operator=(const StoreReader&) = delete;

    std::vector<SqlRow> rows(const std::string& sql, const std::vector<SqlValue>& params = {}) const {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            throw std::runtime_error("cannot prepare " + sql + ": " + sqlite3_errmsg(db_));
        }
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            if (const auto* number = std::get_if<std::int64_t>(&params[i]))
                sqlite3_bind_int64(statement, index, *number);
            if (const auto* text = std::get_if<std::string>(&params[i])) {
                sqlite3_bind_text(statement, index, text->c_str(), -1, SQLITE_TRANSIENT);
            }
        }
        std::vector<SqlRow> result;
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            SqlRow row;
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                switch (sqlite3_column_type(statement, column)) {
                case SQLITE_INTEGER: row.emplace_back(std::int64_t{sqlite3_column_int64(statement, column)}); break;
                case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(statement, column)); break;
                case SQLITE_TEXT:
                    row.emplace_back(
                        std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column))));
                    break;
                case SQLITE_BLOB: {
                    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
                    row.emplace_back(Bytes(bytes, bytes + sqlite3_column_bytes(statement, column)));
                    break;
                }
                default: row.emplace_back(std::monostate{}); break;
                }
            }
            result.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) throw std::runtime_error("stepping " + sql + " failed");
        return result;
    }

    std::int64_t count(const std::string& sql, const std::vector<SqlValue>& params = {}) const {
        return std::get<std::int64_t>(rows(sql, params).at(0).at(0));
    }

    CollectionInfo info(std::int64_t pk) const {
        const auto found = rows("SELECT ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION WHERE Z_PK = ?", {pk});
        if (found.empty()) return {};
        const auto text = [](const SqlValue& value) -> std::optional<std::string> {
            if (const auto* s = std::get_if<std::string>(&value)) return *s;
            return std::nullopt;
        };
        return {text(found[0][0]), text(found[0][1]), text(found[0][2])};
    }

    std::vector<std::int64_t> children(std::int64_t parent) const {
        std::vector<std::int64_t> keys;
        for (const auto& row :
             rows("SELECT Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS WHERE Z_3PARENTCOLLECTIONS = ?", {parent})) {
            keys.push_back(std::get<std::int64_t>(row.at(0)));
        }
        return keys;
    }

    std::optional<std::int64_t> childNamed(std::int64_t parent, const std::string& name) const {
        const auto found = rows(
            "SELECT c.Z_PK FROM Z_3CHILDCOLLECTIONS j JOIN ZCOLLECTION c ON c.Z_PK = "
            "j.Z_3CHILDCOLLECTIONS WHERE j.Z_3PARENTCOLLECTIONS = ? AND c.ZNAME = ? LIMIT 1",
            {parent, name});
        if (found.empty()) return std::nullopt;
        return std::get<std::int64_t>(found[0][0]);
    }

    // The children of the parent's grouping collection of that name.
    std::vector<std::int64_t> related(std::int64_t parent, const std::string& relation) const {
        const auto group = childNamed(parent, relation);
        if (!group) return {};
        return children(*group);
    }

    std::optional<Bytes> blob(std::int64_t pk) const {
        const auto found = rows("SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?", {pk});
        if (found.empty()) return std::nullopt;
        if (const auto* bytes = std::get_if<Bytes>(&found[0][0])) return *bytes;
        return std::nullopt;
    }

    std::vector<std::int64_t> collectionsOfType(const std::string& type) const {
        std::vector<std::int64_t> keys;
        for (const auto& row : rows("SELECT Z_PK FROM ZCOLLECTION WHERE ZTYPE = ? ORDER BY Z_PK", {type})) {
            keys.push_back(std::get<std::int64_t>(row.at(0)));
        }
        return keys;
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace quillo::testing::inspection
