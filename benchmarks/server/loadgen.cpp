// Load generator for vendrix-server: a few concurrent clients, each with one
// kept-alive connection, send the same request for a fixed time (or up to a
// fixed count) and report requests per second and latency percentiles.
//
//   loadgen PORT USER:PASSWORD METHOD PATH [BODY] [--clients N] [--seconds S] [--max N]
//
// It logs in once (POST /tokens) and shares the token between its clients.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(
            stderr, "usage: loadgen PORT USER:PASSWORD METHOD PATH [BODY] [--clients N] [--seconds S] [--max N]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const std::string credentials = argv[2];
    const std::string method = argv[3];
    const std::string path = argv[4];
    std::string body;
    int clients = 4;
    double seconds = 5;
    long maxRequests = 200000;
    for (int i = 5; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--clients" && i + 1 < argc)
            clients = std::max(1, std::atoi(argv[++i]));
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::max(0.1, std::atof(argv[++i]));
        else if (a == "--max" && i + 1 < argc)
            maxRequests = std::max(1L, std::atol(argv[++i]));
        else
            body = a;
    }

    std::string token;
    {
        httplib::Client login("127.0.0.1", port);
        const auto colon = credentials.find(':');
        login.set_basic_auth(
            credentials.substr(0, colon), colon == std::string::npos ? "" : credentials.substr(colon + 1));
        const auto res = login.Post("/tokens", "", "application/json");
        const auto pos = res && res->status == 200 ? res->body.find("\"token\":\"") : std::string::npos;
        if (pos == std::string::npos) {
            std::fprintf(stderr, "loadgen: login failed (%d)\n", res ? res->status : 0);
            return 1;
        }
        token = res->body.substr(pos + 9, 64);
    }

    using Clock = std::chrono::steady_clock;
    std::atomic<long> issued {0};
    std::atomic<long> failures {0};
    std::mutex latencyMutex;
    std::vector<double> latencies; // milliseconds
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const auto start = Clock::now();

    std::vector<std::thread> threads;
    for (int t = 0; t < clients; ++t) {
        threads.emplace_back([&] {
            httplib::Client cli("127.0.0.1", port);
            cli.set_keep_alive(true);
            cli.set_tcp_nodelay(true);
            cli.set_read_timeout(10);
            const httplib::Headers headers = {{"Authorization", "Bearer " + token}, {"Accept", "application/json"}};
            std::vector<double> mine;
            while (Clock::now() < deadline && issued.fetch_add(1) < maxRequests) {
                const auto t0 = Clock::now();
                httplib::Result res =
                    method == "POST" ? cli.Post(path, headers, body, "application/json") : cli.Get(path, headers);
                const auto t1 = Clock::now();
                if (!res || res->status >= 400)
                    failures.fetch_add(1);
                mine.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            }
            std::lock_guard<std::mutex> g(latencyMutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (auto &th : threads)
        th.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    std::sort(latencies.begin(), latencies.end());
    auto pct = [&](double p) {
        if (latencies.empty())
            return 0.0;
        const auto idx = static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1));
        return latencies[idx];
    };
    std::printf("%-6s %-22s clients=%d requests=%zu failures=%ld seconds=%.2f  %.0f req/s  "
                "p50=%.2f ms p99=%.2f ms\n",
        method.c_str(), path.c_str(), clients, latencies.size(), failures.load(), elapsed,
        static_cast<double>(latencies.size()) / elapsed, pct(0.50), pct(0.99));
    return failures.load() == 0 ? 0 : 1;
}
