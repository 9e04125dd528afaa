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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

// One kept-alive connection; opened again when the server closed it.
class Connection
{
public:
    explicit Connection(int port) : port_(port) { }

    // The reply's status, or 0 when there was none.
    int send(http::request<http::string_body> &req, std::string *body = nullptr)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool reused = stream_.has_value();
            beast::error_code ec;
            if (!reused) {
                stream_.emplace(ioc_);
                stream_->connect(
                    tcp::endpoint(net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port_)), ec);
                if (!ec)
                    stream_->socket().set_option(tcp::no_delay(true), ec);
            }
            if (!ec) {
                stream_->expires_after(std::chrono::seconds(30));
                http::write(*stream_, req, ec);
            }
            http::response<http::string_body> res;
            if (!ec)
                http::read(*stream_, buffer_, res, ec);
            if (!ec) {
                if (!res.keep_alive())
                    stream_.reset();
                if (body)
                    *body = res.body();
                return static_cast<int>(res.result_int());
            }
            stream_.reset();
            buffer_.clear();
            if (!reused)
                break;
        }
        return 0;
    }

private:
    int port_;
    net::io_context ioc_;
    std::optional<beast::tcp_stream> stream_;
    beast::flat_buffer buffer_;
};

http::request<http::string_body> makeRequest(
    const std::string &method, const std::string &target, const std::string &body, const std::string &authorization)
{
    http::request<http::string_body> req {http::string_to_verb(method), target, 11};
    req.set(http::field::host, "127.0.0.1");
    req.set(http::field::authorization, authorization);
    req.set(http::field::accept, "application/json");
    if (!body.empty() || method == "POST") {
        req.set(http::field::content_type, "application/json");
        req.body() = body;
        req.prepare_payload();
    }
    return req;
}

std::string base64(const std::string &in)
{
    static const char *abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t buf = 0;
    int bits = 0;
    for (unsigned char c : in) {
        buf = (buf << 8) | c;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += abc[(buf >> bits) & 0x3F];
        }
    }
    if (bits > 0)
        out += abc[(buf << (6 - bits)) & 0x3F];
    while (out.size() % 4)
        out += '=';
    return out;
}

} // namespace

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
        Connection login(port);
        auto req = makeRequest("POST", "/tokens", "", "Basic " + base64(credentials));
        std::string reply;
        const int status = login.send(req, &reply);
        const auto pos = status == 200 ? reply.find("\"token\":\"") : std::string::npos;
        if (pos == std::string::npos) {
            std::fprintf(stderr, "loadgen: login failed (%d)\n", status);
            return 1;
        }
        token = reply.substr(pos + 9, 64);
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
            Connection cli(port);
            auto req = makeRequest(method, path, body, "Bearer " + token);
            std::vector<double> mine;
            while (Clock::now() < deadline && issued.fetch_add(1) < maxRequests) {
                const auto t0 = Clock::now();
                const int status = cli.send(req);
                const auto t1 = Clock::now();
                if (status == 0 || status >= 400)
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
