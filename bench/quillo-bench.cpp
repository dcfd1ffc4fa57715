// The refresh benchmarks over one large library, each a median of several repetitions:
//   quillo-bench [--benchmark_...] BUNDLE
// bench/run builds and runs it; its JSON output becomes the results table.

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/PropertyList/PropertyListReader.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerFilter.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"
#include "bench/BenchmarkProgram.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace {

// Whole-library passes take seconds: one iteration per repetition. The scans against the floor take
// more, so that their spread says how far a median can be trusted on a busy machine.
constexpr int kSlowRepetitions = 5;
constexpr int kScanRepetitions = 9;
constexpr int kFastRepetitions = 9;
constexpr const char* kSearchText = "horizon";

struct Library {
    std::vector<quillo::ScannedLibrarySource> sources;
    std::vector<std::string> databases;
    std::vector<brimlock::Data> blobs;  // every ZDICTIONARYDATA of every event database
    std::vector<quillo::TodoItem> items;
    std::string todoListText;
};

class Database {
public:
    explicit Database(const std::string& path) {
        const std::string uri = "file:" + path + "?immutable=1";  // as the product opens event databases
        if (sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + path);
        }
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* get() const noexcept { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Reads every column of every row once; blobs go through the keyed-archive decoder. Answers the
// number of blobs decoded.
std::int64_t readTable(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw std::runtime_error(sqlite3_errmsg(db));
    }
    const int columns = sqlite3_column_count(statement);
    std::int64_t decoded = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(statement, column)); break;
            case SQLITE_TEXT: benchmark::DoNotOptimize(sqlite3_column_text(statement, column)); break;
            case SQLITE_BLOB: {
                const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
                const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
                try {
                    auto blob = brimlock::BlobDecoder::decode(std::span(bytes, size));
                    benchmark::DoNotOptimize(blob);
                    ++decoded;
                } catch (const std::exception&) {
                    // A blob that is no keyed archive costs its failed parse, as in a scan.
                }
                break;
            }
            default: break;
            }
        }
    }
    sqlite3_finalize(statement);
    return decoded;
}

// The least any scan must do: read the three tables a timeline lives in and decode each blob once.
// Answers the number of blobs decoded.
std::int64_t floorPass(const Library& library) {
    std::int64_t decoded = 0;
    for (const auto& path : library.databases) {
        const Database db(path);
        decoded += readTable(db.get(), "SELECT * FROM ZCOLLECTION");
        decoded += readTable(db.get(), "SELECT * FROM ZCOLLECTIONMD");
        decoded += readTable(db.get(), "SELECT * FROM Z_3CHILDCOLLECTIONS");
    }
    return decoded;
}

