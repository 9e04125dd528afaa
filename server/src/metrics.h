// Counters and a latency histogram for Prometheus, in its text format.
//
// What is counted never names a user, a record or a token: requests are
// counted by method, route pattern ("/customer/{id}") and status, logins
// and database errors by a fixed set of outcomes. The figures that describe
// the moment (open connections, queued requests) are read when scraped.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vx {

// The text exposition format: a family's HELP and TYPE lines, then its
// samples.
class PromText
{
public:
    using Labels = std::vector<std::pair<std::string, std::string>>;

    void family(const std::string &name, const char *type, const char *help);
    void sample(const std::string &name, const Labels &labels, double value);
    const std::string &text() const { return text_; }

    // A label value with backslash, double quote and line feed escaped.
    static std::string escape(const std::string &value);
    static std::string number(double value);

private:
    std::string text_;
};

class Metrics
{
public:
    // Upper bounds (seconds) of the latency histogram's buckets.
    static const std::vector<double> &latencyBuckets();

    void request(const std::string &method, const std::string &route, int status, double seconds);
    // "ok", "wrong_password", "throttled", "busy", "maintenance", "refused"
    // (no credentials), "error".
    void login(const std::string &outcome);
    // "unavailable", "full", "read_only", "busy", "io", "other".
    void databaseError(const std::string &kind);

    void write(PromText &out) const;

private:
    struct Route
    {
        std::map<int, std::uint64_t> statuses;
        std::vector<std::uint64_t> buckets; // cumulative counts are made when written
        double sum = 0;
        std::uint64_t count = 0;
    };
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, Route> routes_; // (method, route)
    std::map<std::string, std::uint64_t> logins_;
    std::map<std::string, std::uint64_t> databaseErrors_;
};

} // namespace vx
