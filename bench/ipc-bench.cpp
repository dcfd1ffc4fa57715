// The IPC server publishing the large library's list to four connected extensions, each a median of
// several repetitions:
//   quillo-ipc-bench [--benchmark_...] BUNDLE
// Each client is a real loopback socket read and decoded on a thread of its own, as an extension
// process would. bench/run builds and runs it beside quillo-bench; its JSON output joins the table.

#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDoKit/QuilloToDoModel/MessageLineBuffer.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"
#include "bench/BenchmarkProgram.h"
#include "bench/MainThreadStall.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>
#include <variant>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRepetitions = 5;
constexpr int kClients = 4;

// One extension: reads everything the server sends and decodes each line, recording when each list
// was decoded.
class Client {
public:
    explicit Client(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect to the server");
        reader_ = std::thread([this] { read(); });
    }
    ~Client() {
        ::shutdown(fd_, SHUT_RDWR);
        reader_.join();
        ::close(fd_);
    }

    int listsDecoded() const { return lists_.load(); }
    Clock::time_point lastDecoded() const { return Clock::time_point(Clock::duration(lastDecoded_.load())); }
    std::size_t lastSize() const { return lastSize_.load(); }

private:
    void read() {
        quillo::MessageLineBuffer buffer(std::size_t{256} * 1024 * 1024);
        std::vector<char> chunk(65'536);
        for (;;) {
            const ssize_t got = ::recv(fd_, chunk.data(), chunk.size(), 0);
            if (got <= 0) return;
            if (!buffer.append({chunk.data(), static_cast<std::size_t>(got)})) return;
            const auto received = Clock::now();
            buffer.takeMessages([this, received](const quillo::TodoIPCMessage& message) {
                const auto* list = std::get_if<quillo::TodoIPCMessage::TodoList>(&message.payload());
                if (!list) return;
                lastSize_ = list->items.size();
                lastDecoded_ = Clock::now().time_since_epoch().count();
                lastDecodeMs_ = std::chrono::duration<double, std::milli>(Clock::now() - received).count();
                ++lists_;
            });
        }
    }

    int fd_;
    std::thread reader_;
    std::atomic<int> lists_{0};
    std::atomic<Clock::rep> lastDecoded_{0};
    std::atomic<std::size_t> lastSize_{0};

public:
    std::atomic<double> lastDecodeMs_{0};
};

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Per repetition: one encode of the list by itself, then a publish to the four clients; the longest
// main-thread stall from the publish until the last client decoded the list, and that time.
void publish(benchmark::State& state, const std::vector<quillo::TodoItem>& items) {
    quillo::TodoIPCServer server(nullptr, quillo::TodoIPCServer::Announcement::none);
    server.start();
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < kClients; ++i) clients.push_back(std::make_unique<Client>(server.port()));
    while (server.connectedExtensionCount() < kClients) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    const auto message = quillo::TodoIPCMessage::todoList(items);
    const auto shared = std::make_shared<const std::vector<quillo::TodoItem>>(items);
    double encodeMs = 0, decodedS = 0;
    quillo::bench::Stall stall;
    for (auto _ : state) {
        const auto encodeStart = Clock::now();
        benchmark::DoNotOptimize(quillo::encodeMessage(message).data());
        encodeMs = millisecondsBetween(encodeStart, Clock::now());

        std::array<int, kClients> before{};
        for (int i = 0; i < kClients; ++i) before[i] = clients[i]->listsDecoded();
        const auto allDecoded = [&] {
            for (int i = 0; i < kClients; ++i)
                if (clients[i]->listsDecoded() == before[i]) return false;
            return true;
        };
        quillo::bench::StallMeter meter;
        const auto start = Clock::now();
        server.publish(shared);
        while (!allDecoded()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stall = meter.longest();
        Clock::time_point last = start;
        for (const auto& client : clients) {
            last = std::max(last, client->lastDecoded());
            if (client->lastSize() != items.size()) state.SkipWithError("a client decoded another list");
        }
        decodedS = millisecondsBetween(start, last) / 1000;
    }
    state.counters["publish_one_encode_ms"] = encodeMs;
    state.counters["publish_main_stall_ms"] = stall.wallMs;
    state.counters["publish_main_busy_ms"] = stall.busyMs;
    state.counters["publish_all_decoded_s"] = decodedS;
    state.counters["decode_ms"] = clients[0]->lastDecodeMs_.load();
}

void run(char** arguments) {
    const std::filesystem::path bundle = arguments[1];
    const auto items = quillo::TodoScanner().scan({{bundle, bundle.stem().string(), "B1"}});
    std::cerr << items.size() << " items\n";
    quillo::bench::repeated(
        benchmark::RegisterBenchmark("ipc_publish", [&items](benchmark::State& state) { publish(state, items); }),
        {.repetitions = kRepetitions, .unit = benchmark::kMillisecond});
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) {
    return quillo::bench::benchmarkMain<QCoreApplication>(argc, argv, "quillo-ipc-bench", "BUNDLE", run);
}