template <class Pass>
double secondsOf(Pass&& pass) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The floor and the scans (as the application runs them: each scanner made once and kept, the
// parallel one on the application's thread count) take turns within every repetition, so that a
// busy machine slows all three alike; each ratio compares a scan with the floor measured just
// before it.
void floorAndScans(benchmark::State& state, const Library& library) {
    quillo::TodoScanner serial(1);
    const unsigned threads = quillo::TodoScanner::defaultThreads();
    quillo::TodoScanner parallel(threads);
    double floor = 0, scan = 0, scanParallel = 0;
    std::int64_t blobs = 0;
    std::size_t markers = 0;
    for (auto _ : state) {
        floor = secondsOf([&] { blobs = floorPass(library); });
        scan = secondsOf([&] { markers = serial.scan(library.sources).size(); });
        scanParallel = secondsOf([&] { benchmark::DoNotOptimize(parallel.scan(library.sources).size()); });
    }
    state.counters["floor_s"] = floor;
    state.counters["scan_s"] = scan;
    state.counters["scan_parallel_s"] = scanParallel;
    state.counters["scan_ratio"] = scan / floor;
    state.counters["scan_parallel_ratio"] = scanParallel / floor;
    state.counters["blobs"] = static_cast<double>(blobs);
    state.counters["markers"] = static_cast<double>(markers);
    state.counters["threads"] = threads;
}

void structure(benchmark::State& state, const Library& library) {
    for (auto _ : state) {
        auto libraries = quillo::LibraryStructureScanner::structure(library.sources);
        benchmark::DoNotOptimize(libraries.data());
    }
}

void filter(benchmark::State& state, const Library& library, const std::string& searchText) {
    const quillo::MarkerFilter markerFilter({}, {}, {}, searchText);
    std::size_t matched = 0;
    for (auto _ : state) {
        matched = 0;
        for (const auto& item : library.items) matched += markerFilter.matches(item) ? 1 : 0;
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = static_cast<double>(matched);
}

void encodeTodoList(benchmark::State& state, const Library& library) {
    const auto message = quillo::TodoIPCMessage::todoList(library.items);
    for (auto _ : state) {
        auto text = quillo::encodeMessage(message);
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(library.todoListText.size());
}

void decodeTodoList(benchmark::State& state, const Library& library) {
    for (auto _ : state) {
        auto message = quillo::decodeMessage(library.todoListText);
        benchmark::DoNotOptimize(message);
    }
}

void decodeBlobsOurs(benchmark::State& state, const Library& library) {
    for (auto _ : state) {
        for (const auto& blob : library.blobs) {
            auto value = brimlock::PropertyListReader::parse(blob);
            benchmark::DoNotOptimize(value);
        }
    }
    state.counters["blobs"] = static_cast<double>(library.blobs.size());
}

void decodeBlobsLibplist(benchmark::State& state, const Library& library) {
    for (auto _ : state) {
        for (const auto& blob : library.blobs) {
            plist_t value = nullptr;
            plist_from_bin(reinterpret_cast<const char*>(blob.data()), static_cast<std::uint32_t>(blob.size()), &value);
            benchmark::DoNotOptimize(value);
            if (value != nullptr) plist_free(value);
        }
    }
    state.counters["blobs"] = static_cast<double>(library.blobs.size());
}

Library load(const std::filesystem::path& bundle) {
    Library library;
    library.sources.push_back({bundle, bundle.stem().string(), "B1"});
    for (const auto& event : brimlock::LibraryScanner::scan(bundle).events) {
        library.databases.push_back(event.databaseURL.string());
        brimlock::FCPDatabaseConnection db(event.databaseURL.string());
        for (auto& row : db.query("SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD")) {
            const auto found = row.find("ZDICTIONARYDATA");
            if (found == row.end()) continue;
            auto& bytes = std::get<brimlock::Data>(found->second);
            // libplist takes a 32-bit length.
            if (bytes.size() <= std::numeric_limits<std::uint32_t>::max()) library.blobs.push_back(std::move(bytes));
        }
    }
    library.items = quillo::TodoScanner().scan(library.sources);
    library.todoListText = quillo::encodeMessage(quillo::TodoIPCMessage::todoList(library.items));
    return library;
}

void registerBenchmarks(const Library& library) {
    using quillo::bench::repeated;
    const auto slow = [&](benchmark::internal::Benchmark* b, int repetitions = kSlowRepetitions) {
        repeated(b, {.repetitions = repetitions, .unit = benchmark::kSecond, .spread = true});
    };
    const auto fast = [&](benchmark::internal::Benchmark* b) {
        repeated(b,
                 {.repetitions = kFastRepetitions, .unit = benchmark::kMillisecond, .iterations = 0, .spread = true});
    };
    // The library is captured by reference: RegisterBenchmark copies extra arguments.
    const auto add = [&library](const char* name, auto pass) {
        return benchmark::RegisterBenchmark(name, [&library, pass](benchmark::State& state) { pass(state, library); });
    };
    const auto search = [](benchmark::State& state, const Library& l) { filter(state, l, kSearchText); };
    const auto empty = [](benchmark::State& state, const Library& l) { filter(state, l, ""); };
    slow(add("floor_and_scans", floorAndScans), kScanRepetitions);
    slow(add("structure", structure));
    fast(add("filter_search", search));
    fast(add("filter_empty", empty));
    fast(add("todolist_encode", encodeTodoList));
    fast(add("todolist_decode", decodeTodoList));
    slow(add("blob_decode_ours", decodeBlobsOurs));
    slow(add("blob_decode_libplist", decodeBlobsLibplist));
}

void run(char** arguments) {
    const Library library = load(arguments[1]);
    std::cerr << library.databases.size() << " event databases, " << library.blobs.size() << " blobs, "
              << library.items.size() << " items\n";
    registerBenchmarks(library);
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) { return quillo::bench::benchmarkMain(argc, argv, "quillo-bench", "BUNDLE", run); }
